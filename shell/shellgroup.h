// The program group and its icons, made as shell links where the shell
// offers them, else through Program Manager DDE.
#pragma once

// Non-zero while shell links are used; only shellInit writes it.
extern int bUseShellDll;

// Chooses the way and makes it ready: 1 when one of the two ways is ready.
int shellInit();
// Makes the group: 1 on success. A name longer than 31 is refused; an
// empty one is the Programs folder itself.
int shellMakeFolder(const char* group);
// Makes one icon in the group: 1 on success. The icon file may be null or
// empty. Values wider than their fields are refused, never cut.
int shellMakeShortcut(const char* group, const char* cmdLine, const char* title,
                      const char* iconFile);
// Releases what shellInit made ready.
void shellDeinit();

// Makes the program group and the icons of the script's "Icons" section while
// the status window shows "Installing Desktop Icons". Reports nothing: the
// failures it meets are shown to the user.
void AddExeItems();
