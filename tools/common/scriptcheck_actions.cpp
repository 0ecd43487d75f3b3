// The script checker: icons, WIN.INI data, run items and files to delete.
#include <algorithm>
#include <cstring>

#include "app/globals.h"
#include "app/script.h"
#include "platform/strutil.h"
#include "shell/shelltext.h"
#include "tools/common/scriptcheck_parts.h"

namespace {

const char kUnableToAdd[] = "the setup shows \"Unable to add icon.\" and makes no more icons";

// The three parts of an AddToSection value as the setup splits them: each
// skips its leading separators and runs to the next separator.
struct SectionEntry {
    std::string section, key, value, rest;
    bool hasKey = false, hasValue = false;
};

SectionEntry SplitSectionEntry(const std::string& text) {
    SectionEntry e;
    size_t p = text.find_first_not_of(';');
    size_t semi = text.find(';', p == std::string::npos ? text.size() : p);
    e.section = text.substr(p == std::string::npos ? text.size() : p,
                            semi == std::string::npos ? std::string::npos : semi - p);
    if (semi == std::string::npos) return e;
    size_t k = text.find_first_not_of('=', semi + 1);
    size_t eq = k == std::string::npos ? std::string::npos : text.find('=', k);
    e.hasKey = true;
    e.key = k == std::string::npos
                ? ""
                : text.substr(k, eq == std::string::npos ? std::string::npos : eq - k);
    if (eq == std::string::npos) return e;
    size_t v = text.find_first_not_of('=', eq + 1);
    size_t end = v == std::string::npos ? std::string::npos : text.find('=', v);
    e.hasValue = v != std::string::npos;
    e.value =
        e.hasValue ? text.substr(v, end == std::string::npos ? std::string::npos : end - v) : "";
    e.rest = end == std::string::npos ? "" : text.substr(end);
    return e;
}

// The blank-separated words of a command line, quotes dropped.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t p = 0;
    while ((p = line.find_first_not_of(" \t", p)) != std::string::npos) {
        size_t end = std::min(line.find_first_of(" \t", p), line.size());
        std::string word = line.substr(p, end - p);
        word.erase(std::remove(word.begin(), word.end(), '"'), word.end());
        if (!word.empty()) words.push_back(word);
        p = end;
    }
    return words;
}

// Where the setup extracts a package, with the default destination; empty
// for the system directory, which holds more than any package.
std::string PackageDir(const Package& p) {
    if (p.bSystemDir || !p.szDirectory[0]) return "";
    std::string dir = p.bAbsoluteDir ? "" : dest_path;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir + p.szDirectory;
}

bool HasParentPart(const std::string& path) {
    for (size_t p = 0; (p = path.find("..", p)) != std::string::npos; p += 2) {
        bool starts = p == 0 || path[p - 1] == '\\' || path[p - 1] == '/';
        bool ends = p + 2 == path.size() || path[p + 2] == '\\' || path[p + 2] == '/';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace

void ScriptChecker::CheckIcons() {
    const std::vector<std::string> keys =
        Keys("Icons", SCRIPT_LONG_KEYS_SIZE, "it shows \"Too many icons\" and makes no icon");
    bool group = false, stopped = false;  // the setup stops at the first icon without a group
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string& name = keys[i];
        std::string value = Value("Icons", keys, i, SCRIPT_ICON_VALUE_SIZE, true);
        if (name == "GroupName") {
            group = CheckGroupName(value);
            stopped = false;
            continue;
        }
        std::vector<char> text(value.begin(), value.end());
        text.push_back('\0');
        char* fields[2];
        int n = SplitCommaList(text.data(), fields, 2);
        const bool prodInfo = name == "ProdInfo";
        if (prodInfo && n < 2) {
            Warning("Icons", name,
                    n == 0 ? "the value is empty: no icon is made and nothing runs at the end"
                           : "the value has a title but no command line: the icon "
                             "starts nothing and nothing runs at the end");
        } else if (!group) {
            if (!stopped)
                Error("Icons", name,
                      std::string("the icon comes before a usable GroupName: ") + kUnableToAdd);
            stopped = true;
        } else if (prodInfo) {
            CheckIcon(name, fields[0], fields[1], "");
        } else {
            CheckIcon(name, name, n > 0 ? fields[0] : "", n > 1 ? fields[1] : "");
        }
    }
}

bool ScriptChecker::CheckGroupName(const std::string& group) {
    char cmd[DDE_COMMAND_SIZE];
    if (!GroupNameFits(group.c_str())) {
        Error("Icons", "GroupName",
              "the group name is longer than " + NumberText(MAX_GROUP_NAME) +
                  " characters: " + kUnableToAdd);
        return false;
    }
    if (group.empty())
        Warning("Icons", "GroupName",
                "the group name is empty: the icons after it go straight into the Programs folder");
    if (!MakeCreateGroupCommand(cmd, group.c_str()))
        Warning("Icons", "GroupName",
                "the Program Manager command for the group is longer than " +
                    NumberText(DDE_COMMAND_SIZE - 1) + " characters");
    return true;
}

void ScriptChecker::CheckIcon(const std::string& name, const std::string& title,
                              const char* cmdField, const char* iconField) {
    std::string cmdLine, iconFile;
    bool fits = Expand(cmdField, MAX_ICON_FIELD + 1, cmdLine);
    fits = Expand(iconField, MAX_ICON_FIELD + 1, iconFile) && fits;
    char cmd[DDE_COMMAND_SIZE];
    if (!IsPlainFileName(title.c_str()))
        Error("Icons", name,
              "the title " + QuoteText(title) + " cannot name a link file: " + kUnableToAdd);
    else if (!fits)
        Error("Icons", name,
              "the command line or icon file expands to more than " + NumberText(MAX_ICON_FIELD) +
                  " characters: " + kUnableToAdd);
    else if (!MakeAddItemCommand(cmd, cmdLine.c_str(), title.c_str(), iconFile.c_str()))
        Warning("Icons", name,
                "the Program Manager command for the icon is longer than " +
                    NumberText(DDE_COMMAND_SIZE - 1) +
                    " characters: without shell links the icon is not made");
    if (fits)
        CheckOptionalFiles("Icons", name, cmdLine + " " + iconFile,
                           name == "ProdInfo"
                               ? "the setup makes the icon and runs the command at the end all "
                                 "the same"
                               : "the setup makes the icon all the same, and it points to nothing");
}

void ScriptChecker::CheckOptionalFiles(const char* section, const std::string& key,
                                       const std::string& commandLine,
                                       const std::string& consequence) {
    for (const std::string& word : Words(commandLine)) {
        std::string optional;
        bool required = false;
        for (int i = 0; tableRead_ && i < iNumPackages; ++i) {
            const std::string dir = PackageDir(Packages[i]);
            if (dir.empty() || word.size() <= dir.size() || word[dir.size()] != '\\' ||
                !StrPrefixNoCase(word.c_str(), dir.c_str(), dir.size()))
                continue;
            required = required || !Packages[i].bOptional;
            if (Packages[i].bOptional)
                optional += (optional.empty() ? "" : " or ") + std::string(Packages[i].szName);
        }
        // A file in a required package's directory may well come from it.
        if (required || optional.empty()) continue;
        Warning(section, key,
                QuoteText(word) + " lies in the directory of the optional package " + optional +
                    ": when the user leaves it out, " + consequence);
        return;
    }
}

void ScriptChecker::CheckWinIni() {
    const std::vector<std::string> keys =
        Keys("WinIniData", SCRIPT_KEYS_SIZE,
             "it shows \"Too much win.ini data.\" and writes nothing to WIN.INI");
    bool productKeys = false, titleReported = false;
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string& name = keys[i];
        if (StrPrefixNoCase(name.c_str(), "AddToSection", 12)) {
            SectionEntry e =
                SplitSectionEntry(Value("WinIniData", keys, i, SCRIPT_SECTION_ENTRY_SIZE, true));
            if (e.section.empty() || e.key.empty() || !e.hasValue)
                Error("WinIniData", name, "the value is not of the form section;key=value");
            else if (!e.rest.empty())
                Warning(
                    "WinIniData", name,
                    "the value ends at the second \"=\": the setup writes " + QuoteText(e.value));
            continue;
        }
        const bool clearOld = StrEqualNoCase(name.c_str(), "ClearOld");
        if (!szTitle[0] && !titleReported) {
            Error("WinIniData", name, "the product has no name, which names its WIN.INI section");
            titleReported = true;
        }
        if (clearOld) {
            if (productKeys)
                Warning("WinIniData", name,
                        "ClearOld comes after keys of the product's section and "
                        "removes what they wrote: put it first");
            continue;
        }
        productKeys = true;
        std::string expanded;
        if (!Expand(Value("WinIniData", keys, i, SCRIPT_VALUE_SIZE, true), SCRIPT_WININI_VALUE_SIZE,
                    expanded))
            Error("WinIniData", name,
                  "the value expands to more than " + NumberText(SCRIPT_WININI_VALUE_SIZE - 1) +
                      " characters");
    }
}

void ScriptChecker::CheckRunItems() {
    for (const char* section : {"RunItems", "Run16Items", "Run32Items"}) CheckRunList(section);
}

void ScriptChecker::CheckRunList(const char* section) {
    const std::vector<std::string> keys =
        Keys(section, SCRIPT_KEYS_SIZE,
             "it shows \"Too much run item data.\" and runs nothing of this section");
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string& name = keys[i];
        std::string value = Value(section, keys, i, SCRIPT_VALUE_SIZE, true);
        size_t comma = value.find(',');
        const std::string rest = comma == std::string::npos ? "" : value.substr(comma + 1);
        if (comma != std::string::npos && rest != "0" && rest != "1")
            Warning(section, name,
                    "the command line ends at the first comma; of " + QuoteText(rest) +
                        " only a first \"1\" counts (it asks first)");
        if (rest[0] == '1' && name.size() > SCRIPT_MAX_QUESTION_KEY)
            Error(section, name,
                  "the key is longer than " + NumberText(SCRIPT_MAX_QUESTION_KEY) +
                      " characters: the question \"Do you want to ...\" is cut");
        std::string command;
        if (!Expand(value.substr(0, comma), SCRIPT_COMMAND_SIZE, command))
            Error(section, name,
                  "the command line expands to more than " + NumberText(SCRIPT_COMMAND_SIZE - 1) +
                      " characters");
        else
            CheckOptionalFiles(section, name, command, "the setup runs the command all the same");
    }
}

void ScriptChecker::CheckDeleteFiles() {
    const std::vector<std::string> keys =
        Keys("DeleteFiles", SCRIPT_KEYS_SIZE,
             "it shows \"Too much delete files data.\" and deletes nothing");
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string& name = keys[i];
        std::string value = Value("DeleteFiles", keys, i, SCRIPT_VALUE_SIZE, true);
        std::string path;
        if (!Expand(value, SCRIPT_DELETE_PATH_SIZE, path))
            Error("DeleteFiles", name,
                  "the path expands to more than " + NumberText(SCRIPT_DELETE_PATH_SIZE - 1) +
                      " characters");
        else if (!StrPrefixNoCase(value.c_str(), "%I", 2) || HasParentPart(value))
            Warning("DeleteFiles", name,
                    "the file " + QuoteText(value) +
                        " lies outside the destination: write it as %I\\...");
    }
}
