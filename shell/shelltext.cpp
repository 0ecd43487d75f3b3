#include "shell/shelltext.h"

#include <cstring>

#include "platform/strutil.h"

bool GroupNameFits(const char* group) {
    return group && strlen(group) <= MAX_GROUP_NAME;
}

bool IconFieldFits(const char* field) {
    return !field || strlen(field) <= MAX_ICON_FIELD;
}

// A separator or a drive colon would put the link somewhere else than in its
// group folder (or into a stream of another file).
bool IsPlainFileName(const char* title) {
    if (!title || !*title || strpbrk(title, "\\/:")) return false;
    return strcmp(title, ".") != 0 && strcmp(title, "..") != 0;
}

bool SplitLinkCommand(const char* cmdLine, LinkCommand& out) {
    out = LinkCommand{};
    if (!BufCopy(out.szTarget, cmdLine)) {
        out = LinkCommand{};
        return false;
    }
    if (char* blank = strchr(out.szTarget, ' ')) {
        *blank = '\0';
        BufCopy(out.szArguments, blank + 1);
        out.bHasArguments = true;
    }
    // A program in a drive's root keeps the bare drive ("C:").
    const char* last = strrchr(out.szTarget, '\\');
    if (last && last != out.szTarget) {
        BufCopy(out.szWorkDir, out.szTarget);
        out.szWorkDir[last - out.szTarget] = '\0';
    }
    return true;
}

bool MakeGroupFolderPath(char (&path)[LINK_PATH_SIZE], const char* startMenu, const char* group) {
    if (!*group) return BufFormat(path, "%s\\Programs", startMenu);
    return BufFormat(path, "%s\\Programs\\%s", startMenu, group);
}

bool MakeLinkPath(char (&path)[LINK_PATH_SIZE], const char* startMenu, const char* group,
                  const char* title) {
    if (!*group) return BufFormat(path, "%s\\Programs\\%s.lnk", startMenu, title);
    return BufFormat(path, "%s\\Programs\\%s\\%s.lnk", startMenu, group, title);
}

bool MakeCreateGroupCommand(char (&cmd)[DDE_COMMAND_SIZE], const char* group) {
    return BufFormat(cmd, "[CreateGroup(%s)]", group);
}

bool MakeShowGroupCommand(char (&cmd)[DDE_COMMAND_SIZE], const char* group, int show) {
    return BufFormat(cmd, "[ShowGroup(%s, %d )]", group, show);
}

bool MakeAddItemCommand(char (&cmd)[DDE_COMMAND_SIZE], const char* cmdLine, const char* title,
                        const char* iconFile) {
    if (iconFile && *iconFile)
        return BufFormat(cmd, "[AddItem( %s, %s, %s )]", cmdLine, title, iconFile);
    return BufFormat(cmd, "[AddItem( %s, %s )]", cmdLine, title);
}

int VersionCode(uint32_t versionMS, uint32_t versionLS) {
    unsigned major = versionMS >> 16;
    unsigned minor = versionMS & 0xffff;
    unsigned build = versionLS & 0xffff;
    if (major == 4) return wv4;
    if (major != 3) return wvOther;
    if (minor == 10) return wv310;
    return build < 300 ? wv3xEarly : wv3xLate;
}
