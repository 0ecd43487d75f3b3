#include "fonts/fontnames.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fonts/untangle.h"
#include "platform/platform.h"

const char fontListName[] = "fontnam.dat";
static const char tempListName[] = "fontnam.tmp";

static int32_t get32(const unsigned char* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                   uint32_t(p[3]) << 24);
}

static void put32(unsigned char* p, int32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = (unsigned char)(uint32_t(v) >> (8 * i));
}

static const char* entryName(const nameList* list, int32_t entry) {
    return reinterpret_cast<const char*>(list->data + entry);
}

// The length of the entry at offset, or 0 when it does not lie whole within
// the data or holds an identifier that is not 16-bit.
static int32_t entryLength(const nameList* list, int32_t offset) {
    int32_t room = list->size - offset - NAME_ENTRY_BYTES;
    if (room < 0) return 0;
    int32_t nIds = get32(list->data + offset + 14);
    if (nIds < 0 || nIds > room / 4) return 0;
    for (int k = 0; k < nIds; ++k) {
        int32_t id = get32(list->data + offset + NAME_ENTRY_BYTES + 4 * k);
        if (id < 0 || id > 0xffff) return 0;
    }
    return NAME_ENTRY_BYTES + 4 * nIds;
}

// Records the offset of each of the nEntries entries and sorts them by name;
// false when an entry does not lie within the data.
static bool indexEntries(nameList* list, int32_t nEntries) {
    list->byName = static_cast<int32_t*>(calloc(size_t(nEntries), sizeof(int32_t)));
    if (!list->byName) return false;
    int32_t offset = 0;
    for (int32_t i = 0; i < nEntries; ++i) {
        int32_t length = entryLength(list, offset);
        if (length == 0) return false;
        list->byName[i] = offset;
        offset += length;
    }
    std::sort(list->byName, list->byName + nEntries, [list](int32_t a, int32_t b) {
        int c = strncmp(entryName(list, a), entryName(list, b), 14);
        return c != 0 ? c < 0 : a < b;
    });
    return true;
}

// Reads the header and the data block; false unless both are there whole.
static bool readList(PfFile* fp, nameList* list, int32_t* nEntries) {
    unsigned char raw[NAME_HDR_BYTES];
    if (PfRead(fp, raw, sizeof raw) != sizeof raw) return false;
    nameHdr hdr = {get32(raw), get32(raw + 4)};
    if (hdr.nEntries <= 0 || hdr.nSize < 0 || hdr.nSize > MAX_NAME_LIST_BYTES ||
        hdr.nEntries > hdr.nSize / NAME_ENTRY_BYTES)
        return false;
    // The counts are checked against the file before anything is allocated.
    long end;
    if (PfSeek(fp, 0, PF_SEEK_END) != 0 || (end = PfTell(fp)) < NAME_HDR_BYTES + long(hdr.nSize) ||
        PfSeek(fp, NAME_HDR_BYTES, PF_SEEK_SET) != 0)
        return false;
    list->data = static_cast<unsigned char*>(malloc(size_t(hdr.nSize)));
    if (!list->data || PfRead(fp, list->data, size_t(hdr.nSize)) != size_t(hdr.nSize)) return false;
    list->size = hdr.nSize;
    *nEntries = hdr.nEntries;
    return true;
}

// The name list "fontnam.dat", little-endian, rewritten by every repair:
//
//   header (nameHdr), 8 bytes
//     0  4  nEntries  number of entries
//     4  4  nSize     bytes of all entries that follow
//   entry (nameStr), nEntries times, 18 + 4 * nIds bytes each
//     0 14  name      the .ff1 file's name, zero-terminated and zero-padded
//    14  4  nIds      number of face identifiers
//    18     ids       nIds 32-bit identifiers, in face-record order
//
// Each entry's length follows from its own nIds. A list whose entries do not
// all lie within nSize, or that holds an identifier outside 0..65535, is no
// list: all files then count as new.
int32_t loadFontNames(const char* dir, nameList* list) {
    memset(list, 0, sizeof *list);
    char path[FONT_PATH_SIZE];
    if (!fontFilePath(path, sizeof path, dir, fontListName)) return 0;
    PfFile* fp = PfOpen(path, "rb");
    if (!fp) return 0;
    int32_t nEntries = 0;
    bool usable = readList(fp, list, &nEntries) && indexEntries(list, nEntries);
    PfClose(fp);
    if (!usable) {
        freeFontNames(list);
        return 0;
    }
    list->nDir = nEntries;
    return nEntries;
}

void freeFontNames(nameList* list) {
    free(list->data);
    free(list->byName);
    memset(list, 0, sizeof *list);
}

// A name longer than 13 characters has no entry: its file always counts as new.
int32_t searchNameList(const char* name, const nameList* list) {
    if (strlen(name) > 13 || list->nDir == 0) return -1;
    const int32_t* begin = list->byName;
    const int32_t* end = begin + list->nDir;
    const int32_t* it = std::lower_bound(begin, end, name, [list](int32_t e, const char* n) {
        return strncmp(entryName(list, e), n, 14) < 0;
    });
    return it != end && strncmp(entryName(list, *it), name, 14) == 0 ? *it : -1;
}

nameStr nameEntry(const nameList* list, int32_t entry) {
    nameStr e;
    memcpy(e.name, list->data + entry, sizeof e.name);
    e.nIds = get32(list->data + entry + 14);
    return e;
}

int32_t entryId(const nameList* list, int32_t entry, int k) {
    return get32(list->data + entry + NAME_ENTRY_BYTES + 4 * k);
}

int32_t nextNameEntry(const nameList* list, int32_t entry) {
    return entry + NAME_ENTRY_BYTES + 4 * get32(list->data + entry + 14);
}

// One entry per file, in face order, after the header; the list is
// assembled whole and written at once. A file whose changed identifiers did
// not reach it has no entry: the list holds only what the files hold. A name
// that does not fit the field is stored empty, which no file matches.
static void fillEntries(unsigned char* out, int32_t nEntries, int64_t nSize) {
    put32(out, nEntries);
    put32(out + 4, int32_t(nSize));
    out += NAME_HDR_BYTES;
    for (int i = 0; i < nFiles; ++i) {
        if (faces[i].bChanged) continue;
        memset(out, 0, NAME_ENTRY_BYTES);
        if (strlen(faces[i].name) <= 13) memcpy(out, faces[i].name, strlen(faces[i].name));
        put32(out + 14, faces[i].nIds);
        out += NAME_ENTRY_BYTES;
        for (int k = 0; k < faces[i].nIds; ++k, out += 4) put32(out, faces[i].ids[k]);
    }
}

int writeFontNames(const char* dir) {
    int32_t nEntries = 0;
    int64_t nSize = 0;
    for (int i = 0; i < nFiles; ++i) {
        if (faces[i].bChanged) continue;
        ++nEntries;
        nSize += NAME_ENTRY_BYTES + 4 * int64_t(faces[i].nIds);
    }
    char path[FONT_PATH_SIZE], temp[FONT_PATH_SIZE];
    if (nSize > MAX_NAME_LIST_BYTES || !fontFilePath(path, sizeof path, dir, fontListName) ||
        !fontFilePath(temp, sizeof temp, dir, tempListName))
        return 0;
    size_t length = NAME_HDR_BYTES + size_t(nSize);
    unsigned char* bytes = static_cast<unsigned char*>(malloc(length));
    if (!bytes) return 0;
    fillEntries(bytes, nEntries, nSize);
    PfFile* fp = PfOpen(temp, "wb");
    bool written = fp && PfWrite(fp, bytes, length) == length;
    free(bytes);
    if (fp && PfClose(fp) != 0) written = false;
    if (!fp) return 0;
    if (written && PfRename(temp, path) == 0) return 1;
    PfRemove(temp);
    return 0;
}
