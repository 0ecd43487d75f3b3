// Font directories for the repair tests: made with the project's own font
// writer, name lists made byte by byte, and readers for the outcome.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fonts/ff1file.h"
#include "fonts/fontnames.h"
#include "platform/namelist.h"
#include "platform/platform.h"
#include "tests/unit/testenv.h"

using Ids = std::vector<int>;

// One entry of a hand-made name list.
struct ListEntry {
    std::string name;  // up to 14 bytes, stored as given
    Ids ids;
};

inline void MakeFont(const std::string& path, const Ids& ids, uint16_t firstFace = 54,
                     uint16_t faceSize = 46) {
    std::vector<uint16_t> raw(ids.begin(), ids.end());
    ASSERT_EQ(makeFontFile(path.c_str(), raw.data(), int(raw.size()), firstFace, faceSize), 1)
        << path;
}

inline std::string Le32(int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = char(uint32_t(v) >> (8 * i));
    return s;
}

inline std::string EntryBytes(const ListEntry& e) {
    std::string name = e.name.substr(0, 14);
    std::string s = name + std::string(14 - name.size(), '\0') + Le32(int32_t(e.ids.size()));
    for (int id : e.ids) s += Le32(id);
    return s;
}

// A name list as the repair writes it: header, then the entries.
inline std::string NameListBytes(const std::vector<ListEntry>& entries) {
    std::string data;
    for (const ListEntry& e : entries) data += EntryBytes(e);
    return Le32(int32_t(entries.size())) + Le32(int32_t(data.size())) + data;
}

// The face identifiers of a font file, or {-1} when it is not a whole font file.
inline Ids FontIds(const std::string& path) {
    PfFile* fp = PfOpen(path.c_str(), "rb");
    if (!fp) return {-1};
    fontHeader hdr{};
    std::vector<int32_t> ids;
    bool ok = readFontHeader(fp, &hdr) != 0;
    if (ok) ids.resize(hdr.nFaces);
    ok = ok && readFaceIds(fp, hdr, ids.data());
    PfClose(fp);
    return ok ? Ids(ids.begin(), ids.end()) : Ids{-1};
}

// The .ff1 files of dir in the order the directory listing returns them.
inline std::vector<std::string> FontListing(const std::string& dir) {
    std::vector<std::string> names;
    EXPECT_EQ(PfFindFiles((dir + "\\*.ff1").c_str(), names), 1);
    return names;
}

// The entries of dir's name list in stored order; empty when there is none.
inline std::vector<ListEntry> ListEntries(const std::string& dir) {
    nameList list;
    std::vector<ListEntry> entries;
    loadFontNames((dir + "\\").c_str(), &list);
    int32_t entry = 0;
    for (int32_t i = 0; i < list.nDir; ++i, entry = nextNameEntry(&list, entry)) {
        nameStr e = nameEntry(&list, entry);
        ListEntry out{std::string(e.name, strnlen(e.name, sizeof e.name)), {}};
        for (int k = 0; k < e.nIds; ++k) out.ids.push_back(entryId(&list, entry, k));
        entries.push_back(out);
    }
    freeFontNames(&list);
    return entries;
}

inline std::map<std::string, Ids> ListMap(const std::string& dir) {
    std::map<std::string, Ids> m;
    for (const ListEntry& e : ListEntries(dir)) m[e.name] = e.ids;
    return m;
}

// The bytes of every file in dir, by name.
inline std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::vector<std::string> names;
    PfFindFiles((dir + "\\*.*").c_str(), names);
    std::map<std::string, std::string> files;
    for (const std::string& n : names) files[n] = ReadFile(dir + "\\" + n);
    return files;
}
