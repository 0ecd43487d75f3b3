// Loaded into every program of the desktop by benchrun's global CBT hook; in
// SETUP.EXE (the program that exports linkCreate) it wraps a few imports and
// writes each stage event, with the time, to the file named by
// SETUP_BENCH_LOG: "MICROSECONDS EVENT DETAIL", one a line. The times are the
// performance counter's, which benchrun's own lines share.
#include <windows.h>

#include <cstring>

#include "platform/strutil.h"

namespace {

HANDLE hLog = INVALID_HANDLE_VALUE;

// The names of the dialogs made by CreateDialogParamA, to name them at DestroyWindow.
struct OpenDialog {
    HWND hwnd;
    char name[32];
};
OpenDialog openDialogs[8];

void Log(const char* event, const char* detail) {
    if (hLog == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    unsigned long long us = now.QuadPart / freq.QuadPart * 1000000ull +
                            now.QuadPart % freq.QuadPart * 1000000ull / freq.QuadPart;
    char line[400];
    BufFormat(line, "%llu %s %s\r\n", us, event, detail ? detail : "");
    DWORD written;
    WriteFile(hLog, line, DWORD(strlen(line)), &written, nullptr);
}

// A resource name is a string or a number.
void ResourceName(const char* name, char (&out)[32]) {
    if (IS_INTRESOURCE(name))
        BufFormat(out, "#%u", unsigned(reinterpret_cast<ULONG_PTR>(name)));
    else
        BufCopy(out, name);
}

// One line: line breaks of a message text would split the log's.
void OneLine(const char* text, char (&out)[200]) {
    BufCopy(out, text ? text : "");
    for (char* p = out; *p; ++p)
        if (*p == '\r' || *p == '\n') *p = ' ';
}

typedef INT_PTR(WINAPI* DialogBoxParamFn)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM);
typedef HWND(WINAPI* CreateDialogParamFn)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM);
typedef BOOL(WINAPI* DestroyWindowFn)(HWND);
typedef int(WINAPI* MessageBoxFn)(HWND, LPCSTR, LPCSTR, UINT);
typedef BOOL(WINAPI* SetWindowTextFn)(HWND, LPCSTR);
typedef HWND(WINAPI* SetFocusFn)(HWND);
typedef HANDLE(WINAPI* FindFirstFileFn)(LPCSTR, LPWIN32_FIND_DATAA);
typedef BOOL(WINAPI* CreateProcessFn)(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                      BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                                      LPPROCESS_INFORMATION);
typedef DWORD(WINAPI* WaitForSingleObjectFn)(HANDLE, DWORD);
typedef BOOL(WINAPI* WriteProfileStringFn)(LPCSTR, LPCSTR, LPCSTR);

DialogBoxParamFn realDialogBoxParam;
CreateDialogParamFn realCreateDialogParam;
DestroyWindowFn realDestroyWindow;
MessageBoxFn realMessageBox;
SetWindowTextFn realSetWindowText;
SetFocusFn realSetFocus;
FindFirstFileFn realFindFirstFile;
CreateProcessFn realCreateProcess;
WaitForSingleObjectFn realWaitForSingleObject;
WriteProfileStringFn realWriteProfileString;

INT_PTR WINAPI LogDialogBoxParam(HINSTANCE inst, LPCSTR name, HWND owner, DLGPROC proc,
                                 LPARAM param) {
    char id[32];
    ResourceName(name, id);
    Log("dialog", id);
    INT_PTR result = realDialogBoxParam(inst, name, owner, proc, param);
    Log("dialog-end", id);
    return result;
}

HWND WINAPI LogCreateDialogParam(HINSTANCE inst, LPCSTR name, HWND owner, DLGPROC proc,
                                 LPARAM param) {
    char id[32];
    ResourceName(name, id);
    Log("create", id);
    HWND hwnd = realCreateDialogParam(inst, name, owner, proc, param);
    Log("open", id);
    for (OpenDialog& d : openDialogs)
        if (!d.hwnd) {
            d.hwnd = hwnd;
            BufCopy(d.name, id);
            break;
        }
    return hwnd;
}

BOOL WINAPI LogDestroyWindow(HWND hwnd) {
    for (OpenDialog& d : openDialogs)
        if (hwnd && d.hwnd == hwnd) {
            BOOL done = realDestroyWindow(hwnd);
            Log("close", d.name);
            d.hwnd = nullptr;
            return done;
        }
    return realDestroyWindow(hwnd);
}

int WINAPI LogMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    char line[200];
    OneLine(text, line);
    Log("message", line);
    int answer = realMessageBox(owner, text, caption, type);
    Log("message-end", line);
    return answer;
}

BOOL WINAPI LogSetWindowText(HWND hwnd, LPCSTR text) {
    char line[200];
    BufFormat(line, "%d ", GetDlgCtrlID(hwnd));
    BufAppend(line, text ? text : "");
    Log("text", line);
    return realSetWindowText(hwnd, text);
}

HWND WINAPI LogSetFocus(HWND hwnd) {
    Log("focus", nullptr);
    return realSetFocus(hwnd);
}

HANDLE WINAPI LogFindFirstFile(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    Log("find", pattern);
    return realFindFirstFile(pattern, data);
}

BOOL WINAPI LogCreateProcess(LPCSTR app, LPSTR cmd, LPSECURITY_ATTRIBUTES pa,
                             LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID env,
                             LPCSTR dir, LPSTARTUPINFOA si, LPPROCESS_INFORMATION pi) {
    Log("process", cmd);
    return realCreateProcess(app, cmd, pa, ta, inherit, flags, env, dir, si, pi);
}

DWORD WINAPI LogWaitForSingleObject(HANDLE h, DWORD ms) {
    DWORD result = realWaitForSingleObject(h, ms);
    Log("wait-end", nullptr);
    return result;
}

BOOL WINAPI LogWriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value) {
    Log("winini", section);
    BOOL done = realWriteProfileString(section, key, value);
    Log("winini-end", section);
    return done;
}

struct Wrap {
    const char* name;
    void* wrapper;
    void** real;
};

const Wrap kWraps[] = {
    {"DialogBoxParamA", reinterpret_cast<void*>(LogDialogBoxParam),
     reinterpret_cast<void**>(&realDialogBoxParam)},
    {"CreateDialogParamA", reinterpret_cast<void*>(LogCreateDialogParam),
     reinterpret_cast<void**>(&realCreateDialogParam)},
    {"DestroyWindow", reinterpret_cast<void*>(LogDestroyWindow),
     reinterpret_cast<void**>(&realDestroyWindow)},
    {"MessageBoxA", reinterpret_cast<void*>(LogMessageBox),
     reinterpret_cast<void**>(&realMessageBox)},
    {"SetWindowTextA", reinterpret_cast<void*>(LogSetWindowText),
     reinterpret_cast<void**>(&realSetWindowText)},
    {"SetFocus", reinterpret_cast<void*>(LogSetFocus), reinterpret_cast<void**>(&realSetFocus)},
    {"FindFirstFileA", reinterpret_cast<void*>(LogFindFirstFile),
     reinterpret_cast<void**>(&realFindFirstFile)},
    {"CreateProcessA", reinterpret_cast<void*>(LogCreateProcess),
     reinterpret_cast<void**>(&realCreateProcess)},
    {"WaitForSingleObject", reinterpret_cast<void*>(LogWaitForSingleObject),
     reinterpret_cast<void**>(&realWaitForSingleObject)},
    {"WriteProfileStringA", reinterpret_cast<void*>(LogWriteProfileString),
     reinterpret_cast<void**>(&realWriteProfileString)},
};

// Points the program's import slots of the wrapped functions at the wrappers.
void WrapImports(HMODULE exe) {
    BYTE* base = reinterpret_cast<BYTE*>(exe);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return;
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         imp->Name; ++imp) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (const Wrap& w : kWraps) {
                if (strcmp(reinterpret_cast<const char*>(byName->Name), w.name) != 0) continue;
                DWORD old;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                               &old);
                *w.real = reinterpret_cast<void*>(slots->u1.Function);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(w.wrapper);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            }
        }
    }
}

void Attach() {
    HMODULE exe = GetModuleHandleA(nullptr);
    char path[MAX_PATH];
    if (!GetProcAddress(exe, "linkCreate") ||
        !GetEnvironmentVariableA("SETUP_BENCH_LOG", path, sizeof path))
        return;
    hLog = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    WrapImports(exe);
    Log("hooked", nullptr);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Attach();
    return TRUE;
}
