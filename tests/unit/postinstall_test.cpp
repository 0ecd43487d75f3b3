// The actions after the files are in place, against the real WIN.INI of the
// Windows directory (under Wine the prefix's own, through kernel32) and real
// files; the programs of the run items are recorded instead of started.
#include "app/postinstall.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "shell/shelltext.h"
#include "tests/unit/testenv.h"

namespace {

const char* const kProduct = "Setup Unit Fonts";
const char* const kOther = "Setup Unit Other";

struct Started {
    std::vector<std::string> commands;
    int version = wvOther;
};
Started* started = nullptr;

short RecordCommand(char* cmdLine) {
    started->commands.push_back(cmdLine);
    return 1;
}

int ReportVersion() {
    return started->version;
}

const RunItemHooks recorder = {RecordCommand, ReportVersion};

class PostInstallTest : public testing::Test {
protected:
    void SetUp() override {
        started = &run;
        BufCopy(szTitle, kProduct);
        BufCopy(dest_path, "C:\\ACME");
        hMainWnd = reinterpret_cast<HWND>(0x1234);
        ClearWinIni();
    }
    void TearDown() override {
        ClearWinIni();
        started = nullptr;
        szIniFile[0] = '\0';
        szTitle[0] = '\0';
        dest_path[0] = '\0';
        hMainWnd = nullptr;
    }

    static void ClearWinIni() {
        PfWriteWinIni(kProduct, nullptr, nullptr);
        PfWriteWinIni(kOther, nullptr, nullptr);
    }

    // Writes the script with the given text after its [Install] section.
    void Script(const std::string& sections) {
        std::string path = dir / "install.ini";
        WriteFile(path, "[Install]\r\nname=Unit\r\n" + sections);
        ASSERT_TRUE(BufCopy(szIniFile, path.c_str()));
    }

    ScratchDir dir;
    MessageBoxRecorder boxes;
    Started run;
};

std::string WinIniPath() {
    return WindowsDir() + "\\WIN.INI";
}

// The lines of a WIN.INI section as "key=value|...", "" when it is absent.
std::string WinIniSection(const char* section) {
    char buf[4096];
    PfGetProfileSection(section, buf, sizeof buf, WinIniPath().c_str());
    std::string lines;
    for (const char* p = buf; *p; p += strlen(p) + 1) lines += std::string(p) + "|";
    return lines;
}

// Forty keys: a key list of more than 300 bytes.
std::string ManyKeys(const std::string& value) {
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += "Entry number " + std::to_string(i) + "=" + value + "\r\n";
    return lines;
}

TEST_F(PostInstallTest, WinIniDataIsWrittenInFileOrder) {
    const std::string win = WindowsDir();
    struct Case {
        const char* what;
        std::string lines;
        std::string product, other;  // the two sections afterwards
    } cases[] = {
        {"ClearOld first empties the section, then the keys are written",
         "ClearOld=1\r\nPath=%I\\FONTS\r\nWindows=%w\r\n",
         "Path=C:\\ACME\\FONTS|Windows=" + win + "|", ""},
        {"ClearOld last removes what the same run wrote", "Path=%I\r\nCLEAROLD=yes\r\n", "", ""},
        {"addtosection2 lands in its own section unexpanded",
         "addtosection2=Setup Unit Other;Dir=%I\\X\r\nPlain=%I\r\n", "Old=1|Plain=C:\\ACME|",
         "Dir=%I\\X|"},
        {"leading separators skipped, the value ends at a further =",
         "ADDTOSECTIONs=;;Setup Unit Other;==Key==a=b\r\n", "Old=1|", "Key=a|"},
        {"repeated keys take their own lines",
         "AddToSection=Setup Unit Other;A=1\r\nAddToSection=Setup Unit Other;B=2\r\n"
         "Same=one\r\nSame=two\r\n",
         "Old=1|Same=two|", "A=1|B=2|"},
        {"an empty value is written empty", "Empty=\r\n", "Old=1|Empty=|", ""},
        {"no section: nothing", "", "Old=1|", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearWinIni();
        ASSERT_TRUE(PfWriteWinIni(kProduct, "Old", "1"));
        Script(c.lines.empty() ? "" : "[WinIniData]\r\n" + c.lines);
        EXPECT_EQ(UpdateWinIni(), 1);
        EXPECT_EQ(WinIniSection(kProduct), c.product);
        EXPECT_EQ(WinIniSection(kOther), c.other);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

// An AddToSection entry with a part missing would, written as it stands,
// remove a section or a key: it is passed over.
TEST_F(PostInstallTest, MalformedAddToSectionValuesLeaveEverySectionIntact) {
    ASSERT_TRUE(PfWriteWinIni(kProduct, "Old", "1"));
    ASSERT_TRUE(PfWriteWinIni(kOther, "Keep", "1"));
    Script(
        "[WinIniData]\r\n"
        "AddToSection1=Setup Unit Other\r\n"
        "AddToSection2=Setup Unit Other;\r\n"
        "AddToSection3=Setup Unit Other;Keep\r\n"
        "AddToSection4=Setup Unit Other;Keep=\r\n"
        "AddToSection5=Setup Unit Other;Keep==\r\n"
        "AddToSection6=Setup Unit Other;=value\r\n"
        "AddToSection7=\r\n"
        "AddToSection8= ;Keep=2\r\n"
        "AddToSection9=Setup Unit Other; =2\r\n"
        "AddToSectionA=Setup Unit Other;Keep= \r\n"
        "AddToSectionB=Setup Unit Fonts\r\n");
    EXPECT_EQ(UpdateWinIni(), 1);
    EXPECT_EQ(WinIniSection(kProduct), "Old=1|");
    EXPECT_EQ(WinIniSection(kOther), "Keep=1|");
}

// A value cut short would point somewhere else: it is passed over whole.
TEST_F(PostInstallTest, ValuesThatWouldNotFitAfterExpansionAreSkipped) {
    const std::string dest = "C:\\" + std::string(100, 'D');  // %I is 103 characters
    BufCopy(dest_path, dest.c_str());
    Script(
        "[WinIniData]\r\nFour=%I%I%I%I\r\nFive=%I%I%I%I%I\r\n"
        "[RunItems]\r\nFour=%I%I%I%I\r\nFive=%I%I%I%I%I\r\nAsk five=%I%I%I%I%I,1\r\n");
    UpdateWinIni();
    DoRunItems(recorder);
    const std::string four = dest + dest + dest + dest;
    EXPECT_EQ(WinIniSection(kProduct), "Four=" + four + "|");
    EXPECT_EQ(run.commands, std::vector<std::string>{four});
    // What cannot run is not asked about.
    EXPECT_TRUE(boxes.boxes.empty());
}

// Without a title there is no product section to write into or clear: an
// empty section name would name the lines above WIN.INI's first section.
TEST_F(PostInstallTest, NoTitleWritesOnlyOtherSections) {
    szTitle[0] = '\0';
    Script("[WinIniData]\r\nClearOld=1\r\nPlain=1\r\n");
    const std::string original = ReadFile(WinIniPath());
    const std::string before = "TopKey=1\r\n" + original;
    WriteFile(WinIniPath(), before);
    EXPECT_EQ(UpdateWinIni(), 1);
    EXPECT_EQ(ReadFile(WinIniPath()), before);
    WriteFile(WinIniPath(), original);

    Script("[WinIniData]\r\nPlain=1\r\nAddToSection=Setup Unit Other;K=v\r\n");
    EXPECT_EQ(UpdateWinIni(), 1);
    EXPECT_EQ(WinIniSection(kOther), "K=v|");
}

TEST_F(PostInstallTest, RunItemsAskForOneAndNotForOtherFlags) {
    Script(
        "[RunItems]\r\n"
        "read the notes=NOTES.EXE %I\\README.TXT,1\r\n"
        "run the tutorial=TUTOR.EXE,1 if you like\r\n"
        "plain=PLAIN.EXE\r\n"
        "zero=ZERO.EXE,0\r\n"
        "other=OTHER.EXE,yes\r\n"
        "blank=BLANK.EXE, 1\r\n"
        "cut=CUT.EXE a,b,1\r\n");
    boxes.Answer(IDNO);
    boxes.Answer(IDYES);
    EXPECT_EQ(DoRunItems(recorder), 1);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "Do you want to \nread the notes ?");
    EXPECT_EQ(boxes.boxes[0].caption, kProduct);
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes.boxes[0].owner, hMainWnd);
    EXPECT_EQ(boxes.boxes[1].text, "Do you want to \nrun the tutorial ?");
    std::vector<std::string> expect = {"TUTOR.EXE", "PLAIN.EXE", "ZERO.EXE",
                                       "OTHER.EXE", "BLANK.EXE", "CUT.EXE a"};
    EXPECT_EQ(run.commands, expect);
}

TEST_F(PostInstallTest, TheVersionCodeChoosesRun16OrRun32Items) {
    Script(
        "[Run32Items]\r\nthirty-two=R32.EXE\r\n"
        "[RunItems]\r\nfirst=ALL.EXE %i\\X\r\nrepeat=AGAIN.EXE\r\nrepeat=AGAIN2.EXE\r\n"
        "[Run16Items]\r\nsixteen=R16.EXE\r\n");
    const std::vector<std::string> all = {"ALL.EXE C:\\ACME\\X", "AGAIN.EXE", "AGAIN2.EXE"};
    for (int code : {int(wvOther), int(wv310), int(wv3xEarly), int(wv3xLate), int(wv4), 5, -1}) {
        SCOPED_TRACE(code);
        run.commands.clear();
        run.version = code;
        EXPECT_EQ(DoRunItems(recorder), 1);
        std::vector<std::string> expect = all;
        expect.push_back(code >= 1 && code <= 3 ? "R16.EXE" : "R32.EXE");
        EXPECT_EQ(run.commands, expect);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

// The question holds 199 characters: a key of 181 fits, one more would be
// shown cut, so that item is neither asked about nor run.
TEST_F(PostInstallTest, AQuestionThatDoesNotFitSkipsItsItem) {
    const std::string fits(181, 'f'), longer(182, 'l');
    Script("[RunItems]\r\n" + fits + "=FITS.EXE,1\r\n");
    EXPECT_EQ(DoRunItems(recorder), 1);
    Script("[RunItems]\r\n" + longer + "=LONGER.EXE,1\r\n");
    EXPECT_EQ(DoRunItems(recorder), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Do you want to \n" + fits + " ?");
    EXPECT_EQ(run.commands, std::vector<std::string>{"FITS.EXE"});
}

TEST_F(PostInstallTest, DeleteFilesPassesOverWhatCannotGo) {
    BufCopy(dest_path, dir.Path().c_str());
    WriteFile(dir / "OLD.TXT", "old");
    WriteFile(dir / "SECOND.TXT", "second");
    WriteFile(dir / "LOCKED.TXT", "locked");
    WriteFile(dir / "KEEP.TXT", "keep");
    ASSERT_EQ(PfSetReadOnly((dir / "LOCKED.TXT").c_str(), true), 0);
    ASSERT_EQ(PfMkdir((dir / "SUB").c_str()), 0);
    Script(
        "[DeleteFiles]\r\n"
        "Missing=%I\\NOT_THERE.TXT\r\n"
        "File=%I\\OLD.TXT\r\n"
        "File=" +
        dir.Path() +
        "\\SECOND.TXT\r\n"
        "Locked=%I\\LOCKED.TXT\r\n"
        "Folder=%I\\SUB\r\n"
        "Empty=\r\n");
    EXPECT_EQ(DoDeleteFiles(), 1);
    EXPECT_FALSE(FileExists(dir / "OLD.TXT"));
    EXPECT_FALSE(FileExists(dir / "SECOND.TXT"));
    EXPECT_EQ(ReadFile(dir / "LOCKED.TXT"), "locked");
    EXPECT_EQ(ReadFile(dir / "KEEP.TXT"), "keep");
    EXPECT_TRUE(PfIsDirectory((dir / "SUB").c_str()));
    EXPECT_TRUE(boxes.boxes.empty());
    PfSetReadOnly((dir / "LOCKED.TXT").c_str(), false);
}

// A key list that does not fit: the message, and nothing of that section.
TEST_F(PostInstallTest, TooMuchDataSkipsTheSection) {
    BufCopy(dest_path, dir.Path().c_str());
    WriteFile(dir / "OLD.TXT", "old");
    Script("[WinIniData]\r\n" + ManyKeys("%I") + "[DeleteFiles]\r\n" + ManyKeys("%I\\OLD.TXT") +
           "[RunItems]\r\n" + ManyKeys("MANY.EXE") + "[Run32Items]\r\nlast=LAST.EXE\r\n");
    EXPECT_EQ(UpdateWinIni(), 0);
    EXPECT_EQ(DoRunItems(recorder), 1);
    EXPECT_EQ(DoDeleteFiles(), 0);
    EXPECT_EQ(WinIniSection(kProduct), "");
    EXPECT_EQ(run.commands, std::vector<std::string>{"LAST.EXE"});
    EXPECT_EQ(ReadFile(dir / "OLD.TXT"), "old");
    const char* texts[] = {"Too much win.ini data.", "Too much run item data.",
                           "Too much delete files data."};
    ASSERT_EQ(boxes.boxes.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes.boxes[i].text, texts[i]);
        EXPECT_EQ(boxes.boxes[i].caption, "Install");
        EXPECT_EQ(boxes.boxes[i].type, unsigned(MB_OK | MB_ICONSTOP));
        EXPECT_EQ(boxes.boxes[i].owner, nullptr);
    }
}

// The reader takes 149 characters of a value (199 of an AddToSection
// value). A longer one, cut, would name another file, program or setting:
// it is passed over, unless it is a run item whose command and ask flag lie
// before the cut.
TEST_F(PostInstallTest, ValuesLongerThanTheReaderTakesAreNotCut) {
    BufCopy(dest_path, dir.Path().c_str());
    // Two files whose paths are 149 characters; the script names the first
    // with one character more, which cut would name it.
    const size_t nameLength = 149 - dir.Path().size() - 1;
    const std::string cutTarget = dir / std::string(nameLength, 'k');
    const std::string whole = dir / std::string(nameLength - 1, 'w') + "W";
    WriteFile(cutTarget, "keep");
    WriteFile(whole, "whole");
    const std::string command = "RUN.EXE " + std::string(141, 'a');  // 149 characters
    Script("[DeleteFiles]\r\nCut=" + cutTarget + "X\r\nWhole=" + whole + "\r\n" +
           "[RunItems]\r\nat the limit=" + command + "\r\n" +
           "command cut=" + command + "Z\r\n" +
           "flag cut=" + command.substr(0, 148) + ",1\r\n" +
           "rest cut=FLAG.EXE,0" + std::string(150, 'c') + "\r\n" +
           "[WinIniData]\r\nAtLimit=" + std::string(149, 'v') + "\r\nOver=" +
           std::string(150, 'v') + "\r\nAddToSection1=Setup Unit Other;Fits=" +
           std::string(199 - 22, 'f') + "\r\nAddToSection2=Setup Unit Other;Over=" +
           std::string(200 - 22, 'o') + "\r\n");
    EXPECT_EQ(DoDeleteFiles(), 1);
    EXPECT_EQ(ReadFile(cutTarget), "keep");
    EXPECT_FALSE(FileExists(whole));
    EXPECT_EQ(DoRunItems(recorder), 1);
    EXPECT_EQ(run.commands, (std::vector<std::string>{command, "FLAG.EXE"}));
    EXPECT_EQ(UpdateWinIni(), 1);
    EXPECT_EQ(WinIniSection(kProduct), "AtLimit=" + std::string(149, 'v') + "|");
    EXPECT_EQ(WinIniSection(kOther), "Fits=" + std::string(199 - 22, 'f') + "|");
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
