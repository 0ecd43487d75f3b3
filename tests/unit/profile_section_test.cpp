// Reading a whole section: natively the stand-in, under Wine kernel32, against
// one table, so the two agree.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/testenv.h"

namespace {

struct SectionVector {
    const char* what;
    const char* file;  // null: no such file
    unsigned size;
    // The list up to its second NUL, "|" standing for a NUL, and the result.
    const char* expect;
    uint32_t result;
};

const char* const kTwo = "[S]\r\na=1\r\n  b = 2 \r\n";

const SectionVector kSectionVectors[] = {
    {"lines as key=value, trimmed", kTwo, 100, "a=1|b=2||", 8},
    {"a section name without regard to case", "[s]\r\na=1\r\n", 100, "a=1||", 4},
    {"comments are left out", "[S]\r\n; c=1\r\na=1\r\n", 100, "a=1||", 4},
    {"a line without = is listed bare", "[S]\r\nplain\r\na=1\r\n", 100, "plain|a=1||", 10},
    {"values keep their quotes", "[S]\r\nq=\"x y\"\r\nr='z'\r\n", 100, "q=\"x y\"|r='z'||", 14},
    {"repeated keys keep their own values", "[S]\r\na=1\r\na=2\r\nA=3\r\n", 100, "a=1|a=2|A=3||",
     12},
    {"repeats among comments, bare lines, blanks and quotes",
     "[S]\r\nFile=one\r\n; File=comment\r\n  file  =  \"two\"  \r\nFile\r\nFILE='three'\r\n"
     ";File=hidden\r\n\tFile\t=\t\"\"\t\r\n",
     100, "File=one|file=\"two\"|File|FILE='three'|File=\"\"||", 46},
    {"empty values and names", "[S]\r\nk=\r\n=v\r\n\r\nz=1\r\n", 100, "k=|=v|z=1||", 10},
    {"only the first of repeated sections", "[S]\r\na=1\r\n[T]\r\nt=1\r\n[s]\r\nb=2\r\n", 100,
     "a=1||", 4},
    {"a missing section is empty", "[T]\r\na=1\r\n", 100, "||", 0},
    {"a missing file is empty", nullptr, 100, "||", 0},
    {"cut inside a name gives size - 2", kTwo, 7, "a=1|b||", 5},
    {"cut before a name gives size - 2", kTwo, 6, "a=1||", 4},
    {"cut inside a value", kTwo, 4, "a=||", 2},
    {"an exact fit also gives size - 2", "[S]\r\na=1\r\n", 5, "a=1||", 3},
    {"one byte to spare", "[S]\r\na=1\r\n", 6, "a=1||", 4},
    {"a long bare line cut", "[S]\r\nplain\r\n", 6, "plai||", 4},
    {"size 2 holds nothing", kTwo, 2, "||", 0},
};

std::string Bar(const std::string& bytes) {
    std::string s(bytes);
    for (char& c : s)
        if (c == '\0') c = '|';
    return s;
}

TEST(ProfileSection, VectorsAgreeWithKernel32) {
    ScratchDir dir;
    int n = 0;
    for (const SectionVector& v : kSectionVectors) {
        SCOPED_TRACE(v.what);
        std::string file = dir / ("s" + std::to_string(++n) + ".ini");
        if (v.file) WriteFile(file, v.file);

        std::vector<char> buf(v.size + 16, '\xAB');
        uint32_t got = PfGetProfileSection("S", buf.data(), v.size, file.c_str());
        EXPECT_EQ(got, v.result);
        EXPECT_EQ(Bar(std::string(buf.data(), strlen(v.expect))), v.expect);
        for (size_t i = v.size; i < buf.size(); ++i)
            ASSERT_EQ(buf[i], '\xAB') << "written past the buffer at " << i;
    }
}

}  // namespace
