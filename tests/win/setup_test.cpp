// The backdrop window and the installation sequence, in-process: the real
// window class and window, the sequence run on a script in a scratch
// directory with its message boxes recorded.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "app/globals.h"
#include "app/setup_win.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "tests/unit/testenv.h"
#include "tests/win/uidriver.h"
#include "tools/common/arcwriter.h"
#include "ui/intro_win.h"
#include "ui/status_win.h"

namespace {

// A path that fills the buffer comes back cut and terminated, where
// GetModuleFileNameA leaves it without its NUL.
TEST(ModuleFileName, TerminatesAPathThatFillsTheBuffer) {
    char full[MAX_PATH];
    const DWORD n = ModuleFileName(nullptr, full, MAX_PATH);
    ASSERT_GT(n, 8u);
    ASSERT_EQ(strlen(full), n);
    for (DWORD size : {DWORD(1), DWORD(8), n, n + 1}) {
        char buf[MAX_PATH + 1];
        memset(buf, '#', sizeof buf);
        DWORD kept = size > n ? n : size - 1;
        EXPECT_EQ(ModuleFileName(nullptr, buf, size), kept) << size;
        EXPECT_EQ(std::string(buf), std::string(full, kept)) << size;
    }
}

TEST(MainWindow, CoversTheScreenInBlueWithItsCaptionAbove) {
    BufCopy(szTitle, "Sample Fonts");
    ASSERT_TRUE(InitApplication(GetModuleHandleA(nullptr)));
    HWND window = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_TRUE(window);
    ShowWindow(window, SW_SHOWMAXIMIZED);

    RECT rect, client;
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    // The caption lies wholly above the screen, the frame just outside it.
    EXPECT_LE(rect.top, -GetSystemMetrics(SM_CYCAPTION));
    EXPECT_LT(rect.left, 0);
    EXPECT_GT(rect.right, width);
    EXPECT_GT(rect.bottom, height);
    EXPECT_TRUE(IsZoomed(window));

    char caption[80];
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Sample Fonts Installation");
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), WS_CAPTION);
    LOGBRUSH brush;
    GetObjectA(reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)), sizeof brush,
               &brush);
    EXPECT_EQ(brush.lbColor, RGB(0, 64, 192));
    EXPECT_TRUE(GetClassLongPtrA(window, GCLP_HICON));
    DestroyWindow(window);
}

// A media directory with a script and a readme, the globals of a program
// started from it, and a hidden owner window for the dialogs. Install runs
// the sequence while the driver closes the intro box and presses OK in the
// options dialog, unless a test has given the driver other steps.
class Sequence : public testing::Test {
protected:
    void SetUp() override {
        hInst = GetModuleHandleA(nullptr);
        BufFormat(exe_dir, "%s\\", media.Path().c_str());
        BufFormat(szIniFile, "%sinstall.ini", exe_dir);
        BufCopy(szTitle, "Sample Fonts");
        bSDCancelled = 0;
        hMainWnd =
            CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, hInst, nullptr);
        WriteFile(media / "readme.txt", "read me");
    }
    void TearDown() override {
        DestroyWindow(hMainWnd);
        hMainWnd = nullptr;
        bSDCancelled = 0;
    }

    void Script(const std::string& install, const std::string& more = "") {
        script = "[Install]\r\nname=Sample Fonts\r\n" + install + more;
        WriteFile(media / "install.ini", script);
    }

    static HWND Options() { return UiDriver::Dialog("Sample Fonts Installation Options"); }

    // The intro box goes first; the options dialog never shows meanwhile.
    void CloseIntro() {
        driver.Then([this] {
            if (!hIntroDlg) return false;
            introBeforeOptions = !Options();
            PostMessageA(hIntroDlg, WM_COMMAND, IDOK, 0);
            return true;
        });
    }

    // OK once the dialog has done its start-up and enabled it.
    void PressOk() {
        driver.Then([] {
            HWND dialog = Options();
            if (!dialog || !IsWindowEnabled(GetDlgItem(dialog, IDC_OPT_OK))) return false;
            UiDriver::Click(dialog, IDC_OPT_OK);
            return true;
        });
    }

    int Install() {
        if (driver.Done()) {
            CloseIntro();
            PressOk();
        }
        int result = doInstallation();
        EXPECT_TRUE(driver.Done()) << "the intro box or the options dialog did not show";
        EXPECT_TRUE(introBeforeOptions);
        return result;
    }

    // One package whose only archive, F1.ARC, is not beside the program.
    static constexpr const char* kDiskScript =
        "[Packages]\r\nFonts=Sample fonts,FONTS,1,10,FF1,0\r\n[Disk1]\r\nFonts1=F1.ARC\r\n";
    static void MakeArchive(const std::string& path) {
        ArcWriter writer;
        ASSERT_TRUE(writer.Create(path.c_str()) && writer.AddData("ONE.TXT", "1", 1, 0x2A215800) &&
                    writer.Finish());
    }

    ScratchDir media, target, other;
    MessageBoxRecorder boxes;
    UiDriver driver;
    bool introBeforeOptions = false;
    std::string script;
};

TEST_F(Sequence, CopiesReadmeAndScriptAndDeletesTheScriptCopy) {
    std::string dest = target / "Fonts\\Sample";
    Script("BaseDir=" + dest + "\r\ndisks=0\r\n");
    EXPECT_EQ(Install(), 1);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Install Completed !");
    EXPECT_EQ(boxes.boxes[0].caption, "Sample Fonts");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(boxes.boxes[0].owner, hMainWnd);
    std::string upper = dest;
    StrUpper(&upper[0]);
    EXPECT_EQ(dest_path, upper);
    EXPECT_EQ(ReadFile(dest + "\\readme.txt"), "read me");
    EXPECT_EQ(std::string(szIniFile), upper + "\\install.ini");
    EXPECT_FALSE(FileExists(dest + "\\install.ini"));
    EXPECT_EQ(ReadFile(media / "install.ini"), script);
    EXPECT_EQ(bDestIsWindows, 0);
}

// The program's own directory as the destination: nothing is copied onto
// itself, and the medium keeps its script and readme to the end.
TEST_F(Sequence, TheMediumAsDestinationKeepsItsScript) {
    Script("BaseDir=" + media.Path() + "\r\ndisks=0\r\n");
    EXPECT_EQ(Install(), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Install Completed !");
    EXPECT_EQ(ReadFile(media / "install.ini"), script);
    EXPECT_EQ(ReadFile(media / "readme.txt"), "read me");
}

// Cancel in the status window while the disk prompt waits: the package
// finishes, then "Install Cancelled !" and the script copy is deleted.
TEST_F(Sequence, CancelledExtractionEndsWithItsOwnMessage) {
    std::string dest = target / "DEST";
    Script("BaseDir=" + dest + "\r\ndisks=1\r\n", kDiskScript);
    MakeArchive(other / "F1.ARC");
    CloseIntro();
    PressOk();
    driver.Then([this] {
        HWND prompt = UiDriver::Dialog("Disk Needed");
        if (!prompt) return false;
        UiDriver::Click(hStatusDlg, IDCANCEL);
        SetDlgItemTextA(prompt, IDC_DISK_DIR, other.Path().c_str());
        UiDriver::Click(prompt, IDOK);
        return true;
    });
    EXPECT_EQ(Install(), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Install Cancelled !");
    EXPECT_EQ(boxes.boxes[0].caption, "Sample Fonts");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(ReadFile(dest + "\\FONTS\\ONE.TXT"), "1");
    EXPECT_FALSE(FileExists(dest + "\\install.ini"));
}

// The disk prompt cancelled and confirmed: the sequence ends at once and
// leaves the readme and the script copy.
TEST_F(Sequence, CancelledDiskPromptEndsTheInstallation) {
    std::string dest = target / "DEST";
    Script("BaseDir=" + dest + "\r\ndisks=1\r\n", kDiskScript);
    boxes.Answer(IDYES);
    CloseIntro();
    PressOk();
    driver.Then([] {
        HWND prompt = UiDriver::Dialog("Disk Needed");
        if (!prompt) return false;
        UiDriver::Click(prompt, IDCANCEL);
        return true;
    });
    EXPECT_EQ(Install(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Cancel Confirmation");
    EXPECT_EQ(ReadFile(dest + "\\readme.txt"), "read me");
    EXPECT_TRUE(FileExists(dest + "\\install.ini"));
}

TEST_F(Sequence, WindowsDirectoryGetsOnlyTheScriptCopyForAWhile) {
    Script("BaseDir=%W\r\ndisks=0\r\n");
    std::string windows = WindowsDir();
    ASSERT_FALSE(FileExists(windows + "\\readme.txt"));
    EXPECT_EQ(Install(), 1);
    EXPECT_EQ(bDestIsWindows, 1);
    EXPECT_FALSE(FileExists(windows + "\\readme.txt"));
    EXPECT_FALSE(FileExists(windows + "\\install.ini"));
    EXPECT_EQ(std::string(szIniFile), std::string(dest_path) + "\\install.ini");
}

// A destination whose script copy would not fit in 143 characters: nothing
// is copied, no script is in use, and the original script is left alone;
// the extraction then finds no script and ends the installation.
TEST_F(Sequence, TooLongADestinationCopiesNothing) {
    std::string dest = target.Path() + "\\";
    dest += std::string(140 - dest.size(), 'D');
    Script("BaseDir=" + dest + "\r\ndisks=0\r\n");
    EXPECT_EQ(Install(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Couldn't read install.ini");
    EXPECT_STREQ(szIniFile, "");
    EXPECT_TRUE(PfIsDirectory(dest.c_str()));
    EXPECT_FALSE(FileExists(dest + "\\readme.txt"));
    EXPECT_FALSE(FileExists(dest + "\\install.ini"));
    EXPECT_EQ(ReadFile(media / "install.ini"), script);
}

// The directory typed in the options dialog, in small letters, is where the
// readme and the script copy go, in capital letters.
TEST_F(Sequence, OptionsDialogChoosesTheDestination) {
    Script("BaseDir=" + (target / "DEFAULT") + "\r\ndisks=0\r\n");
    std::string typed = target / "chosen";
    CloseIntro();
    driver.Then([&] {
        HWND dialog = Options();
        if (!dialog || !IsWindowEnabled(GetDlgItem(dialog, IDC_OPT_OK))) return false;
        SetDlgItemTextA(dialog, IDC_OPT_DIR, typed.c_str());
        UiDriver::Click(dialog, IDC_OPT_OK);
        return true;
    });
    EXPECT_EQ(Install(), 1);
    std::string upper = typed;
    StrUpper(&upper[0]);
    EXPECT_EQ(dest_path, upper);
    EXPECT_EQ(ReadFile(typed + "\\readme.txt"), "read me");
    EXPECT_FALSE(PfIsDirectory((target / "DEFAULT").c_str()));
}

// A default destination that does not fit once expanded is not offered cut:
// the directory field is empty, for the user to fill.
TEST_F(Sequence, ADestinationTooLongOnceExpandedIsNotOffered) {
    std::string codes;
    for (int i = 0; i < 40; ++i) codes += "%W";
    Script("BaseDir=C:\\" + codes + "\r\ndisks=0\r\n");
    std::string offered = "unread", typed = target / "chosen";
    CloseIntro();
    // The empty field leaves OK disabled until a directory is typed.
    driver.Then([&] {
        HWND dialog = Options();
        if (!dialog || Text(dialog, IDC_OPT_DESTLABEL) != "No drive") return false;
        offered = Text(dialog, IDC_OPT_DIR);
        SetDlgItemTextA(dialog, IDC_OPT_DIR, typed.c_str());
        return true;
    });
    PressOk();
    EXPECT_EQ(Install(), 1);
    EXPECT_EQ(offered, "");
    EXPECT_EQ(bDestIsWindows, 0);
    EXPECT_EQ(ReadFile(typed + "\\readme.txt"), "read me");
}

// Cancel confirmed in the options dialog: the sequence ends at once, with
// only the question asked and nothing created.
TEST_F(Sequence, OptionsCancelledEndsTheInstallation) {
    std::string dest = target / "DEST";
    Script("BaseDir=" + dest + "\r\ndisks=0\r\n");
    boxes.Answer(IDYES);
    CloseIntro();
    driver.Then([] {
        HWND dialog = Options();
        if (!dialog || !IsWindowEnabled(GetDlgItem(dialog, IDC_OPT_OK))) return false;
        UiDriver::Click(dialog, IDCANCEL);
        return true;
    });
    EXPECT_EQ(Install(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Cancel Confirmation");
    EXPECT_FALSE(PfIsDirectory(dest.c_str()));
    EXPECT_EQ(ReadFile(media / "install.ini"), script);
}

TEST_F(Sequence, ProductInfoCommandIsTheSecondFieldExpanded) {
    struct Case {
        const char* icons;  // the "Icons" section's lines
        const char* dest;
        const char* command;  // null: nothing to start
    } cases[] = {
        {"", "C:\\DEST", nullptr},
        {"ProdInfo=\r\n", "C:\\DEST", nullptr},
        {"ProdInfo=Information\r\n", "C:\\DEST", nullptr},
        {"Other=Information,notepad.exe\r\n", "C:\\DEST", nullptr},
        {"ProdInfo=Information,notepad.exe %I\\INFO.TXT\r\n", "C:\\DEST",
         "notepad.exe C:\\DEST\\INFO.TXT"},
        {"ProdInfo=,,Information,,view.exe,ignored\r\n", "C:\\DEST", "view.exe"},
        {"ProdInfo=Information,view.exe %I %I\r\n", nullptr, nullptr},
    };
    // The reader takes 299 characters: a command cut there is not started.
    const std::string title(280, 't'), cut = "ProdInfo=" + title + ",view.exe /a /b /c /d\r\n",
                                       after = "ProdInfo=" + title + ",view.exe," + std::string(20, 'c') + "\r\n";
    const Case longer[] = {{cut.c_str(), "C:\\DEST", nullptr},
                           {after.c_str(), "C:\\DEST", "view.exe"}};
    const std::string longDest = "C:\\" + std::string(250, 'L');
    std::vector<Case> all(std::begin(cases), std::end(cases));
    all.insert(all.end(), std::begin(longer), std::end(longer));
    for (const Case& c : all) {
        Script("", std::string("[Icons]\r\n") + c.icons);
        BufCopy(dest_path, c.dest ? c.dest : longDest.c_str());
        char command[400] = "";
        bool started = ProductInfoCommand(command, sizeof command);
        EXPECT_EQ(started, c.command != nullptr) << c.icons;
        if (c.command) {
            EXPECT_STREQ(command, c.command) << c.icons;
        }
    }
}

}  // namespace
