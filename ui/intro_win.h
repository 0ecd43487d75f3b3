// The intro box: logo, product name, disclaimer and credits, shown until a
// click, Enter, Escape or ten seconds.
#pragma once

#include <windows.h>

#include "app/setup_win.h"

// The open intro box; null once it has closed.
extern HWND hIntroDlg;

// Shows the box owned by hOwner and returns when it has closed.
void Intro(HWND hOwner);
SETUP_EXPORT INT_PTR CALLBACK IntroDlg(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Makes a font from *font the control's font, shrunk once in proportion when
// text is wider than the control (*font then holds the smaller height). The
// caller owns the font.
HFONT ScaleToFit(HWND hControl, const char* text, LOGFONTA* font);
// Draws the bitmap centred into control id's client area, cut where it is
// larger, ANDed with what is there so that its white leaves the background.
void DrawLogo(HWND hDlg, int id, HBITMAP hBitmap);
