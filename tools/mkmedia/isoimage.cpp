#include <algorithm>

#include "platform/platform.h"
#include "platform/strutil.h"
#include "tools/mkmedia/diskimage.h"

/* An ISO 9660 image of one directory of files, level 1 (8.3 names of
   capitals, digits and underscores), one root directory, no extensions: what
   every CD-ROM driver of the era reads. Sectors of 2048 bytes. "Both-endian"
   numbers are written little-endian, then big-endian.

   sectors 0-15: the system area, zero
   sector 16: the primary volume descriptor
     000  1  type 1     001  5  "CD001"     006  1  version 1
     008 32  system identifier (blanks)     028 32  volume identifier
     050  8  volume space size in sectors (both-endian)
     078  4  volume set size 1       07C  4  volume sequence number 1
     080  4  sector size 2048        (these three both-endian, 16-bit)
     084  8  path table size (both-endian)
     08C  4  sector of the little-endian path table
     094  4  sector of the big-endian path table (big-endian)
     09C 34  the root directory's record
     0BE     volume set, publisher, preparer, application (128 each),
             copyright, abstract, bibliography files (37 each): blanks
     32D 17  creation and, at 33E, modification: "YYYYMMDDHHMMSScc" and a
             zone byte; 34F expiration, 360 effective: sixteen "0" and 0
     371  1  file structure version 1
   sector 17: the descriptor set terminator: 255, "CD001", 1
   sector 18: the little-endian path table, one entry for the root: name
             length 1, 0, its sector (4), parent 1 (2), name 00, pad 00
   sector 19: the big-endian path table, the same
   sector 20...: the root directory: records of "." (name 00) and ".." (01),
             then the files ordered by name, then extension; a record never
             crosses into the next sector
   then each file from a sector of its own, zero-padded to the sector's end.

   A directory record:
     00  1  its length
     01  1  0 (no extended attributes)
     02  8  first sector (both-endian)
     0A  8  length in bytes (both-endian)
     12  7  date: years since 1900, month, day, hour, minute, second, zone 0
     19  1  flags: 02 directory
     1C  4  volume sequence number 1 (both-endian, 16-bit)
     20  1  name length
     21     name: "NAME.EXT;1", and one zero byte when its length is even

   Dates are the files' DOS dates as they stand, in zone 0 (DOS keeps no
   zone); the volume's are those of the newest file. */

namespace {

const size_t SECTOR = 2048;
const uint32_t DESCRIPTOR_AT = 16, L_TABLE_AT = 18, M_TABLE_AT = 19, ROOT_AT = 20;
const size_t PATH_TABLE_BYTES = 10;

void PutLE(std::string& s, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = char(value >> 8 * i & 0xFF);
}

void PutBE(std::string& s, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = char(value >> 8 * (bytes - 1 - i) & 0xFF);
}

void PutBoth(std::string& s, size_t at, uint32_t value, int bytes) {
    PutLE(s, at, value, bytes);
    PutBE(s, at + bytes, value, bytes);
}

// Level 1: 1 to 8 characters, a dot, 0 to 3 more, of A-Z, 0-9 and _.
bool IsIsoName(const std::string& name) {
    size_t dot = name.find('.');
    std::string base = name.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    for (char c : base + ext)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

std::string Identifier(const std::string& name) {
    return name + (name.find('.') == std::string::npos ? "." : "") + ";1";
}

std::string RecordDate(uint32_t stamp) {
    const unsigned date = stamp >> 16, time = stamp & 0xFFFF;
    const unsigned parts[7] = {80 + (date >> 9), date >> 5 & 15,  date & 31, time >> 11,
                               time >> 5 & 63,   (time & 31) * 2, 0};
    std::string bytes(7, '\0');
    for (int i = 0; i < 7; ++i) bytes[i] = char(parts[i]);
    return bytes;
}

std::string VolumeDate(uint32_t stamp) {
    const unsigned date = stamp >> 16, time = stamp & 0xFFFF;
    char text[20];
    BufFormat(text, "%04u%02u%02u%02u%02u%02u00", 1980 + (date >> 9), date >> 5 & 15, date & 31,
              time >> 11, time >> 5 & 63, (time & 31) * 2);
    return std::string(text, 16) + '\0';
}

std::string Record(const std::string& id, uint32_t sector, uint32_t bytes, uint32_t stamp,
                   bool isDir) {
    std::string r(33 + id.size() + (id.size() % 2 ? 0 : 1), '\0');
    r[0] = char(r.size());
    PutBoth(r, 0x02, sector, 4);
    PutBoth(r, 0x0A, bytes, 4);
    r.replace(0x12, 7, RecordDate(stamp));
    r[0x19] = isDir ? 0x02 : 0x00;
    PutBoth(r, 0x1C, 1, 2);
    r[0x20] = char(id.size());
    r.replace(0x21, id.size(), id);
    return r;
}

uint32_t Sectors(uint64_t bytes) {
    return uint32_t((bytes + SECTOR - 1) / SECTOR);
}

// The root directory of rootSectors sectors: its records, the files'
// extents one after the other behind it.
std::string RootDirectory(const std::vector<ImageFile>& files, uint32_t rootSectors,
                          uint32_t newest) {
    std::string dir;
    auto add = [&dir](const std::string& r) {
        if (dir.size() % SECTOR + r.size() > SECTOR) dir.resize(Sectors(dir.size()) * SECTOR);
        dir += r;
    };
    const uint32_t rootBytes = rootSectors * uint32_t(SECTOR);
    add(Record(std::string(1, '\0'), ROOT_AT, rootBytes, newest, true));
    add(Record(std::string(1, '\1'), ROOT_AT, rootBytes, newest, true));
    uint32_t next = ROOT_AT + rootSectors;
    for (const ImageFile& f : files) {
        add(Record(Identifier(f.name), next, uint32_t(f.size), f.stamp, false));
        next += Sectors(f.size);
    }
    dir.resize(Sectors(dir.size()) * SECTOR);
    return dir;
}

std::string PathTables(uint32_t rootSector) {
    std::string tables(2 * SECTOR, '\0');
    for (int big = 0; big < 2; ++big) {
        const size_t at = big * SECTOR;
        tables[at] = 1;
        big ? PutBE(tables, at + 2, rootSector, 4) : PutLE(tables, at + 2, rootSector, 4);
        big ? PutBE(tables, at + 6, 1, 2) : PutLE(tables, at + 6, 1, 2);
    }
    return tables;
}

std::string Descriptors(const std::string& volumeId, uint32_t totalSectors,
                        const std::string& rootRecord, uint32_t newest) {
    std::string d(2 * SECTOR, '\0');
    d.replace(0, 7,
              std::string("\x01"
                          "CD001\x01",
                          7));
    d.replace(0x08, 64, std::string(64, ' '));
    d.replace(0x28, std::min<size_t>(volumeId.size(), 32), volumeId);
    PutBoth(d, 0x50, totalSectors, 4);
    PutBoth(d, 0x78, 1, 2);
    PutBoth(d, 0x7C, 1, 2);
    PutBoth(d, 0x80, uint32_t(SECTOR), 2);
    PutBoth(d, 0x84, uint32_t(PATH_TABLE_BYTES), 4);
    PutLE(d, 0x8C, L_TABLE_AT, 4);
    PutBE(d, 0x94, M_TABLE_AT, 4);
    d.replace(0x9C, rootRecord.size(), rootRecord);
    d.replace(0xBE, 4 * 128 + 3 * 37, std::string(4 * 128 + 3 * 37, ' '));
    d.replace(0x32D, 17, VolumeDate(newest));
    d.replace(0x33E, 17, VolumeDate(newest));
    d.replace(0x34F, 17, std::string(16, '0') + '\0');
    d.replace(0x360, 17, std::string(16, '0') + '\0');
    d[0x371] = 1;
    d.replace(SECTOR, 7,
              std::string("\xFF"
                          "CD001\x01",
                          7));
    return d;
}

// Copies a file into the image and pads it to its last sector's end. A
// failed write is the image's to report (Commit).
bool CopyInto(ImageOut& out, const ImageFile& f, std::string& error) {
    PfFile* fp = PfOpen(f.path.c_str(), "rb");
    char chunk[65536];
    uint64_t copied = 0;
    size_t n;
    bool readOk = fp != nullptr, writeOk = true;
    while (readOk && writeOk && (n = PfRead(fp, chunk, sizeof chunk)) > 0) {
        copied += n;
        writeOk = out.Write(chunk, n);
    }
    readOk = readOk && !PfError(fp) && copied == f.size;
    if (fp) PfClose(fp);
    if (!readOk && writeOk) {
        error = f.path + ": cannot be read, or its size changed meanwhile";
        return false;
    }
    const std::string pad(Sectors(f.size) * SECTOR - f.size, '\0');
    return writeOk && out.Write(pad.data(), pad.size());
}

// A directory's records go by name, then extension.
bool IsoOrder(const ImageFile& a, const ImageFile& b) {
    auto key = [](const std::string& name) {
        size_t dot = std::min(name.find('.'), name.size());
        return std::make_pair(name.substr(0, dot), name.substr(dot));
    };
    return key(a.name) < key(b.name);
}

}  // namespace

bool WriteIsoImage(const std::vector<ImageFile>& unsorted, const std::string& volumeId,
                   const std::string& path, std::string& error) {
    std::vector<ImageFile> files = unsorted;
    uint32_t newest = 0x00210000, total = ROOT_AT;
    for (const ImageFile& f : files) {
        if (!IsIsoName(f.name) || f.size > 0xFFFFFFFFu) {
            error = f.path + ": no ISO 9660 level 1 file (8.3 of A-Z, 0-9, _; below 4 GB)";
            return false;
        }
        newest = std::max(newest, f.stamp);
        total += Sectors(f.size);
    }
    std::sort(files.begin(), files.end(), IsoOrder);
    uint32_t rootSectors = Sectors(RootDirectory(files, 1, newest).size());
    const std::string root = RootDirectory(files, rootSectors, newest);
    total += rootSectors;
    const std::string head = std::string(DESCRIPTOR_AT * SECTOR, '\0') +
                             Descriptors(volumeId, total, root.substr(0, 34), newest) +
                             PathTables(ROOT_AT) + root;
    ImageOut out(path);
    bool ok = out.Write(head.data(), head.size());
    for (const ImageFile& f : files) ok = ok && CopyInto(out, f, error);
    return (ok || error.empty()) && out.Commit(error);
}
