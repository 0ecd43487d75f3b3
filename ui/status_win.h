// The progress and status windows of the long work, the message pump that
// keeps them alive while the work runs, and dialog centring.
#pragma once

#include <windows.h>

#include "app/setup_win.h"
#include "archive/archive.h"

// The update message of the extraction dialog: a code in wParam, a text or a
// percentage in lParam.
const UINT WM_EXTRACT_STATUS = WM_USER + 0x400;
enum eExtractUpdate {
    euArchiveName = 1,
    euFileName = 2,
    euArchivePercent = 4,
    euFilePercent = 5,
};

// Messages of the general status dialog ("StatusDlg").
const UINT WM_STATUS_LINE1 = WM_USER + 1;    // lParam: text
const UINT WM_STATUS_LINE2 = WM_USER + 2;    // lParam: text
const UINT WM_STATUS_ICON = WM_USER + 3;     // shows the icon control
const UINT WM_STATUS_PERCENT = WM_USER + 4;  // lParam: done (low word), total (high word)

// The extraction progress dialog, modeless, in hStatusDlg; 0 when it could
// not be created.
int OpenExtractStatusDlg(HINSTANCE hInstance, HWND hOwner);
void CloseExtractStatusDlg();
// The archive reader's status callback: one update sent to hStatusDlg per
// event, then the queue is drained, which is when a Cancel click counts.
void ExtractStatusCallback(eStatusKeys key, void* arg);

SETUP_EXPORT INT_PTR CALLBACK ExtractStatusDlgProc(HWND hDlg, UINT message, WPARAM wParam,
                                                   LPARAM lParam);
SETUP_EXPORT INT_PTR CALLBACK StatusDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Removes, translates and dispatches every waiting message; never waits.
void DoPeeks();

// Moves a window, keeping its size, to the middle of the screen.
void CenterDlg(HWND hWnd);
