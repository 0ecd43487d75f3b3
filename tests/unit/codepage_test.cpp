// What the vendor types (UTF-8) against what the setup reads (the ANSI code
// page, byte by byte): the conversion of templates, credits and names, and
// what the checker says about a script's bytes.
#include "tools/common/codepage.h"

#include <gtest/gtest.h>

#include "tools/common/scripttext.h"

namespace {

const CodePage& Page(int number) {
    const CodePage* page = FindCodePage(number);
    EXPECT_TRUE(page) << number;
    return page ? *page : kCodePages[0];
}

TEST(CodePage, ConvertsWhatItHoldsAndNamesWhatItDoesNot) {
    struct Case {
        int page;
        const char* utf8;
        const char* bytes;  // null: refused with problem
        const char* problem;
    } cases[] = {
        {1252, "Kestrel Schriften f\u00fcr B\u00fcro", "Kestrel Schriften f\xfcr B\xfcro", ""},
        {1252, "LIZENZ\u00c4.TXT", "LIZENZ\xc4.TXT", ""},
        {1252, "\u20ac 5 \u2013 \u201cok\u201d", "\x80 5 \x96 \x93ok\x94", ""},
        {1250, "P\u0159\u00edli\u0161 \u0151", "P\xf8\xedli\x9a \xf5", ""},
        {1251, "\u0428\u0440\u0438\u0444\u0442", "\xd8\xf0\xe8\xf4\xf2", ""},
        {1253, "\u0393\u03c1\u03b1\u03bc\u03bc\u03b1", "\xc3\xf1\xe1\xec\xec\xe1", ""},
        {1252, "Gr\u0151\u00df", nullptr, "\"\u0151\" (U+0151) is no character of code page 1252"},
        {1251, "f\u00fcr", nullptr, "\"\u00fc\" (U+00FC) is no character of code page 1251"},
        {1252, "\U0001F600", nullptr, "\"\U0001F600\" (U+1F600) is no character of code page 1252"},
        {1252, "f\xfcr", nullptr, "the byte 0xFC is no UTF-8 text; save the file as UTF-8"},
        {1252, "a\xc0\xaf", nullptr, "the byte 0xC0 is no UTF-8 text; save the file as UTF-8"},
        {1252, "\xed\xa0\x80", nullptr, "the byte 0xED is no UTF-8 text; save the file as UTF-8"},
        {1252, "cut \xe2\x82", nullptr, "the byte 0xE2 is no UTF-8 text; save the file as UTF-8"},
    };
    for (const Case& c : cases) {
        std::string out, problem;
        EXPECT_EQ(Utf8ToCodePage(c.utf8, Page(c.page), out, problem), c.bytes != nullptr) << c.utf8;
        if (c.bytes) {
            EXPECT_EQ(out, c.bytes) << c.utf8;
            EXPECT_EQ(CodePageToUtf8(out, Page(c.page)), c.utf8);
        }
        EXPECT_EQ(problem, c.problem) << c.utf8;
    }
}

// Every byte a code page defines converts to its character and back; the
// others have none. The System font gives each character a width.
TEST(CodePage, EveryCharacterGoesBothWays) {
    for (size_t i = 0; i < kCodePageCount; ++i) {
        const CodePage& page = kCodePages[i];
        int defined = 0;
        for (int b = 0x20; b < 0x100; ++b) {
            const std::string byte(1, char(b));
            std::string utf8 = CodePageToUtf8(byte, page), back, problem;
            const bool has = b < 0x80 || page.chars[b - 0x80] != 0;
            defined += has;
            EXPECT_EQ(Utf8ToCodePage(utf8, page, back, problem), has) << page.number << " " << b;
            // The marks of writing direction and joining take no room.
            const bool format =
                b >= 0x80 && page.chars[b - 0x80] >= 0x200C && page.chars[b - 0x80] <= 0x200F;
            if (has) {
                EXPECT_EQ(back, byte) << page.number << " " << b;
                EXPECT_EQ(page.widths[b] >= 2, !format) << page.number << " " << b;
            }
        }
        EXPECT_GT(defined, 96 + 90) << page.number;
    }
    EXPECT_EQ(FindCodePage(1258), nullptr);
    EXPECT_EQ(CodePageNumbers(), "1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257");
}

ScriptFinding F(bool error, const char* section, const char* key, const std::string& message) {
    return ScriptFinding{section, key, error, message};
}

void ExpectFindings(const std::vector<ScriptFinding>& seen, const std::vector<ScriptFinding>& want,
                    const std::string& what) {
    ASSERT_EQ(seen.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(seen[i].section, want[i].section) << what;
        EXPECT_EQ(seen[i].key, want[i].key) << what;
        EXPECT_EQ(seen[i].error, want[i].error) << what;
        EXPECT_EQ(seen[i].message, want[i].message) << what;
    }
}

// mkmedia writes a template typed in UTF-8, with or without a byte-order
// mark, with any line ends, as the setup reads a script.
TEST(ScriptText, TemplatesAreWrittenInTheCodePage) {
    struct Case {
        const char* raw;
        const char* out;
        std::vector<ScriptFinding> findings;
    } cases[] = {
        {"\xEF\xBB\xBF[Install]\r\nname=Kestrel Schriften f\u00fcr B\u00fcro\r\n",
         "[Install]\r\nname=Kestrel Schriften f\xfcr B\xfcro\r\n",
         {}},
        {"[Install]\rname=K\r[Packages]\rCore=a,b,?,?,FF1",
         "[Install]\r\nname=K\r\n"
         "[Packages]\r\nCore=a,b,?,?,FF1\r\n",
         {}},
        {"[Install]\nname=K\n\n", "[Install]\r\nname=K\r\n\r\n", {}},
        {"[Install]\nname=Gr\u0151\u00df\n[Icons]\n\u0151=x\n",
         "[Install]\r\n\r\n[Icons]\r\n\r\n",
         {F(true, "Install", "name",
            "line 2: \"\u0151\" (U+0151) is no character of code page 1252"),
          F(true, "Icons", "\u0151",
            "line 4: \"\u0151\" (U+0151) is no character of code page 1252")}},
        {"[Install]\nname=f\xfcr\n",
         "[Install]\r\n\r\n",
         {F(true, "Install", "name",
            "line 2: the byte 0xFC is no UTF-8 text; save the file as UTF-8")}},
        {"\xFF\xFE[\0I\0", "", {F(true, "", "", "the file is UTF-16; save it as UTF-8")}},
    };
    for (const Case& c : cases) {
        std::string out;
        ExpectFindings(ConvertTemplate(c.raw, Page(1252), out), c.findings, c.raw);
        EXPECT_EQ(out, c.out) << c.raw;
    }
}

// inicheck reads a script's bytes as the setup does and names what the
// vendor likely did not mean.
TEST(ScriptText, ScriptBytesTheSetupMisreadsAreNamed) {
    const char kMark[] = "\xEF\xBB\xBF";
    struct Case {
        std::string raw;
        std::vector<ScriptFinding> findings;
    } cases[] = {
        {"[Install]\r\nname=Kestrel Schriften f\xfcr B\xfcro\r\n", {}},
        {std::string(kMark) + "[Install]\r\nname=K\r\n",
         {F(true, "Install", "",
            "line 1: a UTF-8 byte-order mark stands before [Install]: the setup reads no section "
            "header there and loses the section; save the file without the mark")}},
        {std::string(kMark) + "; a comment\r\n[Install]\r\nname=K\r\n", {}},
        {"[Install]\rname=K\r",
         {F(false, "Install", "",
            "line 1: the line ends in CR alone; Windows may read it and the next as one line: "
            "end every line in CR LF")}},
        {"[Install]\r\nname=Kestrel f\u00fcr B\u00fcro\r\n",
         {F(false, "Install", "name",
            "line 2: UTF-8 text: the setup reads the script in the ANSI code page and shows "
            "\"name=Kestrel f\u00c3\u00bcr B\u00c3\u00bcro\" for \"name=Kestrel f\u00fcr "
            "B\u00fcro\"; write the script in code page 1252 (mkmedia converts a template)")}},
        {"[Install]\r\nname=a\x81 b\r\n",
         {F(false, "Install", "name", "line 2: the byte 0x81 is no character of code page 1252")}},
        {"\xFE\xFF\0[",
         {F(true, "", "",
            "the file is UTF-16: the setup reads one byte a character and finds no section; "
            "write it in code page 1252")}},
    };
    for (const Case& c : cases)
        ExpectFindings(CheckScriptBytes(c.raw, Page(1252)), c.findings, c.raw);
}

}  // namespace
