// What extraction leaves behind, read back through the Win32 API itself.
#include <direct.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "archive/archive.h"
#include "platform/platform.h"
#include "tests/unit/testenv.h"
#include "tools/common/arcwriter.h"

namespace {

uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    uint32_t date = uint32_t((year - 1980) << 9 | month << 5 | day);
    uint32_t time = uint32_t(hour << 11 | minute << 5 | second / 2);
    return date << 16 | time;
}

// A fresh directory under the temporary directory, removed with its files.
class TempDir {
public:
    explicit TempDir(const char* name) {
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        path_ = std::string(dir) + name + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempDir() { Remove(path_); }
    std::string operator/(const char* name) const { return path_ + "\\" + name; }
    const std::string& Path() const { return path_; }

private:
    static void Remove(const std::string& path) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string name = fd.cFileName, full = path + "\\" + name;
                if (name == "." || name == "..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(full);
                else
                    DeleteFileA(full.c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(path.c_str());
    }
    std::string path_;
};

SYSTEMTIME LocalTime(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st = {};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &st);
    return st;
}

TEST(ArchiveWin32, LastWriteTimeIsTheStoredDateInLocalTime) {
    TempDir dir("arcwin_time");
    std::string arc = dir / "T.ARC", dest = dir / "DEST";
    ASSERT_TRUE(CreateDirectoryA(dest.c_str(), nullptr));
    ArcWriter w;
    ASSERT_TRUE(w.Create(arc.c_str()) &&
                w.AddData("SUB\\A.TXT", "hello", 5, Dos(1995, 8, 24, 11, 30, 58)) && w.Finish())
        << w.Error();
    Archive a;
    ASSERT_EQ(a.Extract(arc.c_str(), dest.c_str(), 1), 1);

    HANDLE h = CreateFileA((dest + "\\SUB\\A.TXT").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME written;
    ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
    EXPECT_EQ(GetFileSize(h, nullptr), 5u);
    CloseHandle(h);
    SYSTEMTIME st = LocalTime(written);
    EXPECT_EQ(st.wYear, 1995);
    EXPECT_EQ(st.wMonth, 8);
    EXPECT_EQ(st.wDay, 24);
    EXPECT_EQ(st.wHour, 11);
    EXPECT_EQ(st.wMinute, 30);
    EXPECT_EQ(st.wSecond, 58);
}

std::string Cwd() {
    char buf[MAX_PATH];
    return _getcwd(buf, sizeof buf) ? buf : "";
}

std::string cwdDuringExtraction;
void RecordCwd(eStatusKeys key, void*) {
    if (key == skFileName) cwdDuringExtraction = Cwd();
}

// Wine maps drive Z: onto the Unix root in every prefix, so one directory has
// a name on C: and one on Z:; Windows itself has no such second drive.
TEST(ArchiveWin32, DriveAndDirectoryAreRestoredAfterSuccessAndFailure) {
    TempDir dir("arcwin_drive");
    OtherDrive z(dir.Path());
    if (z.Path().empty()) GTEST_SKIP() << "no Wine Z: drive";
    const std::string& onZ = z.Path();
    ASSERT_TRUE(CreateDirectoryA((dir / "DEST").c_str(), nullptr));
    std::string good = dir / "G.ARC", bad = dir / "B.ARC";
    ArcWriter w;
    ASSERT_TRUE(w.Create(good.c_str()) && w.AddData("A.TXT", "a", 1, Dos(2001, 2, 3, 4, 5, 6)) &&
                w.Finish());
    ASSERT_TRUE(CopyFileA(good.c_str(), bad.c_str(), FALSE));
    FILE* fp = fopen(bad.c_str(), "r+b");
    ASSERT_TRUE(fp);
    fseek(fp, -14, SEEK_END);  // the CRC of the only member
    int c = fgetc(fp);
    fseek(fp, -14, SEEK_END);
    fputc(c ^ 1, fp);
    fclose(fp);

    const std::string saved = Cwd();
    const struct {
        std::string from, dest;
    } moves[] = {{dir.Path(), onZ + "\\DEST"}, {onZ, dir / "DEST"}};
    for (const auto& m : moves) {
        for (const std::string& arc : {good, bad}) {
            SCOPED_TRACE(m.from + " to " + m.dest + " with " + arc);
            ASSERT_EQ(_chdir(m.from.c_str()), 0);
            int drive = _getdrive();
            Archive a;
            a.SetStatusCallback(RecordCwd);
            cwdDuringExtraction.clear();
            EXPECT_EQ(a.Extract(arc.c_str(), m.dest.c_str(), 1), arc == good ? 1 : 0);
            EXPECT_EQ(cwdDuringExtraction, m.dest);
            EXPECT_EQ(_getdrive(), drive);
            EXPECT_EQ(Cwd(), m.from);
        }
    }
    ASSERT_EQ(_chdir(saved.c_str()), 0);
}

// Windows refuses CREATE_ALWAYS over a hidden or system file unless asked
// with its attributes (stood in here: Wine does not refuse). Members replace
// such files as any other; a read-only one still fails its member.
TEST(ArchiveWin32, MembersReplaceHiddenAndSystemFiles) {
    TempDir dir("arcwin_hidden");
    std::string arc = dir / "H.ARC", dest = dir / "DEST";
    ASSERT_TRUE(CreateDirectoryA(dest.c_str(), nullptr));
    ArcWriter w;
    ASSERT_TRUE(w.Create(arc.c_str()) && w.AddData("A.TXT", "new", 3, Dos(2001, 2, 3, 4, 5, 6)) &&
                w.Finish());
    const struct {
        DWORD attributes;
        short result;
        const char* after;
    } cases[] = {
        {FILE_ATTRIBUTE_HIDDEN, 1, "new"},
        {FILE_ATTRIBUTE_SYSTEM, 1, "new"},
        {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 1, "new"},
        {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, 0, "old"},
    };
    std::string member = dest + "\\A.TXT";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        WriteFile(member, "old");
        ASSERT_TRUE(SetFileAttributesA(member.c_str(), c.attributes));
        PfSetKernelStandIns(nullptr, DocumentedCreateFile);
        Archive a;
        short result = a.Extract(arc.c_str(), dest.c_str(), 1);
        PfSetKernelStandIns(nullptr, nullptr);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(ReadFile(member), c.after);
        EXPECT_EQ(GetFileAttributesA(member.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE, c.attributes);
        ASSERT_TRUE(SetFileAttributesA(member.c_str(), FILE_ATTRIBUTE_NORMAL));
    }
}

}  // namespace
