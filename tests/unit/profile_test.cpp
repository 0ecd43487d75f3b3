// The profile functions against one table of vectors. Natively this checks the
// stand-in; under Wine the same table checks kernel32, so the two agree.
#include <cstring>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/unit/testenv.h"

namespace {

// Repeats of a key among comments, lines without "=", blanks and quotes.
const char* const kRepeats =
    "[S]\r\nFile=one\r\n; File=comment\r\n  file  =  \"two\"  \r\nFile\r\n"
    "FILE='three'\r\n;File=hidden\r\n\tFile\t=\t\"\"\t\r\n";

const char* const kScript =
    "[Install]\r\n"
    "name=Sample Fonts\r\n"
    "  BaseDir =  C:\\SAMPLE  \r\n"
    "\tdisks\t=\t3\t\r\n"
    "\r\n"
    "[Packages]\r\n"
    "Core=Core fonts,FONTS,12,800,FF1,0\r\n"
    "; Extra=commented out\r\n"
    "Extra=Extra,EXTRA,3,100,FF1,1\r\n";

struct StringVector {
    const char* what;
    const char* file;  // null: no such file
    const char* section;
    const char* key;   // null: the key list
    const char* def;
    unsigned size;
    // The bytes from the start of the buffer up to and including buf[result],
    // "|" standing for a NUL; the result is its length less one.
    const char* expect;
};

const StringVector kStringVectors[] = {
    {"a value", kScript, "Install", "name", "", 100, "Sample Fonts|"},
    {"section and key without regard to case", kScript, "INSTALL", "NaMe", "", 100,
     "Sample Fonts|"},
    {"blanks around name and value", kScript, "Install", "BaseDir", "", 100, "C:\\SAMPLE|"},
    {"tabs around name and value", kScript, "Install", "disks", "", 100, "3|"},
    {"a value cut at size - 1", kScript, "Install", "name", "", 5, "Samp|"},
    {"size 1 holds only the terminator", kScript, "Install", "name", "", 1, "|"},
    {"missing key gives the default", kScript, "Install", "nothing", "dflt", 100, "dflt|"},
    {"the default loses trailing blanks", kScript, "Install", "nothing", "dflt  ", 100,
     "dflt|"},
    {"a null default is empty", kScript, "Install", "nothing", nullptr, 100, "|"},
    {"missing section gives the default", kScript, "Nowhere", "name", "dflt", 100, "dflt|"},
    {"the default is cut too", kScript, "Install", "nothing", "default", 4, "def|"},
    {"a key list", kScript, "Packages", nullptr, "", 300, "Core|Extra||"},
    {"a key list skips blank lines", kScript, "Install", nullptr, "", 300,
     "name|BaseDir|disks||"},
    {"a key list that does not fit gives size - 2", kScript, "Packages", nullptr, "", 8,
     "Core|E|"},
    {"a key list that fits exactly also gives size - 2", kScript, "Packages", nullptr, "", 12,
     "Core|Extra|"},
    {"a key list with one byte to spare", kScript, "Packages", nullptr, "", 13,
     "Core|Extra||"},
    {"a key list of a missing section is empty", kScript, "Nowhere", nullptr, "", 300, "|"},
    {"a key list of a missing file is empty", nullptr, "Packages", nullptr, "", 300, "|"},
    {"a value of a missing file is the default", nullptr, "Install", "name", "dflt", 100,
     "dflt|"},
    {"a comment line is no key", kScript, "Packages", "Extra", "", 100,
     "Extra,EXTRA,3,100,FF1,1|"},
    {"an empty value is not the default", "[S]\r\nk=\r\n", "S", "k", "dflt", 100, "|"},
    {"an = inside the value stays", "[S]\r\nk=a=b\r\n", "S", "k", "", 100, "a=b|"},
    {"a name with inner blanks", "[S]\r\nmy key = v\r\n", "S", "my key", "", 100, "v|"},
    {"double quotes are removed", "[S]\r\nq=\"quoted  value\"\r\n", "S", "q", "", 100,
     "quoted  value|"},
    {"single quotes are removed", "[S]\r\nq='single'\r\n", "S", "q", "", 100, "single|"},
    {"mismatched quotes stay", "[S]\r\nq=\"mixed'\r\n", "S", "q", "", 100, "\"mixed'|"},
    {"a lone quote stays", "[S]\r\nq=\"\r\n", "S", "q", "", 100, "\"|"},
    {"empty double quotes in a 1-byte buffer", "[S]\r\nq=\"\"\r\n", "S", "q", "", 1, "|"},
    {"empty single quotes in a 1-byte buffer", "[S]\r\nq=''\r\n", "S", "q", "", 1, "|"},
    {"the first of repeated keys wins", "[S]\r\na=1\r\na=2\r\n", "S", "a", "", 100, "1|"},
    {"repeats are listed in file order; comments and lines without = are not", kRepeats, "S",
     nullptr, "", 100, "File|file|FILE|File||"},
    {"a line without = hides a later value of its key", "[S]\r\nk\r\nk=v\r\n", "S", "k", "dflt",
     100, "dflt|"},
    {"repeated keys are all listed", "[S]\r\na=1\r\nb=2\r\na=3\r\n", "S", nullptr, "", 100,
     "a|b|a||"},
    {"a repeated section is not searched", "[S]\r\na=1\r\n[T]\r\nt=1\r\n[S]\r\nb=2\r\n", "S",
     "b", "dflt", 100, "dflt|"},
    {"only the first of repeated sections is listed",
     "[S]\r\na=1\r\n[T]\r\nt=1\r\n[s]\r\nb=2\r\n", "S", nullptr, "", 100, "a||"},
    {"lines ending in LF alone", "[S]\nx=1\ny=2\n", "S", "y", "", 100, "2|"},
    {"a last line without line end", "[S]\r\nx=last", "S", "x", "", 100, "last|"},
    {"keys before any section are out of reach", "k=v\r\n[S]\r\nx=1\r\n", "S", "k", "dflt",
     100, "dflt|"},
    {"a line without = is a key without value", "[S]\r\nplain\r\nk=v\r\n", "S", "plain",
     "dflt", 100, "dflt|"},
    {"section names", kScript, nullptr, nullptr, "", 100, "Install|Packages||"},
    {"section names keep repeats and case, not the keys before them",
     "k=v\r\n[S]\r\n[T]\r\n[]\r\n[s]\r\nx=1\r\n", nullptr, nullptr, "dflt", 100, "S|T|s||"},
    {"section names that do not fit give size - 2", kScript, nullptr, nullptr, "", 12,
     "Install|Pa|"},
    {"section names that fit exactly also give size - 2", kScript, nullptr, nullptr, "", 18,
     "Install|Packages|"},
    {"section names of a missing file are empty", nullptr, nullptr, nullptr, "dflt", 100, "|"},
};

std::string Unbar(const char* text) {
    std::string s(text);
    for (char& c : s)
        if (c == '|') c = '\0';
    return s;
}

std::string Bar(const std::string& bytes) {
    std::string s(bytes);
    for (char& c : s)
        if (c == '\0') c = '|';
    return s;
}

TEST(Profile, StringVectorsAgreeWithKernel32) {
    ScratchDir dir;
    int n = 0;
    for (const StringVector& v : kStringVectors) {
        SCOPED_TRACE(v.what);
        // A fresh file per vector, so no cached copy of an earlier one is read.
        std::string file = dir / ("v" + std::to_string(++n) + ".ini");
        if (v.file) WriteFile(file, v.file);

        // One guard byte before the buffer, sixteen after it.
        std::vector<char> guarded(v.size + 17, '\xAB');
        char* buf = guarded.data() + 1;
        uint32_t got = PfGetProfileString(v.section, v.key, v.def, buf, v.size, file.c_str());
        std::string expect = Unbar(v.expect);
        ASSERT_EQ(got, expect.size() - 1);
        EXPECT_EQ(Bar(std::string(buf, got + 1)), v.expect);
        ASSERT_EQ(guarded[0], '\xAB') << "written before the buffer";
        for (size_t i = v.size + 1; i < guarded.size(); ++i)
            ASSERT_EQ(guarded[i], '\xAB') << "written past the buffer at " << i - 1;
    }
}

struct IntVector {
    const char* what;
    const char* value;  // null: key missing
    int def;
    int expect;
};

const IntVector kIntVectors[] = {
    {"a number", "3", -1, 3},
    {"a negative number", "-12", 0, -12},
    {"a plus sign", "+7", 0, 7},
    {"digits up to the first other character", "12abc", 0, 12},
    {"no digits give 0", "abc", -1, 0},
    {"a missing key gives the default", nullptr, -1, -1},
    {"an empty value gives the default", "", -1, -1},
    {"a hexadecimal prefix", "0x1A", 0, 26},
    {"a leading zero is decimal", "010", 0, 10},
};

TEST(Profile, IntVectorsAgreeWithKernel32) {
    ScratchDir dir;
    int n = 0;
    for (const IntVector& v : kIntVectors) {
        SCOPED_TRACE(v.what);
        std::string file = dir / ("i" + std::to_string(++n) + ".ini");
        std::string text = "[Install]\r\n";
        if (v.value) text += std::string("disks=") + v.value + "\r\n";
        WriteFile(file, text);
        EXPECT_EQ(int(PfGetProfileInt("Install", "disks", v.def, file.c_str())), v.expect);
    }
}

std::string KeyList(const std::string& file, const char* section) {
    char buf[300];
    uint32_t n = PfGetProfileString(section, nullptr, "", buf, sizeof buf, file.c_str());
    return Bar(std::string(buf, n));
}

std::string Value(const std::string& file, const char* section, const char* key) {
    char buf[300];
    PfGetProfileString(section, key, "<none>", buf, sizeof buf, file.c_str());
    return buf;
}

TEST(Profile, WritesReadBackAsKernel32Does) {
    ScratchDir dir;
    std::string file = dir / "w.ini";
    WriteFile(file, "; kept comment\r\n[Other]\r\nx=1\r\n");

    ASSERT_TRUE(PfWriteProfileString("Product", "a", "1", file.c_str()));
    ASSERT_TRUE(PfWriteProfileString("Product", "b", "  two", file.c_str()));
    EXPECT_EQ(KeyList(file, "Product"), "a|b|");
    EXPECT_EQ(Value(file, "Product", "b"), "two");

    ASSERT_TRUE(PfWriteProfileString("PRODUCT", "A", "x", file.c_str()));
    EXPECT_EQ(KeyList(file, "Product"), "a|b|");
    EXPECT_EQ(Value(file, "Product", "a"), "x");

    ASSERT_TRUE(PfWriteProfileString("Product", "a", nullptr, file.c_str()));
    EXPECT_EQ(KeyList(file, "Product"), "b|");

    ASSERT_TRUE(PfWriteProfileString("Product", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(KeyList(file, "Product"), "");
    EXPECT_EQ(Value(file, "Other", "x"), "1");
    EXPECT_NE(ReadFile(file).find("; kept comment"), std::string::npos);
}

TEST(Profile, WinIniIsTheWindowsDirectorysFile) {
    ASSERT_TRUE(PfWriteWinIni("SetupUnitTest", "Key", "Value"));
    std::string winIni = WindowsDir() + "\\WIN.INI";
    EXPECT_EQ(Value(winIni, "SetupUnitTest", "Key"), "Value");
    // A relative name is looked for in the Windows directory.
    EXPECT_EQ(Value("win.ini", "SetupUnitTest", "Key"), "Value");
    ASSERT_TRUE(PfWriteWinIni("SetupUnitTest", nullptr, nullptr));
    EXPECT_EQ(Value(winIni, "SetupUnitTest", "Key"), "<none>");
}

}  // namespace

#ifndef _WIN32
// Buffers too small for a name and two NULs get an empty list and nothing
// is written outside them (found by fuzzing).
TEST(Profile, KeyListsInTinyBuffersStayInside) {
    ScratchDir dir;
    std::string file = dir / "tiny.ini";
    WriteFile(file, kScript);
    for (uint32_t size : {1u, 2u}) {
        std::vector<char> buf(size + 2, '\xAB');
        EXPECT_EQ(PfGetProfileString("Packages", nullptr, "", buf.data() + 1, size, file.c_str()),
                  0u);
        EXPECT_EQ(buf[0], '\xAB');
        EXPECT_EQ(buf[1], '\0');
        EXPECT_EQ(buf[size + 1], '\xAB');
    }
}
#endif
