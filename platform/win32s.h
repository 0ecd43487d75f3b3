// What Win32s, the 32-bit extension of Windows 3.1, does differently from
// Windows 95 and NT in the calls SETUP.EXE makes (Windows build only).
#pragma once

#include <windows.h>

// True on Win32s: GetVersion's top bit set (not NT) and a major version
// below 4 (Windows 95 reports 4).
bool IsWin32s();

// The last-write time of an open file as an MS-DOS date and time in local
// time, and setting it from one. Windows 95 and NT keep file times in UTC;
// Win32s hands the local times of FAT through as they are, unconverted.
bool GetDosWriteTime(HANDLE file, WORD* date, WORD* time);
bool SetDosWriteTime(HANDLE file, WORD date, WORD time);

// The system's calls behind them. Wine keeps UTC whatever version it
// reports, and this machine's clock may be UTC too: the tests stand in for
// them with a time zone of their own and, under Win32s, local file times.
// Returns the calls used before.
struct FileTimeCalls {
    BOOL(WINAPI* get)(HANDLE, LPFILETIME, LPFILETIME, LPFILETIME);
    BOOL(WINAPI* set)(HANDLE, const FILETIME*, const FILETIME*, const FILETIME*);
    BOOL(WINAPI* toLocal)(const FILETIME*, LPFILETIME);
    BOOL(WINAPI* toUtc)(const FILETIME*, LPFILETIME);
};
FileTimeCalls SetFileTimeCalls(FileTimeCalls calls);
