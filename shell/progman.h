// The Program Manager conversation: a DDEML client of service and topic
// "PROGMAN".
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <ddeml.h>

extern DWORD idInst;
extern PFNCALLBACK lpDdeProc;
extern HSZ hszService;
extern HSZ hszTopic;
extern HCONV hConv;

// Opens the conversation: 1 when Program Manager answered. A failed opening
// keeps what it made for CloseProgman.
int OpenProgman();
// Ends the conversation and the DDE instance; without them, nothing happens.
void CloseProgman();

// Sends one execute command, its NUL included, and waits at most 1000 ms.
// Non-zero when Program Manager accepted it.
HDDEDATA SendDdeCommand(char* command, unsigned long inst, HCONV conv);

// The DDE callback, exported by name from the executable.
extern "C" HDDEDATA CALLBACK DDECallback(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2,
                                         HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);

// For the main window's WM_DDE_ACK and WM_DDE_TERMINATE.
// lParam keeps its full width on 64-bit (a long on 32-bit).
void DDE_ACKnowledge(HWND hwnd, HWND partner, LPARAM lParam, int unused);
void DDE_Terminate();
