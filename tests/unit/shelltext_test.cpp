// The pure parts of the shell integration: link command lines, Program
// Manager command texts, widths and version codes.
#include "shell/shelltext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

TEST(LinkCommand, SplitsTargetArgumentsAndWorkingDirectory) {
    struct Case {
        const char* cmdLine;
        const char* target;
        const char* arguments;
        bool hasArguments;
        const char* workDir;
    } cases[] = {
        {"C:\\FONTS\\VIEW.EXE README.TXT", "C:\\FONTS\\VIEW.EXE", "README.TXT", true, "C:\\FONTS"},
        {"C:\\FONTS\\VIEW.EXE", "C:\\FONTS\\VIEW.EXE", "", false, "C:\\FONTS"},
        {"C:\\FONTS\\VIEW.EXE ", "C:\\FONTS\\VIEW.EXE", "", true, "C:\\FONTS"},
        {"C:\\FONTS\\VIEW.EXE a  b", "C:\\FONTS\\VIEW.EXE", "a  b", true, "C:\\FONTS"},
        // A blank inside the program path cuts it there.
        {"C:\\MY FONTS\\VIEW.EXE x", "C:\\MY", "FONTS\\VIEW.EXE x", true, "C:"},
        {"VIEW.EXE -s", "VIEW.EXE", "-s", true, ""},
        {"C:\\VIEW.EXE", "C:\\VIEW.EXE", "", false, "C:"},
        {"\\VIEW.EXE", "\\VIEW.EXE", "", false, ""},
        {"A:\\\\VIEW.EXE", "A:\\\\VIEW.EXE", "", false, "A:\\"},
        {" -s", "", "-s", true, ""},
        {"", "", "", false, ""},
    };
    for (const Case& c : cases) {
        LinkCommand out;
        ASSERT_TRUE(SplitLinkCommand(c.cmdLine, out)) << c.cmdLine;
        EXPECT_STREQ(out.szTarget, c.target) << c.cmdLine;
        EXPECT_STREQ(out.szArguments, c.arguments) << c.cmdLine;
        EXPECT_EQ(out.bHasArguments, c.hasArguments) << c.cmdLine;
        EXPECT_STREQ(out.szWorkDir, c.workDir) << c.cmdLine;
    }
}

TEST(LinkCommand, ACommandLineOver259IsRefusedNotCut) {
    LinkCommand out;
    std::string fits = "C:\\" + std::string(253, 'A') + " x1";
    ASSERT_EQ(fits.size(), 259u);
    ASSERT_TRUE(SplitLinkCommand(fits.c_str(), out));
    EXPECT_STREQ(out.szArguments, "x1");

    std::string tooLong = fits + "2";
    EXPECT_FALSE(SplitLinkCommand(tooLong.c_str(), out));
    EXPECT_STREQ(out.szTarget, "");
    EXPECT_STREQ(out.szArguments, "");
    EXPECT_FALSE(out.bHasArguments);
}

TEST(ProgmanCommand, TextsAreExactAndRefusedOver99) {
    char cmd[DDE_COMMAND_SIZE];
    EXPECT_TRUE(MakeCreateGroupCommand(cmd, "Acme Fonts"));
    EXPECT_STREQ(cmd, "[CreateGroup(Acme Fonts)]");
    EXPECT_TRUE(MakeShowGroupCommand(cmd, "Acme Fonts", 2));
    EXPECT_STREQ(cmd, "[ShowGroup(Acme Fonts, 2 )]");
    EXPECT_TRUE(MakeShowGroupCommand(cmd, "Acme Fonts", 1));
    EXPECT_STREQ(cmd, "[ShowGroup(Acme Fonts, 1 )]");
    EXPECT_TRUE(MakeAddItemCommand(cmd, "C:\\ACME\\VIEW.EXE a.txt", "Viewer", "C:\\ACME\\V.ICO"));
    EXPECT_STREQ(cmd, "[AddItem( C:\\ACME\\VIEW.EXE a.txt, Viewer, C:\\ACME\\V.ICO )]");
    EXPECT_TRUE(MakeAddItemCommand(cmd, "C:\\ACME\\VIEW.EXE", "Viewer", nullptr));
    EXPECT_STREQ(cmd, "[AddItem( C:\\ACME\\VIEW.EXE, Viewer )]");
    EXPECT_TRUE(MakeAddItemCommand(cmd, "C:\\ACME\\VIEW.EXE", "Viewer", ""));
    EXPECT_STREQ(cmd, "[AddItem( C:\\ACME\\VIEW.EXE, Viewer )]");

    // "[AddItem( " + cmd + ", T )]" is 16 characters besides the command line.
    struct Width {
        size_t cmdLength;
        bool fits;
    } widths[] = {{83, true}, {84, false}, {151, false}};
    for (const Width& w : widths) {
        std::string cmdLine(w.cmdLength, 'C');
        EXPECT_EQ(MakeAddItemCommand(cmd, cmdLine.c_str(), "T", nullptr), w.fits) << w.cmdLength;
        EXPECT_EQ(strlen(cmd), std::min<size_t>(w.cmdLength + 16, 99)) << w.cmdLength;
    }
    std::string group(82, 'G');  // "[ShowGroup(" + group + ", 1 )]" is exactly 99
    EXPECT_TRUE(MakeShowGroupCommand(cmd, group.c_str(), 1));
    EXPECT_FALSE(MakeShowGroupCommand(cmd, (group + "G").c_str(), 1));
}

TEST(IconValues, WidthsAndNamesThatCanBeUsed) {
    EXPECT_TRUE(GroupNameFits("Acme"));
    EXPECT_TRUE(GroupNameFits(std::string(31, 'g').c_str()));
    EXPECT_FALSE(GroupNameFits(std::string(32, 'g').c_str()));
    EXPECT_TRUE(GroupNameFits(""));
    EXPECT_FALSE(GroupNameFits(nullptr));

    EXPECT_TRUE(IconFieldFits(nullptr));
    EXPECT_TRUE(IconFieldFits(""));
    EXPECT_TRUE(IconFieldFits(std::string(151, 'f').c_str()));
    EXPECT_FALSE(IconFieldFits(std::string(152, 'f').c_str()));

    struct Name {
        const char* title;
        bool plain;
    } names[] = {
        {"Viewer", true},      {"Read me.txt", true}, {"a,b", true},   {"...", true},
        {"", false},           {".", false},          {"..", false},   {"..\\Startup", false},
        {"sub/viewer", false}, {"C:viewer", false},   {"x\\y", false},
    };
    for (const Name& n : names) EXPECT_EQ(IsPlainFileName(n.title), n.plain) << n.title;
}

TEST(IconValues, LinkPathsUnderTheProgramsFolderUpTo259) {
    char path[LINK_PATH_SIZE];
    EXPECT_TRUE(MakeGroupFolderPath(path, "C:\\Start Menu", "Acme"));
    EXPECT_STREQ(path, "C:\\Start Menu\\Programs\\Acme");
    EXPECT_TRUE(MakeLinkPath(path, "C:\\Start Menu", "Acme", "Viewer"));
    EXPECT_STREQ(path, "C:\\Start Menu\\Programs\\Acme\\Viewer.lnk");
    // An empty group is the Programs folder itself.
    EXPECT_TRUE(MakeGroupFolderPath(path, "C:\\Start Menu", ""));
    EXPECT_STREQ(path, "C:\\Start Menu\\Programs");
    EXPECT_TRUE(MakeLinkPath(path, "C:\\Start Menu", "", "Viewer"));
    EXPECT_STREQ(path, "C:\\Start Menu\\Programs\\Viewer.lnk");

    // "C:\" + 230 + "\Programs\G\" + title + ".lnk": 259 with a 10-character title.
    std::string startMenu = "C:\\" + std::string(230, 's');
    EXPECT_TRUE(MakeLinkPath(path, startMenu.c_str(), "G", "0123456789"));
    EXPECT_EQ(strlen(path), 259u);
    EXPECT_FALSE(MakeLinkPath(path, startMenu.c_str(), "G", "0123456789A"));
    EXPECT_FALSE(MakeGroupFolderPath(path, startMenu.c_str(), std::string(30, 'G').c_str()));
}

TEST(VersionCode, MapsTheTwoVersionWords) {
    struct Case {
        uint32_t ms, ls;
        int code;
    } cases[] = {
        {0x0003000A, 0, wv310},
        {0x0003000A, 0x0000FFFF, wv310},
        {0x0003000B, 0x0000012C, wv3xLate},
        {0x0003000B, 0x0000012B, wv3xEarly},
        {0x0003000B, 0x012C0000, wv3xEarly},  // the build is the low word
        {0x00030000, 0, wv3xEarly},
        {0x00030033, 0x00000400, wv3xLate},
        {0x00040000, 0, wv4},
        {0x0004000A, 0x07CE0000, wv4},
        {0x00010000, 0, wvOther},
        {0, 0, wvOther},
        {0x00050000, 0, wvOther},
        {0x0002000A, 0, wvOther},
        {0x004E0049, 0x004F0046, wvOther},  // "IN" "FO" of a 32-bit block's key
    };
    for (const Case& c : cases)
        EXPECT_EQ(VersionCode(c.ms, c.ls), c.code) << std::hex << c.ms << " " << c.ls;
}

}  // namespace
