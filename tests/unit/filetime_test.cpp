// File dates, read-only files and listings through the platform layer.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "platform/namelist.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tests/unit/testenv.h"

namespace {

uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    uint32_t date = uint32_t((year - 1980) << 9 | month << 5 | day);
    uint32_t time = uint32_t(hour << 11 | minute << 5 | second / 2);
    return date << 16 | time;
}

TEST(FileTime, DosStampsRoundTrip) {
    ScratchDir dir;
    std::string file = dir / "dated.txt";
    const uint32_t stamps[] = {Dos(1995, 8, 24, 11, 30, 58), Dos(1980, 1, 1, 0, 0, 0),
                               Dos(2024, 2, 29, 23, 59, 58), Dos(2107, 12, 31, 12, 0, 2)};
    for (uint32_t stamp : stamps) {
        PfFile* fp = PfOpen(file.c_str(), "wb");
        ASSERT_TRUE(fp);
        PfWrite(fp, "data", 4);
        EXPECT_EQ(PfSetFileTime(fp, stamp), 1);
        PfClose(fp);
        uint32_t read = 0;
        ASSERT_EQ(PfGetFileTime(file.c_str(), &read), 1);
        EXPECT_EQ(read, stamp) << std::hex << stamp;
        EXPECT_EQ(ReadFile(file), "data");
    }
}

TEST(FileTime, InvalidDosFieldsAreRefused) {
    ScratchDir dir;
    PfFile* fp = PfOpen((dir / "x").c_str(), "wb");
    ASSERT_TRUE(fp);
    EXPECT_EQ(PfSetFileTime(fp, Dos(1999, 0, 10, 1, 1, 0)), 0);   // month 0
    EXPECT_EQ(PfSetFileTime(fp, Dos(1999, 13, 10, 1, 1, 0)), 0);  // month 13
    EXPECT_EQ(PfSetFileTime(fp, Dos(1999, 2, 0, 1, 1, 0)), 0);    // day 0
    EXPECT_EQ(PfSetFileTime(fp, Dos(1999, 2, 1, 24, 1, 0)), 0);   // hour 24
    PfClose(fp);
    uint32_t stamp;
    EXPECT_EQ(PfGetFileTime((dir / "missing").c_str(), &stamp), 0);
}

TEST(Files, ReadOnlyFilesRefuseWritingAndDeletion) {
    ScratchDir dir;
    std::string file = dir / "ro.txt";
    WriteFile(file, "keep");
    ASSERT_EQ(PfSetReadOnly(file.c_str(), true), 0);
    EXPECT_EQ(PfOpen(file.c_str(), "wb"), nullptr);
    EXPECT_EQ(PfOpen(file.c_str(), "rb+"), nullptr);
    EXPECT_NE(PfAccess(file.c_str(), 2), 0);
    EXPECT_EQ(PfAccess(file.c_str(), 4), 0);
    EXPECT_NE(PfRemove(file.c_str()), 0);
    EXPECT_EQ(ReadFile(file), "keep");
    ASSERT_EQ(PfSetReadOnly(file.c_str(), false), 0);
    EXPECT_EQ(PfRemove(file.c_str()), 0);
    EXPECT_FALSE(FileExists(file));
}

// Windows also matches the pattern against short names (b.ff1x is B~1.FF1)
// and lists hidden and system files: neither is listed.
TEST(Files, ListingMatchesLongNamesWithoutRegardToCase) {
    ScratchDir dir;
    WriteFile(dir / "one.ff1", "");
    WriteFile(dir / "TWO.FF1", "");
    WriteFile(dir / "three.txt", "");
    for (const char* name : {"b.ff1x", "c.ff10", "hidden.ff1", "system.ff1"})
        WriteFile(dir / name, "");
    ASSERT_EQ(PfSetHidden((dir / "hidden.ff1").c_str(), true, false), 0);
    ASSERT_EQ(PfSetHidden((dir / "system.ff1").c_str(), false, true), 0);
    ASSERT_EQ(PfMkdir((dir / "sub.ff1").c_str()), 0);
    std::vector<std::string> names;
    ASSERT_EQ(PfFindFiles((dir / "*.ff1").c_str(), names), 1);
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "TWO.FF1");
    EXPECT_EQ(names[1], "one.ff1");
    ASSERT_EQ(PfFindFiles((dir / "*.none").c_str(), names), 1);
    EXPECT_TRUE(names.empty());
}

// Each drive keeps its directory: a change onto another drive makes that
// drive current, and going back to a drive finds the directory it had.
TEST(Files, EachDriveKeepsItsCurrentDirectory) {
    ScratchDir dir;
    std::string one = dir / "ONE";
    ASSERT_EQ(PfMkdir(one.c_str()), 0);
    ASSERT_EQ(PfMkdir((dir / "TWO").c_str()), 0);
    OtherDrive two(dir / "TWO");
    if (two.Path().empty()) GTEST_SKIP() << "no second drive";
    char saved[260], now[260];
    ASSERT_TRUE(PfGetCwd(saved, sizeof saved));
    int first = one[0] - 'A', second = two.Path()[0] - 'A';

    ASSERT_EQ(PfChdir(one.c_str()), 0);
    ASSERT_EQ(PfChdir(two.Path().c_str()), 0);
    EXPECT_EQ(PfGetDisk(), second);
    ASSERT_TRUE(PfGetCwd(now, sizeof now));
    EXPECT_EQ(std::string(now), two.Path());
    EXPECT_EQ(PfSetDisk(first), 0);
    ASSERT_TRUE(PfGetCwd(now, sizeof now));
    EXPECT_EQ(std::string(now), one);
    EXPECT_EQ(PfSetDisk(second), 0);
    ASSERT_TRUE(PfGetCwd(now, sizeof now));
    EXPECT_EQ(std::string(now), two.Path());

    ASSERT_EQ(PfChdir(saved), 0);
    EXPECT_EQ(PfGetCwd(now, sizeof now), now);
    EXPECT_STREQ(now, saved);
}

TEST(Files, CurrentDriveAndDirectoryAreKept) {
    ScratchDir dir;
    char saved[260];
    ASSERT_TRUE(PfGetCwd(saved, sizeof saved));
    int drive = PfGetDisk();
    ASSERT_GE(drive, 0);

    ASSERT_EQ(PfChdir(dir.Path().c_str()), 0);
    WriteFile("relative.txt", "here");
    EXPECT_EQ(ReadFile(dir / "relative.txt"), "here");
    char now[260];
    ASSERT_TRUE(PfGetCwd(now, sizeof now));
    EXPECT_STREQ(now, dir.Path().c_str());
    EXPECT_NE(PfChdir((dir / "missing").c_str()), 0);

    ASSERT_EQ(PfChdir(saved), 0);
    EXPECT_EQ(PfGetDisk(), drive);
    EXPECT_NE(PfSetDisk(25 + 1), 0);
}

}  // namespace

// PfFile streams: reads ahead, yet every seek, tell and write lands where
// the caller stands; updates change only the bytes written.
TEST(PfFile, ReadsSeeksAndWritesWhereTheCallerStands) {
    ScratchDir dir;
    std::string file = dir / "stream.bin";
    std::string bytes;
    for (int i = 0; i < 10000; ++i) bytes += char('A' + i % 26);
    WriteFile(file, bytes);

    PfFile* fp = PfOpen(file.c_str(), "rb+");
    ASSERT_TRUE(fp);
    char buf[8] = {};
    EXPECT_EQ(PfRead(fp, buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "ABC");
    EXPECT_EQ(PfTell(fp), 3);
    // A write after a read goes where the read stopped, not past the read-ahead.
    EXPECT_EQ(PfWrite(fp, "xyz", 3), 3u);
    EXPECT_EQ(PfTell(fp), 6);
    EXPECT_EQ(PfRead(fp, buf, 2), 2u);
    EXPECT_EQ(std::string(buf, 2), "GH");
    EXPECT_EQ(PfSeek(fp, 4, PF_SEEK_CUR), 0);
    EXPECT_EQ(PfTell(fp), 12);
    EXPECT_EQ(PfRead(fp, buf, 1), 1u);
    EXPECT_EQ(buf[0], 'M');
    // A seek before the start fails and leaves the position, however it is
    // asked for, and a write after it lands there.
    EXPECT_NE(PfSeek(fp, -1, PF_SEEK_SET), 0);
    EXPECT_EQ(PfTell(fp), 13);
    EXPECT_NE(PfSeek(fp, -20, PF_SEEK_CUR), 0);
    EXPECT_EQ(PfTell(fp), 13);
    EXPECT_NE(PfSeek(fp, -20000, PF_SEEK_END), 0);
    EXPECT_EQ(PfTell(fp), 13);
    EXPECT_EQ(PfWrite(fp, "#", 1), 1u);
    EXPECT_EQ(PfTell(fp), 14);
    EXPECT_EQ(PfSeek(fp, -2, PF_SEEK_END), 0);
    EXPECT_EQ(PfRead(fp, buf, 8), 2u);
    EXPECT_EQ(PfRead(fp, buf, 8), 0u);
    EXPECT_EQ(PfError(fp), 0);
    EXPECT_EQ(PfClose(fp), 0);
    bytes.replace(3, 3, "xyz");
    bytes[13] = '#';
    EXPECT_EQ(ReadFile(file), bytes);

    // A read larger than the read-ahead, from the middle of it.
    fp = PfOpen(file.c_str(), "rb");
    ASSERT_TRUE(fp);
    std::string all(bytes.size() + 10, '\0');
    EXPECT_EQ(PfRead(fp, &all[0], 1), 1u);
    EXPECT_NE(PfSeek(fp, -20, PF_SEEK_CUR), 0);
    EXPECT_EQ(PfTell(fp), 1);
    EXPECT_EQ(PfRead(fp, &all[1], all.size() - 1), bytes.size() - 1);
    all.resize(bytes.size());
    EXPECT_EQ(all, bytes);
    PfClose(fp);

    EXPECT_EQ(PfOpen((dir / "missing.bin").c_str(), "rb"), nullptr);
}

namespace {

std::string Upper(std::string s) {
    StrUpper(&s[0]);
    return s;
}

// The state of a directory: each file with its bytes ("*" after a file that
// listings leave out), each subdirectory with a backslash, names in capitals.
std::map<std::string, std::string> State(const std::string& dir) {
    std::vector<std::string> shown, subdirs;
    PfFindFiles((dir + "\\*").c_str(), shown);
    PfFindDirs((dir + "\\*").c_str(), subdirs);
    std::map<std::string, std::string> state;
    for (const std::string& name : AllNames(dir)) {
        std::string key = Upper(name);
        if (std::find(subdirs.begin(), subdirs.end(), name) != subdirs.end()) {
            state[key + "\\"] = "";
            continue;
        }
        bool listed = std::find(shown.begin(), shown.end(), name) != shown.end();
        state[key] = ReadFile(dir + "\\" + name) + (listed ? "" : "*");
    }
    return state;
}

std::string Opened(PfFile* fp) {
    if (!fp) return "null";
    PfClose(fp);
    return "stream";
}

std::string Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
    std::string joined;
    for (const std::string& n : names) joined += (joined.empty() ? "" : " ") + n;
    return joined;
}

}  // namespace

// One table of file operations with the answers both layers give: the
// stand-in, and the Win32 layer with the kernel's own answers and with those
// of Windows 95 (MoveFileExA not implemented) and of a CreateFileA that
// refuses to replace hidden and system files with plain attributes.
TEST(Files, BothLayersAnswerOneTableAlike) {
    typedef std::function<std::string(const std::string&)> Op;
    auto open = [](const char* name, const char* mode) {
        return Op([=](const std::string& d) { return Opened(PfOpen((d + name).c_str(), mode)); });
    };
    auto write = [](const char* name) {
        return Op([=](const std::string& d) {
            PfFile* fp = PfOpen((d + name).c_str(), "wb");
            if (fp) PfWrite(fp, "new", 3);
            return Opened(fp);
        });
    };
    auto rename = [](const char* from, const char* to) {
        return Op([=](const std::string& d) {
            return std::to_string(PfRename((d + from).c_str(), (d + to).c_str()));
        });
    };
    auto remove = [](const char* name) {
        return Op(
            [=](const std::string& d) { return std::to_string(PfRemove((d + name).c_str())); });
    };
    auto list = [](const char* pattern, bool dirs) {
        return Op([=](const std::string& d) {
            std::vector<std::string> names;
            int ok = dirs ? PfFindDirs((d + pattern).c_str(), names)
                          : PfFindFiles((d + pattern).c_str(), names);
            return std::to_string(ok) + ":" + Sorted(names);
        });
    };
    const struct {
        const char* what;
        Op op;
        const char* result;
        std::map<std::string, std::string> changed;  // "-" for a file that is gone
    } cases[] = {
        {"wb+ is no mode", open("A.TXT", "wb+"), "null", {}},
        {"ab is no mode", open("A.TXT", "ab"), "null", {}},
        {"a directory is no stream", open("SUB", "rb"), "null", {}},
        {"a directory is no stream to update", open("SUB", "rb+"), "null", {}},
        {"a directory is not replaced", open("SUB", "wb"), "null", {}},
        {"a hidden file opens for update", open("HID.TXT", "rb+"), "stream", {}},
        {"a hidden file is replaced and stays hidden",
         write("HID.TXT"),
         "stream",
         {{"HID.TXT", "new*"}}},
        {"a system file is replaced and stays out of listings",
         write("SYS.TXT"),
         "stream",
         {{"SYS.TXT", "new*"}}},
        {"a read-only hidden file is not replaced", write("ROH.TXT"), "null", {}},
        {"a rename to a new name",
         rename("A.TXT", "NEW.TXT"),
         "0",
         {{"A.TXT", "-"}, {"NEW.TXT", "a"}}},
        {"a rename replaces a file",
         rename("A.TXT", "B.TXT"),
         "0",
         {{"A.TXT", "-"}, {"B.TXT", "a"}}},
        {"a rename onto its own name in other letters", rename("CASE.TMP", "case.tmp"), "0", {}},
        {"a rename onto its own name by another path", rename("CASE.TMP", ".\\CASE.TMP"), "0", {}},
        {"a missing file is not renamed", rename("NONE.TXT", "B.TXT"), "-1", {}},
        {"a read-only file is not replaced by a rename", rename("A.TXT", "RO.TXT"), "-1", {}},
        {"a directory is not replaced by a rename", rename("A.TXT", "SUB"), "-1", {}},
        {"a hidden file renamed stays hidden",
         rename("HID.TXT", "H2.TXT"),
         "0",
         {{"HID.TXT", "-"}, {"H2.TXT", "h*"}}},
        {"a hidden file is removed", remove("HID.TXT"), "0", {{"HID.TXT", "-"}}},
        {"a read-only hidden file is not removed", remove("ROH.TXT"), "-1", {}},
        {"a pattern matches long names, nothing hidden", list("*.ff1", false), "1:d.ff1", {}},
        {"every shown file",
         list("*", false),
         "1:A.TXT b.ff1x B.TXT c.ff10 CASE.TMP d.ff1 RO.TXT",
         {}},
        {"every shown directory", list("*.*", true), "1:SUB", {}},
        {"a missing directory cannot be listed", list("NONE\\*", false), "0:", {}},
    };
    struct Layer {
        const char* name;
        bool windows95;
    };
    std::vector<Layer> layers = {{"the system's own answers", false}};
#ifdef _WIN32
    layers.push_back({"Windows 95 and documented answers stood in", true});
#endif
    for (const Layer& layer : layers) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(layer.name) + ": " + c.what);
            ScratchDir scratch;
            const std::string d = scratch.Path() + "\\";
            const std::map<std::string, std::string> files = {
                {"A.TXT", "a"},   {"B.TXT", "b"},  {"CASE.TMP", "c"}, {"HID.TXT", "h"},
                {"SYS.TXT", "s"}, {"RO.TXT", "r"}, {"ROH.TXT", "rh"}, {"d.ff1", "f"},
                {"b.ff1x", "f"},  {"c.ff10", "f"}, {"HID.FF1", "f"}};
            for (const auto& f : files) WriteFile(d + f.first, f.second);
            ASSERT_EQ(PfMkdir((d + "SUB").c_str()), 0);
            for (const char* name : {"HID.TXT", "ROH.TXT", "HID.FF1"})
                ASSERT_EQ(PfSetHidden((d + name).c_str(), true, false), 0);
            ASSERT_EQ(PfSetHidden((d + "SYS.TXT").c_str(), false, true), 0);
            for (const char* name : {"RO.TXT", "ROH.TXT"})
                ASSERT_EQ(PfSetReadOnly((d + name).c_str(), true), 0);
            std::map<std::string, std::string> expect = State(scratch.Path());
            for (const auto& change : c.changed) {
                if (change.second == "-")
                    expect.erase(change.first);
                else
                    expect[change.first] = change.second;
            }
#ifdef _WIN32
            if (layer.windows95) PfSetKernelStandIns(Windows95MoveFileEx, DocumentedCreateFile);
#endif
            std::string result = c.op(d);
#ifdef _WIN32
            PfSetKernelStandIns(nullptr, nullptr);
#endif
            EXPECT_EQ(result, c.result);
            EXPECT_EQ(State(scratch.Path()), expect);
        }
    }
}
