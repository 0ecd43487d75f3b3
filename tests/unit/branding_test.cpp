// A product's logo and credits: what mkmedia and inicheck accept and refuse,
// and how they are written over the resources of a SETUP.EXE image, here a
// small one made below (the Windows tests use the real one).
#include "tools/common/branding.h"

#include <gtest/gtest.h>

#include <cstring>

#include "resources/resource.h"
#include "tests/unit/testenv.h"
#include "tools/common/peresource.h"

namespace {

void Put(std::string& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b += char(i < 4 ? v >> (8 * i) : 0);
}

void PutAt(std::string& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = char(v >> (8 * i));
}

TEST(Branding, LogoOf250By75With16Colours) {
    const std::string canonical = Bmp(BmpLayout());
    std::string want;
    std::string error;
    ASSERT_TRUE(LogoResource(canonical, want, error)) << error;
    EXPECT_EQ(want, canonical.substr(14));
    EXPECT_EQ(want.size(), 40u + 64 + 128 * 75);

    BmpLayout topDown, v5, eight;
    topDown.height = -75;
    v5.header = 124;
    eight.colours = 8;
    std::string eightWant = want;
    for (size_t i = 40 + 4 * 8; i < 40 + 64; ++i) eightWant[i] = '\0';
    struct Case {
        const char* what;
        std::string file;
        std::string resource;
        const char* error;
    } cases[] = {
        {"rows top down", Bmp(topDown), want, ""},
        {"a version 5 header", Bmp(v5), want, ""},
        {"8 colours", Bmp(eight), eightWant, ""},
        {"too wide", Bmp(BmpLayout{300, 75}), "",
         "300 x 75 pixels, 4 bits a pixel; the intro's logo is 250 x 75 pixels of 16 colours "
         "(4 bits a pixel)"},
        {"too high", Bmp(BmpLayout{250, 80}), "",
         "250 x 80 pixels, 4 bits a pixel; the intro's logo is 250 x 75 pixels of 16 colours "
         "(4 bits a pixel)"},
        {"256 colours", Bmp(BmpLayout{250, 75, 8, 0, 16}), "",
         "250 x 75 pixels, 8 bits a pixel; the intro's logo is 250 x 75 pixels of 16 colours "
         "(4 bits a pixel)"},
        {"run-length coded", Bmp(BmpLayout{250, 75, 4, 2}), "", "compressed; save it uncompressed"},
        {"cut short", canonical.substr(0, canonical.size() - 1), "",
         "cut short or its palette is damaged"},
        {"an OS/2 header", std::string(canonical).replace(14, 4, "\x0c\0\0\0", 4), "",
         "not a Windows bitmap of a kind this tool reads"},
        {"a PNG", "\x89PNG\r\n\x1a\n", "", "not a Windows bitmap (BMP)"},
    };
    for (const Case& c : cases) {
        std::string resource, problem;
        EXPECT_EQ(LogoResource(c.file, resource, problem), !*c.error) << c.what;
        EXPECT_EQ(problem, c.error) << c.what;
        if (!*c.error) {
            EXPECT_EQ(resource, c.resource) << c.what;
        }
    }
}

std::string Line(const std::string& text) {
    std::string line = text;
    line.resize(CREDITS_LINE_SIZE, '\0');
    return line;
}

// The credit lines, checked against what the intro's statics show: six
// lines, each within 334 pixels of the System font (W 14, l and i 4).
TEST(Branding, CreditsFitTheIntro) {
    const std::string w23(23, 'W');
    struct Case {
        const char* what;
        std::string text;
        std::string block;  // empty: refused
        std::vector<std::string> problems;
    } cases[] = {
        {"six lines, UTF-8 with a mark",
         "\xEF\xBB\xBFSetup by\r\nKestrel & S\u00f6hne\r\nfor\r\nKestrel\r\n\u00a9 1998\r\nAll "
         "rights\r\n\r\n",
         Line("Setup by") + Line("Kestrel & S\xf6hne") + Line("for") + Line("Kestrel") +
             Line("\xa9 1998") + Line("All rights"),
         {}},
        {"two lines, LF",
         "Heading\nDevelopers\n",
         Line("Heading") + Line("Developers") + std::string(4 * CREDITS_LINE_SIZE, '\0'),
         {}},
        {"a line of exactly 334 pixels",
         w23 + "lli",
         Line(w23 + "lli") + std::string(5 * CREDITS_LINE_SIZE, '\0'),
         {}},
        {"338 pixels",
         "ok\n" + w23 + "llii",
         "",
         {"C:2: error: the line is 338 pixels wide in the intro's font; its control shows 334"}},
        {"seven lines",
         "1\n2\n3\n4\n5\n6\n7\n",
         "",
         {"C:7: error: the intro shows six credit lines: the heading, three of developers and "
          "company, two of copyright"}},
        {"a tab", "a\tb", "", {"C:1: error: the line holds a tab or control character"}},
        {"no character of 1252",
         "ok\nok\nGr\u0151\u00dfe\nnot \u0151",
         "",
         {"C:3: error: \"\u0151\" (U+0151) is no character of code page 1252",
          "C:4: error: \"\u0151\" (U+0151) is no character of code page 1252"}},
    };
    ScratchDir dir;
    const std::string path = dir / "credits.txt";
    for (const Case& c : cases) {
        WriteFile(path, c.text);
        Branding branding;
        std::vector<std::string> problems;
        EXPECT_EQ(ReadBranding("", path, *FindCodePage(1252), branding, problems),
                  c.problems.empty())
            << c.what;
        for (std::string& p : problems) p.replace(0, path.size(), "C");
        EXPECT_EQ(problems, c.problems) << c.what;
        if (c.problems.empty()) {
            EXPECT_EQ(branding.credits, c.block) << c.what;
        }
        EXPECT_EQ(branding.logo, "") << c.what;
    }
    Branding branding;
    std::vector<std::string> problems;
    EXPECT_FALSE(ReadBranding(dir / "logo.bmp", "", *FindCodePage(1252), branding, problems));
    EXPECT_EQ(problems, std::vector<std::string>{dir / "logo.bmp: error: cannot be read"});
}

struct PeLayout {
    size_t logo = 40 + 64 + 128 * 75;
    size_t credits = CREDITS_LINES * CREDITS_LINE_SIZE;
    const char* creditsName = "CREDITS";
    uint32_t checksum = 0;
};

// A PE32 image of one section, .rsrc, holding the bitmap COMPANYLOGO and
// the RCDATA the layout names, their bytes counting up from 1 and 101.
std::string Pe(const PeLayout& s, size_t& logoAt, size_t& creditsAt) {
    const uint32_t rva = 0x1000;
    const size_t raw = 0x200;
    std::string r;  // the resources, laid out: root, two name levels, two
                    // language levels, two data entries, names, data
    auto dir = [&r](uint16_t named, uint16_t numbered) {
        Put(r, 0, 12);
        Put(r, named, 2);
        Put(r, numbered, 2);
    };
    dir(0, 2);
    const uint32_t entries[] = {2, 0x80000000u | 0x20, 10, 0x80000000u | 0x38};
    for (uint32_t e : entries) Put(r, e, 4);
    for (int i = 0; i < 2; ++i) {  // at 0x20, 0x38: one named entry each
        dir(1, 0);
        Put(r, 0x80000000u | uint32_t(0xA0 + 0x20 * i), 4);
        Put(r, 0x80000000u | uint32_t(0x50 + 0x18 * i), 4);
    }
    for (int i = 0; i < 2; ++i) {  // at 0x50, 0x68: the language 0x409
        dir(0, 1);
        Put(r, 0x409, 4);
        Put(r, uint32_t(0x80 + 0x10 * i), 4);
    }
    const size_t data = 0xE0;
    logoAt = raw + data;
    creditsAt = logoAt + s.logo;
    const uint32_t leaves[] = {uint32_t(rva + data),          uint32_t(s.logo),    0, 0,
                               uint32_t(rva + data + s.logo), uint32_t(s.credits), 0, 0};
    for (uint32_t e : leaves) Put(r, e, 4);
    for (const char* name : {"COMPANYLOGO", s.creditsName}) {
        std::string n;
        Put(n, uint32_t(strlen(name)), 2);
        for (const char* c = name; *c; ++c) Put(n, uint32_t(*c), 2);
        n.resize(0x20, '\0');
        r += n;
    }
    for (size_t i = 0; i < s.logo; ++i) r += char(1 + i);
    for (size_t i = 0; i < s.credits; ++i) r += char(101 + i);

    std::string image(raw, '\0');
    image.replace(0, 2, "MZ");
    PutAt(image, 0x3C, 0x40, 4);
    image.replace(0x40, 4, std::string("PE\0\0", 4));
    PutAt(image, 0x44, 0x14C, 2);
    PutAt(image, 0x46, 1, 2);
    PutAt(image, 0x54, 224, 2);
    const size_t optional = 0x58;
    PutAt(image, optional, 0x10B, 2);
    PutAt(image, optional + 64, s.checksum, 4);
    PutAt(image, optional + 92, 16, 4);
    PutAt(image, optional + 96 + 16, rva, 4);
    PutAt(image, optional + 100 + 16, uint32_t(r.size()), 4);
    const size_t section = optional + 224;
    image.replace(section, 5, ".rsrc");
    PutAt(image, section + 8, uint32_t(r.size()), 4);
    PutAt(image, section + 12, rva, 4);
    PutAt(image, section + 16, uint32_t(r.size()), 4);
    PutAt(image, section + 20, uint32_t(raw), 4);
    return image + r;
}

Branding SampleBranding() {
    Branding b;
    b.logo = std::string(40 + 64 + 128 * 75, 'L');
    b.credits = std::string(CREDITS_LINES * CREDITS_LINE_SIZE, 'C');
    return b;
}

// The two resources are overwritten where they lie and nothing else but the
// checksum changes; SETUP.EXE without them, or of other sizes, is refused.
TEST(Branding, WrittenOverTheSetupsResources) {
    size_t logoAt, creditsAt;
    const std::string plain = Pe(PeLayout(), logoAt, creditsAt);
    const Branding branding = SampleBranding();
    std::string image = plain, error;
    ASSERT_TRUE(BrandSetup(image, branding, error)) << error;
    std::string want = plain;
    want.replace(logoAt, branding.logo.size(), branding.logo);
    want.replace(creditsAt, branding.credits.size(), branding.credits);
    EXPECT_EQ(image, want);

    Branding logoOnly;
    logoOnly.logo = branding.logo;
    image = plain;
    ASSERT_TRUE(BrandSetup(image, logoOnly, error)) << error;
    EXPECT_EQ(image.substr(creditsAt), plain.substr(creditsAt));

    PeLayout small, other, summed;
    small.logo = 100;
    other.creditsName = "OTHER";
    summed.checksum = 1;
    struct Case {
        const char* what;
        std::string image;
        const char* error;
    } cases[] = {
        {"a smaller logo", Pe(small, logoAt, creditsAt),
         "its resource CompanyLogo is 100 bytes, not the 9704 mkmedia writes"},
        {"no credits", Pe(other, logoAt, creditsAt), "the program has no resource Credits"},
        {"a stand-in", "a stand-in for the setup program", "not a Windows program"},
        {"no resources", plain.substr(0, 0x200).replace(0x58 + 112, 4, "\0\0\0\0", 4),
         "the program has no resources"},
    };
    for (const Case& c : cases) {
        std::string bytes = c.image;
        EXPECT_FALSE(BrandSetup(bytes, branding, error)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }

    // Cut anywhere, the image is read without a step outside it.
    for (size_t n = 0; n < plain.size(); n += 7) {
        std::string cut = plain.substr(0, n);
        size_t offset = 0, size = 0;
        EXPECT_FALSE(FindPeResource(cut, kPeRcData, "Credits", offset, size, error)) << n;
    }

    // A kept checksum is made again: the sum of the 16-bit words with the
    // carries folded in, plus the file's length.
    image = Pe(summed, logoAt, creditsAt);
    ASSERT_TRUE(BrandSetup(image, branding, error)) << error;
    uint32_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i == 0x58 + 64 || i == 0x58 + 66) continue;
        sum += uint8_t(image[i]) | uint32_t(uint8_t(image[i + 1])) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    uint32_t stored = uint8_t(image[0x98]) | uint32_t(uint8_t(image[0x99])) << 8 |
                      uint32_t(uint8_t(image[0x9A])) << 16 | uint32_t(uint8_t(image[0x9B])) << 24;
    EXPECT_EQ(stored, sum + image.size());
}

}  // namespace
