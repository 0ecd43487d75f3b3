// Listing the subdirectories of a directory.
#include <algorithm>

#include <gtest/gtest.h>

#include "platform/namelist.h"
#include "platform/platform.h"
#include "tests/unit/testenv.h"

namespace {

TEST(Files, DirectoryListingNamesSubdirectoriesOnly) {
    ScratchDir dir;
    ASSERT_EQ(PfMkdir((dir / "Fonts").c_str()), 0);
    ASSERT_EQ(PfMkdir((dir / "sub.d").c_str()), 0);
    ASSERT_EQ(PfMkdir((dir / "Fonts\\Inner").c_str()), 0);
    WriteFile(dir / "file.txt", "x");
    std::vector<std::string> names;
    ASSERT_EQ(PfFindDirs((dir / "*").c_str(), names), 1);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Fonts", "sub.d"}));
    ASSERT_EQ(PfFindDirs((dir / "*.d").c_str(), names), 1);
    EXPECT_EQ(names, (std::vector<std::string>{"sub.d"}));
    ASSERT_EQ(PfFindFiles((dir / "*").c_str(), names), 1);
    EXPECT_EQ(names, (std::vector<std::string>{"file.txt"}));
    ASSERT_EQ(PfFindDirs((dir / "Fonts\\Inner\\*").c_str(), names), 1);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(PfFindDirs((dir / "missing\\*").c_str(), names), 0);
}

}  // namespace
