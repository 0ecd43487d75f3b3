// What the platform layer writes, read back through the Win32 API itself.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"

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

}  // namespace
