#include "shell/icons.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/paths.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "shell/shelltext.h"

namespace {

const uint32_t KEY_LIST_SIZE = 500;
const uint32_t VALUE_SIZE = 300;
const uint32_t SECTION_SIZE = 32768;

// How many names before name in the key list are the same, case aside.
int Occurrence(const char* keys, const char* name) {
    int count = 0;
    for (const char* p = keys; p < name; p += strlen(p) + 1)
        if (StrEqualNoCase(p, name)) ++count;
    return count;
}

// The value of the given occurrence of a repeated key, as the profile reader
// would give it (matching quotes removed, cut at VALUE_SIZE - 1); false when
// the section does not fit or has no such line.
bool RepeatedValue(const char* name, int occurrence, char (&value)[VALUE_SIZE]) {
    std::vector<char> lines(SECTION_SIZE);
    uint32_t len = PfGetProfileSection("Icons", lines.data(), SECTION_SIZE, szIniFile);
    if (len == SECTION_SIZE - 2) return false;
    const size_t nameLen = strlen(name);
    for (const char* line = lines.data(); *line; line += strlen(line) + 1) {
        const char* eq = strchr(line, '=');
        if (!eq || size_t(eq - line) != nameLen || !StrPrefixNoCase(line, name, nameLen)) continue;
        if (occurrence-- > 0) continue;
        std::string text(eq + 1);
        if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0])
            text = text.substr(1, text.size() - 2);
        BufCopy(value, text.c_str());  // cut at VALUE_SIZE - 1, as the reader does
        return true;
    }
    return false;
}

// The profile reader gives every repeat of a key the first one's value; a
// repeated GroupName must still start its own group, so repeats take their
// own line of the section.
void ReadIconValue(const char* keys, const char* name, char (&value)[VALUE_SIZE]) {
    int occurrence = Occurrence(keys, name);
    if (occurrence == 0 || !RepeatedValue(name, occurrence, value))
        PfGetProfileString("Icons", name, "", value, VALUE_SIZE, szIniFile);
}

void UnableToAddIcon() {
    PfMessageBox(hMainWnd, "Unable to add icon.", "Setup", MB_OK | MB_ICONEXCLAMATION);
}

// Expands a command line or icon file; false when it is wider than an icon
// field, which would make the icon point somewhere else.
bool ExpandField(char (&out)[MAX_ICON_FIELD + 1], const char* text) {
    bool cut = false;
    ExpandPaths(out, text, dest_path, &cut);
    return !cut;
}

// One icon entry; false when the walk must stop (the message is shown).
bool MakeIcon(const IconMaker& maker, const char* group, const char* name, char* value) {
    char* fields[2];
    int n = SplitCommaList(value, fields, 2);
    const bool prodInfo = strcmp(name, "ProdInfo") == 0;
    if (prodInfo && n == 0) return true;  // no title: nothing to make

    const char* title = prodInfo ? fields[0] : name;
    const char* cmdField = prodInfo ? (n > 1 ? fields[1] : "") : (n > 0 ? fields[0] : "");
    const char* iconField = (!prodInfo && n > 1) ? fields[1] : "";

    char cmdLine[MAX_ICON_FIELD + 1];
    char iconFile[MAX_ICON_FIELD + 1];
    // An icon before the first group would land in a group nobody chose.
    bool ok = *group && ExpandField(cmdLine, cmdField) && ExpandField(iconFile, iconField) &&
              maker.makeShortcut(group, cmdLine, title, prodInfo ? nullptr : iconFile);
    if (!ok) UnableToAddIcon();
    return ok;
}

}  // namespace

void MakeScriptIcons(const IconMaker& maker) {
    char keys[KEY_LIST_SIZE];
    uint32_t len = ReadKeyList("Icons", keys, KEY_LIST_SIZE);
    if (KeyListOverflowed(len, KEY_LIST_SIZE)) {
        maker.closeStatus();
        PfMessageBox(nullptr, "Too many icons", "Install", MB_OK | MB_ICONSTOP);
        return;
    }

    char group[MAX_GROUP_NAME + 1] = "";
    uint32_t offset = 0;
    while (!bSDCancelled) {
        const char* name = NextKey(keys, len, offset);
        if (!name) return;
        char value[VALUE_SIZE];
        ReadIconValue(keys, name, value);

        if (strcmp(name, "GroupName") == 0) {
            // A cut or empty name would make a group nobody chose.
            if (!GroupNameFits(value)) {
                UnableToAddIcon();
                return;
            }
            BufCopy(group, value);
            if (!maker.makeFolder(group)) return;
        } else if (!MakeIcon(maker, group, name, value)) {
            return;
        }
    }
}
