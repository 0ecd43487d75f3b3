// The post-install actions with the real program starter, version code,
// WIN.INI and file deletion: the run items start win_runlog.exe, which logs
// when it starts and ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/postinstall.h"
#include "platform/strutil.h"
#include "tests/unit/testenv.h"
#include "tests/win/shelltest.h"

namespace {

struct LogLine {
    std::string name, what;
    unsigned long ticks;
};

class RunItemsTest : public testing::Test {
protected:
    void SetUp() override {
        BufCopy(dest_path, dir.Path().c_str());
        BufCopy(szTitle, "Setup Win Fonts");
        BufCopy(szIniFile, (dir / "install.ini").c_str());
    }
    void TearDown() override {
        WriteProfileStringA(szTitle, nullptr, nullptr);
        szIniFile[0] = '\0';
        szTitle[0] = '\0';
        dest_path[0] = '\0';
    }

    void Script(const std::string& sections) { WriteFile(szIniFile, sections); }

    std::vector<LogLine> Log() const {
        std::vector<LogLine> lines;
        std::istringstream in(ReadFile(dir / "RUN.LOG"));
        LogLine line;
        while (in >> line.name >> line.what >> line.ticks) lines.push_back(line);
        return lines;
    }

    // The names of the programs that started, in order.
    std::vector<std::string> Started() const {
        std::vector<std::string> names;
        for (const LogLine& l : Log())
            if (l.what == "start") names.push_back(l.name);
        return names;
    }

    ScratchDir dir;
    MessageBoxRecorder boxes;
};

typedef std::vector<std::string> Names;

TEST_F(RunItemsTest, EachProgramStartsAfterThePreviousHasEnded) {
    Script(
        "[Run16Items]\r\nsixteen=win_runlog.exe R16 %I\\RUN.LOG\r\n"
        "[RunItems]\r\n"
        "first=win_runlog.exe A %I\\RUN.LOG\r\n"
        "second=win_runlog.exe B %I\\RUN.LOG,0\r\n"
        "third=win_runlog.exe C %I\\RUN.LOG,0 and more words\r\n"
        "[Run32Items]\r\nthirty-two=win_runlog.exe R32 %I\\RUN.LOG\r\n");
    EXPECT_EQ(DoRunItems(), 1);
    // Wine's USER.EXE gives no 3.x version: Run32Items.
    const Names order = {"A", "B", "C", "R32"};
    std::vector<LogLine> log = Log();
    ASSERT_EQ(log.size(), 2 * order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const LogLine& start = log[2 * i];
        const LogLine& end = log[2 * i + 1];
        EXPECT_EQ(start.name + " " + start.what, order[i] + " start");
        EXPECT_EQ(end.name + " " + end.what, order[i] + " end");
        if (i > 0) {
            EXPECT_GE(start.ticks, log[2 * i - 1].ticks) << order[i] << " started too early";
        }
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(RunItemsTest, OnlyItemsEndingInCommaOneAsk) {
    Script(
        "[RunItems]\r\n"
        "read the notes=win_runlog.exe NOTES %I\\RUN.LOG,1\r\n"
        "run the tutorial=win_runlog.exe TUTOR %I\\RUN.LOG,1\r\n"
        "plain=win_runlog.exe PLAIN %I\\RUN.LOG,0\r\n");
    boxes.Answer(IDNO);
    boxes.Answer(IDYES);
    DoRunItems();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "Do you want to \nread the notes ?");
    EXPECT_EQ(boxes.boxes[0].caption, "Setup Win Fonts");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes.boxes[1].text, "Do you want to \nrun the tutorial ?");
    EXPECT_EQ(Started(), (Names{"TUTOR", "PLAIN"}));
}

// USER.EXE of the system directory decides which of the two sections runs.
TEST_F(RunItemsTest, TheVersionOfUserExeChoosesTheSection) {
    Script(
        "[RunItems]\r\nalways=win_runlog.exe ALL %I\\RUN.LOG\r\n"
        "[Run16Items]\r\nsixteen=win_runlog.exe R16 %I\\RUN.LOG\r\n"
        "[Run32Items]\r\nthirty-two=win_runlog.exe R32 %I\\RUN.LOG\r\n");
    struct Case {
        const char* what;
        std::string userExe;  // empty: none
        const char* section;
    } cases[] = {
        {"3.10", NeModule(VersionBlock16(0x0003000A, 0x00000067)), "R16"},
        {"3.11 build 300", NeModule(VersionBlock16(0x0003000B, 0x0000012C)), "R16"},
        {"4.0", NeModule(VersionBlock16(0x00040000, 0x000003B6)), "R32"},
        {"no USER.EXE", "", "R32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA((dir / "RUN.LOG").c_str());
        UserExeSwap swap(c.userExe.empty() ? nullptr : &c.userExe);
        DoRunItems();
        EXPECT_EQ(Started(), (Names{"ALL", c.section}));
    }
}

// The three actions in the sequence's order, through kernel32: the deletions
// may remove what a program made; what is not there passes without a word.
TEST_F(RunItemsTest, DeleteFilesTakesWhatARunItemMadeAndPassesOverMissingFiles) {
    WriteFile(dir / "OLD.TXT", "old");
    Script(
        "[WinIniData]\r\nClearOld=1\r\nPath=%I\\FONTS\r\n"
        "[RunItems]\r\nlog=win_runlog.exe LOG %I\\RUN.LOG\r\n"
        "[DeleteFiles]\r\n"
        "Missing=%I\\NOT_THERE.TXT\r\n"
        "NoFolder=%I\\NO_FOLDER\\X.TXT\r\n"
        "Old=%I\\OLD.TXT\r\n"
        "Log=%I\\RUN.LOG\r\n");
    UpdateWinIni();
    DoRunItems();
    ASSERT_TRUE(FileExists(dir / "RUN.LOG"));
    DoDeleteFiles();
    char value[300];
    GetProfileStringA("Setup Win Fonts", "Path", "", value, sizeof value);
    EXPECT_EQ(std::string(value), dir.Path() + "\\FONTS");
    EXPECT_FALSE(FileExists(dir / "OLD.TXT"));
    EXPECT_FALSE(FileExists(dir / "RUN.LOG"));
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
