// The pure parts of the shell integration: the widths of icon values, the
// split of a link's command line, the Program Manager command texts and the
// version code of the running Windows.
#pragma once

#include <cstddef>
#include <cstdint>

// Widths, without the terminating NUL.
const size_t MAX_GROUP_NAME = 31;
const size_t MAX_ICON_FIELD = 151;    // an expanded command line or icon file
const size_t LINK_PATH_SIZE = 260;    // full path of a link file, NUL included
const size_t DDE_COMMAND_SIZE = 100;  // one Program Manager command, NUL included

// A group name that can be used: at most MAX_GROUP_NAME; empty names the
// Programs folder itself.
bool GroupNameFits(const char* group);
// An expanded command line or icon file of at most MAX_ICON_FIELD; null fits.
bool IconFieldFits(const char* field);
// A title that names one file: no path separator, not "." or "..".
bool IsPlainFileName(const char* title);

// A link's command line, split at its first blank.
struct LinkCommand {
    char szTarget[260];
    char szArguments[260];
    char szWorkDir[260];  // the target up to its last backslash; may be empty
    bool bHasArguments;   // there was a blank, even with nothing after it
};

// False, with out emptied, when the command line is longer than 259.
bool SplitLinkCommand(const char* cmdLine, LinkCommand& out);

// "<start menu>\Programs\<group>" and "<that>\<title>.lnk", without the
// group's part when it is empty; false when the path would be longer than
// LINK_PATH_SIZE - 1.
bool MakeGroupFolderPath(char (&path)[LINK_PATH_SIZE], const char* startMenu, const char* group);
bool MakeLinkPath(char (&path)[LINK_PATH_SIZE], const char* startMenu, const char* group,
                  const char* title);

// Program Manager commands; false when the text is longer than 99.
bool MakeCreateGroupCommand(char (&cmd)[DDE_COMMAND_SIZE], const char* group);
bool MakeShowGroupCommand(char (&cmd)[DDE_COMMAND_SIZE], const char* group, int show);
// With an icon file that is null or empty, the two-field form.
bool MakeAddItemCommand(char (&cmd)[DDE_COMMAND_SIZE], const char* cmdLine, const char* title,
                        const char* iconFile);

// Version codes of FindWinVersion.
enum eWinVersions {
    wvOther = 0,
    wv310 = 1,      // 3.10
    wv3xEarly = 2,  // 3.x other than 3.10, build below 300
    wv3xLate = 3,   // 3.x other than 3.10, build 300 or more
    wv4 = 4,
};

// The code of a file version given as its two 32-bit words.
int VersionCode(uint32_t versionMS, uint32_t versionLS);
