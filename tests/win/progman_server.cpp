// A stand-in for Program Manager: a DDEML server of service and topic
// "PROGMAN" that records what it is sent.
//
//   progman_server LOG READY_EVENT [--reject PREFIX]... [--stall PREFIX]...
//                  [--cancel-at PREFIX]... [--end-after N]
//
// Every line of LOG is one event: "CONNECT", "EXECUTE <bytes> <verdict>
// <text>" (bytes as received, the NUL included), "CANCEL <status line>",
// "DISCONNECT", "END". An execute command that begins with a --reject prefix
// is refused ("reject"); one that begins with a --stall prefix is accepted
// after 1500 ms ("stall"); others are accepted at once ("accept"). A command
// that begins with a --cancel-at prefix presses Cancel in the client's status
// window ("Install") before it is answered, and the log shows the window's
// first line. After the N-th command of --end-after the server ends the
// conversation. The named
// event READY_EVENT is set once the service is registered. A WM_QUIT posted to
// the main thread ends the program. It pumps messages all the time, as every
// window owner must while others broadcast DDE initiations.
#include <windows.h>
// After windows.h, which it needs.
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

const UINT WM_END_CONVERSATION = WM_APP + 1;

DWORD idServer;
HSZ hszProgman;
FILE* fpLog;
std::vector<std::string> rejectPrefixes;
std::vector<std::string> stallPrefixes;
std::vector<std::string> cancelPrefixes;
int endAfter = -1;
int executed = 0;

void Log(const std::string& line) {
    fprintf(fpLog, "%s\n", line.c_str());
    fflush(fpLog);
}

bool Begins(const std::string& text, const std::vector<std::string>& prefixes) {
    for (const std::string& prefix : prefixes)
        if (text.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

BOOL CALLBACK FindStatusWindow(HWND hwnd, LPARAM found) {
    char cls[16] = "", title[16] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if (strcmp(cls, "#32770") != 0 || strcmp(title, "Install") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

// A user's Cancel click in the client's status window while the command is
// being carried out. Sent, not posted: the client's wait for the answer
// handles sent messages (and DDE ones) only, and this one arrives ahead of
// the answer.
void PressClientCancel(HCONV conv) {
    CONVINFO info = {};
    info.cb = sizeof info;
    HWND status = nullptr;
    if (DdeQueryConvInfo(conv, QID_SYNC, &info))
        EnumThreadWindows(GetWindowThreadProcessId(info.hwndPartner, nullptr), FindStatusWindow,
                          reinterpret_cast<LPARAM>(&status));
    if (!status) {
        Log("CANCEL without a status window");
        return;
    }
    // Read from the window manager: a WM_GETTEXT would wait for the client,
    // which is waiting for this answer.
    char line[100] = "";
    GetWindowTextA(GetDlgItem(status, IDC_STATUS_LINE1), line, sizeof line);
    SendNotifyMessageA(status, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(status, IDCANCEL)));
    Log(std::string("CANCEL ") + line);
}

HDDEDATA Execute(HCONV conv, HDDEDATA data) {
    DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::string text(size, '\0');
    if (size) DdeGetData(data, reinterpret_cast<LPBYTE>(&text[0]), size, 0);
    text.resize(strnlen(text.c_str(), text.size()));
    bool reject = Begins(text, rejectPrefixes);
    bool stall = !reject && Begins(text, stallPrefixes);
    Log("EXECUTE " + std::to_string(size) +
        (reject  ? " reject "
         : stall ? " stall "
                 : " accept ") +
        text);
    if (stall) Sleep(1500);
    if (Begins(text, cancelPrefixes)) PressClientCancel(conv);
    if (++executed == endAfter) PostThreadMessageA(GetCurrentThreadId(), WM_END_CONVERSATION, 0, 0);
    return reinterpret_cast<HDDEDATA>(reject ? DDE_FNOTPROCESSED : DDE_FACK);
}

HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV conv, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR,
                           ULONG_PTR) {
    switch (type) {
        case XTYP_CONNECT:
            if (DdeCmpStringHandles(topic, hszProgman) != 0) return nullptr;
            Log("CONNECT");
            return reinterpret_cast<HDDEDATA>(TRUE);
        case XTYP_EXECUTE:
            return Execute(conv, data);
        case XTYP_DISCONNECT:
            Log("DISCONNECT");
            return nullptr;
        default:
            return nullptr;
    }
}

// The broadcast of an initiation reaches top-level windows from the top of
// the z-order: ours go first, ahead of the desktop shell's own server.
BOOL CALLBACK RaiseWindow(HWND hwnd, LPARAM) {
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

bool ReadOptions(int argc, char** argv) {
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--reject") == 0 && i + 1 < argc) {
            rejectPrefixes.push_back(argv[++i]);
        } else if (strcmp(argv[i], "--stall") == 0 && i + 1 < argc) {
            stallPrefixes.push_back(argv[++i]);
        } else if (strcmp(argv[i], "--cancel-at") == 0 && i + 1 < argc) {
            cancelPrefixes.push_back(argv[++i]);
        } else if (strcmp(argv[i], "--end-after") == 0 && i + 1 < argc) {
            endAfter = atoi(argv[++i]);
        } else {
            return false;
        }
    }
    return argc >= 3;
}

}  // namespace

int main(int argc, char** argv) {
    if (!ReadOptions(argc, argv)) {
        fprintf(stderr,
                "usage: progman_server LOG READY_EVENT [--reject PREFIX]... "
                "[--stall PREFIX]... [--cancel-at PREFIX]... [--end-after N]\n");
        return 2;
    }
    fpLog = fopen(argv[1], "w");
    if (!fpLog) return 1;
    if (DdeInitializeA(&idServer, Callback,
                       APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                       0) != DMLERR_NO_ERROR)
        return 1;
    hszProgman = DdeCreateStringHandleA(idServer, "PROGMAN", CP_WINANSI);
    if (!hszProgman || !DdeNameService(idServer, hszProgman, nullptr, DNS_REGISTER)) return 1;
    EnumThreadWindows(GetCurrentThreadId(), RaiseWindow, 0);

    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (!ready) return 1;
    SetEvent(ready);
    CloseHandle(ready);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!msg.hwnd && msg.message == WM_END_CONVERSATION && idServer) {
            // Ending the instance terminates its conversations.
            DdeUninitialize(idServer);
            idServer = 0;
            Log("END");
            continue;
        }
        DispatchMessageA(&msg);
    }
    if (idServer) DdeUninitialize(idServer);
    fclose(fpLog);
    return 0;
}
