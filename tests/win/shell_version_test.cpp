// The version of USER.EXE: the words GetVerInfo reads from files made by our
// own generator, their codes, and FindWinVersion on the system's file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "shell/envquery.h"
#include "shell/shelltext.h"
#include "tests/win/shelltest.h"

namespace {

std::string TempDir() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return dir;
}

struct VersionCase {
    const char* what;
    std::string file;  // empty: no file
    uint32_t versionMS, versionLS;
    int code;
};

std::vector<VersionCase> VersionCases() {
    return {
        {"3.10", NeModule(VersionBlock16(0x0003000A, 0x00000067)), 0x0003000A, 0x00000067, wv310},
        {"3.11 build 300", NeModule(VersionBlock16(0x0003000B, 0x0000012C)), 0x0003000B, 0x0000012C,
         wv3xLate},
        {"3.11 build 299", NeModule(VersionBlock16(0x0003000B, 0x0000012B)), 0x0003000B, 0x0000012B,
         wv3xEarly},
        {"4.0", NeModule(VersionBlock16(0x00040000, 0x000003B6)), 0x00040000, 0x000003B6, wv4},
        {"no version resource", NeModule(""), 0, 0, wvOther},
        // 28 and 32 fall in the key: "IN" and "FO" of "VS_VERSION_INFO".
        {"a 32-bit block", NeModule(VersionBlock32(0x00040000, 0)), 0x004E0049, 0x004F0046,
         wvOther},
        // A resource of 60 bytes gets a 32-byte block: too short for the words.
        {"a block too short for the words", NeModule(VersionBlock16(0x0003000A, 0).substr(0, 60)),
         0, 0, wvOther},
        // Under 52 bytes the size computation wraps: the allocation fails.
        {"a block shorter than its fixed part",
         NeModule(VersionBlock16(0x0003000A, 0).substr(0, 40)), 0, 0, wvOther},
        {"no file", "", 0, 0, wvOther},
    };
}

TEST(GetVerInfo, ReadsTheWordsAtOffsets28And32) {
    const std::string path = TempDir() + "USER.EXE";
    for (const VersionCase& c : VersionCases()) {
        SCOPED_TRACE(c.what);
        DeleteFileA(path.c_str());
        if (!c.file.empty()) WriteBytes(path, c.file);
        DWORD ms = 0xdeadbeef, ls = 0xdeadbeef;
        GetVerInfo(path.c_str(), &ms, &ls);
        EXPECT_EQ(ms, c.versionMS);
        EXPECT_EQ(ls, c.versionLS);
        EXPECT_EQ(VersionCode(ms, ls), c.code);
    }
    DeleteFileA(path.c_str());
}

TEST(GetVerInfo, WinesOwnModulesGiveNoWindowsVersion) {
    DWORD ms, ls;
    GetVerInfo((SystemDirectory() + "\\USER.EXE").c_str(), &ms, &ls);
#ifdef _WIN64
    EXPECT_EQ(ms, 0u);  // the 64-bit side has no 16-bit modules
#else
    EXPECT_EQ(ms, 0x00010000u);  // a 16-bit module of version 1.0
#endif
    EXPECT_EQ(ls, 0u);
    GetVerInfo((SystemDirectory() + "\\user32.dll").c_str(), &ms, &ls);
    EXPECT_EQ(ms, 0x004E0049u);  // a 32-bit block: the key text
    EXPECT_EQ(VersionCode(ms, ls), wvOther);
    EXPECT_EQ(FindWinVersion(), wvOther);
}

// FindWinVersion reads the system directory's USER.EXE on every call.
TEST(FindWinVersion, ReadsTheSystemsUserExeEveryTime) {
    for (const VersionCase& c : VersionCases()) {
        SCOPED_TRACE(c.what);
        UserExeSwap swap(c.file.empty() ? nullptr : &c.file);
        EXPECT_EQ(FindWinVersion(), c.code);
    }
    EXPECT_EQ(FindWinVersion(), wvOther);
}

}  // namespace
