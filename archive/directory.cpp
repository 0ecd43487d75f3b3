// Reading the archive directory (layout in directory.h).
#include "archive/directory.h"

#include <new>

bool ReadLE(FILE* fp, int n, uint32_t& value) {
    unsigned char b[4];
    if (fread(b, 1, size_t(n), fp) != size_t(n)) return false;
    value = 0;
    for (int i = n - 1; i >= 0; --i) value = value << 8 | b[i];
    return true;
}

namespace {

bool ReadWord(FILE* fp, uint16_t& value) {
    uint32_t v;
    if (!ReadLE(fp, 2, v)) return false;
    value = uint16_t(v);
    return true;
}

// The six date and time bytes in file order: bit position and width in the
// packed DOS date and time.
const struct {
    int shift;
    int bits;
} kStampFields[6] = {{0, 5}, {5, 6}, {11, 5}, {16, 5}, {21, 4}, {25, 7}};

}  // namespace

ZipDirEntry::ZipDirEntry()
    : pszName(nullptr),
      lLength(0),
      lPacked(0),
      lOffset(0),
      lCrc(0),
      wExtra1(0),
      wExtra2(0),
      ftStamp(0) {}

ZipDirEntry::~ZipDirEntry() {
    delete[] pszName;
    pszName = nullptr;
}

short ZipDirEntry::Read(FILE* fp) {
    delete[] pszName;
    pszName = nullptr;
    uint32_t v;
    if (!ReadLE(fp, 2, v)) return 0;
    // A length with the sign bit set lies outside the format.
    if (v > uint32_t(ARC_MAX_NAME)) return 0;
    size_t len = v;
    pszName = new (std::nothrow) char[len + 1];
    if (!pszName) return 0;
    if (len && fread(pszName, 1, len, fp) != len) return 0;
    pszName[len] = '\0';

    uint32_t offset;
    if (!ReadLE(fp, 4, lLength) || !ReadLE(fp, 4, lPacked) || !ReadLE(fp, 4, offset) ||
        !ReadLE(fp, 4, lCrc) || !ReadWord(fp, wExtra1) || !ReadWord(fp, wExtra2))
        return 0;
    lOffset = int32_t(offset);
    for (const auto& field : kStampFields) {
        int c = fgetc(fp);
        if (c == EOF) return 0;
        uint32_t mask = ((1u << field.bits) - 1) << field.shift;
        ftStamp = (ftStamp & ~mask) | ((uint32_t(c) << field.shift) & mask);
    }
    return 1;
}

Directory::Directory() : pEntries(nullptr), nCount(0), nCapacity(0) {}

Directory::~Directory() {
    delete[] pEntries;
}

short Directory::Allocate(unsigned short n) {
    delete[] pEntries;
    nCount = 0;
    nCapacity = 0;
    pEntries = new (std::nothrow) ZipDirEntry[n];
    if (!pEntries) return 0;
    nCapacity = n;
    return 1;
}

// The steps of Read; the first error raised, or none.
static XErr ReadSteps(Directory& dir, FILE* fp) {
    uint32_t offset, signature;
    uint16_t version, count;
    // Offsets past the signed 32-bit range cannot be reached on every build.
    if (fseek(fp, 0, SEEK_SET) != 0 || !ReadLE(fp, 4, offset) || offset > 0x7fffffffu ||
        fseek(fp, long(offset), SEEK_SET) != 0)
        return XErr{xeRead};
    if (!ReadLE(fp, 4, signature) || signature != ARC_SIGNATURE) return XErr{xeRead};
    if (!ReadWord(fp, version)) return XErr{xeRead};
    if (version != ARC_VERSION) return XErr{xeVersion};
    if (!ReadWord(fp, count) || count > ARC_MAX_ENTRIES) return XErr{xeRead};
    if (!dir.Allocate(count)) return XErr{xeMemory};
    for (unsigned i = 0; i < count; ++i)
        if (!dir.pEntries[i].Read(fp)) return XErr{xeRead};
    dir.nCount = count;
    return kNoXErr;
}

short Directory::Read(FILE* fp) {
    if (!ReadSteps(*this, fp).Raised()) return 1;
    fputs("Error reading archive directory\n", stdout);
    return 0;
}
