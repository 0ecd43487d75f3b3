// The extraction progress dialog with its two owner-drawn bars, the general
// status dialog, the message pump and dialog centring. Both dialogs report
// Cancel through bSDCancelled only: the work they show tests the flag.
#include "ui/status_win.h"

#include "app/globals.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "ui/dialogmath.h"

namespace {

// The percentage line of the general status dialog; not reset per dialog.
int nLastPercent = -1;

// The extraction dialog's controls, the percentages its bars show and the
// brushes that paint them (made once, kept for the run).
HWND hArchiveName, hArchiveBar, hFileName, hFileBar;
int nArchivePercent, nFilePercent;
HBRUSH hBlueBrush, hYellowBrush;

void StartExtractStatus(HWND hDlg) {
    hArchiveName = GetDlgItem(hDlg, IDC_EXTRACT_ARCHIVE);
    hArchiveBar = GetDlgItem(hDlg, IDC_EXTRACT_ARCHIVEBAR);
    hFileName = GetDlgItem(hDlg, IDC_EXTRACT_FILE);
    hFileBar = GetDlgItem(hDlg, IDC_EXTRACT_FILEBAR);
    bSDCancelled = 0;
    if (!hBlueBrush) hBlueBrush = CreateSolidBrush(RGB(0, 0, 255));
    if (!hYellowBrush) hYellowBrush = CreateSolidBrush(RGB(255, 255, 0));
}

// A bar is drawn again only when its percentage moved: under Wine each
// repaint costs about 0.3 ms, and most inflate steps leave both bars where
// they were.
void SetPercent(int& shown, int percent, HWND bar) {
    if (percent == shown) return;
    shown = percent;
    InvalidateRect(bar, nullptr, FALSE);
}

void UpdateExtractStatus(WPARAM code, LPARAM lParam) {
    const char* text = reinterpret_cast<const char*>(lParam);
    switch (code) {
        case euArchiveName:
            SetWindowTextA(hArchiveName, text);
            break;
        case euFileName:
            SetWindowTextA(hFileName, text);
            break;
        case euArchivePercent:
            SetPercent(nArchivePercent, int(lParam), hArchiveBar);
            break;
        case euFilePercent:
            SetPercent(nFilePercent, int(lParam), hFileBar);
            break;
    }
}

// Yellow with a black outline, then blue inside the outline from the left
// edge to the percentage, so that 100 % leaves the outline whole.
void DrawBar(const DRAWITEMSTRUCT* item) {
    if (item->itemAction != ODA_DRAWENTIRE) return;
    int percent;
    if (item->CtlID == IDC_EXTRACT_ARCHIVEBAR)
        percent = nArchivePercent;
    else if (item->CtlID == IDC_EXTRACT_FILEBAR)
        percent = nFilePercent;
    else
        return;
    const RECT& r = item->rcItem;
    HGDIOBJ oldBrush = SelectObject(item->hDC, hYellowBrush);
    HGDIOBJ oldPen = SelectObject(item->hDC, GetStockObject(BLACK_PEN));
    Rectangle(item->hDC, r.left, r.top, r.right, r.bottom);
    SelectObject(item->hDC, oldPen);
    SelectObject(item->hDC, oldBrush);
    RECT done = {r.left + 1, r.top + 1, BarSplit(r.left, r.right - r.left, percent), r.bottom - 1};
    if (done.right > r.right - 1) done.right = r.right - 1;
    if (done.right > done.left) FillRect(item->hDC, &done, hBlueBrush);
}

void ShowPercent(HWND hDlg, LPARAM lParam) {
    int percent = PercentDone(LOWORD(lParam), HIWORD(lParam));
    if (percent < 0 || percent == nLastPercent) return;
    char text[16];
    BufFormat(text, "%d %%", percent);
    SetDlgItemTextA(hDlg, IDC_STATUS_LINE3, text);
    nLastPercent = percent;
}

}  // namespace

int OpenExtractStatusDlg(HINSTANCE hInstance, HWND hOwner) {
    hStatusDlg = CreateDialogParamA(hInstance, "ExtractStatusDlg", hOwner, ExtractStatusDlgProc, 0);
    if (!hStatusDlg) return 0;
    CenterDlg(hStatusDlg);
    ShowWindow(hStatusDlg, SW_SHOW);
    return 1;
}

void CloseExtractStatusDlg() {
    DestroyWindow(hStatusDlg);
    hStatusDlg = nullptr;
}

void ExtractStatusCallback(eStatusKeys key, void* arg) {
    WPARAM code = 0;
    LPARAM value = reinterpret_cast<LPARAM>(arg);
    switch (key) {
        case skArchiveName:
            code = euArchiveName;
            break;
        case skArchivePercent:
            code = euArchivePercent;
            value = StatusPercent(arg);
            break;
        case skFileName:
            code = euFileName;
            break;
        case skFilePercent:
            code = euFilePercent;
            value = StatusPercent(arg);
            break;
    }
    if (code) SendMessageA(hStatusDlg, WM_EXTRACT_STATUS, code, value);
    DoPeeks();
}

INT_PTR CALLBACK ExtractStatusDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            StartExtractStatus(hDlg);
            return TRUE;
        case WM_EXTRACT_STATUS:
            UpdateExtractStatus(wParam, lParam);
            return TRUE;
        case WM_DRAWITEM:
            DrawBar(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) != IDCANCEL) return FALSE;
            bSDCancelled = 1;
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK StatusDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            CenterDlg(hDlg);
            bSDCancelled = 0;
            return TRUE;
        case WM_STATUS_LINE1:
            SetDlgItemTextA(hDlg, IDC_STATUS_LINE1, reinterpret_cast<const char*>(lParam));
            return TRUE;
        case WM_STATUS_LINE2:
            SetDlgItemTextA(hDlg, IDC_STATUS_LINE2, reinterpret_cast<const char*>(lParam));
            return TRUE;
        case WM_STATUS_ICON:
            ShowWindow(GetDlgItem(hDlg, IDC_STATUS_ICON), SW_SHOW);
            return TRUE;
        case WM_STATUS_PERCENT:
            ShowPercent(hDlg, lParam);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) != IDCANCEL) return FALSE;
            bSDCancelled = 1;
            return TRUE;
        default:
            return FALSE;
    }
}

void DoPeeks() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void CenterDlg(HWND hWnd) {
    RECT r;
    GetWindowRect(hWnd, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    MoveWindow(hWnd, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, IsWindowVisible(hWnd));
}
