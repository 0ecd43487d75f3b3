// The repair of a font directory: which identifiers are kept, restored and
// replaced, what is written, and what is left alone.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fonts/untangle.h"
#include "platform/strutil.h"
#include "tests/unit/fonts_test.h"

namespace {

struct FontFile {
    std::string name;
    Ids ids;
};

TEST(FontRepair, OutcomesByCase) {
    struct Case {
        const char* what;
        std::vector<FontFile> files;
        bool hasList;
        std::vector<ListEntry> list;
        std::vector<FontFile> expect;  // identifiers after the repair
    } cases[] = {
        {"identifier 0 is replaced", {{"a.ff1", {0}}}, false, {}, {{"a.ff1", {998}}}},
        {"identifier 255 is replaced", {{"a.ff1", {255}}}, false, {}, {{"a.ff1", {998}}}},
        {"identifier 1234 is replaced", {{"a.ff1", {1234}}}, false, {}, {{"a.ff1", {998}}}},
        {"invalid ones replaced in face order; a later face yields to one handed out",
         {{"a.ff1", {0, 7, 255, 1000, 998, 0}}}, false, {},
         {{"a.ff1", {998, 7, 997, 996, 995, 994}}}},
        {"a directory without a list keeps every valid, uncontested identifier",
         {{"a.ff1", {1, 254, 256}}, {"b.ff1", {998, 999}}}, false, {},
         {{"a.ff1", {1, 254, 256}}, {"b.ff1", {998, 999}}}},
        {"a known file gets its identifiers back",
         {{"f.ff1", {3, 4}}}, true, {{"f.ff1", {7, 8}}}, {{"f.ff1", {7, 8}}}},
        {"a changed face count makes the file new",
         {{"f.ff1", {3}}}, true, {{"f.ff1", {7, 8}}}, {{"f.ff1", {3}}}},
        {"a file made new yields to the known ones",
         {{"f.ff1", {3}}, {"g.ff1", {3}}}, true, {{"f.ff1", {7, 8}}, {"g.ff1", {3}}},
         {{"f.ff1", {998}}, {"g.ff1", {3}}}},
        {"a known file keeps its identifier before a new one listed earlier",
         {{"a_new.ff1", {10}}, {"k.ff1", {10}}}, true, {{"k.ff1", {10}}},
         {{"a_new.ff1", {998}}, {"k.ff1", {10}}}},
        {"a new file yields to an identifier restored to a known file",
         {{"k.ff1", {12}}, {"n.ff1", {10}}}, true, {{"k.ff1", {10}}},
         {{"k.ff1", {10}}, {"n.ff1", {998}}}},
        {"an identifier given twice drops the list after restoring it: every file is new",
         {{"a.ff1", {7}}, {"b.ff1", {8}}}, true, {{"a.ff1", {5}}, {"b.ff1", {5}}},
         {{"a.ff1", {5}}, {"b.ff1", {998}}}},
        {"an identifier given twice within one entry drops the list after restoring it",
         {{"a.ff1", {7, 8}}}, true, {{"a.ff1", {5, 5}}}, {{"a.ff1", {5, 998}}}},
        {"a dropped list still gives every known file its identifiers first",
         {{"F00.ff1", {593, 1000, 8, 8, 0}}, {"F01.ff1", {741, 9, 255}}}, true,
         {{"F00.ff1", {432, 238, 950, 736, 736}}, {"F01.ff1", {815, 66, 853}}},
         {{"F00.ff1", {432, 238, 950, 736, 998}}, {"F01.ff1", {815, 66, 853}}}},
        {"an entry of a file no longer there reserves nothing",
         {{"n.ff1", {10}}}, true, {{"gone.ff1", {10}}}, {{"n.ff1", {10}}}},
        {"names match with regard to case",
         {{"f.ff1", {3}}}, true, {{"F.FF1", {7}}}, {{"f.ff1", {3}}}},
        {"the first of two entries of one name counts",
         {{"f.ff1", {3}}}, true, {{"f.ff1", {7}}, {"f.ff1", {9}}}, {{"f.ff1", {7}}}},
        {"the extension matches without regard to case",
         {{"UP.FF1", {0}}}, false, {}, {{"UP.FF1", {998}}}},
        {"a file without faces takes part", {{"e.ff1", {}}}, false, {}, {{"e.ff1", {}}}},
        {"a long name never matches an entry of its first 13 characters",
         {{"LongFontName01.ff1", {5}}}, true, {{"LongFontName0", {9}}},
         {{"LongFontName01.ff1", {5}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        for (const FontFile& f : c.files) MakeFont(dir / f.name, f.ids);
        if (c.hasList) WriteFile(dir / "fontnam.dat", NameListBytes(c.list));

        EXPECT_EQ(UntangleFonts(dir.Path().c_str(), 1), 0);

        std::map<std::string, Ids> expectList;
        for (const FontFile& f : c.expect) {
            EXPECT_EQ(FontIds(dir / f.name), f.ids) << f.name;
            expectList[f.name.size() <= 13 ? f.name : ""] = f.ids;
        }
        EXPECT_EQ(ListMap(dir.Path()), expectList);
    }
}

// FAT lists a directory in the order of its entries, NTFS sorted, the
// stand-in in its host directory's order: whichever it is, the first file
// listed keeps a contested identifier and the list follows the listing.
TEST(FontRepair, FirstListedFileKeepsAContestedIdentifier) {
    ScratchDir dir;
    for (const char* name : {"F5.ff1", "f2.ff1", "F7.ff1", "f0.ff1", "F3.ff1", "f6.ff1", "F1.ff1"})
        MakeFont(dir / name, {500});
    MakeFont(dir / "f4.ff1", {500, 1});
    std::vector<std::string> order = FontListing(dir.Path());
    ASSERT_EQ(order.size(), 8u);
#ifndef _WIN32
    std::vector<std::string> listed = order;
    for (std::string& name : listed) StrUpper(&name[0]);
    std::vector<std::string> sorted = listed;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_NE(listed, sorted) << "the listing shows no order but the sorted one";
#endif

    UntangleFonts(dir.Path().c_str(), 1);

    // The first keeps 500, the others get 998, 997, ... in listing order.
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(FontIds(dir / order[i])[0], i == 0 ? 500 : 999 - int(i)) << order[i];
    EXPECT_EQ(FontIds(dir / "f4.ff1").back(), 1);
    std::vector<ListEntry> list = ListEntries(dir.Path());
    ASSERT_EQ(list.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(list[i].name, order[i]);
}

TEST(FontRepair, WritesTheListByteForByte) {
    ScratchDir dir;
    MakeFont(dir / "one.ff1", {12, 500}, 60, 50);
    MakeFont(dir / "LongFontName01.ff1", {500});
    MakeFont(dir / "empty.ff1", {});
    UntangleFonts(dir.Path().c_str(), 1);

    std::vector<ListEntry> expect;
    for (const std::string& name : FontListing(dir.Path()))
        expect.push_back({name.size() <= 13 ? name : "", FontIds(dir / name)});
    EXPECT_EQ(ReadFile(dir / "fontnam.dat"), NameListBytes(expect));
    EXPECT_FALSE(FileExists(dir / "fontnam.tmp"));
}

TEST(FontRepair, LargeFaceTablesChangeOnlyTheirIdentifiers) {
    struct Case {
        int nFaces, faceSize;
    } cases[] = {{300, 46}, {90, 47}, {3, 5000}, {2, 65535}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.nFaces) + " faces of " + std::to_string(c.faceSize));
        ScratchDir dir;
        // Every face claims 7: the first keeps it, the others count down from 998.
        MakeFont(dir / "big.ff1", Ids(size_t(c.nFaces), 7), 60, uint16_t(c.faceSize));
        std::string before = ReadFile(dir / "big.ff1");
        UntangleFonts(dir.Path().c_str(), 1);

        std::string expect = before;
        for (int k = 1; k < c.nFaces; ++k) {
            int id = 999 - k;
            expect[60 + size_t(k) * c.faceSize] = char(id & 0xff);
            expect[60 + size_t(k) * c.faceSize + 1] = char(id >> 8);
        }
        EXPECT_TRUE(ReadFile(dir / "big.ff1") == expect);
        EXPECT_EQ(FontIds(dir / "big.ff1").back(), 999 - c.nFaces + 1);
    }
}

TEST(FontRepair, SecondRunChangesNothing) {
    ScratchDir dir;
    MakeFont(dir / "a.ff1", {500, 0, 255});
    MakeFont(dir / "b.ff1", {500, 2000}, 80, 64);
    MakeFont(dir / "c.ff1", {7});
    MakeFont(dir / "TwoLongNames1.ff1", {7});
    MakeFont(dir / "TwoLongNames2.ff1", {7});
    WriteFile(dir / "fontnam.dat", NameListBytes({{"c.ff1", {9}}}));
    UntangleFonts(dir.Path().c_str(), 1);
    std::map<std::string, std::string> first = Snapshot(dir.Path());
    ASSERT_EQ(first.size(), 6u);

    UntangleFonts(dir.Path().c_str(), 1);
    EXPECT_EQ(Snapshot(dir.Path()), first);
}

TEST(FontRepair, WritesNothingToStandardOutput) {
    ScratchDir dir;
    MakeFont(dir / "a.ff1", {500, 0});
    MakeFont(dir / "b.ff1", {500});
    WriteFile(dir / "c.ff1", "not a font");
    WriteFile(dir / "fontnam.dat", NameListBytes({{"a.ff1", {3}}, {"b.ff1", {3}}}));
    testing::internal::CaptureStdout();
    UntangleFonts(dir.Path().c_str(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(FontIds(dir / "a.ff1")[1], 0);
}

TEST(FontRepair, DeletesAtfFilesWhateverItFinds) {
    struct Case {
        const char* what;
        bool withFont;
    } cases[] = {{"with fonts", true}, {"without fonts", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        if (c.withFont) MakeFont(dir / "a.ff1", {5});
        WriteFile(dir / "ATF.CFG", "cfg");
        WriteFile(dir / "atf.lst", "lst");
        WriteFile(dir / "ATF.INI", "other");
        UntangleFonts((dir.Path() + "\\").c_str(), 1);
        EXPECT_FALSE(FileExists(dir / "ATF.CFG"));
        EXPECT_FALSE(FileExists(dir / "atf.lst"));
        EXPECT_EQ(ReadFile(dir / "ATF.INI"), "other");
        EXPECT_EQ(FileExists(dir / "fontnam.dat"), c.withFont);
    }
}

TEST(FontRepair, DirectoryTooLongForItsBufferIsLeftAlone) {
    ScratchDir dir;
    MakeFont(dir / "a.ff1", {500});
    MakeFont(dir / "b.ff1", {500});
    WriteFile(dir / "ATF.CFG", "cfg");
    // Cut to 259 characters this would name dir itself.
    std::string path = dir.Path();
    while (path.size() < 300) path += "\\.";
    path += "\\sub";
    EXPECT_EQ(UntangleFonts(path.c_str(), 1), 0);
    EXPECT_EQ(FontIds(dir / "b.ff1"), Ids{500});
    EXPECT_TRUE(FileExists(dir / "ATF.CFG"));
    EXPECT_FALSE(FileExists(dir / "fontnam.dat"));
}

TEST(FontRepair, ListIsReplacedOnlyWhenComplete) {
    ScratchDir dir;
    MakeFont(dir / "a.ff1", {500});
    MakeFont(dir / "b.ff1", {500});
    WriteFile(dir / "fontnam.tmp", "left by an earlier crash");
    // A directory in the list's place cannot be replaced: it stays as it was,
    // and no temporary file remains.
    ASSERT_EQ(PfMkdir((dir / "fontnam.dat").c_str()), 0);
    WriteFile(dir / "fontnam.dat" + "\\keep.txt", "kept");
    UntangleFonts(dir.Path().c_str(), 1);
    EXPECT_EQ(ReadFile(dir / "fontnam.dat" + "\\keep.txt"), "kept");
    EXPECT_FALSE(FileExists(dir / "fontnam.tmp"));
    EXPECT_EQ(ListEntries(dir.Path()).size(), 0u);

    ASSERT_EQ(PfRemove((dir / "fontnam.dat" + "\\keep.txt").c_str()), 0);
    ASSERT_EQ(PfRmdir((dir / "fontnam.dat").c_str()), 0);
    UntangleFonts(dir.Path().c_str(), 1);
    EXPECT_EQ(ListEntries(dir.Path()).size(), 2u);
    EXPECT_FALSE(FileExists(dir / "fontnam.tmp"));
}

TEST(FontRepair, WithoutQuietFlagAsksBeforeRepairing) {
    struct Case {
        int answer;
        int expectOther;  // the identifier of the file listed second
        bool listWritten;
    } cases[] = {{IDNO, 500, false}, {IDYES, 998, true}};
    for (const Case& c : cases) {
        ScratchDir dir;
        MakeFont(dir / "a.ff1", {500});
        MakeFont(dir / "b.ff1", {500});
        MessageBoxRecorder boxes;
        boxes.Answer(c.answer);
        UntangleFonts(dir.Path().c_str(), 0);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "Font Repair");
        EXPECT_EQ(boxes.boxes[0].text, "Some fonts in " + dir.Path() +
                                           "\\ share face identifiers.\nRepair them now?");
        EXPECT_EQ(boxes.boxes[0].type, unsigned(MB_YESNO | MB_ICONQUESTION));
        std::vector<std::string> order = FontListing(dir.Path());
        ASSERT_EQ(order.size(), 2u);
        EXPECT_EQ(FontIds(dir / order[0]), Ids{500});
        EXPECT_EQ(FontIds(dir / order[1]), Ids{c.expectOther});
        EXPECT_EQ(FileExists(dir / "fontnam.dat"), c.listWritten);
    }
    // Nothing to repair: nothing to ask.
    ScratchDir dir;
    MakeFont(dir / "a.ff1", {500});
    MessageBoxRecorder boxes;
    UntangleFonts(dir.Path().c_str(), 0);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(FileExists(dir / "fontnam.dat"));
}

TEST(FaceId, HandsOutTheSequenceAcrossCalls) {
    idSet used{};
    for (int id : {998, 500, 254, 3}) addIdList(id, &used);
    faceId = 999;
    faceInc = -1;
    Ids got;
    for (int i = 0; i < 1000; ++i) got.push_back(getFaceId(&used));
    // 998 down to 1 without 255 and the four used: 993 values, then 1000 up.
    Ids head(got.begin(), got.begin() + 3);
    EXPECT_EQ(head, (Ids{997, 996, 995}));
    EXPECT_EQ(got[997 - 501], 501);
    EXPECT_EQ(got[997 - 501 + 1], 499);
    EXPECT_EQ(got[996 - 256], 256);
    EXPECT_EQ(got[996 - 256 + 1], 253);
    Ids tail(got.begin() + 990, got.begin() + 996);
    EXPECT_EQ(tail, (Ids{4, 2, 1, 1000, 1001, 1002}));
    EXPECT_EQ(faceId, 1006);
    EXPECT_EQ(faceInc, 1);

    // The search goes on from where it stopped, also when values are freed.
    memset(&used, 0, sizeof used);
    addIdList(1007, &used);
    EXPECT_EQ(getFaceId(&used), 1008);

    // Identifiers are 16-bit: after 65535 none is left.
    faceId = 65533;
    addIdList(65534, &used);
    EXPECT_EQ(getFaceId(&used), 65535);
    EXPECT_EQ(getFaceId(&used), 0);
    EXPECT_EQ(getFaceId(&used), 0);
    // The used list compares 16-bit values.
    EXPECT_EQ(searchIdList(65534 + 65536, &used), 1);
    EXPECT_EQ(searchIdList(65533, &used), 0);
}

}  // namespace
