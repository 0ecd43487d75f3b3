// The disk-by-disk extraction loop and its disk prompt.
#pragma once

#include <windows.h>

#include "app/setup_win.h"

// Extracts every archive of the selected packages, disk by disk. 0 when the
// installation must end (no readable script, or the disk prompt cancelled);
// 1 when every disk was walked, also after a cancel in the status window,
// which stays in bSDCancelled.
int loadDisks();

// The disk prompt, run modally from "GetDisk" with the disk's number: ends
// with 1 when the user confirmed a source directory (now in exe_dir), 0 when
// the user cancelled and confirmed it.
SETUP_EXPORT INT_PTR CALLBACK GetDiskDlg(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
