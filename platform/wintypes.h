// The few Win32 types and constants that the portable core names.
// On Windows they come from <windows.h>; on Linux they are stand-ins.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
typedef void* HWND;
typedef void* HINSTANCE;
typedef void* HMODULE;

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNO 0x00000004u
#define MB_ICONHAND 0x00000010u
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONINFORMATION 0x00000040u
#define MB_DEFBUTTON2 0x00000100u
#define MB_SYSTEMMODAL 0x00001000u

#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#endif
