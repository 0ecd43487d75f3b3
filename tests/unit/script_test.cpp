// The install script: comma lists, numbers, key lists and the package table.
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/script.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tests/unit/testenv.h"

namespace {

std::string Join(char* fields[], int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::string(i ? "|" : "") + fields[i];
    return s;
}

TEST(CommaList, SplitsLikeTheScriptReader) {
    struct Case {
        const char* text;
        int max;
        const char* expect;  // fields joined with "|"
    } cases[] = {
        {"Core fonts,FONTS,12,800,FF1,0", 6, "Core fonts|FONTS|12|800|FF1|0"},
        {"Drivers,,3,100,DLL,1", 6, "Drivers|3|100|DLL|1"},
        {",,lead", 6, "lead"},
        {" a, b ,", 6, " a| b "},
        {"", 6, ""},
        {",,,", 6, ""},
        {"a,b,c,d", 2, "a|b"},
    };
    for (const Case& c : cases) {
        char text[64];
        BufCopy(text, c.text);
        char* fields[6];
        int n = SplitCommaList(text, fields, c.max);
        EXPECT_EQ(Join(fields, n), c.expect) << "splitting '" << c.text << "'";
    }
}

// A value read with one character to spare is cut where the reader cuts it
// (here at 8); the cut is harmless only after the fields that are read.
TEST(CommaList, ACutValueKeepsItsFieldsOnlyWhenCutAfterThem) {
    struct Case {
        const char* text;
        int fields;
        bool kept;
        const char* after;
    } cases[] = {
        {"a,b", 2, true, "a,b"},
        {"abcdefgh", 1, true, "abcdefgh"},       // fits exactly
        {"abcdefghi", 1, false, "abcdefgh"},     // the only field cut
        {"ab,cdefgh", 2, false, "ab,cdefg"},     // the second field cut
        {"ab,cd,efg", 2, true, "ab,cd,ef"},      // a third field cut
        {"ab,cd,,,e", 2, false, "ab,cd,,,"},     // the third field lost whole
        {"a,b,c,d,eeee", 3, true, "a,b,c,d,"},
    };
    for (const Case& c : cases) {
        char value[10];
        BufCopy(value, c.text);
        EXPECT_EQ(CutKeepsFields(value, 8, c.fields), c.kept) << c.text;
        EXPECT_STREQ(value, c.after) << c.text;
    }
}

TEST(ScriptNumber, ReadsLeadingDecimalDigits) {
    struct Case {
        const char* text;
        int32_t expect;
    } cases[] = {
        {"12", 12},         {"  800", 800},       {"-5", -5},     {"+7", 7},
        {"12abc", 12},      {"abc", 0},           {"", 0},        {" FF1", 0},
        {"0x10", 0},        {"99999999999", INT32_MAX},          {"-99999999999", INT32_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(ScriptNumber(c.text), c.expect) << c.text;
}

TEST(KeyList, WalksNamesAndPassesOverEmptyOnes) {
    const char list[] = "one\0\0two\0three\0";
    std::string seen;
    uint32_t offset = 0;
    while (const char* name = NextKey(list, sizeof list - 1, offset)) seen += std::string(name) + ";";
    EXPECT_EQ(seen, "one;two;three;");
}

// Every entry of the key list reads its own line, a repeat too: blanks
// around "=", comments, lines without "=" and quotes never pair an entry
// with another line. The reference is the reader itself (kernel32 under
// Wine) given each line alone, cut to the same 6 bytes.
TEST(KeyList, RepeatedKeysReadTheirOwnLines) {
    const struct {
        const char* text;
        bool entry;  // listed in the key list
    } lines[] = {
        {"File=one", true},          {"; File=comment", false},
        {"Other=x", true},           {"  file  =  \"two\"  ", true},
        {"File", false},             {"FILE='three-long'", true},
        {";File=hidden", false},     {"File=\"\"", true},
        {"\tFile\t=\t'four'\t", true}, {"File=\"abcde\"", true},
        {"File=\"abcdef\"", true},   {"file=last", true},
    };
    ScratchDir dir;
    std::string script = "[S]\r\n", alone;
    std::vector<std::string> reference;
    for (const auto& line : lines) {
        script += std::string(line.text) + "\r\n";
        if (!line.entry) continue;
        std::string one = dir / ("line" + std::to_string(reference.size()) + ".ini");
        WriteFile(one, "[S]\r\n" + std::string(line.text) + "\r\n");
        char keys[20], value[6];
        ASSERT_GT(PfGetProfileString("S", nullptr, "", keys, sizeof keys, one.c_str()), 0u);
        PfGetProfileString("S", keys, "", value, sizeof value, one.c_str());
        reference.push_back(std::string(keys) + "=" + value);
    }
    std::string path = dir / "install.ini";
    WriteFile(path, script);
    ASSERT_TRUE(BufCopy(szIniFile, path.c_str()));
    char keys[200];
    uint32_t len = ReadKeyList("S", keys, sizeof keys);
    std::vector<std::string> seen;
    uint32_t offset = 0;
    while (const char* name = NextKey(keys, len, offset)) {
        char value[6];
        ReadKeyValue("S", keys, name, value);
        seen.push_back(std::string(name) + "=" + value);
    }
    EXPECT_EQ(seen, reference);
    const std::vector<std::string> expect = {"File=one",  "Other=x",   "file=two",
                                             "FILE=three", "File=",     "File=four",
                                             "File=abcd",  "File=abcde", "file=last"};
    EXPECT_EQ(seen, expect);
    szIniFile[0] = '\0';
}

// A script in a scratch directory, made the script in use.
class PackagesTest : public testing::Test {
protected:
    void SetUp() override {
        memset(Packages, 0, sizeof Packages);
        iNumPackages = 0;
        dest_path[0] = '\0';
    }
    void TearDown() override { szIniFile[0] = '\0'; }

    void Script(const std::string& packages) {
        std::string path = dir / "install.ini";
        WriteFile(path, "[Install]\r\nname=Test\r\n[Packages]\r\n" + packages);
        ASSERT_TRUE(BufCopy(szIniFile, path.c_str()));
    }

    ScratchDir dir;
    MessageBoxRecorder boxes;
};

TEST_F(PackagesTest, ReadsEveryFieldOfTheRows) {
    Script("Core=Core fonts,FONTS,12,800,FF1,0\r\n"
           "Drivers=Drivers,,3,100,DLL,1\r\n"
           "Small=Small TrueType,ignored,2,50,ttf,1\r\n"
           "WinFonts=Windows fonts,%W\\FONTS,1,1,FF1\r\n"
           "Rooted=Rooted,%I\\FONTS,1,1,FF1\r\n"
           "Star=Star,*STAR,1,1\r\n"
           "Amp=Amp,&AMP\r\n"
           "Empty=\r\n"
           "Both=Both,FONTS,1,1,FF12TTF,2\r\n");
    ASSERT_EQ(ReadPackages(), 1);
    ASSERT_EQ(iNumPackages, 9);
    EXPECT_TRUE(boxes.boxes.empty());

    const Package& core = Packages[0];
    EXPECT_STREQ(core.szName, "Core");
    EXPECT_STREQ(core.szDescription, "Core fonts");
    EXPECT_STREQ(core.szDirectory, "FONTS");
    EXPECT_EQ(core.lFiles, 12);
    EXPECT_EQ(core.lSize, 800 * 1024);
    EXPECT_EQ(core.iType, ptFF1);
    EXPECT_EQ(core.bSystemDir, 0);
    EXPECT_EQ(core.bAbsoluteDir, 0);
    EXPECT_EQ(core.bOptional, 0);
    EXPECT_EQ(core.bSelected, 0);

    // The double comma moves every later field one place forward.
    const Package& drivers = Packages[1];
    EXPECT_STREQ(drivers.szDirectory, "3");
    EXPECT_EQ(drivers.lFiles, 100);
    EXPECT_EQ(drivers.lSize, 0);
    EXPECT_EQ(drivers.iType, 0);
    EXPECT_EQ(drivers.bSystemDir, 0);
    EXPECT_EQ(drivers.bOptional, 0);

    const Package& small = Packages[2];
    EXPECT_EQ(small.iType, ptTTF);
    EXPECT_EQ(small.bSystemDir, 1);
    EXPECT_EQ(std::string(small.szDirectory), SystemDir());
    EXPECT_EQ(small.bOptional, 1);

    EXPECT_EQ(std::string(Packages[3].szDirectory), WindowsDir() + "\\FONTS");
    EXPECT_EQ(Packages[3].bAbsoluteDir, 1);
    EXPECT_STREQ(Packages[4].szDirectory, "\\FONTS");
    EXPECT_EQ(Packages[4].bAbsoluteDir, 1);
    EXPECT_EQ(Packages[5].bAbsoluteDir, 1);
    EXPECT_STREQ(Packages[5].szDirectory, "*STAR");
    EXPECT_EQ(Packages[6].bAbsoluteDir, 1);

    const Package& empty = Packages[7];
    EXPECT_STREQ(empty.szName, "Empty");
    EXPECT_STREQ(empty.szDescription, "");
    EXPECT_STREQ(empty.szDirectory, "");
    EXPECT_EQ(empty.lSize, 0);
    EXPECT_EQ(empty.bOptional, 0);

    EXPECT_EQ(Packages[8].iType, ptFF12TTF);
    EXPECT_EQ(std::string(Packages[8].szDirectory), SystemDir());
    EXPECT_EQ(Packages[8].bOptional, 1);
}

TEST_F(PackagesTest, AKeyListThatDoesNotFitIsTooManyPackages) {
    std::string rows;
    for (int i = 0; i < 25; ++i) rows += "PackageNumber" + std::to_string(i) + "=x\r\n";
    Script(rows);
    EXPECT_EQ(ReadPackages(), 0);
    EXPECT_EQ(iNumPackages, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Too many packages");
    EXPECT_EQ(boxes.boxes[0].caption, "Install");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(boxes.boxes[0].owner, nullptr);
}

TEST_F(PackagesTest, MoreRowsThanTheTableHoldsAreRefusedTheSameWay) {
    std::string rows;
    for (int i = 0; i < 20; ++i) rows += "P" + std::to_string(i) + "=Package,DIR,1,1,FF1\r\n";
    Script(rows);
    ASSERT_EQ(ReadPackages(), 1);
    EXPECT_EQ(iNumPackages, 20);
    EXPECT_STREQ(Packages[19].szName, "P19");

    memset(Packages, 0, sizeof Packages);
    iNumPackages = 0;
    Script(rows + "P20=One too many\r\n");
    EXPECT_EQ(ReadPackages(), 0);
    EXPECT_EQ(iNumPackages, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Too many packages");
}

TEST_F(PackagesTest, OverlongFieldsAreCutOrRefused) {
    std::string longDir(80, 'D');
    Script("AVeryLongPackageName=" + std::string(60, 'x') + ",FONTS,1,1,FF1\r\n"
           "TooDeep=Too deep," + longDir + ",1,1,FF1\r\n"
           "SysLong=System,"  + longDir + ",1,1,DLL\r\n"
           "After=After,AFTER\r\n");
    ASSERT_EQ(ReadPackages(), 1);
    ASSERT_EQ(iNumPackages, 3);
    EXPECT_STREQ(Packages[0].szName, "AVeryLongPacka");
    EXPECT_EQ(std::string(Packages[0].szDescription), std::string(49, 'x'));
    // The too-deep directory would install elsewhere: its row is refused.
    EXPECT_STREQ(Packages[1].szName, "SysLong");
    EXPECT_EQ(std::string(Packages[1].szDirectory), SystemDir());
    EXPECT_STREQ(Packages[2].szName, "After");
    EXPECT_STREQ(Packages[3].szName, "");
}

// The reader takes 149 characters of a value. A value cut inside its six
// fields would lose its flag or type (a TTF package would land in the
// destination): the row is refused. A cut after the sixth field loses
// nothing that is read.
TEST_F(PackagesTest, AValueCutInsideItsFieldsIsRefused) {
    const std::string six = ",FONTS,1,1,TTF,1";  // 16 characters after the description
    Script("AtLimit=" + std::string(133, 'a') + six + "\r\n" +
           "OneOver=" + std::string(134, 'o') + six + "\r\n" +
           "Seventh=" + std::string(100, 's') + six + "," + std::string(50, 'c') + "\r\n");
    ASSERT_EQ(ReadPackages(), 1);
    ASSERT_EQ(iNumPackages, 2);
    EXPECT_TRUE(boxes.boxes.empty());
    const char* names[] = {"AtLimit", "Seventh"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_STREQ(Packages[i].szName, names[i]);
        EXPECT_EQ(Packages[i].iType, ptTTF);
        EXPECT_EQ(std::string(Packages[i].szDirectory), SystemDir());
        EXPECT_EQ(Packages[i].bOptional, 1);
    }
}

}  // namespace
