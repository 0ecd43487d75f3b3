// File dates, read-only files and listings through the platform layer.
#include <algorithm>

#include <gtest/gtest.h>

#include "platform/namelist.h"
#include "platform/platform.h"
#include "tests/unit/testenv.h"

namespace {

uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    uint32_t date = uint32_t((year - 1980) << 9 | month << 5 | day);
    uint32_t time = uint32_t(hour << 11 | minute << 5 | second / 2);
    return date << 16 | time;
}

TEST(FileTime, DosStampsRoundTrip) {
    ScratchDir dir;
    std::string file = dir / "dated.txt";
    const uint32_t stamps[] = {Dos(1995, 8, 24, 11, 30, 58), Dos(1980, 1, 1, 0, 0, 0),
                               Dos(2024, 2, 29, 23, 59, 58), Dos(2107, 12, 31, 12, 0, 2)};
    for (uint32_t stamp : stamps) {
        PfFile* fp = PfOpen(file.c_str(), "wb");
        ASSERT_TRUE(fp);
        PfWrite(fp, "data", 4);
        EXPECT_EQ(PfSetFileTime(fp, stamp), 1);
        PfClose(fp);
        uint32_t read = 0;
        ASSERT_EQ(PfGetFileTime(file.c_str(), &read), 1);
        EXPECT_EQ(read, stamp) << std::hex << stamp;
        EXPECT_EQ(ReadFile(file), "data");
    }
}

TEST(FileTime, InvalidDosFieldsAreRefused) {
    ScratchDir dir;
    PfFile* fp = PfOpen((dir / "x").c_str(), "wb");
    ASSERT_TRUE(fp);
    EXPECT_EQ(PfSetFileTime(fp, Dos(1999, 0, 10, 1, 1, 0)), 0);   // month 0
    EXPECT_EQ(PfSetFileTime(fp, Dos(1999, 13, 10, 1, 1, 0)), 0);  // month 13
    EXPECT_EQ(PfSetFileTime(fp, Dos(1999, 2, 0, 1, 1, 0)), 0);    // day 0
    EXPECT_EQ(PfSetFileTime(fp, Dos(1999, 2, 1, 24, 1, 0)), 0);   // hour 24
    PfClose(fp);
    uint32_t stamp;
    EXPECT_EQ(PfGetFileTime((dir / "missing").c_str(), &stamp), 0);
}

TEST(Files, ReadOnlyFilesRefuseWritingAndDeletion) {
    ScratchDir dir;
    std::string file = dir / "ro.txt";
    WriteFile(file, "keep");
    ASSERT_EQ(PfSetReadOnly(file.c_str(), true), 0);
    EXPECT_EQ(PfOpen(file.c_str(), "wb"), nullptr);
    EXPECT_EQ(PfOpen(file.c_str(), "rb+"), nullptr);
    EXPECT_NE(PfAccess(file.c_str(), 2), 0);
    EXPECT_EQ(PfAccess(file.c_str(), 4), 0);
    EXPECT_NE(PfRemove(file.c_str()), 0);
    EXPECT_EQ(ReadFile(file), "keep");
    ASSERT_EQ(PfSetReadOnly(file.c_str(), false), 0);
    EXPECT_EQ(PfRemove(file.c_str()), 0);
    EXPECT_FALSE(FileExists(file));
}

TEST(Files, ListingMatchesNamesWithoutRegardToCase) {
    ScratchDir dir;
    WriteFile(dir / "one.ff1", "");
    WriteFile(dir / "TWO.FF1", "");
    WriteFile(dir / "three.txt", "");
    ASSERT_EQ(PfMkdir((dir / "sub.ff1").c_str()), 0);
    std::vector<std::string> names;
    ASSERT_EQ(PfFindFiles((dir / "*.ff1").c_str(), names), 1);
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "TWO.FF1");
    EXPECT_EQ(names[1], "one.ff1");
    ASSERT_EQ(PfFindFiles((dir / "*.none").c_str(), names), 1);
    EXPECT_TRUE(names.empty());
}

TEST(Files, CurrentDriveAndDirectoryAreKept) {
    ScratchDir dir;
    char saved[260];
    ASSERT_TRUE(PfGetCwd(saved, sizeof saved));
    int drive = PfGetDisk();
    ASSERT_GE(drive, 0);

    ASSERT_EQ(PfChdir(dir.Path().c_str()), 0);
    WriteFile("relative.txt", "here");
    EXPECT_EQ(ReadFile(dir / "relative.txt"), "here");
    char now[260];
    ASSERT_TRUE(PfGetCwd(now, sizeof now));
    EXPECT_STREQ(now, dir.Path().c_str());
    EXPECT_NE(PfChdir((dir / "missing").c_str()), 0);

    ASSERT_EQ(PfChdir(saved), 0);
    EXPECT_EQ(PfGetDisk(), drive);
    EXPECT_NE(PfSetDisk(25 + 1), 0);
}

}  // namespace
