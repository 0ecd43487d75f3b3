// What the platform layer writes, read back through the Win32 API itself.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/platform.h"
#include "tests/unit/testenv.h"

namespace {

std::string TempFile(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

TEST(Win32, LastWriteTimeIsTheDosStampInLocalTime) {
    std::string path = TempFile("win_filetime.txt");
    PfFile* fp = PfOpen(path.c_str(), "wb");
    ASSERT_TRUE(fp);
    PfWrite(fp, "x", 1);
    const uint32_t stamp = (uint32_t(15) << 25 | 8u << 21 | 24u << 16) | (11u << 11 | 30u << 5 | 29u);
    ASSERT_EQ(PfSetFileTime(fp, stamp), 1);
    PfClose(fp);

    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME utc, local;
    ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &utc));
    CloseHandle(h);
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    SYSTEMTIME st;
    ASSERT_TRUE(FileTimeToSystemTime(&local, &st));
    EXPECT_EQ(st.wYear, 1995);
    EXPECT_EQ(st.wMonth, 8);
    EXPECT_EQ(st.wDay, 24);
    EXPECT_EQ(st.wHour, 11);
    EXPECT_EQ(st.wMinute, 30);
    EXPECT_EQ(st.wSecond, 58);
    DeleteFileA(path.c_str());
}

TEST(Win32, ReadOnlyIsTheFileAttribute) {
    std::string path = TempFile("win_readonly.txt");
    PfFile* fp = PfOpen(path.c_str(), "wb");
    ASSERT_TRUE(fp);
    PfClose(fp);
    ASSERT_EQ(PfSetReadOnly(path.c_str(), true), 0);
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    ASSERT_EQ(PfSetReadOnly(path.c_str(), false), 0);
    EXPECT_FALSE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

// A rename whose source another program holds open fails, with the kernel's
// MoveFileExA and with Windows 95's, which has none: both files stay as they
// were, and nothing is left beside them.
TEST(Win32, ARenameThatCannotMoveItsSourceKeepsBothFiles) {
    ScratchDir dir;
    const std::string from = dir / "fontnam.tmp", to = dir / "fontnam.dat";
    for (PfMoveFileExFn moveFileEx : {PfMoveFileExFn(nullptr), Windows95MoveFileEx}) {
        SCOPED_TRACE(moveFileEx ? "Windows 95" : "the kernel's MoveFileExA");
        WriteFile(from, "new list");
        WriteFile(to, "old list");
        HANDLE held = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        PfSetKernelStandIns(moveFileEx, nullptr);
        int result = PfRename(from.c_str(), to.c_str());
        PfSetKernelStandIns(nullptr, nullptr);
        CloseHandle(held);
        EXPECT_EQ(result, -1);
        EXPECT_EQ(ReadFile(from), "new list");
        EXPECT_EQ(ReadFile(to), "old list");
        EXPECT_EQ(AllNames(dir.Path()).size(), 2u);
    }
}

// Windows refuses CREATE_ALWAYS over a hidden or system file unless asked
// with its attributes; with that answer stood in, such a file is replaced and
// keeps them.
TEST(Win32, ReplacingAHiddenOrSystemFileKeepsItsAttributes) {
    ScratchDir dir;
    const DWORD hidden = FILE_ATTRIBUTE_HIDDEN, system = FILE_ATTRIBUTE_SYSTEM;
    for (DWORD attributes : {hidden, system, hidden | system}) {
        SCOPED_TRACE(attributes);
        std::string path = dir / "FILE.DAT";
        WriteFile(path, "old");
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes));
        PfSetKernelStandIns(nullptr, DocumentedCreateFile);
        PfFile* fp = PfOpen(path.c_str(), "wb");
        PfSetKernelStandIns(nullptr, nullptr);
        ASSERT_TRUE(fp);
        EXPECT_EQ(PfWrite(fp, "new", 3), 3u);
        PfClose(fp);
        EXPECT_EQ(ReadFile(path), "new");
        EXPECT_EQ(GetFileAttributesA(path.c_str()) & (hidden | system), attributes);
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    }
}

}  // namespace
