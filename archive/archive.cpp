// Extraction of archive members: inflate, CRC-32 check, stored date.
#include "archive/archive.h"

#include <zlib.h>

#include <cstring>
#include <new>

#include "archive/fileutil.h"
#include "platform/platform.h"
#include "platform/strutil.h"

int32_t lSizeOfSource = 0;
PfFile* fpSource = nullptr;
PfFile* fpDest = nullptr;

void DefArcStatusCallback(eStatusKeys, void*) {}

namespace {

const int PATH_SIZE = 260;

bool IsDeviceName(const char* s, size_t n) {
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* dev : kNames)
        if (n == strlen(dev) && StrPrefixNoCase(s, dev, n)) return true;
    if (n != 4 || !(StrPrefixNoCase(s, "COM", 3) || StrPrefixNoCase(s, "LPT", 3))) return false;
    // Windows reserves units 0 to 9 and the superscript digits of code page 1252.
    unsigned char unit = static_cast<unsigned char>(s[3]);
    return (unit >= '0' && unit <= '9') || unit == 0xb9 || unit == 0xb2 || unit == 0xb3;
}

// One component of a stored name, n characters at s.
bool ComponentIsSafe(const char* s, size_t n) {
    if (n == 0) return true;  // a doubled or trailing backslash names nothing new
    // Windows drops trailing dots and blanks: "..", "..." and ". " all leave
    // the folder or name it again.
    if (strspn(s, ". ") >= n) return false;
    // A device keeps its meaning whatever extension follows it.
    size_t base = 0;
    while (base < n && s[base] != '.') ++base;
    while (base > 0 && s[base - 1] == ' ') --base;
    return !IsDeviceName(s, base);
}

}  // namespace

bool StoredNameIsSafe(const char* name) {
    if (!name || name[0] == '\\' || name[0] == '/' || strchr(name, ':')) return false;
    for (const char* p = name;;) {
        size_t n = strcspn(p, "\\/");
        if (!ComponentIsSafe(p, n)) return false;
        if (!p[n]) return true;
        p += n + 1;
    }
}

namespace {

// The drive a path names (A = 0), or -1 when it names none.
int DriveOf(const char* path) {
    if (!path[0] || path[1] != ':') return -1;
    char c = path[0] >= 'a' && path[0] <= 'z' ? char(path[0] - 'a' + 'A') : path[0];
    return c >= 'A' && c <= 'Z' ? c - 'A' : 26;
}

void SendPercent(ArcStatusCallback pfn, eStatusKeys key, uint64_t part, uint64_t whole) {
    // An empty whole is complete; a directory that understates a length
    // never shows more than 100.
    uint64_t percent = whole ? part * 100 / whole : 100;
    pfn(key, PercentArg(percent > 100 ? 100 : int(percent)));
}

// Saves the current directory in saved, then makes pszDestDir current.
// Whatever happens, saved holds what Extract must restore (or is empty).
XErr EnterDestDir(const char* pszDestDir, char* saved, size_t size) {
    // A directory that cannot be saved could not be restored.
    if (!PfGetCwd(saved, int(size))) {
        saved[0] = '\0';
        return XErr{xeExtract};
    }
    int drive = DriveOf(pszDestDir);
    if (drive >= 0 && PfSetDisk(drive) != 0) return XErr{xeExtract};
    if (PfChdir(pszDestDir) != 0) return XErr{xeExtract};
    return kNoXErr;
}

void RestoreDir(const char* saved) {
    int drive = DriveOf(saved);
    if (drive >= 0) PfSetDisk(drive);
    PfChdir(saved);
}

// Inflates the member's stream from fpSource into fpDest; the CRC-32 of the
// bytes produced goes to crc. Reads never pass lPacked.
XErr InflateMember(const Archive& arc, const ZipDirEntry& entry, z_stream& zs, uLong& crc) {
    crc = crc32(0, nullptr, 0);
    uint32_t consumed = 0;
    uint64_t produced = 0;
    int rc;
    do {
        if (zs.avail_in == 0) {
            uint32_t want = entry.lPacked - consumed;
            if (want > uint32_t(ARC_BUFFER_SIZE)) want = ARC_BUFFER_SIZE;
            size_t got = want ? PfRead(fpSource, arc.pInBuffer, want) : 0;
            consumed += uint32_t(got);
            zs.next_in = arc.pInBuffer;
            zs.avail_in = uInt(got);
        }
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) return XErr{xeInflate};
        size_t k = ARC_BUFFER_SIZE - zs.avail_out;
        // A short write (a full disk) fails the member.
        if (k && PfWrite(fpDest, arc.pOutBuffer, k) != k) return XErr{xeExtract};
        crc = crc32(crc, arc.pOutBuffer, uInt(k));
        produced += k;
        zs.next_out = arc.pOutBuffer;
        zs.avail_out = ARC_BUFFER_SIZE;
        SendPercent(arc.pfnStatus, skFilePercent, produced, entry.lLength);
        long pos = PfTell(fpSource);
        SendPercent(arc.pfnStatus, skArchivePercent, pos > 0 ? uint64_t(pos) : 0,
                    uint64_t(lSizeOfSource));
    } while (rc != Z_STREAM_END);
    return kNoXErr;
}

// Builds the member's output path in out; false when the name is refused.
bool OutputPath(const char* name, short bUsePaths, char* out, size_t size) {
    out[0] = '\0';
    if (!StoredNameIsSafe(name)) return false;
    // A path that does not fit is refused rather than cut into another name.
    if (!bUsePaths) return StripPath(out, size, name);
    if (!BufCopy(out, size, name)) return false;
    MakePath(out);
    return true;
}

}  // namespace

Archive::Archive()
    : pszFileName(nullptr),
      pfnStatus(DefArcStatusCallback),
      pInBuffer(nullptr),
      pOutBuffer(nullptr),
      fpArchive(nullptr) {}

Archive::~Archive() {
    delete[] pszFileName;
    FreeBuffers();
}

void Archive::SetStatusCallback(ArcStatusCallback pfn) {
    pfnStatus = pfn ? pfn : DefArcStatusCallback;
}

void Archive::SetFileName(const char* name) {
    if (!name) return;
    // Copied first: name may be the string being replaced.
    char* copy = newStr(name);
    delete[] pszFileName;
    pszFileName = copy;
}

short Archive::AllocBuffers() {
    FreeBuffers();
    pInBuffer = new (std::nothrow) unsigned char[ARC_BUFFER_SIZE];
    if (!pInBuffer) return 0;
    pOutBuffer = new (std::nothrow) unsigned char[ARC_BUFFER_SIZE];
    return pOutBuffer ? 1 : 0;
}

short Archive::FreeBuffers() {
    delete[] pInBuffer;
    delete[] pOutBuffer;
    pInBuffer = nullptr;
    pOutBuffer = nullptr;
    return 1;
}

XErr Archive::ExtractSteps(const char* pszDestDir, short bUsePaths, char* saved, size_t size) {
    if (!pszFileName || !(fpArchive = PfOpen(pszFileName, "rb"))) return XErr{xeOpen};
    long length = -1;
    if (PfSeek(fpArchive, 0, PF_SEEK_END) == 0) length = PfTell(fpArchive);
    if (length < 0 || length > 0x7fffffffL || PfSeek(fpArchive, 0, PF_SEEK_SET) != 0)
        return XErr{xeRead};
    lSizeOfSource = int32_t(length);
    pfnStatus(skArchiveName, pszFileName);
    if (!dir.Read(fpArchive)) return XErr{xeRead};
    if (!AllocBuffers()) return XErr{xeMemory};
    if (pszDestDir) {
        XErr err = EnterDestDir(pszDestDir, saved, size);
        if (err.Raised()) return err;
    }
    for (int i = 0; i < dir.nCount; ++i)
        if (!DecompressFile(short(i), bUsePaths)) return XErr{xeExtract};
    return kNoXErr;
}

short Archive::Extract(const char* pszArchive, const char* pszDestDir, short bUsePaths) {
    SetFileName(pszArchive);
    char saved[PATH_SIZE] = "";
    short result = ExtractSteps(pszDestDir, bUsePaths, saved, sizeof saved).Raised() ? 0 : 1;
    pfnStatus(skArchivePercent, PercentArg(100));
    if (saved[0]) RestoreDir(saved);
    if (fpArchive) PfClose(fpArchive);
    fpArchive = nullptr;
    FreeBuffers();
    return result;
}

XErr Archive::DecompressSteps(short nIndex, short bUsePaths, char* szOut, size_t size,
                              z_stream_s& zs, bool& inflating, bool& created) {
    // Only inside Extract: the archive open, the buffers there.
    if (nIndex < 0 || nIndex >= dir.nCount || !fpArchive || !pInBuffer || !pOutBuffer)
        return XErr{xeExtract};
    const ZipDirEntry& entry = dir.pEntries[nIndex];
    if (!OutputPath(entry.pszName, bUsePaths, szOut, size)) return XErr{xeExtract};
    if (!(fpDest = PfOpen(szOut, "wb"))) return XErr{xeOpen};
    created = true;
    if (PfSeek(fpSource, entry.lOffset, PF_SEEK_SET) != 0) return XErr{xeExtract};
    pfnStatus(skFileName, szOut);
    zs.next_in = pInBuffer;
    zs.next_out = pOutBuffer;
    zs.avail_out = ARC_BUFFER_SIZE;
    if (inflateInit(&zs) != Z_OK) return XErr{xeInflate};
    inflating = true;
    uLong crc;
    XErr err = InflateMember(*this, entry, zs, crc);
    if (err.Raised()) return err;
    pfnStatus(skFilePercent, PercentArg(100));
    if (crc != entry.lCrc) return XErr{xeCrc};
    inflating = false;
    if (inflateEnd(&zs) != Z_OK) return XErr{xeInflate};
    PfSetFileTime(fpDest, entry.ftStamp);
    return kNoXErr;
}

short Archive::DecompressFile(short nIndex, short bUsePaths) {
    char szOut[PATH_SIZE] = "";
    z_stream zs;
    memset(&zs, 0, sizeof zs);
    bool inflating = false, created = false;
    fpSource = fpArchive;
    XErr err = DecompressSteps(nIndex, bUsePaths, szOut, sizeof szOut, zs, inflating, created);
    short result = err.Raised() ? 0 : 1;
    // The inflater's memory goes on the failure paths too.
    if (inflating) inflateEnd(&zs);
    if (fpDest) PfClose(fpDest);
    fpDest = nullptr;
    fpSource = nullptr;
    // A member that failed leaves no file that could pass for a good one:
    // cut short, wrong bytes or undated, it goes.
    if (!result && created) PfRemove(szOut);
    return result;
}
