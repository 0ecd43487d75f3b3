// The disk images of the media builder: the same bytes twice, and no file
// left by a refused image. The real tools (fsck.fat, mtools, xorriso) read
// them in mkmedia_images.
#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/unit/archive_support.h"
#include "tests/unit/testenv.h"
#include "tools/mkmedia/diskimage.h"

namespace {

unsigned Get16(const std::string& s, size_t at) {
    return uint8_t(s[at]) | uint8_t(s[at + 1]) << 8;
}

uint32_t Get32(const std::string& s, size_t at) {
    return Get16(s, at) | Get16(s, at + 2) << 16;
}

// Two files of the disk directory dir: a small one and one of clusters.
std::vector<ImageFile> TwoFiles(const ScratchDir& dir) {
    const uint32_t stamps[2] = {arctest::Dos(1996, 1, 2, 3, 4, 6),
                                arctest::Dos(2004, 7, 8, 9, 10, 12)};
    const std::string bytes[2] = {"a setup program", std::string(3000, 'x') + "end"};
    std::vector<ImageFile> files;
    for (int i = 0; i < 2; ++i) {
        std::string name = i ? "CORE0101.ARC" : "SETUP.EXE";
        WriteFile(dir / name, bytes[i]);
        files.push_back(ImageFile{name, dir / name, bytes[i].size(), stamps[i]});
    }
    return files;
}

// The geometry, FAT chains and listing are for the real tools to judge
// (mkmedia_images); here: the same bytes twice, the serial from the content,
// and a boot sector that says it starts no system.
TEST(DiskImages, FatImagesComeOutTheSameTwiceWithASerialFromTheirBytes) {
    for (const char* name : {"360K", "720K", "1.2M", "1.44M", "2.88M"}) {
        const MediaPreset& media = *FindMediaPreset(name);
        ScratchDir dir;
        std::vector<ImageFile> files = TwoFiles(dir);
        std::string error;
        ASSERT_TRUE(WriteFatImage(media, files, "DISK7", dir / "A.IMG", error)) << error;
        ASSERT_TRUE(WriteFatImage(media, files, "DISK7", dir / "B.IMG", error)) << error;
        const std::string image = ReadFile(dir / "A.IMG");
        EXPECT_EQ(image, ReadFile(dir / "B.IMG")) << name;
        EXPECT_EQ(image.size(), media.bpb.totalSectors * 512u) << name;
        EXPECT_FALSE(FileExists(dir / "A.IMG.tmp"));
        std::string zeroed = image;
        zeroed.replace(0x27, 4, 4, '\0');
        EXPECT_EQ(Get32(image, 0x27),
                  uint32_t(crc32(0, (const Bytef*)zeroed.data(), uInt(zeroed.size()))));
        EXPECT_NE(image.find("This is a setup disk, not a system disk.\r\n"), std::string::npos);
        EXPECT_EQ(Get16(image, 0x1FE), 0xAA55u);

        // Another file date gives another serial.
        files[0].stamp += 1;
        ASSERT_TRUE(WriteFatImage(media, files, "DISK7", dir / "C.IMG", error)) << error;
        EXPECT_NE(Get32(ReadFile(dir / "C.IMG"), 0x27), Get32(image, 0x27)) << name;
    }
}

TEST(DiskImages, ARefusedImageLeavesNoFile) {
    ScratchDir dir;
    const MediaPreset& floppy = *FindMediaPreset("360K");
    std::vector<ImageFile> two = TwoFiles(dir);
    std::vector<ImageFile> many(112, two[0]), big = two, changed = two, lower = two;
    big[1] = ImageFile{"BIG.ARC", dir / "BIG.ARC", 400000, two[1].stamp};
    WriteFile(big[1].path, std::string(400000, 'b'));
    changed[0].size += 1;
    lower[0].name = "setup.exe";
    struct Case {
        bool iso;
        std::vector<ImageFile> files;
        std::string error;
    } cases[] = {
        {false, many, "112 files and the label, but the root holds 112 entries"},
        {false, big, "the files need 392 clusters, the disk has 354"},
        {false, changed, "SETUP.EXE: cannot be read, or its size changed meanwhile"},
        {true, changed, "SETUP.EXE: cannot be read, or its size changed meanwhile"},
        {true, lower, "SETUP.EXE: no ISO 9660 level 1 file (8.3 of A-Z, 0-9, _; below 4 GB)"},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::string path = dir / "OUT.IMG";
        EXPECT_FALSE(c.iso ? WriteIsoImage(c.files, "DISK1", path, error)
                           : WriteFatImage(floppy, c.files, "DISK1", path, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_FALSE(FileExists(path)) << c.error;
        EXPECT_FALSE(FileExists(path + ".tmp")) << c.error;
    }
    std::string error;
    EXPECT_FALSE(WriteIsoImage(two, "DISK1", dir / "NONE\\CD.ISO", error));
    EXPECT_NE(error.find("NONE\\CD.ISO.tmp: cannot write"), std::string::npos) << error;
}

TEST(DiskImages, LabelsAreTheStemAndTheDiskNumber) {
    struct Case {
        const char* stem;
        bool ok;
        int disk;
        const char* label;
    } labels[] = {{"DISK", true, 1, "DISK1"},
                  {"Fonts_", true, 12, "FONTS_12"},
                  {"ABCDEFGH", true, 1000, "ABCDEFG1000"},
                  {"", false, 1, "1"},
                  {"ABCDEFGHI", false, 1, "ABCDEFGHI1"},
                  {"A-B", false, 1, "A-B1"}};
    for (const Case& c : labels) {
        EXPECT_EQ(IsLabelStem(c.stem), c.ok) << c.stem;
        EXPECT_EQ(VolumeLabel(c.stem, c.disk), c.label) << c.stem;
    }
}

}  // namespace
