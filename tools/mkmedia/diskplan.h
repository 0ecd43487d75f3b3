// The media and the placement of a product's files on them: FAT12 floppy
// formats (clusters, root-directory entries, 8.3 names) and the split of
// each package into archives, disk by disk in install order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A floppy's BIOS parameter block as DOS FORMAT writes it for the medium;
// every standard floppy has 512-byte sectors, one reserved sector (the
// boot sector) and two FATs.
struct FloppyBpb {
    unsigned totalSectors;
    unsigned sectorsPerCluster;
    unsigned rootEntries;
    unsigned sectorsPerFat;
    unsigned media;  // the media descriptor, also in each FAT's first byte
    unsigned sectorsPerTrack;
    unsigned heads;
};

struct MediaPreset {
    const char* name;
    uint64_t dataBytes;    // the data area; 0 for no limit
    uint32_t cluster;      // allocation unit in bytes
    unsigned rootEntries;  // root-directory entries; 0 for no limit
    FloppyBpb bpb;         // what the first three follow from; zero for a CD
};

// "360K", "720K", "1.2M", "1.44M", "2.88M" or "cd" (either case); null for others.
const MediaPreset* FindMediaPreset(const char* name);
// Every preset, smallest first.
std::vector<const MediaPreset*> MediaPresets();
// The preset names, comma separated, for messages.
std::string MediaPresetNames();

// Bytes a file of size bytes takes on the medium: whole clusters.
uint64_t ClusterBytes(uint64_t size, uint32_t cluster);

// An 8.3 name FAT keeps in one root entry: 1 to 8 characters, optionally a
// dot and 1 to 3 more, of the characters a short name allows; small letters
// only when lowerOk (they would need a long-name entry on the disk itself).
bool IsShortName(const std::string& name, bool lowerOk);

// Archive size from its members: header, streams, directory.
uint64_t ArchiveBytes(uint64_t packedSum, uint64_t nameSum, size_t members);

struct PlanFile {
    std::string storedName;  // in the archive, relative to the package's directory
    uint64_t size;
    uint64_t packed;  // the deflated stream's length
};

struct PlanPackage {
    std::string name;             // the script's package name
    std::vector<PlanFile> files;  // in archive order
};

// A file on a disk's root, with its size.
struct DiskEntry {
    std::string name;
    uint64_t size;
};

struct PlannedArchive {
    size_t package;             // index into the packages
    int disk;                   // from 1
    std::string name;           // 8.3 file name on the disk
    std::vector<size_t> files;  // the package's files it holds, in archive order
    uint64_t bytes;
};

struct DiskPlan {
    std::vector<std::vector<DiskEntry>> disks;  // disk 1 first; setup files, then archives
    std::vector<PlannedArchive> archives;       // in install order
};

// Places the setup files on disk 1 and the packages in order after them,
// starting a new archive on the next disk whenever the current one is full.
// A package's archive on a disk takes every file still to place that fits
// beside it, in archive order, so that one big file does not leave a disk
// mostly empty. False with a reason when a file or the setup files fit no
// disk.
bool PlanDisks(const MediaPreset& media, const std::vector<DiskEntry>& setupFiles,
               const std::vector<PlanPackage>& packages, DiskPlan& plan, std::string& error);

// The FAT12 rules for one disk's root: 8.3 names, no name twice, the entry
// limit (one entry stays free for a volume label) and the room in clusters.
// "" when the disk is sound, else the first rule it breaks.
std::string DiskProblem(const MediaPreset& media, const std::vector<DiskEntry>& files);

// Bytes the files take on the medium, in whole clusters.
uint64_t DiskBytesUsed(const MediaPreset& media, const std::vector<DiskEntry>& files);
