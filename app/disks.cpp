#include "app/disks.h"

#include <cstring>
#include <vector>

#include "app/paths.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"

uint32_t ReadDiskKeys(const char* section, char* keys, uint32_t size) {
    // The reader answers a list that fits exactly as it answers a cut one:
    // two bytes to spare tell them apart (SCRIPT_DISK_KEYS_READ_SIZE).
    std::vector<char> list(size_t(size) + 2);
    uint32_t len = ReadKeyList(section, list.data(), size + 2);
    if (len < size) {
        memcpy(keys, list.data(), size_t(len) + 1);
        return len;
    }
    // Too long: the names that fit whole, with the list's two NULs.
    uint32_t offset = 0, end = 0;
    while (NextKey(list.data(), len, offset) && offset <= size - 1) end = offset;
    memcpy(keys, list.data(), end);
    memset(keys + end, 0, size - end < 2 ? size - end : 2);
    return end;
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
