// arc list and arc test: reading an archive without extracting it.
#include <zlib.h>

#include <cinttypes>

#include "platform/platform.h"
#include "platform/strutil.h"
#include "tools/arc/arc.h"
#include "tools/common/arcwriter.h"

namespace {

std::string Hex(uint32_t v) {
    char buf[16];
    BufFormat(buf, "%08" PRIx32, v);
    return buf;
}

// The reason an inflate loop stopped before the stream's end.
std::string StreamProblem(int rc, const z_stream& zs) {
    if (rc == Z_NEED_DICT) return "its stream needs a preset dictionary";
    if (rc == Z_BUF_ERROR) return "its stream is cut short";
    return std::string("its stream is damaged (") + (zs.msg ? zs.msg : "inflate error") + ")";
}

// Opens the archive and reads its directory; 0, or the exit status of a failure.
int OpenArchive(const char* archive, PfFile*& fp, Directory& dir) {
    fp = PfOpen(archive, "rb");
    if (!fp) return Fail(std::string(archive) + ": cannot open the archive");
    if (dir.Read(fp)) return EXIT_OK;
    PfClose(fp);
    return Fail(std::string(archive) + ": the archive directory cannot be read");
}

}  // namespace

namespace {

// Inflates the member's stream to its end, counting and summing the bytes;
// returns the last inflate result. Reads never pass lPacked.
int InflateAll(PfFile* fp, const ZipDirEntry& e, z_stream& zs, uLong& crc, uint64_t& produced) {
    unsigned char in[8192], out[8192];
    uint32_t consumed = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (zs.avail_in == 0) {
            uint32_t want = e.lPacked - consumed < sizeof in ? e.lPacked - consumed : sizeof in;
            zs.avail_in = uInt(want ? PfRead(fp, in, want) : 0);
            zs.next_in = in;
            consumed += zs.avail_in;
        }
        zs.next_out = out;
        zs.avail_out = sizeof out;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        crc = crc32(crc, out, uInt(sizeof out - zs.avail_out));
        produced += sizeof out - zs.avail_out;
    }
    return rc;
}

}  // namespace

bool CheckMember(PfFile* fp, const ZipDirEntry& e, std::string& why) {
    z_stream zs = {};
    if (PfSeek(fp, e.lOffset, PF_SEEK_SET) != 0) {
        why = "its data offset cannot be reached";
        return false;
    }
    if (inflateInit(&zs) != Z_OK) {
        why = "out of memory";
        return false;
    }
    uLong crc = crc32(0, nullptr, 0);
    uint64_t produced = 0;
    int rc = InflateAll(fp, e, zs, crc, produced);
    if (rc != Z_STREAM_END) why = StreamProblem(rc, zs);
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) return false;
    if (crc != e.lCrc) {
        why = "its CRC-32 is " + Hex(uint32_t(crc)) + ", the directory says " + Hex(e.lCrc);
        return false;
    }
    if (produced != e.lLength) {
        why = "it holds " + std::to_string(produced) + " bytes, the directory says " +
              std::to_string(e.lLength);
        return false;
    }
    return true;
}

int CmdTest(const char* archive) {
    PfFile* fp;
    Directory dir;
    if (int status = OpenArchive(archive, fp, dir)) return status;
    for (unsigned i = 0; i < dir.nCount; ++i) {
        const ZipDirEntry& e = dir.pEntries[i];
        std::string why;
        // The setup keeps the stored directories, so every name must extract.
        if (const char* problem = StoredNameProblem(e.pszName)) why = problem;
        if (why.empty() && CheckMember(fp, e, why)) continue;
        PfClose(fp);
        return Fail(std::string(archive) + ": member " + e.pszName + ": " + why);
    }
    PfClose(fp);
    printf("%s: %u members OK\n", archive, unsigned(dir.nCount));
    return EXIT_OK;
}

namespace {

std::string Ratio(uint64_t packed, uint64_t length) {
    return length ? std::to_string(packed * 100 / length) + "%" : "-";
}

void ListRow(const ZipDirEntry& e) {
    uint32_t s = e.ftStamp;
    printf("%10" PRIu32 "  %10" PRIu32 "  %5s  %s  %04u-%02u-%02u  %02u:%02u:%02u  %s\n", e.lLength,
           e.lPacked, Ratio(e.lPacked, e.lLength).c_str(), Hex(e.lCrc).c_str(),
           unsigned(s >> 25) + 1980, unsigned(s >> 21 & 15), unsigned(s >> 16 & 31),
           unsigned(s >> 11 & 31), unsigned(s >> 5 & 63), unsigned(s & 31) * 2, e.pszName);
}

}  // namespace

int CmdList(const char* archive) {
    PfFile* fp;
    Directory dir;
    if (int status = OpenArchive(archive, fp, dir)) return status;
    PfClose(fp);
    printf("%10s  %10s  %5s  %-8s  %-10s  %-8s  %s\n", "Length", "Packed", "Ratio", "CRC-32",
           "Date", "Time", "Name");
    const char* rule = "----------  ----------  -----  --------  ----------  --------  ----\n";
    fputs(rule, stdout);
    uint64_t length = 0, packed = 0;
    for (unsigned i = 0; i < dir.nCount; ++i) {
        ListRow(dir.pEntries[i]);
        length += dir.pEntries[i].lLength;
        packed += dir.pEntries[i].lPacked;
    }
    fputs(rule, stdout);
    printf("%10" PRIu64 "  %10" PRIu64 "  %5s  %-8s  %-10s  %-8s  %u member%s\n", length, packed,
           Ratio(packed, length).c_str(), "", "", "", unsigned(dir.nCount),
           dir.nCount == 1 ? "" : "s");
    return EXIT_OK;
}
