// The extraction loop in-process: real archives on scratch "disks" (one
// directory each), the real status window and disk prompt from their
// templates, driven like a user; message boxes recorded.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "app/disks_win.h"
#include "app/globals.h"
#include "app/paths.h"
#include "app/script.h"
#include "fonts/ff1file.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "tests/unit/testenv.h"
#include "tests/win/uidriver.h"
#include "tools/common/arcwriter.h"

namespace {

const uint32_t kStamp = 0x2A215800;  // 1 Jan 2001 11:00:00
typedef std::vector<std::pair<std::string, std::string>> Members;

std::string Lower(std::string text) {
    StrLower(&text[0]);
    return text;
}

std::string FontBytes(const ScratchDir& work, std::vector<uint16_t> ids) {
    std::string path = work / "made.ff1";
    EXPECT_TRUE(makeFontFile(path.c_str(), ids.data(), int(ids.size())));
    return ReadFile(path);
}

std::vector<int> FaceIds(const std::string& path) {
    std::vector<int> ids;
    PfFile* fp = PfOpen(path.c_str(), "rb");
    fontHeader header;
    if (fp && readFontHeader(fp, &header)) {
        std::vector<int32_t> read(header.nFaces);
        if (readFaceIds(fp, header, read.data())) ids.assign(read.begin(), read.end());
    }
    if (fp) PfClose(fp);
    return ids;
}

HWND Prompt() {
    return UiDriver::Dialog("Disk Needed");
}

// Two disks and a destination; the script copy in the destination with its
// packages read and all selected, as the options dialog leaves them.
class DiskLoop : public testing::Test {
protected:
    void SetUp() override {
        hInst = GetModuleHandleA(nullptr);
        hMainWnd =
            CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, hInst, nullptr);
        BufFormat(exe_dir, "%s\\", disk1.Path().c_str());
        BufCopy(dest_path, (target / "DEST").c_str());
        bSDCancelled = 0;
    }
    void TearDown() override {
        DestroyWindow(hMainWnd);
        hMainWnd = nullptr;
        bSDCancelled = 0;
        iNumPackages = 0;
        szIniFile[0] = exe_dir[0] = dest_path[0] = '\0';
    }

    void Script(const std::string& text) {
        CreatePath(dest_path);
        std::string copy = std::string(dest_path) + "\\install.ini";
        WriteFile(copy, "[Install]\r\nname=Sample Fonts\r\n" + text);
        BufCopy(szIniFile, copy.c_str());
        ReadPackages();
        for (int i = 0; i < iNumPackages; ++i) Packages[i].bSelected = 1;
    }

    static void Archive(const std::string& path, const Members& members) {
        ArcWriter writer;
        bool made = writer.Create(path.c_str());
        for (const auto& m : members)
            made =
                made && writer.AddData(m.first.c_str(), m.second.data(), m.second.size(), kStamp);
        ASSERT_TRUE(made && writer.Finish()) << writer.Error();
    }

    // A prompt where none is expected ends the installation and is counted,
    // so that a wrong walk fails instead of waiting for a user.
    void NoMorePrompts() {
        driver.Then([this] {
            if (HWND prompt = Prompt()) {
                ++unexpectedPrompts;
                EndDialog(prompt, 0);
            }
            return false;
        });
    }

    std::string Dest(const std::string& name) const { return std::string(dest_path) + "\\" + name; }

    ScratchDir disk1, disk2, target, work;
    MessageBoxRecorder boxes;
    UiDriver driver;
    int unexpectedPrompts = 0;
};

// Disk by disk, on each disk the packages in table order whatever the order
// of the keys; a package not selected is not looked for; every font archive
// is followed by a repair of its directory.
TEST_F(DiskLoop, WalksDisksThenPackagesInTableOrder) {
    Script(
        "disks=3\r\n[Packages]\r\n"
        "Fonts=Sample fonts,FONTS,2,10,FF1,0\r\n"
        "Extra=Extra fonts,FONTS,1,10,FF1,1\r\n"
        "Skipped=Not chosen,SKIPPED,1,10,FF1,1\r\n"
        "[Disk1]\r\nExtra1=E1.ARC\r\nSkipped1=MISSING.ARC\r\nFonts1=F1.ARC\r\n"
        "[Disk2]\r\n"
        "[Disk3]\r\nFonts3=F3.ARC\r\nFonts4=\r\n");
    Packages[2].bSelected = 0;
    Archive(disk1 / "F1.ARC", {{"A.FF1", FontBytes(work, {500, 501})},
                               {"ORDER.TXT", "fonts"},
                               {"SUB\\NOTE.TXT", "note"}});
    Archive(disk1 / "E1.ARC", {{"B.FF1", FontBytes(work, {500})}, {"ORDER.TXT", "extra"}});
    Archive(disk1 / "F3.ARC", {{"C.FF1", FontBytes(work, {501})}});
    NoMorePrompts();

    EXPECT_EQ(loadDisks(), 1);
    EXPECT_EQ(unexpectedPrompts, 0);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(hStatusDlg, nullptr);
    EXPECT_EQ(std::string(exe_dir), Lower(disk1.Path() + "\\"));
    EXPECT_EQ(ReadFile(Dest("FONTS\\ORDER.TXT")), "extra");
    EXPECT_EQ(ReadFile(Dest("FONTS\\SUB\\NOTE.TXT")), "note");
    uint32_t stamp = 0;
    EXPECT_TRUE(PfGetFileTime(Dest("FONTS\\SUB\\NOTE.TXT").c_str(), &stamp));
    EXPECT_EQ(stamp, kStamp);
    // The first repair leaves A alone and moves B; C, from disk 3, yields too.
    EXPECT_EQ(FaceIds(Dest("FONTS\\A.FF1")), (std::vector<int>{500, 501}));
    EXPECT_EQ(FaceIds(Dest("FONTS\\B.FF1")), (std::vector<int>{998}));
    EXPECT_EQ(FaceIds(Dest("FONTS\\C.FF1")), (std::vector<int>{997}));
    EXPECT_TRUE(FileExists(Dest("FONTS\\fontnam.dat")));
    EXPECT_FALSE(PfIsDirectory(Dest("SKIPPED").c_str()));
}

TEST_F(DiskLoop, DisksMissingEndsTheInstallationAndZeroExtractsNothing) {
    Script("[Packages]\r\nFonts=Sample fonts,FONTS,1,10,FF1,0\r\n[Disk1]\r\nFonts1=F1.ARC\r\n");
    Archive(disk1 / "F1.ARC", {{"A.TXT", "a"}});
    NoMorePrompts();
    EXPECT_EQ(loadDisks(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Couldn't read install.ini");
    EXPECT_EQ(boxes.boxes[0].caption, "Bad Diskette");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL));
    EXPECT_EQ(boxes.boxes[0].owner, nullptr);
    EXPECT_EQ(hStatusDlg, nullptr);

    // A script copy that could not be made reads the same way.
    szIniFile[0] = '\0';
    EXPECT_EQ(loadDisks(), 0);
    EXPECT_EQ(boxes.boxes.size(), 2u);

    Script(
        "disks=0\r\n[Packages]\r\nFonts=Sample fonts,FONTS,1,10,FF1,0\r\n"
        "[Disk1]\r\nFonts1=F1.ARC\r\n");
    EXPECT_EQ(loadDisks(), 1);
    EXPECT_EQ(boxes.boxes.size(), 2u);
    EXPECT_FALSE(FileExists(Dest("FONTS\\A.TXT")));
    EXPECT_EQ(unexpectedPrompts, 0);
}

// A damaged archive and a name too long to use are reported with their
// full paths, after a beep, and the walk goes on; a failed font archive
// gets no repair.
TEST_F(DiskLoop, FailedArchivesAreReportedAndTheWalkGoesOn) {
    Script(
        "disks=1\r\n[Packages]\r\n"
        "Fonts=Sample fonts,FONTS,2,10,FF1,0\r\nDocs=Documents,DOCS,1,10,APP,0\r\n"
        "[Disk1]\r\nFonts1=BAD.ARC\r\nFonts2=TOOLONGNAME.ARC\r\nDocs1=GOOD.ARC\r\n");
    std::string bad = disk1 / "BAD.ARC";
    Archive(bad, {{"A.FF1", FontBytes(work, {7})}, {"B.FF1", FontBytes(work, {7})}});
    // Damage B.FF1's CRC-32, which its directory entry holds 12 bytes after the name.
    std::string bytes = ReadFile(bad);
    size_t name = bytes.rfind("B.FF1");
    ASSERT_NE(name, std::string::npos);
    bytes[name + 5 + 12] ^= 0x55;
    WriteFile(bad, bytes);
    Archive(disk1 / "TOOLONGNAME.ARC", {{"X.TXT", "x"}});
    Archive(disk1 / "GOOD.ARC", {{"README.TXT", "docs"}});
    NoMorePrompts();

    EXPECT_EQ(loadDisks(), 1);
    EXPECT_EQ(unexpectedPrompts, 0);
    const std::string source = Lower(disk1.Path() + "\\");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text,
              "An error occurred while extracting files from '" + source + "BAD.ARC'.");
    EXPECT_EQ(boxes.boxes[1].text,
              "An error occurred while extracting files from '" + source + "TOOLONGNAME.ARC'.");
    for (const auto& box : boxes.boxes) {
        EXPECT_EQ(box.caption, "Setup");
        EXPECT_EQ(box.type, unsigned(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(box.owner, hMainWnd);
    }
    EXPECT_EQ(FaceIds(Dest("FONTS\\A.FF1")), std::vector<int>{7});
    EXPECT_FALSE(FileExists(Dest("FONTS\\fontnam.dat")));
    EXPECT_FALSE(FileExists(Dest("FONTS\\X.TXT")));
    EXPECT_EQ(ReadFile(Dest("DOCS\\README.TXT")), "docs");
}

// What the first prompt showed.
struct PromptSeen {
    std::string prompt, field;
    DWORD selStart = 1, selEnd = 0;
    bool focused = false, centred = false, statusShown = false;
};

// The prompt for disk 2 shows the source directory selected; OK with an
// empty field, with a field too long to use, or with a directory that does
// not hold the archive brings it back; the directory typed then holds for
// every later archive.
TEST_F(DiskLoop, PromptAsksUntilTheArchiveCanBeRead) {
    Script(
        "disks=2\r\n[Packages]\r\nFonts=Sample fonts,FONTS,3,10,FF1,0\r\n"
        "[Disk1]\r\nFonts1=F1.ARC\r\n[Disk2]\r\nFonts2=F2.ARC\r\nFonts3=F3.ARC\r\n");
    Archive(disk1 / "F1.ARC", {{"ONE.TXT", "1"}});
    Archive(disk2 / "F2.ARC", {{"TWO.TXT", "2"}});
    Archive(disk2 / "F3.ARC", {{"THREE.TXT", "3"}});
    PromptSeen seen;
    HWND first = nullptr;
    driver.Then([&] {
        if (!(first = Prompt())) return false;
        HWND field = GetDlgItem(first, IDC_DISK_DIR);
        seen = {Text(first, IDC_DISK_PROMPT), Text(first, IDC_DISK_DIR)};
        SendMessageA(field, EM_GETSEL, WPARAM(&seen.selStart), LPARAM(&seen.selEnd));
        seen.focused = GetFocus() == field;
        seen.centred = Centred(first);
        seen.statusShown = hStatusDlg && IsWindowVisible(hStatusDlg);
        SetPropA(first, "seen", HANDLE(1));
        SetWindowTextA(field, "");
        UiDriver::Click(first, IDOK);
        return true;
    });
    int kept = 0;
    for (std::string typed : {std::string(80, 'x'), std::string(exe_dir)}) {
        driver.Then([&, typed] {
            kept += Prompt() == first;
            SetDlgItemTextA(first, IDC_DISK_DIR, typed.c_str());
            UiDriver::Click(first, IDOK);
            return true;
        });
    }
    driver.Then([&] {
        HWND again = Prompt();
        if (!again || GetPropA(again, "seen")) return false;
        SetDlgItemTextA(again, IDC_DISK_DIR, Lower(disk2.Path()).c_str());
        UiDriver::Click(again, IDOK);
        return true;
    });
    NoMorePrompts();

    EXPECT_EQ(loadDisks(), 1);
    EXPECT_EQ(seen.prompt, "Insert Disk 2");
    EXPECT_TRUE(StrEqualNoCase(seen.field.c_str(), Lower(disk1.Path() + "\\").c_str()))
        << seen.field;
    EXPECT_EQ(seen.selStart, 0u);
    EXPECT_EQ(seen.selEnd, seen.field.size());
    EXPECT_TRUE(seen.focused);
    EXPECT_TRUE(seen.centred);
    EXPECT_TRUE(seen.statusShown);
    EXPECT_EQ(kept, 2);
    EXPECT_EQ(unexpectedPrompts, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Directory name too long.");
    EXPECT_EQ(std::string(exe_dir), Lower(disk2.Path() + "\\"));
    EXPECT_EQ(ReadFile(Dest("FONTS\\ONE.TXT")), "1");
    EXPECT_EQ(ReadFile(Dest("FONTS\\TWO.TXT")), "2");
    EXPECT_EQ(ReadFile(Dest("FONTS\\THREE.TXT")), "3");
}

// Cancel asks first: No keeps the prompt, Yes ends the installation with
// what was extracted left in place.
TEST_F(DiskLoop, PromptCancelAsksAndYesEndsTheInstallation) {
    Script(
        "disks=2\r\n[Packages]\r\nFonts=Sample fonts,FONTS,2,10,FF1,0\r\n"
        "[Disk1]\r\nFonts1=F1.ARC\r\n[Disk2]\r\nFonts2=F2.ARC\r\n");
    Archive(disk1 / "F1.ARC", {{"ONE.TXT", "1"}});
    boxes.Answer(IDNO);
    boxes.Answer(IDYES);
    HWND prompt = nullptr;
    bool kept = false;
    driver.Then([&] {
        if (!(prompt = Prompt())) return false;
        UiDriver::Click(prompt, IDCANCEL);
        return true;
    });
    driver.Then([&] {
        kept = Prompt() == prompt;
        UiDriver::Click(prompt, IDCANCEL);
        return true;
    });

    EXPECT_EQ(loadDisks(), 0);
    EXPECT_TRUE(kept);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    for (const auto& box : boxes.boxes) {
        EXPECT_EQ(box.text, "Are you sure you want to cancel installation?");
        EXPECT_EQ(box.caption, "Cancel Confirmation");
        EXPECT_EQ(box.type, unsigned(MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_SYSTEMMODAL));
        EXPECT_EQ(box.owner, prompt);
    }
    EXPECT_EQ(ReadFile(Dest("FONTS\\ONE.TXT")), "1");
    EXPECT_EQ(hStatusDlg, nullptr);
}

// Cancel in the status window counts between packages: the package being
// extracted gets its other archives on this disk, then nothing follows.
TEST_F(DiskLoop, StatusCancelFinishesThePackageThenStops) {
    Script(
        "disks=2\r\n[Packages]\r\n"
        "Fonts=Sample fonts,FONTS,2,10,FF1,0\r\nDocs=Documents,DOCS,1,10,APP,0\r\n"
        "[Disk1]\r\nDocs1=D1.ARC\r\nFonts1=F1.ARC\r\nFonts2=F2.ARC\r\n"
        "[Disk2]\r\nFonts3=F3.ARC\r\n");
    Archive(disk1 / "F1.ARC", {{"ONE.TXT", "1"}});
    Archive(disk2 / "F2.ARC", {{"TWO.TXT", "2"}});
    Archive(disk1 / "D1.ARC", {{"DOC.TXT", "d"}});
    Archive(disk2 / "F3.ARC", {{"THREE.TXT", "3"}});
    driver.Then([&] {
        HWND prompt = Prompt();
        if (!prompt) return false;
        UiDriver::Click(hStatusDlg, IDCANCEL);
        SetDlgItemTextA(prompt, IDC_DISK_DIR, disk2.Path().c_str());
        UiDriver::Click(prompt, IDOK);
        return true;
    });
    NoMorePrompts();

    EXPECT_EQ(loadDisks(), 1);
    EXPECT_EQ(bSDCancelled, 1);
    EXPECT_EQ(unexpectedPrompts, 0);
    EXPECT_EQ(ReadFile(Dest("FONTS\\ONE.TXT")), "1");
    EXPECT_EQ(ReadFile(Dest("FONTS\\TWO.TXT")), "2");
    EXPECT_FALSE(FileExists(Dest("DOCS\\DOC.TXT")));
    EXPECT_FALSE(FileExists(Dest("FONTS\\THREE.TXT")));
    EXPECT_EQ(hStatusDlg, nullptr);
}

// A source directory too deep for an archive's path brings the prompt, not
// an extraction error; a typed directory that leaves no room for the
// archive's name keeps the prompt open, with a message.
TEST_F(DiskLoop, ADirectoryTooDeepForTheArchivePathBringsThePrompt) {
    Script(
        "disks=1\r\n[Packages]\r\nFonts=Sample fonts,FONTS,2,10,FF1,0\r\n"
        "[Disk1]\r\nFonts1=F1.ARC\r\nFonts2=F2.ARC\r\n");
    Archive(disk1 / "F1.ARC", {{"ONE.TXT", "1"}});
    Archive(disk1 / "F2.ARC", {{"TWO.TXT", "2"}});
    const std::string deep = "c:\\" + std::string(72, 'l') + "\\";  // 77 and F1.ARC: 83
    BufCopy(exe_dir, deep.c_str());
    HWND prompt = nullptr;
    bool kept = false;
    driver.Then([&] {
        if (!(prompt = Prompt())) return false;
        SetDlgItemTextA(prompt, IDC_DISK_DIR, deep.c_str());
        UiDriver::Click(prompt, IDOK);
        return true;
    });
    driver.Then([&] {
        kept = Prompt() == prompt;
        SetDlgItemTextA(prompt, IDC_DISK_DIR, disk1.Path().c_str());
        UiDriver::Click(prompt, IDOK);
        return true;
    });
    NoMorePrompts();

    EXPECT_EQ(loadDisks(), 1);
    EXPECT_TRUE(kept);
    EXPECT_EQ(unexpectedPrompts, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Directory name too long.");
    EXPECT_EQ(boxes.boxes[0].caption, "Disk Needed");
    EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.boxes[0].owner, prompt);
    EXPECT_EQ(std::string(exe_dir), Lower(disk1.Path() + "\\"));
    EXPECT_EQ(ReadFile(Dest("FONTS\\ONE.TXT")), "1");
    EXPECT_EQ(ReadFile(Dest("FONTS\\TWO.TXT")), "2");
}

}  // namespace
