// The actions after the files are in place: the script's WIN.INI data, the
// programs it lists to run, the files it names to delete.
#pragma once

// What the run items need of the system.
struct RunItemHooks {
    short (*execute)(char* cmdLine);  // starts a command line and waits for its end (not on Win32s)
    int (*winVersion)();              // the version code of the running Windows
};

// Writes section "WinIniData" of szIniFile into WIN.INI. 1 when the section
// was walked, 0 after "Too much win.ini data." (nothing written).
int UpdateWinIni();

// Runs (or offers to run) the programs of one run-item section, each to its
// end. 1 when the section was walked, 0 after "Too much run item data.".
int ProcessRunList(const char* section, const RunItemHooks& hooks);

// "RunItems", then "Run16Items" on Windows 3.x or "Run32Items" otherwise.
// Always 1.
int DoRunItems(const RunItemHooks& hooks);
// The same with the real program starter and version code (Windows build).
int DoRunItems();

// Deletes the files of section "DeleteFiles". 1 when the section was walked,
// 0 after "Too much delete files data." (nothing deleted).
int DoDeleteFiles();
