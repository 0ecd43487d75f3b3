// The Installation Options dialog from its real template: what the user sees
// (title, labels, the two rows of the account, the warning, OK enabled or
// not, the rows of the list as drawn) while typing, clicking and cancelling.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/globals.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "tests/unit/testenv.h"
#include "tests/win/uidriver.h"
#include "ui/dialogmath.h"
#include "ui/options_win.h"
#include "ui/space.h"
#include "ui/status_win.h"

namespace {

const int32_t K = 1024;

Package Pkg(const char* description, int32_t files, int32_t size, bool optional,
            bool system = false) {
    Package p{};
    BufCopy(p.szDescription, description);
    p.lFiles = files;
    p.lSize = size;
    p.bOptional = optional;
    p.bSystemDir = system;
    return p;
}

// Drive D: of the Wine prefix mapped onto a directory while this lives: a
// link in the prefix's dosdevices, made by the host's ln, which Wine runs.
class DriveD {
public:
    explicit DriveD(const std::string& dir) {
        typedef char*(CDECL * UnixName)(LPCWSTR);
        auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
        char prefix[MAX_PATH];
        DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
        if (!unixName || n == 0 || n >= sizeof prefix) return;
        std::wstring wide(dir.begin(), dir.end());
        char* target = unixName(wide.c_str());
        if (!target) return;
        link_ = std::string(prefix) + "/dosdevices/d:";
        Host("Z:\\bin\\ln -sfn " + std::string(target) + " " + link_);
        HeapFree(GetProcessHeap(), 0, target);
        mapped_ = WaitFor(true);
    }
    ~DriveD() {
        if (link_.empty()) return;
        Host("Z:\\bin\\rm -f " + link_);
        WaitFor(false);
    }
    bool Mapped() const { return mapped_; }

private:
    static void Host(std::string command) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    // Wine does not report when a host program ends: wait for its effect.
    static bool WaitFor(bool present) {
        for (int i = 0; i < 100; ++i) {
            uint64_t bytes;
            if (bool(PfGetDiskFree('D', &bytes)) == present) return true;
            Sleep(50);
        }
        return false;
    }

    std::string link_;
    bool mapped_ = false;
};

bool Shown(HWND dialog, int id) {
    return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}
bool OkEnabled(HWND dialog) {
    return IsWindowEnabled(GetDlgItem(dialog, IDC_OPT_OK)) != FALSE;
}

// A free-space figure as shown ("N K") matches the drive's free space now,
// within what other programs may have written meanwhile.
void ExpectFreeSpace(const std::string& shown, char drive) {
    uint64_t bytes = 0;
    ASSERT_TRUE(PfGetDiskFree(drive, &bytes)) << drive;
    if (bytes >= 0x100000000ull) {
        EXPECT_EQ(shown, "4194303 K") << "4 GiB or more free on " << drive;
        return;
    }
    long want = long(bytes / 1024), seen = atol(shown.c_str());
    EXPECT_NEAR(seen, want, want / 100 + 1024) << shown << " on " << drive;
    EXPECT_EQ(shown.substr(shown.size() - 2), " K");
}

class OptionsDialog : public testing::Test {
protected:
    void SetUp() override {
        hInst = GetModuleHandleA(nullptr);
        BufCopy(szTitle, "Sample Fonts");
        BufCopy(szDirDescription, "the fonts");
        BufCopy(dest_path, "C:\\FONTS");
        bDestIsWindows = 0;
        const Package table[] = {
            Pkg("Program files", 3, 100 * K, false),
            Pkg("Sample fonts", 100, 2000 * K, true),
            Pkg("Printer driver", 1, 50 * K, true, true),
            Pkg("Read me & notes", 1, 1023, true),
        };
        iNumPackages = 0;
        for (const Package& p : table) Packages[iNumPackages++] = p;
    }
    void TearDown() override {
        if (dialog) DestroyWindow(dialog);
    }

    // The dialog as DialogBoxParam makes it, modeless here, after its
    // posted Defaults has run.
    HWND Open() {
        dialog = CreateDialogParamA(hInst, "InstallOptions", nullptr, OptionsDlgProc, 0);
        DoPeeks();
        return dialog;
    }

    HWND List() { return GetDlgItem(dialog, IDC_OPT_LIST); }

    // A real click in the middle of a list row.
    void ClickRow(int index) {
        RECT r;
        SendMessageA(List(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(List(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        for (int i = 0; i < 5; ++i) {
            Sleep(20);
            DoPeeks();
        }
    }

    void Type(const char* keys) {
        for (const char* k = keys; *k; ++k)
            SendDlgItemMessageA(dialog, IDC_OPT_DIR, WM_CHAR, WPARAM(*k), 1);
    }

    HWND dialog = nullptr;
};

TEST_F(OptionsDialog, StartsWithEveryPackageOnTheDefaultDirectory) {
    ASSERT_TRUE(Open());
    char title[80];
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(title, "Sample Fonts Installation Options");
    EXPECT_EQ(Text(dialog, IDC_OPT_DIRLABEL), "Directory for the fonts");
    EXPECT_EQ(Text(dialog, IDC_OPT_DIR), "C:\\FONTS");
    EXPECT_EQ(cDestDrive, 'C');
    ASSERT_EQ(SendMessageA(List(), LB_GETCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(SendMessageA(List(), LB_GETSEL, i, 0), 1) << i;
        EXPECT_EQ(Packages[i].bSelected, 1) << i;
    }
    EXPECT_EQ(SendMessageA(List(), LB_GETITEMHEIGHT, 0, 0), 18);
    // One drive, one account: the system package counts on C as well, and
    // the 1023 bytes of the last package count in bytes before dividing.
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTLABEL), "Drive C:");
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTREQUIRED), "2150 K");
    ExpectFreeSpace(Text(dialog, IDC_OPT_DESTAVAIL), 'C');
    EXPECT_FALSE(Shown(dialog, IDC_OPT_WINLABEL));
    EXPECT_FALSE(Shown(dialog, IDC_OPT_WINAVAIL));
    EXPECT_FALSE(Shown(dialog, IDC_OPT_WINREQUIRED));
    EXPECT_FALSE(Shown(dialog, IDC_OPT_NOSPACE));
    EXPECT_TRUE(OkEnabled(dialog));
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
}

TEST_F(OptionsDialog, WindowsDirectoryAsDestinationHidesTheField) {
    bDestIsWindows = 1;
    ASSERT_TRUE(Open());
    EXPECT_FALSE(Shown(dialog, IDC_OPT_DIRLABEL));
    EXPECT_FALSE(Shown(dialog, IDC_OPT_DIR));
    EXPECT_TRUE(OkEnabled(dialog));
}

// What a row shows, read from the screen: the tick's colour (the pixel at
// the tick's left end), whether the background is white, and the colours of
// its text in the three columns.
struct RowLook {
    COLORREF tick;
    bool whiteBackground;
    int firstTextX[3];  // first pixel of text colour per column, -1 for none
};

RowLook LookAtRow(HWND list, int index, COLORREF textColour) {
    RECT r;
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    HDC dc = GetDC(list);
    int h = r.bottom - r.top, w = r.right - r.left;
    RowLook look;
    // The tick bitmap sits 4 pixels in; its row 5 starts with the tick.
    look.tick = GetPixel(dc, r.left + 4, r.top + 4 + 5);
    // Inside the focus rectangle: left of the tick, and between tick and text.
    look.whiteBackground = GetPixel(dc, r.left + 2, r.top + 2) == RGB(255, 255, 255) &&
                           GetPixel(dc, r.left + h - 2, r.top + h / 2) == RGB(255, 255, 255);
    int edges[4] = {r.left + h, ColumnEdge(r.left, w, 65), ColumnEdge(r.left, w, 85), r.right};
    for (int c = 0; c < 3; ++c) {
        look.firstTextX[c] = -1;
        for (int x = edges[c]; x < edges[c + 1] && look.firstTextX[c] < 0; ++x)
            for (int y = r.top; y < r.bottom; ++y)
                if (GetPixel(dc, x, y) == textColour) {
                    look.firstTextX[c] = x - edges[c];
                    break;
                }
    }
    ReleaseDC(list, dc);
    return look;
}

TEST_F(OptionsDialog, RowsShowTicksColoursAndColumns) {
    ASSERT_TRUE(Open());
    UpdateWindow(dialog);
    const COLORREF green = RGB(0, 255, 0), grey = RGB(127, 127, 127), red = RGB(255, 0, 0);

    RowLook required = LookAtRow(List(), 0, grey);
    EXPECT_EQ(required.tick, RGB(0, 128, 0));
    EXPECT_TRUE(required.whiteBackground);

    // "Sample fonts", 100 files, 2000 K: no leading blanks, so each column's
    // text starts at its edge.
    RowLook selected = LookAtRow(List(), 1, green);
    EXPECT_EQ(selected.tick, green);
    EXPECT_TRUE(selected.whiteBackground) << "a selected row is drawn highlighted";
    for (int c = 0; c < 3; ++c) {
        EXPECT_GE(selected.firstTextX[c], 0) << "column " << c;
        EXPECT_LE(selected.firstTextX[c], 3) << "column " << c;
    }

    ClickRow(1);
    EXPECT_EQ(SendMessageA(List(), LB_GETSEL, 1, 0), 0);
    EXPECT_EQ(Packages[1].bSelected, 0);
    RowLook cleared = LookAtRow(List(), 1, red);
    EXPECT_EQ(cleared.tick, RGB(255, 255, 255));
    EXPECT_TRUE(cleared.whiteBackground);
    EXPECT_GE(cleared.firstTextX[0], 0) << "no red description";
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTREQUIRED), "150 K");
}

// A click on a required row changes nothing that can be seen.
TEST_F(OptionsDialog, ClickOnARequiredRowChangesNothing) {
    ASSERT_TRUE(Open());
    UpdateWindow(dialog);
    ClickRow(0);
    EXPECT_EQ(SendMessageA(List(), LB_GETSEL, 0, 0), 0) << "the click did not reach the list";
    EXPECT_EQ(Packages[0].bSelected, 1);
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTREQUIRED), "2150 K");
    RowLook look = LookAtRow(List(), 0, RGB(127, 127, 127));
    EXPECT_EQ(look.tick, RGB(0, 128, 0));
    EXPECT_TRUE(look.whiteBackground);
    EXPECT_GE(look.firstTextX[0], 0);
}

// Typing a path on drive D switches the account there as soon as the letter
// and the colon stand in the field; the Windows row then shows drive C.
TEST_F(OptionsDialog, TypingDColonSwitchesTheAccountToDriveD) {
    ScratchDir dir;
    DriveD drive(dir.Path());
    ASSERT_TRUE(drive.Mapped()) << "drive D: could not be mapped";
    ASSERT_TRUE(Open());

    SetDlgItemTextA(dialog, IDC_OPT_DIR, "");
    EXPECT_FALSE(OkEnabled(dialog));
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTAVAIL), "0");
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTLABEL), "No drive");
    EXPECT_EQ(cDestDrive, NO_DRIVE);
    Type("d");
    EXPECT_FALSE(OkEnabled(dialog)) << "a letter alone names no drive";
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTAVAIL), "0");
    Type(":");
    EXPECT_EQ(cDestDrive, 'D');
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTLABEL), "Drive D:");
    ExpectFreeSpace(Text(dialog, IDC_OPT_DESTAVAIL), 'D');
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTREQUIRED), "2100 K");
    EXPECT_TRUE(Shown(dialog, IDC_OPT_WINLABEL));
    EXPECT_TRUE(Shown(dialog, IDC_OPT_WINAVAIL));
    EXPECT_TRUE(Shown(dialog, IDC_OPT_WINREQUIRED));
    EXPECT_EQ(Text(dialog, IDC_OPT_WINLABEL), "(Windows) Drive C:");
    EXPECT_EQ(Text(dialog, IDC_OPT_WINREQUIRED), "50 K");
    ExpectFreeSpace(Text(dialog, IDC_OPT_WINAVAIL), 'C');
    EXPECT_TRUE(OkEnabled(dialog));
    EXPECT_FALSE(Shown(dialog, IDC_OPT_NOSPACE));

    // Further typing on the same drive, in either case, recomputes nothing.
    SetDlgItemTextA(dialog, IDC_OPT_DESTAVAIL, "unchanged");
    Type("\\fonts");
    SetDlgItemTextA(dialog, IDC_OPT_DIR, "D:\\OTHER");
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTAVAIL), "unchanged");
    // Without the system package selected the Windows row goes.
    Packages[2].bSelected = 0;
    SendMessageA(List(), LB_SETSEL, FALSE, 2);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_OPT_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(List()));
    EXPECT_FALSE(Shown(dialog, IDC_OPT_WINLABEL));
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTREQUIRED), "2100 K");
}

// A drive that cannot be queried has no room: the warning shows, OK is off;
// a path without a drive letter keeps that drive in the account.
TEST_F(OptionsDialog, UnknownDriveShowsTheWarning) {
    ASSERT_TRUE(Open());
    SetDlgItemTextA(dialog, IDC_OPT_DIR, "Q:\\FONTS");
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTLABEL), "Drive Q:");
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTAVAIL), "0 K");
    EXPECT_TRUE(Shown(dialog, IDC_OPT_NOSPACE));
    EXPECT_FALSE(OkEnabled(dialog));
    SetDlgItemTextA(dialog, IDC_OPT_DIR, "\\FONTS");
    EXPECT_EQ(cDestDrive, 'Q');
    EXPECT_TRUE(Shown(dialog, IDC_OPT_NOSPACE));
    SetDlgItemTextA(dialog, IDC_OPT_DIR, "c:\\FONTS");
    EXPECT_FALSE(Shown(dialog, IDC_OPT_NOSPACE));
    EXPECT_TRUE(OkEnabled(dialog));

    // Keys that arrive while an account for C pumps the queue: the drive
    // they type is the one shown afterwards, not C over it again.
    HWND field = GetDlgItem(dialog, IDC_OPT_DIR);
    SendMessageA(field, EM_SETSEL, 0, -1);
    PostMessageA(field, WM_CHAR, 'Q', 1);
    PostMessageA(field, WM_CHAR, ':', 1);
    UpdateSpace(dialog, cDestDrive);
    EXPECT_EQ(Text(dialog, IDC_OPT_DIR), "Q:");
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTLABEL), "Drive Q:");
    EXPECT_TRUE(Shown(dialog, IDC_OPT_NOSPACE));
    EXPECT_FALSE(OkEnabled(dialog));
}

// A default directory without a drive letter lies on the current drive; an
// empty one names no drive, and OK waits for one.
TEST_F(OptionsDialog, DefaultWithoutDriveLetter) {
    char kept[MAX_PATH];
    GetCurrentDirectoryA(sizeof kept, kept);
    ScratchDir onC;
    ASSERT_EQ(onC.Path()[0], 'C');
    SetCurrentDirectoryA(onC.Path().c_str());
    struct Case {
        const char* dest;
        char drive;
        const char* label;
        bool ok;
        const char* required;  // with no drive the system package counts on C: alone
    } cases[] = {
        {"\\FONTS", 'C', "Drive C:", true, "2150 K"},
        {"", NO_DRIVE, "No drive", false, "2100 K"},
    };
    for (const Case& c : cases) {
        BufCopy(dest_path, c.dest);
        ASSERT_TRUE(Open());
        EXPECT_EQ(cDestDrive, c.drive) << c.dest;
        EXPECT_EQ(Text(dialog, IDC_OPT_DESTLABEL), c.label) << c.dest;
        EXPECT_EQ(OkEnabled(dialog), c.ok) << c.dest;
        EXPECT_EQ(Text(dialog, IDC_OPT_DESTREQUIRED), c.required) << c.dest;
        DestroyWindow(dialog);
        dialog = nullptr;
    }
    SetCurrentDirectoryA(kept);
}

// Defaults puts the directory back and selects every row, also those
// scrolled out of view.
TEST_F(OptionsDialog, DefaultsSelectsEveryRowAgain) {
    iNumPackages = 12;
    for (int i = 4; i < iNumPackages; ++i) Packages[i] = Pkg("More fonts", 5, 10 * K, true);
    ASSERT_TRUE(Open());
    SetDlgItemTextA(dialog, IDC_OPT_DIR, "C:\\ELSEWHERE");
    for (int i : {1, 2, 11}) {
        SendMessageA(List(), LB_SETSEL, FALSE, i);
        Packages[i].bSelected = 0;
    }
    SendMessageA(GetDlgItem(dialog, IDC_OPT_DEFAULTS), BM_CLICK, 0, 0);
    DoPeeks();
    EXPECT_EQ(Text(dialog, IDC_OPT_DIR), "C:\\FONTS");
    for (int i = 0; i < iNumPackages; ++i) {
        EXPECT_EQ(SendMessageA(List(), LB_GETSEL, i, 0), 1) << i;
        EXPECT_EQ(Packages[i].bSelected, 1) << i;
    }
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTREQUIRED), "2230 K");
}

TEST_F(OptionsDialog, CancelAsksAndNoKeepsEverything) {
    MessageBoxRecorder boxes;
    ASSERT_TRUE(Open());
    ClickRow(1);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].owner, dialog);
    EXPECT_EQ(boxes.boxes[0].text, "Are you sure you want to cancel installation?");
    EXPECT_EQ(boxes.boxes[0].caption, "Cancel Confirmation");
    EXPECT_EQ(boxes.boxes[0].type,
              unsigned(MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_SYSTEMMODAL));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(Packages[1].bSelected, 0);
    EXPECT_EQ(Text(dialog, IDC_OPT_DIR), "C:\\FONTS");
    EXPECT_EQ(Text(dialog, IDC_OPT_DESTREQUIRED), "150 K");
}

// OK refuses a directory Windows cannot create, with a message, and the
// dialog stays open with the typed text; a sound one ends it.
TEST_F(OptionsDialog, OkRefusesNamesWindowsCannotCreate) {
    struct Case {
        const char* typed;
        const char* message;
    } cases[] = {
        {"C:\\KESTRELC:\\KEST2",
         "The directory \"C:\\KESTRELC:\\KEST2\" cannot be created: a directory name cannot "
         "hold \":\" but after the drive letter."},
        {"C:\\FONTS\\*",
         "The directory \"C:\\FONTS\\*\" cannot be created: a directory name "
         "cannot hold \"*\"."},
        {"C:\\A|B",
         "The directory \"C:\\A|B\" cannot be created: a directory name cannot hold "
         "\"|\"."},
        {"C:\\A\tB",
         "The directory \"C:\\A\tB\" cannot be created: a directory name cannot "
         "hold a control character."},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        ASSERT_TRUE(Open());
        SetDlgItemTextA(dialog, IDC_OPT_DIR, c.typed);
        DoPeeks();
        ASSERT_TRUE(OkEnabled(dialog)) << c.typed;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_OPT_OK, BN_CLICKED), 0);
        ASSERT_EQ(boxes.boxes.size(), 1u) << c.typed;
        EXPECT_EQ(boxes.boxes[0].owner, dialog);
        EXPECT_EQ(boxes.boxes[0].text, c.message);
        EXPECT_EQ(boxes.boxes[0].caption, "Setup");
        EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_TRUE(IsWindowVisible(dialog)) << c.typed;
        EXPECT_EQ(Text(dialog, IDC_OPT_DIR), c.typed);
        EXPECT_STREQ(dest_path, "C:\\FONTS");
        DestroyWindow(dialog);
        dialog = nullptr;
    }
}

// Run modally as the sequence runs it: OK gives 1 and the typed directory;
// Cancel answered Yes gives 0 and leaves dest_path alone.
TEST_F(OptionsDialog, ModalResults) {
    MessageBoxRecorder boxes;
    UiDriver driver;
    auto Ready = [] {
        HWND d = UiDriver::Dialog("Sample Fonts Installation Options");
        return d && OkEnabled(d) ? d : nullptr;
    };
    driver.Then([&] {
        HWND d = Ready();
        if (!d) return false;
        SetDlgItemTextA(d, IDC_OPT_DIR, "c:\\Typed\\Fonts");
        UiDriver::Click(d, IDC_OPT_OK);
        return true;
    });
    EXPECT_EQ(DialogBoxParamA(hInst, "InstallOptions", nullptr, OptionsDlgProc, 0), 1);
    EXPECT_STREQ(dest_path, "c:\\Typed\\Fonts");

    boxes.Answer(IDYES);
    driver.Then([&] {
        HWND d = Ready();
        if (!d) return false;
        UiDriver::Click(d, IDCANCEL);
        return true;
    });
    EXPECT_EQ(DialogBoxParamA(hInst, "InstallOptions", nullptr, OptionsDlgProc, 0), 0);
    EXPECT_STREQ(dest_path, "c:\\Typed\\Fonts");
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

}  // namespace
