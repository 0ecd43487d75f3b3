// The space account of the Installation Options dialog.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "tests/unit/testenv.h"
#include "ui/space.h"

namespace {

Package Pkg(int32_t size, bool system, bool selected) {
    Package p{};
    p.lSize = size;
    p.bSystemDir = system;
    p.bSelected = selected;
    return p;
}

TEST(SpaceAccount, TotalsDrivesAndDecision) {
    const uint32_t K = 1024, M = 1024 * 1024;
    struct Case {
        const char* what;
        std::vector<Package> packages;
        char dest, win;
        uint32_t destFree, winFree;
        uint32_t destTotal, winTotal;
        bool fits, ok;
    } cases[] = {
        {"one drive: system packages join the destination account",
         {Pkg(800 * K, false, true), Pkg(100 * K, true, true)}, 'C', 'C', M, 0,
         900 * K, 0, true, true},
        {"two drives: separate accounts",
         {Pkg(800 * K, false, true), Pkg(100 * K, true, true)}, 'D', 'C', M, M,
         800 * K, 100 * K, true, true},
        {"unselected packages count for nothing",
         {Pkg(800 * K, false, false), Pkg(100 * K, true, false)}, 'D', 'C', 0, 0, 0, 0, true,
         true},
        {"destination too small", {Pkg(2 * M, false, true)}, 'D', 'C', M, M, 2 * M, 0, false,
         false},
        {"Windows drive too small", {Pkg(2 * M, true, true)}, 'D', 'C', 4 * M, M, 0, 2 * M,
         false, false},
        {"exactly enough", {Pkg(M, false, true)}, 'D', 'C', M, 0, M, 0, true, true},
        {"no drive: fits but OK stays disabled", {Pkg(0, false, true)}, NO_DRIVE, 'C', 0, 0, 0,
         0, true, false},
        {"sizes past 2 GB compare as unsigned",
         {Pkg(int32_t(3000u * M), false, true)}, 'D', 'C', 0xFFFFFFFFu, 0, 3000u * M, 0, true,
         true},
        {"totals stop at 4 GB instead of wrapping",
         {Pkg(int32_t(3000u * M), false, true), Pkg(int32_t(3000u * M), false, true)}, 'D', 'C',
         0xFFFFFFF0u, 0, 0xFFFFFFFFu, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SpaceAccount a = AccountSpace(c.packages.data(), int(c.packages.size()), c.dest, c.win,
                                      c.destFree, c.winFree);
        EXPECT_EQ(a.destTotal, c.destTotal);
        EXPECT_EQ(a.winTotal, c.winTotal);
        EXPECT_EQ(a.fits, c.fits);
        EXPECT_EQ(a.okEnabled, c.ok);
    }
}

TEST(SpaceAccount, KilobyteFigures) {
    EXPECT_EQ(KFromBytes(1023), 0u);
    EXPECT_EQ(KFromBytes(1024), 1u);
    EXPECT_EQ(KFromBytes(0xFFFFFFFFu), 4194303u);
    EXPECT_EQ(KFromPackageSize(1023), 0);
    EXPECT_EQ(KFromPackageSize(-1023), 0);
    EXPECT_EQ(KFromPackageSize(-2048), -2);
}

TEST(SpaceAccount, FreeSpaceOfDrives) {
    EXPECT_GT(spaceAvailable('C'), 0u);
    EXPECT_EQ(spaceAvailable('c'), spaceAvailable('C'));
    EXPECT_EQ(spaceAvailable(NO_DRIVE), 0u);
    // A drive letter that names nothing counts as full.
    EXPECT_EQ(spaceAvailable('Q'), 0u);
}

}  // namespace
