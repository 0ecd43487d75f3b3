// Shell links written through the real ShellLink object and read back, the
// loaders of shell32.dll and ole32.dll, and the font directory with shell32.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "shell/envquery.h"
#include "shell/shellgroup.h"
#include "shell/shelllink.h"
#include "tests/win/shelltest.h"

// Entry points of this program, for the name look-up of the shell loader.
extern "C" __declspec(dllexport) int ProbePlain() { return 1; }
extern "C" __declspec(dllexport) int ProbePlainA() { return 2; }
extern "C" __declspec(dllexport) int ProbeOnlyA() { return 3; }

namespace {

bool Loaded(const char* dll) {
    return GetModuleHandleA(dll) != nullptr;
}

std::string StartMenu() {
    char path[MAX_PATH];
    EXPECT_TRUE(LinkToShell());
    EXPECT_TRUE(ShellFolderPath(csidlStartMenu, path));
    return path;
}

// A group folder of its own under the Start menu's Programs folder.
class LinkTest : public testing::Test {
protected:
    void SetUp() override {
        programs_ = StartMenu() + "\\Programs";
        folder_ = programs_ + "\\" + kGroup;
        RemoveFolder(folder_);
    }
    void TearDown() override {
        RemoveFolder(folder_);
        UnlinkFromShell();
    }

    std::string LinkFile(const std::string& title) const { return folder_ + "\\" + title + ".lnk"; }

    static constexpr const char* kGroup = "Setup Link Test";
    std::string programs_, folder_;
};

TEST_F(LinkTest, LinkCreateSplitsTheCommandLineIntoTheLink) {
    ASSERT_TRUE(LinkToShellOle());
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    struct Case {
        const char* title;
        const char* cmdLine;
        const char* iconFile;
        const char* path;  // as stored; a relative one is resolved by the shell
        const char* arguments;
        bool hasArguments;
        const char* workDir;
        bool hasIcon;
    } cases[] = {
        {"Viewer", "C:\\FONTS\\VIEW.EXE README.TXT", "C:\\FONTS\\VIEW.ICO", "C:\\FONTS\\VIEW.EXE",
         "README.TXT", true, "C:\\FONTS", true},
        {"No blank", "C:\\FONTS\\VIEW.EXE", nullptr, "C:\\FONTS\\VIEW.EXE", "", false, "C:\\FONTS",
         false},
        {"Ends in a blank", "C:\\FONTS\\VIEW.EXE ", "", "C:\\FONTS\\VIEW.EXE", "", true,
         "C:\\FONTS", false},
        {"Blank in the path", "C:\\MY FONTS\\VIEW.EXE", nullptr, "C:\\MY", "FONTS\\VIEW.EXE", true,
         "C:", false},
        {"In the root", "C:\\VIEW.EXE -s", nullptr, "C:\\VIEW.EXE", "-s", true, "C:", false},
        {"No backslash", "VIEW.EXE", nullptr, "VIEW.EXE", "", false, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::string file = LinkFile(c.title);
        ASSERT_EQ(linkCreate(c.cmdLine, file.c_str(), c.title, c.iconFile), 1);
        LinkInfo info;
        ASSERT_TRUE(ReadLink(file, info));
        if (strchr(c.path, '\\')) {
            EXPECT_EQ(info.path, c.path);
        } else {
            EXPECT_EQ(info.path.substr(info.path.find_last_of('\\') + 1), c.path);
        }
        EXPECT_EQ(info.arguments, c.arguments);
        EXPECT_EQ((info.flags & linkHasArguments) != 0, c.hasArguments);
        EXPECT_EQ(info.workDir, c.workDir);
        EXPECT_EQ(info.description, c.title);
        EXPECT_EQ((info.flags & linkHasIconLocation) != 0, c.hasIcon);
        EXPECT_EQ(info.iconFile, c.hasIcon ? c.iconFile : "");
        EXPECT_EQ(info.iconIndex, 0);
    }
    UnlinkFromShellOle();
}

TEST_F(LinkTest, LinkCreateFailsWithoutSaving) {
    ASSERT_TRUE(LinkToShellOle());
    // No such folder: Save fails.
    std::string missing = folder_ + "\\missing\\Viewer.lnk";
    EXPECT_EQ(linkCreate("C:\\VIEW.EXE", missing.c_str(), "Viewer", nullptr), 0);
    EXPECT_FALSE(Exists(missing));
    // A command line longer than 259 is refused rather than cut.
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    std::string file = LinkFile("Long");
    std::string cmdLine = "C:\\" + std::string(257, 'A');
    EXPECT_EQ(linkCreate(cmdLine.c_str(), file.c_str(), "Long", nullptr), 0);
    EXPECT_FALSE(Exists(file));
    UnlinkFromShellOle();
    // Without ole32 loaded no object can be made.
    EXPECT_EQ(linkCreate("C:\\VIEW.EXE", file.c_str(), "Viewer", nullptr), 0);
    EXPECT_FALSE(Exists(file));
}

TEST_F(LinkTest, ShellWayMakesTheGroupFolderAndItsLinks) {
    ASSERT_EQ(shellInit(), 1);
    EXPECT_EQ(bUseShellDll, 1);
    ASSERT_EQ(shellMakeFolder(kGroup), 1);
    EXPECT_TRUE(Exists(folder_));

    EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\ACME\\VIEW.EXE a.txt", "Viewer", "C:\\ACME\\V.ICO"),
              1);
    EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\ACME\\INFO.EXE", "Product Info", nullptr), 1);
    LinkInfo info;
    ASSERT_TRUE(ReadLink(LinkFile("Viewer"), info));
    EXPECT_EQ(info.path, "C:\\ACME\\VIEW.EXE");
    EXPECT_EQ(info.arguments, "a.txt");
    EXPECT_EQ(info.workDir, "C:\\ACME");
    EXPECT_EQ(info.description, "Viewer");
    EXPECT_EQ(info.iconFile, "C:\\ACME\\V.ICO");
    ASSERT_TRUE(ReadLink(LinkFile("Product Info"), info));
    EXPECT_EQ(info.path, "C:\\ACME\\INFO.EXE");
    EXPECT_EQ(info.iconFile, "");

    // Refused, not cut: nothing is written for them.
    const std::string wide(152, 'c');
    EXPECT_EQ(shellMakeShortcut(kGroup, wide.c_str(), "Wide", nullptr), 0);
    EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\A.EXE", "Wide icon", wide.c_str()), 0);
    EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\A.EXE", "..\\Escaped", nullptr), 0);
    EXPECT_FALSE(Exists(programs_ + "\\Escaped.lnk"));
    const std::string longTitle(255 - folder_.size(), 't');  // the path would be 260
    EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\A.EXE", longTitle.c_str(), nullptr), 0);
    EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\A.EXE", longTitle.substr(1).c_str(), nullptr), 1);
    const std::string longGroup(32, 'g');
    EXPECT_EQ(shellMakeFolder(longGroup.c_str()), 0);
    EXPECT_EQ(shellMakeShortcut(longGroup.c_str(), "C:\\A.EXE", "A", nullptr), 0);
    EXPECT_FALSE(Exists(programs_ + "\\" + longGroup));
    EXPECT_FALSE(Exists(programs_ + "\\" + longGroup.substr(1)));
    shellDeinit();
}

// The plain name first, as shell32.dll exports SHGetPathFromIDList; the
// ANSI name only where the plain one is missing.
TEST(ShellLoaders, LookUpThePlainNameBeforeTheAnsiOne) {
    HMODULE self = GetModuleHandleA(nullptr);
    struct Case {
        const char* name;
        void* expect;
    } cases[] = {
        {"ProbePlain", reinterpret_cast<void*>(ProbePlain)},
        {"ProbeOnly", reinterpret_cast<void*>(ProbeOnlyA)},
        {"ProbeNone", nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reinterpret_cast<void*>(ShellEntry(self, c.name)), c.expect) << c.name;
}

TEST(WinFontDir, IsTheShellsFontsFolder) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    char dir[260 + 8];
    memset(dir, '#', sizeof dir);
    GetWinFontDir(dir, 260);
    EXPECT_EQ(lstrcmpiA(dir, (std::string(windows) + "\\Fonts").c_str()), 0) << dir;
    EXPECT_EQ(std::string(dir + 260, 8), std::string(8, '#'));

    // A smaller buffer is cut, never overrun.
    memset(dir, '#', sizeof dir);
    GetWinFontDir(dir, 6);
    EXPECT_EQ(std::string(dir, 6), std::string(windows, 5) + '\0');
    EXPECT_EQ(dir[6], '#');
}

// Cases for a fresh copy of this program, where nothing has loaded shell32.dll
// or ole32.dll yet, so their loading shows in the module list.
void LoadersLoadOnceAndAgainAfterUnloading() {
    ASSERT_FALSE(Loaded("shell32.dll"));
    ASSERT_EQ(LinkToShell(), 1);
    EXPECT_TRUE(Loaded("shell32.dll"));
    ASSERT_EQ(LinkToShell(), 1);
    UnlinkFromShell();  // one unload ends it: it was loaded once
    EXPECT_FALSE(Loaded("shell32.dll"));
    ASSERT_EQ(LinkToShell(), 1);
    EXPECT_TRUE(Loaded("shell32.dll"));
    UnlinkFromShell();
    EXPECT_FALSE(Loaded("shell32.dll"));

    // A forwarder whose entry point is unset loads the library itself.
    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, csidlStartMenu, &list), S_OK);
    char path[MAX_PATH] = "";
    EXPECT_TRUE(SHGetPathFromIDList(list, path));
    EXPECT_NE(strstr(path, "Start Menu"), nullptr) << path;
    EXPECT_TRUE(Loaded("shell32.dll"));
    UnlinkFromShell();

    // ole32.dll stays in memory once shell32.dll has used it under Wine; that
    // COM was initialised once shows instead: after one unload it is not.
    ASSERT_EQ(LinkToShellOle(), 1);
    EXPECT_TRUE(Loaded("ole32.dll"));
    ASSERT_EQ(LinkToShellOle(), 1);
    UnlinkFromShellOle();
    HMODULE ole32 = LoadLibraryA("ole32.dll");
    ASSERT_TRUE(ole32);
    auto coInitialize = reinterpret_cast<HRESULT(WINAPI*)(LPVOID)>(
        reinterpret_cast<void*>(GetProcAddress(ole32, "CoInitialize")));
    auto coUninitialize = reinterpret_cast<void(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(ole32, "CoUninitialize")));
    EXPECT_EQ(coInitialize(nullptr), S_OK);
    coUninitialize();
    FreeLibrary(ole32);
}

const bool registered = [] {
    RegisterCopyCase("fresh", "LoadersLoadOnceAndAgainAfterUnloading",
                     LoadersLoadOnceAndAgainAfterUnloading, __FILE__, __LINE__);
    return true;
}();

TEST(ShellLoaders, LoadOnceAndAgainAfterUnloadingInAFreshProcess) {
    CopyRun run = RunInCopy("fresh", "win_tests_fresh", false, "*");
    EXPECT_TRUE(CopyPassed(run, 1)) << run.output;
}

}  // namespace
