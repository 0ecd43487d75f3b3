// The backdrop window and the installation sequence, in-process: the real
// window class and window, the sequence run on a script in a scratch
// directory with its message boxes recorded.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/globals.h"
#include "app/setup_win.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tests/unit/testenv.h"

namespace {

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

// A media directory with a script and a readme, and the globals of a
// program started from it.
class Sequence : public testing::Test {
protected:
    void SetUp() override {
        BufFormat(exe_dir, "%s\\", media.Path().c_str());
        BufFormat(szIniFile, "%sinstall.ini", exe_dir);
        BufCopy(szTitle, "Sample Fonts");
        bSDCancelled = 0;
        hMainWnd = reinterpret_cast<HWND>(0x1234);
        WriteFile(media / "readme.txt", "read me");
    }
    void TearDown() override {
        hMainWnd = nullptr;
        bSDCancelled = 0;
    }

    void Script(const std::string& install, const std::string& more = "") {
        script = "[Install]\r\nname=Sample Fonts\r\n" + install + more;
        WriteFile(media / "install.ini", script);
    }

    ScratchDir media, target;
    MessageBoxRecorder boxes;
    std::string script;
};

TEST_F(Sequence, CopiesReadmeAndScriptAndDeletesTheScriptCopy) {
    std::string dest = target / "Fonts\\Sample";
    Script("BaseDir=" + dest + "\r\n");
    EXPECT_EQ(doInstallation(), 1);

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

TEST_F(Sequence, CancelledExtractionEndsWithItsOwnMessage) {
    Script("BaseDir=" + (target / "DEST") + "\r\n");
    bSDCancelled = 1;
    EXPECT_EQ(doInstallation(), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Install Cancelled !");
    EXPECT_EQ(boxes.boxes[0].caption, "Sample Fonts");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_FALSE(FileExists(target / "DEST\\install.ini"));
}

TEST_F(Sequence, WindowsDirectoryGetsOnlyTheScriptCopyForAWhile) {
    Script("BaseDir=%W\r\n");
    std::string windows = WindowsDir();
    ASSERT_FALSE(FileExists(windows + "\\readme.txt"));
    EXPECT_EQ(doInstallation(), 1);
    EXPECT_EQ(bDestIsWindows, 1);
    EXPECT_FALSE(FileExists(windows + "\\readme.txt"));
    EXPECT_FALSE(FileExists(windows + "\\install.ini"));
    EXPECT_EQ(std::string(szIniFile), std::string(dest_path) + "\\install.ini");
}

// A destination whose script copy would not fit in 143 characters: nothing
// is copied, no script is in use, and the original script is left alone.
TEST_F(Sequence, TooLongADestinationCopiesNothing) {
    std::string dest = target.Path() + "\\";
    dest += std::string(140 - dest.size(), 'D');
    Script("BaseDir=" + dest + "\r\n");
    EXPECT_EQ(doInstallation(), 1);
    EXPECT_STREQ(szIniFile, "");
    EXPECT_TRUE(PfIsDirectory(dest.c_str()));
    EXPECT_FALSE(FileExists(dest + "\\readme.txt"));
    EXPECT_FALSE(FileExists(dest + "\\install.ini"));
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
    const std::string longDest = "C:\\" + std::string(250, 'L');
    for (const Case& c : cases) {
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
