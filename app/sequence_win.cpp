// The installation sequence: its stages in order, the final message and the
// product-information command.
#include "app/disks_win.h"
#include "app/globals.h"
#include "app/paths.h"
#include "app/postinstall.h"
#include "app/script.h"
#include "app/setup_win.h"
#include "archive/winutil.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "shell/shellgroup.h"
#include "ui/intro_win.h"
#include "ui/options_win.h"

namespace {

const int kFirstSupportedVersion = 0x301;  // 3.1

void RefuseVersion() {
    PfMessageBox(nullptr, "Install does not support Window versions\nPrior to 3.1.",
                 "Unsupported Windows Version", MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
}

// The destination from BaseDir, in capital letters, and its description.
void ReadDestination() {
    char baseDir[SCRIPT_BASEDIR_SIZE];
    PfGetProfileString("Install", "BaseDir", "", baseDir, sizeof baseDir, szIniFile);
    PfGetProfileString("Install", "DirDesc", "", szDirDescription, sizeof szDirDescription,
                       szIniFile);
    bool cut = false;
    int state = ExpandPaths(dest_path, baseDir, nullptr, &cut);
    // One that does not fit is not offered: the directory field stays empty.
    bDestIsWindows = !cut && (state == esWindows || state == esSystem);
    StrUpper(dest_path);
}

// The Installation Options dialog: 1 to go on. A dialog that could not be
// shown (-1) has approved nothing, so it ends the installation as Cancel does.
int RunOptionsDialog() {
    return DialogBoxParamA(hInst, "InstallOptions", hMainWnd, OptionsDlgProc, 0) > 0;
}

// Copies one file of exe_dir into the destination; skipped when either path
// would not fit, since a cut path names another file.
void CopyToDestination(const char* name) {
    char source[144], target[144];
    if (MakeFullPath(source, exe_dir, name) && MakeFullPath(target, dest_path, name))
        FileCopy(source, target);
}

// Whether szIniFile is a copy of the script that the end may delete: not
// when the destination is the program's own directory, where it is the
// medium's script itself.
bool bScriptIsCopy = false;

// The readme (unless the destination is the Windows directory) and the
// script; from here on the script in use is the copy. A copy path that does
// not fit leaves no script in use, as a failed copy would.
void CopyReadmeAndScript() {
    if (!bDestIsWindows) {
        CreatePath(dest_path);
        CopyToDestination("readme.txt");
    }
    char source[144];
    bool fit = MakeFullPath(source, exe_dir, "install.ini");
    fit = MakeFullPath(szIniFile, dest_path, "install.ini") && fit;
    bScriptIsCopy = fit && !SameFile(source, szIniFile);
    if (fit)
        FileCopy(source, szIniFile);
    else
        szIniFile[0] = '\0';
}

}  // namespace

int GetTheVersion() {
    DWORD version = GetVersion();
    return LOBYTE(LOWORD(version)) * 256 + HIBYTE(LOWORD(version));
}

// Nothing is undone: what was made stays in place.
void cleanInstallFail() {}

int doInstallation() {
    if (GetTheVersion() < kFirstSupportedVersion) {
        RefuseVersion();
        return 0;
    }
    Intro(hMainWnd);
    ReadPackages();
    ReadDestination();
    if (!RunOptionsDialog()) {
        cleanInstallFail();
        return 0;
    }
    StrUpper(dest_path);
    CopyReadmeAndScript();
    if (!loadDisks()) {
        cleanInstallFail();
        return 0;
    }
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (bSDCancelled) {
        PfMessageBox(hMainWnd, "Install Cancelled !", szTitle, MB_OK | MB_ICONEXCLAMATION);
    } else {
        AddExeItems();
        UpdateWinIni();
        DoRunItems();
        DoDeleteFiles();
        PfMessageBox(hMainWnd, "Install Completed !", szTitle, MB_OK | MB_ICONINFORMATION);
    }
    ShowProductInfo();
    if (szIniFile[0] && bScriptIsCopy) DeleteFileA(szIniFile);
    return 1;
}

bool ProductInfoCommand(char* command, size_t size) {
    char value[301];  // one more than the reader's 300: tells a cut value
    PfGetProfileString("Icons", "ProdInfo", "", value, sizeof value, szIniFile);
    char* fields[2];
    if (!CutKeepsFields(value, 299, 2) || SplitCommaList(value, fields, 2) < 2) return false;
    bool cut = false;
    ExpandPaths(command, fields[1], dest_path, size, &cut);
    // A command cut short would run something else.
    return !cut;
}

void ShowProductInfo() {
    char command[400];
    if (ProductInfoCommand(command, sizeof command)) WinExec(command, SW_SHOW);
}
