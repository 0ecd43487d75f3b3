// The Installation Options dialog. The list keeps no strings: item i stands
// for Packages[i], and drawing a row is what brings the package's bSelected
// in line with the list's selection.
#include "ui/options_win.h"

#include "app/globals.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "ui/dialogmath.h"
#include "ui/space.h"
#include "ui/status_win.h"

char cDestDrive;
HBITMAP hSelected, hRequired, hNoInstall;

namespace {

// The part of the field read to find its drive.
const int kDriveFieldChars = 98;

void SetItemFormat(HWND hDlg, int id, const char* format, unsigned long value) {
    char text[32];
    BufFormat(text, sizeof text, format, value);
    SetDlgItemTextA(hDlg, id, text);
}

// Free space is shown as an unsigned K count, so that a disk of 2 GB or more
// shows its space rather than a negative figure.
void ShowFreeSpace(HWND hDlg, int id, char drive) {
    SetItemFormat(hDlg, id, "%lu K", KFromBytes(spaceAvailable(drive)));
}

void ShowItem(HWND hDlg, int id, bool show) {
    ShowWindow(GetDlgItem(hDlg, id), show ? SW_SHOW : SW_HIDE);
}

char WindowsDrive() {
    char systemDir[260] = "";
    unsigned n = PfGetSystemDir(systemDir, sizeof systemDir);
    if (n == 0 || n >= sizeof systemDir) return NO_DRIVE;
    systemDir[1] = '\0';
    StrUpper(systemDir);
    return systemDir[0];
}

// A default path without a drive letter lies on the current drive.
char CurrentDrive() {
    int disk = PfGetDisk();
    return disk < 0 ? NO_DRIVE : char('A' + disk);
}

void StartOptions(HWND hDlg) {
    if (bDestIsWindows) {
        ShowItem(hDlg, IDC_OPT_DIRLABEL, false);
        ShowItem(hDlg, IDC_OPT_DIR, false);
    } else {
        char label[80];
        BufFormat(label, "Directory for %s", szDirDescription);
        SetDlgItemTextA(hDlg, IDC_OPT_DIRLABEL, label);
    }
    char title[80];
    BufFormat(title, "%s Installation Options", szTitle);
    SetWindowTextA(hDlg, title);
    FillOptListBox(hDlg);
    cDestDrive = DriveOfField(dest_path, CurrentDrive());
    ShowFreeSpace(hDlg, IDC_OPT_DESTAVAIL, cDestDrive);
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_OPT_DEFAULTS, BN_CLICKED), 0);
    CenterDlg(hDlg);
}

void RestoreDefaults(HWND hDlg) {
    SetDlgItemTextA(hDlg, IDC_OPT_DIR, dest_path);
    SendDlgItemMessageA(hDlg, IDC_OPT_LIST, LB_SELITEMRANGE, TRUE, MAKELPARAM(0, 65535));
    for (int i = 0; i < iNumPackages; ++i) Packages[i].bSelected = 1;
    UpdateSpace(hDlg, cDestDrive);
}

// The account follows the drive typed into the field: an empty field has
// none; a path without "X:" keeps the drive in effect.
void TrackDestDrive(HWND hDlg) {
    if (!GetDlgItem(hDlg, IDC_OPT_OK)) return;  // still being created
    char text[kDriveFieldChars + 1];
    GetDlgItemTextA(hDlg, IDC_OPT_DIR, text, sizeof text);
    if (!text[0]) {
        cDestDrive = NO_DRIVE;
        SetItemFormat(hDlg, IDC_OPT_DESTAVAIL, "%lu", 0);
        UpdateSpace(hDlg, NO_DRIVE);
        return;
    }
    char drive = DriveOfField(text, cDestDrive);
    if (drive == cDestDrive) return;
    cDestDrive = drive;
    ShowFreeSpace(hDlg, IDC_OPT_DESTAVAIL, drive);
    UpdateSpace(hDlg, drive);
}

// A destination Windows cannot create is refused; the dialog stays open.
bool RefuseDestination(HWND hDlg) {
    char path[sizeof dest_path];
    GetDlgItemTextA(hDlg, IDC_OPT_DIR, path, sizeof path);
    const char bad = BadPathChar(path);
    if (!bad) return false;
    char what[32], message[400];
    if (static_cast<unsigned char>(bad) < 0x20)
        BufCopy(what, "a control character");
    else
        BufFormat(what, bad == ':' ? "\"%c\" but after the drive letter" : "\"%c\"", bad);
    BufFormat(message, "The directory \"%s\" cannot be created: a directory name cannot hold %s.",
              path, what);
    PfMessageBox(hDlg, message, "Setup", MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(hDlg, IDC_OPT_DIR));
    return true;
}

void ConfirmCancel(HWND hDlg) {
    int answer =
        PfMessageBox(hDlg, "Are you sure you want to cancel installation?", "Cancel Confirmation",
                     MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_SYSTEMMODAL);
    if (answer == IDYES) EndDialog(hDlg, 0);
}

BOOL OnCommand(HWND hDlg, int id, int code) {
    switch (id) {
        case IDC_OPT_DEFAULTS:
            RestoreDefaults(hDlg);
            return TRUE;
        case IDC_OPT_DIR:
            if (code == EN_CHANGE) TrackDestDrive(hDlg);
            return TRUE;
        case IDC_OPT_LIST:
            if (code == LBN_SELCHANGE) UpdateSpace(hDlg, cDestDrive);
            return TRUE;
        case IDC_OPT_OK:
            if (RefuseDestination(hDlg)) return TRUE;
            GetDlgItemTextA(hDlg, IDC_OPT_DIR, dest_path, sizeof dest_path);
            EndDialog(hDlg, 1);
            return TRUE;
        case IDCANCEL:
            ConfirmCancel(hDlg);
            return TRUE;
        default:
            return FALSE;
    }
}

void MeasureListItem(MEASUREITEMSTRUCT* item) {
    LoadBitmaps();
    BITMAP bm = {};
    GetObjectA(hSelected, sizeof bm, &bm);
    item->itemHeight = UINT(bm.bmHeight + 8);
}

// The row's columns: description, number of files, size in K.
void DrawRowTexts(HDC dc, const RECT& row, const Package& p) {
    int width = row.right - row.left, height = row.bottom - row.top;
    int files = ColumnEdge(row.left, width, 65), size = ColumnEdge(row.left, width, 85);
    char number[16], kilobytes[16];
    BufFormat(number, "%3d", int(p.lFiles));
    BufFormat(kilobytes, "%4ld", long(KFromPackageSize(p.lSize)));
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX;
    RECT cell = {row.left + height, row.top, files, row.bottom};
    DrawTextA(dc, p.szDescription, -1, &cell, format);
    cell.left = files, cell.right = size;
    DrawTextA(dc, number, -1, &cell, format);
    cell.left = size, cell.right = row.right;
    DrawTextA(dc, kilobytes, -1, &cell, format);
}

}  // namespace

INT_PTR CALLBACK OptionsDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            StartOptions(hDlg);
            return TRUE;
        case WM_COMMAND:
            return OnCommand(hDlg, LOWORD(wParam), HIWORD(wParam));
        case WM_MEASUREITEM:
            if (wParam != IDC_OPT_LIST) return FALSE;
            MeasureListItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DRAWITEM:
            if (wParam != IDC_OPT_LIST) return FALSE;
            DrawListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

void UpdateSpace(HWND hDlg, char drive) {
    DoPeeks();
    // A drive typed while the pump ran has had its own update: this one is
    // stale and must not put the earlier drive's account back over it.
    if (drive != cDestDrive) return;
    char winDrive = WindowsDrive();
    uint32_t winFree = spaceAvailable(winDrive), destFree = spaceAvailable(drive);
    SpaceAccount account = AccountSpace(Packages, iNumPackages, drive, winDrive, destFree, winFree);
    SetItemFormat(hDlg, IDC_OPT_DESTREQUIRED, "%lu K", KFromBytes(account.destTotal));
    char label[32];
    // With no drive set the row says so instead of showing a letter.
    if (drive == NO_DRIVE)
        BufCopy(label, "No drive");
    else
        BufFormat(label, "Drive %c:", drive);
    SetDlgItemTextA(hDlg, IDC_OPT_DESTLABEL, label);
    bool windowsRow = account.winTotal != 0;
    if (windowsRow) {
        BufFormat(label, "(Windows) Drive %c:", winDrive);
        SetDlgItemTextA(hDlg, IDC_OPT_WINLABEL, label);
        SetItemFormat(hDlg, IDC_OPT_WINREQUIRED, "%lu K", KFromBytes(account.winTotal));
        SetItemFormat(hDlg, IDC_OPT_WINAVAIL, "%lu K", KFromBytes(winFree));
    }
    ShowItem(hDlg, IDC_OPT_WINLABEL, windowsRow);
    ShowItem(hDlg, IDC_OPT_WINAVAIL, windowsRow);
    ShowItem(hDlg, IDC_OPT_WINREQUIRED, windowsRow);
    EnableWindow(GetDlgItem(hDlg, IDC_OPT_OK), account.okEnabled);
    ShowItem(hDlg, IDC_OPT_NOSPACE, !account.fits);
}

int FillOptListBox(HWND hDlg) {
    for (int i = 0; i < iNumPackages; ++i) {
        SendDlgItemMessageA(hDlg, IDC_OPT_LIST, LB_ADDSTRING, 0, i);
        Packages[i].bSelected = 1;
    }
    return 1;
}

void LoadBitmaps() {
    // Loaded once: the measure request may come again, the handles stay.
    if (!hSelected) hSelected = LoadBitmapA(hInst, MAKEINTRESOURCEA(IDB_SELECTED));
    if (!hRequired) hRequired = LoadBitmapA(hInst, MAKEINTRESOURCEA(IDB_REQUIRED));
    if (!hNoInstall) hNoInstall = LoadBitmapA(hInst, MAKEINTRESOURCEA(IDB_NOINSTALL));
}

void DrawListItem(const DRAWITEMSTRUCT* item) {
    // An empty list still asks for its focus rectangle: there is no package.
    if (item->itemID >= UINT(iNumPackages)) return;
    HDC dc = item->hDC;
    const RECT& row = item->rcItem;
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    // A null pen leaves the last column and row: the rectangle reaches one beyond.
    Rectangle(dc, row.left, row.top, row.right + 1, row.bottom + 1);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);

    Package& p = Packages[item->itemID];
    if (item->itemState & ODS_SELECTED)
        p.bSelected = 1;
    else if (p.bOptional)
        p.bSelected = 0;
    HBITMAP bitmap = !p.bOptional ? hRequired : p.bSelected ? hSelected : hNoInstall;
    COLORREF colour = !p.bOptional  ? RGB(127, 127, 127)
                      : p.bSelected ? RGB(0, 255, 0)
                                    : RGB(255, 0, 0);
    DrawBitmap(bitmap, dc, &row);
    COLORREF oldColour = SetTextColor(dc, colour);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawRowTexts(dc, row, p);
    if (item->itemState & ODS_FOCUS) {
        RECT focus = row;
        InflateRect(&focus, -1, -1);
        DrawFocusRect(dc, &focus);
    }
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}

void DrawBitmap(HBITMAP hBitmap, HDC hDC, const RECT* rect) {
    BITMAP bm;
    if (!hBitmap || !GetObjectA(hBitmap, sizeof bm, &bm)) return;
    int inset = (rect->bottom - rect->top - bm.bmHeight) / 2;
    HDC memory = CreateCompatibleDC(hDC);
    HGDIOBJ old = SelectObject(memory, hBitmap);
    BitBlt(hDC, rect->left + inset, rect->top + inset, bm.bmWidth, bm.bmHeight, memory, 0, 0,
           SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}
