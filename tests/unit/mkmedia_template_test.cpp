// The media builder's script template: what it refuses and the script it writes.
#include <gtest/gtest.h>

#include "tools/mkmedia/template.h"

namespace {

TEST(ScriptTemplate, RefusesWhatTheBuilderWritesOrTheSetupWouldNotRead) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"[Install]\nname=T\n[Icons]\nA=B\n[icons]\nC=D\n",
         "section [icons] is written twice; the setup reads the first only"},
        {"[Install]\nname=T\n[disk2]\nFonts=X.ARC\n",
         "section [disk2]: mkmedia writes the disk sections"},
        {"[Install]\nname=T\n Disks = 3\n", "[Install] disks: mkmedia writes the number of disks"},
        {"[Packages]\nFonts=a,b,?,?,FF1\n", "there is no [Install] section"},
        {"[Install]\nname=T\n[Diskette]\nx=y\n[Other]\ndisks=2\n", ""},
    };
    for (const Case& c : cases) {
        std::vector<ScriptLine> lines;
        std::string error;
        EXPECT_EQ(SplitTemplate(c.text, lines, error), !*c.error) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(ScriptTemplate, WritesTheNumbersDisksAndDiskSections) {
    const std::string text =
        "; the sample\n[Install]\r\nname=Test\r\n\r\n[Packages]\r\n  Fonts = "
        "Core,FONTS,?,?,FF1,0\r\n"
        "Extra=Extra,EXTRA,?,?,FF1\n; Extra=kept\n[Icons]\nGroupName=Test";
    std::vector<ScriptLine> lines;
    std::string error;
    ASSERT_TRUE(SplitTemplate(text, lines, error)) << error;
    KeyValues values = {{"fonts", PackageValue({"Core", "FONTS", "?", "?", "FF1", "0"}, 3, 12)},
                        {"Extra", PackageValue({"Extra", "EXTRA", "?", "?", "FF1"}, 1, 1)}};
    std::vector<KeyValues> disks = {{{"Fonts", "FONT0101.ARC"}, {"Extra", "EXTR0201.ARC"}},
                                    {{"Extra", "EXTR0202.ARC"}}};
    EXPECT_EQ(RenderScript(lines, 2, values, disks),
              "; the sample\r\n[Install]\r\ndisks=2\r\nname=Test\r\n\r\n[Packages]\r\n"
              "Fonts=Core,FONTS,3,12,FF1,0\r\nExtra=Extra,EXTRA,1,1,FF1\r\n; Extra=kept\r\n"
              "[Icons]\r\nGroupName=Test\r\n"
              "\r\n[Disk1]\r\nFonts=FONT0101.ARC\r\nExtra=EXTR0201.ARC\r\n"
              "\r\n[Disk2]\r\nExtra=EXTR0202.ARC\r\n");
}

}  // namespace
