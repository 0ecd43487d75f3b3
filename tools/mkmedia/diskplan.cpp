#include "tools/mkmedia/diskplan.h"

#include <cstring>
#include <set>

#include "archive/directory.h"
#include "platform/strutil.h"

namespace {

// A floppy preset from its parameter block: the data area is what the boot
// sector, the two FATs and the root directory leave, in whole clusters.
constexpr MediaPreset Floppy(const char* name, FloppyBpb b) {
    return MediaPreset{
        name,
        uint64_t(b.totalSectors - 1 - 2 * b.sectorsPerFat - (b.rootEntries * 32 + 511) / 512) /
            b.sectorsPerCluster * b.sectorsPerCluster * 512,
        b.sectorsPerCluster * 512, b.rootEntries, b};
}

// The standard formats of DOS FORMAT (MS-DOS 3.0 for 1.2M, 3.2 for 720K, 3.3
// for 1.44M, 5.0 for 2.88M): total sectors, sectors per cluster, root
// entries, sectors per FAT, media descriptor, sectors per track, heads.
const MediaPreset kPresets[] = {
    Floppy("360K", {720, 2, 112, 2, 0xFD, 9, 2}),
    Floppy("720K", {1440, 2, 112, 3, 0xF9, 9, 2}),
    Floppy("1.2M", {2400, 1, 224, 7, 0xF9, 15, 2}),
    Floppy("1.44M", {2880, 1, 224, 9, 0xF0, 18, 2}),
    Floppy("2.88M", {5760, 2, 240, 9, 0xF0, 36, 2}),
    {"cd", 0, 2048, 0, {}},
};

// An archive's offsets are signed 32-bit.
const uint64_t MAX_ARCHIVE_BYTES = 0x7fffffffu;
const int MAX_PARTS = 99;

bool ShortNameChar(unsigned char c, bool lowerOk) {
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    // Letters beyond ASCII, as the ANSI code page writes them, make 8.3 names
    // too; the disks' own names keep to capitals and digits.
    if ((c >= 'a' && c <= 'z') || c >= 0x80) return lowerOk;
    return c && strchr("!#$%&'()-@^_`{}~", c) != nullptr;
}

std::string Upper(std::string text) {
    StrUpper(&text[0]);
    return text;
}

// Up to four characters of the package's name that a short name allows.
std::string ArchiveStem(const std::string& package) {
    std::string stem;
    for (char c : Upper(package))
        if (stem.size() < 4 && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            stem += c;
    return stem.empty() ? "PKG" : stem;
}

// How many of the package's files from first on fit into one archive beside
// what the disk holds already; the archive's size in bytes.
size_t FitOnDisk(const MediaPreset& media, const std::vector<DiskEntry>& disk,
                 const std::vector<PlanFile>& files, size_t first, uint64_t& bytes) {
    if (media.rootEntries && disk.size() + 2 > media.rootEntries) return 0;
    const uint64_t used = DiskBytesUsed(media, disk);
    uint64_t packed = 0, names = 0;
    size_t count = 0;
    for (size_t i = first; i < files.size() && count < size_t(ARC_MAX_ENTRIES); ++i) {
        uint64_t size =
            ArchiveBytes(packed + files[i].packed, names + files[i].storedName.size(), count + 1);
        if (size > MAX_ARCHIVE_BYTES) break;
        if (media.dataBytes && used + ClusterBytes(size, media.cluster) > media.dataBytes) break;
        packed += files[i].packed;
        names += files[i].storedName.size();
        bytes = size;
        ++count;
    }
    return count;
}

std::string ArchiveName(const std::string& package, size_t index, int part) {
    char name[16];
    BufFormat(name, "%s%02u%02d.ARC", ArchiveStem(package).c_str(), unsigned(index + 1), part);
    return name;
}

}  // namespace

const MediaPreset* FindMediaPreset(const char* name) {
    for (const MediaPreset& p : kPresets)
        if (StrEqualNoCase(p.name, name)) return &p;
    return nullptr;
}

std::string MediaPresetNames() {
    std::string names;
    for (const MediaPreset& p : kPresets) names += std::string(names.empty() ? "" : ", ") + p.name;
    return names;
}

uint64_t ClusterBytes(uint64_t size, uint32_t cluster) {
    return (size + cluster - 1) / cluster * cluster;
}

bool IsShortName(const std::string& name, bool lowerOk) {
    size_t dot = name.find('.');
    std::string base = name.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    if (dot != std::string::npos && ext.empty()) return false;
    for (char c : base + ext)
        if (!ShortNameChar(static_cast<unsigned char>(c), lowerOk)) return false;
    return true;
}

uint64_t ArchiveBytes(uint64_t packedSum, uint64_t nameSum, size_t members) {
    return 4 + packedSum + 8 + 28 * uint64_t(members) + nameSum;
}

uint64_t DiskBytesUsed(const MediaPreset& media, const std::vector<DiskEntry>& files) {
    uint64_t used = 0;
    for (const DiskEntry& f : files) used += ClusterBytes(f.size, media.cluster);
    return used;
}

std::string DiskProblem(const MediaPreset& media, const std::vector<DiskEntry>& files) {
    std::set<std::string> seen;
    for (const DiskEntry& f : files) {
        if (!IsShortName(f.name, false))
            return "\"" + f.name + "\" is no 8.3 name in capital letters";
        if (!seen.insert(Upper(f.name)).second) return "\"" + f.name + "\" is there twice";
    }
    if (media.rootEntries && files.size() + 1 > media.rootEntries)
        return std::to_string(files.size()) + " files, but the root directory holds " +
               std::to_string(media.rootEntries) +
               " entries and one stays free for the volume label";
    uint64_t used = DiskBytesUsed(media, files);
    if (media.dataBytes && used > media.dataBytes)
        return "the files take " + std::to_string(used) + " bytes in clusters of " +
               std::to_string(media.cluster) + ", more than the " +
               std::to_string(media.dataBytes) + " the disk holds";
    return "";
}

bool PlanDisks(const MediaPreset& media, const std::vector<DiskEntry>& setupFiles,
               const std::vector<PlanPackage>& packages, DiskPlan& plan, std::string& error) {
    plan = DiskPlan{};
    plan.disks.push_back(setupFiles);
    std::string problem = DiskProblem(media, setupFiles);
    if (!problem.empty()) {
        error = "disk 1 cannot hold the setup files: " + problem;
        return false;
    }
    for (size_t p = 0; p < packages.size(); ++p) {
        const std::vector<PlanFile>& files = packages[p].files;
        int part = 0;
        for (size_t next = 0; next < files.size();) {
            uint64_t bytes = 0;
            size_t count = FitOnDisk(media, plan.disks.back(), files, next, bytes);
            const bool oneDirectory = media.dataBytes == 0;
            if (count == 0 && !oneDirectory && FitOnDisk(media, {}, files, next, bytes) > 0) {
                plan.disks.emplace_back();
                continue;
            }
            if (count == 0 || (oneDirectory && next + count < files.size()) || part == MAX_PARTS) {
                error =
                    packages[p].name + ": " +
                    (part == MAX_PARTS ? "more than " + std::to_string(MAX_PARTS) + " archives"
                     : count == 0      ? files[next].storedName + " packs to " +
                                        std::to_string(files[next].packed) +
                                        " bytes, more than an empty " + media.name + " disk holds"
                                  : "more than one archive (2 GB or 32767 files) in one directory");
                return false;
            }
            std::string name = ArchiveName(packages[p].name, p, ++part);
            plan.archives.push_back(
                PlannedArchive{p, int(plan.disks.size()), name, next, count, bytes});
            plan.disks.back().push_back(DiskEntry{name, bytes});
            next += count;
        }
    }
    return true;
}
