// Start-up and shutdown: the window class, the blue backdrop window that
// covers the screen, the optional 3-D controls library, and the installation
// run from inside the instance set-up, before the message loop.
#include "app/setup_win.h"

// After windows.h, which it needs.
#include <dde.h>

#include <cstring>

#include "app/globals.h"
#include "archive/winutil.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "shell/envquery.h"
#include "shell/progman.h"
#include "ui/status_win.h"

namespace {

const char kClassName[] = "FFIWClass";
// Maximised, with a caption (border and dialog frame); no system menu and no
// sizing frame.
const DWORD kMainStyle = 0x01C00080;

typedef BOOL(WINAPI* Ctl3dFn)(HINSTANCE);

Ctl3dFn Ctl3dEntry(const char* name) {
    FARPROC proc = GetProcAddress(hCtl3d, name);
    return reinterpret_cast<Ctl3dFn>(reinterpret_cast<void (*)()>(proc));
}

// Win16 habits: a library handle counts as loaded above 32.
HMODULE LoadCtl3dLibrary() {
    HMODULE lib = LoadLibraryA("ctl3d32.dll");
    return reinterpret_cast<UINT_PTR>(lib) > 32 ? lib : nullptr;
}

// Installs the library from the copy that travels beside the program.
void CopyCtl3dFromMedia() {
    char source[260], target[260];
    ModuleFileName(hInst, source, sizeof source);
    char* slash = strrchr(source, '\\');
    bool fit = slash ? BufCopy(slash, sizeof source - (slash - source), "\\ctl3d32.tmp")
                     : BufCopy(source, "ctl3d32.tmp");
    unsigned n = PfGetSystemDir(target, sizeof target);
    fit = fit && n > 0 && n < sizeof target && BufAppend(target, "\\ctl3d32.dll");
    if (fit) FileCopy(source, target);
}

// The script beside the program.
void FindScript(HINSTANCE hInstance) {
    ModuleFileName(hInstance, exe_dir, sizeof exe_dir);
    if (char* slash = strrchr(exe_dir, '\\')) slash[1] = '\0';
    // A script path cut short would name another file: none is read then.
    if (!BufFormat(szIniFile, "%sinstall.ini", exe_dir)) szIniFile[0] = '\0';
}

// The product title and disclaimer of the script.
void ReadProductTexts() {
    PfGetProfileString("Install", "name", "", szTitle, sizeof szTitle, szIniFile);
    PfGetProfileString("Install", "disclaimer", "", szDisclaimer, sizeof szDisclaimer, szIniFile);
}

// Maximised, the window's caption and frame lie just outside the screen and
// its client area is the screen. The frame is measured for the window's own
// style: a thin border and the caption on Windows 3.x, a thicker frame since.
void CoverScreen(HWND hWnd, MINMAXINFO* info) {
    RECT frame = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongA(hWnd, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongA(hWnd, GWL_EXSTYLE)));
    info->ptMaxPosition.x = frame.left;
    info->ptMaxPosition.y = frame.top;
    info->ptMaxSize.x = frame.right - frame.left;
    info->ptMaxSize.y = frame.bottom - frame.top;
    info->ptMaxTrackSize = info->ptMaxSize;
}

}  // namespace

DWORD ModuleFileName(HMODULE module, char* path, DWORD size) {
    DWORD n = GetModuleFileNameA(module, path, size);
    if (size == 0) return 0;
    if (n >= size) n = size - 1;
    path[n] = '\0';
    return n;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    hInst = hInstance;
    // A library that is missing (ctl3d32.dll before its copy, shell32.dll and
    // ole32.dll on Windows 3.1) is a result to look at, not a system box.
    SetErrorMode(SEM_NOOPENFILEERRORBOX);
    LoadCtl3d();
    if (!InitApplication(hInstance)) return 0;
    if (!InitInstance(hInstance, nCmdShow)) return 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    UnloadCtl3d();
    return 0;
}

BOOL InitApplication(HINSTANCE hInstance) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, "InstallIcon");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(RGB(0, 64, 192));
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE hInstance) {
    char caption[64];
    BufFormat(caption, "%s Installation", szTitle);
    return CreateWindowExA(0, kClassName, caption, kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hInstance, nullptr);
}

// The show command is not used: the backdrop is always maximised.
BOOL InitInstance(HINSTANCE hInstance, int) {
    hInst = hInstance;
    FindScript(hInstance);
    GetWinFontDir(szWinFontDir, sizeof szWinFontDir);
    ReadProductTexts();
    hMainWnd = CreateMainWindow(hInstance);
    if (!hMainWnd) return 0;
    DoPeeks();
    ShowWindow(hMainWnd, SW_SHOWMAXIMIZED);
    UpdateWindow(hMainWnd);
    SetFocus(hMainWnd);
    DoPeeks();
    if (!lockAll()) return 0;
    int done = doInstallation();
    unlockAll();
    if (!done) return 0;
    DestroyWindow(hMainWnd);
    PostQuitMessage(0);
    return 1;
}

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETMINMAXINFO:
            CoverScreen(hWnd, reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_DDE_ACK:
            DDE_ACKnowledge(hWnd, reinterpret_cast<HWND>(wParam), lParam, 0);
            return 0;
        case WM_DDE_TERMINATE:
            DDE_Terminate();
            return 0;
        default:
            return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}

void LoadCtl3d() {
    hCtl3d = LoadCtl3dLibrary();
    if (!hCtl3d) {
        CopyCtl3dFromMedia();
        hCtl3d = LoadCtl3dLibrary();
    }
    if (!hCtl3d) return;
    Ctl3dFn registerApp = Ctl3dEntry("Ctl3dRegister");
    Ctl3dFn autoSubclass = Ctl3dEntry("Ctl3dAutoSubclass");
    if (registerApp && autoSubclass) {
        registerApp(hInst);
        autoSubclass(hInst);
    }
}

void UnloadCtl3d() {
    if (!hCtl3d) return;
    if (Ctl3dFn unregisterApp = Ctl3dEntry("Ctl3dUnregister")) unregisterApp(hInst);
    FreeLibrary(hCtl3d);
    hCtl3d = nullptr;
}
