// The parts of a PE image read here:
//
//   0x3C            offset of the PE header
//   PE header       "PE\0\0", the COFF header (20 bytes: number of sections
//                   at 2, size of the optional header at 16), the optional
//                   header (checksum at 64; data directories at 96 for
//                   PE32, 112 for PE32+, 8 bytes each, resources the third)
//                   and the section table (40 bytes a section: virtual
//                   size at 8, address at 12, raw size at 16, raw offset at 20)
//   resources       three levels of directories (type, name, language): 16
//                   bytes, named then numbered entry counts at 12 and 14,
//                   then 8-byte entries of a name (high bit: offset of a
//                   length-prefixed UTF-16 name) and an offset (high bit: a
//                   subdirectory), all relative to the resources' start; a
//                   leaf is a data entry of an address (RVA) and a size
#include "tools/common/peresource.h"

#include <cctype>
#include <cstring>

namespace {

class PeReader {
public:
    explicit PeReader(const std::string& image) : image_(image) {}

    bool U16(size_t at, uint32_t& v) const { return Read(at, 2, v); }
    bool U32(size_t at, uint32_t& v) const { return Read(at, 4, v); }

    // The file offset of an RVA of a section's raw data, with room for size bytes.
    bool FileOffset(uint32_t rva, uint32_t size, size_t& offset) const {
        for (uint32_t i = 0; i < sections_; ++i) {
            size_t s = sectionTable_ + 40 * size_t(i);
            uint32_t address, raw, rawOffset;
            if (!U32(s + 12, address) || !U32(s + 16, raw) || !U32(s + 20, rawOffset)) return false;
            if (rva < address || uint64_t(rva) + size > uint64_t(address) + raw) continue;
            offset = size_t(rawOffset) + (rva - address);
            return offset + size <= image_.size();
        }
        return false;
    }

    bool Headers(size_t& checksumAt, std::string& error) {
        uint32_t pe = 0, magic = 0, optionalSize = 0;
        if (image_.compare(0, 2, "MZ") != 0 || !U32(0x3C, pe) || size_t(pe) + 4 > image_.size() ||
            image_.compare(pe, 4, std::string("PE\0\0", 4)) != 0) {
            error = "not a Windows program";
            return false;
        }
        const size_t optional = size_t(pe) + 24;
        if (!U16(pe + 6, sections_) || !U16(pe + 20, optionalSize) || !U16(optional, magic) ||
            (magic != 0x10B && magic != 0x20B)) {
            error = "not a Windows program";
            return false;
        }
        checksumAt = optional + 64;
        directories_ = optional + (magic == 0x10B ? 96 : 112);
        sectionTable_ = optional + optionalSize;
        return true;
    }

    // The file offset of the resources' root directory.
    bool ResourceRoot(size_t& root, uint32_t& rootRva, std::string& error) {
        size_t checksumAt;
        if (!Headers(checksumAt, error)) return false;
        uint32_t size = 0;
        if (!U32(directories_ + 16, rootRva) || !U32(directories_ + 20, size) || !rootRva ||
            !FileOffset(rootRva, 16, root)) {
            error = "the program has no resources";
            return false;
        }
        return true;
    }

    // The entry of a directory that matches id (name null) or name.
    bool Entry(size_t base, size_t dir, uint32_t id, const char* name, uint32_t& target) const {
        uint32_t named = 0, numbered = 0;
        if (!U16(dir + 12, named) || !U16(dir + 14, numbered)) return false;
        for (uint32_t i = 0; i < named + numbered; ++i) {
            uint32_t key, value;
            if (!U32(dir + 16 + 8 * size_t(i), key) || !U32(dir + 20 + 8 * size_t(i), value))
                return false;
            bool isName = (key & 0x80000000u) != 0;
            if (isName != (name != nullptr)) continue;
            if (isName ? NameIs(base + (key & 0x7FFFFFFFu), name) : key == id) {
                target = value;
                return true;
            }
        }
        return false;
    }

    // The first entry of a directory: a resource's first language.
    bool FirstEntry(size_t dir, uint32_t& target) const {
        uint32_t named = 0, numbered = 0;
        return U16(dir + 12, named) && U16(dir + 14, numbered) && named + numbered > 0 &&
               U32(dir + 20, target);
    }

private:
    bool Read(size_t at, int bytes, uint32_t& v) const {
        if (at + size_t(bytes) > image_.size()) return false;
        v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | static_cast<unsigned char>(image_[at + i]);
        return true;
    }

    bool NameIs(size_t at, const char* name) const {
        uint32_t length = 0;
        if (!U16(at, length) || length != strlen(name)) return false;
        for (uint32_t i = 0; i < length; ++i) {
            uint32_t c = 0;
            if (!U16(at + 2 + 2 * size_t(i), c) || c > 0x7F ||
                toupper(int(c)) != toupper(static_cast<unsigned char>(name[i])))
                return false;
        }
        return true;
    }

    const std::string& image_;
    uint32_t sections_ = 0;
    size_t directories_ = 0, sectionTable_ = 0;
};

}  // namespace

bool FindPeResource(const std::string& image, uint16_t type, const char* name, size_t& offset,
                    size_t& size, std::string& error) {
    PeReader pe(image);
    size_t root = 0;
    uint32_t rootRva = 0;
    if (!pe.ResourceRoot(root, rootRva, error)) return false;
    const uint32_t kSubdirectory = 0x80000000u;
    uint32_t names = 0, languages = 0, leaf = 0;
    size_t dir = 0;
    bool found = pe.Entry(root, root, type, nullptr, names) && (names & kSubdirectory) &&
                 pe.FileOffset(rootRva + (names & ~kSubdirectory), 16, dir) &&
                 pe.Entry(root, dir, 0, name, languages) && (languages & kSubdirectory) &&
                 pe.FileOffset(rootRva + (languages & ~kSubdirectory), 16, dir) &&
                 pe.FirstEntry(dir, leaf) && !(leaf & kSubdirectory);
    size_t entry = 0;
    uint32_t rva = 0, length = 0;
    if (!found || !pe.FileOffset(rootRva + leaf, 16, entry) || !pe.U32(entry, rva) ||
        !pe.U32(entry + 4, length) || !pe.FileOffset(rva, length, offset)) {
        error = std::string("the program has no resource ") + name;
        return false;
    }
    size = length;
    return true;
}

void UpdatePeChecksum(std::string& image) {
    PeReader pe(image);
    size_t at = 0;
    std::string error;
    uint32_t old = 0;
    if (!pe.Headers(at, error) || !pe.U32(at, old) || old == 0) return;
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i >= at && i < at + 4) continue;
        uint32_t word = static_cast<unsigned char>(image[i]);
        if (i + 1 < image.size()) word |= uint32_t(static_cast<unsigned char>(image[i + 1])) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    uint32_t checksum = uint32_t((sum & 0xFFFF) + (sum >> 16)) + uint32_t(image.size());
    for (int i = 0; i < 4; ++i) image[at + size_t(i)] = char(checksum >> (8 * i));
}
