#include "app/disks.h"

#include <cstring>

#include "app/paths.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"

uint32_t ReadDiskKeys(const char* section, char* keys, uint32_t size) {
    uint32_t len = ReadKeyList(section, keys, size);
    // The reader reports a cut list as one ending in its last name's last
    // character. That name may be cut (or fit exactly: the two look alike),
    // so the walk ends before it.
    if (!KeyListOverflowed(len, size) || len == 0 || keys[len - 1] == '\0') return len;
    uint32_t offset = 0, last = 0;
    while (const char* name = NextKey(keys, len, offset)) last = uint32_t(name - keys);
    return last;
}

bool PackageOwnsKey(const Package& package, const char* key) {
    return strncmp(key, package.szName, strlen(package.szName)) == 0;
}

bool FormArchivePath(ArchiveTarget& target) {
    if (BufFormat(target.szPath, "%s%s", exe_dir, target.szName)) return true;
    target.szPath[0] = '\0';  // a cut path would name another file
    return false;
}

namespace {

// The package's destination directory; false when it does not fit.
bool FormDestination(const Package& package, char (&dest)[ARCHIVE_DEST_SIZE]) {
    if (package.bSystemDir) return PfGetSystemDir(dest, sizeof dest) < sizeof dest;
    bool fit = BufCopy(dest, package.bAbsoluteDir ? "" : dest_path);
    size_t len = strlen(dest);
    if (len > 0 && dest[len - 1] != '\\') fit = BufAppend(dest, "\\") && fit;
    return BufAppend(dest, package.szDirectory) && fit;
}

}  // namespace

int PrepareArchive(const char* section, const char* keys, const char* key, const Package& package,
                   ArchiveTarget& target) {
    ReadKeyValue(section, keys, key, target.szName);
    target.szPath[0] = target.szDest[0] = '\0';
    if (!target.szName[0]) return tsSkip;
    // A name or destination cut short would pick another file or place:
    // such an archive is refused instead. A source directory too deep for
    // the path leaves it empty: the disk prompt asks for another one.
    if (strlen(target.szName) > ARCHIVE_NAME_CHARS || !FormDestination(package, target.szDest))
        return tsRefused;
    FormArchivePath(target);
    if (!package.bSystemDir) CreatePath(target.szDest);
    return tsReady;
}
