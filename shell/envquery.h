// Questions about the running Windows: the font directory and a version code.
#pragma once

#include <windows.h>

// Fills buf (size characters; callers give 260) with the font directory:
// the shell's fonts folder, else "<Windows directory>\fonts" on version code
// 4, else the system directory.
void GetWinFontDir(char* buf, int size);

// The version code (eWinVersions) of USER.EXE in the system directory;
// read again on every call.
int FindWinVersion();

// The file version of path, more significant word first; both 0 when the
// file or its version information is missing.
void GetVerInfo(const char* path, DWORD* versionMS, DWORD* versionLS);
