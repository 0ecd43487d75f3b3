// Reading the archive directory (layout in directory.h).
#include "archive/directory.h"

#include <new>

bool ReadLE(PfFile* fp, int n, uint32_t& value) {
    unsigned char b[4];
    if (PfRead(fp, b, size_t(n)) != size_t(n)) return false;
    value = 0;
    for (int i = n - 1; i >= 0; --i) value = value << 8 | b[i];
    return true;
}

namespace {

bool ReadWord(PfFile* fp, uint16_t& value) {
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

short ZipDirEntry::Read(PfFile* fp) {
    delete[] pszName;
    pszName = nullptr;
    uint32_t v;
    if (!ReadLE(fp, 2, v)) return 0;
    // A length with the sign bit set lies outside the format.
    if (v > uint32_t(ARC_MAX_NAME)) return 0;
    size_t len = v;
    pszName = new (std::nothrow) char[len + 1];
    if (!pszName) return 0;
    if (len && PfRead(fp, pszName, len) != len) return 0;
    pszName[len] = '\0';

    uint32_t offset;
    if (!ReadLE(fp, 4, lLength) || !ReadLE(fp, 4, lPacked) || !ReadLE(fp, 4, offset) ||
        !ReadLE(fp, 4, lCrc) || !ReadWord(fp, wExtra1) || !ReadWord(fp, wExtra2))
        return 0;
    lOffset = int32_t(offset);
    unsigned char stamp[6];
    if (PfRead(fp, stamp, sizeof stamp) != sizeof stamp) return 0;
    for (int k = 0; k < 6; ++k) {
        uint32_t mask = ((1u << kStampFields[k].bits) - 1) << kStampFields[k].shift;
        ftStamp = (ftStamp & ~mask) | ((uint32_t(stamp[k]) << kStampFields[k].shift) & mask);
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
static XErr ReadSteps(Directory& dir, PfFile* fp) {
    uint32_t offset, signature;
    uint16_t version, count;
    // Offsets past the signed 32-bit range cannot be reached on every build.
    if (PfSeek(fp, 0, PF_SEEK_SET) != 0 || !ReadLE(fp, 4, offset) || offset > 0x7fffffffu ||
        PfSeek(fp, long(offset), PF_SEEK_SET) != 0)
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

short Directory::Read(PfFile* fp) {
    if (!ReadSteps(*this, fp).Raised()) return 1;
    PfPrintLine("Error reading archive directory");
    return 0;
}
