#include "shell/icons.h"

#include <cstring>

#include "app/globals.h"
#include "app/paths.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "shell/shelltext.h"

namespace {

const uint32_t KEY_LIST_SIZE = 500;
const uint32_t VALUE_SIZE = 300;

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
// group is null before the first GroupName.
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
    bool ok = group && ExpandField(cmdLine, cmdField) && ExpandField(iconFile, iconField) &&
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
    bool grouped = false;  // an empty GroupName is a group too: the Programs folder
    uint32_t offset = 0;
    while (!bSDCancelled) {
        const char* name = NextKey(keys, len, offset);
        if (!name) return;
        char value[VALUE_SIZE + 1];
        // A repeated GroupName must still start its own group.
        ReadKeyValue("Icons", keys, name, value);
        // Cut inside its two fields, the icon would run or show another file.
        if (!CutKeepsFields(value, VALUE_SIZE - 1, 2)) {
            UnableToAddIcon();
            return;
        }

        if (strcmp(name, "GroupName") == 0) {
            // A cut name would make a group nobody chose.
            if (!GroupNameFits(value)) {
                UnableToAddIcon();
                return;
            }
            BufCopy(group, value);
            grouped = true;
            if (!maker.makeFolder(group)) return;
        } else if (!MakeIcon(maker, grouped ? group : nullptr, name, value)) {
            return;
        }
    }
}
