// Checking an install script the way the setup will read it: with the same
// profile functions, buffers, comma splitter, package reader and path
// expansion, reporting every problem with its section and key.
#pragma once

#include <string>
#include <vector>

struct ScriptFinding {
    std::string section;
    std::string key;  // empty when the finding is about the section as a whole
    bool error;       // else a warning
    std::string message;
};

struct ScriptCheckOptions {
    // Media directories: one for every disk (a CD, or a copy in one
    // directory), or one per disk in disk order. Empty: archives unchecked.
    std::vector<std::string> media;
    // A script template of the media builder, which writes the disks and the
    // disk sections later: those and the packages they name go unchecked.
    bool isTemplate = false;
};

// Makes szIniFile name the script at path, as a full path (a bare name would
// be looked for in the Windows directory). False when it does not fit.
bool UseScriptFile(const char* path);

// True when the script szIniFile is a template of the media builder: no
// "disks" key, no disk section, and "?" for a package's files or size.
bool IsScriptTemplate();

// Checks the script szIniFile names, in the order Install, the sections
// themselves (unknown or repeated names), Packages, the disk sections,
// Icons, WinIniData, the run items and DeleteFiles. The
// setup's globals (the package table, dest_path, szTitle, szWinFontDir when
// empty) are filled as the setup fills them; message boxes are swallowed.
std::vector<ScriptFinding> CheckScript(const ScriptCheckOptions& options);

// "FILE:SECTION:KEY: error: MESSAGE" (or "warning:").
std::string FormatFinding(const std::string& file, const ScriptFinding& finding);
bool HasErrors(const std::vector<ScriptFinding>& findings);
