// SETUP.EXE's start-up, backdrop window and installation sequence.
#pragma once

#include <windows.h>

#include <cstddef>

// Window, dialog and callback procedures are exported by their plain names
// (SETUP.EXE links with --kill-at, which drops the "@n" of stdcall names).
#define SETUP_EXPORT extern "C" __declspec(dllexport)

// Start-up (setup_win.cpp).
BOOL InitApplication(HINSTANCE hInstance);
BOOL InitInstance(HINSTANCE hInstance, int nCmdShow);
SETUP_EXPORT LRESULT CALLBACK MainWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// GetModuleFileNameA, always terminated: Windows 95 and NT leave a path that
// fills the buffer without its NUL. Returns the length kept.
DWORD ModuleFileName(HMODULE module, char* path, DWORD size);
// The backdrop window of the registered class, captioned with szTitle.
HWND CreateMainWindow(HINSTANCE hInstance);
void LoadCtl3d();
void UnloadCtl3d();

// The installation sequence (sequence_win.cpp).
int doInstallation();
void cleanInstallFail();
void ShowProductInfo();
int GetTheVersion();
// The product-information command of the script, expanded; false when the
// script names none or it does not fit.
bool ProductInfoCommand(char* command, size_t size);
