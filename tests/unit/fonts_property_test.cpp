// Over many generated font directories, fresh or repaired before and then
// added to: a repair changes only identifier fields, leaves every identifier
// distinct and valid, records them in the list, and a second run changes
// nothing.
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fonts/untangle.h"
#include "tests/unit/fonts_test.h"

namespace {

struct Layout {
    uint16_t firstFace, faceSize;
    int nFaces;
};

// Identifiers that clash often and are sometimes invalid.
int RandomId(std::mt19937& rng) {
    switch (rng() % 10) {
    case 0: return 0;
    case 1: return 255;
    case 2: return 999;
    case 3: return 1000 + int(rng() % 64536);
    case 4: return 1 + int(rng() % 998);
    default: return 1 + int(rng() % 12);
    }
}

std::string RandomName(std::mt19937& rng, int n) {
    static const char* const stems[] = {"f", "Font", "SERIF", "LongFontFamily"};
    std::string ext = rng() % 4 == 0 ? ".FF1" : ".ff1";
    return stems[rng() % 4] + std::to_string(n) + ext;
}

// Adds files with random faces and layouts to dir and records their layouts.
void AddFonts(const ScratchDir& dir, std::mt19937& rng, int count,
              std::map<std::string, Layout>& layouts) {
    for (int i = 0; i < count; ++i) {
        std::string name = RandomName(rng, int(layouts.size()));
        Layout l = {uint16_t(54 + rng() % 40), uint16_t(46 + rng() % 40), int(rng() % 9)};
        Ids ids(size_t(l.nFaces));
        for (int& id : ids) id = RandomId(rng);
        MakeFont(dir / name, ids, l.firstFace, l.faceSize);
        layouts[name] = l;
    }
}

// Checks one file after the repair against its bytes before; returns its ids.
Ids CheckOnlyIdentifiersChanged(const std::string& before, const std::string& after,
                                const Layout& l) {
    EXPECT_EQ(after.size(), before.size());
    std::set<size_t> idBytes;
    for (int k = 0; k < l.nFaces; ++k) {
        idBytes.insert(l.firstFace + size_t(k) * l.faceSize);
        idBytes.insert(l.firstFace + size_t(k) * l.faceSize + 1);
    }
    size_t changed = 0;
    while (changed < std::min(before.size(), after.size()) &&
           (idBytes.count(changed) || after[changed] == before[changed]))
        ++changed;
    EXPECT_EQ(changed, std::min(before.size(), after.size())) << "first other byte changed";
    Ids ids;
    for (int k = 0; k < l.nFaces && after.size() == before.size(); ++k) {
        size_t at = l.firstFace + size_t(k) * l.faceSize;
        ids.push_back((unsigned char)after[at] | (unsigned char)after[at + 1] << 8);
    }
    return ids;
}

TEST(FontRepairProperty, OnlyIdentifiersChangeAndAllEndDistinct) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        ScratchDir dir;
        std::map<std::string, Layout> layouts;
        AddFonts(dir, rng, 1 + int(rng() % 8), layouts);
        if (rng() % 2) {
            // An earlier installation; then another package and a changed file.
            UntangleFonts(dir.Path().c_str(), 1);
            AddFonts(dir, rng, 1 + int(rng() % 4), layouts);
            auto& [name, layout] = *std::next(layouts.begin(), long(rng() % layouts.size()));
            if (rng() % 3 == 0) layout.nFaces = int(rng() % 9);
            Ids ids(size_t(layout.nFaces));
            for (int& id : ids) id = RandomId(rng);
            MakeFont(dir / name, ids, layout.firstFace, layout.faceSize);
        }
        std::map<std::string, std::string> before = Snapshot(dir.Path());

        UntangleFonts(dir.Path().c_str(), 1);

        std::map<std::string, std::string> after = Snapshot(dir.Path());
        std::set<int> seen;
        std::map<std::string, Ids> expectList;
        for (const auto& [name, layout] : layouts) {
            Ids ids = CheckOnlyIdentifiersChanged(before[name], after[name], layout);
            for (int id : ids) {
                EXPECT_TRUE(id >= 1 && id <= 999 && id != 255) << name << " " << id;
                EXPECT_TRUE(seen.insert(id).second) << name << " shares " << id;
            }
            expectList[name.size() <= 13 ? name : ""] = ids;
        }
        expectList.erase("");
        std::map<std::string, Ids> list = ListMap(dir.Path());
        list.erase("");
        EXPECT_EQ(list, expectList);

        UntangleFonts(dir.Path().c_str(), 1);
        EXPECT_EQ(Snapshot(dir.Path()), after);
    }
}

}  // namespace
