// The walk over the "Icons" section: which groups and icons it asks for, in
// which order, and what it shows when it stops.
#include "shell/icons.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/strutil.h"
#include "tests/unit/testenv.h"

namespace {

// Records the calls of the walk; fails or cancels at a chosen call.
struct Calls {
    std::vector<std::string> seen;
    int failAt = -1;    // index in seen of the call that fails
    int cancelAt = -1;  // index in seen of the call that sets bSDCancelled
};
Calls* calls = nullptr;

int Answer() {
    int index = int(calls->seen.size()) - 1;
    if (index == calls->cancelAt) bSDCancelled = 1;
    return index == calls->failAt ? 0 : 1;
}

int Folder(const char* group) {
    calls->seen.push_back(std::string("folder ") + group);
    return Answer();
}

int Shortcut(const char* group, const char* cmdLine, const char* title, const char* iconFile) {
    calls->seen.push_back(std::string("icon ") + group + "|" + cmdLine + "|" + title + "|" +
                          (iconFile ? iconFile : "<null>"));
    return Answer();
}

void CloseStatus() {
    calls->seen.push_back("close status");
}

const IconMaker maker = {Folder, Shortcut, CloseStatus};

class IconsTest : public testing::Test {
protected:
    void SetUp() override {
        calls = &recorded;
        bSDCancelled = 0;
        hMainWnd = reinterpret_cast<HWND>(0x1234);
        BufCopy(dest_path, "C:\\ACME");
    }
    void TearDown() override {
        calls = nullptr;
        szIniFile[0] = '\0';
        dest_path[0] = '\0';
        hMainWnd = nullptr;
        bSDCancelled = 0;
    }

    // Writes a script with the given "Icons" lines and walks it.
    void Walk(const std::string& icons, bool withSection = true) {
        std::string path = dir / "install.ini";
        WriteFile(path, "[Install]\r\nname=Test\r\n" +
                            (withSection ? "[Icons]\r\n" + icons : std::string()) +
                            "[After]\r\nx=1\r\n");
        ASSERT_TRUE(BufCopy(szIniFile, path.c_str()));
        MakeScriptIcons(maker);
    }

    std::string Boxes() const {
        std::string all;
        for (const auto& b : boxes.boxes) all += b.text + ";";
        return all;
    }

    ScratchDir dir;
    MessageBoxRecorder boxes;
    Calls recorded;
};

TEST_F(IconsTest, EntriesBecomeGroupsAndIconsInFileOrder) {
    Walk(
        "GroupName=Acme Fonts\r\n"
        "ProdInfo=Product Info,%I\\INFO.EXE /about\r\n"
        "Viewer=%I\\VIEW.EXE,%I\\VIEW.ICO\r\n"
        "NoIcon=%I\\PLAIN.EXE a b\r\n"
        "Leading=,,%I\\LEAD.EXE,,LEAD.ICO\r\n"
        "Blank=A.EXE, B.ICO\r\n"
        "groupname=C.EXE\r\n"
        "PRODINFO=D.EXE,D.ICO\r\n"
        "Empty=\r\n"
        "GroupName=Second\r\n"
        "Later=%W\\NOTEPAD.EXE\r\n");
    std::vector<std::string> expect = {
        "folder Acme Fonts",
        "icon Acme Fonts|C:\\ACME\\INFO.EXE /about|Product Info|<null>",
        "icon Acme Fonts|C:\\ACME\\VIEW.EXE|Viewer|C:\\ACME\\VIEW.ICO",
        "icon Acme Fonts|C:\\ACME\\PLAIN.EXE a b|NoIcon|",
        "icon Acme Fonts|C:\\ACME\\LEAD.EXE|Leading|LEAD.ICO",
        "icon Acme Fonts|A.EXE|Blank| B.ICO",
        "icon Acme Fonts|C.EXE|groupname|",
        "icon Acme Fonts|D.EXE|PRODINFO|D.ICO",
        "icon Acme Fonts||Empty|",
        "folder Second",
        "icon Second|" + WindowsDir() + "\\NOTEPAD.EXE|Later|",
    };
    EXPECT_EQ(recorded.seen, expect);
    EXPECT_EQ(Boxes(), "");
}

// The profile reader would give every repeat the first value; each repeat
// takes its own line, read by the same rules (quotes removed).
TEST_F(IconsTest, RepeatedKeysTakeTheirOwnValues) {
    Walk(
        "GroupName=One\r\n"
        "Same=\"C:\\A.EXE\"\r\n"
        "GroupName=Two\r\n"
        "Same=\"C:\\B.EXE,B.ICO\"\r\n"
        "SAME = C.EXE \r\n");
    std::vector<std::string> expect = {
        "folder One",           "icon One|C:\\A.EXE|Same|",
        "folder Two",           "icon Two|C:\\B.EXE|Same|B.ICO",
        "icon Two|C.EXE|SAME|",
    };
    EXPECT_EQ(recorded.seen, expect);
}

TEST_F(IconsTest, NoSectionOrAnEmptyOneMakesNothing) {
    Walk("", false);
    Walk("");
    EXPECT_TRUE(recorded.seen.empty());
    EXPECT_EQ(Boxes(), "");
}

TEST_F(IconsTest, AKeyListThatDoesNotFitIsTooManyIcons) {
    std::string icons = "GroupName=Acme\r\n";
    for (int i = 0; i < 40; ++i) icons += "Icon number " + std::to_string(i) + "=X.EXE\r\n";
    Walk(icons);
    EXPECT_EQ(recorded.seen, std::vector<std::string>{"close status"});
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Too many icons");
    EXPECT_EQ(boxes.boxes[0].caption, "Install");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(boxes.boxes[0].owner, nullptr);
}

// Each case fails or stops at one entry; the entries after it are not handled.
TEST_F(IconsTest, AFailureOrACancelEndsTheWalk) {
    const std::string script = "GroupName=Acme\r\nOne=1.EXE\r\nTwo=2.EXE\r\nThree=3.EXE\r\n";
    struct Case {
        const char* what;
        int failAt;
        int cancelAt;
        size_t callsMade;
        const char* boxes;
    } cases[] = {
        {"the group fails", 0, -1, 1, ""},
        {"an icon fails", 2, -1, 3, "Unable to add icon.;"},
        {"cancel during the first icon", -1, 1, 2, ""},
        {"cancel during the group", -1, 0, 1, ""},
        {"nothing goes wrong", -1, -1, 4, ""},
    };
    for (const Case& c : cases) {
        Calls run;
        run.failAt = c.failAt;
        run.cancelAt = c.cancelAt;
        calls = &run;
        boxes.boxes.clear();
        bSDCancelled = 0;
        Walk(script);
        EXPECT_EQ(run.seen.size(), c.callsMade) << c.what;
        EXPECT_EQ(Boxes(), c.boxes) << c.what;
    }
}

TEST_F(IconsTest, UnableToAddIconIsOwnedByTheMainWindow) {
    recorded.failAt = 1;
    Walk("GroupName=Acme\r\nOne=1.EXE\r\n");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Unable to add icon.");
    EXPECT_EQ(boxes.boxes[0].caption, "Setup");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.boxes[0].owner, hMainWnd);
}

// Values that would have to be cut, and icons without a group, are refused
// with "Unable to add icon." before anything is made for them.
TEST_F(IconsTest, ValuesThatDoNotFitAreRefused) {
    const std::string cmd151 = "C:\\" + std::string(148, 'c');
    const std::string cmd150 = "C:\\" + std::string(147, 'c');
    auto icon = [](size_t length) { return "C:\\" + std::string(length - 3, 'i'); };
    const std::string base = std::string("C:\\ACME\\");
    struct Case {
        std::string icons;
        std::vector<std::string> seen;
        const char* boxes;
    } cases[] = {
        {"Early=A.EXE\r\nGroupName=Acme\r\nLate=B.EXE\r\n", {}, "Unable to add icon.;"},
        {"ProdInfo=Info,I.EXE\r\nGroupName=Acme\r\n", {}, "Unable to add icon.;"},
        {"GroupName=" + std::string(31, 'g') + "\r\n", {"folder " + std::string(31, 'g')}, ""},
        {"GroupName=" + std::string(32, 'g') + "\r\nGroupName=Next\r\n",
         {},
         "Unable to add icon.;"},
        // An empty group name is the Programs folder itself.
        {"GroupName=\r\nOne=1.EXE\r\n", {"folder ", "icon |1.EXE|One|"}, ""},
        {"GroupName=G\r\nFits=" + cmd151 + "\r\n", {"folder G", "icon G|" + cmd151 + "|Fits|"}, ""},
        {"GroupName=G\r\nLong=" + cmd151 + "x\r\nNext=N.EXE\r\n",
         {"folder G"},
         "Unable to add icon.;"},
        {"GroupName=G\r\nIcon=I.EXE," + cmd151 + "x\r\n", {"folder G"}, "Unable to add icon.;"},
        // "%I" grows with the destination: the expanded text is what counts.
        {"GroupName=G\r\nGrown=%I\\" + std::string(143, 'e') + "\r\n",
         {"folder G", "icon G|" + base + std::string(143, 'e') + "|Grown|"},
         ""},
        {"GroupName=G\r\nGrown=%I\\" + std::string(144, 'e') + "\r\n",
         {"folder G"},
         "Unable to add icon.;"},
        // The reader takes 299 characters: an icon file cut there (to 148)
        // is refused; a cut in a third field, which is not read, is not.
        {"GroupName=G\r\nCut=" + cmd150 + "," + icon(151) + "\r\n", {"folder G"},
         "Unable to add icon.;"},
        {"GroupName=G\r\nThird=" + cmd150 + "," + icon(140) + "," + std::string(20, 'x') + "\r\n",
         {"folder G", "icon G|" + cmd150 + "|Third|" + icon(140)},
         ""},
        // A ProdInfo without a title makes nothing and is no error.
        {"GroupName=G\r\nProdInfo=\r\nAfter=A.EXE\r\n", {"folder G", "icon G|A.EXE|After|"}, ""},
        {"GroupName=G\r\nProdInfo=Title only\r\n", {"folder G", "icon G||Title only|<null>"}, ""},
    };
    for (const Case& c : cases) {
        Calls run;
        calls = &run;
        boxes.boxes.clear();
        Walk(c.icons);
        EXPECT_EQ(run.seen, c.seen) << c.icons;
        EXPECT_EQ(Boxes(), c.boxes) << c.icons;
    }
}

}  // namespace
