// The script checker with media: the archives the disk sections name,
// present on the right disk, whole, and matching the package table.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "app/globals.h"
#include "platform/platform.h"
#include "tests/unit/testenv.h"
#include "tools/common/archivecheck.h"
#include "tools/common/arcwriter.h"
#include "tools/common/scriptcheck.h"

namespace {

const uint32_t kStamp = uint32_t(18) << 25 | 6u << 21 | 15u << 16 | 12u << 11;  // 1998-06-15 12:00

const char kScript[] =
    "[Install]\nname=Test\nBaseDir=C:\\TEST\ndisks=2\n"
    "[Packages]\nFonts=Fonts,FONTS,3,1,FF1,0\n"
    "[Disk1]\nFonts=FONTS1.ARC\n[Disk2]\nFonts=FONTS2.ARC\n";

class MediaCheckTest : public testing::Test {
protected:
    void SetUp() override {
        disk1 = dir / "DISK1";
        disk2 = dir / "DISK2";
        PfMkdir(disk1.c_str());
        PfMkdir(disk2.c_str());
        MakeArchive(disk1 + "\\FONTS1.ARC", {"A.FF1", "B.FF1"});
        MakeArchive(disk2 + "\\FONTS2.ARC", {"C.FF1"});
    }
    void TearDown() override {
        szIniFile[0] = dest_path[0] = szTitle[0] = '\0';
        memset(Packages, 0, sizeof Packages);
        iNumPackages = 0;
    }

    // Members of 100 bytes each.
    void MakeArchive(const std::string& path, const std::vector<std::string>& names) {
        ArcWriter w;
        ASSERT_TRUE(w.Create(path.c_str()));
        for (const std::string& name : names) {
            std::string data(100, name[0]);
            ASSERT_TRUE(w.AddData(name.c_str(), data.data(), data.size(), kStamp));
        }
        ASSERT_TRUE(w.Finish());
    }

    std::vector<std::string> Check(const std::string& script,
                                   const std::vector<std::string>& media) {
        std::string path = dir / ("install" + std::to_string(++count) + ".ini");
        WriteFile(path, script);
        EXPECT_TRUE(UseScriptFile(path.c_str()));
        ScriptCheckOptions options;
        options.media = media;
        std::vector<std::string> lines;
        for (const ScriptFinding& f : CheckScript(options)) lines.push_back(FormatFinding("i", f));
        return lines;
    }

    ScratchDir dir;
    std::string disk1, disk2;
    int count = 0;
};

TEST_F(MediaCheckTest, ArchivesOnTheirDisks) {
    EXPECT_EQ(Check(kScript, {disk1, disk2}), std::vector<std::string>{});

    // One directory for every disk, as on a CD.
    std::string cd = dir / "CD";
    PfMkdir(cd.c_str());
    WriteFile(cd + "\\FONTS1.ARC", ReadFile(disk1 + "\\FONTS1.ARC"));
    WriteFile(cd + "\\FONTS2.ARC", ReadFile(disk2 + "\\FONTS2.ARC"));
    EXPECT_EQ(Check(kScript, {cd}), std::vector<std::string>{});

    // On the wrong disk, and on none.
    PfRename((disk2 + "\\FONTS2.ARC").c_str(), (disk1 + "\\FONTS2.ARC").c_str());
    EXPECT_EQ(Check(kScript, {disk1, disk2}),
              std::vector<std::string>{
                  "i:Disk2:Fonts: error: the archive \"FONTS2.ARC\" is not in " + disk2 +
                  " but in " + disk1 + ": the setup asks for disk 2 until it finds it there"});
    PfRemove((disk1 + "\\FONTS2.ARC").c_str());
    EXPECT_EQ(Check(kScript, {disk1, disk2}),
              std::vector<std::string>{
                  "i:Disk2:Fonts: error: the archive \"FONTS2.ARC\" is not in " + disk2});

    EXPECT_EQ(
        Check(kScript, {disk1, disk2, cd}),
        (std::vector<std::string>{
            "i:Install:disks: error: the script names 2 disks, but 3 media directories are given",
            "i:Disk2:Fonts: error: the archive \"FONTS2.ARC\" is not in " + disk2 + " but in " +
                cd + ": the setup asks for disk 2 until it finds it there"}));
}

TEST_F(MediaCheckTest, ArchivesThatCannotBeExtracted) {
    const std::string arc = disk1 + "\\FONTS1.ARC";
    const std::string whole = ReadFile(arc);
    const std::string prefix = "i:Disk1:Fonts: error: " + arc + " cannot be extracted whole: ";

    // The CRC-32 of member A.FF1 sits 12 bytes after its name in the directory.
    std::string crcChanged = whole;
    size_t crcAt = crcChanged.find("A.FF1") + 5 + 12;
    crcChanged[crcAt] = char(crcChanged[crcAt] ^ 0xff);
    std::string data(100, 'A');
    char crc[16], wrong[16];
    uint32_t good =
        uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
    snprintf(crc, sizeof crc, "%08x", unsigned(good));
    snprintf(wrong, sizeof wrong, "%08x", unsigned(good ^ 0xffu));

    std::string unsafe = whole;
    unsafe.replace(unsafe.find("A.FF1"), 5, "..\\AB");

    struct Case {
        std::string bytes, why;
    } cases[] = {
        {"hello", "no archive directory lies where its first 4 bytes point"},
        {whole.substr(0, whole.size() - 10), "its directory is cut short in member 2"},
        {crcChanged,
         "member \"A.FF1\": its CRC-32 is " + std::string(crc) + ", the directory says " + wrong},
        {unsafe, "member \"..\\AB\": the name leaves the destination or names a device"},
    };
    for (const Case& c : cases) {
        WriteFile(arc, c.bytes);
        EXPECT_EQ(Check(kScript, {disk1, disk2}), std::vector<std::string>{prefix + c.why});
    }
}

TEST_F(MediaCheckTest, PackageNumbersAgainstTheArchives) {
    std::string script = kScript;
    script.replace(script.find("FONTS,3,1,"), 10, "FONTS,5,0,");
    EXPECT_EQ(
        Check(script, {disk1, disk2}),
        (std::vector<std::string>{
            "i:Packages:Fonts: warning: the value says 5 files; its archives hold 3",
            "i:Packages:Fonts: warning: the value says 0 K; its archives unpack to 300 bytes: the "
            "Options dialog counts too little space"}));

    ArchiveContents contents;
    EXPECT_EQ(ArchiveProblem((disk1 + "\\FONTS1.ARC").c_str(), contents), "");
    EXPECT_EQ(contents.files, 2u);
    EXPECT_EQ(contents.bytes, 200u);
    EXPECT_EQ(ArchiveProblem((disk1 + "\\NONE.ARC").c_str(), contents), "it cannot be opened");
}

}  // namespace
