// The script checker: its frame, and the sections "Install" and "Packages".
#include "tools/common/scriptcheck.h"

#include <cstring>

#include "app/globals.h"
#include "app/paths.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tools/common/scriptcheck_parts.h"

namespace {

// Room for any key list or value a script can hold.
const uint32_t BIG_SIZE = 65536;

// The message boxes of the setup's reader are not shown while checking: the
// checker reports the same conditions itself.
int SwallowMessageBox(HWND, const char*, const char*, unsigned) {
    return IDOK;
}

bool IsFullPath(const char* path) {
    return path[0] == '/' || path[0] == '\\' || (path[0] && path[1] == ':');
}

// The value of the given occurrence of a repeated key, from the section's
// lines, as the profile reader would give it (matching quotes removed).
std::string NthValue(const char* section, const std::string& key, int occurrence) {
    std::vector<char> lines(BIG_SIZE);
    uint32_t len = PfGetProfileSection(section, lines.data(), BIG_SIZE, szIniFile);
    if (len == BIG_SIZE - 2) return "";
    for (const char* line = lines.data(); *line; line += strlen(line) + 1) {
        const char* eq = strchr(line, '=');
        if (!eq || size_t(eq - line) != key.size() ||
            !StrPrefixNoCase(line, key.c_str(), key.size()))
            continue;
        if (occurrence-- > 0) continue;
        std::string text(eq + 1);
        if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0])
            text = text.substr(1, text.size() - 2);
        return text;
    }
    return "";
}

std::string ProfileValue(const char* section, const std::string& key, uint32_t size) {
    std::vector<char> buf(size);
    PfGetProfileString(section, key.c_str(), "", buf.data(), size, szIniFile);
    return buf.data();
}

const char* const kInstallKeys[] = {"name", "disclaimer", "BaseDir", "DirDesc", "disks"};

}  // namespace

std::string QuoteText(const std::string& text) {
    return "\"" + text + "\"";
}

std::string NumberText(long long value) {
    return std::to_string(value);
}

bool IsCountField(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9') ++p;
    if (p == digits) return false;
    while (*p == ' ' || *p == '\t') ++p;
    return *p == '\0';
}

bool UseScriptFile(const char* path) {
    if (IsFullPath(path)) return BufCopy(szIniFile, path);
    char cwd[1024];
    return PfGetCwd(cwd, sizeof cwd) && BufFormat(szIniFile, "%s\\%s", cwd, path);
}

void ScriptChecker::Add(bool error, const std::string& section, const std::string& key,
                        const std::string& message) {
    findings_.push_back(ScriptFinding{section, key, error, message});
}

void ScriptChecker::Error(const std::string& section, const std::string& key,
                          const std::string& message) {
    Add(true, section, key, message);
}

void ScriptChecker::Warning(const std::string& section, const std::string& key,
                            const std::string& message) {
    Add(false, section, key, message);
}

std::vector<std::string> ScriptChecker::Keys(const char* section, uint32_t size,
                                             const std::string& consequence, bool* overflowed) {
    std::vector<char> list(BIG_SIZE);
    uint32_t len = ReadKeyList(section, list.data(), BIG_SIZE);
    std::vector<char> setupList(size);
    const bool tooMuch = KeyListOverflowed(ReadKeyList(section, setupList.data(), size), size);
    if (overflowed) *overflowed = tooMuch;
    if (tooMuch)
        Error(section, "",
              "the key list needs " + NumberText(len + 1) + " bytes; the setup reads it into " +
                  NumberText(size) + " and takes the answer " + NumberText(size - 2) +
                  " as too much data: " + consequence);
    std::vector<std::string> keys;
    uint32_t offset = 0;
    while (const char* name = NextKey(list.data(), len, offset)) keys.push_back(name);
    return keys;
}

std::string ScriptChecker::Value(const char* section, const std::vector<std::string>& keys,
                                 size_t index, uint32_t size, bool cutIsError, bool* cut) {
    const std::string& key = keys[index];
    int occurrence = 0;
    for (size_t i = 0; i < index; ++i)
        if (StrEqualNoCase(keys[i].c_str(), key.c_str())) ++occurrence;
    std::string full =
        occurrence ? NthValue(section, key, occurrence) : ProfileValue(section, key, BIG_SIZE);
    std::string read = occurrence ? full.substr(0, size - 1) : ProfileValue(section, key, size);
    if (cut) *cut = full.size() > size - 1;
    // The setup acts on cut install settings, but leaves out an entry whose
    // cut falls inside what it uses.
    const bool entry = strcmp(section, "Install") != 0;
    if (full.size() > size - 1)
        Add(cutIsError, section, key,
            "the value is longer than " + NumberText(size - 1) + " characters; the setup reads " +
                (entry ? "only " : "") + QuoteText(read) +
                (entry ? " and leaves the entry out where the cut falls inside what it uses" : ""));
    return read;
}

bool ScriptChecker::Expand(const std::string& text, size_t size, std::string& out) {
    std::vector<char> buf(BIG_SIZE);
    bool cut = false;
    ExpandPaths(buf.data(), text.c_str(), dest_path, BIG_SIZE, &cut);
    out = buf.data();
    return !cut && out.size() < size;
}

void ScriptChecker::CheckInstall() {
    const std::vector<std::string> keys = Keys("Install", BIG_SIZE, "");
    for (const std::string& key : keys) {
        bool known = false;
        for (const char* k : kInstallKeys) known = known || StrEqualNoCase(key.c_str(), k);
        if (!known) Warning("Install", key, "the setup does not read this key");
    }
    BufCopy(szTitle, Value("Install", {"name"}, 0, sizeof szTitle, false).c_str());
    Value("Install", {"disclaimer"}, 0, sizeof szDisclaimer, false);
    Value("Install", {"DirDesc"}, 0, sizeof szDirDescription, false);

    std::string baseDir = Value("Install", {"BaseDir"}, 0, SCRIPT_BASEDIR_SIZE, true);
    bool cut = false;
    int state = ExpandPaths(dest_path, baseDir.c_str(), nullptr, &cut);
    bDestIsWindows = state == esWindows || state == esSystem;
    StrUpper(dest_path);
    if (cut)
        Error("Install", "BaseDir",
              "the directory expands to more than " + NumberText(sizeof dest_path - 1) +
                  " characters");
    else if (!dest_path[0])
        Warning("Install", "BaseDir",
                "there is no default destination: the Options dialog offers an empty directory");

    disks_ = int(PfGetProfileInt("Install", "disks", -1, szIniFile));
    if (options_.isTemplate) return;
    std::string text = ProfileValue("Install", "disks", BIG_SIZE);
    if (disks_ == -1)
        Error("Install", "disks",
              "the key is missing; the setup stops with \"Couldn't read install.ini\"");
    else if (!IsCountField(text.c_str()))
        Warning("Install", "disks",
                "the value " + QuoteText(text) + " reads as " + NumberText(disks_));
}

std::vector<ScriptFinding> ScriptChecker::Run() {
    PfMessageBoxHook previous = PfSetMessageBoxHook(SwallowMessageBox);
    if (!szWinFontDir[0] &&
        PfGetWindowsDir(szWinFontDir, sizeof szWinFontDir) < sizeof szWinFontDir)
        BufAppend(szWinFontDir, "\\FONTS");
    memset(Packages, 0, sizeof Packages);
    iNumPackages = 0;
    dest_path[0] = '\0';
    // The setup reads the table before it knows the destination.
    tableRead_ = ReadPackages() != 0;
    CheckInstall();
    CheckSections();
    CheckPackages();
    CheckDisks();
    CheckIcons();
    CheckWinIni();
    CheckRunItems();
    CheckDeleteFiles();
    PfSetMessageBoxHook(previous);
    return findings_;
}

std::vector<ScriptFinding> CheckScript(const ScriptCheckOptions& options) {
    return ScriptChecker(options).Run();
}

std::string FormatFinding(const std::string& file, const ScriptFinding& f) {
    return file + ":" + f.section + ":" + f.key + ": " + (f.error ? "error: " : "warning: ") +
           f.message;
}

bool HasErrors(const std::vector<ScriptFinding>& findings) {
    for (const ScriptFinding& f : findings)
        if (f.error) return true;
    return false;
}
