// AddExeItems in-process: the status window around the icons, the links it
// makes from a script, and what the user sees when the icons cannot be made.
// Program Manager cases run in a copy of this program without shell32.dll,
// against our own server.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "shell/progman.h"
#include "shell/shellgroup.h"
#include "shell/shelllink.h"
#include "tests/unit/testenv.h"
#include "tests/win/shelltest.h"
#include "tests/win/uidriver.h"

namespace {

// A message box as the user met it, with the state of the status window.
struct Seen {
    std::string text;
    std::string caption;
    unsigned type;
    HWND owner;
    bool statusOpen;  // hStatusDlg was the visible "Install" window
    std::string statusLine;
};
std::vector<Seen>* seen;

int RecordBox(HWND owner, const char* text, const char* caption, unsigned type) {
    Seen box{text, caption, type, owner, false, ""};
    if (HWND status = UiDriver::Dialog("Install")) {
        box.statusOpen = status == hStatusDlg;
        char line[100] = "";
        GetDlgItemTextA(status, IDC_STATUS_LINE1, line, sizeof line);
        box.statusLine = line;
    }
    seen->push_back(box);
    return IDOK;
}

// A script in a scratch directory, the globals AddExeItems reads, a main
// window of this thread, and the boxes it shows, while it lives.
class IconEnv {
public:
    IconEnv() {
        seen = &boxes;
        previous_ = PfSetMessageBoxHook(RecordBox);
        hInst = GetModuleHandleA(nullptr);
        hMainWnd =
            CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, hInst, nullptr);
        BufFormat(dest_path, "%s\\DEST", dir.Path().c_str());
        BufFormat(szIniFile, "%s\\install.ini", dir.Path().c_str());
        bSDCancelled = 0;
    }
    ~IconEnv() {
        PfSetMessageBoxHook(previous_);
        seen = nullptr;
        DestroyWindow(hMainWnd);
        hMainWnd = nullptr;
        szIniFile[0] = '\0';
        dest_path[0] = '\0';
        bSDCancelled = 0;
    }
    IconEnv(const IconEnv&) = delete;
    IconEnv& operator=(const IconEnv&) = delete;

    void Script(const std::string& icons) const {
        WriteFile(szIniFile, "[Install]\r\nname=Test\r\n" + icons);
    }

    // Runs AddExeItems and checks its finish: the window gone, the focus home.
    void Run() const {
        SetFocus(nullptr);
        AddExeItems();
        EXPECT_EQ(hStatusDlg, nullptr);
        EXPECT_EQ(UiDriver::Dialog("Install"), nullptr);
        EXPECT_EQ(GetFocus(), hMainWnd);
    }

    // The one box shown, seen over the open status window.
    void ExpectOneBoxOverTheStatus(const char* text) const {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].caption, "Setup");
        EXPECT_EQ(boxes[0].type, unsigned(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(boxes[0].owner, hMainWnd);
        EXPECT_TRUE(boxes[0].statusOpen);
        EXPECT_EQ(boxes[0].statusLine, "Installing Desktop Icons");
    }

    static std::string Dest(const std::string& name) { return std::string(dest_path) + name; }

    ScratchDir dir;
    std::vector<Seen> boxes;

private:
    PfMessageBoxHook previous_ = nullptr;
};

// The Programs folder of the Start menu, and two group folders of our own in
// it, removed before and after.
class LinkRun : public testing::Test {
protected:
    void SetUp() override {
        char startMenu[MAX_PATH];
        ASSERT_TRUE(LinkToShell());
        ASSERT_TRUE(ShellFolderPath(csidlStartMenu, startMenu));
        UnlinkFromShell();
        programs = std::string(startMenu) + "\\Programs\\";
        for (const char* group : kGroups) RemoveFolder(programs + group);
    }
    void TearDown() override {
        for (const char* group : kGroups) RemoveFolder(programs + group);
    }

    static constexpr const char* kGroups[2] = {"Setup Icons One", "Setup Icons Two"};
    IconEnv env;
    std::string programs;
};

// Two groups, a ProdInfo, icons with and without icon files, then a title
// that names no file: "Unable to add icon." over the status window, and the
// entry after it is not made. Opening the window clears a cancel left over.
TEST_F(LinkRun, MakesTheScriptsLinksUntilAnIconFails) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    env.Script(
        "[Icons]\r\n"
        "GroupName=Setup Icons One\r\n"
        "ProdInfo=Product Info,%I\\INFO.EXE /about\r\n"
        "Viewer=%I\\VIEW.EXE %I\\README.TXT,%I\\VIEW.ICO\r\n"
        "Plain=%I\\PLAIN.EXE\r\n"
        "GroupName=Setup Icons Two\r\n"
        "Notepad=%W\\notepad.exe,%W\\notepad.exe\r\n"
        "Bad\\Title=%I\\BAD.EXE\r\n"
        "After=%I\\AFTER.EXE\r\n");
    bSDCancelled = 1;
    env.Run();
    env.ExpectOneBoxOverTheStatus("Unable to add icon.");
    EXPECT_EQ(bSDCancelled, 0);

    const std::string one = programs + kGroups[0] + "\\", two = programs + kGroups[1] + "\\";
    struct Link {
        std::string file, path, arguments, workDir, description, iconFile;
    } links[] = {
        {one + "Product Info.lnk", env.Dest("\\INFO.EXE"), "/about", dest_path, "Product Info", ""},
        {one + "Viewer.lnk", env.Dest("\\VIEW.EXE"), env.Dest("\\README.TXT"), dest_path, "Viewer",
         env.Dest("\\VIEW.ICO")},
        {one + "Plain.lnk", env.Dest("\\PLAIN.EXE"), "", dest_path, "Plain", ""},
        {two + "Notepad.lnk", std::string(windows) + "\\notepad.exe", "", windows, "Notepad",
         std::string(windows) + "\\notepad.exe"},
    };
    for (const Link& link : links) {
        SCOPED_TRACE(link.file);
        LinkInfo info;
        ASSERT_TRUE(ReadLink(link.file, info));
        EXPECT_EQ(lstrcmpiA(info.path.c_str(), link.path.c_str()), 0) << info.path;
        EXPECT_EQ(info.arguments, link.arguments);
        EXPECT_EQ(lstrcmpiA(info.workDir.c_str(), link.workDir.c_str()), 0) << info.workDir;
        EXPECT_EQ(info.description, link.description);
        EXPECT_EQ(lstrcmpiA(info.iconFile.c_str(), link.iconFile.c_str()), 0) << info.iconFile;
    }
    EXPECT_FALSE(Exists(two + "After.lnk"));
    EXPECT_FALSE(Exists(two + "Bad"));
}

// Without icons the window opens and closes with nothing to show; a key list
// that does not fit is "Too many icons", shown after the window has gone.
TEST_F(LinkRun, NoIconsOrTooManyMakeNothing) {
    std::string tooMany = "[Icons]\r\nGroupName=Setup Icons One\r\n";
    for (int i = 0; i < 40; ++i) tooMany += "Icon number " + std::to_string(i) + "=X.EXE\r\n";
    struct Case {
        const char* what;
        std::string script;
        const char* box;  // null: none
    } cases[] = {
        {"no section", "", nullptr},
        {"an empty section", "[Icons]\r\n", nullptr},
        {"too many icons", tooMany, "Too many icons"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        env.boxes.clear();
        env.Script(c.script);
        env.Run();
        const std::vector<Seen>& boxes = env.boxes;
        ASSERT_EQ(boxes.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(boxes[0].text, c.box);
            EXPECT_EQ(boxes[0].caption, "Install");
            EXPECT_EQ(boxes[0].type, unsigned(MB_OK | MB_ICONSTOP));
            EXPECT_EQ(boxes[0].owner, nullptr);
            EXPECT_FALSE(boxes[0].statusOpen);
            EXPECT_EQ(boxes[0].statusLine, "");  // no status window at all
        }
        EXPECT_FALSE(Exists(programs + kGroups[0]));
    }
}

// --- Cases for the copy without shell32.dll: Program Manager DDE.

// Nobody serves "PROGMAN": "Unable to install icons." over the status
// window, even for a script without icons.
void NoServerIsUnableToInstallIcons() {
    IconEnv t;
    t.Script("");
    OnlyServer filter(0);
    t.Run();
    t.ExpectOneBoxOverTheStatus("Unable to install icons.");
    EXPECT_EQ(hConv, nullptr);
    EXPECT_EQ(idInst, 0u);
}

// One group of three items against a server that cancels, refuses or ends
// the conversation at the second item.
void TheWalkStopsAtACancelOrAFailedItem() {
    IconEnv t;
    BufCopy(dest_path, "C:\\ACME");
    t.Script(
        "[Icons]\r\n"
        "GroupName=Acme Fonts\r\n"
        "One=%I\\ONE.EXE\r\n"
        "Two=%I\\TWO.EXE,%I\\TWO.ICO\r\n"
        "Three=%I\\THREE.EXE\r\n");
    const std::string two = "[AddItem( C:\\ACME\\TWO.EXE, Two, C:\\ACME\\TWO.ICO )]";
    const std::vector<std::string> upToOne = {
        "CONNECT",
        Executed("[CreateGroup(Acme Fonts)]"),
        Executed("[ShowGroup(Acme Fonts, 2 )]"),
        Executed("[ShowGroup(Acme Fonts, 1 )]"),
        Executed("[AddItem( C:\\ACME\\ONE.EXE, One )]"),
    };
    struct Case {
        const char* what;
        std::vector<std::string> options;
        std::vector<std::string> after;  // the log after the first item
        const char* box;                 // null: none
    } cases[] = {
        {"cancel",
         {"--cancel-at", "[AddItem( C:\\ACME\\TWO"},
         {Executed(two), "CANCEL Installing Desktop Icons", "DISCONNECT"},
         nullptr},
        {"refused",
         {"--reject", "[AddItem( C:\\ACME\\TWO"},
         {Executed(two, "reject"), "DISCONNECT"},
         "Unable to add icon."},
        {"ended", {"--end-after", "4"}, {"END"}, "Unable to add icon."},
        {"all made",
         {},
         {Executed(two), Executed("[AddItem( C:\\ACME\\THREE.EXE, Three )]"), "DISCONNECT"},
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t.boxes.clear();
        ProgmanServer server(c.options);
        ASSERT_TRUE(server.Started());
        OnlyServer filter(server.Pid());
        t.Run();
        if (c.box) {
            t.ExpectOneBoxOverTheStatus(c.box);
        } else {
            EXPECT_TRUE(t.boxes.empty());
        }
        std::vector<std::string> expect = upToOne;
        expect.insert(expect.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(server.Stop(), expect);
        EXPECT_EQ(hConv, nullptr);
    }
}

const bool registered = [] {
    RegisterCopyCase("progmanicons", "NoServerIsUnableToInstallIcons",
                     NoServerIsUnableToInstallIcons, __FILE__, __LINE__);
    RegisterCopyCase("progmanicons", "TheWalkStopsAtACancelOrAFailedItem",
                     TheWalkStopsAtACancelOrAFailedItem, __FILE__, __LINE__);
    return true;
}();

TEST(AddExeItems, ProgramManagerCasesInACopyWithoutShell32) {
    CopyRun run = RunInCopy("progmanicons", "win_tests_progman_icons", true, "*");
    EXPECT_TRUE(CopyPassed(run, 2)) << run.output;
}

}  // namespace
