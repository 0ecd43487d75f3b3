// File and process utilities of the Windows build: copying a file with its
// date, running a program to its end, and loading the dialog templates up
// front so that a missing one stops the installation before it starts.
#pragma once

#include <windows.h>

// Copies src to dest, giving the copy the source's last-write date and time.
// 1 on success, and without copying when dest is src itself (by its full
// path, case aside, or by another name); 0 when the source is missing, a
// buffer, either file cannot be had, or the copy is left short (the short
// copy stays on disk).
int FileCopy(const char* src, const char* dest);

// True when b names the file a: the same full path, case aside, or the same
// existing file under another name. Creating b would empty a.
bool SameFile(const char* a, const char* b);

// Allocates the copy buffer: *size bytes of fixed global memory, halving the
// size after each failure from 8192 down to 512. Null when all fail.
typedef HGLOBAL(WINAPI* GlobalAllocFn)(UINT flags, SIZE_T bytes);
HGLOBAL AllocCopyBuffer(UINT* size, GlobalAllocFn alloc = GlobalAlloc);

// Starts the command line as a new process and waits until it has ended:
// 1, also when the command cannot start. On Win32s, which cannot wait for
// a program, it starts the command and returns 0 at once.
short ExecuteProgram(char* cmdLine);

// The resources loaded by lockAll: rows of (name, type), ended by a null name.
struct ResourceRow {
    const char* name;
    const char* type;
};
const int NUM_LOCKED_RESOURCES = 7;
extern ResourceRow rsList[NUM_LOCKED_RESOURCES + 1];
extern HGLOBAL hRes[NUM_LOCKED_RESOURCES];

// Loads and locks every row of rsList in order; 0 at the first that fails.
int lockAll();
void unlockAll();
