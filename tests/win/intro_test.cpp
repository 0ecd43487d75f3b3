// The intro box from its real template: texts, fonts, colours, the logo as
// drawn on screen, and the ways it closes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "tests/unit/testenv.h"
#include "tests/win/uidriver.h"
#include "tools/common/branding.h"
#include "ui/dialogmath.h"
#include "ui/intro_win.h"

namespace {

class IntroBox : public testing::Test {
protected:
    void SetUp() override {
        hInst = GetModuleHandleA(nullptr);
        BufCopy(szTitle, "Sample Fonts");
        BufCopy(szDisclaimer, "Not for resale");
    }
    void TearDown() override {
        if (hIntroDlg) DestroyWindow(hIntroDlg);
        hIntroDlg = nullptr;
    }

    // The box as Intro makes it, without Intro's loop.
    HWND Open() {
        hIntroDlg = CreateDialogParamA(hInst, "IntroBox", nullptr, IntroDlg, 0);
        UpdateWindow(hIntroDlg);
        return hIntroDlg;
    }

    // Intro's loop while the driver plays the user; the time it took in ms.
    DWORD RunIntro() {
        DWORD start = GetTickCount();
        Intro(nullptr);
        return GetTickCount() - start;
    }

    UiDriver driver;
};

LOGFONTA FontOf(HWND control) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font;
}

int Dpi() {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

// The number of pixels of a colour in a control's client area, read from the screen.
int CountColour(HWND control, COLORREF colour) {
    RECT r;
    GetClientRect(control, &r);
    HDC dc = GetDC(control);
    int n = 0;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) n += GetPixel(dc, x, y) == colour;
    ReleaseDC(control, dc);
    return n;
}

COLORREF And(COLORREF a, COLORREF b) {
    return a & b;
}

TEST_F(IntroBox, ShowsTheNameTheDisclaimerInRedAndNoCaption) {
    BufCopy(szTitle, "Fonts & Faces");
    BufCopy(szDisclaimer, "Tools & samples, not for resale");
    HWND box = Open();
    ASSERT_TRUE(box);
    EXPECT_EQ(Text(box, IDC_INTRO_TITLE), "Fonts && Faces");
    EXPECT_EQ(Text(box, IDC_INTRO_DISCLAIMER), "Tools && samples, not for resale");
    EXPECT_EQ(GetWindowLongA(box, GWL_STYLE) & WS_CAPTION, 0);

    LOGFONTA title = FontOf(GetDlgItem(box, IDC_INTRO_TITLE));
    EXPECT_EQ(title.lfHeight, PointsToPixels(30, Dpi()));
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_TRUE(title.lfItalic);
    EXPECT_EQ(title.lfPitchAndFamily & 0xF0, FF_SWISS);
    EXPECT_EQ(FontOf(GetDlgItem(box, IDC_INTRO_DISCLAIMER)).lfHeight, PointsToPixels(12, Dpi()));

    RECT r;
    GetWindowRect(box, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);

    EXPECT_GT(CountColour(GetDlgItem(box, IDC_INTRO_DISCLAIMER), RGB(255, 0, 0)), 20);
    EXPECT_EQ(CountColour(GetDlgItem(box, IDC_INTRO_TITLE), RGB(255, 0, 0)), 0);
    // The timer runs: killing it succeeds once.
    EXPECT_TRUE(KillTimer(box, 2));
}

// A name twice as wide as its control at 30 points comes out at about 15.
TEST_F(IntroBox, LongNameShrinksInProportion) {
    HWND probe = Open();
    HWND control = GetDlgItem(probe, IDC_INTRO_TITLE);
    RECT client;
    GetClientRect(control, &client);
    LOGFONTA font = FontOf(control);
    HFONT big = CreateFontIndirectA(&font);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, big);
    std::string name;
    SIZE extent = {};
    while (extent.cx < 2 * client.right && name.size() < 50) {
        name += name.size() % 2 ? 'm' : 'W';
        GetTextExtentPoint32A(dc, name.c_str(), int(name.size()), &extent);
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    DeleteObject(big);
    DestroyWindow(probe);
    ASSERT_GE(extent.cx, 2 * client.right) << "50 characters do not reach twice the width";

    BufCopy(szTitle, name.c_str());
    HWND box = Open();
    LOGFONTA shrunk = FontOf(GetDlgItem(box, IDC_INTRO_TITLE));
    EXPECT_LE(shrunk.lfHeight, ShrinkHeight(font.lfHeight, client.right, extent.cx));
    double ratio = double(shrunk.lfHeight) / font.lfHeight;
    EXPECT_GT(ratio, 0.4);
    EXPECT_LE(ratio, 0.5);
}

// However long a name of several words, it stays on one line of its
// control: the shrunk font's glyphs may come out wider than in proportion.
TEST_F(IntroBox, ShrunkNameStaysOnOneLine) {
    for (const char* name : {"Kestrel Schriften fuer Buero", "Kestrel Schriften fuer Buero Pro",
                             "Sample Type Foundry Display Fonts", "A Name Of Many Little Words"}) {
        BufCopy(szTitle, name);
        HWND box = Open();
        HWND control = GetDlgItem(box, IDC_INTRO_TITLE);
        RECT client, line = {0, 0, 10000, 0}, wrapped = {0, 0, 0, 0};
        GetClientRect(control, &client);
        wrapped.right = client.right;
        HDC dc = GetDC(control);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
        DrawTextA(dc, name, -1, &line, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        DrawTextA(dc, name, -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        EXPECT_LE(line.right, client.right) << name;
        EXPECT_EQ(wrapped.bottom, line.bottom) << name << ": the static breaks it onto more lines";
        DestroyWindow(box);
    }
}

// The logo is centred in its frame and ANDed with the background: its white
// leaves the dialog's colour, its colours darken on it.
TEST_F(IntroBox, LogoIsDrawnCentredWithSrcAnd) {
    HWND box = Open();
    HWND frame = GetDlgItem(box, IDC_INTRO_LOGO);
    RECT client;
    GetClientRect(frame, &client);
    Span across = FitSpan(client.right, 250), down = FitSpan(client.bottom, 75);
    ASSERT_EQ(across.length, 250) << "the frame is narrower than the logo";
    HBITMAP logo = LoadBitmapA(hInst, "CompanyLogo");
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, logo);
    HDC dc = GetDC(frame);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    int wrong = 0;
    std::string first;
    for (int y = 0; y < down.length; ++y) {
        for (int x = 0; x < across.length; ++x) {
            int fx = across.offset + x, fy = down.offset + y;
            // The white frame the static draws along its edges lies above the logo.
            if (fx == 0 || fy == 0 || fx == client.right - 1 || fy == client.bottom - 1) continue;
            COLORREF want = And(GetPixel(memory, x, y), face), seen = GetPixel(dc, fx, fy);
            if (seen != want && !wrong++)
                first = std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(seen) +
                        " not " + std::to_string(want);
        }
    }
    EXPECT_EQ(wrong, 0) << "first difference at logo pixel " << first;
    // The picture has colour where it is not white: the neutral logo's navy disk.
    EXPECT_NE(And(GetPixel(memory, 101, 40), face), face);
    ReleaseDC(frame, dc);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(logo);
}

// The statics without ids, in template order: copyright, developers, heading.
std::vector<std::string> CreditTexts(HWND box) {
    std::vector<std::string> texts;
    int index = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++index) {
        char text[1024] = "";
        GetWindowTextA(c, text, sizeof text);
        if (index == 0 || index == 4 || index == 5) texts.push_back(text);
    }
    return texts;
}

// As built the box names no maker; a SETUP.EXE that mkmedia gave a logo
// and credits shows them, its ampersands as such.
TEST_F(IntroBox, CreditsAndLogoAreTheProductOwners) {
    HWND box = Open();
    EXPECT_EQ(CreditTexts(box), std::vector<std::string>({"\n", "\n\n", ""}));
    DestroyWindow(box);

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    ScratchDir dir;
    WriteFile(dir / "credits.txt",
              "Setup by\r\nKestrel & Sons\r\nfor\r\nKestrel Type\r\n\u00a9 1998 Kestrel\r\n");
    WriteFile(dir / "logo.bmp", Bmp(BmpLayout()));
    Branding branding;
    std::vector<std::string> problems;
    ASSERT_TRUE(ReadBranding(dir / "logo.bmp", dir / "credits.txt", *FindCodePage(1252), branding,
                             problems));
    std::string image = ReadFile(self), error;
    ASSERT_TRUE(BrandSetup(image, branding, error)) << error;
    WriteFile(dir / "branded.exe", image);
    HMODULE branded =
        LoadLibraryExA((dir / "branded.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(branded);
    HINSTANCE own = hInst;
    hInst = branded;
    box = Open();
    EXPECT_EQ(CreditTexts(box),
              std::vector<std::string>(
                  {"\xa9 1998 Kestrel\n", "Kestrel && Sons\nfor\nKestrel Type", "Setup by"}));
    // The logo's pixel bytes count up: the first row, pixel 2k is grey of
    // the high half of byte k (bottom row first in the file).
    HBITMAP logo = LoadBitmapA(branded, "CompanyLogo");
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, logo);
    for (int k : {1, 5, 40}) {
        int grey = 16 * ((74 * 3 + k) >> 4 & 15);
        EXPECT_EQ(GetPixel(memory, 2 * k, 0), RGB(grey, grey, grey)) << k;
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(logo);
    DestroyWindow(box);
    hIntroDlg = nullptr;
    hInst = own;
    FreeLibrary(branded);
}

// The credit lines are measured against statics of 334 pixels: 167 dialog
// units of the box's font. (Their texts are measured in the System font
// Windows draws the box in; Wine may draw it in a font of the host's.)
TEST_F(IntroBox, CreditStaticsAre334PixelsWide) {
    HWND box = Open();
    int index = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++index) {
        if (index != 0 && index != 4 && index != 5) continue;
        RECT client;
        GetClientRect(c, &client);
        EXPECT_EQ(client.right, kCreditPixels) << index;
    }
    EXPECT_EQ(index, 7);
}

TEST_F(IntroBox, EnterEscapeAndAClickCloseIt) {
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
    } cases[] = {
        {"Enter", WM_KEYDOWN, VK_RETURN},
        {"Escape", WM_KEYDOWN, VK_ESCAPE},
        {"a click", WM_LBUTTONDOWN, 0},
    };
    for (const Case& c : cases) {
        HWND seen = nullptr;
        driver.Then([&] {
            if (!hIntroDlg) return false;
            seen = hIntroDlg;
            // Real input: a key goes to the focus, a click to the window
            // under the cursor (the title, a static that passes it on).
            if (c.message == WM_LBUTTONDOWN) {
                RECT r;
                GetWindowRect(GetDlgItem(hIntroDlg, IDC_INTRO_TITLE), &r);
                SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
                mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
            } else {
                keybd_event(BYTE(c.wParam), 0, 0, 0);
                keybd_event(BYTE(c.wParam), 0, KEYEVENTF_KEYUP, 0);
            }
            return true;
        });
        DWORD took = RunIntro();
        EXPECT_LT(took, 3000u) << c.what;
        EXPECT_TRUE(seen) << c.what;
        EXPECT_FALSE(IsWindow(seen)) << c.what;
        EXPECT_EQ(hIntroDlg, nullptr) << c.what;
    }
}

// Command 101 is the one command that leaves the box open; others close it.
TEST_F(IntroBox, CommandsCloseItButOne) {
    HWND box = Open();
    SendMessageA(box, WM_COMMAND, IDC_INTRO_TITLE, 0);
    EXPECT_TRUE(IsWindow(box));
    EXPECT_EQ(hIntroDlg, box);
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_INTRO_TITLE, 1), 0);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(hIntroDlg, nullptr);
}

TEST_F(IntroBox, LeftAloneItClosesAfterTenSeconds) {
    DWORD took = RunIntro();
    EXPECT_GE(took, 9900u);
    // Timer messages wait behind a loaded machine: a generous upper bound.
    EXPECT_LT(took, 20000u);
    EXPECT_EQ(hIntroDlg, nullptr);
}

}  // namespace
