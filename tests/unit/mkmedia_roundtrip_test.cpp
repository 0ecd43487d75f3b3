// A disk set from the media builder, installed the way the disk loop walks
// it with the setup's own archive reader: the installed tree is the
// product's, byte for byte and date for date.
#include <gtest/gtest.h>

#include <cstring>

#include "app/globals.h"
#include "app/script.h"
#include "archive/archive.h"
#include "tests/unit/archive_support.h"
#include "tools/common/scriptcheck.h"
#include "tools/mkmedia/build.h"

namespace {

struct SourceFile {
    const char* path;  // below the product directory
    size_t size;
    uint32_t stamp;
};

const SourceFile kFiles[] = {
    {"Core\\A.FF1", 900, arctest::Dos(1998, 6, 15, 12, 0, 0)},
    {"Core\\B.FF1", 1200, arctest::Dos(1999, 12, 31, 23, 59, 58)},
    {"Extra\\ONE.DAT", 200000, arctest::Dos(2001, 2, 3, 4, 5, 6)},
    {"Extra\\SUB\\TWO.DAT", 200000, arctest::Dos(2002, 3, 4, 5, 6, 8)},
    {"Extra\\THREE.DAT", 200000, arctest::Dos(1980, 1, 1, 0, 0, 0)},
};

// Bytes that do not compress, the same on every run.
std::string Noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 24);
    }
    return bytes;
}

void WriteDated(const std::string& path, const std::string& bytes, uint32_t stamp) {
    WriteFile(path, bytes);
    PfFile* fp = PfOpen(path.c_str(), "rb+");
    ASSERT_TRUE(fp);
    EXPECT_EQ(PfSetFileTime(fp, stamp), 1);
    PfClose(fp);
}

// The product, then its 360K disk set; the disk directories.
std::vector<std::string> BuildSet(const ScratchDir& dir) {
    const std::string product = dir / "PRODUCT";
    for (const char* sub : {"", "\\Core", "\\Extra", "\\Extra\\SUB"})
        PfMkdir((product + sub).c_str());
    WriteFile(product + "\\install.ini",
              "[Install]\nname=Round Trip\nBaseDir=C:\\RT\n[Packages]\n"
              "Core=Core fonts,FONTS,?,?,FF1,0\nExtra=Extra data,EXTRA,?,?,FF1,1\n");
    WriteFile(product + "\\SETUP.EXE", "a stand-in for the setup program");
    for (const SourceFile& f : kFiles)
        WriteDated(product + "\\" + f.path, Noise(f.size, f.stamp), f.stamp);

    Product p;
    std::string text, error;
    std::vector<ScriptLine> lines;
    BuildResult result;
    EXPECT_TRUE(LocateProduct(product, "", p, error)) << error;
    EXPECT_TRUE(UseScriptFile(p.script.c_str()));
    EXPECT_TRUE(SplitTemplate(ReadFile(p.script), lines, error)) << error;
    EXPECT_TRUE(ReadPackageFiles(p, error)) << error;
    EXPECT_TRUE(BuildMedia(p, lines, *FindMediaPreset("360K"), dir / "OUT", result, error))
        << error;
    EXPECT_TRUE(result.checked);
    EXPECT_EQ(result.findings.size(), 0u);
    return result.diskDirs;
}

// Disks in order, on each the packages in table order, for each the keys
// of the disk's section that begin with its name.
void Install(const std::vector<std::string>& disks, const std::string& dest) {
    ASSERT_TRUE(UseScriptFile((disks[0] + "\\INSTALL.INI").c_str()));
    ASSERT_EQ(ReadPackages(), 1);
    ASSERT_EQ(int(PfGetProfileInt("Install", "disks", -1, szIniFile)), int(disks.size()));
    Archive archive;
    for (size_t d = 0; d < disks.size(); ++d) {
        std::string section = "Disk" + std::to_string(d + 1);
        char keys[500];
        uint32_t len = ReadKeyList(section.c_str(), keys, sizeof keys);
        for (int p = 0; p < iNumPackages; ++p) {
            uint32_t offset = 0;
            while (const char* key = NextKey(keys, len, offset)) {
                if (strncmp(key, Packages[p].szName, strlen(Packages[p].szName)) != 0) continue;
                char name[15];
                PfGetProfileString(section.c_str(), key, "", name, sizeof name, szIniFile);
                std::string target = dest + "\\" + Packages[p].szDirectory;
                PfMkdir(target.c_str());
                EXPECT_NE(archive.Extract((disks[d] + "\\" + name).c_str(), target.c_str(), 1), 0)
                    << disks[d] << "\\" << name;
            }
        }
    }
}

TEST(MkmediaRoundTrip, TheInstalledTreeIsTheProductByteForByteAndDateForDate) {
    ScratchDir dir;
    std::vector<std::string> disks = BuildSet(dir);
    ASSERT_EQ(disks.size(), 3u);
    const std::string dest = dir / "DEST";
    PfMkdir(dest.c_str());
    Install(disks, dest);

    struct Installed {
        const char* source;
        const char* installed;
    } map[] = {{"Core\\A.FF1", "FONTS\\A.FF1"},
               {"Core\\B.FF1", "FONTS\\B.FF1"},
               {"Extra\\ONE.DAT", "EXTRA\\ONE.DAT"},
               {"Extra\\SUB\\TWO.DAT", "EXTRA\\SUB\\TWO.DAT"},
               {"Extra\\THREE.DAT", "EXTRA\\THREE.DAT"}};
    for (size_t i = 0; i < sizeof map / sizeof map[0]; ++i) {
        std::string source = dir / "PRODUCT" + "\\" + map[i].source;
        std::string installed = dest + "\\" + map[i].installed;
        uint32_t stamp = 0;
        EXPECT_TRUE(ReadFile(installed) == ReadFile(source)) << installed;
        EXPECT_EQ(PfGetFileTime(installed.c_str(), &stamp), 1);
        EXPECT_EQ(stamp, kFiles[i].stamp) << installed;
    }
    szIniFile[0] = '\0';
    memset(Packages, 0, sizeof Packages);
    iNumPackages = 0;
}

}  // namespace
