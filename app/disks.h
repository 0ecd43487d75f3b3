// The decisions of the disk-by-disk extraction: which keys of a disk
// section belong to a package, where each archive is read from and where its
// files go.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/globals.h"

const uint32_t DISK_KEYS_SIZE = 500;   // the key list of one disk section
const size_t ARCHIVE_NAME_CHARS = 14;  // an archive's file name
const size_t ARCHIVE_PATH_SIZE = 80;   // exe_dir and the file name
const size_t ARCHIVE_DEST_SIZE = 144;  // a package's destination directory

// Reads the key list of a disk section into keys (size bytes) and returns
// the length to walk with NextKey. A list that does not fit keeps the names
// that fit whole: a cut one may name another key.
uint32_t ReadDiskKeys(const char* section, char* keys, uint32_t size);

// True when key belongs to the package: it begins with the package's name,
// case included. One key may belong to several packages (Font and Fonts).
bool PackageOwnsKey(const Package& package, const char* key);

// One archive of a disk section, ready to be looked for and extracted.
struct ArchiveTarget {
    char szName[ARCHIVE_PATH_SIZE];  // the key's value; longer than 14 is refused
    char szPath[ARCHIVE_PATH_SIZE];  // exe_dir followed by szName; empty when too long
    char szDest[ARCHIVE_DEST_SIZE];  // the package's destination directory
};

enum eTargetStates {
    tsSkip = 0,     // the key names no archive
    tsReady = 1,    // the destination built and created, the path built if it fits
    tsRefused = 2,  // the name or the destination is too long
};

// Reads the archive that key names (the disk section's keys as ReadDiskKeys
// gave them) and builds its path and the package's destination: dest_path,
// or nothing when bAbsoluteDir is set, then szDirectory; the system directory
// for bSystemDir. The destination is created unless it is the system
// directory. Returns an eTargetStates value.
int PrepareArchive(const char* section, const char* keys, const char* key, const Package& package,
                   ArchiveTarget& target);

// Builds szPath from exe_dir (again after the disk prompt changed it);
// false, with szPath empty, when it does not fit.
bool FormArchivePath(ArchiveTarget& target);
