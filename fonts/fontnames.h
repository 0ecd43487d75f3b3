// The name list "fontnam.dat" of a font directory: which identifiers an
// earlier repair gave the faces of each file.
#pragma once

#include <cstdint>

extern const char fontListName[];  // "fontnam.dat"

const int32_t NAME_HDR_BYTES = 8;
const int32_t NAME_ENTRY_BYTES = 18;  // without its identifiers
// A larger list is not one a repair wrote (four million identifiers).
const int32_t MAX_NAME_LIST_BYTES = 16 << 20;

// The list's header and the fixed part of an entry (stored without padding:
// 8 and 18 bytes).
struct nameHdr {
    int32_t nEntries;
    int32_t nSize;  // bytes of all entries
};

struct nameStr {
    char name[14];  // zero-terminated and zero-padded
    int32_t nIds;   // the identifiers follow
};

// A loaded list. Only a list whose entries all lie within its data is kept.
struct nameList {
    unsigned char* data;  // the entries as read, size bytes
    int32_t size;
    int32_t nDir;     // entries the search may use; 0 when there is no list
    int32_t* byName;  // offsets of those entries, sorted by name, then by place
};

// Loads dir's name list (dir ends in a backslash). Returns nDir.
int32_t loadFontNames(const char* dir, nameList* list);
void freeFontNames(nameList* list);

// The offset of the first entry whose name equals name exactly, or -1.
int32_t searchNameList(const char* name, const nameList* list);

// The parts of the entry at offset entry.
nameStr nameEntry(const nameList* list, int32_t entry);
int32_t entryId(const nameList* list, int32_t entry, int k);
// The offset of the entry after it.
int32_t nextNameEntry(const nameList* list, int32_t entry);

// Writes dir's name list from the face records of the repair, through a
// temporary file that replaces the old list only when complete. 1 on success.
int writeFontNames(const char* dir);
