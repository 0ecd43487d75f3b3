// Writing archives (layout in directory.h).
#include "tools/common/arcwriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "archive/archive.h"
#include "platform/namelist.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tools/common/toolcli.h"

namespace {

const size_t CHUNK = 65536;
const uint64_t MAX_OFFSET = 0x7fffffffu;  // offsets are signed 32-bit

void PutLE(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xff);
}

struct FileSource {
    PfFile* fp;
    uint64_t left;  // of the size at opening: a file that grows is not followed
};

size_t ReadFileSource(void* ctx, unsigned char* buf, size_t size) {
    FileSource* f = static_cast<FileSource*>(ctx);
    size_t n = PfRead(f->fp, buf, size_t(std::min<uint64_t>(size, f->left)));
    f->left -= n;
    return n;
}

// The size of an open file, or -1.
long long FileSize(PfFile* fp) {
    if (PfSeek(fp, 0, PF_SEEK_END) != 0) return -1;
    long long size = PfTell(fp);
    return PfSeek(fp, 0, PF_SEEK_SET) == 0 ? size : -1;
}

struct MemSource {
    const unsigned char* data;
    size_t left;
};

size_t ReadMemSource(void* ctx, unsigned char* buf, size_t size) {
    MemSource* m = static_cast<MemSource*>(ctx);
    size_t n = std::min(size, m->left);
    if (n) memcpy(buf, m->data, n);
    m->data += n;
    m->left -= n;
    return n;
}

// Windows cannot keep a component that ends in a dot or a blank.
bool HasBadComponentEnd(const char* name) {
    for (const char* p = name; *p; ++p)
        if ((*p == '.' || *p == ' ') && (p[1] == '\\' || p[1] == '\0')) return true;
    return false;
}

std::string Upper(const std::string& s) {
    std::string u = s;
    StrUpper(&u[0]);
    return u;
}

}  // namespace

const char* StoredNameProblem(const char* name) {
    if (!*name) return "the name is empty";
    if (strlen(name) >= 260) return "the name is longer than 259 characters";
    if (!StoredNameIsSafe(name)) return "the name leaves the destination or names a device";
    for (const char* p = name; *p; ++p)
        if (static_cast<unsigned char>(*p) < 0x20 || strchr("<>\"|?*/", *p))
            return "the name has a character that Windows does not allow";
    if (name[strlen(name) - 1] == '\\') return "the name ends in a backslash";
    if (HasBadComponentEnd(name)) return "a part of the name ends in a dot or a blank";
    if (!strchr(name, '.')) return "the name has no dot, so the setup would make a directory of it";
    return nullptr;
}

ArcWriter::ArcWriter() : fp_(nullptr) {}

ArcWriter::~ArcWriter() {
    Abandon();
}

void ArcWriter::Abandon() {
    if (!fp_) return;
    PfClose(fp_);
    fp_ = nullptr;
    PfRemove(path_.c_str());
}

bool ArcWriter::Fail(const std::string& message) {
    error_ = message;
    Abandon();
    return false;
}

bool ArcWriter::Create(const char* path) {
    Abandon();
    members_.clear();
    upperNames_.clear();
    error_.clear();
    path_ = path;
    fp_ = PfOpen(path, "wb");
    if (!fp_) return Fail(path_ + ": cannot create the archive");
    // The directory offset is filled in by Finish.
    static const unsigned char header[4] = {0, 0, 0, 0};
    if (PfWrite(fp_, header, 4) != 4) return Fail(path_ + ": cannot write");
    return true;
}

bool ArcWriter::AddFile(const char* storedName, const char* path) {
    FileSource src{PfOpen(path, "rb"), 0};
    if (!src.fp) return Fail(std::string(path) + ": cannot open");
    long long size = FileSize(src.fp);
    uint32_t stamp;
    const char* problem = size < 0 || size > 0xffffffffLL ? "cannot be read whole (4 GB or more?)"
                          : !PfGetFileTime(path, &stamp)  ? "its date lies outside 1980 to 2107"
                                                          : nullptr;
    if (problem) {
        PfClose(src.fp);
        return Fail(std::string(path) + ": " + problem);
    }
    src.left = uint64_t(size);
    bool ok = AddStream(storedName, ReadFileSource, &src, stamp);
    bool incomplete = src.left != 0;
    PfClose(src.fp);
    if (ok && incomplete) return Fail(std::string(path) + ": read error, or the file shrank");
    return ok;
}

bool ArcWriter::AddData(const char* storedName, const void* data, size_t size, uint32_t dosStamp) {
    MemSource src{static_cast<const unsigned char*>(data), size};
    return AddStream(storedName, ReadMemSource, &src, dosStamp);
}

bool ArcWriter::AddStream(const char* storedName, Source read, void* ctx, uint32_t dosStamp) {
    if (!fp_) return Fail("no archive is open");
    if (const char* problem = StoredNameProblem(storedName))
        return Fail(std::string(storedName) + ": " + problem);
    if (upperNames_.count(Upper(storedName)))
        return Fail(std::string(storedName) + ": the name is already in the archive");
    if (members_.size() >= size_t(ARC_MAX_ENTRIES))
        return Fail(path_ + ": more than 32767 members");
    Member m{storedName, 0, 0, 0, 0, dosStamp};
    m.offset = members_.empty() ? 4 : members_.back().offset + members_.back().packed;
    if (!Deflate(read, ctx, m)) return false;
    if (m.offset + uint64_t(m.packed) > MAX_OFFSET)
        return Fail(path_ + ": the archive would pass 2 GB");
    members_.push_back(m);
    upperNames_.insert(Upper(storedName));
    return true;
}

bool ArcWriter::Deflate(Source read, void* ctx, Member& m) {
    z_stream zs;
    memset(&zs, 0, sizeof zs);
    if (deflateInit(&zs, 9) != Z_OK) return Fail("out of memory");
    std::vector<unsigned char> in(CHUNK), out(CHUNK);
    uLong crc = crc32(0, nullptr, 0);
    uint64_t length = 0, packed = 0;
    bool ok = true;
    int flush;
    do {
        size_t n = read(ctx, in.data(), CHUNK);
        crc = crc32(crc, in.data(), uInt(n));
        length += n;
        flush = n < CHUNK ? Z_FINISH : Z_NO_FLUSH;
        zs.next_in = in.data();
        zs.avail_in = uInt(n);
        do {
            zs.next_out = out.data();
            zs.avail_out = uInt(CHUNK);
            deflate(&zs, flush);
            size_t have = CHUNK - zs.avail_out;
            ok = ok && PfWrite(fp_, out.data(), have) == have;
            packed += have;
        } while (zs.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&zs);
    if (!ok) return Fail(path_ + ": cannot write");
    if (length > 0xffffffffu) return Fail(m.name + ": larger than 4 GB");
    if (packed > MAX_OFFSET) return Fail(path_ + ": the archive would pass 2 GB");
    m.length = uint32_t(length);
    m.packed = uint32_t(packed);
    m.crc = uint32_t(crc);
    return true;
}

bool ArcWriter::WriteDirectory() {
    uint64_t dirOffset = members_.empty() ? 4 : members_.back().offset + members_.back().packed;
    std::string d;
    PutLE(d, ARC_SIGNATURE, 4);
    PutLE(d, ARC_VERSION, 2);
    PutLE(d, uint32_t(members_.size()), 2);
    for (const Member& m : members_) {
        PutLE(d, uint32_t(m.name.size()), 2);
        d += m.name;
        PutLE(d, m.length, 4);
        PutLE(d, m.packed, 4);
        PutLE(d, m.offset, 4);
        PutLE(d, m.crc, 4);
        PutLE(d, 0, 4);  // the two spare words
        // Seconds/2, minutes, hours, day, month, year-1980.
        static const int shifts[6] = {0, 5, 11, 16, 21, 25};
        static const uint32_t masks[6] = {31, 63, 31, 31, 15, 127};
        for (int i = 0; i < 6; ++i) d += char((m.stamp >> shifts[i]) & masks[i]);
    }
    unsigned char header[4];
    for (int i = 0; i < 4; ++i) header[i] = (uint32_t(dirOffset) >> (8 * i)) & 0xff;
    return PfWrite(fp_, d.data(), d.size()) == d.size() && PfSeek(fp_, 0, PF_SEEK_SET) == 0 &&
           PfWrite(fp_, header, 4) == 4;
}

bool ArcWriter::Finish() {
    if (!fp_) return Fail("no archive is open");
    if (!WriteDirectory()) return Fail(path_ + ": cannot write");
    PfFile* fp = fp_;
    fp_ = nullptr;
    if (PfClose(fp) != 0) {
        PfRemove(path_.c_str());
        error_ = path_ + ": cannot write";
        return false;
    }
    return true;
}

ArcTotals ArcWriter::Totals() const {
    ArcTotals t{unsigned(members_.size()), 0, 0};
    for (const Member& m : members_) {
        t.length += m.length;
        t.packed += m.packed;
    }
    return t;
}

namespace {

// True when two paths name the same file as text: case, separators and
// "." parts aside.
bool SamePath(const std::string& a, const std::string& b) {
    auto normal = [](std::string s) {
        std::replace(s.begin(), s.end(), '/', '\\');
        StrUpper(&s[0]);
        std::string out;
        size_t start = 0;
        while (start <= s.size()) {
            size_t end = std::min(s.find('\\', start), s.size());
            std::string part = s.substr(start, end - start);
            if (part != "." && (!part.empty() || start == 0)) out += part + "\\";
            start = end + 1;
        }
        return out;
    };
    return normal(a) == normal(b);
}

}  // namespace

bool ArcListFiles(const std::string& dir, const std::string& prefix,
                  std::vector<std::string>& names, std::string& error) {
    // Stored names stop at 259 characters; deeper trees (or link loops) end here.
    if (prefix.size() >= 260) {
        error = HostJoin(dir, prefix) + ": the tree is too deep";
        return false;
    }
    std::string here = prefix.empty() ? dir : dir + "\\" + prefix;
    std::vector<std::string> files, dirs;
    if (!PfFindFiles((here + "\\*").c_str(), files) || !PfFindDirs((here + "\\*").c_str(), dirs)) {
        error = (prefix.empty() ? dir : HostJoin(dir, prefix)) + ": cannot list the directory";
        return false;
    }
    for (const std::string& f : files) names.push_back(prefix.empty() ? f : prefix + "\\" + f);
    for (const std::string& d : dirs)
        if (!ArcListFiles(dir, prefix.empty() ? d : prefix + "\\" + d, names, error)) return false;
    return true;
}

bool ArcCreateFromDir(const char* archive, const char* dir, std::string& error, ArcTotals* totals) {
    std::vector<std::string> names;
    if (!ArcListFiles(dir, "", names, error)) return false;
    std::sort(names.begin(), names.end());
    ArcWriter w;
    bool ok = w.Create(archive);
    for (size_t i = 0; ok && i < names.size(); ++i) {
        std::string path = std::string(dir) + "\\" + names[i];
        // An archive made inside its own directory does not pack itself.
        if (SamePath(path, archive)) continue;
        ok = w.AddFile(names[i].c_str(), path.c_str());
    }
    ok = ok && w.Finish();
    if (!ok) error = w.Error();
    if (totals) *totals = w.Totals();
    return ok;
}
