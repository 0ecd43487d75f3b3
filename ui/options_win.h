// The Installation Options dialog: destination directory, packages, and the
// space they need on the destination drive and the Windows drive.
#pragma once

#include <windows.h>

#include "app/setup_win.h"

// The drive the destination account is made for: an upper-case letter, or
// NO_DRIVE while the directory field is empty.
extern char cDestDrive;
// The row bitmaps: selected, required, not to be installed.
extern HBITMAP hSelected, hRequired, hNoInstall;

// Run modally from "InstallOptions": 1 for OK, 0 for a confirmed Cancel.
SETUP_EXPORT INT_PTR CALLBACK OptionsDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Recomputes both accounts for the drive, fills the two rows, shows or hides
// the Windows row and the warning, enables or disables OK.
void UpdateSpace(HWND hDlg, char drive);
// One list item per package; every package starts selected. Returns 1.
int FillOptListBox(HWND hDlg);
void LoadBitmaps();
// Draws one row and brings the package's bSelected in line with it.
void DrawListItem(const DRAWITEMSTRUCT* item);
// Copies a bitmap at its own size into a rectangle, inset evenly from the top
// and bottom and by the same amount from the left.
void DrawBitmap(HBITMAP hBitmap, HDC hDC, const RECT* rect);
