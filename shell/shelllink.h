// shell32.dll and ole32.dll, loaded at run time, and the shell link writer.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shtypes.h>

// Folder numbers of SHGetSpecialFolderLocation.
const int csidlStartMenu = 11;
const int csidlFonts = 20;

// shell32.dll with SHGetSpecialFolderLocation and SHGetPathFromIDList; never
// on Win32s, whose shell32.dll has no shell folders.
int LinkToShell();
// The entry point of that name, or of the name with "A" where a library
// offers only the ANSI name.
FARPROC ShellEntry(HMODULE lib, const char* name);
void UnlinkFromShell();

// ole32.dll with CoInitialize, CoCreateInstance and CoUninitialize; COM is
// initialised while it is loaded.
int LinkToShellOle();
void UnlinkFromShellOle();

// The path of a shell folder (csidl*) through the forwarders; false when the
// shell cannot name it. The shell's item list is freed.
bool ShellFolderPath(int csidl, char (&path)[MAX_PATH]);

extern "C" {
// Forwarders with the shell's names and signatures: the rest of the program
// calls them as if shell32.dll were imported.
HRESULT WINAPI SHGetSpecialFolderLocation(HWND hwndOwner, int nFolder, LPITEMIDLIST* ppidl);
BOOL WINAPI SHGetPathFromIDList(LPCITEMIDLIST pidl, LPSTR pszPath);

// Writes one link file: 1 when it was saved. The icon file may be null.
__declspec(dllexport) int linkCreate(const char* cmdLine, const char* linkPath,
                                     const char* description, const char* iconFile);

extern const GUID CLSID_ShellLink;
extern const GUID IID_IShellLink;
extern const GUID myIID_IPersistFile;
}
