#include <shobjidl.h>

#include "platform/strutil.h"
#include "platform/win32s.h"
#include "shell/shelllink.h"
#include "shell/shelltext.h"

extern "C" {
const GUID CLSID_ShellLink = {0x00021401, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID IID_IShellLink = {0x000214ee, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID myIID_IPersistFile = {0x0000010b, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
}

namespace {

typedef HRESULT(WINAPI* SpecialFolderFn)(HWND, int, LPITEMIDLIST*);
typedef BOOL(WINAPI* PathFromListFn)(LPCITEMIDLIST, LPSTR);
typedef void(WINAPI* FreeListFn)(LPITEMIDLIST);
typedef HRESULT(WINAPI* CoInitializeFn)(LPVOID);
typedef HRESULT(WINAPI* CoCreateInstanceFn)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
typedef void(WINAPI* CoUninitializeFn)();

HMODULE hShell32;
SpecialFolderFn pSpecialFolderLocation;
PathFromListFn pPathFromIDList;
FreeListFn pILFree;  // optional: without it an item list stays allocated

HMODULE hOle32;
CoInitializeFn pCoInitialize;
CoCreateInstanceFn pCoCreateInstance;
CoUninitializeFn pCoUninitialize;
bool bComInitialised;

template <typename T>
T Entry(HMODULE lib, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
}

// Win16 heritage: a handle of 32 or less is an error code.
HMODULE Load(const char* name) {
    HMODULE lib = LoadLibraryA(name);
    return reinterpret_cast<UINT_PTR>(lib) > 32 ? lib : nullptr;
}

}  // namespace

FARPROC ShellEntry(HMODULE lib, const char* name) {
    if (FARPROC entry = GetProcAddress(lib, name)) return entry;
    char ansi[64];
    return BufFormat(ansi, "%sA", name) ? GetProcAddress(lib, ansi) : nullptr;
}

int LinkToShell() {
    if (pSpecialFolderLocation && pPathFromIDList) return 1;
    // Win32s has a shell32.dll, but no shell folders behind it: Windows 3.1's
    // groups are Program Manager's, and its fonts are in the system directory.
    if (IsWin32s()) return 0;
    hShell32 = Load("shell32.dll");
    if (!hShell32) return 0;
    pSpecialFolderLocation = Entry<SpecialFolderFn>(hShell32, "SHGetSpecialFolderLocation");
    pPathFromIDList = reinterpret_cast<PathFromListFn>(
        reinterpret_cast<void*>(ShellEntry(hShell32, "SHGetPathFromIDList")));
    pILFree = Entry<FreeListFn>(hShell32, "ILFree");
    if (!pSpecialFolderLocation || !pPathFromIDList) {
        UnlinkFromShell();
        return 0;
    }
    return 1;
}

void UnlinkFromShell() {
    if (hShell32) FreeLibrary(hShell32);
    hShell32 = nullptr;
    pSpecialFolderLocation = nullptr;
    pPathFromIDList = nullptr;
    pILFree = nullptr;
}

extern "C" HRESULT WINAPI SHGetSpecialFolderLocation(HWND hwndOwner, int nFolder,
                                                     LPITEMIDLIST* ppidl) {
    if (!pSpecialFolderLocation && !LinkToShell()) {
        if (ppidl) *ppidl = nullptr;
        return E_FAIL;
    }
    return pSpecialFolderLocation(hwndOwner, nFolder, ppidl);
}

extern "C" BOOL WINAPI SHGetPathFromIDList(LPCITEMIDLIST pidl, LPSTR pszPath) {
    if (!pPathFromIDList && !LinkToShell()) {
        if (pszPath) pszPath[0] = '\0';
        return FALSE;
    }
    return pPathFromIDList(pidl, pszPath);
}

bool ShellFolderPath(int csidl, char (&path)[MAX_PATH]) {
    path[0] = '\0';
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return false;
    BOOL named = SHGetPathFromIDList(list, path);
    if (pILFree) pILFree(list);
    return named && path[0];
}

int LinkToShellOle() {
    if (pCoInitialize && pCoCreateInstance && pCoUninitialize) return 1;
    hOle32 = Load("ole32.dll");
    if (!hOle32) return 0;
    pCoInitialize = Entry<CoInitializeFn>(hOle32, "CoInitialize");
    pCoCreateInstance = Entry<CoCreateInstanceFn>(hOle32, "CoCreateInstance");
    pCoUninitialize = Entry<CoUninitializeFn>(hOle32, "CoUninitialize");
    if (!pCoInitialize || !pCoCreateInstance || !pCoUninitialize) {
        UnlinkFromShellOle();
        return 0;
    }
    // Only a successful call (S_OK or S_FALSE) is to be balanced later.
    bComInitialised = SUCCEEDED(pCoInitialize(nullptr));
    return 1;
}

void UnlinkFromShellOle() {
    if (bComInitialised) pCoUninitialize();
    bComInitialised = false;
    if (hOle32) FreeLibrary(hOle32);
    hOle32 = nullptr;
    pCoInitialize = nullptr;
    pCoCreateInstance = nullptr;
    pCoUninitialize = nullptr;
}

extern "C" int linkCreate(const char* cmdLine, const char* linkPath, const char* description,
                          const char* iconFile) {
    // A command line or path that does not fit is refused, not cut.
    LinkCommand cmd;
    WCHAR widePath[MAX_PATH];
    if (!pCoCreateInstance || !SplitLinkCommand(cmdLine, cmd) ||
        !MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH))
        return 0;

    IShellLinkA* link = nullptr;
    if (FAILED(pCoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLink,
                                 reinterpret_cast<void**>(&link))))
        return 0;
    link->SetPath(cmd.szTarget);
    if (cmd.szWorkDir[0]) link->SetWorkingDirectory(cmd.szWorkDir);
    if (cmd.bHasArguments) link->SetArguments(cmd.szArguments);
    link->SetDescription(description ? description : "");
    if (iconFile && *iconFile) link->SetIconLocation(iconFile, 0);

    IPersistFile* file = nullptr;
    HRESULT hr = link->QueryInterface(myIID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) {
        hr = file->Save(widePath, TRUE);
        file->Release();
    }
    link->Release();
    return SUCCEEDED(hr) ? 1 : 0;
}
