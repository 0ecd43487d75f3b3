// The extraction loop: disk by disk, on each disk the selected packages in
// table order, for each package the archives its keys name; the disk prompt
// whenever an archive cannot be read.
#include "app/disks_win.h"

#include <cstring>

#include "app/disks.h"
#include "app/globals.h"
#include "app/script.h"
#include "archive/archive.h"
#include "fonts/untangle.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "ui/status_win.h"

namespace {

// The typed source directory, before its backslash.
const int kDiskDirChars = 79;

// The archive the disk prompt asks for: a directory typed there must leave
// room for its name.
const char* pszWantedArchive = "";

// Asks for the disk until the archive can be read, also when the source
// directory is too deep for its path. 1 when it can, 0 when the user ended
// the installation.
int FindArchive(ArchiveTarget& target, int disk) {
    while (!target.szPath[0] || PfAccess(target.szPath, 4) != 0) {
        pszWantedArchive = target.szName;
        // A prompt that could not be shown (-1) confirmed nothing.
        INT_PTR confirmed = DialogBoxParamA(hInst, "GetDisk", hMainWnd, GetDiskDlg, LPARAM(disk));
        pszWantedArchive = "";
        if (confirmed <= 0) return 0;
        StrLower(exe_dir);
        FormArchivePath(target);
    }
    return 1;
}

void ReportExtractError(const char* name) {
    char text[200];
    BufFormat(text, "An error occurred while extracting files from '%s%s'.", exe_dir, name);
    MessageBeep(MB_ICONEXCLAMATION);
    PfMessageBox(hMainWnd, text, "Setup", MB_OK | MB_ICONEXCLAMATION);
}

// One key of the disk section: 0 when the installation must end.
int LoadArchive(Archive& archive, int disk, const char* section, const char* keys, const char* key,
                const Package& package) {
    ArchiveTarget target;
    int state = PrepareArchive(section, keys, key, package, target);
    if (state == tsSkip) return 1;
    if (state == tsReady && !FindArchive(target, disk)) return 0;
    if (state == tsReady && archive.Extract(target.szPath, target.szDest, 1)) {
        if (package.iType == ptFF1 || package.iType == ptFF12TTF) UntangleFonts(target.szDest, 1);
        return 1;
    }
    ReportExtractError(target.szName);
    return 1;
}

// One disk: its selected packages in table order, until a cancel.
int LoadDisk(Archive& archive, int disk) {
    char section[16], keys[DISK_KEYS_SIZE];
    BufFormat(section, "Disk%1d", disk);
    uint32_t len = ReadDiskKeys(section, keys, sizeof keys);
    if (len == 0) return 1;
    for (int i = 0; i < iNumPackages && !bSDCancelled; ++i) {
        const Package& package = Packages[i];
        if (!package.bSelected) continue;
        uint32_t offset = 0;
        while (const char* key = NextKey(keys, len, offset))
            if (PackageOwnsKey(package, key) &&
                !LoadArchive(archive, disk, section, keys, key, package))
                return 0;
    }
    return 1;
}

int LoadAllDisks(Archive& archive) {
    int disks = int(PfGetProfileInt("Install", "disks", -1, szIniFile));
    if (disks == -1) {
        PfMessageBox(nullptr, "Couldn't read install.ini", "Bad Diskette",
                     MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
        return 0;
    }
    StrLower(exe_dir);
    for (int disk = 1; disk <= disks; ++disk)
        if (!LoadDisk(archive, disk)) return 0;
    return 1;
}

void InitDiskPrompt(HWND hDlg, LPARAM lParam) {
    CenterDlg(hDlg);
    char prompt[32];
    BufFormat(prompt, "Insert Disk %d", int(LOWORD(lParam)));
    SetDlgItemTextA(hDlg, IDC_DISK_PROMPT, prompt);
    HWND field = GetDlgItem(hDlg, IDC_DISK_DIR);
    SendMessageA(field, EM_LIMITTEXT, kDiskDirChars, 0);
    SetWindowTextA(field, exe_dir);
    SendMessageA(field, EM_SETSEL, 0, -1);
    SetFocus(field);
}

// OK: the typed directory, with its backslash, becomes exe_dir. An empty
// field keeps the prompt; so does a directory that leaves no room in the
// archive's path for its name, which cut would name another file.
void ConfirmSource(HWND hDlg) {
    HWND field = GetDlgItem(hDlg, IDC_DISK_DIR);
    char text[kDiskDirChars + 2];
    int length = GetWindowTextLengthA(field);
    bool fits = length <= kDiskDirChars && GetWindowTextA(field, text, kDiskDirChars + 1) > 0;
    if (fits && text[strlen(text) - 1] != '\\') BufAppend(text, "\\");
    fits = fits && strlen(text) + strlen(pszWantedArchive) < ARCHIVE_PATH_SIZE;
    if (length > 0 && !fits)
        PfMessageBox(hDlg, "Directory name too long.", "Disk Needed", MB_OK | MB_ICONEXCLAMATION);
    if (!fits) {
        SetFocus(field);
        return;
    }
    BufCopy(exe_dir, text);
    EndDialog(hDlg, 1);
}

void ConfirmCancel(HWND hDlg) {
    int answer =
        PfMessageBox(hDlg, "Are you sure you want to cancel installation?", "Cancel Confirmation",
                     MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_SYSTEMMODAL);
    if (answer == IDYES) EndDialog(hDlg, 0);
}

}  // namespace

int loadDisks() {
    Archive archive;
    bool shown = OpenExtractStatusDlg(hInst, hMainWnd) != 0;
    if (shown) archive.SetStatusCallback(ExtractStatusCallback);
    int result = LoadAllDisks(archive);
    if (shown) CloseExtractStatusDlg();
    return result;
}

INT_PTR CALLBACK GetDiskDlg(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitDiskPrompt(hDlg, lParam);
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK)
                ConfirmSource(hDlg);
            else if (LOWORD(wParam) == IDCANCEL)
                ConfirmCancel(hDlg);
            return TRUE;
        default:
            return FALSE;
    }
}
