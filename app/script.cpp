#include "app/script.h"

#include <climits>
#include <cstring>
#include <new>

#include "app/globals.h"
#include "app/paths.h"
#include "platform/platform.h"
#include "platform/strutil.h"

int SplitCommaList(char* text, char* fields[], int maxFields) {
    int n = 0;
    char* p = text;
    while (n < maxFields) {
        while (*p == ',') ++p;
        if (!*p) break;
        fields[n++] = p;
        p = strchr(p, ',');
        if (!p) break;
        *p++ = '\0';
    }
    return n;
}

bool CutKeepsFields(char* value, size_t limit, int fields) {
    if (strlen(value) <= limit) return true;
    value[limit] = '\0';
    char* copy = new (std::nothrow) char[limit + 1];
    char** found = new (std::nothrow) char*[size_t(fields) + 1];
    // Without memory to look, the cut value counts as losing fields.
    bool kept = copy && found && BufCopy(copy, limit + 1, value) &&
                SplitCommaList(copy, found, fields + 1) > fields;
    delete[] copy;
    delete[] found;
    return kept;
}

int32_t ScriptNumber(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return int32_t(value);
}

uint32_t ReadKeyList(const char* section, char* buf, uint32_t size) {
    return PfGetProfileString(section, nullptr, "", buf, size, szIniFile);
}

const char* NextKey(const char* list, uint32_t len, uint32_t& offset) {
    while (offset < len) {
        const char* name = list + offset;
        offset += uint32_t(strlen(name)) + 1;
        if (*name) return name;
    }
    return nullptr;
}

namespace {

const uint32_t SECTION_SIZE = 32768;

// How many names before name in the key list are the same, case aside.
int Occurrence(const char* keys, const char* name) {
    int count = 0;
    for (const char* p = keys; p < name; p += strlen(p) + 1)
        if (StrEqualNoCase(p, name)) ++count;
    return count;
}

// The value of the given occurrence of a repeated key, as the profile reader
// would give it; false when the section does not fit or has no such line.
bool RepeatedValue(const char* section, const char* name, int occurrence, char* value,
                   uint32_t size) {
    char* lines = new (std::nothrow) char[SECTION_SIZE];
    if (!lines) return false;
    uint32_t len = PfGetProfileSection(section, lines, SECTION_SIZE, szIniFile);
    bool found = false;
    const size_t nameLen = strlen(name);
    for (const char* line = lines; len != SECTION_SIZE - 2 && *line; line += strlen(line) + 1) {
        const char* eq = strchr(line, '=');
        if (!eq || size_t(eq - line) != nameLen || !StrPrefixNoCase(line, name, nameLen)) continue;
        if (occurrence-- > 0) continue;
        // The reader's copy: cut at size - 1, matching quotes dropped. It
        // drops the last character copied when the buffer could hold the
        // text after the opening quote: the closing quote, or, with one
        // byte less, the value's own last character.
        const char* v = eq + 1;
        size_t n = strlen(v);
        bool quoted = (v[0] == '"' || v[0] == '\'') && n >= 2 && v[n - 1] == v[0];
        if (quoted) ++v;
        BufCopy(value, size, v);
        size_t copied = strlen(value);
        if (quoted && size >= strlen(v) && copied > 0) value[copied - 1] = '\0';
        found = true;
        break;
    }
    delete[] lines;
    return found;
}

}  // namespace

void ReadKeyValue(const char* section, const char* keys, const char* name, char* value,
                  uint32_t size) {
    int occurrence = Occurrence(keys, name);
    if (occurrence == 0 || !RepeatedValue(section, name, occurrence, value, size))
        PfGetProfileString(section, name, "", value, size, szIniFile);
}

static void TooManyPackages() {
    PfMessageBox(nullptr, "Too many packages", "Install", MB_OK | MB_ICONSTOP);
}

// Field 5: the type code; the system-directory types install into the
// Windows system directory.
static void ReadType(Package& row, const char* keyword) {
    static const struct {
        const char* keyword;
        int type;
    } types[] = {{"FF1", ptFF1}, {"TTF", ptTTF}, {"FF12TTF", ptFF12TTF}, {"DLL", ptDLL}};
    for (const auto& t : types) {
        if (!StrEqualNoCase(keyword, t.keyword)) continue;
        row.iType = t.type;
        row.bSystemDir = t.type != ptFF1;
        break;
    }
    if (row.bSystemDir &&
        PfGetSystemDir(row.szDirectory, sizeof row.szDirectory) >= sizeof row.szDirectory)
        row.szDirectory[0] = '\0';
}

// Fills one row from its key and value; false when the row is refused.
static bool ReadPackage(Package& row, const char* name) {
    memset(&row, 0, sizeof row);
    // A longer name is cut: disk keys still begin with the cut name.
    BufCopy(row.szName, name);

    // One byte more than the reader's 150 tells a value that was cut. Cut
    // inside its six fields, it would install with a wrong directory, size,
    // type or flag: the row is refused.
    char value[SCRIPT_VALUE_SIZE + 1];
    PfGetProfileString("Packages", name, "", value, sizeof value, szIniFile);
    if (!CutKeepsFields(value, SCRIPT_VALUE_SIZE - 1, 6)) return false;
    char* fields[6];
    int n = SplitCommaList(value, fields, 6);

    if (n > 0) BufCopy(row.szDescription, fields[0]);  // display only: cut
    bool dirCut = false;
    if (n > 1) {
        ExpandPaths(row.szDirectory, fields[1], dest_path, &dirCut);
        row.bAbsoluteDir = strchr("%*&", fields[1][0]) != nullptr;
    }
    if (n > 2) row.lFiles = ScriptNumber(fields[2]);
    if (n > 3) row.lSize = int32_t(uint32_t(ScriptNumber(fields[3])) * 1024u);
    if (n > 4) ReadType(row, fields[4]);
    if (n > 5) row.bOptional = ScriptNumber(fields[5]) != 0;
    // A directory cut short would install into the wrong place: refuse the row.
    return !(dirCut && !row.bSystemDir);
}

int ReadPackages() {
    char list[SCRIPT_KEYS_SIZE];
    uint32_t len = ReadKeyList("Packages", list, sizeof list);
    if (KeyListOverflowed(len, sizeof list)) {
        TooManyPackages();
        return 0;
    }
    // A list that fits but names more rows than the table holds is refused
    // the same way, so no package is left out unseen.
    int count = 0;
    uint32_t offset = 0;
    while (NextKey(list, len, offset)) ++count;
    if (count > MAX_PACKAGES) {
        TooManyPackages();
        return 0;
    }

    iNumPackages = 0;
    offset = 0;
    while (const char* name = NextKey(list, len, offset)) {
        if (ReadPackage(Packages[iNumPackages], name))
            ++iNumPackages;
        else
            memset(&Packages[iNumPackages], 0, sizeof(Package));
    }
    return 1;
}
