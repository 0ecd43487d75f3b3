#include "shell/progman.h"

DWORD idInst;
PFNCALLBACK lpDdeProc;
HSZ hszService;
HSZ hszTopic;
HCONV hConv;

int OpenProgman() {
    lpDdeProc = DDECallback;
    idInst = 0;
    if (DdeInitializeA(&idInst, lpDdeProc, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 0;
    hszService = DdeCreateStringHandleA(idInst, "PROGMAN", CP_WINANSI);
    if (!hszService) return 0;
    hszTopic = DdeCreateStringHandleA(idInst, "PROGMAN", CP_WINANSI);
    if (!hszTopic) return 0;
    hConv = DdeConnect(idInst, hszService, hszTopic, nullptr);
    return hConv ? 1 : 0;
}

void CloseProgman() {
    DdeDisconnect(hConv);
    hConv = nullptr;
    DdeUninitialize(idInst);
    // The instance took its string handles with it: forget them all.
    idInst = 0;
    hszService = nullptr;
    hszTopic = nullptr;
}

HDDEDATA SendDdeCommand(char* command, unsigned long inst, HCONV conv) {
    HDDEDATA data = DdeCreateDataHandle(inst, reinterpret_cast<LPBYTE>(command),
                                        DWORD(lstrlenA(command) + 1), 0, nullptr, 0, 0);
    if (!data) return nullptr;
    HDDEDATA result = DdeClientTransaction(reinterpret_cast<LPBYTE>(data), DWORD(-1), conv, nullptr,
                                           CF_TEXT, XTYP_EXECUTE, 1000, nullptr);
    DdeFreeDataHandle(data);
    return result;
}

// Exported as "DDECallback": on 32-bit the symbol of a stdcall function
// carries the size of its arguments ("@32"), which the export name leaves out.
#ifdef _WIN64
__asm__(".section .drectve\n\t.ascii \" -export:DDECallback\"\n\t.text");
#else
__asm__(".section .drectve\n\t.ascii \" -export:DDECallback=DDECallback@32\"\n\t.text");
#endif

extern "C" HDDEDATA CALLBACK DDECallback(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR,
                                         ULONG_PTR) {
    // Program Manager or the system ended the conversation: later commands fail.
    if (type == XTYP_DISCONNECT) hConv = nullptr;
    return nullptr;
}

// The main window never starts a conversation of its own, so an
// acknowledgement or a termination sent to it concerns nothing.
void DDE_ACKnowledge(HWND, HWND, LPARAM, int) {}

void DDE_Terminate() {}
