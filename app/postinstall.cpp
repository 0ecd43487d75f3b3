#include "app/postinstall.h"

#include <cstring>

#include "app/globals.h"
#include "app/paths.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "shell/shelltext.h"

namespace {

// Buffer sizes, terminating NUL included.
const uint32_t KEY_LIST_SIZE = 300;
const uint32_t VALUE_SIZE = 150;
const uint32_t SECTION_ENTRY_SIZE = 200;  // an AddToSection value
const size_t WININI_VALUE_SIZE = 500;     // a value after expansion
const size_t COMMAND_SIZE = 500;
const size_t DELETE_PATH_SIZE = 760;
const size_t QUESTION_SIZE = 200;

// A section's key list; false, after the message, when it did not fit.
bool ReadSectionKeys(const char* section, char (&keys)[KEY_LIST_SIZE], uint32_t& len,
                     const char* tooMuch) {
    len = ReadKeyList(section, keys, KEY_LIST_SIZE);
    if (!KeyListOverflowed(len, KEY_LIST_SIZE)) return true;
    PfMessageBox(nullptr, tooMuch, "Install", MB_OK | MB_ICONSTOP);
    return false;
}

// Reads a value of at most N - 2 characters into a buffer one byte larger
// than the reader's; false when the script's value is longer: cut, it would
// name another file, program or setting.
template <size_t N>
bool ReadWholeValue(const char* section, const char* keys, const char* key, char (&value)[N]) {
    ReadKeyValue(section, keys, key, value);
    return strlen(value) <= N - 2;
}

// Expands a script value with "%I" = dest_path; false when it would not
// fit, since a value cut short names another file or program.
template <size_t N>
bool ExpandValue(char (&out)[N], const char* text) {
    bool cut = false;
    ExpandPaths(out, text, dest_path, &cut);
    return !cut;
}

bool IsBlank(const char* text) {
    return text[strspn(text, " \t")] == '\0';
}

// The next token at p: leading separators skipped, ended at the next one,
// which becomes a NUL. Null when nothing but blanks is left.
char* NextToken(char*& p, char separator) {
    while (*p == separator) ++p;
    char* token = p;
    char* end = strchr(p, separator);
    p = end ? end + 1 : p + strlen(p);
    if (end) *end = '\0';
    return IsBlank(token) ? nullptr : token;
}

// An AddToSection value: section ";" key "=" value, the value ending at a
// further "=". Written as it stands; a part that is missing is no entry,
// since a null key or value would remove a section or a key of WIN.INI.
void AddToSection(char* entry) {
    char* p = entry;
    const char* section = NextToken(p, ';');
    const char* key = section ? NextToken(p, '=') : nullptr;
    const char* value = key ? NextToken(p, '=') : nullptr;
    if (value) PfWriteWinIni(section, key, value);
}

// A plain WinIniData key, expanded into the product's section.
void AddProductKey(const char* keys, const char* key) {
    char value[VALUE_SIZE + 1];
    if (!ReadWholeValue("WinIniData", keys, key, value)) return;
    char expanded[WININI_VALUE_SIZE];
    if (ExpandValue(expanded, value)) PfWriteWinIni(szTitle, key, expanded);
}

// The question before a run item; false when it is declined, or too long
// to be shown whole.
bool UserWantsToRun(const char* key) {
    char question[QUESTION_SIZE];
    if (!BufFormat(question, "Do you want to \n%s ?", key)) return false;
    return PfMessageBox(hMainWnd, question, szTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// A run item's value longer than the reader's 149 characters: usable, cut
// there as the reader cuts it, when the command and the ask flag after its
// comma lie before the cut, since the rest is ignored anyway.
bool CutAfterCommand(char (&value)[VALUE_SIZE + 1]) {
    const char* comma = strchr(value, ',');
    if (!comma || size_t(comma - value) + 2 > VALUE_SIZE - 1) return false;
    value[VALUE_SIZE - 1] = '\0';
    return true;
}

// One run item: a command line, optionally ",1" to ask first. Whatever
// follows the first comma is not part of the command. Only a command that
// can run is asked about.
void RunItem(const char* key, char* value, const RunItemHooks& hooks) {
    bool ask = false;
    if (char* comma = strchr(value, ',')) {
        ask = comma[1] == '1';
        *comma = '\0';
    }
    char command[COMMAND_SIZE];
    if (ExpandValue(command, value) && (!ask || UserWantsToRun(key))) hooks.execute(command);
}

}  // namespace

int UpdateWinIni() {
    char keys[KEY_LIST_SIZE];
    uint32_t len;
    if (!ReadSectionKeys("WinIniData", keys, len, "Too much win.ini data.")) return 0;
    // Without a title there is no product section: an empty section name
    // would name the nameless lines at the top of WIN.INI.
    const bool hasTitle = !IsBlank(szTitle);
    uint32_t offset = 0;
    while (const char* key = NextKey(keys, len, offset)) {
        if (StrEqualNoCase(key, "ClearOld")) {
            if (hasTitle) PfWriteWinIni(szTitle, nullptr, nullptr);
        } else if (StrPrefixNoCase(key, "AddToSection", 12)) {
            char entry[SECTION_ENTRY_SIZE + 1];
            if (ReadWholeValue("WinIniData", keys, key, entry)) AddToSection(entry);
        } else if (hasTitle) {
            AddProductKey(keys, key);
        }
    }
    return 1;
}

int ProcessRunList(const char* section, const RunItemHooks& hooks) {
    char keys[KEY_LIST_SIZE];
    uint32_t len;
    if (!ReadSectionKeys(section, keys, len, "Too much run item data.")) return 0;
    uint32_t offset = 0;
    while (const char* key = NextKey(keys, len, offset)) {
        char value[VALUE_SIZE + 1];
        if (ReadWholeValue(section, keys, key, value) || CutAfterCommand(value))
            RunItem(key, value, hooks);
    }
    return 1;
}

int DoRunItems(const RunItemHooks& hooks) {
    ProcessRunList("RunItems", hooks);
    int version = hooks.winVersion();
    ProcessRunList(version >= wv310 && version <= wv3xLate ? "Run16Items" : "Run32Items", hooks);
    return 1;
}

int DoDeleteFiles() {
    char keys[KEY_LIST_SIZE];
    uint32_t len;
    if (!ReadSectionKeys("DeleteFiles", keys, len, "Too much delete files data.")) return 0;
    uint32_t offset = 0;
    while (const char* key = NextKey(keys, len, offset)) {
        char value[VALUE_SIZE + 1];
        char path[DELETE_PATH_SIZE];
        // A missing file, or one that cannot go, is passed over.
        if (ReadWholeValue("DeleteFiles", keys, key, value) && ExpandValue(path, value))
            PfRemove(path);
    }
    return 1;
}
