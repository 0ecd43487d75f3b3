// The arithmetic and texts behind the dialogs' drawing.
#include "ui/dialogmath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/credits.h"
#include "ui/space.h"

namespace {

TEST(DialogMath, StatusPercentageRoundsToNearest) {
    struct Case {
        unsigned done, total;
        int percent;
    } cases[] = {
        {0, 3, 0},           {1, 3, 33},    {2, 3, 67},         {3, 3, 100},
        {1, 200, 1},         {1, 201, 0},   {199, 200, 100},    {397, 400, 99},
        {65535, 65535, 100}, {1, 65535, 0}, {32768, 65535, 50},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PercentDone(c.done, c.total), c.percent) << c.done << " of " << c.total;
    // Nothing to do: no figure rather than a division by zero.
    EXPECT_EQ(PercentDone(5, 0), -1);
}

TEST(DialogMath, BarSplitIsThePercentageOfTheWidth) {
    struct Case {
        int left, width, percent, split;
    } cases[] = {
        {0, 200, 0, 0},    {0, 200, 50, 100},  {0, 200, 100, 200}, {10, 200, 50, 110},
        {0, 333, 50, 167}, {0, 333, 33, 110},  {0, 7, 10, 1},      {0, 7, 7, 0},
        {0, 200, -5, 0},   {0, 200, 130, 200},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BarSplit(c.left, c.width, c.percent), c.split)
            << c.left << "+" << c.width << " at " << c.percent << " %";
}

TEST(DialogMath, ListColumnsAtSixtyFiveAndEightyFivePercent) {
    struct Case {
        int width, at65, at85;
    } cases[] = {
        {300, 195, 255},
        {298, 194, 253},  // 193.7, 253.3
        {301, 196, 256},  // 195.65, 255.85
        {10, 7, 9},       // 6.5 up, 8.5 up
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColumnEdge(0, c.width, 65), c.at65) << c.width;
        EXPECT_EQ(ColumnEdge(0, c.width, 85), c.at85) << c.width;
        EXPECT_EQ(ColumnEdge(4, c.width, 85), c.at85 + 4) << c.width;
    }
}

TEST(DialogMath, FontHeightsFromPoints) {
    struct Case {
        int points, dpi, pixels;
    } cases[] = {
        {30, 96, 40}, {12, 96, 16}, {30, 120, 50}, {12, 120, 20},
        {30, 72, 30}, {10, 96, 13}, {12, 100, 17}, {30, 100, 42},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PointsToPixels(c.points, c.dpi), c.pixels) << c.points << " pt at " << c.dpi;
}

TEST(DialogMath, TitleShrinksInProportionOnce) {
    struct Case {
        int height, client, text, shrunk;
    } cases[] = {
        {40, 300, 600, 20},    // twice as wide: half the height
        {40, 300, 300, 40},    // fits exactly
        {40, 300, 100, 40},    // narrower text never grows
        {40, 300, 900, 13},    // 13.33
        {40, 300, 480, 25},    // exactly 25
        {40, 300, 457, 26},    // 26.26
        {40, 300, 70000, 0},   // no lower limit
        {-40, 300, 600, -20},  // a character height keeps its sign
        {16, 250, 500, 8},     // the disclaimer's 12 points at 96 dpi
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShrinkHeight(c.height, c.client, c.text), c.shrunk)
            << c.height << " for " << c.text << " in " << c.client;
}

TEST(DialogMath, AmpersandsAreDoubled) {
    struct Case {
        const char* text;
        size_t size;
        const char* shown;
        bool fits;
    } cases[] = {
        {"Fonts & More", 32, "Fonts && More", true},
        {"&&", 32, "&&&&", true},
        {"&", 3, "&&", true},
        {"", 1, "", true},
        {"plain", 6, "plain", true},
        {"plain", 5, "plai", false},
        {"ab&", 4, "ab", false},  // no single ampersand left at the cut
        {"ab&", 5, "ab&&", true},
        {"ab&", 6, "ab&&", true},
        {"&", 1, "", false},
    };
    for (const Case& c : cases) {
        char buf[40];
        memset(buf, 'x', sizeof buf);
        EXPECT_EQ(DoubleAmpersands(buf, c.size, c.text), c.fits) << c.text << " in " << c.size;
        EXPECT_STREQ(buf, c.shown) << c.text << " in " << c.size;
        EXPECT_EQ(buf[c.size], 'x') << "written past the buffer for " << c.text;
    }
    // The longest product name fits the intro's buffer whole.
    std::string title(50, '&');
    char shown[101];
    EXPECT_TRUE(DoubleAmpersands(shown, sizeof shown, title.c_str()));
    EXPECT_EQ(std::string(shown), std::string(100, '&'));
}

TEST(DialogMath, LogoIsCentredOrCut) {
    struct Case {
        int client, size, offset, length;
    } cases[] = {
        {334, 250, 42, 250}, {335, 250, 42, 250}, {251, 250, 0, 250}, {250, 250, 0, 250},
        {200, 250, 0, 200},  {82, 75, 3, 75},     {60, 75, 0, 60},    {0, 75, 0, 0},
    };
    for (const Case& c : cases) {
        Span s = FitSpan(c.client, c.size);
        EXPECT_EQ(s.offset, c.offset) << c.size << " in " << c.client;
        EXPECT_EQ(s.length, c.length) << c.size << " in " << c.client;
    }
}

TEST(DialogMath, DestinationFieldNamesItsDrive) {
    struct Case {
        const char* text;
        char current, drive;
    } cases[] = {
        {"", 'C', NO_DRIVE},
        {"d", 'C', 'C'},
        {"d:", 'C', 'D'},
        {"D:\\FONTS", 'C', 'D'},
        {"e:fonts", 'C', 'E'},
        {"\\FONTS", 'C', 'C'},
        {"FONTS", NO_DRIVE, NO_DRIVE},
        {"x", NO_DRIVE, NO_DRIVE},
        {"1:", 'C', '1'},
        {":", 'C', 'C'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DriveOfField(c.text, c.current), c.drive) << "'" << c.text << "'";
}

// OK refuses what Windows cannot create: a colon past the drive, the
// reserved characters, control characters.
TEST(DialogMath, DestinationCharactersWindowsRefuses) {
    struct Case {
        const char* path;
        char bad;
    } cases[] = {
        {"C:\\KESTREL", 0},
        {"c:\\Kestrel Schriften f\xfcr B\xfcro", 0},
        {"\\\\SERVER\\SHARE\\FONTS", 0},
        {"FONTS", 0},
        {"", 0},
        {"C:\\KESTRELC:\\KEST2", ':'},
        {"C:FONTS:", ':'},
        {":\\FONTS", ':'},
        {"1:\\FONTS", ':'},
        {"C:\\A*", '*'},
        {"C:\\A?B", '?'},
        {"C:\\\"A\"", '"'},
        {"C:\\<A>", '<'},
        {"C:\\A>", '>'},
        {"C:\\A|B", '|'},
        {"C:\\A\tB", '\t'},
    };
    for (const Case& c : cases) EXPECT_EQ(BadPathChar(c.path), c.bad) << c.path;
}

std::string Block(const std::vector<std::string>& lines) {
    std::string block;
    for (const std::string& l : lines) {
        block += l;
        block.resize(block.size() + CREDITS_LINE_SIZE - l.size(), '\0');
    }
    return block;
}

// The credit statics' texts from the resource's lines: joined by line
// breaks, ampersands doubled, a line without its zero byte ended at its
// size, lines past the block empty.
TEST(DialogMath, CreditTextsFromTheirLines) {
    const std::string full(CREDITS_LINE_SIZE, 'x');
    const std::string block =
        Block({"Setup by", "Kestrel & Sons", "for", "Kestrel", "(c) 1998", ""});
    struct Case {
        std::string block;
        int first, count;
        size_t size;
        std::string text;
        bool fit;
    } cases[] = {
        {block, 0, 1, 400, "Setup by", true},
        {block, 1, 3, 400, "Kestrel && Sons\nfor\nKestrel", true},
        {block, 4, 2, 400, "(c) 1998\n", true},
        {std::string(6 * CREDITS_LINE_SIZE, '\0'), 1, 3, 400, "\n\n", true},
        {full + full, 0, 2, 400, full + "\n" + full, true},
        {block.substr(0, CREDITS_LINE_SIZE + 3), 1, 3, 400, "Kes\n\n", true},
        {"", 4, 2, 400, "\n", true},
        {block, 1, 3, 10, "Kestrel &", false},
    };
    for (const Case& c : cases) {
        char text[400];
        EXPECT_EQ(CreditText(text, c.size, c.block.data(), c.block.size(), c.first, c.count), c.fit)
            << c.text;
        EXPECT_EQ(std::string(text), c.text);
    }
}

}  // namespace
