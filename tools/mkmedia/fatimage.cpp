#include <zlib.h>

#include <algorithm>

#include "platform/platform.h"
#include "tools/mkmedia/diskimage.h"

/* A FAT12 floppy image, laid out as DOS FORMAT lays out the medium and filled
   as COPY fills an empty disk. All numbers are little-endian.

   sector 0: the boot sector
     000  3  EB 3C 90: a jump over the parameters to the code at 03E
     003  8  OEM name "MSDOS5.0"
     00B 25  BIOS parameter block: bytes per sector (2) 512, sectors per
             cluster (1), reserved sectors (2) 1, FATs (1) 2, root entries (2),
             total sectors (2), media descriptor (1), sectors per FAT (2),
             sectors per track (2), heads (2), hidden sectors (4) 0, total
             sectors above 65535 (4) 0
     024 26  drive 00, reserved 00, signature 29, volume serial (4), volume
             label (11, blank-padded), file system "FAT12   "
     03E     code: shows that the disk starts no system, waits for a key and
             hands over to the BIOS (int 19h)
     1FE  2  55 AA
   sectors 1...: FAT 1, then FAT 2 (a copy). Entry n is the low 12 bits of
             the 16-bit word at byte n * 3 / 2 when n is even, its high 12
             bits when odd: entry 0 is F00 | media descriptor, entry 1 FFF;
             entry n >= 2 the next cluster of a file, FFF at its last, 000
             when free
   then the root directory, 32-byte entries, the volume label first:
     00 11  name and extension, blank-padded
     0B  1  attributes: 08 label, 20 file (archive)
     16  2  time: hour << 11 | minute << 5 | second / 2
     18  2  date: (year - 1980) << 9 | month << 5 | day
     1A  2  first cluster (0 for no data)
     1C  4  size in bytes
   then the data area: cluster 2 first, each file in consecutive clusters in
   the order of the directory; unused bytes are zero.

   The volume serial is the CRC-32 of the image with the serial zero: the
   same files give the same serial. */

namespace {

const unsigned SECTOR = 512;
const unsigned ENTRY = 32;
const unsigned SERIAL_AT = 0x27;
const unsigned END_OF_CHAIN = 0xFFF;

// The code at 03E: DS = 0, the message read from 0:7C61 whatever segment
// the BIOS jumps with.
const uint8_t kBootCode[] = {
    0xFA,              // cli
    0x31, 0xC0,        // xor ax, ax
    0x8E, 0xD0,        // mov ss, ax
    0xBC, 0x00, 0x7C,  // mov sp, 7C00h
    0xFB,              // sti
    0x8E, 0xD8,        // mov ds, ax
    0xBE, 0x61, 0x7C,  // mov si, 7C61h: the message after this code
    0xFC,              // cld
    0xAC,              // next: lodsb
    0x84, 0xC0,        // test al, al
    0x74, 0x09,        // jz key
    0xB4, 0x0E,        // mov ah, 0Eh: write the character
    0xBB, 0x07, 0x00,  // mov bx, 0007h
    0xCD, 0x10,        // int 10h
    0xEB, 0xF2,        // jmp next
    0x30, 0xE4,        // key: xor ah, ah
    0xCD, 0x16,        // int 16h: wait for a key
    0xCD, 0x19,        // int 19h: try the next boot device
};
const unsigned CODE_AT = 0x3E;
static_assert(CODE_AT + sizeof kBootCode == 0x61, "the message follows the code");
const char kNoSystem[] =
    "\r\nThis is a setup disk, not a system disk.\r\n"
    "Remove it and press any key to restart.\r\n";

void Put16(std::string& image, size_t at, unsigned value) {
    image[at] = char(value & 0xFF);
    image[at + 1] = char(value >> 8 & 0xFF);
}

void Put32(std::string& image, size_t at, uint32_t value) {
    Put16(image, at, value & 0xFFFF);
    Put16(image, at + 2, value >> 16);
}

// A name in the blank-padded 11 bytes of a directory entry: base and
// extension apart, a label as it stands.
std::string EntryName(const std::string& name, bool isLabel) {
    size_t dot = isLabel ? std::string::npos : name.find('.');
    std::string base = name.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    base.resize(isLabel ? 11 : 8, ' ');
    ext.resize(isLabel ? 0 : 3, ' ');
    return base + ext;
}

void WriteBootSector(std::string& image, const FloppyBpb& b, const std::string& label) {
    image.replace(0, 11, std::string("\xEB\x3C\x90MSDOS5.0", 11));
    Put16(image, 0x0B, SECTOR);
    image[0x0D] = char(b.sectorsPerCluster);
    Put16(image, 0x0E, 1);
    image[0x10] = 2;
    Put16(image, 0x11, b.rootEntries);
    Put16(image, 0x13, b.totalSectors);
    image[0x15] = char(b.media);
    Put16(image, 0x16, b.sectorsPerFat);
    Put16(image, 0x18, b.sectorsPerTrack);
    Put16(image, 0x1A, b.heads);
    image[0x26] = 0x29;
    image.replace(0x2B, 11, EntryName(label, true));
    image.replace(0x36, 8, "FAT12   ");
    image.replace(CODE_AT, sizeof kBootCode, reinterpret_cast<const char*>(kBootCode),
                  sizeof kBootCode);
    image.replace(CODE_AT + sizeof kBootCode, sizeof kNoSystem, kNoSystem, sizeof kNoSystem);
    Put16(image, 0x1FE, 0xAA55);
}

// Sets entry n of the FAT that starts at fat.
void SetFatEntry(std::string& image, size_t fat, unsigned n, unsigned value) {
    size_t at = fat + n * 3 / 2;
    unsigned pair = uint8_t(image[at]) | uint8_t(image[at + 1]) << 8;
    pair = n % 2 ? (pair & 0x000F) | value << 4 : (pair & 0xF000) | value;
    Put16(image, at, pair);
}

void WriteEntry(std::string& image, size_t at, const std::string& name11, unsigned attributes,
                uint32_t stamp, unsigned cluster, uint32_t size) {
    image.replace(at, 11, name11);
    image[at + 0x0B] = char(attributes);
    Put16(image, at + 0x16, stamp & 0xFFFF);
    Put16(image, at + 0x18, stamp >> 16);
    Put16(image, at + 0x1A, cluster);
    Put32(image, at + 0x1C, size);
}

bool ReadInto(const ImageFile& f, std::string& image, size_t at, std::string& error) {
    PfFile* fp = PfOpen(f.path.c_str(), "rb");
    size_t got = fp ? PfRead(fp, &image[at], size_t(f.size)) : 0;
    char extra;
    bool whole = fp && got == f.size && PfRead(fp, &extra, 1) == 0 && !PfError(fp);
    if (fp) PfClose(fp);
    if (!whole) error = f.path + ": cannot be read, or its size changed meanwhile";
    return whole;
}

struct Layout {
    size_t fat1, fat2, root, data;  // byte offsets
    unsigned clusterBytes, clusters;
};

Layout LayoutOf(const FloppyBpb& b) {
    Layout l;
    l.fat1 = SECTOR;
    l.fat2 = l.fat1 + size_t(b.sectorsPerFat) * SECTOR;
    l.root = l.fat2 + size_t(b.sectorsPerFat) * SECTOR;
    l.data = l.root + (size_t(b.rootEntries) * ENTRY + SECTOR - 1) / SECTOR * SECTOR;
    l.clusterBytes = b.sectorsPerCluster * SECTOR;
    l.clusters = unsigned((size_t(b.totalSectors) * SECTOR - l.data) / l.clusterBytes);
    return l;
}

// Checks that the files fit: root entries beside the label, clusters.
bool Fits(const Layout& l, const FloppyBpb& b, const std::vector<ImageFile>& files,
          std::string& error) {
    uint64_t needed = 0;
    for (const ImageFile& f : files) needed += (f.size + l.clusterBytes - 1) / l.clusterBytes;
    if (files.size() + 1 > b.rootEntries)
        error = std::to_string(files.size()) + " files and the label, but the root holds " +
                std::to_string(b.rootEntries) + " entries";
    else if (needed > l.clusters)
        error = "the files need " + std::to_string(needed) + " clusters, the disk has " +
                std::to_string(l.clusters);
    return error.empty();
}

// The label, the files' entries, their bytes and their cluster chains.
bool PlaceFiles(std::string& image, const Layout& l, const std::vector<ImageFile>& files,
                const std::string& label, std::string& error) {
    uint32_t newest = 0x00210000;  // 1980-01-01 00:00, DOS's first day
    for (const ImageFile& f : files) newest = std::max(newest, f.stamp);
    WriteEntry(image, l.root, EntryName(label, true), 0x08, newest, 0, 0);
    unsigned next = 2;
    for (size_t i = 0; i < files.size(); ++i) {
        const ImageFile& f = files[i];
        unsigned count = unsigned((f.size + l.clusterBytes - 1) / l.clusterBytes);
        WriteEntry(image, l.root + (i + 1) * ENTRY, EntryName(f.name, false), 0x20, f.stamp,
                   count ? next : 0, uint32_t(f.size));
        if (!ReadInto(f, image, l.data + size_t(next - 2) * l.clusterBytes, error)) return false;
        for (unsigned c = next; c < next + count; ++c)
            SetFatEntry(image, l.fat1, c, c + 1 == next + count ? END_OF_CHAIN : c + 1);
        next += count;
    }
    return true;
}

}  // namespace

bool WriteFatImage(const MediaPreset& media, const std::vector<ImageFile>& files,
                   const std::string& label, const std::string& path, std::string& error) {
    const FloppyBpb& b = media.bpb;
    const Layout l = LayoutOf(b);
    std::string image(size_t(b.totalSectors) * SECTOR, '\0');
    if (!Fits(l, b, files, error)) {
        error = path + ": " + error;
        return false;
    }
    WriteBootSector(image, b, label);
    SetFatEntry(image, l.fat1, 0, 0xF00 | b.media);
    SetFatEntry(image, l.fat1, 1, END_OF_CHAIN);
    if (!PlaceFiles(image, l, files, label, error)) return false;
    std::copy(image.begin() + l.fat1, image.begin() + l.fat2, image.begin() + l.fat2);
    uint32_t serial =
        uint32_t(crc32(0, reinterpret_cast<const Bytef*>(image.data()), uInt(image.size())));
    Put32(image, SERIAL_AT, serial);
    ImageOut out(path);
    return out.Write(image.data(), image.size()) && out.Commit(error);
}
