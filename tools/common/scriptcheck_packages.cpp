// The script checker: section "Packages".
#include <cstring>

#include "app/globals.h"
#include "app/paths.h"
#include "app/script.h"
#include "platform/strutil.h"
#include "tools/common/scriptcheck_parts.h"

namespace {

const char* const kFieldNames[6] = {"description", "directory", "files",
                                    "size",        "type",      "optional flag"};
const char* const kSystemTypes[] = {"TTF", "FF12TTF", "DLL"};
// Any word but the four types means plain files; this is the one we write.
const char kPlainType[] = "FILES";
// The size field times 1024 must stay a signed 32-bit byte count.
const long long MAX_SIZE_K = 0x7fffffffLL / 1024;

bool IsKnownType(const char* keyword) {
    if (StrEqualNoCase(keyword, "FF1") || StrEqualNoCase(keyword, kPlainType)) return true;
    for (const char* t : kSystemTypes)
        if (StrEqualNoCase(keyword, t)) return true;
    return false;
}

bool IsSystemType(const char* keyword) {
    for (const char* t : kSystemTypes)
        if (StrEqualNoCase(keyword, t)) return true;
    return false;
}

// A comma that is not followed by another one moves the fields when the
// value starts with it or when a comma comes right before it.
bool FieldsMoved(const std::string& value) {
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != ',' || i + 1 >= value.size() || value[i + 1] == ',') continue;
        if (i == 0 || value[i - 1] == ',') return true;
    }
    return false;
}

std::string DescribeFields(char* fields[], int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += std::string(i ? ", " : "") + kFieldNames[i] + " " + QuoteText(fields[i]);
    return text;
}

bool HasBlankEnds(const char* text) {
    size_t len = strlen(text);
    return len && (text[0] == ' ' || text[len - 1] == ' ');
}

}  // namespace

void ScriptChecker::CheckPackages() {
    bool overflowed = false;
    const std::vector<std::string> keys =
        Keys("Packages", SCRIPT_KEYS_SIZE, "it shows \"Too many packages\" and installs no package",
             &overflowed);
    if (!overflowed && keys.size() > size_t(MAX_PACKAGES))
        Error("Packages", "",
              NumberText(keys.size()) + " packages, more than the setup's " +
                  NumberText(MAX_PACKAGES) +
                  ": it shows \"Too many packages\" and installs no package");
    if (!overflowed && keys.empty())
        Error("Packages", "",
              "the section is missing or has no key: the setup offers no package and "
              "installs nothing");
    for (size_t i = 0; i < keys.size(); ++i) {
        bool repeated = false;
        for (size_t k = 0; k < i; ++k)
            repeated = repeated || StrEqualNoCase(keys[k].c_str(), keys[i].c_str());
        if (repeated)
            Error("Packages", keys[i],
                  "the package is listed twice (names compare without regard to case): "
                  "both rows get the first one's value");
        else
            CheckPackage(keys, i);
    }
    CheckPackagePrefixes();
}

// A disk key belongs to every package whose name begins it, so each archive
// of Fonts is extracted for a package Font as well.
void ScriptChecker::CheckPackagePrefixes() {
    for (int i = 0; tableRead_ && i < iNumPackages; ++i) {
        const char* name = Packages[i].szName;
        for (int k = 0; k < iNumPackages; ++k) {
            const char* shorter = Packages[k].szName;
            if (k == i || !*shorter || strcmp(name, shorter) == 0 ||
                strncmp(name, shorter, strlen(shorter)) != 0)
                continue;
            Error("Packages", name,
                  "the name begins with the name of the package " + std::string(shorter) +
                      " (case counts): the setup extracts the archives of " + name + " for " +
                      shorter + " as well; rename one of them");
        }
    }
}

void ScriptChecker::CheckPackage(const std::vector<std::string>& keys, size_t index) {
    const std::string& name = keys[index];
    if (name.size() >= sizeof(Package::szName))
        Error("Packages", name,
              "the name is longer than " + NumberText(sizeof(Package::szName) - 1) +
                  " characters; the setup cuts it to " +
                  QuoteText(name.substr(0, sizeof(Package::szName) - 1)));
    std::string value = Value("Packages", keys, index, SCRIPT_VALUE_SIZE, true);
    std::vector<char> text(value.begin(), value.end());
    text.push_back('\0');
    char* fields[7];
    int n = SplitCommaList(text.data(), fields, 7);
    if (FieldsMoved(value)) {
        Error("Packages", name,
              "a double comma moves the fields: the setup reads " +
                  DescribeFields(fields, n < 6 ? n : 6));
        return;
    }
    CheckPackageFields(name, fields, n);
}

void ScriptChecker::CheckPackageFields(const std::string& name, char* fields[], int n) {
    if (n < 5)
        Error("Packages", name,
              "the value has " + NumberText(n) +
                  " of the fields description, directory, files, size in K, type "
                  "and optional flag; the missing ones read as empty or 0");
    if (n > 0 && strlen(fields[0]) >= sizeof(Package::szDescription))
        Warning("Packages", name,
                "the description is longer than " + NumberText(sizeof(Package::szDescription) - 1) +
                    " characters; the Options dialog shows " +
                    QuoteText(std::string(fields[0], sizeof(Package::szDescription) - 1)));
    if (n > 1 && !(n > 4 && IsSystemType(fields[4]))) CheckDirectoryField(name, fields[1]);
    CheckPackageNumbers(name, fields, n);
    if (n > 4 && !IsKnownType(fields[4]))
        Warning("Packages", name,
                "the type " + QuoteText(fields[4]) +
                    " is none of FF1, TTF, FF12TTF and DLL: the setup installs the package as "
                    "plain files into its directory, without font repair (write " +
                    kPlainType + " for that)");
    if (n > 5 && !IsCountField(fields[5]) && ScriptNumber(fields[5]) == 0)
        Warning(
            "Packages", name,
            "the optional flag " + QuoteText(fields[5]) + " reads as 0: the package is required");
    if (n > 6)
        Warning("Packages", name, "the setup reads six fields and ignores " + QuoteText(fields[6]));
}

void ScriptChecker::CheckPackageNumbers(const std::string& name, char* fields[], int n) {
    // A template's files and size are the media builder's to fill in.
    if (options_.isTemplate) return;
    if (n > 2 && !IsCountField(fields[2]))
        Warning("Packages", name,
                "the number of files " + QuoteText(fields[2]) + " reads as " +
                    NumberText(ScriptNumber(fields[2])));
    if (n > 3 && !IsCountField(fields[3]))
        Warning("Packages", name,
                "the size in K " + QuoteText(fields[3]) + " reads as " +
                    NumberText(ScriptNumber(fields[3])));
    else if (n > 3 && ScriptNumber(fields[3]) > MAX_SIZE_K)
        Error("Packages", name,
              "the size " + QuoteText(fields[3]) + " is more than the " + NumberText(MAX_SIZE_K) +
                  " K the setup can count");
}

void ScriptChecker::CheckDirectoryField(const std::string& name, const char* field) {
    char dir[sizeof(Package::szDirectory) * 8];
    bool cut = false;
    ExpandPaths(dir, field, "", &cut);  // the destination is not known yet
    if (cut || strlen(dir) >= sizeof(Package::szDirectory)) {
        Error("Packages", name,
              "the directory expands to " +
                  (cut ? "more than " + NumberText(sizeof dir - 1) + " characters" : QuoteText(dir)) +
                  ", more than " +
                  NumberText(sizeof(Package::szDirectory) - 1) +
                  " characters: the setup leaves the package out");
        leftOut_.push_back(name);
        return;
    }
    if (HasBlankEnds(field)) {
        Warning("Packages", name,
                "the directory " + QuoteText(field) +
                    " begins or ends with a blank, which stays part of its name");
        return;
    }
    const bool absolute = strchr("%*&", field[0]) != nullptr;
    // "%I" shows as a mark when expanded against one.
    char probe[sizeof dir];
    ExpandPaths(probe, field, "\x01");
    if (strchr(probe, '\x01')) {
        Warning("Packages", name,
                "\"%I\" expands to nothing when the setup reads the packages: the files go to " +
                    QuoteText(dir));
        return;
    }
    if (!absolute && dest_path[0] && !bDestIsWindows) {
        std::string full = std::string(dest_path) + "\\" + dir;
        if (full.size() >= SCRIPT_PACKAGE_DEST_SIZE)
            Warning("Packages", name,
                    "below the default destination the directory is " + QuoteText(full) +
                        ", more than the setup's " + NumberText(SCRIPT_PACKAGE_DEST_SIZE - 1) +
                        " characters");
    }
}
