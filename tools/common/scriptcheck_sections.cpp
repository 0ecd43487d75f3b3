// The script checker: the sections themselves, whatever their keys. The
// setup asks for its sections by name, so a misspelt or repeated one is
// passed over without a word.
#include <algorithm>
#include <cstring>

#include "app/globals.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tools/common/scriptcheck_parts.h"

namespace {

const uint32_t NAMES_SIZE = 65536;

const char* const kSections[] = {"Install",  "Packages",   "Icons",      "WinIniData",
                                 "RunItems", "Run16Items", "Run32Items", "DeleteFiles"};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Edits (insert, delete, change, swap two neighbours) from a to b, case aside.
size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            const bool same = Lower(a[i - 1]) == Lower(b[j - 1]);
            d[i][j] =
                std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (same ? 0 : 1)});
            if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
                Lower(a[i - 2]) == Lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// A disk section the disk checks look at: "Disk" and a number as the setup
// formats it ("Disk%1d"), up to the last disk they probe.
bool IsDiskSectionName(const std::string& name) {
    for (int d = 0; d <= LAST_PROBED_DISK; ++d)
        if (StrEqualNoCase(name.c_str(), ("Disk" + NumberText(d)).c_str())) return true;
    return false;
}

// The section the setup reads that name is a slip of the pen for; "" when
// there is none. Disk sections are no candidates: a template has none yet,
// and a name near one would be taken for it only once mkmedia wrote them.
std::string NearestSection(const std::string& name) {
    std::string nearest;
    size_t best = 0;
    for (const char* c : kSections) {
        const size_t d = Distance(name, c);
        if (d <= std::max<size_t>(1, strlen(c) / 4) && (nearest.empty() || d < best)) {
            nearest = c;
            best = d;
        }
    }
    return nearest;
}

}  // namespace

std::vector<std::string> ScriptSectionNames() {
    std::vector<char> list(NAMES_SIZE);
    uint32_t len = PfGetProfileString(nullptr, nullptr, "", list.data(), NAMES_SIZE, szIniFile);
    std::vector<std::string> names;
    uint32_t offset = 0;
    while (const char* name = NextKey(list.data(), len, offset)) names.push_back(name);
    return names;
}

bool IsScriptTemplate() {
    if (PfGetProfileInt("Install", "disks", -1, szIniFile) != unsigned(-1)) return false;
    for (const std::string& name : ScriptSectionNames())
        if (IsDiskSectionName(name)) return false;
    char list[SCRIPT_KEYS_SIZE];
    uint32_t len = ReadKeyList("Packages", list, sizeof list);
    uint32_t offset = 0;
    while (const char* name = NextKey(list, len, offset)) {
        char value[SCRIPT_VALUE_SIZE];
        PfGetProfileString("Packages", name, "", value, sizeof value, szIniFile);
        char* fields[4];
        int n = SplitCommaList(value, fields, 4);
        for (int i = 2; i < n; ++i)
            if (strcmp(fields[i], "?") == 0) return true;
    }
    return false;
}

void ScriptChecker::CheckSections() {
    const std::vector<std::string> names = ScriptSectionNames();
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        bool repeated = false;
        for (size_t k = 0; k < i; ++k)
            repeated = repeated || StrEqualNoCase(names[k].c_str(), name.c_str());
        if (repeated) {
            Error(name, "", "the section is written again; the setup reads the first one only");
            continue;
        }
        bool known = IsDiskSectionName(name);
        for (const char* s : kSections) known = known || StrEqualNoCase(s, name.c_str());
        if (known) continue;
        const std::string nearest = NearestSection(name);
        if (nearest.empty())
            Warning(name, "", "the setup reads no section of this name");
        else
            Error(name, "",
                  "the setup reads no section of this name: did you mean [" + nearest + "]?");
    }
}
