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

// PfFile streams: reads ahead, yet every seek, tell and write lands where
// the caller stands; updates change only the bytes written.
TEST(PfFile, ReadsSeeksAndWritesWhereTheCallerStands) {
    ScratchDir dir;
    std::string file = dir / "stream.bin";
    std::string bytes;
    for (int i = 0; i < 10000; ++i) bytes += char('A' + i % 26);
    WriteFile(file, bytes);

    PfFile* fp = PfOpen(file.c_str(), "rb+");
    ASSERT_TRUE(fp);
    char buf[8] = {};
    EXPECT_EQ(PfRead(fp, buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "ABC");
    EXPECT_EQ(PfTell(fp), 3);
    // A write after a read goes where the read stopped, not past the read-ahead.
    EXPECT_EQ(PfWrite(fp, "xyz", 3), 3u);
    EXPECT_EQ(PfTell(fp), 6);
    EXPECT_EQ(PfRead(fp, buf, 2), 2u);
    EXPECT_EQ(std::string(buf, 2), "GH");
    EXPECT_EQ(PfSeek(fp, 4, PF_SEEK_CUR), 0);
    EXPECT_EQ(PfTell(fp), 12);
    EXPECT_EQ(PfRead(fp, buf, 1), 1u);
    EXPECT_EQ(buf[0], 'M');
    // A seek before the start fails and leaves the position.
    EXPECT_NE(PfSeek(fp, -1, PF_SEEK_SET), 0);
    EXPECT_EQ(PfTell(fp), 13);
    EXPECT_EQ(PfSeek(fp, -2, PF_SEEK_END), 0);
    EXPECT_EQ(PfRead(fp, buf, 8), 2u);
    EXPECT_EQ(PfRead(fp, buf, 8), 0u);
    EXPECT_EQ(PfError(fp), 0);
    EXPECT_EQ(PfClose(fp), 0);
    bytes.replace(3, 3, "xyz");
    EXPECT_EQ(ReadFile(file), bytes);

    // A read larger than the read-ahead, from the middle of it.
    fp = PfOpen(file.c_str(), "rb");
    ASSERT_TRUE(fp);
    std::string all(bytes.size() + 10, '\0');
    EXPECT_EQ(PfRead(fp, &all[0], 1), 1u);
    EXPECT_EQ(PfRead(fp, &all[1], all.size() - 1), bytes.size() - 1);
    all.resize(bytes.size());
    EXPECT_EQ(all, bytes);
    PfClose(fp);

    EXPECT_EQ(PfOpen(file.c_str(), "ab"), nullptr);  // only rb, wb and rb+
    EXPECT_EQ(PfOpen((dir / "missing.bin").c_str(), "rb"), nullptr);
}
