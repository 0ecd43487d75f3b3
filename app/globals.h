// The install-wide globals: set up at start-up, alive for the whole run.
// Text is zero-terminated in fixed-size arrays whose sizes are behaviour.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

// Package type codes (field 5 of a package value).
enum ePackageTypes {
    ptDLL = 0,  // also any unknown keyword
    ptTTF = 2,
    ptFF1 = 3,
    ptFF12TTF = 4,
};

const int MAX_PACKAGES = 20;

// One row of the "Packages" section.
struct Package {
    char szName[15];
    char szDescription[50];
    char szDirectory[70];
    int32_t lFiles;
    int32_t lSize;      // bytes
    int iType;          // ePackageTypes
    int bAbsoluteDir;   // directory is a complete location, not under dest_path
    int bSystemDir;     // installs into the Windows system directory
    int bSelected;      // set by the Options dialog
    int bOptional;      // the user may leave it out
};

extern HINSTANCE hInst;
extern HWND hMainWnd;
extern char exe_dir[260];
extern char szIniFile[144];
extern char dest_path[260];
extern char szWinFontDir[260];
extern char szTitle[51];
extern char szDisclaimer[101];
extern char szDirDescription[51];
extern int bDestIsWindows;
extern HMODULE hCtl3d;

extern Package Packages[MAX_PACKAGES];
extern int iNumPackages;

extern HWND hStatusDlg;
extern int bSDCancelled;
