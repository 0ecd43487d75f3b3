// The media builder's FAT12 rules and the placement of packages on disks.
#include <gtest/gtest.h>

#include "tools/mkmedia/diskplan.h"

namespace {

std::vector<DiskEntry> Entries(int n, uint64_t size) {
    std::vector<DiskEntry> files;
    for (int i = 0; i < n; ++i) files.push_back(DiskEntry{"F" + std::to_string(i) + ".DAT", size});
    return files;
}

PlanPackage Package(const std::string& name, std::vector<uint64_t> packed) {
    PlanPackage p{name, {}};
    for (size_t i = 0; i < packed.size(); ++i)
        p.files.push_back(PlanFile{"F" + std::to_string(i) + ".FF1", packed[i] * 2, packed[i]});
    return p;
}

const std::vector<DiskEntry> kSetup = {
    {"SETUP.EXE", 100000}, {"INSTALL.INI", 1000}, {"README.TXT", 2000}};

TEST(MediaPresets, HoldWhatAFreshlyFormattedDiskReportsFree) {
    // Data bytes, cluster and root entries as a formatted disk reports them;
    // total sectors, sectors per FAT, media descriptor, sectors per track
    // and heads of the boot sector DOS FORMAT writes.
    struct Case {
        const char* name;
        uint64_t bytes;
        uint32_t cluster;
        unsigned root, total, fat, media, track, heads;
    } cases[] = {
        {"360K", 362496, 1024, 112, 720, 2, 0xFD, 9, 2},
        {"720K", 730112, 1024, 112, 1440, 3, 0xF9, 9, 2},
        {"1.2M", 1213952, 512, 224, 2400, 7, 0xF9, 15, 2},
        {"1.44m", 1457664, 512, 224, 2880, 9, 0xF0, 18, 2},
        {"2.88M", 2931712, 1024, 240, 5760, 9, 0xF0, 36, 2},
        {"CD", 0, 2048, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const MediaPreset* p = FindMediaPreset(c.name);
        ASSERT_NE(p, nullptr) << c.name;
        EXPECT_EQ(p->dataBytes, c.bytes) << c.name;
        EXPECT_EQ(p->cluster, c.cluster) << c.name;
        EXPECT_EQ(p->rootEntries, c.root) << c.name;
        const FloppyBpb& b = p->bpb;
        const unsigned got[] = {b.totalSectors,           b.sectorsPerFat, b.media,
                                b.sectorsPerTrack,        b.heads,         b.rootEntries,
                                b.sectorsPerCluster * 512};
        const unsigned want[] = {
            c.total, c.fat, c.media, c.track, c.heads, c.root, c.total ? c.cluster : 0};
        for (size_t i = 0; i < sizeof want / sizeof want[0]; ++i)
            EXPECT_EQ(got[i], want[i]) << c.name << " field " << i;
        // The FAT is the smallest whose 12-bit entries cover every cluster.
        const uint64_t entries = c.bytes / c.cluster + 2;
        if (c.total) {
            EXPECT_EQ(((entries * 3 + 1) / 2 + 511) / 512, c.fat) << c.name;
        }
    }
    EXPECT_EQ(FindMediaPreset("1.4M"), nullptr);
    EXPECT_EQ(MediaPresetNames(), "360K, 720K, 1.2M, 1.44M, 2.88M, cd");
    EXPECT_EQ(ClusterBytes(0, 512), 0u);
    EXPECT_EQ(ClusterBytes(1, 512), 512u);
    EXPECT_EQ(ClusterBytes(512, 512), 512u);
    EXPECT_EQ(ClusterBytes(513, 1024), 1024u);
    EXPECT_EQ(ArchiveBytes(100, 10, 2), 4u + 100 + 8 + 56 + 10);
}

TEST(ShortNames, FollowTheRulesOfAFat12RootEntry) {
    struct Case {
        const char* name;
        bool upper, lower;  // accepted in capitals only, accepted with small letters
    } cases[] = {
        {"SETUP.EXE", true, true},
        {"CORE0101.ARC", true, true},
        {"README", true, true},
        {"A.B", true, true},
        {"$~_-!.{}@", true, true},
        {"readme.txt", false, true},
        {"TOOLONGNAME.TXT", false, false},
        {"NAME.TEXT", false, false},
        {"NAME.", false, false},
        {".TXT", false, false},
        {"A.B.C", false, false},
        {"SPACE X.TXT", false, false},
        {"PLUS+.TXT", false, false},
        {"", false, false},
        {"\xe9T\xe9.TXT", false, true},
        {"LIZENZ\xc4.TXT", false, true},
        {"LIZENZ\xc4XY.TXT", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsShortName(c.name, false), c.upper) << c.name;
        EXPECT_EQ(IsShortName(c.name, true), c.lower) << c.name;
    }
}

TEST(DiskRules, RefuseWhatOldLayoutToolsLetSlip) {
    const MediaPreset& floppy = *FindMediaPreset("1.44M");
    std::vector<DiskEntry> full = {{"A.DAT", 1457664}};
    std::vector<DiskEntry> over = {{"A.DAT", 1457664 - 511}, {"B.DAT", 1}};
    struct Case {
        std::vector<DiskEntry> files;
        std::string problem;
    } cases[] = {
        {kSetup, ""},
        {full, ""},
        {over,
         "the files take 1458176 bytes in clusters of 512, more than the 1457664 the disk holds"},
        {{{"setup.exe", 1}}, "\"setup.exe\" is no 8.3 name in capital letters"},
        {{{"INSTALL.INI", 1}, {"SETUP.EXE", 1}, {"INSTALL.INI", 1}},
         "\"INSTALL.INI\" is there twice"},
        {Entries(223, 1), ""},
        {Entries(224, 1),
         "224 files, but the root directory holds 224 entries and one stays free for "
         "the volume label"},
    };
    for (const Case& c : cases) EXPECT_EQ(DiskProblem(floppy, c.files), c.problem);
    EXPECT_EQ(DiskProblem(*FindMediaPreset("360K"), Entries(112, 1)),
              "112 files, but the root directory holds 112 entries and one stays free for the "
              "volume label");
    EXPECT_EQ(DiskProblem(*FindMediaPreset("cd"), Entries(5000, 1 << 20)), "");
}

// Every disk is asked for once, in ascending order: the archives' disks never
// go back, a package's archives lie on distinct disks, each file is placed
// once and in order, and every disk keeps the FAT12 rules.
void ExpectSoundPlan(const MediaPreset& media, const std::vector<PlanPackage>& packages,
                     const DiskPlan& plan) {
    int lastDisk = 1;
    std::vector<size_t> next(packages.size());
    std::vector<int> lastOfPackage(packages.size(), 0);
    for (const PlannedArchive& a : plan.archives) {
        EXPECT_GE(a.disk, lastDisk);
        EXPECT_GT(a.disk, lastOfPackage[a.package]);
        EXPECT_EQ(a.first, next[a.package]);
        lastDisk = a.disk;
        lastOfPackage[a.package] = a.disk;
        next[a.package] += a.count;
    }
    for (size_t p = 0; p < packages.size(); ++p) EXPECT_EQ(next[p], packages[p].files.size());
    for (const std::vector<DiskEntry>& disk : plan.disks) EXPECT_EQ(DiskProblem(media, disk), "");
}

TEST(DiskPlan, PlacesPackagesDiskByDiskInInstallOrder) {
    const MediaPreset& floppy = *FindMediaPreset("360K");
    std::vector<PlanPackage> packages = {Package("Alpha", {150000, 150000, 150000}),
                                         Package("Beta", {50000, 50000}), Package("Gamma", {10})};
    DiskPlan plan;
    std::string error;
    ASSERT_TRUE(PlanDisks(floppy, kSetup, packages, plan, error)) << error;
    ExpectSoundPlan(floppy, packages, plan);

    std::vector<std::string> seen;
    for (const PlannedArchive& a : plan.archives)
        seen.push_back(std::to_string(a.disk) + ":" + a.name + ":" + std::to_string(a.count));
    // Disk 1 holds the setup files and one file of Alpha; disk 2 the rest of
    // Alpha and what fits of Beta; disk 3 the rest.
    EXPECT_EQ(seen,
              (std::vector<std::string>{"1:ALPH0101.ARC:1", "2:ALPH0102.ARC:2", "2:BETA0201.ARC:1",
                                        "3:BETA0202.ARC:1", "3:GAMM0301.ARC:1"}));
    ASSERT_EQ(plan.disks.size(), 3u);
    EXPECT_EQ(plan.disks[0][0].name, "SETUP.EXE");
    EXPECT_EQ(plan.disks[0][3].size, ArchiveBytes(150000, 6, 1));
}

TEST(DiskPlan, RootEntriesAndOneDirectoryMedia) {
    // A disk 1 whose root has room for one more file and the label starts
    // the archives on disk 2.
    const MediaPreset& floppy = *FindMediaPreset("360K");
    std::vector<PlanPackage> one = {Package("Tiny", {10})};
    DiskPlan plan;
    std::string error;
    ASSERT_TRUE(PlanDisks(floppy, Entries(110, 1), one, plan, error)) << error;
    EXPECT_EQ(plan.archives[0].disk, 1);
    ASSERT_TRUE(PlanDisks(floppy, Entries(111, 1), one, plan, error)) << error;
    EXPECT_EQ(plan.archives[0].disk, 2);

    // A CD: one directory, one archive per package.
    const MediaPreset& cd = *FindMediaPreset("cd");
    std::vector<PlanPackage> packages = {Package("Alpha", {150000, 150000, 150000}),
                                         Package("Beta", {5})};
    ASSERT_TRUE(PlanDisks(cd, kSetup, packages, plan, error)) << error;
    ExpectSoundPlan(cd, packages, plan);
    EXPECT_EQ(plan.disks.size(), 1u);
    EXPECT_EQ(plan.archives.size(), 2u);
}

TEST(DiskPlan, RefusesWhatNoDiskHolds) {
    const MediaPreset& floppy = *FindMediaPreset("360K");
    std::vector<uint64_t> hundred(100, 300000);
    struct Case {
        std::vector<DiskEntry> setup;
        std::vector<PlanPackage> packages;
        std::string error;
    } cases[] = {
        {kSetup,
         {Package("Alpha", {10}), Package("Big", {10, 400000})},
         "Big: F1.FF1 packs to 400000 bytes, more than an empty 360K disk holds"},
        {{{"SETUP.EXE", 400000}},
         {Package("Alpha", {10})},
         "disk 1 cannot hold the setup files: the files take 400384 bytes in clusters of 1024, "
         "more than "
         "the 362496 the disk holds"},
        {Entries(112, 1),
         {Package("Alpha", {10})},
         "disk 1 cannot hold the setup files: 112 files, but the root directory holds 112 entries "
         "and one "
         "stays free for the volume label"},
        {kSetup, {Package("Many", hundred)}, "Many: more than 99 archives"},
    };
    for (const Case& c : cases) {
        DiskPlan plan;
        std::string error;
        EXPECT_FALSE(PlanDisks(floppy, c.setup, c.packages, plan, error));
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
