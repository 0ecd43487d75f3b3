// Checking an archive whole without extracting it (layout in directory.h).
#include "tools/common/archivecheck.h"

#include <zlib.h>

#include <cinttypes>
#include <vector>

#include "archive/directory.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tools/common/arcwriter.h"

namespace {

const size_t CHUNK = 8192;

// Reads the directory as the setup's reader does, saying where it fails
// (the reader itself only prints one line for every failure).
std::string DirectoryProblem(PfFile* fp, Directory& dir) {
    uint32_t offset, signature, version, count;
    if (!ReadLE(fp, 4, offset)) return "it is shorter than 4 bytes";
    if (offset > 0x7fffffffu || PfSeek(fp, long(offset), PF_SEEK_SET) != 0 ||
        !ReadLE(fp, 4, signature) || signature != ARC_SIGNATURE)
        return "no archive directory lies where its first 4 bytes point";
    if (!ReadLE(fp, 2, version) || !ReadLE(fp, 2, count)) return "its directory is cut short";
    if (version != ARC_VERSION)
        return "its directory has version " + std::to_string(version) + ", not " +
               std::to_string(ARC_VERSION);
    if (count > uint32_t(ARC_MAX_ENTRIES))
        return "it has " + std::to_string(count) + " members, more than " +
               std::to_string(ARC_MAX_ENTRIES);
    if (!dir.Allocate(uint16_t(count))) return "out of memory";
    for (uint32_t i = 0; i < count; ++i)
        if (!dir.pEntries[i].Read(fp))
            return "its directory is cut short in member " + std::to_string(i + 1);
    dir.nCount = uint16_t(count);
    return "";
}

// Inflates one member's stream to its end; "" when it is whole and its
// CRC-32 and length are the directory's.
std::string MemberProblem(PfFile* fp, const ZipDirEntry& e) {
    if (e.lOffset < 0 || PfSeek(fp, e.lOffset, PF_SEEK_SET) != 0) return "its data cannot be reached";
    z_stream zs = {};
    if (inflateInit(&zs) != Z_OK) return "out of memory";
    std::vector<unsigned char> in(CHUNK), out(CHUNK);
    uint32_t left = e.lPacked;
    uLong crc = crc32(0, nullptr, 0);
    uint64_t produced = 0;
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (zs.avail_in == 0) {
            size_t want = left < CHUNK ? left : CHUNK;
            zs.avail_in = uInt(want ? PfRead(fp, in.data(), want) : 0);
            zs.next_in = in.data();
            left -= zs.avail_in;
        }
        zs.next_out = out.data();
        zs.avail_out = uInt(CHUNK);
        rc = inflate(&zs, Z_NO_FLUSH);
        size_t have = CHUNK - zs.avail_out;
        crc = crc32(crc, out.data(), uInt(have));
        produced += have;
    }
    inflateEnd(&zs);
    char why[80] = "";
    if (rc != Z_STREAM_END)
        BufCopy(why, rc == Z_BUF_ERROR ? "its stream is cut short" : "its stream is damaged");
    else if (uint32_t(crc) != e.lCrc)
        BufFormat(why, "its CRC-32 is %08" PRIx32 ", the directory says %08" PRIx32, uint32_t(crc),
                  e.lCrc);
    else if (produced != e.lLength)
        BufFormat(why, "it holds %" PRIu64 " bytes, the directory says %" PRIu32, produced,
                  e.lLength);
    return why;
}

}  // namespace

std::string ArchiveProblem(const char* path, ArchiveContents& contents) {
    contents = ArchiveContents{};
    PfFile* fp = PfOpen(path, "rb");
    if (!fp) return "it cannot be opened";
    Directory dir;
    std::string problem = DirectoryProblem(fp, dir);
    for (unsigned i = 0; problem.empty() && i < dir.nCount; ++i) {
        const ZipDirEntry& e = dir.pEntries[i];
        const char* nameProblem = StoredNameProblem(e.pszName);
        problem = nameProblem ? nameProblem : MemberProblem(fp, e);
        if (!problem.empty()) problem = "member \"" + std::string(e.pszName) + "\": " + problem;
        ++contents.files;
        contents.bytes += e.lLength;
    }
    PfClose(fp);
    return problem;
}
