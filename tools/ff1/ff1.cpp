// ff1: makes and inspects .ff1 font files and font directories, and repairs
// a directory's face identifiers exactly as the setup does.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fonts/ff1file.h"
#include "fonts/fontnames.h"
#include "fonts/untangle.h"
#include "platform/namelist.h"
#include "platform/platform.h"
#include "tools/common/toolcli.h"

namespace {

const int kOk = 0, kFailed = 1;

const ToolCommand kCommands[] = {
    {"make", "ff1 make [--record-size N] [--table-offset N] FILE ID...",
     "writes a font file with one face per identifier (0 to 65535); records\n"
     "of N bytes (46 or more, default 46) from offset N (54 or more, default\n"
     "54); every other byte is the alphabet repeated from the file's start\n"},
    {"show", "ff1 show PATH...",
     "face count and identifiers of each font file; a directory shows its\n"
     ".ff1 files in listing order\n"},
    {"names", "ff1 names DIR", "the entries of DIR's fontnam.dat\n"},
    {"repair", "ff1 repair DIR",
     "repairs the face identifiers of DIR as the setup does after a font package\n"},
};

const char kExitHelp[] = "Exit status: 0 success, 1 failure, 2 bad usage.\n";

void PrintHelp(const ToolCommand& c) {
    printf("  %s\n", c.usage);
    for (const char* line = c.help; *line;) {
        const char* end = strchr(line, '\n');
        printf("      %.*s\n", int(end - line), line);
        line = end + 1;
    }
}

// Bad usage of a command, or of ff1 itself when c is null.
int Usage(const ToolCommand* c, const std::string& message) {
    return UsageError("ff1", c ? c->name : nullptr, message);
}

// A decimal number from lo to hi, digits only.
bool ParseNumber(const char* text, long lo, long hi, long* value) {
    if (!*text || strlen(text) > 6 || strspn(text, "0123456789") != strlen(text)) return false;
    *value = strtol(text, nullptr, 10);
    return *value >= lo && *value <= hi;
}

int Make(const ToolCommand& c, int argc, char** argv) {
    long recordSize = FF1_FACE_BYTES, tableOffset = FF1_HEADER_BYTES;
    int i = 0;
    for (; i + 1 < argc && strncmp(argv[i], "--", 2) == 0; i += 2) {
        long* option = strcmp(argv[i], "--record-size") == 0    ? &recordSize
                       : strcmp(argv[i], "--table-offset") == 0 ? &tableOffset
                                                                : nullptr;
        long lo = option == &recordSize ? FF1_FACE_BYTES : FF1_HEADER_BYTES;
        if (!option) return Usage(&c, std::string("unknown option ") + argv[i]);
        if (!ParseNumber(argv[i + 1], lo, 0xffff, option))
            return Usage(&c, std::string("bad ") + argv[i] + " " + argv[i + 1]);
    }
    if (argc - i < 2) return Usage(&c, "a file and at least one identifier are needed");
    std::vector<uint16_t> ids;
    for (int k = i + 1; k < argc; ++k) {
        long id;
        if (!ParseNumber(argv[k], 0, 0xffff, &id))
            return Usage(&c, std::string("bad identifier ") + argv[k]);
        ids.push_back(uint16_t(id));
    }
    if (!makeFontFile(argv[i], ids.data(), int(ids.size()), uint16_t(tableOffset),
                      uint16_t(recordSize))) {
        fprintf(stderr, "ff1: cannot write %s\n", argv[i]);
        return kFailed;
    }
    return kOk;
}

// Prints one file's faces under its name as shown; false when it is not a
// readable font file.
bool ShowFile(const std::string& path, const std::string& shown) {
    PfFile* fp = PfOpen(path.c_str(), "rb");
    if (!fp) {
        printf("%s: cannot be opened\n", shown.c_str());
        return false;
    }
    fontHeader hdr{};
    bool isFont = readFontHeader(fp, &hdr) != 0;
    std::vector<int32_t> ids(isFont ? hdr.nFaces : 0);
    bool whole = isFont && readFaceIds(fp, hdr, ids.data());
    PfClose(fp);
    if (!isFont) {
        printf("%s: not a font file\n", shown.c_str());
    } else if (!whole) {
        printf("%s: %u faces, face table cannot be read whole\n", shown.c_str(), hdr.nFaces);
    } else {
        printf("%s: %u %s:", shown.c_str(), hdr.nFaces, hdr.nFaces == 1 ? "face" : "faces");
        for (int32_t id : ids) printf(" %d", int(id));
        printf("\n");
    }
    return whole;
}

int Show(const ToolCommand& c, int argc, char** argv) {
    if (argc < 1) return Usage(&c, "no path given");
    bool allFonts = true;
    for (int i = 0; i < argc; ++i) {
        if (!PfIsDirectory(argv[i])) {
            allFonts = ShowFile(argv[i], argv[i]) && allFonts;
            continue;
        }
        char pattern[FONT_PATH_SIZE];
        std::vector<std::string> names;
        if (!fontFilePath(pattern, sizeof pattern, argv[i], "*.ff1") ||
            !PfFindFiles(pattern, names)) {
            printf("%s: cannot be listed\n", argv[i]);
            allFonts = false;
        }
        for (const std::string& name : names) {
            char path[FONT_PATH_SIZE];
            fontFilePath(path, sizeof path, argv[i], name.c_str());
            allFonts = ShowFile(path, HostJoin(argv[i], name)) && allFonts;
        }
    }
    return allFonts ? kOk : kFailed;
}

int Names(const ToolCommand& c, int argc, char** argv) {
    if (argc != 1) return Usage(&c, "one directory is needed");
    nameList list;
    if (loadFontNames(argv[0], &list) == 0) {
        printf("%s: no usable %s\n", argv[0], fontListName);
        return kFailed;
    }
    printf("%s: %d entries\n", fontListName, int(list.nDir));
    int32_t entry = 0;
    for (int32_t i = 0; i < list.nDir; ++i, entry = nextNameEntry(&list, entry)) {
        nameStr e = nameEntry(&list, entry);
        char name[sizeof e.name + 1] = {};
        memcpy(name, e.name, sizeof e.name);
        printf("%s:", name[0] ? name : "(no name)");
        for (int k = 0; k < e.nIds; ++k) printf(" %d", int(entryId(&list, entry, k)));
        printf("\n");
    }
    freeFontNames(&list);
    return kOk;
}

int Repair(const ToolCommand& c, int argc, char** argv) {
    if (argc != 1) return Usage(&c, "one directory is needed");
    if (!PfIsDirectory(argv[0])) {
        fprintf(stderr, "ff1: %s is not a directory\n", argv[0]);
        return kFailed;
    }
    UntangleFonts(argv[0], 1);
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage(nullptr, "no command given");
    if (IsHelp(argv[1])) {
        printf("usage: ff1 COMMAND ARGS...    (ff1 COMMAND --help for one command)\n\n");
        for (const ToolCommand& c : kCommands) PrintHelp(c);
        printf("\n%s", kExitHelp);
        return kOk;
    }
    static int (*const run[])(const ToolCommand&, int, char**) = {Make, Show, Names, Repair};
    for (size_t k = 0; k < sizeof kCommands / sizeof kCommands[0]; ++k) {
        const ToolCommand& c = kCommands[k];
        if (strcmp(argv[1], c.name) != 0) continue;
        for (int i = 2; i < argc; ++i) {
            if (!IsHelp(argv[i])) continue;
            printf("usage:\n");
            PrintHelp(c);
            printf("\n%s", kExitHelp);
            return kOk;
        }
        return run[k](c, argc - 2, argv + 2);
    }
    return Usage(nullptr, std::string("unknown command ") + argv[1]);
}
