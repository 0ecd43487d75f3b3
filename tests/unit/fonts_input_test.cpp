// The repair on damaged and hostile input: font files that are not whole,
// name lists whose counts lie, and arbitrary bytes.
#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fonts/untangle.h"
#include "tests/unit/fonts_test.h"

namespace {

std::string Le16(int v) { return std::string{char(v & 0xff), char((v >> 8) & 0xff)}; }

// A font file's bytes: the header fields as given, face records of faceSize
// bytes holding ids, cut to length when length is not -1.
std::string RawFont(int magic, int nFaces, int firstFace, int faceSize, const Ids& ids,
                    long length = -1) {
    std::string bytes(std::max<size_t>(54, firstFace + ids.size() * faceSize + 46), 'x');
    bytes.replace(0, 2, Le16(magic));
    bytes.replace(10, 2, Le16(nFaces));
    bytes.replace(30, 2, Le16(firstFace));
    bytes.replace(32, 2, Le16(faceSize));
    for (size_t k = 0; k < ids.size(); ++k)
        bytes.replace(firstFace + k * faceSize, 2, Le16(ids[k]));
    if (length < 0) length = long(firstFace + ids.size() * faceSize);
    return bytes.substr(0, size_t(length));
}

TEST(FontInput, FilesThatAreNotWholeFontsTakeNoPart) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"header shorter than 54 bytes", RawFont(0x7ABD, 1, 54, 46, {500}, 53)},
        {"wrong magic number", RawFont(0x7ABC, 1, 54, 46, {500})},
        {"magic number with its bytes swapped", RawFont(0xBD7A, 1, 54, 46, {500})},
        {"three faces claimed, two held", RawFont(0x7ABD, 3, 54, 46, {500, 501})},
        {"last record shorter than 46 bytes", RawFont(0x7ABD, 2, 54, 46, {500, 501}, 54 + 46 + 45)},
        {"face table inside the header", RawFont(0x7ABD, 1, 40, 46, {500}, 200)},
        {"identifier fields that overlap", RawFont(0x7ABD, 2, 54, 1, {500}, 200)},
        {"65535 faces of 65535 bytes claimed, one held", RawFont(0x7ABD, 65535, 54, 65535, {500})},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        MakeFont(dir / "a_good.ff1", {500});
        WriteFile(dir / "m_bad.ff1", c.bytes);
        MakeFont(dir / "z_good.ff1", {500});
        UntangleFonts(dir.Path().c_str(), 1);

        EXPECT_EQ(ReadFile(dir / "m_bad.ff1"), c.bytes);
        // The files listed after the damaged one are repaired too.
        std::set<int> ids = {FontIds(dir / "a_good.ff1")[0], FontIds(dir / "z_good.ff1")[0]};
        EXPECT_EQ(ids, (std::set<int>{500, 998}));
        std::map<std::string, Ids> list = ListMap(dir.Path());
        EXPECT_EQ(list.size(), 2u);
        EXPECT_EQ(list.count("m_bad.ff1"), 0u);
    }
}

TEST(FontInput, CollectFacesCountsHeadersThenFillsWholeFiles) {
    ScratchDir dir;
    std::string path = dir.Path() + "\\";
    MakeFont(dir / "one.ff1", {5});
    MakeFont(dir / "three.FF1", {6, 7, 8});
    WriteFile(dir / "short.ff1", RawFont(0x7ABD, 4, 54, 46, {1, 2}));
    WriteFile(dir / "text.ff1", "not a font at all, but long enough to hold a header.....");
    MakeFont(dir / "other.ttf", {9});
    // Fonts under names that only their short names match, and hidden or
    // system ones, are not listed: they take no part.
    MakeFont(dir / "long.ff1x", {10});
    MakeFont(dir / "ten.ff10", {11});
    MakeFont(dir / "hidden.ff1", {12});
    MakeFont(dir / "system.ff1", {13});
    ASSERT_EQ(PfSetHidden((dir / "hidden.ff1").c_str(), true, false), 0);
    ASSERT_EQ(PfSetHidden((dir / "system.ff1").c_str(), false, true), 0);
    // Mode 3 counts the files with a font header; mode 1 keeps the whole ones.
    EXPECT_EQ(collectFaces(path.c_str(), 3), 3);
    EXPECT_EQ(collectFaces(path.c_str(), 2), 0);
    faceStr records[3];
    faces = records;
    nFiles = 3;
    EXPECT_EQ(collectFaces(path.c_str(), 1), 4);
    EXPECT_EQ(nFiles, 2);
    std::map<std::string, Ids> got;
    for (int i = 0; i < nFiles; ++i) {
        got[records[i].name] = Ids(records[i].ids, records[i].ids + records[i].nIds);
        EXPECT_EQ(records[i].bChanged, 0);
        free(records[i].ids);
    }
    faces = nullptr;
    nFiles = 0;
    EXPECT_EQ(got, (std::map<std::string, Ids>{{"one.ff1", {5}}, {"three.FF1", {6, 7, 8}}}));
}

TEST(FontInput, MakeFontFileRefusesWhatItCannotWrite) {
    ScratchDir dir;
    std::vector<uint16_t> ids(2000, 1);
    struct Case {
        const char* what;
        int nIds;
        uint16_t firstFace, faceSize;
    } cases[] = {{"table inside the header", 1, 53, 46},
                 {"records shorter than 46 bytes", 1, 54, 45},
                 {"more than 64 MB", 2000, 54, 65535}};
    for (const Case& c : cases) {
        EXPECT_EQ(makeFontFile((dir / "x.ff1").c_str(), ids.data(), c.nIds, c.firstFace,
                               c.faceSize), 0) << c.what;
        EXPECT_FALSE(FileExists(dir / "x.ff1")) << c.what;
    }
}

std::string Header(int32_t nEntries, int32_t nSize) { return Le32(nEntries) + Le32(nSize); }

TEST(FontInput, NameListsThatLieAreNoLists) {
    const std::string a7 = EntryBytes({"a.ff1", {7}});
    const std::string b9 = EntryBytes({"b.ff1", {9}});
    // An entry of b.ff1 that claims three identifiers and holds one.
    const std::string bShort = EntryBytes({"b.ff1", {9}}).replace(14, 4, Le32(3));
    struct Case {
        const char* what;
        std::string list;
        Ids expectA, expectB;  // {3} and {4} when the list is not used
    } cases[] = {
        {"a sound list is used", Header(1, 22) + a7, {7}, {4}},
        {"bytes after the entries are ignored", Header(1, 22) + a7 + "tail", {7}, {4}},
        {"an entry claims more identifiers than the data holds",
         Header(2, 44) + a7 + bShort, {3}, {4}},
        {"more entries than the data holds", Header(2, 22) + a7, {3}, {4}},
        {"an entry beyond nSize", Header(2, 36) + a7 + b9, {3}, {4}},
        {"negative entry count", Header(-1, 22) + a7, {3}, {4}},
        {"no entries", Header(0, 22) + a7, {3}, {4}},
        {"negative size", Header(1, -22) + a7, {3}, {4}},
        {"size beyond the file", Header(1, 23) + a7, {3}, {4}},
        {"size of 2 GB", Header(1, 0x7fffffff) + a7, {3}, {4}},
        {"negative identifier count",
         Header(1, 22) + EntryBytes({"a.ff1", {7}}).replace(14, 4, Le32(-1)), {3}, {4}},
        {"identifier beyond 16 bits", Header(1, 22) + EntryBytes({"a.ff1", {70000}}), {3}, {4}},
        {"negative identifier", Header(1, 22) + EntryBytes({"a.ff1", {-7}}), {3}, {4}},
        {"header cut short", Header(1, 22).substr(0, 5), {3}, {4}},
        {"empty file", "", {3}, {4}},
        {"a name without terminator matches nothing but spoils nothing",
         Header(2, 44) + EntryBytes({"a.ff1aaaaaaaaa", {7}}) + b9, {3}, {9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        MakeFont(dir / "a.ff1", {3});
        MakeFont(dir / "b.ff1", {4});
        WriteFile(dir / "fontnam.dat", c.list);
        UntangleFonts(dir.Path().c_str(), 1);
        EXPECT_EQ(FontIds(dir / "a.ff1"), c.expectA);
        EXPECT_EQ(FontIds(dir / "b.ff1"), c.expectB);
        EXPECT_EQ(ListMap(dir.Path()),
                  (std::map<std::string, Ids>{{"a.ff1", c.expectA}, {"b.ff1", c.expectB}}));
    }
}

TEST(FontInput, UpdateStopsAtARecordItCannotRead) {
    struct Case {
        int claimed, held, faceSize;
    } cases[] = {{2, 1, 46}, {200, 150, 46}, {3, 2, 5000}, {100, 99, 60}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.held) + " of " + std::to_string(c.claimed) + " records");
        ScratchDir dir;
        // A file that lost records after the scan: the ones held are rewritten.
        Ids before(size_t(c.held), 3), after(size_t(c.held));
        std::vector<int32_t> ids(size_t(c.claimed));
        for (int k = 0; k < c.claimed; ++k) ids[size_t(k)] = 100 + k;
        for (int k = 0; k < c.held; ++k) after[size_t(k)] = 100 + k;
        long length = 54 + long(c.held) * c.faceSize;
        WriteFile(dir / "short.ff1", RawFont(0x7ABD, c.claimed, 54, c.faceSize, before, length));
        MakeFont(dir / "later.ff1", {4});
        int32_t laterIds[] = {9};
        faceStr records[2] = {{"short.ff1", c.claimed, ids.data(), 1, -1},
                              {"later.ff1", 1, laterIds, 1, -1}};
        faces = records;
        nFiles = 2;
        testing::internal::CaptureStdout();
        int result = updateChangedFonts((dir.Path() + "\\").c_str());
        std::string out = testing::internal::GetCapturedStdout();
        faces = nullptr;
        nFiles = 0;

        EXPECT_EQ(result, -1);
        EXPECT_EQ(out, "Error Reading Font File.\n");
        EXPECT_EQ(ReadFile(dir / "short.ff1"),
                  RawFont(0x7ABD, c.claimed, 54, c.faceSize, after, length));
        EXPECT_EQ(FontIds(dir / "later.ff1"), Ids{4});
    }
}

// A write that fails (a full disk, a dying floppy) leaves the file as it
// was, stops the update with a report, and its file out of the name list:
// the list holds no identifier that did not reach its file.
TEST(FontInput, AFailedWriteStopsTheUpdateAndKeepsItOutOfTheList) {
    ScratchDir dir;
    MakeFont(dir / "ro.ff1", {3, 4});
    PfFile* fp = PfOpen((dir / "ro.ff1").c_str(), "rb");
    ASSERT_TRUE(fp);
    fontHeader hdr;
    ASSERT_EQ(readFontHeader(fp, &hdr), 1);
    const int32_t ids[] = {7, 8};
    EXPECT_EQ(updateFaceIds(fp, hdr, ids), FACES_UNWRITTEN);
    PfClose(fp);
    EXPECT_EQ(FontIds(dir / "ro.ff1"), (Ids{3, 4}));
#ifndef _WIN32
    // The whole repair, with writes refused from 4096 bytes on: two fonts
    // whose face records lie further on share an identifier.
    MakeFont(dir / "a.ff1", {500}, 5000);
    MakeFont(dir / "b.ff1", {500}, 5000);
    PfRemove((dir / "ro.ff1").c_str());
    std::vector<std::string> order = FontListing(dir.Path());
    ASSERT_EQ(order.size(), 2u);
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limit = {4096, saved.rlim_max};
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    testing::internal::CaptureStdout();
    UntangleFonts(dir.Path().c_str(), 1);
    std::string out = testing::internal::GetCapturedStdout();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(out, "Error Writing Font File.\n");
    EXPECT_EQ(FontIds(dir / order[0]), Ids{500});
    EXPECT_EQ(FontIds(dir / order[1]), Ids{500});
    EXPECT_EQ(ListMap(dir.Path()), (std::map<std::string, Ids>{{order[0], {500}}}));
#endif
}

// Bytes from a valid input with some flipped and the end cut at random.
std::string Damage(std::string bytes, std::mt19937& rng) {
    int flips = int(rng() % 6);
    for (int i = 0; i < flips && !bytes.empty(); ++i) bytes[rng() % bytes.size()] = char(rng());
    if (rng() % 3 == 0 && !bytes.empty()) bytes.resize(rng() % bytes.size());
    return bytes;
}

TEST(FontInput, ArbitraryBytesLeaveDistinctIdentifiers) {
    for (unsigned seed = 1; seed <= 120; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        ScratchDir dir;
        const char* names[] = {"a.ff1", "b.ff1", "c.ff1"};
        std::vector<ListEntry> entries;
        for (const char* name : names) {
            Ids ids(rng() % 4);
            for (int& id : ids) id = int(rng() % 6);
            MakeFont(dir / name, ids);
            WriteFile(dir / name, Damage(ReadFile(dir / name), rng));
            entries.push_back({name, ids});
        }
        WriteFile(dir / "fontnam.dat", Damage(NameListBytes(entries), rng));
        std::map<std::string, std::string> before = Snapshot(dir.Path());

        UntangleFonts(dir.Path().c_str(), 1);

        std::set<int> seen;
        for (const char* name : names) {
            Ids ids = FontIds(dir / name);
            if (ids == Ids{-1}) {
                EXPECT_EQ(ReadFile(dir / name), before[name]) << name;
                continue;
            }
            for (int id : ids) EXPECT_TRUE(seen.insert(id).second) << name << " " << id;
        }
    }
}

}  // namespace
