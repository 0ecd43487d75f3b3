// Reading the archive directory from hand-made bytes.
#include <gtest/gtest.h>

#include "archive/directory.h"
#include "tests/unit/archive_support.h"

namespace {

using arctest::Bytes;

// One member A.TXT holding "hello", dated 24 Aug 1995 11:30:58.
const std::string kHello = Bytes({
    0x11, 0x00, 0x00, 0x00,  // directory at 17
    0x78, 0xda, 0xcb, 0x48, 0xcd, 0xc9, 0xc9, 0x07, 0x00, 0x06, 0x2c, 0x02, 0x15,  // stream
    0x22, 0x22, 0x22, 0x22, 0x02, 0x00, 0x01, 0x00,  // signature, version 2, one entry
    0x05, 0x00, 'A',  '.',  'T',  'X',  'T',         // name
    0x05, 0x00, 0x00, 0x00,                          // length 5
    0x0d, 0x00, 0x00, 0x00,                          // packed 13
    0x04, 0x00, 0x00, 0x00,                          // offset 4
    0x86, 0xa6, 0x10, 0x36,                          // CRC-32
    0x34, 0x12, 0x78, 0x56,                          // spare words
    0x1d, 0x1e, 0x0b, 0x18, 0x08, 0x0f,              // 58 s, 30 min, 11 h, 24, Aug, 1995
});

// kHello with bytes replaced at offsets and cut to a length (-1: whole).
std::string Patched(std::initializer_list<std::pair<int, int>> patches, int length = -1) {
    std::string s = kHello;
    for (auto& p : patches) s[size_t(p.first)] = char(p.second);
    return length < 0 ? s : s.substr(0, size_t(length));
}

short ReadDirectory(Directory& dir, const std::string& bytes, std::string* output = nullptr) {
    ScratchDir scratch;
    std::string file = scratch / "T.ARC";
    WriteFile(file, bytes);
    PfFile* fp = PfOpen(file.c_str(), "rb");
    EXPECT_TRUE(fp);
    if (!fp) return -1;
    testing::internal::CaptureStdout();
    // The directory positions the file itself.
    PfSeek(fp, 9, PF_SEEK_SET);
    short result = dir.Read(fp);
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    PfClose(fp);
    if (output) *output = out;
    return result;
}

TEST(ArchiveDirectory, ReadsEveryFieldOfAnEntry) {
    Directory dir;
    std::string out;
    ASSERT_EQ(ReadDirectory(dir, kHello, &out), 1);
    EXPECT_EQ(out, "");
    ASSERT_EQ(dir.nCount, 1);
    EXPECT_EQ(dir.nCapacity, 1);
    const ZipDirEntry& e = dir.pEntries[0];
    EXPECT_STREQ(e.pszName, "A.TXT");
    EXPECT_EQ(e.lLength, 5u);
    EXPECT_EQ(e.lPacked, 13u);
    EXPECT_EQ(e.lOffset, 4);
    EXPECT_EQ(e.lCrc, 0x3610a686u);
    EXPECT_EQ(e.wExtra1, 0x1234);
    EXPECT_EQ(e.wExtra2, 0x5678);
    EXPECT_EQ(e.ftStamp, arctest::Dos(1995, 8, 24, 11, 30, 58));
}

TEST(ArchiveDirectory, MalformedDirectoriesFail) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", Patched({}, 0)},
        {"three bytes", Patched({}, 3)},
        {"directory offset past the end", Patched({{0, 0x40}})},
        {"directory offset with the top bit set", Patched({{3, 0x80}})},
        {"signature 22 22 22 21", Patched({{20, 0x21}})},
        {"version 1", Patched({{21, 0x01}})},
        {"version 3", Patched({{21, 0x03}})},
        {"cut in the version", Patched({}, 22)},
        {"cut in the count", Patched({}, 24)},
        {"more entries than present", Patched({{23, 0x02}})},
        {"32768 entries", Patched({{23, 0x00}, {24, 0x80}})},
        {"name length with the sign bit", Patched({{26, 0x80}})},
        {"cut in the name", Patched({}, 29)},
        {"cut in the CRC", Patched({}, 46)},
        {"cut in the last entry's date bytes", Patched({}, 55)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Directory dir;
        std::string out;
        EXPECT_EQ(ReadDirectory(dir, c.bytes, &out), 0);
        EXPECT_EQ(out, "Error reading archive directory\n");
        EXPECT_EQ(dir.nCount, 0);
    }
}

TEST(ArchiveDirectory, EmptyDirectoryAndEmptyName) {
    Directory dir;
    const std::string none = Bytes({4, 0, 0, 0, 0x22, 0x22, 0x22, 0x22, 2, 0, 0, 0});
    ASSERT_EQ(ReadDirectory(dir, none), 1);
    EXPECT_EQ(dir.nCount, 0);
    EXPECT_NE(dir.pEntries, nullptr);

    std::string unnamed =
        Bytes({0x11, 0, 0, 0}) + kHello.substr(4, 21) + Bytes({0, 0}) + kHello.substr(32);
    ASSERT_EQ(ReadDirectory(dir, unnamed), 1);
    ASSERT_EQ(dir.nCount, 1);
    EXPECT_STREQ(dir.pEntries[0].pszName, "");
    EXPECT_EQ(dir.pEntries[0].lCrc, 0x3610a686u);
}

TEST(ArchiveDirectory, DateBitsAboveEachFieldAreDropped) {
    Directory dir;
    ASSERT_EQ(
        ReadDirectory(
            dir, Patched({{52, 0xff}, {53, 0x41}, {54, 0xe7}, {55, 0xff}, {56, 0xfc}, {57, 0x8f}})),
        1);
    const uint32_t expect = 31u | 1u << 5 | 7u << 11 | 31u << 16 | 12u << 21 | 15u << 25;
    EXPECT_EQ(dir.pEntries[0].ftStamp, expect);
}

TEST(ArchiveDirectory, StoredNamesKeepTheirBackslashes) {
    std::string name = "FONTS\\ABC.PFB";
    std::string bytes =
        kHello.substr(0, 25) + Bytes({int(name.size()), 0}) + name + kHello.substr(32);
    Directory dir;
    ASSERT_EQ(ReadDirectory(dir, bytes), 1);
    EXPECT_STREQ(dir.pEntries[0].pszName, "FONTS\\ABC.PFB");
}

TEST(ArchiveDirectory, ASecondReadReplacesTheFirst) {
    std::string two = Patched({{23, 0x02}}) + kHello.substr(25);
    two[27] = 'B';  // the first entry is B.TXT, the second A.TXT
    Directory dir;
    ASSERT_EQ(ReadDirectory(dir, two), 1);
    ASSERT_EQ(dir.nCount, 2);
    EXPECT_STREQ(dir.pEntries[0].pszName, "B.TXT");
    EXPECT_STREQ(dir.pEntries[1].pszName, "A.TXT");

    ASSERT_EQ(ReadDirectory(dir, kHello), 1);
    EXPECT_EQ(dir.nCount, 1);
    EXPECT_EQ(dir.nCapacity, 1);
    EXPECT_STREQ(dir.pEntries[0].pszName, "A.TXT");

    // A failure before the entries are allocated keeps the old ones; after, none.
    EXPECT_EQ(ReadDirectory(dir, Patched({{21, 3}})), 0);
    EXPECT_EQ(dir.nCount, 1);
    EXPECT_EQ(ReadDirectory(dir, Patched({}, 55)), 0);
    EXPECT_EQ(dir.nCount, 0);
}

TEST(ArchiveDirectory, AllocateMakesFreshEntries) {
    Directory dir;
    ASSERT_EQ(dir.Allocate(0), 1);
    EXPECT_NE(dir.pEntries, nullptr);
    EXPECT_EQ(dir.nCapacity, 0);
    ASSERT_EQ(dir.Allocate(3), 1);
    EXPECT_EQ(dir.nCapacity, 3);
    EXPECT_EQ(dir.nCount, 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(dir.pEntries[i].pszName, nullptr);
}

}  // namespace
