// File copy with its date, the copy buffer's sizes, and running a program
// to its end, through the real Win32 calls.
#include "archive/winutil.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/testenv.h"

namespace {

std::string Pattern(size_t n) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i) bytes[i] = char(i * 7 + i / 251);
    return bytes;
}

TEST(FileCopy, CopiesBytesAndReplacesTheDestination) {
    struct Case {
        const char* what;
        bool sourceExists;
        std::string source;
        const char* before;  // the destination's content before, or null
        int result;
        const char* after;  // the destination's content after, or null: no file
        const char* dest = "DST.TXT";
        bool linked = false;  // the destination is another name of the source
    } cases[] = {
        {"empty file", true, "", nullptr, 1, ""},
        {"missing source", false, "", nullptr, 0, nullptr},
        {"missing source keeps the destination", false, "", "old", 0, "old"},
        {"replaced destination", true, "new", "old and longer", 1, "new"},
        // Never onto itself: creating the destination would empty the source.
        {"onto itself", true, "self", nullptr, 1, "self", "SRC.TXT"},
        {"onto itself in other case", true, "self", nullptr, 1, "self", "src.txt"},
        {"onto itself by another name", true, "self", nullptr, 1, "self", "LINK.TXT", true},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        std::string src = dir / "SRC.TXT", dst = dir / c.dest;
        if (c.sourceExists) WriteFile(src, c.source);
        if (c.before) WriteFile(dst, c.before);
        if (c.linked) {
            ASSERT_TRUE(CreateHardLinkA(dst.c_str(), src.c_str(), nullptr)) << c.what;
        }
        EXPECT_EQ(FileCopy(src.c_str(), dst.c_str()), c.result) << c.what;
        EXPECT_EQ(FileExists(dst), c.after != nullptr) << c.what;
        if (c.after) {
            EXPECT_EQ(ReadFile(dst), c.after) << c.what;
        }
        if (c.sourceExists) {
            EXPECT_EQ(ReadFile(src), c.source) << c.what;
        }
    }
}

TEST(FileCopy, CopiesInBufferSizedPiecesWhatEverTheLength) {
    for (size_t length : {size_t(8191), size_t(8192), size_t(8193), size_t(20000)}) {
        ScratchDir dir;
        std::string src = dir / "BIG.BIN", dst = dir / "COPY.BIN";
        WriteFile(src, Pattern(length));
        EXPECT_EQ(FileCopy(src.c_str(), dst.c_str()), 1) << length;
        EXPECT_EQ(ReadFile(dst), Pattern(length)) << length;
    }
}

TEST(FileCopy, CarriesTheLastWriteTimeButNotReadOnly) {
    ScratchDir dir;
    std::string src = dir / "DATED.TXT", dst = dir / "COPY.TXT";
    WriteFile(src, "dated");
    const uint32_t stamp =
        (uint32_t(15) << 25 | 8u << 21 | 24u << 16) | (11u << 11 | 30u << 5 | 29u);
    PfFile* fp = PfOpen(src.c_str(), "rb+");
    ASSERT_TRUE(fp);
    ASSERT_EQ(PfSetFileTime(fp, stamp), 1);
    PfClose(fp);
    ASSERT_EQ(PfSetReadOnly(src.c_str(), true), 0);

    ASSERT_EQ(FileCopy(src.c_str(), dst.c_str()), 1);
    uint32_t copied = 0;
    ASSERT_EQ(PfGetFileTime(dst.c_str(), &copied), 1);
    EXPECT_EQ(copied, stamp);
    EXPECT_FALSE(GetFileAttributesA(dst.c_str()) & FILE_ATTRIBUTE_READONLY);
    PfSetReadOnly(src.c_str(), false);
}

TEST(FileCopy, FailsWithoutADestinationDirectory) {
    ScratchDir dir;
    std::string src = dir / "A.TXT", dst = dir / "NO\\SUCH\\B.TXT";
    WriteFile(src, "a");
    EXPECT_EQ(FileCopy(src.c_str(), dst.c_str()), 0);
    EXPECT_FALSE(FileExists(dst));
}

// An allocator that refuses blocks above a limit and notes every size asked.
SIZE_T allocLimit;
std::vector<SIZE_T> asked;

HGLOBAL WINAPI LimitedAlloc(UINT flags, SIZE_T bytes) {
    asked.push_back(bytes);
    return bytes <= allocLimit ? GlobalAlloc(flags, bytes) : nullptr;
}

TEST(FileCopy, BufferHalvesFrom8192To512) {
    struct Case {
        SIZE_T limit;
        UINT size;  // 0: no buffer
        size_t tries;
    } cases[] = {{100000, 8192, 1}, {8192, 8192, 1}, {5000, 4096, 2},
                 {1024, 1024, 4},   {1023, 512, 5},  {511, 0, 5}};
    for (const Case& c : cases) {
        allocLimit = c.limit;
        asked.clear();
        UINT size = 0;
        HGLOBAL block = AllocCopyBuffer(&size, LimitedAlloc);
        EXPECT_EQ(block != nullptr, c.size != 0) << c.limit;
        if (block) {
            EXPECT_EQ(size, c.size) << c.limit;
        }
        ASSERT_EQ(asked.size(), c.tries) << c.limit;
        for (size_t i = 0; i < asked.size(); ++i) EXPECT_EQ(asked[i], SIZE_T(8192) >> i);
        if (block) GlobalFree(block);
    }
}

std::string ChildCommand(int sleepMs, const std::string& marker) {
    return "win_child.exe " + std::to_string(sleepMs) + " " + marker;
}

TEST(ExecuteProgram, WaitsUntilTheProgramHasEnded) {
    ScratchDir dir;
    std::string marker = dir / "DONE.TXT";
    std::string command = ChildCommand(400, marker);
    DWORD start = GetTickCount();
    EXPECT_EQ(ExecuteProgram(&command[0]), 1);
    EXPECT_GE(GetTickCount() - start, 350u);
    EXPECT_EQ(ReadFile(marker), "done\n");
}

TEST(ExecuteProgram, AMissingProgramReturnsAtOnce) {
    char command[] = "no_such_program_here.exe argument";
    DWORD start = GetTickCount();
    EXPECT_EQ(ExecuteProgram(command), 1);
    EXPECT_LT(GetTickCount() - start, 2000u);
}

}  // namespace
