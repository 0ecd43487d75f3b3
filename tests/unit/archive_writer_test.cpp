// The archive writer: the bytes it lays down and what it refuses.
#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/unit/archive_support.h"
#include "tools/common/arcwriter.h"

namespace {

using arctest::Dos;

uint32_t LE(const std::string& s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(s[at + size_t(i)]);
    return v;
}

TEST(ArchiveWriter, LaysDownTheFormat) {
    ScratchDir scratch;
    std::string arc = scratch / "W.ARC";
    ArcWriter w;
    ASSERT_TRUE(w.Create(arc.c_str()));
    ASSERT_TRUE(w.AddData("A.TXT", "hello", 5, Dos(1995, 8, 24, 11, 30, 58)));
    ASSERT_TRUE(w.AddData("SUB\\B.BIN", "", 0, Dos(2107, 12, 31, 23, 59, 58)));
    ASSERT_TRUE(w.Finish()) << w.Error();
    std::string s = ReadFile(arc);

    uint32_t d = LE(s, 0, 4);
    ASSERT_LT(d + 8, s.size());
    EXPECT_EQ(LE(s, d, 4), 0x22222222u);
    EXPECT_EQ(LE(s, d + 4, 2), 2u);
    EXPECT_EQ(LE(s, d + 6, 2), 2u);
    size_t e = d + 8;
    ASSERT_EQ(LE(s, e, 2), 5u);
    EXPECT_EQ(s.substr(e + 2, 5), "A.TXT");
    EXPECT_EQ(LE(s, e + 7, 4), 5u);
    uint32_t packed = LE(s, e + 11, 4);
    EXPECT_EQ(LE(s, e + 15, 4), 4u);
    EXPECT_EQ(LE(s, e + 19, 4), 0x3610a686u);
    EXPECT_EQ(LE(s, e + 23, 4), 0u);
    EXPECT_EQ(s.substr(e + 27, 6), arctest::Bytes({29, 30, 11, 24, 8, 15}));
    // Level 9 zlib stream of the member's bytes.
    EXPECT_EQ(s.substr(4, 2), arctest::Bytes({0x78, 0xda}));
    char out[16];
    uLongf outLen = sizeof out;
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(out), &outLen,
                         reinterpret_cast<const Bytef*>(s.data() + 4), packed),
              Z_OK);
    EXPECT_EQ(std::string(out, outLen), "hello");

    e += 2 + 5 + 26;
    ASSERT_EQ(LE(s, e, 2), 9u);
    EXPECT_EQ(s.substr(e + 2, 9), "SUB\\B.BIN");
    EXPECT_EQ(LE(s, e + 11, 4), 0u);
    EXPECT_EQ(LE(s, e + 19, 4), 4 + packed);
    EXPECT_EQ(LE(s, e + 19, 4) + LE(s, e + 15, 4), d);
    EXPECT_EQ(LE(s, e + 23, 4), 0u);  // CRC of nothing
    EXPECT_EQ(s.substr(e + 31, 6), arctest::Bytes({29, 59, 23, 31, 12, 127}));
    EXPECT_EQ(e + 37, s.size());

    ArcTotals t = w.Totals();
    EXPECT_EQ(t.count, 2u);
    EXPECT_EQ(t.length, 5u);
    EXPECT_EQ(t.packed, uint64_t(d - 4));
}

TEST(ArchiveWriter, StoredNameProblems) {
    const struct {
        std::string name;
        bool fine;
    } cases[] = {
        {"A.TXT", true},
        {"FONTS\\AFM\\X.AFM", true},
        {"V1.0\\README", true},
        {"", false},
        {"README", false},
        {"SUB\\", false},
        {"..\\X.TXT", false},
        {"\\X.TXT", false},
        {"C:X.TXT", false},
        {"CON.TXT", false},
        {"SUB/X.TXT", false},
        {"A?.TXT", false},
        {"A\tB.TXT", false},
        {"DIR.\\X.TXT", false},
        {"X.TXT ", false},
        {std::string(255, 'N') + ".TXT", true},
        {std::string(256, 'N') + ".TXT", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StoredNameProblem(c.name.c_str()) == nullptr, c.fine);
    }
}

TEST(ArchiveWriter, RefusalsLeaveNoArchive) {
    ScratchDir scratch;
    std::string arc = scratch / "R.ARC";
    ArcWriter w;
    ASSERT_TRUE(w.Create(arc.c_str()));
    ASSERT_TRUE(w.AddData("Fonts\\A.TXT", "a", 1, Dos(2000, 1, 1, 0, 0, 0)));
    EXPECT_FALSE(w.AddData("FONTS\\a.txt", "b", 1, Dos(2000, 1, 1, 0, 0, 0)));
    EXPECT_EQ(w.Error(), "FONTS\\a.txt: the name is already in the archive");
    EXPECT_FALSE(FileExists(arc));
    EXPECT_FALSE(w.Finish());

    ASSERT_TRUE(w.Create(arc.c_str()));
    EXPECT_FALSE(w.AddFile("MISSING.TXT", (scratch / "MISSING.TXT").c_str()));
    EXPECT_FALSE(FileExists(arc));

    {
        ArcWriter unfinished;
        ASSERT_TRUE(unfinished.Create(arc.c_str()));
        ASSERT_TRUE(unfinished.AddData("A.TXT", "a", 1, Dos(2000, 1, 1, 0, 0, 0)));
    }
    EXPECT_FALSE(FileExists(arc));
    EXPECT_FALSE(w.Create((scratch / "NODIR\\X.ARC").c_str()));
}

TEST(ArchiveWriter, CreateFromDirectory) {
    ScratchDir scratch;
    std::string src = scratch / "SRC", arc = scratch / "D.ARC";
    std::string error;
    EXPECT_FALSE(ArcCreateFromDir(arc.c_str(), src.c_str(), error));
    EXPECT_NE(error.find("cannot list"), std::string::npos) << error;
    EXPECT_FALSE(FileExists(arc));

    ASSERT_EQ(PfMkdir(src.c_str()), 0);
    ArcTotals totals;
    ASSERT_TRUE(ArcCreateFromDir(arc.c_str(), src.c_str(), error, &totals)) << error;
    EXPECT_EQ(totals.count, 0u);

    ASSERT_EQ(PfMkdir((src + "\\B").c_str()), 0);
    ASSERT_EQ(PfMkdir((src + "\\B\\EMPTY").c_str()), 0);
    WriteFile(src + "\\B\\Z.TXT", "z");
    WriteFile(src + "\\A.TXT", "a");
    WriteFile(src + "\\BA.TXT", "ba");
    ASSERT_TRUE(ArcCreateFromDir(arc.c_str(), src.c_str(), error, &totals)) << error;
    EXPECT_EQ(totals.count, 3u);
    Archive a;
    // Names in byte order; the missing destination leaves only the directory read.
    ASSERT_EQ(a.Extract(arc.c_str(), (scratch / "NODIR").c_str(), 1), 0);
    ASSERT_EQ(a.dir.nCount, 3);
    EXPECT_STREQ(a.dir.pEntries[0].pszName, "A.TXT");
    EXPECT_STREQ(a.dir.pEntries[1].pszName, "BA.TXT");
    EXPECT_STREQ(a.dir.pEntries[2].pszName, "B\\Z.TXT");

    // An archive inside its own directory, made twice: it never packs itself.
    for (const std::string& self : {src + "\\SELF.ARC", src + "/./self.arc"}) {
        SCOPED_TRACE(self);
        ASSERT_TRUE(ArcCreateFromDir(self.c_str(), src.c_str(), error, &totals)) << error;
        ASSERT_TRUE(ArcCreateFromDir(self.c_str(), src.c_str(), error, &totals)) << error;
        EXPECT_EQ(totals.count, 3u);
        EXPECT_EQ(PfRemove(self.c_str()), 0);
    }

    WriteFile(src + "\\B\\LICENSE", "l");
    EXPECT_FALSE(ArcCreateFromDir(arc.c_str(), src.c_str(), error));
    EXPECT_EQ(error, "B\\LICENSE: the name has no dot, so the setup would make a directory of it");
    EXPECT_FALSE(FileExists(arc));
}

}  // namespace
