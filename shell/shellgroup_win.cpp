#include <windows.h>

#include "app/globals.h"
#include "app/paths.h"
#include "platform/platform.h"
#include "shell/envquery.h"
#include "shell/icons.h"
#include "shell/progman.h"
#include "shell/shellgroup.h"
#include "shell/shelllink.h"
#include "shell/shelltext.h"
#include "ui/status_win.h"

int bUseShellDll;

namespace {

bool CanLoad(const char* name) {
    HMODULE lib = LoadLibraryA(name);
    if (!lib) return false;
    FreeLibrary(lib);
    return true;
}

bool Send(char (&cmd)[DDE_COMMAND_SIZE]) {
    return SendDdeCommand(cmd, idInst, hConv) != nullptr;
}

int LinkFolder(const char* group) {
    char startMenu[MAX_PATH];
    char folder[LINK_PATH_SIZE];
    // Without the Start menu the group would land in the drive's root.
    if (!ShellFolderPath(csidlStartMenu, startMenu) ||
        !MakeGroupFolderPath(folder, startMenu, group))
        return 0;
    CreatePath(folder);
    return 1;
}

int DdeFolder(const char* group) {
    char cmd[DDE_COMMAND_SIZE];
    if (!MakeCreateGroupCommand(cmd, group) || !Send(cmd)) return 0;
    if (FindWinVersion() == wv4) return 1;
    if (MakeShowGroupCommand(cmd, group, 2)) Send(cmd);
    return MakeShowGroupCommand(cmd, group, 1) && Send(cmd) ? 1 : 0;
}

int LinkShortcut(const char* group, const char* cmdLine, const char* title, const char* iconFile) {
    char startMenu[MAX_PATH];
    char link[LINK_PATH_SIZE];
    // The title is the link's file name: it must name a file in the group.
    if (!IsPlainFileName(title) || !ShellFolderPath(csidlStartMenu, startMenu) ||
        !MakeLinkPath(link, startMenu, group, title))
        return 0;
    return linkCreate(cmdLine, link, title, iconFile);
}

int DdeShortcut(const char* cmdLine, const char* title, const char* iconFile) {
    char cmd[DDE_COMMAND_SIZE];
    return MakeAddItemCommand(cmd, cmdLine, title, iconFile) && Send(cmd) ? 1 : 0;
}

// "Too many icons" is shown after the window has gone; the finish then has
// nothing left to close.
void CloseIconStatus() {
    if (hStatusDlg) DestroyWindow(hStatusDlg);
    hStatusDlg = nullptr;
}

const IconMaker kShellMaker = {shellMakeFolder, shellMakeShortcut, CloseIconStatus};

}  // namespace

void AddExeItems() {
    // The dialog clears bSDCancelled as it opens.
    hStatusDlg = CreateDialogParamA(hInst, "StatusDlg", hMainWnd, StatusDlgProc, 0);
    SendMessageA(hStatusDlg, WM_STATUS_LINE1, 0,
                 reinterpret_cast<LPARAM>("Installing Desktop Icons"));
    const int ready = shellInit();
    if (ready)
        MakeScriptIcons(kShellMaker);
    else
        PfMessageBox(hMainWnd, "Unable to install icons.", "Setup", MB_OK | MB_ICONEXCLAMATION);
    CloseIconStatus();
    if (ready) shellDeinit();
    SetFocus(hMainWnd);
}

int shellInit() {
    bUseShellDll = CanLoad("shell32.dll") && CanLoad("ole32.dll");
    if (bUseShellDll) {
        if (LinkToShell() && LinkToShellOle()) return 1;
        UnlinkFromShell();  // shell32 may have loaded when ole32 did not
        bUseShellDll = 0;
    }
    if (OpenProgman()) return 1;
    CloseProgman();
    return 0;
}

int shellMakeFolder(const char* group) {
    if (!GroupNameFits(group)) return 0;
    return bUseShellDll ? LinkFolder(group) : DdeFolder(group);
}

int shellMakeShortcut(const char* group, const char* cmdLine, const char* title,
                      const char* iconFile) {
    if (!GroupNameFits(group) || !IconFieldFits(cmdLine) || !IconFieldFits(iconFile)) return 0;
    if (bUseShellDll) return LinkShortcut(group, cmdLine, title, iconFile);
    // Program Manager adds the item to the group made current last.
    return DdeShortcut(cmdLine, title, iconFile);
}

void shellDeinit() {
    if (bUseShellDll) {
        UnlinkFromShell();
        UnlinkFromShellOle();
    }
    CloseProgman();
}
