// Win32s's behaviours, in a copy of win_tests to which Wine reports Windows
// 3.1 (GetVersion 0x80000A03, as Win32s gives it): run items started without
// a wait, no shell folders, and file times. Wine keeps UTC file times under
// any version and this machine's clock may be UTC: the file-time calls are
// stood in for with a time zone two hours east and, under Win32s, FAT's
// local times.
#include "platform/win32s.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "archive/winutil.h"
#include "platform/platform.h"
#include "shell/envquery.h"
#include "shell/shellgroup.h"
#include "shell/shelllink.h"
#include "tests/win/shelltest.h"

namespace {

const LONGLONG kZone = 2LL * 3600 * 10000000;  // two hours in FILETIME units

FILETIME Shifted(const FILETIME& t, LONGLONG by) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    v.QuadPart += ULONGLONG(by);
    return FILETIME{v.LowPart, v.HighPart};
}

BOOL WINAPI ZoneToLocal(const FILETIME* utc, LPFILETIME local) {
    *local = Shifted(*utc, kZone);
    return TRUE;
}

BOOL WINAPI ZoneToUtc(const FILETIME* local, LPFILETIME utc) {
    *utc = Shifted(*local, -kZone);
    return TRUE;
}

// Win32s: a file's time is its local time in the zone.
BOOL WINAPI LocalGetFileTime(HANDLE file, LPFILETIME, LPFILETIME, LPFILETIME written) {
    FILETIME utc;
    if (!GetFileTime(file, nullptr, nullptr, &utc)) return FALSE;
    return ZoneToLocal(&utc, written);
}

BOOL WINAPI LocalSetFileTime(HANDLE file, const FILETIME*, const FILETIME*,
                             const FILETIME* written) {
    FILETIME utc;
    ZoneToUtc(written, &utc);
    return SetFileTime(file, nullptr, nullptr, &utc);
}

class ZoneStandIn {
public:
    explicit ZoneStandIn(bool win32s)
        : old_(SetFileTimeCalls(
              win32s ? FileTimeCalls{LocalGetFileTime, LocalSetFileTime, ZoneToLocal, ZoneToUtc}
                     : FileTimeCalls{GetFileTime, SetFileTime, ZoneToLocal, ZoneToUtc})) {}
    ~ZoneStandIn() { SetFileTimeCalls(old_); }

private:
    FileTimeCalls old_;
};

std::string Temp(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

FILETIME UtcWriteTime(const std::string& path) {
    FILETIME t = {};
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    GetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
    return t;
}

void SetUtcWriteTime(const std::string& path, const FILETIME& t) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
}

std::string ReadText(const std::string& path) {
    std::string text;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        for (int c; (c = fgetc(f)) != EOF;) text += char(c);
        fclose(f);
    }
    return text;
}

ULONGLONG Ticks(const FILETIME& t) {
    return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// 1998-06-15 13:30:10, as a DOS stamp and as that local time in UTC.
const uint32_t kStamp = (uint32_t((18 << 9) | (6 << 5) | 15) << 16) | (13 << 11) | (30 << 5) | 5;
FILETIME StampInUtc() {
    FILETIME local;
    DosDateTimeToFileTime(HIWORD(kStamp), LOWORD(kStamp), &local);
    return Shifted(local, -kZone);
}

// What a user sees is the same on both kinds of system: a file written with
// a date shows that date in local time, a file's date is read in local time,
// and a copy keeps its source's date.
void ExpectLocalFileTimes(bool win32s) {
    ZoneStandIn zone(win32s);
    const std::string source = Temp("W32S_SRC.TXT"), copy = Temp("W32S_CPY.TXT");
    DeleteFileA(copy.c_str());

    PfFile* fp = PfOpen(source.c_str(), "wb");
    ASSERT_TRUE(fp);
    PfWrite(fp, "dated", 5);
    EXPECT_EQ(PfSetFileTime(fp, kStamp), 1);
    PfClose(fp);
    EXPECT_EQ(Ticks(UtcWriteTime(source)), Ticks(StampInUtc())) << "written";

    SetUtcWriteTime(source, StampInUtc());
    uint32_t stamp = 0;
    EXPECT_EQ(PfGetFileTime(source.c_str(), &stamp), 1);
    EXPECT_EQ(stamp, kStamp) << "read";

    EXPECT_EQ(FileCopy(source.c_str(), copy.c_str()), 1);
    EXPECT_EQ(Ticks(UtcWriteTime(copy)), Ticks(StampInUtc())) << "copied";
    DeleteFileA(source.c_str());
    DeleteFileA(copy.c_str());
}

// --- Cases run in the copy that Wine tells it is Windows 3.1.

void ReportsWin32s() {
    EXPECT_TRUE(IsWin32s());
    EXPECT_EQ(GetVersion(), 0x80000A03u);
}

void FileTimesAreLocal() {
    ExpectLocalFileTimes(true);
}

// The program starts, and ExecuteProgram returns before it has ended,
// saying that it did not wait.
void RunItemStartsWithoutAWait() {
    const std::string log = Temp("W32S_RUN.LOG");
    DeleteFileA(log.c_str());
    std::string command = "win_runlog.exe W32S " + log;
    EXPECT_EQ(ExecuteProgram(&command[0]), 0);
    const std::string atReturn = ReadText(log);
    EXPECT_EQ(atReturn.find("W32S end"), std::string::npos) << atReturn;
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i, Sleep(100)) {
        const std::string text = ReadText(log);
        ended = text.find("W32S start") != std::string::npos &&
                text.find("W32S end") != std::string::npos;
    }
    EXPECT_TRUE(ended) << "the run item never ran";
    DeleteFileA(log.c_str());
}

// shell32.dll loads, but Windows 3.1 has no shell folders: Program Manager
// makes the groups, and the fonts go to the system directory (Wine's
// USER.EXE gives no version 4).
void ProgramManagerAndTheSystemDirectory() {
    EXPECT_EQ(LinkToShell(), 0);
    char fonts[MAX_PATH] = "";
    GetWinFontDir(fonts, MAX_PATH);
    EXPECT_EQ(std::string(fonts), SystemDirectory());
    EXPECT_EQ(shellInit(), 1);  // Wine's desktop serves "PROGMAN"
    EXPECT_EQ(bUseShellDll, 0);
    shellDeinit();
}

const struct {
    const char* name;
    void (*body)();
} kCopyCases[] = {
    {"ReportsWin32s", ReportsWin32s},
    {"FileTimesAreLocal", FileTimesAreLocal},
    {"RunItemStartsWithoutAWait", RunItemStartsWithoutAWait},
    {"ProgramManagerAndTheSystemDirectory", ProgramManagerAndTheSystemDirectory},
};

const bool registered = [] {
    for (const auto& c : kCopyCases) RegisterCopyCase("win32s", c.name, c.body, __FILE__, __LINE__);
    return true;
}();

// --- Cases of win_tests itself.

TEST(Win32s, CasesInACopyThatIsToldItIsWindows31) {
    EXPECT_FALSE(IsWin32s());
    CopyRun run = RunInCopy("win32s", "win_tests_win32s", false, "*", "win31");
    EXPECT_TRUE(CopyPassed(run, 4)) << run.output;
}

TEST(Win32s, FileTimesAreConvertedElsewhere) {
    ExpectLocalFileTimes(false);
}

}  // namespace
