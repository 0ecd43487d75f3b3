// The bounded formatter: printf's results for every directive the program
// uses, cut at the buffer with the cut reported.
#include "platform/strutil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <string>

namespace {

struct FormatCase {
    const char* want;
    bool fits;
    std::function<bool(char*, size_t)> format;
    size_t size = 64;
};

// Values the compiler's check would refuse as constants, hidden from it.
volatile int kIntMax = INT_MAX, kIntMin = INT_MIN;
const wchar_t* volatile kNoText = nullptr;

TEST(BufFormat, AgreesWithPrintfAndCutsAtTheBuffer) {
    const FormatCase cases[] = {
        {"Insert Disk 3", true,
         [](char* b, size_t n) { return BufFormat(b, n, "Insert Disk %d", 3); }},
        {"-42|42|-2147483648", true,
         [](char* b, size_t n) { return BufFormat(b, n, "%d|%i|%d", -42, 42, INT_MIN); }},
        {"  7|7  |007|  -7|-07", true,
         [](char* b, size_t n) {
             return BufFormat(b, n, "%3d|%-3d|%03d|%4d|%03d", 7, 7, 7, -7, -7);
         }},
        {" 512|4294967295|18446744073709551615", true,
         [](char* b, size_t n) {
             return BufFormat(b, n, "%4ld|%u|%llu", 512L, UINT_MAX, ULLONG_MAX);
         }},
        {"0000beef|BEEF|ff", true,
         [](char* b, size_t n) {
             return BufFormat(b, n, "%08x|%X|%hhx", 0xbeefu, 0xbeefu, 0x1ff);
         }},
        {"Drive C:|50 %|abc|ab   |   ab", true,
         [](char* b, size_t n) {
             return BufFormat(b, n, "Drive %c:|%d %%|%.3s|%-5s|%5s", 'C', 50, "abcdef", "ab", "ab");
         }},
        {"x|", true, [](char* b, size_t n) { return BufFormat(b, n, "%.*s|%.0d", 1, "xyz", 0); }},
        {"123|  4", true,
         [](char* b, size_t n) { return BufFormat(b, n, "%zu|%*d", size_t(123), 3, 4); }},
        {"+5| 5|-5|+0005|0xbeef|0XBEEF|0x00ff|0", true,
         [](char* b, size_t n) {
             return BufFormat(b, n, "%+d|% d|% d|%+05d|%#x|%#X|%#06x|%#x", 5, 5, -5, 5, 0xbeefu,
                              0xbeefu, 0xffu, 0u);
         }},
        {"-5|7|-9223372036854775807|18446744073709551615", true,
         [](char* b, size_t n) {
             return BufFormat(b, n, "%jd|%d|%jd|%ju", intmax_t(-5), 7, -INTMAX_MAX, UINTMAX_MAX);
         }},
        {"Disk|  ab|Z|(null)", true,
         [](char* b, size_t n) {
             return BufFormat(b, n, "%ls|%4.2ls|%lc|%ls", L"Disk", L"abc", wint_t(L'Z'), kNoText);
         }},
        // Wide characters past ASCII, as printf in the C locale: refused.
        {"x", false, [](char* b, size_t n) { return BufFormat(b, n, "x%ls", L"caf\u00e9"); }},
        {"x", false, [](char* b, size_t n) { return BufFormat(b, n, "x%lc", wint_t(L'\u00e9')); }},
        // Widths and precisions past any buffer: cut at once; past INT_MAX,
        // refused as printf refuses them.
        {"-000000", false, [](char* b, size_t n) { return BufFormat(b, n, "%.*d", kIntMax, -1); },
         8},
        {"       ", false, [](char* b, size_t n) { return BufFormat(b, n, "%*s", kIntMax, ""); },
         8},
        {"x", false,
         [](char* b, size_t n) {
             std::string tooWide = "x%2147483648d";
             return BufFormat(b, n, tooWide.c_str(), 1);
         }},
        {"x", false, [](char* b, size_t n) { return BufFormat(b, n, "x%*d", kIntMin, 1); }},
        // Cut: the buffer holds what fits, terminated.
        {"Disk", false, [](char* b, size_t n) { return BufFormat(b, n, "Disk%1d", 12); }, 5},
        {"AB\\C", false, [](char* b, size_t n) { return BufFormat(b, n, "%s\\%s", "AB", "CDE"); },
         5},
        {"", false, [](char* b, size_t n) { return BufFormat(b, n, "%d", 1); }, 1},
        {"ab", true, [](char* b, size_t n) { return BufFormat(b, n, "ab"); }, 3},
        // A directive the formatter does not know stops it: never a wrong text.
        {"x ", false,
         [](char* b, size_t n) {
             const char* unknown = "x %q y";
             return BufFormat(b, n, unknown, 1);
         }},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.want);
        char buf[80];
        memset(buf, '#', sizeof buf);
        EXPECT_EQ(c.format(buf, c.size), c.fits);
        EXPECT_STREQ(buf, c.want);
        EXPECT_EQ(buf[c.size], '#') << "written past the buffer";
    }
    // A precision stops the reading: the text need not be terminated after it.
    char* field = new char[3]{'a', 'b', 'c'};
    char buf[8];
    EXPECT_TRUE(BufFormat(buf, "%.3s|%.2s", field, field));
    EXPECT_STREQ(buf, "abc|ab");
    delete[] field;
    char none[1] = {'#'};
    EXPECT_FALSE(BufFormat(none, 0, "x"));
    EXPECT_EQ(none[0], '#');
}

}  // namespace
