// The walk over the install script's "Icons" section.
#pragma once

// What the walk calls: the group and icon operations of the way chosen by
// shellInit, and the closing of the status window before "Too many icons".
struct IconMaker {
    int (*makeFolder)(const char* group);
    int (*makeShortcut)(const char* group, const char* cmdLine, const char* title,
                        const char* iconFile);
    void (*closeStatus)();
};

// Makes the groups and icons of section "Icons" of szIniFile in file order,
// until the end, a failure or bSDCancelled. Shows "Too many icons" (after
// closeStatus) when the key list does not fit, and "Unable to add icon." when
// an icon cannot be made; returns when either was shown or a group failed.
void MakeScriptIcons(const IconMaker& maker);
