// Program Manager DDE. shell32.dll must be missing for shellInit to take this
// way, so the cases run in a copy of this program that cannot load it. They
// talk to our own server (progman_server), whose log shows every command as
// it arrived, and to Wine's own Program Manager. OnlyServer makes sure that
// the conversation is with the server meant (or, for "no server", with
// nobody).
#include <windows.h>
// After windows.h, which it needs.
#include <dde.h>
#include <ddeml.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "shell/envquery.h"
#include "shell/progman.h"
#include "shell/shellgroup.h"
#include "shell/shelllink.h"
#include "shell/shelltext.h"
#include "tests/win/shelltest.h"

namespace {

const char kGroup[] = "Acme Fonts";
const char kWineGroup[] = "Setup Wine Progman";

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// --- Cases for the copy without shell32.dll.

void ShellTakesProgmanWithoutShell32() {
    EXPECT_EQ(LinkToShell(), 0);
    // The forwarders fail without calling anything.
    LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_TRUE(FAILED(SHGetSpecialFolderLocation(nullptr, csidlStartMenu, &list)));
    EXPECT_EQ(list, nullptr);
    char path[MAX_PATH] = "unchanged";
    EXPECT_FALSE(SHGetPathFromIDList(nullptr, path));
    EXPECT_STREQ(path, "");

    ProgmanServer server;
    ASSERT_TRUE(server.Started());
    OnlyServer filter(server.Pid());
    ASSERT_EQ(shellInit(), 1);
    EXPECT_EQ(bUseShellDll, 0);
    EXPECT_EQ(PartnerPid(), server.Pid());
    shellDeinit();
    EXPECT_EQ(hConv, nullptr);
    EXPECT_EQ(idInst, 0u);
    std::vector<std::string> expect = {"CONNECT", "DISCONNECT"};
    EXPECT_EQ(server.Stop(), expect);
}

// The commands of one group with three items, for each version code.
void CommandTextsAndOrderFollowTheVersion() {
    const std::string v310 = NeModule(VersionBlock16(0x0003000A, 0));
    const std::string v4 = NeModule(VersionBlock16(0x00040000, 0));
    const std::string items[] = {
        Executed("[AddItem( C:\\ACME\\VIEW.EXE a.txt, Viewer, C:\\ACME\\VIEW.ICO )]"),
        Executed("[AddItem( C:\\ACME\\INFO.EXE, Product Info )]"),
        Executed("[AddItem( C:\\ACME\\PLAIN.EXE, Plain )]"),
    };
    struct Case {
        const char* what;
        const std::string* userExe;  // null: Wine's own (code 0)
        bool showGroup;
    } cases[] = {
        {"Wine's USER.EXE, code 0", nullptr, true}, {"3.10", &v310, true}, {"4.0", &v4, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<UserExeSwap> swap(c.userExe ? new UserExeSwap(c.userExe) : nullptr);
        ProgmanServer server;
        ASSERT_TRUE(server.Started());
        OnlyServer filter(server.Pid());
        ASSERT_EQ(shellInit(), 1);
        EXPECT_EQ(shellMakeFolder(kGroup), 1);
        EXPECT_EQ(
            shellMakeShortcut(kGroup, "C:\\ACME\\VIEW.EXE a.txt", "Viewer", "C:\\ACME\\VIEW.ICO"),
            1);
        EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\ACME\\INFO.EXE", "Product Info", nullptr), 1);
        EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\ACME\\PLAIN.EXE", "Plain", ""), 1);
        shellDeinit();
        std::vector<std::string> expect = {"CONNECT", Executed("[CreateGroup(Acme Fonts)]")};
        if (c.showGroup) {
            expect.push_back(Executed("[ShowGroup(Acme Fonts, 2 )]"));
            expect.push_back(Executed("[ShowGroup(Acme Fonts, 1 )]"));
        }
        expect.insert(expect.end(), std::begin(items), std::end(items));
        expect.push_back("DISCONNECT");
        EXPECT_EQ(server.Stop(), expect);
    }
}

// Program Manager refusing a command fails the step that sent it, except the
// first ShowGroup, whose result does not count.
void RejectedCommandsFailTheirStep() {
    struct Case {
        const char* reject;
        int folder;
        int shortcut;
        size_t commands;  // commands sent
    } cases[] = {
        {"[AddItem(", 1, 0, 4},
        {"[ShowGroup(Acme Fonts, 2", 1, 1, 4},
        {"[ShowGroup(Acme Fonts, 1", 0, 1, 4},
        {"[CreateGroup(", 0, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reject);
        ProgmanServer server({"--reject", c.reject});
        ASSERT_TRUE(server.Started());
        OnlyServer filter(server.Pid());
        ASSERT_EQ(shellInit(), 1);
        EXPECT_EQ(shellMakeFolder(kGroup), c.folder);
        EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\ACME\\VIEW.EXE", "Viewer", nullptr), c.shortcut);
        shellDeinit();
        std::vector<std::string> log = server.Stop();
        ASSERT_EQ(log.size(), c.commands + 2);
        size_t rejected = 0;
        for (const std::string& line : log)
            if (line.find(" reject [") != std::string::npos) ++rejected;
        EXPECT_EQ(rejected, 1u);
    }
}

// A command that is not answered within 1000 ms fails; nothing is sent again.
void UnansweredCommandFailsAfterOneSecond() {
    ProgmanServer server({"--stall", "[AddItem("});
    ASSERT_TRUE(server.Started());
    OnlyServer filter(server.Pid());
    ASSERT_EQ(shellInit(), 1);
    ASSERT_EQ(shellMakeFolder(kGroup), 1);
    DWORD start = GetTickCount();
    EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\ACME\\SLOW.EXE", "Slow", nullptr), 0);
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 900u);
    EXPECT_LT(waited, 1450u);
    shellDeinit();
    std::vector<std::string> log = server.Stop();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[4], Executed("[AddItem( C:\\ACME\\SLOW.EXE, Slow )]", "stall"));
}

// Values wider than their fields, or commands over 99, are never sent cut.
void OverWideValuesSendNothing() {
    ProgmanServer server;
    ASSERT_TRUE(server.Started());
    OnlyServer filter(server.Pid());
    ASSERT_EQ(shellInit(), 1);
    const std::string group32(32, 'g');
    EXPECT_EQ(shellMakeFolder(group32.c_str()), 0);
    const std::string cmd83 = "C:\\" + std::string(80, 'c');
    const std::string cmd84 = cmd83 + "c";
    EXPECT_EQ(shellMakeShortcut("G", cmd84.c_str(), "T", nullptr), 0);
    EXPECT_EQ(shellMakeShortcut("G", cmd83.c_str(), "T", "I"), 0);
    EXPECT_EQ(shellMakeShortcut(group32.c_str(), "A.EXE", "T", nullptr), 0);
    EXPECT_EQ(shellMakeShortcut("G", cmd83.c_str(), "T", nullptr), 1);
    shellDeinit();
    std::vector<std::string> expect = {"CONNECT", Executed("[AddItem( " + cmd83 + ", T )]"),
                                       "DISCONNECT"};
    EXPECT_EQ(server.Stop(), expect);
}

void NoServerFailsShellInit() {
    OnlyServer filter(0);  // nobody may answer
    DWORD start = GetTickCount();
    EXPECT_EQ(shellInit(), 0);
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(bUseShellDll, 0);
    EXPECT_EQ(hConv, nullptr);
    EXPECT_EQ(idInst, 0u);  // what the failed opening made is released
}

// The server ends the conversation after the first item: the next command
// fails at once, without waiting for the time-out of 1000 ms.
void EndedConversationFailsTheNextCommandAtOnce() {
    ProgmanServer server({"--end-after", "4"});
    ASSERT_TRUE(server.Started());
    OnlyServer filter(server.Pid());
    ASSERT_EQ(shellInit(), 1);
    ASSERT_EQ(shellMakeFolder(kGroup), 1);
    ASSERT_EQ(shellMakeShortcut(kGroup, "C:\\ACME\\ONE.EXE", "One", nullptr), 1);
    ASSERT_TRUE(server.WaitForLine("END", 5000));

    DWORD start = GetTickCount();
    EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\ACME\\TWO.EXE", "Two", nullptr), 0);
    EXPECT_LT(GetTickCount() - start, 500u);
    PumpMessages();
    start = GetTickCount();
    EXPECT_EQ(shellMakeShortcut(kGroup, "C:\\ACME\\THREE.EXE", "Three", nullptr), 0);
    EXPECT_LT(GetTickCount() - start, 500u);
    std::cout << "after the server ended the conversation and messages were pumped, hConv is "
              << (hConv ? "still set" : "zero") << "\n";
    shellDeinit();
    std::vector<std::string> log = server.Stop();
    ASSERT_GE(log.size(), 6u);
    EXPECT_EQ(log[4], Executed("[AddItem( C:\\ACME\\ONE.EXE, One )]"));
    EXPECT_EQ(log.back(), "END");
}

// Without the shell the font directory follows the version code.
void FontDirWithoutShell32FollowsTheVersion() {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string v310 = NeModule(VersionBlock16(0x0003000A, 0));
    const std::string v4 = NeModule(VersionBlock16(0x00040000, 0));
    struct Case {
        const char* what;
        bool swap;
        const std::string* userExe;
        std::string dir;
    } cases[] = {
        {"Wine's USER.EXE", false, nullptr, SystemDirectory()},
        {"4.0", true, &v4, std::string(windows) + "\\fonts"},
        {"3.10", true, &v310, SystemDirectory()},
        {"no USER.EXE", true, nullptr, SystemDirectory()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<UserExeSwap> swap(c.swap ? new UserExeSwap(c.userExe) : nullptr);
        char dir[260];
        GetWinFontDir(dir, sizeof dir);
        EXPECT_EQ(std::string(dir), c.dir);
    }
}

// Wine's own Program Manager, the desktop process's server.
void WineProgmanTakesTheCommands() {
    ASSERT_EQ(shellInit(), 1);
    EXPECT_EQ(bUseShellDll, 0);
    EXPECT_NE(PartnerPid(), GetCurrentProcessId());
    EXPECT_EQ(shellMakeFolder(kWineGroup), 1);
    EXPECT_EQ(shellMakeShortcut(kWineGroup, "C:\\windows\\notepad.exe", "Notepad",
                                "C:\\windows\\notepad.exe"),
              1);
    EXPECT_EQ(shellMakeShortcut(kWineGroup, "C:\\windows\\regedit.exe", "Registry", nullptr), 1);
    // Wine looks the whole command line up as one program file: with an
    // argument it finds none and refuses the item.
    EXPECT_EQ(shellMakeShortcut(kWineGroup, "C:\\windows\\notepad.exe C:\\readme.txt",
                                "Notepad Readme", nullptr),
              0);
    shellDeinit();
}

const struct {
    const char* mode;
    const char* name;
    void (*body)();
} kCopyCases[] = {
    {"noshell", "ShellTakesProgmanWithoutShell32", ShellTakesProgmanWithoutShell32},
    {"noshell", "CommandTextsAndOrderFollowTheVersion", CommandTextsAndOrderFollowTheVersion},
    {"noshell", "RejectedCommandsFailTheirStep", RejectedCommandsFailTheirStep},
    {"noshell", "UnansweredCommandFailsAfterOneSecond", UnansweredCommandFailsAfterOneSecond},
    {"noshell", "OverWideValuesSendNothing", OverWideValuesSendNothing},
    {"noshell", "NoServerFailsShellInit", NoServerFailsShellInit},
    {"noshell", "EndedConversationFailsTheNextCommandAtOnce",
     EndedConversationFailsTheNextCommandAtOnce},
    {"noshell", "FontDirWithoutShell32FollowsTheVersion", FontDirWithoutShell32FollowsTheVersion},
    {"wineprogman", "WineProgmanTakesTheCommands", WineProgmanTakesTheCommands},
};

const bool registered = [] {
    for (const auto& c : kCopyCases) RegisterCopyCase(c.mode, c.name, c.body, __FILE__, __LINE__);
    return true;
}();

// --- Cases of win_tests itself.

TEST(ProgmanDde, CasesInACopyWithoutShell32) {
    CopyRun run = RunInCopy("noshell", "win_tests_noshell", true, "*");
    EXPECT_TRUE(CopyPassed(run, 8)) << run.output;
}

TEST(ProgmanDde, DisconnectClearsTheConversation) {
    HCONV saved = hConv;
    hConv = reinterpret_cast<HCONV>(0x1234);
    const UINT others[] = {XTYP_ERROR, XTYP_XACT_COMPLETE, XTYP_REGISTER, XTYP_UNREGISTER};
    for (UINT type : others) {
        EXPECT_EQ(DDECallback(type, 0, nullptr, nullptr, nullptr, nullptr, 0, 0), nullptr);
        EXPECT_EQ(hConv, reinterpret_cast<HCONV>(0x1234)) << type;
    }
    EXPECT_EQ(DDECallback(XTYP_DISCONNECT, 0, hConv, nullptr, nullptr, nullptr, 0, 0), nullptr);
    EXPECT_EQ(hConv, nullptr);
    hConv = saved;
}

TEST(WineProgman, MakesTheGroupFolderAndItsLinks) {
    ASSERT_EQ(LinkToShell(), 1);
    char startMenu[MAX_PATH];
    ASSERT_TRUE(ShellFolderPath(csidlStartMenu, startMenu));
    UnlinkFromShell();
    const std::string folder = std::string(startMenu) + "\\Programs\\" + kWineGroup;
    RemoveFolder(folder);

    const std::vector<DWORD> explorers = ExplorerProcesses();
    CopyRun run = RunInCopy("wineprogman", "win_tests_progman", true, "*");
    // The group's folder windows would outlive the tests.
    std::cout << "folder windows opened by Wine's Program Manager: " << EndExplorersSince(explorers)
              << "\n";
    ASSERT_TRUE(CopyPassed(run, 1)) << run.output;
    ASSERT_TRUE(Exists(folder));
    struct Item {
        const char* title;
        const char* program;
    } items[] = {{"Notepad", "notepad.exe"}, {"Registry", "regedit.exe"}};
    for (const Item& item : items) {
        SCOPED_TRACE(item.title);
        LinkInfo info;
        ASSERT_TRUE(ReadLink(folder + "\\" + item.title + ".lnk", info));
        std::cout << "Wine's Program Manager made \"" << item.title << ".lnk\": path \""
                  << info.path << "\", arguments \"" << info.arguments << "\", working directory \""
                  << info.workDir << "\", description \"" << info.description << "\", icon \""
                  << info.iconFile << "\"," << info.iconIndex << "\n";
        EXPECT_EQ(info.path.substr(info.path.find_last_of('\\') + 1), item.program);
        EXPECT_EQ(info.description, item.title);
    }
    EXPECT_FALSE(Exists(folder + "\\Notepad Readme.lnk"));
    RemoveFolder(folder);
}

}  // namespace
