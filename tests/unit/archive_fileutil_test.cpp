// MakePath, StripPath and newStr.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/fileutil.h"
#include "platform/strutil.h"
#include "tests/unit/archive_support.h"

namespace {

TEST(ArchiveFileUtil, MakePathCreatesTheDirectoriesOfAPath) {
    struct Case {
        const char* path;
        std::vector<std::string> tree;  // what exists afterwards
    } cases[] = {
        {"FONTS\\AFM\\X.AFM", {"FONTS\\", "FONTS\\AFM\\"}},
        {"FONTS\\README", {"FONTS\\", "FONTS\\README\\"}},
        {"V1.0\\DATA", {"V1.0\\"}},
        {"SUB\\DIR", {"SUB\\", "SUB\\DIR\\"}},
        {"NAME.EXT", {}},
        {"TRAIL\\", {"TRAIL\\"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        // Relative, as the extraction uses it: a dot in the scratch path
        // would change the outcome.
        ScratchDir scratch;
        std::string saved = arctest::Cwd();
        ASSERT_EQ(PfChdir(scratch.Path().c_str()), 0);
        char path[260];
        ASSERT_TRUE(BufCopy(path, c.path));
        EXPECT_EQ(MakePath(path), 1);
        EXPECT_STREQ(path, c.path);  // restored
        EXPECT_EQ(arctest::Tree(scratch.Path()), c.tree);
        // Again: nothing changes, still 1.
        EXPECT_EQ(MakePath(path), 1);
        EXPECT_EQ(arctest::Tree(scratch.Path()), c.tree);
        ASSERT_EQ(PfChdir(saved.c_str()), 0);
    }
}

TEST(ArchiveFileUtil, StripPathTakesTheLastComponent) {
    struct Case {
        const char* src;
        const char* expect;  // dest starts as "old"
    } cases[] = {
        {"A\\B\\C.TXT", "C.TXT"}, {"A:C.TXT", "C.TXT"}, {"C.TXT", "C.TXT"},
        {"A\\B\\", "old"},        {"A:", "old"},        {"", "old"},
        {"A:\\B:C\\D", "D"},      {"X\\Y:Z", "Y:Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src);
        char dest[16] = "old";
        EXPECT_TRUE(StripPath(dest, c.src));
        EXPECT_STREQ(dest, c.expect);
    }
    char small[6] = "old";
    EXPECT_FALSE(StripPath(small, "DIR\\TOOLONG.TXT"));
    EXPECT_STREQ(small, "TOOLO");
}

TEST(ArchiveFileUtil, NewStrCopiesOntoTheHeap) {
    EXPECT_EQ(newStr(nullptr), nullptr);
    char* empty = newStr("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], '\0');
    delete[] empty;
    const char* text = "C:\\DISK1\\FONTS.ARC";
    char* copy = newStr(text);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, text);
    EXPECT_STREQ(copy, text);
    delete[] copy;
}

}  // namespace
