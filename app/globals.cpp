#include "app/globals.h"

HINSTANCE hInst;
HWND hMainWnd;
char exe_dir[260];
char szIniFile[144];
char dest_path[260];
char szWinFontDir[260];
char szTitle[51];
char szDisclaimer[101];
char szDirDescription[51];
int bDestIsWindows;
HMODULE hCtl3d;

Package Packages[MAX_PACKAGES];
int iNumPackages;

HWND hStatusDlg;
int bSDCancelled;
