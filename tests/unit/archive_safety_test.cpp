// Extraction never writes outside the destination, refuses what does not fit,
// and gives back the current drive and directory on every path.
#include <gtest/gtest.h>

#include "tests/unit/archive_support.h"

namespace {

using arctest::Cwd;
using arctest::Events;
using arctest::HelloMembers;
using arctest::Tree;

TEST(ArchiveSafety, StoredNamesThatLeaveTheDestinationAreRefused) {
    const char* const hostile[] = {
        "\\ARCEVIL1.TXT",
        "/ARCEVIL2.TXT",
        "C:ARCEVIL3.TXT",
        "C:\\ARCEVIL4.TXT",
        "c:/ARCEVIL5.TXT",
        "\\\\SERVER\\SHARE\\EVIL.TXT",
        "..\\EVIL.TXT",
        "..\\..\\..\\EVIL.TXT",
        "SUB\\..\\..\\EVIL.TXT",
        "../../EVIL.TXT",
        "SUB/../../EVIL.TXT",
        "SUB\\..",
        "...\\EVIL.TXT",
        ". .\\EVIL.TXT",
        ".\\..\\EVIL.TXT",
        "A.TXT:STREAM",
        "CON",
        "con.txt",
        "PRN.DAT",
        "AUX",
        "NUL.X.Y",
        "COM1",
        "com9.txt",
        "LPT1.PRN",
        "lpt9",
        "SUB\\NUL",
        "NUL \\X.TXT",
        "DIR\\CON .TXT",
        "AUX\\X.TXT",
        "conin$",
        "CONOUT$.TXT",
        "COM\xb9.TXT",
        "LPT0",
    };
    for (const char* name : hostile) {
        for (short usePaths = 0; usePaths <= 1; ++usePaths) {
            SCOPED_TRACE(std::string(name) + (usePaths ? " with paths" : " flat"));
            ScratchDir scratch;
            std::string arc = scratch / "H.ARC", dest = scratch / "D1\\D2\\DEST";
            WriteFile(arc, HelloMembers({"GOOD.TXT", name, "LATER.TXT"}));
            ASSERT_EQ(PfMkdir((scratch / "D1").c_str()), 0);
            ASSERT_EQ(PfMkdir((scratch / "D1\\D2").c_str()), 0);
            ASSERT_EQ(PfMkdir(dest.c_str()), 0);
            Archive a;
            arctest::Watch(a);
            EXPECT_EQ(a.Extract(arc.c_str(), dest.c_str(), usePaths), 0);
            // The whole scratch tree: only the member before the refused one.
            std::vector<std::string> expect = {"D1\\", "D1\\D2\\", "D1\\D2\\DEST\\",
                                               "D1\\D2\\DEST\\GOOD.TXT", "H.ARC"};
            EXPECT_EQ(Tree(scratch.Path()), expect);
            EXPECT_EQ(Events().find("file(", Events().find("file(GOOD.TXT)") + 1),
                      std::string::npos)
                << Events();
        }
    }
    // Nothing reached the root of the drive either.
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(FileExists("C:\\ARCEVIL" + std::to_string(i) + ".TXT"));
}

TEST(ArchiveSafety, NamesCloseToRefusedOnesExtract) {
    const char* const fine[] = {"COM10.TXT", "CONFIG.SYS", "LPT.TXT",     "NULL.TXT", "A..B.TXT",
                                "..A.TXT",   "SUB\\.A.B",  "CONS\\X.TXT", "CONIN.TXT"};
    for (const char* name : fine) {
        SCOPED_TRACE(name);
        ScratchDir scratch;
        std::string arc = scratch / "F.ARC", dest = scratch / "DEST";
        WriteFile(arc, HelloMembers({name}));
        ASSERT_EQ(PfMkdir(dest.c_str()), 0);
        Archive a;
        EXPECT_EQ(a.Extract(arc.c_str(), dest.c_str(), 1), 1);
        EXPECT_EQ(ReadFile(dest + "\\" + name), "hello");
    }
}

TEST(ArchiveSafety, NamesThatDoNotFitAreRefusedWithoutHarm) {
    std::string longName = std::string(300, 'N') + ".TXT";
    const struct {
        std::string name;
        short usePaths;
    } cases[] = {
        {longName, 1},
        {longName, 0},
        {"SUB\\" + longName, 0},
        {std::string(200, 'D') + "\\" + std::string(60, 'F') + ".TXT", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size());
        ScratchDir scratch;
        std::string arc = scratch / "L.ARC", dest = scratch / "DEST";
        WriteFile(arc, HelloMembers({c.name}));
        ASSERT_EQ(PfMkdir(dest.c_str()), 0);
        Archive a;
        EXPECT_EQ(a.Extract(arc.c_str(), dest.c_str(), c.usePaths), 0);
        EXPECT_TRUE(Tree(dest).empty());
    }
}

// Records the current drive and directory as the first member is opened.
std::string cwdDuringExtraction;
void RecordCwd(eStatusKeys key, void*) {
    if (key == skFileName && cwdDuringExtraction.empty()) cwdDuringExtraction = Cwd();
}

TEST(ArchiveSafety, CurrentDirectoryIsRestoredOnEveryPath) {
    ScratchDir scratch;
    std::string good = scratch / "G.ARC", bad = scratch / "B.ARC", dest = scratch / "DEST";
    WriteFile(good, HelloMembers({"A.TXT", "B.TXT"}));
    std::string badBytes = HelloMembers({"A.TXT", "B.TXT"});
    badBytes[4 + 2 * 13 + 8 + 33 + 2 + 5 + 12] ^= 1;  // CRC of B.TXT
    WriteFile(bad, badBytes);
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);
    std::string before = Cwd();
    int drive = PfGetDisk();
    const struct {
        const char* what;
        std::string archive, dest;
        short result;
        bool entered;
    } cases[] = {
        {"success", good, dest, 1, true},
        {"bad member", bad, dest, 0, true},
        {"missing archive", scratch / "NONE.ARC", dest, 0, false},
        {"missing destination", good, scratch / "NODIR", 0, false},
        {"destination on a missing drive", good, "Q:\\NODIR", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Archive a;
        a.SetStatusCallback(RecordCwd);
        cwdDuringExtraction.clear();
        EXPECT_EQ(a.Extract(c.archive.c_str(), c.dest.c_str(), 1), c.result);
        if (c.entered) {
            EXPECT_EQ(cwdDuringExtraction, c.dest);
        }
        EXPECT_EQ(Cwd(), before);
        EXPECT_EQ(PfGetDisk(), drive);
    }
    // B.TXT, the bad archive's failing member, went with the failure.
    EXPECT_EQ(Tree(scratch.Path()),
              (std::vector<std::string>{"B.ARC", "DEST\\", "DEST\\A.TXT", "G.ARC"}));
}

TEST(ArchiveSafety, NullDestinationUsesTheCurrentDirectory) {
    ScratchDir scratch;
    std::string arc = scratch / "N.ARC";
    WriteFile(arc, HelloMembers({"SUB\\A.TXT"}));
    std::string before = Cwd();
    ASSERT_EQ(PfChdir(scratch.Path().c_str()), 0);
    Archive a;
    EXPECT_EQ(a.Extract(arc.c_str(), nullptr, 1), 1);
    EXPECT_EQ(Cwd(), scratch.Path());
    ASSERT_EQ(PfChdir(before.c_str()), 0);
    EXPECT_EQ(ReadFile(scratch / "SUB\\A.TXT"), "hello");
}

#ifndef _WIN32
// The stand-in's drives let these run natively; under Wine the same cases
// run in the Win32 tests with a drive defined there.
TEST(ArchiveSafety, DestinationOnAnotherDrive) {
    ScratchDir scratch;
    ASSERT_EQ(PfMkdir((scratch / "DRIVED").c_str()), 0);
    ASSERT_EQ(PfMkdir((scratch / "DRIVED\\FONTS").c_str()), 0);
    std::string host;
    ASSERT_TRUE(PfHostPath((scratch / "DRIVED").c_str(), host));
    PfMapDrive('D', host.c_str());
    std::string good = scratch / "G.ARC", bad = scratch / "B.ARC";
    WriteFile(good, HelloMembers({"A.TXT"}));
    std::string badBytes = HelloMembers({"A.TXT"});
    badBytes[44] ^= 1;
    WriteFile(bad, badBytes);
    std::string before = Cwd();
    for (const std::string& arc : {good, bad}) {
        SCOPED_TRACE(arc);
        Archive a;
        a.SetStatusCallback(RecordCwd);
        cwdDuringExtraction.clear();
        EXPECT_EQ(a.Extract(arc.c_str(), "d:\\FONTS", 1), arc == good ? 1 : 0);
        EXPECT_EQ(cwdDuringExtraction, "D:\\FONTS");
        EXPECT_EQ(PfGetDisk(), 2);
        EXPECT_EQ(Cwd(), before);
        // The bad archive's only member fails and takes its file with it.
        EXPECT_EQ(FileExists(scratch / "DRIVED\\FONTS\\A.TXT"), arc == good);
    }
    PfMapDrive('D', nullptr);
}

TEST(ArchiveSafety, CurrentDirectoryTooLongToSaveFailsTheArchive) {
    ScratchDir scratch;
    std::string arc = scratch / "A.ARC", dest = scratch / "DEST";
    WriteFile(arc, HelloMembers({"A.TXT"}));
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);
    std::string deep = scratch.Path();
    while (deep.size() < 300) {
        deep += "\\" + std::string(40, 'd');
        ASSERT_EQ(PfMkdir(deep.c_str()), 0);
    }
    std::string before = Cwd();
    ASSERT_EQ(PfChdir(deep.c_str()), 0);
    Archive a;
    arctest::Watch(a);
    EXPECT_EQ(a.Extract(arc.c_str(), dest.c_str(), 1), 0);
    EXPECT_EQ(Events(), "name(" + arc + ") a100");
    char buf[1024];
    ASSERT_TRUE(PfGetCwd(buf, sizeof buf));
    EXPECT_EQ(std::string(buf), deep);
    ASSERT_EQ(PfChdir(before.c_str()), 0);
    EXPECT_TRUE(Tree(dest).empty());
}

TEST(ArchiveSafety, AShortWriteFailsTheMember) {
    ScratchDir scratch;
    std::string arc = scratch / "F.ARC", dest = scratch / "DEST";
    WriteFile(arc, HelloMembers({"FULL.TXT", "NEXT.TXT"}));
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);
    // A full disk: the member's output is /dev/full.
    std::filesystem::create_symlink("/dev/full", arctest::Host(dest + "\\FULL.TXT"));
    Archive a;
    arctest::Watch(a);
    EXPECT_EQ(a.Extract(arc.c_str(), dest.c_str(), 1), 0);
    EXPECT_EQ(Events(), "name(" + arc + ") file(FULL.TXT) a100");
    // The member that could not be written leaves nothing behind.
    EXPECT_TRUE(Tree(dest).empty());
}
#endif

}  // namespace
