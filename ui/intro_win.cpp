// The intro box. It runs modeless under its own loop in Intro, which offers
// each message to the box's keyboard handling first, so Enter and Escape
// arrive as commands.
#include "ui/intro_win.h"

#include "app/globals.h"
#include "resources/resource.h"
#include "ui/credits.h"
#include "ui/dialogmath.h"
#include "ui/status_win.h"

HWND hIntroDlg;

namespace {

const UINT_PTR kIntroTimer = 2;
const UINT kIntroMillis = 10000;
const int kTitlePoints = 30, kDisclaimerPoints = 12;

HBITMAP hLogo;
HFONT hTitleFont, hDisclaimerFont;

// Sets a control's text with its ampersands doubled, on a font fitted to it.
HFONT SetFittedText(HWND hDlg, int id, const char* text, LOGFONTA* font) {
    char shown[2 * sizeof szDisclaimer];
    DoubleAmpersands(shown, sizeof shown, text);
    HFONT fitted = ScaleToFit(GetDlgItem(hDlg, id), shown, font);
    SetDlgItemTextA(hDlg, id, shown);
    return fitted;
}

// The credit statics have no ids: they are the template's first, fifth and
// sixth controls (copyright, developers and company, heading), in creation
// order. Without the resource they stay empty.
void SetCredits(HWND hDlg) {
    HRSRC found = FindResourceA(hInst, "Credits", MAKEINTRESOURCEA(10));
    HGLOBAL loaded = found ? LoadResource(hInst, found) : nullptr;
    const char* block = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    size_t size = block ? SizeofResource(hInst, found) : 0;
    const struct { int control, first, count; } statics[] = {{0, 4, 2}, {4, 1, 3}, {5, 0, 1}};
    int index = 0;
    for (HWND c = GetWindow(hDlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++index) {
        for (const auto& s : statics) {
            if (s.control != index) continue;
            char text[3 * (2 * CREDITS_LINE_SIZE + 1)];
            CreditText(text, sizeof text, block ? block : "", size, s.first, s.count);
            SetWindowTextA(c, text);
        }
    }
}

void StartIntro(HWND hDlg) {
    HDC dc = GetDC(hDlg);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hDlg, dc);
    LOGFONTA font = {};
    font.lfHeight = PointsToPixels(kTitlePoints, dpi);
    font.lfWeight = FW_BOLD;
    font.lfItalic = TRUE;
    font.lfQuality = PROOF_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    hTitleFont = SetFittedText(hDlg, IDC_INTRO_TITLE, szTitle, &font);
    font.lfHeight = PointsToPixels(kDisclaimerPoints, dpi);
    hDisclaimerFont = SetFittedText(hDlg, IDC_INTRO_DISCLAIMER, szDisclaimer, &font);
    SetCredits(hDlg);
    CenterDlg(hDlg);
    hLogo = LoadBitmapA(hInst, "CompanyLogo");
    SetFocus(hDlg);
    SetTimer(hDlg, kIntroTimer, kIntroMillis, nullptr);
}

void CloseIntro(HWND hDlg) {
    KillTimer(hDlg, kIntroTimer);
    DestroyWindow(hDlg);
    hIntroDlg = nullptr;
}

void DeleteIntroObjects() {
    DeleteObject(hLogo);
    DeleteObject(hTitleFont);
    DeleteObject(hDisclaimerFont);
    hLogo = nullptr;
    hTitleFont = hDisclaimerFont = nullptr;
}

void PaintIntro(HWND hDlg) {
    PAINTSTRUCT ps;
    BeginPaint(hDlg, &ps);
    DrawLogo(hDlg, IDC_INTRO_LOGO, hLogo);
    EndPaint(hDlg, &ps);
}

// The disclaimer in red on the dialog's own background, whichever the
// system and the 3-D controls give it; other statics keep the default colours.
INT_PTR StaticColours(HWND hDlg, HDC dc, HWND control) {
    if (GetDlgCtrlID(control) != IDC_INTRO_DISCLAIMER) return FALSE;
    LRESULT brush = SendMessageA(hDlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(hDlg));
    SetTextColor(dc, RGB(255, 0, 0));
    return brush;
}

}  // namespace

void Intro(HWND hOwner) {
    hIntroDlg = CreateDialogParamA(hInst, "IntroBox", hOwner, IntroDlg, 0);
    MSG msg;
    while (hIntroDlg) {
        // Sleeps while nothing is waiting rather than spinning for ten seconds.
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        if (!IsDialogMessageA(hIntroDlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

INT_PTR CALLBACK IntroDlg(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            StartIntro(hDlg);
            return FALSE;  // the focus is set
        case WM_PAINT:
            PaintIntro(hDlg);
            return TRUE;
        case WM_CTLCOLORSTATIC:
            return StaticColours(hDlg, reinterpret_cast<HDC>(wParam),
                                 reinterpret_cast<HWND>(lParam));
        case WM_TIMER:
            if (wParam == kIntroTimer) CloseIntro(hDlg);
            return TRUE;
        case WM_LBUTTONDOWN:
            CloseIntro(hDlg);
            return TRUE;
        case WM_COMMAND:
            if (wParam != IDC_INTRO_TITLE) CloseIntro(hDlg);
            return TRUE;
        case WM_DESTROY:
            DeleteIntroObjects();
            return FALSE;
        default:
            return FALSE;
    }
}

HFONT ScaleToFit(HWND hControl, const char* text, LOGFONTA* font) {
    HFONT made = CreateFontIndirectA(font);
    SendMessageA(hControl, WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
    HDC dc = GetDC(hControl);
    HGDIOBJ old = SelectObject(dc, made);
    // DrawTextA measures on every system; Win32s lacks GetTextExtentPoint32A.
    RECT extent = {};
    DrawTextA(dc, text, -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(hControl, dc);
    RECT client;
    GetClientRect(hControl, &client);
    if (client.right >= extent.right) return made;
    font->lfHeight = ShrinkHeight(font->lfHeight, client.right, extent.right);
    HFONT smaller = CreateFontIndirectA(font);
    SendMessageA(hControl, WM_SETFONT, reinterpret_cast<WPARAM>(smaller), FALSE);
    DeleteObject(made);
    return smaller;
}

void DrawLogo(HWND hDlg, int id, HBITMAP hBitmap) {
    HWND control = GetDlgItem(hDlg, id);
    BITMAP bm;
    if (!control || !hBitmap || !GetObjectA(hBitmap, sizeof bm, &bm)) return;
    RECT client;
    GetClientRect(control, &client);
    Span across = FitSpan(client.right, bm.bmWidth), down = FitSpan(client.bottom, bm.bmHeight);
    HDC dc = GetDC(control);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, hBitmap);
    BitBlt(dc, across.offset, down.offset, across.length, down.length, memory, 0, 0, SRCAND);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(control, dc);
}
