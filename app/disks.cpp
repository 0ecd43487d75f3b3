#include "app/disks.h"

#include <cstring>
#include <new>

#include "app/paths.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"

uint32_t ReadDiskKeys(const char* section, char* keys, uint32_t size) {
    // The reader answers a list that fits exactly as it answers a cut one:
    // two bytes to spare tell them apart (SCRIPT_DISK_KEYS_READ_SIZE).
    char* list = new (std::nothrow) char[size_t(size) + 2];
    if (!list) return ReadKeyList(section, keys, size);  // as the reader alone answers
    uint32_t len = ReadKeyList(section, list, size + 2);
    if (len < size) {
        memcpy(keys, list, size_t(len) + 1);
    } else {
        // Too long: the names that fit whole, with the list's two NULs.
        uint32_t offset = 0, end = 0;
        while (NextKey(list, len, offset) && offset <= size - 1) end = offset;
        memcpy(keys, list, end);
        memset(keys + end, 0, size - end < 2 ? size - end : 2);
        len = end;
    }
    delete[] list;
    return len;
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
