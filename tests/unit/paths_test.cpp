// Path codes, joining and directory creation.
#include <cstring>

#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/paths.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tests/unit/testenv.h"

namespace {

// Expected texts are written with $W, $S and $F for the three directories.
std::string Expand(const char* pattern) {
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (*p != '$') {
            out += *p;
            continue;
        }
        ++p;
        out += *p == 'W' ? WindowsDir() : *p == 'S' ? SystemDir() : std::string(szWinFontDir);
    }
    return out;
}

TEST(ExpandPaths, CodesAndResultStates) {
    BufCopy(szWinFontDir, "C:\\FONTDIR");
    struct Case {
        const char* text;
        const char* base;
        const char* expect;  // $W, $S, $F as above
        int state;
    } cases[] = {
        {"%W", nullptr, "$W", esWindows},
        {"%w", nullptr, "$W", esWindows},
        {"%s", nullptr, "$S", esSystem},
        {"%W\\FONTS", nullptr, "$W\\FONTS", esPlain},
        {"%I\\SUB", "C:\\DEST", "C:\\DEST\\SUB", esBase},
        {"%i\\SUB", "", "\\SUB", esBase},
        {"%I\\SUB", nullptr, "\\SUB", esPlain},
        {"%F", nullptr, "$F", esPlain},
        {"%W%F", nullptr, "$W$F", esWindows},
        {"%I%F", "X", "X$F", esBase},
        {"%I%S", "X", "X$S", esSystem},
        {"%W\\x%S", nullptr, "$W\\x$S", esSystem},
        {"%Xyz", nullptr, "Xyz", esPlain},
        {"100%", nullptr, "100", esPlain},
        {"%%W", nullptr, "$W", esWindows},
        {"", nullptr, "", esPlain},
        {nullptr, nullptr, "", esPlain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        char out[260] = "garbage";
        bool cut = true;
        EXPECT_EQ(ExpandPaths(out, c.text, c.base, &cut), c.state);
        EXPECT_EQ(std::string(out), Expand(c.expect));
        EXPECT_FALSE(cut);
    }
    szWinFontDir[0] = '\0';
}

TEST(ExpandPaths, NeverWritesPastTheBuffer) {
    struct Case {
        const char* text;
        const char* base;
        size_t size;
        const char* expect;
        bool cut;
    } cases[] = {
        // A cut result is never a path: it is left empty.
        {"ABCDEFGHIJ", nullptr, 6, "", true},
        {"ABCDE", nullptr, 6, "ABCDE", false},
        {"%I\\SUB", "C:\\LONGBASE", 8, "", true},
        {"AB%W", nullptr, 4, "", true},
        {"AB%W\\X", nullptr, 8, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char buf[32];
        memset(buf, '#', sizeof buf);
        bool cut = !c.cut;
        ExpandPaths(buf, c.text, c.base, c.size, &cut);
        EXPECT_EQ(std::string(buf), c.expect);
        EXPECT_EQ(cut, c.cut);
        for (size_t i = c.size; i < sizeof buf; ++i) ASSERT_EQ(buf[i], '#');
    }
}

TEST(MakeFullPath, JoinsWithOneBackslash) {
    struct Case {
        const char* dir;
        const char* expect;
    } cases[] = {
        {"C:\\DEST  ", "C:\\DEST\\readme.txt"},
        {"C:\\", "C:\\readme.txt"},
        {"", "\\readme.txt"},
        {"   ", "\\readme.txt"},
        {"C:\\DEST\t", "C:\\DEST\t\\readme.txt"},
    };
    for (const Case& c : cases) {
        char out[144];
        EXPECT_TRUE(MakeFullPath(out, c.dir, "readme.txt"));
        EXPECT_EQ(std::string(out), c.expect) << "directory '" << c.dir << "'";
    }
    char small[12];
    EXPECT_FALSE(MakeFullPath(small, "C:\\DEST", "readme.txt"));
    EXPECT_EQ(std::string(small), "C:\\DEST\\rea");
}

TEST(RemoveSpaces, CutsTrailingSpacesOnly) {
    char a[] = "abc  ", b[] = "    ", c[] = "a\t ", d[] = " a b";
    removeSpaces(a);
    removeSpaces(b);
    removeSpaces(c);
    removeSpaces(d);
    EXPECT_STREQ(a, "abc");
    EXPECT_STREQ(b, "");
    EXPECT_STREQ(c, "a\t");
    EXPECT_STREQ(d, " a b");
}

TEST(CreatePath, MakesEveryDirectoryAlongThePath) {
    ScratchDir dir;
    std::string deep = dir / "A\\B\\C";
    std::vector<char> path(deep.begin(), deep.end());
    path.push_back('\0');
    CreatePath(path.data());
    EXPECT_EQ(std::string(path.data()), deep) << "the path is restored";
    EXPECT_TRUE(PfIsDirectory((dir / "A").c_str()));
    EXPECT_TRUE(PfIsDirectory((dir / "A\\B").c_str()));
    EXPECT_TRUE(PfIsDirectory(deep.c_str()));

    // Existing directories stay; a trailing backslash works the same.
    WriteFile(dir / "A\\B\\keep.txt", "x");
    std::string trailing = dir / "A\\B\\D\\";
    std::vector<char> path2(trailing.begin(), trailing.end());
    path2.push_back('\0');
    CreatePath(path2.data());
    EXPECT_TRUE(PfIsDirectory((dir / "A\\B\\D").c_str()));
    EXPECT_EQ(ReadFile(dir / "A\\B\\keep.txt"), "x");

    // A file in the way is no error; nothing below it is made.
    WriteFile(dir / "F", "file");
    std::string blocked = dir / "F\\G";
    std::vector<char> path3(blocked.begin(), blocked.end());
    path3.push_back('\0');
    CreatePath(path3.data());
    EXPECT_FALSE(PfIsDirectory(blocked.c_str()));
    EXPECT_EQ(ReadFile(dir / "F"), "file");
}

}  // namespace
