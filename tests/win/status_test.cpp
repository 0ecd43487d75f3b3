// The progress and status windows from their real templates: the bars as
// drawn on screen, the lines, Cancel, the percentage line; the message pump
// and centring. The extraction window is also saved as a picture
// (shots/extract-status.bmp beside the test program).
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app/globals.h"
#include "app/setup_win.h"
#include "archive/archive.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "tests/unit/testenv.h"
#include "tests/win/uidriver.h"
#include "tools/common/arcwriter.h"
#include "ui/dialogmath.h"
#include "ui/status_win.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);

// Saves the screen under a window as a 24-bit BMP file.
void SaveWindowPicture(HWND window, const std::string& name) {
    char path[MAX_PATH];
    ModuleFileName(nullptr, path, sizeof path);
    std::string dir(path);
    dir = dir.substr(0, dir.rfind('\\')) + "\\shots";
    CreateDirectoryA(dir.c_str(), nullptr);
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFOHEADER info = {sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                       &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD size = DWORD(((w * 3 + 3) & ~3) * h);
    BITMAPFILEHEADER head = {0x4D42, DWORD(sizeof head + sizeof info + size), 0, 0,
                             DWORD(sizeof head + sizeof info)};
    if (FILE* fp = fopen((dir + "\\" + name).c_str(), "wb")) {
        fwrite(&head, sizeof head, 1, fp);
        fwrite(&info, sizeof info, 1, fp);
        fwrite(bits, size, 1, fp);
        fclose(fp);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(picture);
    ReleaseDC(nullptr, screen);
}

class ExtractStatus : public testing::Test {
protected:
    void SetUp() override {
        hInst = GetModuleHandleA(nullptr);
        bSDCancelled = 1;
        ASSERT_EQ(OpenExtractStatusDlg(hInst, nullptr), 1);
    }
    void TearDown() override {
        if (hStatusDlg) CloseExtractStatusDlg();
        bSDCancelled = 0;
    }

    // Sends one update and lets the dialog paint.
    void Update(WPARAM code, LPARAM value) {
        SendMessageA(hStatusDlg, WM_EXTRACT_STATUS, code, value);
        UpdateWindow(hStatusDlg);
    }
};

TEST_F(ExtractStatus, OpensCentredWithoutCaptionAndCloses) {
    HWND dialog = hStatusDlg;
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(bSDCancelled, 0);
    EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & WS_CAPTION, WS_DLGFRAME);
    EXPECT_TRUE(Centred(dialog));
    CloseExtractStatusDlg();
    EXPECT_EQ(hStatusDlg, nullptr);
    EXPECT_FALSE(IsWindow(dialog));
}

// A bar's pixels on screen along its middle line: the outline black, yellow
// to the right of the split, blue to its left inside the outline.
void ExpectBar(HWND bar, int percent) {
    RECT r;
    GetClientRect(bar, &r);
    int w = r.right, mid = r.bottom / 2, split = BarSplit(0, w, percent);
    HDC dc = GetDC(bar);
    EXPECT_EQ(GetPixel(dc, 0, mid), kBlack) << percent << " %: left edge";
    EXPECT_EQ(GetPixel(dc, w - 1, mid), kBlack) << percent << " %: right edge";
    EXPECT_EQ(GetPixel(dc, w / 2, 0), kBlack) << percent << " %: top edge";
    EXPECT_EQ(GetPixel(dc, w / 2, r.bottom - 1), kBlack) << percent << " %: bottom edge";
    for (int x = 1; x < w - 1; ++x) {
        COLORREF want = x < split ? kBlue : kYellow;
        if (GetPixel(dc, x, mid) != want) {
            ADD_FAILURE() << percent << " %: pixel " << x << " of " << w << " is " << std::hex
                          << GetPixel(dc, x, mid);
            break;
        }
    }
    if (percent == 100) {
        EXPECT_EQ(GetPixel(dc, w - 2, 1), kBlue);
    }
    ReleaseDC(bar, dc);
}

TEST_F(ExtractStatus, BarsShowTheirPercentagesInBlueOnYellow) {
    HWND archiveBar = GetDlgItem(hStatusDlg, IDC_EXTRACT_ARCHIVEBAR);
    HWND fileBar = GetDlgItem(hStatusDlg, IDC_EXTRACT_FILEBAR);
    for (int percent : {0, 50, 100}) {
        Update(euArchivePercent, percent);
        Update(euFilePercent, 100 - percent);
        ExpectBar(archiveBar, percent);
        ExpectBar(fileBar, 100 - percent);
    }
}

// Most inflate steps leave a percentage where it was: its bar is then not
// painted again. A percentage that moved invalidates its own bar alone, and
// every bar shows its percentage once painted.
TEST_F(ExtractStatus, OnlyAPercentageThatMovedRepaintsItsBar) {
    HWND bars[] = {GetDlgItem(hStatusDlg, IDC_EXTRACT_ARCHIVEBAR),
                   GetDlgItem(hStatusDlg, IDC_EXTRACT_FILEBAR)};
    Update(euArchivePercent, 10);
    Update(euFilePercent, 20);
    struct Step {
        WPARAM code;
        int percent;
        bool archiveInvalid, fileInvalid;
    };
    const Step steps[] = {
        {euArchivePercent, 10, false, false}, {euFilePercent, 20, false, false},
        {euArchivePercent, 11, true, false},  {euArchivePercent, 11, false, false},
        {euFilePercent, 21, false, true},     {euFilePercent, 21, false, false},
        {euFilePercent, 100, false, true},    {euFilePercent, 0, false, true},
        {euArchivePercent, 100, true, false}, {euArchivePercent, 100, false, false},
    };
    int shown[] = {10, 20};
    for (const Step& step : steps) {
        SendMessageA(hStatusDlg, WM_EXTRACT_STATUS, step.code, step.percent);
        EXPECT_EQ(GetUpdateRect(bars[0], nullptr, FALSE) != 0, step.archiveInvalid)
            << "archive bar after " << step.percent;
        EXPECT_EQ(GetUpdateRect(bars[1], nullptr, FALSE) != 0, step.fileInvalid)
            << "file bar after " << step.percent;
        shown[step.code == euArchivePercent ? 0 : 1] = step.percent;
        UpdateWindow(hStatusDlg);
        ExpectBar(bars[0], shown[0]);
        ExpectBar(bars[1], shown[1]);
    }
}

TEST_F(ExtractStatus, LinesShowTheArchiveAndTheFile) {
    Update(euArchiveName, LPARAM("A:\\FONTS1.ARC"));
    Update(euFileName, LPARAM("C:\\PSFONTS\\SAMPLE.FF1"));
    EXPECT_EQ(Text(hStatusDlg, IDC_EXTRACT_ARCHIVE), "A:\\FONTS1.ARC");
    EXPECT_EQ(Text(hStatusDlg, IDC_EXTRACT_FILE), "C:\\PSFONTS\\SAMPLE.FF1");
    // An unknown code changes nothing.
    Update(3, LPARAM("other"));
    EXPECT_EQ(Text(hStatusDlg, IDC_EXTRACT_ARCHIVE), "A:\\FONTS1.ARC");
    EXPECT_EQ(Text(hStatusDlg, IDC_EXTRACT_FILE), "C:\\PSFONTS\\SAMPLE.FF1");

    Update(euArchivePercent, 40);
    Update(euFilePercent, 75);
    SaveWindowPicture(hStatusDlg, "extract-status.bmp");
}

// Cancel only sets the flag: the window stays and keeps showing progress.
TEST_F(ExtractStatus, CancelSetsTheFlagAndTheWindowStays) {
    SendMessageA(GetDlgItem(hStatusDlg, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(bSDCancelled, 1);
    EXPECT_TRUE(IsWindowVisible(hStatusDlg));
    Update(euArchivePercent, 50);
    ExpectBar(GetDlgItem(hStatusDlg, IDC_EXTRACT_ARCHIVEBAR), 50);
}

// One event or update as text: "name(X)", "file(X)", "a40", "f100".
std::string Event(WPARAM code, LPARAM value) {
    switch (code) {
        case euArchiveName:
            return "name(" + std::string(reinterpret_cast<const char*>(value)) + ")";
        case euFileName:
            return "file(" + std::string(reinterpret_cast<const char*>(value)) + ")";
        case euArchivePercent:
            return "a" + std::to_string(value);
        case euFilePercent:
            return "f" + std::to_string(value);
        default:
            return "?" + std::to_string(code);
    }
}

// What the archive reader reports and what the dialog receives, in order.
std::string events, updates;
WNDPROC dialogProc;

void Append(std::string& line, const std::string& item) {
    line += (line.empty() ? "" : " ") + item;
}

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_EXTRACT_STATUS) Append(updates, Event(wParam, lParam));
    return CallWindowProcA(dialogProc, hWnd, message, wParam, lParam);
}

void RecordAndShow(eStatusKeys key, void* arg) {
    static const WPARAM codes[] = {euArchiveName, euArchivePercent, euFileName, euFilePercent};
    bool text = key == skArchiveName || key == skFileName;
    Append(events, Event(codes[key], text ? reinterpret_cast<LPARAM>(arg) : StatusPercent(arg)));
    ExtractStatusCallback(key, arg);
}

// A real extraction of two members: every event of the reader reaches the
// window as one update, in order; the lines end on the archive and the
// last member, both bars full. A Cancel click waiting in the queue takes
// effect at the first event and stops nothing.
TEST_F(ExtractStatus, ArchiveEventsDriveTheWindow) {
    ScratchDir scratch;
    std::string archive = scratch / "SAMPLE.ARC", dest = scratch / "DEST";
    std::string text;
    for (int i = 0; text.size() < 20000; ++i) text += "line " + std::to_string(i) + "\n";
    ArcWriter writer;
    ASSERT_TRUE(writer.Create(archive.c_str()) &&
                writer.AddData("ONE.TXT", text.data(), text.size(), 0x2A215800) &&
                writer.AddData("TWO.TXT", "two", 3, 0x2A215800) && writer.Finish())
        << writer.Error();
    ASSERT_EQ(PfMkdir(dest.c_str()), 0);

    dialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hStatusDlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    events.clear(), updates.clear();
    PostMessageA(hStatusDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Archive reader;
    reader.SetStatusCallback(RecordAndShow);
    EXPECT_EQ(reader.Extract(archive.c_str(), dest.c_str(), 0), 1);

    EXPECT_EQ(updates, events);
    EXPECT_EQ(events.rfind("name(" + archive + ") file(ONE.TXT) f", 0), 0u) << events;
    EXPECT_NE(events.find(" f100 file(TWO.TXT) "), std::string::npos) << events;
    EXPECT_EQ(events.substr(events.size() - 9), "f100 a100") << events;
    EXPECT_EQ(bSDCancelled, 1);
    EXPECT_TRUE(IsWindowVisible(hStatusDlg));
    EXPECT_EQ(ReadFile(dest + "\\TWO.TXT"), "two");
    UpdateWindow(hStatusDlg);
    EXPECT_EQ(Text(hStatusDlg, IDC_EXTRACT_ARCHIVE), archive);
    EXPECT_EQ(Text(hStatusDlg, IDC_EXTRACT_FILE), "TWO.TXT");
    ExpectBar(GetDlgItem(hStatusDlg, IDC_EXTRACT_ARCHIVEBAR), 100);
    ExpectBar(GetDlgItem(hStatusDlg, IDC_EXTRACT_FILEBAR), 100);

    // Another event value sends nothing but still drains the queue.
    updates.clear();
    bSDCancelled = 0;
    PostMessageA(hStatusDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ExtractStatusCallback(eStatusKeys(7), nullptr);
    EXPECT_EQ(updates, "");
    EXPECT_EQ(bSDCancelled, 1);
    SetWindowLongPtrA(hStatusDlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialogProc));
}

TEST(StatusDialog, LinesIconPercentageAndCancel) {
    hInst = GetModuleHandleA(nullptr);
    bSDCancelled = 1;
    HWND dialog = CreateDialogParamA(hInst, "StatusDlg", nullptr, StatusDlgProc, 0);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Centred(dialog));
    EXPECT_EQ(bSDCancelled, 0);

    SendMessageA(dialog, WM_STATUS_LINE1, 0, LPARAM("Installing Desktop Icons"));
    SendMessageA(dialog, WM_STATUS_LINE2, 0, LPARAM("Sample Fonts"));
    EXPECT_EQ(Text(dialog, IDC_STATUS_LINE1), "Installing Desktop Icons");
    EXPECT_EQ(Text(dialog, IDC_STATUS_LINE2), "Sample Fonts");

    ShowWindow(GetDlgItem(dialog, IDC_STATUS_ICON), SW_HIDE);
    SendMessageA(dialog, WM_STATUS_ICON, 0, 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_STATUS_ICON)));

    struct Step {
        unsigned done, total;
        const char* shown;  // the line afterwards; "x" marks no change
    } steps[] = {
        {1, 3, "33 %"}, {1, 3, "x"}, {2, 3, "67 %"},  {200, 400, "50 %"},
        {1, 2, "x"},    {3, 0, "x"}, {3, 3, "100 %"},
    };
    for (const Step& s : steps) {
        SetDlgItemTextA(dialog, IDC_STATUS_LINE3, "x");
        SendMessageA(dialog, WM_STATUS_PERCENT, 0, MAKELPARAM(s.done, s.total));
        EXPECT_EQ(Text(dialog, IDC_STATUS_LINE3), s.shown) << s.done << " of " << s.total;
    }

    SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(bSDCancelled, 1);
    EXPECT_TRUE(IsWindow(dialog));
    DestroyWindow(dialog);
    bSDCancelled = 0;
}

int dispatched;

LRESULT CALLBACK CountingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 50) ++dispatched;
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

TEST(DoPeeks, DispatchesEverythingWaitingAndReturns) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CountingWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("CountingWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                wc.hInstance, nullptr);
    DoPeeks();
    dispatched = 0;
    for (int i = 0; i < 3; ++i) PostMessageA(window, WM_USER + 50, 0, 0);
    DoPeeks();
    EXPECT_EQ(dispatched, 3);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    DWORD start = GetTickCount();
    DoPeeks();
    EXPECT_LT(GetTickCount() - start, 100u) << "DoPeeks waited on an empty queue";
    DestroyWindow(window);
}

// Centred with the size kept, halves rounded toward zero, also for a window
// larger than the screen.
TEST(CenterDlg, CentresKeepingTheSize) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    for (int width : {301, 300, sw + 77}) {
        HWND window = CreateWindowA("STATIC", "", WS_POPUP, 5, 7, width, 201, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
        CenterDlg(window);
        RECT r;
        GetWindowRect(window, &r);
        EXPECT_EQ(r.right - r.left, width);
        EXPECT_EQ(r.bottom - r.top, 201);
        EXPECT_TRUE(Centred(window));
        DestroyWindow(window);
    }
}

}  // namespace
