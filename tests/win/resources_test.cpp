// The program's resources as compiled: lockAll over the seven dialog
// templates, each template read back field by field, the bitmaps' pixels
// and the icon.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "archive/winutil.h"
#include "resources/resource.h"

namespace {

struct Item {
    int id;
    std::string cls;
    DWORD style;  // besides WS_CHILD and WS_VISIBLE
    short x, y, cx, cy;
    std::string text;
};

struct Template {
    std::string name;
    DWORD style;
    short x, y, cx, cy;
    std::string title;
    int points;  // 0: no font of its own
    std::string font;
    std::vector<Item> items;
};

// Reads a DLGTEMPLATE (the classic form) and its items.
class TemplateReader {
public:
    explicit TemplateReader(const void* data) : p_(static_cast<const WORD*>(data)) {}

    Template Read() {
        Template t;
        t.style = Dword();
        Dword();  // extended style
        int count = *p_++;
        t.x = short(*p_++), t.y = short(*p_++), t.cx = short(*p_++), t.cy = short(*p_++);
        Text();  // menu
        Text();  // class
        t.title = Text();
        t.points = 0;
        if (t.style & DS_SETFONT) {
            t.points = *p_++;
            t.font = Text();
        }
        for (int i = 0; i < count; ++i) t.items.push_back(ReadItem());
        return t;
    }

private:
    DWORD Dword() {
        DWORD v = p_[0] | DWORD(p_[1]) << 16;
        p_ += 2;
        return v;
    }

    // A string, or an ordinal written as "#n".
    std::string Text() {
        if (*p_ == 0xFFFF) {
            p_ += 2;
            return "#" + std::to_string(p_[-1]);
        }
        std::string s;
        while (*p_) s += char(*p_++);
        ++p_;
        return s;
    }

    Item ReadItem() {
        if (reinterpret_cast<UINT_PTR>(p_) & 2) ++p_;  // items start on a DWORD
        Item item;
        item.style = Dword() & ~(WS_CHILD | WS_VISIBLE);
        Dword();
        item.x = short(*p_++), item.y = short(*p_++), item.cx = short(*p_++),
        item.cy = short(*p_++);
        item.id = short(*p_++);
        static const char* atoms[] = {"button", "edit", "static", "listbox"};
        item.cls = Text();
        if (item.cls[0] == '#') item.cls = atoms[std::stoi(item.cls.substr(1)) - 0x80];
        item.text = Text();
        p_ += 1 + *p_ / 2;  // creation data
        return item;
    }

    const WORD* p_;
};

const DWORD kPopupCaption = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
const DWORD kGroupStatic = SS_CENTER | WS_GROUP;
const DWORD kRight = SS_RIGHT | WS_GROUP;

const Template kTemplates[] = {
    {"InstallOptions",
     kPopupCaption,
     116,
     59,
     233,
     243,
     "Installation Options",
     8,
     "Helv",
     {{117, "button", BS_GROUPBOX, 9, 31, 214, 130, " Options "},
      {740, "static", SS_LEFT | WS_GROUP, 40, 5, 152, 12, "Directory"},
      {310, "edit", ES_LEFT | WS_BORDER | WS_TABSTOP, 41, 15, 151, 12, ""},
      {109, "button", BS_DEFPUSHBUTTON | WS_TABSTOP, 24, 223, 40, 14, "&OK"},
      {308, "button", BS_PUSHBUTTON | WS_TABSTOP, 96, 223, 40, 14, "&Defaults"},
      {2, "button", BS_PUSHBUTTON | WS_TABSTOP, 168, 223, 40, 14, "&Cancel"},
      {-1, "static", kGroupStatic, 168, 38, 45, 18, "Required Space (KB)"},
      {1107, "static", kRight, 179, 194, 38, 8, ""},
      {1108, "static", kRight, 129, 194, 38, 8, ""},
      {-1, "static", kGroupStatic, 175, 167, 45, 8, "Required"},
      {-1, "static", kGroupStatic, 129, 167, 40, 8, "Available"},
      {-1, "static", SS_LEFT | WS_GROUP, 136, 48, 25, 8, "# Files"},
      {-1, "static", SS_LEFT | WS_GROUP, 32, 48, 40, 8, "Description"},
      {1300, "static", kGroupStatic, -1, 207, 235, 10,
       "There is not enough space for the currently selected options !"},
      {-1, "static", SS_BLACKRECT, 32, 58, 37, 1, ""},
      {-1, "static", SS_BLACKRECT, 136, 58, 22, 1, ""},
      {-1, "static", SS_BLACKRECT, 170, 58, 39, 1, ""},
      {3000, "static", kRight, 23, 194, 75, 8, "Drive C:"},
      {3001, "static", kRight, 23, 182, 75, 8, "(Windows) Drive C:"},
      {3002, "static", kRight, 129, 182, 38, 8, ""},
      {3003, "static", kRight, 179, 182, 38, 8, ""},
      {-1, "static", SS_BLACKRECT, 132, 177, 32, 1, ""},
      {-1, "static", SS_BLACKRECT, 182, 177, 31, 1, ""},
      {110, "listbox",
       LBS_NOTIFY | LBS_MULTIPLESEL | LBS_OWNERDRAWFIXED | LBS_USETABSTOPS | WS_BORDER | WS_VSCROLL,
       16, 65, 200, 92, ""}}},
    {"GetDisk",
     WS_POPUP | WS_CAPTION | DS_MODALFRAME,
     26,
     50,
     182,
     76,
     "Disk Needed",
     0,
     "",
     {{111, "static", SS_CENTER, 0, 10, 182, 9, "text"},
      {-1, "static", SS_LEFT, 2, 33, 39, 9, "&Install from"},
      {112, "edit", ES_UPPERCASE | WS_BORDER | WS_TABSTOP, 44, 31, 128, 12, ""},
      {1, "button", BS_DEFPUSHBUTTON | WS_TABSTOP, 98, 54, 35, 14, "&OK"},
      {2, "button", BS_PUSHBUTTON | WS_TABSTOP, 137, 54, 35, 14, "&Cancel"}}},
    {"DiskSpace",
     kPopupCaption,
     99,
     25,
     200,
     109,
     "Disk Space Error",
     8,
     "Helv",
     {{101, "static", SS_LEFT, 10, 10, 90, 8, "Text"},
      {102, "static", SS_RIGHT, 100, 10, 90, 8, "Text"},
      {103, "static", SS_LEFT, 10, 24, 90, 8, "Text"},
      {104, "static", SS_RIGHT, 100, 24, 90, 8, "Text"},
      {105, "static", SS_CENTER, 0, 41, 200, 8, "Text"},
      {106, "static", SS_CENTER, 0, 55, 200, 8, "Text"},
      {107, "static", SS_CENTER, 0, 69, 200, 8, "Text"},
      {1, "button", BS_DEFPUSHBUTTON, 80, 85, 40, 14, "OK"}}},
    {"MyMessageBox",
     WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT,
     84,
     44,
     191,
     71,
     "",
     8,
     "Helv",
     {{131, "static", SS_CENTER, 0, 3, 191, 8, ""},
      {132, "static", SS_CENTER, 0, 17, 191, 8, ""},
      {133, "static", SS_CENTER, 0, 31, 191, 8, ""},
      {134, "static", SS_CENTER, 0, 45, 191, 8, ""},
      {135, "static", SS_CENTER, 0, 59, 191, 8, ""}}},
    {"IntroBox",
     WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT,
     16,
     49,
     167,
     180,
     "",
     10,
     "System",
     {{-1, "static", kGroupStatic, 0, 158, 167, 20, ""},
      {-1, "static", kGroupStatic, 0, 48, 167, 8, "Presents"},
      {101, "static", kGroupStatic, 0, 62, 167, 29, ""},
      {200, "static", SS_WHITEFRAME, 0, 3, 167, 41, ""},
      {-1, "static", kGroupStatic, 0, 123, 167, 25, ""},
      {-1, "static", kGroupStatic, 0, 110, 167, 8, ""},
      {102, "static", kGroupStatic, 0, 94, 167, 14, ""}}},
    {"ExtractStatusDlg",
     WS_POPUP | WS_DLGFRAME,
     21,
     43,
     240,
     136,
     "",
     0,
     "",
     {{201, "static", kGroupStatic, 12, 12, 212, 16, ""},
      {202, "button", BS_OWNERDRAW | WS_DLGFRAME, 20, 32, 200, 18, "BUTTON"},
      {203, "static", kGroupStatic, 12, 72, 212, 16, ""},
      {204, "button", BS_OWNERDRAW | WS_DLGFRAME, 20, 92, 200, 18, "BUTTON"},
      {2, "button", BS_DEFPUSHBUTTON | WS_TABSTOP, 100, 119, 40, 14, "&Cancel"},
      {-1, "button", BS_GROUPBOX | WS_GROUP, 6, 4, 225, 49, ""},
      {-1, "button", BS_GROUPBOX | WS_GROUP, 6, 64, 225, 49, ""}}},
    {"StatusDlg",
     kPopupCaption,
     104,
     54,
     198,
     76,
     "Install",
     8,
     "MS Sans Serif",
     {{901, "static", kGroupStatic, 0, 6, 198, 12, ""},
      {902, "static", SS_CENTER, 32, 21, 133, 12, ""},
      {903, "static", SS_CENTER, 32, 36, 133, 12, ""},
      {2, "button", BS_DEFPUSHBUTTON | WS_TABSTOP, 76, 54, 50, 14, "&Cancel"},
      {904, "static", SS_ICON, 9, 48, 18, 20, ""}}},
};

void ExpectItem(const std::string& where, const Item& want, const Item& got) {
    EXPECT_EQ(got.id, want.id) << where;
    EXPECT_EQ(got.cls, want.cls) << where;
    EXPECT_EQ(got.style, want.style) << where << std::hex << " style";
    EXPECT_EQ(std::vector<short>({got.x, got.y, got.cx, got.cy}),
              std::vector<short>({want.x, want.y, want.cx, want.cy}))
        << where;
    EXPECT_EQ(got.text, want.text) << where;
}

TEST(Resources, LockAllLoadsTheSevenTemplatesAsTheDialogsNeedThem) {
    ASSERT_EQ(lockAll(), 1);
    for (int i = 0; i < NUM_LOCKED_RESOURCES; ++i) {
        const Template& want = kTemplates[i];
        ASSERT_EQ(rsList[i].name, want.name);
        ASSERT_TRUE(hRes[i]) << want.name;
        Template got = TemplateReader(LockResource(hRes[i])).Read();
        EXPECT_EQ(got.style, want.style) << want.name << std::hex << " style";
        EXPECT_EQ(std::vector<short>({got.x, got.y, got.cx, got.cy}),
                  std::vector<short>({want.x, want.y, want.cx, want.cy}))
            << want.name;
        EXPECT_EQ(got.title, want.title) << want.name;
        EXPECT_EQ(got.points, want.points) << want.name;
        EXPECT_EQ(got.font, want.font) << want.name;
        ASSERT_EQ(got.items.size(), want.items.size()) << want.name;
        for (size_t k = 0; k < got.items.size(); ++k)
            ExpectItem(want.name + " item " + std::to_string(k), want.items[k], got.items[k]);
    }
    EXPECT_EQ(rsList[NUM_LOCKED_RESOURCES].name, nullptr);
    unlockAll();
}

TEST(Resources, LockAllStopsAtAMissingTemplate) {
    const char* kept = rsList[2].name;
    rsList[2].name = "NoSuchTemplate";
    for (HGLOBAL& h : hRes) h = nullptr;
    EXPECT_EQ(lockAll(), 0);
    rsList[2].name = kept;
    EXPECT_TRUE(hRes[0] && hRes[1]);
    for (int i = 2; i < NUM_LOCKED_RESOURCES; ++i) EXPECT_FALSE(hRes[i]) << i;
}

// The colours of a bitmap resource, row by row ('.' for white).
std::vector<std::string> Pixels(const char* name, int* bits) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    std::vector<std::string> rows;
    if (!bitmap) return rows;
    DIBSECTION dib;
    GetObjectA(bitmap, sizeof dib, &dib);
    *bits = dib.dsBm.bmBitsPixel;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < dib.dsBm.bmHeight; ++y) {
        std::string row;
        for (int x = 0; x < dib.dsBm.bmWidth; ++x) {
            switch (GetPixel(dc, x, y)) {
                case RGB(255, 255, 255):
                    row += '.';
                    break;
                case RGB(0, 255, 0):
                    row += 'G';
                    break;
                case RGB(0, 128, 0):
                    row += 'g';
                    break;
                case RGB(128, 128, 128):
                    row += 's';
                    break;
                default:
                    row += '?';
            }
        }
        rows.push_back(row);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return rows;
}

std::set<char> Colours(const std::vector<std::string>& rows) {
    std::set<char> seen;
    for (const std::string& row : rows) seen.insert(row.begin(), row.end());
    return seen;
}

TEST(Resources, TickBitmapsAreTenByTenInSixteenColours) {
    struct Case {
        int id;
        std::set<char> colours;
    } cases[] = {
        {IDB_SELECTED, {'.', 'G', 's'}}, {IDB_REQUIRED, {'.', 'g', 's'}}, {IDB_NOINSTALL, {'.'}}};
    std::vector<std::string> shapes;
    for (const Case& c : cases) {
        int bits = 0;
        std::vector<std::string> rows = Pixels(MAKEINTRESOURCEA(c.id), &bits);
        ASSERT_EQ(rows.size(), 10u) << c.id;
        EXPECT_EQ(rows[0].size(), 10u) << c.id;
        EXPECT_EQ(bits, 4) << c.id;
        EXPECT_EQ(Colours(rows), c.colours) << c.id;
        std::string shape;
        for (const std::string& row : rows) shape += row + "\n";
        for (char& ch : shape) ch = (ch == 'G' || ch == 'g') ? 'V' : ch;
        shapes.push_back(shape);
    }
    EXPECT_EQ(shapes[0], shapes[1]) << "the two ticks differ in shape";
}

TEST(Resources, LogoCreditsAndIconArePresent) {
    int bits = 0;
    std::vector<std::string> logo = Pixels("CompanyLogo", &bits);
    ASSERT_EQ(logo.size(), 75u);
    EXPECT_EQ(logo[0].size(), 250u);
    EXPECT_EQ(bits, 4);

    // The credit lines as built: six empty lines of fixed size, for mkmedia
    // to write a product's own over.
    HRSRC credits = FindResourceA(GetModuleHandleA(nullptr), "Credits", MAKEINTRESOURCEA(10));
    ASSERT_TRUE(credits);
    const char* block =
        static_cast<const char*>(LockResource(LoadResource(GetModuleHandleA(nullptr), credits)));
    EXPECT_EQ(SizeofResource(GetModuleHandleA(nullptr), credits),
              DWORD(CREDITS_LINES * CREDITS_LINE_SIZE));
    EXPECT_EQ(std::string(block, CREDITS_LINES * CREDITS_LINE_SIZE),
              std::string(CREDITS_LINES * CREDITS_LINE_SIZE, '\0'));

    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "InstallIcon");
    ASSERT_TRUE(icon);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask;
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
}

}  // namespace
