// The decisions of the extraction loop: which keys of a disk section a
// package takes, the key list cut short, the archive's path and the
// package's destination, and the refusals of what does not fit.
#include "app/disks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/globals.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tests/unit/testenv.h"

namespace {

Package Row(const char* name, const char* directory = "", int absolute = 0, int system = 0) {
    Package p = {};
    BufCopy(p.szName, name);
    BufCopy(p.szDirectory, directory);
    p.bAbsoluteDir = absolute;
    p.bSystemDir = system;
    return p;
}

TEST(Disks, KeysBelongToThePackagesTheyBeginWithCaseIncluded) {
    const struct {
        const char* package;
        const char* key;
        bool owns;
    } cases[] = {
        {"Fonts", "Fonts", true},  {"Fonts", "Fonts1", true},  {"Fonts", "FontsExtra", true},
        {"Font", "Fonts2", true},  {"Fonts", "fonts1", false}, {"Fonts", "FONTS1", false},
        {"Fonts", "Font", false},  {"Fonts", "1Fonts", false}, {"Extra", "Fonts1", false},
        {"Fonts", "Fonts ", true}, {"Fonts", "Fontz", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PackageOwnsKey(Row(c.package), c.key), c.owns) << c.package << " / " << c.key;
}

class DiskScript : public testing::Test {
protected:
    void Script(const std::string& text) {
        WriteFile(dir / "install.ini", text);
        BufCopy(szIniFile, (dir / "install.ini").c_str());
    }
    void TearDown() override { szIniFile[0] = exe_dir[0] = dest_path[0] = '\0'; }
    ScratchDir dir;
};

// The names a walk of the key list meets, joined with "|".
std::string Walk(const char* section, uint32_t size) {
    std::string buf(size, '\0');
    uint32_t len = ReadDiskKeys(section, &buf[0], size);
    std::string names;
    uint32_t offset = 0;
    while (const char* name = NextKey(buf.data(), len, offset)) names += std::string(name) + "|";
    return names;
}

TEST_F(DiskScript, AKeyListCutShortLosesItsLastNameWholeOrCut) {
    std::string many;
    for (int i = 10; i < 80; ++i) many += "Fonts" + std::to_string(i) + "=F.ARC\r\n";
    Script("[Disk1]\r\nFonts1=A.ARC\r\nFonts12=B.ARC\r\nExtra=C.ARC\r\n[Disk2]\r\n" + many +
           "[Disk3]\r\n[Disk4]\r\nFonts1=\r\n");
    // Fonts1, Fonts12 and Extra take 7 + 8 + 6 bytes, and one more ends the list.
    const struct {
        const char* section;
        uint32_t size;
        const char* names;
    } cases[] = {
        {"Disk1", 500, "Fonts1|Fonts12|Extra|"},
        {"Disk1", 24, "Fonts1|Fonts12|Extra|"},
        {"Disk1", 23, "Fonts1|Fonts12|Extra|"},  // reported as cut, but whole
        {"Disk1", 22, "Fonts1|Fonts12|Extra|"},  // fits exactly
        {"Disk1", 18, "Fonts1|Fonts12|"},        // Extra cut to "E"
        {"Disk1", 15, "Fonts1|"},                // Fonts12 cut to "Fonts1", the other key
        {"Disk1", 9, "Fonts1|"},                 // no room for another name: Fonts1 is whole
        {"Disk3", 500, ""},
        {"Disk4", 500, "Fonts1|"},
        {"Disk9", 500, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Walk(c.section, c.size), c.names) << c.section << " " << c.size;

    // 70 keys of 8 bytes: the 500-byte list holds 62 whole names and a cut one.
    std::string expected;
    for (int i = 10; i < 72; ++i) expected += "Fonts" + std::to_string(i) + "|";
    EXPECT_EQ(Walk("Disk2", DISK_KEYS_SIZE), expected);
}

TEST_F(DiskScript, ArchivesGoWhereTheirPackageSays) {
    Script(
        "[Disk1]\r\nFonts1=FONTS1.ARC\r\nNoName=\r\nFourteen=ABCDEFGHIJ.ARC\r\n"
        "Fifteen=ABCDEFGHIJK.ARC\r\n");
    const std::string media = dir / "MEDIA\\", dest = dir / "DEST", system = SystemDir();
    // Padding that makes a text exactly n characters long.
    auto pad = [](const std::string& head, size_t n, const std::string& tail) {
        return head + std::string(n - head.size() - tail.size(), 'L') + tail;
    };
    const std::string longMedia = pad(media, 69, "\\"), longerMedia = pad(media, 70, "\\");
    const std::string longDest = pad(dest, 138, ""), longerDest = pad(dest, 139, "");
    const struct {
        const char* what;
        std::string exeDir, destPath, key;
        Package package;
        int state;
        std::string path, target;
        bool created;
    } cases[] = {
        {"under the destination", media, dest, "Fonts1", Row("Fonts", "FONTS"), tsReady,
         media + "FONTS1.ARC", dest + "\\FONTS", true},
        {"after a trailing backslash", media, dest + "\\", "Fonts1", Row("Fonts", "SUB\\FONTS"),
         tsReady, media + "FONTS1.ARC", dest + "\\SUB\\FONTS", true},
        {"an absolute directory alone", media, dest, "Fonts1",
         Row("Fonts", (dir / "ABS").c_str(), 1), tsReady, media + "FONTS1.ARC", dir / "ABS", true},
        {"the system directory", media, dest, "Fonts1", Row("Fonts", "FONTS", 0, 1), tsReady,
         media + "FONTS1.ARC", system, false},
        {"an absolute system package", media, dest, "Fonts1", Row("Fonts", "X", 1, 1), tsReady,
         media + "FONTS1.ARC", system, false},
        {"no archive named", media, dest, "NoName", Row("No", "NONE"), tsSkip, "", "", false},
        {"a name of 14", media, dest, "Fourteen", Row("Four", "F14"), tsReady,
         media + "ABCDEFGHIJ.ARC", dest + "\\F14", true},
        {"a name of 15", media, dest, "Fifteen", Row("Fif", "F15"), tsRefused, "", "", false},
        {"a path of 79", longMedia, dest, "Fonts1", Row("Fonts", "P79"), tsReady,
         longMedia + "FONTS1.ARC", dest + "\\P79", true},
        // Too deep a source leaves the path to the disk prompt.
        {"a path of 80", longerMedia, dest, "Fonts1", Row("Fonts", "P80"), tsReady, "",
         dest + "\\P80", true},
        {"a destination of 143", media, longDest, "Fonts1", Row("Fonts", "D143"), tsReady,
         media + "FONTS1.ARC", longDest + "\\D143", true},
        {"a destination of 144", media, longerDest, "Fonts1", Row("Fonts", "D144"), tsRefused, "",
         "", false},
    };
    for (const auto& c : cases) {
        BufCopy(exe_dir, c.exeDir.c_str());
        BufCopy(dest_path, c.destPath.c_str());
        char keys[DISK_KEYS_SIZE];
        uint32_t len = ReadDiskKeys("Disk1", keys, sizeof keys);
        const char* key = nullptr;
        for (uint32_t offset = 0; const char* name = NextKey(keys, len, offset);)
            if (c.key == name) key = name;
        ASSERT_TRUE(key) << c.what;
        ArchiveTarget t;
        EXPECT_EQ(PrepareArchive("Disk1", keys, key, c.package, t), c.state) << c.what;
        if (c.state != tsReady) {
            continue;
        }
        EXPECT_EQ(t.szPath, c.path) << c.what;
        EXPECT_EQ(t.szDest, c.target) << c.what;
        if (c.created) {
            EXPECT_TRUE(PfIsDirectory(c.target.c_str())) << c.what;
        }
    }
    EXPECT_FALSE(PfIsDirectory((dir / "DEST\\F15").c_str()));
    EXPECT_FALSE(PfIsDirectory((longerDest + "\\D144").c_str()));
}

// After the disk prompt the path is built again from the new source
// directory, and left empty when it does not fit.
TEST_F(DiskScript, ANewSourceDirectoryRebuildsThePath) {
    ArchiveTarget t = {};
    BufCopy(t.szName, "DISK2.ARC");
    BufCopy(exe_dir, "b:\\");
    EXPECT_TRUE(FormArchivePath(t));
    EXPECT_STREQ(t.szPath, "b:\\DISK2.ARC");
    BufCopy(exe_dir, ("c:\\" + std::string(66, 'x') + "\\").c_str());
    EXPECT_TRUE(FormArchivePath(t));
    EXPECT_EQ(strlen(t.szPath), 79u);
    BufAppend(exe_dir, "y");
    EXPECT_FALSE(FormArchivePath(t));
    EXPECT_STREQ(t.szPath, "");
}

}  // namespace
