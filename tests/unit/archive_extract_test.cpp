// Extracting archives: round trips, the status events, damaged members.
#include <gtest/gtest.h>

#include "tests/unit/archive_support.h"
#include "tools/common/arcwriter.h"

namespace {

using arctest::Dos;
using arctest::Events;
using arctest::FileStamp;
using arctest::HelloMembers;
using arctest::Tree;

// A file with content and a DOS date, through the platform layer.
void WriteDated(const std::string& path, const std::string& bytes, uint32_t stamp) {
    PfFile* fp = PfOpen(path.c_str(), "wb");
    ASSERT_TRUE(fp) << path;
    PfWrite(fp, bytes.data(), bytes.size());
    ASSERT_EQ(PfSetFileTime(fp, stamp), 1);
    PfClose(fp);
}

std::string Noise(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    for (char& c : s) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 23);
    }
    return s;
}

long FileSize(const std::string& path) {
    return long(ReadFile(path).size());
}

// The archive percentage after reading a whole member stream.
int PercentAfter(const ZipDirEntry& e, const std::string& archive) {
    return int((uint64_t(e.lOffset) + e.lPacked) * 100 / uint64_t(FileSize(archive)));
}

TEST(ArchiveExtract, RoundTripKeepsBytesDatesAndDirectories) {
    ScratchDir scratch;
    std::string src = scratch / "SRC", arc = scratch / "P.ARC";
    ASSERT_EQ(PfMkdir(src.c_str()), 0);
    ASSERT_EQ(PfMkdir((src + "\\FONTS").c_str()), 0);
    ASSERT_EQ(PfMkdir((src + "\\FONTS\\AFM").c_str()), 0);
    const struct {
        const char* name;
        std::string bytes;
        uint32_t stamp;
    } files[] = {
        {"README.TXT", std::string(3000, 'r'), Dos(1995, 8, 24, 11, 30, 58)},
        {"EMPTY.DAT", "", Dos(1980, 1, 1, 0, 0, 0)},
        {"FONTS\\ABC.PFB", Noise(30000, 1), Dos(2024, 2, 29, 23, 59, 58)},
        {"FONTS\\AFM\\ABC.AFM", Noise(100, 2) + std::string(50000, 'x'),
         Dos(2107, 12, 31, 1, 2, 4)},
    };
    for (const auto& f : files) WriteDated(src + "\\" + f.name, f.bytes, f.stamp);
    std::string error;
    ArcTotals totals;
    ASSERT_TRUE(ArcCreateFromDir(arc.c_str(), src.c_str(), error, &totals)) << error;
    EXPECT_EQ(totals.count, 4u);
    EXPECT_EQ(totals.length, 3000u + 30000u + 50100u);

    Archive a;
    std::string dest = scratch / "DEST", flat = scratch / "FLAT";
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);
    ASSERT_EQ(PfMkdir(flat.c_str()), 0);
    ASSERT_EQ(a.Extract(arc.c_str(), dest.c_str(), 1), 1);
    EXPECT_EQ(Tree(dest), Tree(src));
    const char* order[] = {"EMPTY.DAT", "FONTS\\ABC.PFB", "FONTS\\AFM\\ABC.AFM", "README.TXT"};
    ASSERT_EQ(a.dir.nCount, 4);
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(a.dir.pEntries[i].pszName, order[i]);

    ASSERT_EQ(a.Extract(nullptr, flat.c_str(), 0), 1);
    std::vector<std::string> flatNames = {"ABC.AFM", "ABC.PFB", "EMPTY.DAT", "README.TXT"};
    EXPECT_EQ(Tree(flat), flatNames);
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        std::string base = f.name;
        base = base.substr(base.rfind('\\') + 1);
        EXPECT_EQ(ReadFile(dest + "\\" + f.name), f.bytes);
        EXPECT_EQ(FileStamp(dest + "\\" + f.name), f.stamp);
        EXPECT_EQ(ReadFile(flat + "\\" + base), f.bytes);
        EXPECT_EQ(FileStamp(flat + "\\" + base), f.stamp);
    }
}

TEST(ArchiveExtract, EmptyArchiveSendsNameAndEnd) {
    ScratchDir scratch;
    std::string arc = scratch / "E.ARC", dest = scratch / "DEST";
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);
    ArcWriter w;
    ASSERT_TRUE(w.Create(arc.c_str()) && w.Finish()) << w.Error();
    EXPECT_EQ(ReadFile(arc), arctest::Bytes({4, 0, 0, 0, 0x22, 0x22, 0x22, 0x22, 2, 0, 0, 0}));
    Archive a;
    arctest::Watch(a);
    EXPECT_EQ(a.Extract(arc.c_str(), dest.c_str(), 1), 1);
    EXPECT_EQ(Events(), "name(" + arc + ") a100");
    EXPECT_TRUE(Tree(dest).empty());
}

TEST(ArchiveExtract, EventSequences) {
    ScratchDir scratch;
    std::string two = scratch / "TWO.ARC", big = scratch / "BIG.ARC";
    ArcWriter w;
    ASSERT_TRUE(w.Create(two.c_str()) && w.AddData("A.TXT", "alpha", 5, Dos(1999, 1, 2, 3, 4, 6)) &&
                w.AddData("SUB\\B.TXT", "beta", 4, Dos(1999, 1, 2, 3, 4, 8)) && w.Finish())
        << w.Error();
    // Compressible, so the whole stream is read at once: three inflate steps
    // of 8192, 8192 and 3616 bytes.
    std::string text;
    for (int i = 0; text.size() < 20000; ++i) text += "line " + std::to_string(i) + " of text\n";
    text.resize(20000);
    ASSERT_TRUE(w.Create(big.c_str()) &&
                w.AddData("BIG.TXT", text.data(), text.size(), Dos(2000, 1, 1, 0, 0, 0)) &&
                w.Finish())
        << w.Error();

    std::string dest = scratch / "DEST";
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);
    Archive a;
    arctest::Watch(a);
    ASSERT_EQ(a.Extract(two.c_str(), dest.c_str(), 1), 1);
    std::string pa = std::to_string(PercentAfter(a.dir.pEntries[0], two));
    std::string pb = std::to_string(PercentAfter(a.dir.pEntries[1], two));
    EXPECT_EQ(Events(), "name(" + two + ") file(A.TXT) f100 a" + pa +
                            " f100 file(SUB\\B.TXT) f100 a" + pb + " f100 a100");

    arctest::Watch(a);
    ASSERT_EQ(a.Extract(big.c_str(), dest.c_str(), 1), 1);
    std::string p = " a" + std::to_string(PercentAfter(a.dir.pEntries[0], big));
    EXPECT_EQ(Events(),
              "name(" + big + ") file(BIG.TXT) f40" + p + " f81" + p + " f100" + p + " f100 a100");
    EXPECT_EQ(ReadFile(dest + "\\BIG.TXT"), text);
}

// kHello of the directory tests as HelloMembers builds it: one member A.TXT.
std::string Hello(std::initializer_list<std::pair<int, int>> patches) {
    std::string s = HelloMembers({"A.TXT"});
    for (auto& p : patches) s[size_t(p.first)] = char(p.second);
    return s;
}

// Every damage fails the member, and the failed member leaves no file: a
// file cut short, with wrong bytes or without its date must not pass for a
// good one.
TEST(ArchiveExtract, DamagedMembers) {
    // The empty member: stream 78 da 03 00 00 00 00 01, length 0, CRC 0.
    std::string empty = arctest::Bytes({0x0c, 0, 0, 0, 0x78, 0xda, 3, 0, 0, 0, 0, 1}) +
                        HelloMembers({"E.TXT"}).substr(17);
    empty[8 + 12 + 7] = 0;                                   // length 0
    empty[8 + 12 + 11] = 8;                                  // packed 8
    for (int i = 0; i < 4; ++i) empty[8 + 12 + 19 + i] = 0;  // CRC 0
    const struct {
        const char* what;
        std::string bytes;
        short result;
        const char* file;  // what the destination holds afterwards, if anything
        const char* content;
    } cases[] = {
        {"intact", Hello({}), 1, "A.TXT", "hello"},
        {"packed longer than the stream", Hello({{36, 0x30}}), 1, "A.TXT", "hello"},
        {"packed shorter than the stream", Hello({{36, 0x08}}), 0, nullptr, nullptr},
        {"wrong CRC", Hello({{44, 0x87}}), 0, nullptr, nullptr},
        {"offset past the end", Hello({{40, 0x40}}), 0, nullptr, nullptr},
        {"negative offset", Hello({{43, 0x80}}), 0, nullptr, nullptr},
        {"damaged deflate data", Hello({{6, 0xff}}), 0, nullptr, nullptr},
        {"wrong Adler-32", Hello({{16, 0x16}}), 0, nullptr, nullptr},
        {"preset dictionary", Hello({{5, 0xbb}}), 0, nullptr, nullptr},
        {"empty member", empty, 1, "E.TXT", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir scratch;
        std::string arc = scratch / "T.ARC", dest = scratch / "DEST";
        WriteFile(arc, c.bytes);
        ASSERT_EQ(PfMkdir(dest.c_str()), 0);
        Archive a;
        EXPECT_EQ(a.Extract(arc.c_str(), dest.c_str(), 1), c.result);
        std::vector<std::string> tree;
        if (c.file) tree.push_back(c.file);
        EXPECT_EQ(Tree(dest), tree);
        if (c.file) {
            std::string out = dest + "\\" + c.file;
            EXPECT_EQ(ReadFile(out), c.content);
            EXPECT_EQ(FileStamp(out), arctest::kHelloStamp);
        }
        EXPECT_EQ(fpSource, nullptr);
        EXPECT_EQ(fpDest, nullptr);
    }
}

// The member before the failing one stays complete and dated; the failing
// one takes the file it replaced with it (that file was emptied when the
// member was opened); the one after it is not extracted.
TEST(ArchiveExtract, AFailedMemberRemovesItsOutputOnly) {
    ScratchDir scratch;
    std::string arc = scratch / "T.ARC", dest = scratch / "DEST";
    std::string bytes = HelloMembers({"A.TXT", "B.TXT", "C.TXT"});
    // Entry B: after the streams (3 x 13 bytes and the 4-byte pointer), the
    // directory header (8) and entry A (33), its CRC at 2 + 5 + 12.
    bytes[4 + 39 + 8 + 33 + 19] ^= 0x01;
    WriteFile(arc, bytes);
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);
    WriteFile(dest + "\\B.TXT", "the old B");
    Archive a;
    EXPECT_EQ(a.Extract(arc.c_str(), dest.c_str(), 1), 0);
    EXPECT_EQ(Tree(dest), std::vector<std::string>{"A.TXT"});
    EXPECT_EQ(ReadFile(dest + "\\A.TXT"), "hello");
    EXPECT_EQ(FileStamp(dest + "\\A.TXT"), arctest::kHelloStamp);
}

TEST(ArchiveExtract, EmptyMemberSendsOneHundred) {
    ScratchDir scratch;
    std::string arc = scratch / "E.ARC", dest = scratch / "DEST";
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);
    ArcWriter w;
    ASSERT_TRUE(w.Create(arc.c_str()) && w.AddData("E.TXT", "", 0, Dos(2000, 1, 1, 0, 0, 0)) &&
                w.Finish());
    Archive a;
    arctest::Watch(a);
    ASSERT_EQ(a.Extract(arc.c_str(), dest.c_str(), 1), 1);
    std::string p = std::to_string(PercentAfter(a.dir.pEntries[0], arc));
    EXPECT_EQ(Events(), "name(" + arc + ") file(E.TXT) f100 a" + p + " f100 a100");
    EXPECT_EQ(ReadFile(dest + "\\E.TXT"), "");
}

TEST(ArchiveExtract, OutputNamesAndExistingFiles) {
    const struct {
        const char* what;
        std::string name;
        short usePaths;
        const char* existing;  // A.TXT before the extraction; "!" marks it read-only
        short result;
        std::vector<std::string> tree;
        const char* event;  // the skFileName argument, or null when none is sent
    } cases[] = {
        {"path kept", "SUB\\FILE.TXT", 1, nullptr, 1, {"SUB\\", "SUB\\FILE.TXT"}, "SUB\\FILE.TXT"},
        {"path dropped", "SUB\\FILE.TXT", 0, nullptr, 1, {"FILE.TXT"}, "FILE.TXT"},
        {"read-write file replaced", "A.TXT", 1, "old", 1, {"A.TXT"}, "A.TXT"},
        {"read-only file kept", "A.TXT", 1, "!old", 0, {"A.TXT"}, nullptr},
        {"trailing backslash with paths", "SUB\\", 1, nullptr, 0, {"SUB\\"}, nullptr},
        {"trailing backslash flat", "SUB\\", 0, nullptr, 0, {}, nullptr},
        {"no dot with paths", "README", 1, nullptr, 0, {"README\\"}, nullptr},
        {"no dot flat", "README", 0, nullptr, 1, {"README"}, "README"},
        {"empty name", "", 1, nullptr, 0, {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir scratch;
        std::string arc = scratch / "T.ARC", dest = scratch / "DEST";
        WriteFile(arc, HelloMembers({c.name}));
        ASSERT_EQ(PfMkdir(dest.c_str()), 0);
        std::string existing = dest + "\\A.TXT";
        if (c.existing) {
            WriteFile(existing, c.existing + (c.existing[0] == '!'));
            if (c.existing[0] == '!') {
                ASSERT_EQ(PfSetReadOnly(existing.c_str(), true), 0);
            }
        }
        Archive a;
        arctest::Watch(a);
        EXPECT_EQ(a.Extract(arc.c_str(), dest.c_str(), c.usePaths), c.result);
        EXPECT_EQ(Tree(dest), c.tree);
        EXPECT_EQ(Events().find("file(") != std::string::npos, c.event != nullptr) << Events();
        if (c.event) {
            EXPECT_NE(Events().find("file(" + std::string(c.event) + ")"), std::string::npos);
        }
        if (c.existing) {
            EXPECT_EQ(ReadFile(existing), c.result ? "hello" : "old");
        }
    }
}

TEST(ArchiveExtract, ArchiveNameAndCallbackHandling) {
    ScratchDir scratch;
    std::string arc = scratch / "H.ARC", dest = scratch / "DEST";
    WriteFile(arc, HelloMembers({"A.TXT"}));
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);
    Archive a;
    arctest::Watch(a);
    // No name yet, then a missing file: only the final event.
    EXPECT_EQ(a.Extract(nullptr, dest.c_str(), 1), 0);
    EXPECT_EQ(Events(), "a100");
    Events().clear();
    EXPECT_EQ(a.Extract((scratch / "MISSING.ARC").c_str(), dest.c_str(), 1), 0);
    EXPECT_EQ(Events(), "a100");
    EXPECT_TRUE(Tree(dest).empty());

    // A damaged directory: the name, the reader's line, the final event.
    std::string junk = scratch / "JUNK.ARC";
    WriteFile(junk, "not an archive");
    Events().clear();
    testing::internal::CaptureStdout();
    EXPECT_EQ(a.Extract(junk.c_str(), dest.c_str(), 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error reading archive directory\n");
    EXPECT_EQ(Events(), "name(" + junk + ") a100");

    a.SetFileName(arc.c_str());
    a.SetFileName(nullptr);  // keeps the name
    a.SetFileName(a.pszFileName);
    EXPECT_STREQ(a.pszFileName, arc.c_str());
    Events().clear();
    EXPECT_EQ(a.Extract(nullptr, dest.c_str(), 1), 1);
    EXPECT_EQ(Events().substr(0, arc.size() + 6), "name(" + arc + ")");
    EXPECT_EQ(a.pInBuffer, nullptr);
    EXPECT_EQ(a.pOutBuffer, nullptr);
    EXPECT_EQ(a.fpArchive, nullptr);
    // Outside an extraction a member cannot be extracted, and nothing happens.
    EXPECT_EQ(a.DecompressFile(0, 1), 0);
    EXPECT_EQ(a.DecompressFile(-1, 1), 0);
    EXPECT_FALSE(FileExists("A.TXT"));

    a.SetStatusCallback(nullptr);
    EXPECT_EQ(a.pfnStatus, &DefArcStatusCallback);
    Events().clear();
    EXPECT_EQ(a.Extract(nullptr, dest.c_str(), 1), 1);
    EXPECT_EQ(Events(), "");
    EXPECT_EQ(a.AllocBuffers(), 1);
    EXPECT_NE(a.pInBuffer, nullptr);
    EXPECT_EQ(a.FreeBuffers(), 1);
    EXPECT_EQ(a.pInBuffer, nullptr);
}

}  // namespace
