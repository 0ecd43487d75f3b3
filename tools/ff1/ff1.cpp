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

namespace {

const int kOk = 0, kFailed = 1, kUsage = 2;

const char kUsageText[] =
    "usage: ff1 COMMAND ARGS...\n"
    "\n"
    "  ff1 make [--record-size N] [--table-offset N] FILE ID...\n"
    "      writes a font file with one face per identifier (0 to 65535); records\n"
    "      of N bytes (46 or more, default 46) from offset N (54 or more, default\n"
    "      54); every other byte is the alphabet repeated from the file's start\n"
    "  ff1 show PATH...\n"
    "      face count and identifiers of each font file; a directory shows its\n"
    "      .ff1 files in listing order\n"
    "  ff1 names DIR\n"
    "      the entries of DIR's fontnam.dat\n"
    "  ff1 repair DIR\n"
    "      repairs the face identifiers of DIR as the setup does after a font package\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 bad usage.\n";

int Usage() {
    fputs(kUsageText, stderr);
    return kUsage;
}

// A decimal number from lo to hi, digits only.
bool ParseNumber(const char* text, long lo, long hi, long* value) {
    if (!*text || strlen(text) > 6 || strspn(text, "0123456789") != strlen(text)) return false;
    *value = strtol(text, nullptr, 10);
    return *value >= lo && *value <= hi;
}

int Make(int argc, char** argv) {
    long recordSize = FF1_FACE_BYTES, tableOffset = FF1_HEADER_BYTES;
    int i = 0;
    for (; i + 1 < argc && strncmp(argv[i], "--", 2) == 0; i += 2) {
        long* option = strcmp(argv[i], "--record-size") == 0    ? &recordSize
                       : strcmp(argv[i], "--table-offset") == 0 ? &tableOffset
                                                                : nullptr;
        long lo = option == &recordSize ? FF1_FACE_BYTES : FF1_HEADER_BYTES;
        if (!option || !ParseNumber(argv[i + 1], lo, 0xffff, option)) return Usage();
    }
    if (argc - i < 2) return Usage();
    std::vector<uint16_t> ids;
    for (int k = i + 1; k < argc; ++k) {
        long id;
        if (!ParseNumber(argv[k], 0, 0xffff, &id)) return Usage();
        ids.push_back(uint16_t(id));
    }
    if (!makeFontFile(argv[i], ids.data(), int(ids.size()), uint16_t(tableOffset),
                      uint16_t(recordSize))) {
        fprintf(stderr, "ff1: cannot write %s\n", argv[i]);
        return kFailed;
    }
    return kOk;
}

// Prints one file's faces; false when it is not a readable font file.
bool ShowFile(const std::string& path) {
    PfFile* fp = PfOpen(path.c_str(), "rb");
    if (!fp) {
        printf("%s: cannot be opened\n", path.c_str());
        return false;
    }
    fontHeader hdr{};
    bool isFont = readFontHeader(fp, &hdr) != 0;
    std::vector<int32_t> ids(isFont ? hdr.nFaces : 0);
    bool whole = isFont && readFaceIds(fp, hdr, ids.data());
    PfClose(fp);
    if (!isFont) {
        printf("%s: not a font file\n", path.c_str());
    } else if (!whole) {
        printf("%s: %u faces, face table cannot be read whole\n", path.c_str(), hdr.nFaces);
    } else {
        printf("%s: %u %s:", path.c_str(), hdr.nFaces, hdr.nFaces == 1 ? "face" : "faces");
        for (int32_t id : ids) printf(" %d", int(id));
        printf("\n");
    }
    return whole;
}

int Show(int argc, char** argv) {
    if (argc < 1) return Usage();
    bool allFonts = true;
    for (int i = 0; i < argc; ++i) {
        if (!PfIsDirectory(argv[i])) {
            allFonts = ShowFile(argv[i]) && allFonts;
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
            allFonts = ShowFile(path) && allFonts;
        }
    }
    return allFonts ? kOk : kFailed;
}

int Names(int argc, char** argv) {
    if (argc != 1) return Usage();
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

int Repair(int argc, char** argv) {
    if (argc != 1) return Usage();
    if (!PfIsDirectory(argv[0])) {
        fprintf(stderr, "ff1: %s is not a directory\n", argv[0]);
        return kFailed;
    }
    UntangleFonts(argv[0], 1);
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(kUsageText, stdout);
        return kOk;
    }
    if (argc < 2) return Usage();
    static const struct {
        const char* name;
        int (*run)(int, char**);
    } commands[] = {{"make", Make}, {"show", Show}, {"names", Names}, {"repair", Repair}};
    for (const auto& c : commands) {
        if (strcmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
    }
    return Usage();
}
