// Helpers shared by the archive tests: recorded status events, DOS stamps,
// listings of whole directory trees, archive files from bytes.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "platform/platform.h"
#include "tests/unit/testenv.h"

namespace arctest {

// The events of the last extraction as one line: "name(X) file(A.TXT) f40 a97 ... a100".
inline std::string& Events() {
    static std::string events;
    return events;
}

inline void RecordEvent(eStatusKeys key, void* arg) {
    std::string& e = Events();
    if (!e.empty()) e += ' ';
    switch (key) {
        case skArchiveName:
            e += "name(" + std::string(static_cast<char*>(arg)) + ")";
            break;
        case skFileName:
            e += "file(" + std::string(static_cast<char*>(arg)) + ")";
            break;
        case skFilePercent:
            e += "f" + std::to_string(StatusPercent(arg));
            break;
        case skArchivePercent:
            e += "a" + std::to_string(StatusPercent(arg));
            break;
    }
}

// An Archive that records its events.
inline void Watch(Archive& arc) {
    Events().clear();
    arc.SetStatusCallback(RecordEvent);
}

inline uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    uint32_t date = uint32_t((year - 1980) << 9 | month << 5 | day);
    uint32_t time = uint32_t(hour << 11 | minute << 5 | second / 2);
    return date << 16 | time;
}

inline std::filesystem::path Host(const std::string& path) {
#ifdef _WIN32
    return std::filesystem::path(path);
#else
    std::string host;
    PfHostPath(path.c_str(), host);
    return std::filesystem::path(host);
#endif
}

// Every file and directory below root, relative, with backslashes, sorted;
// directories end in a backslash.
inline std::vector<std::string> Tree(const std::string& root) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    fs::path base = Host(root);
    for (auto& entry : fs::recursive_directory_iterator(base)) {
        std::string rel = entry.path().lexically_relative(base).generic_string();
        std::replace(rel.begin(), rel.end(), '/', '\\');
        names.push_back(entry.is_directory() ? rel + "\\" : rel);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += char(b);
    return s;
}

inline void PutLE(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xff);
}

// The zlib stream of "hello", its CRC-32, and its date 24 Aug 1995 11:30:58.
const char kHelloStream[] = "\x78\xda\xcb\x48\xcd\xc9\xc9\x07\x00\x06\x2c\x02\x15";
const uint32_t kHelloCrc = 0x3610a686u;
const uint32_t kHelloStamp = 0x1f18'5bdd;

// An archive, assembled by hand, whose members all hold "hello".
inline std::string HelloMembers(const std::vector<std::string>& names) {
    std::string stream(kHelloStream, 13), out;
    PutLE(out, uint32_t(4 + 13 * names.size()), 4);
    for (size_t i = 0; i < names.size(); ++i) out += stream;
    out += "\x22\x22\x22\x22\x02";
    out += '\0';
    PutLE(out, uint32_t(names.size()), 2);
    for (size_t i = 0; i < names.size(); ++i) {
        PutLE(out, uint32_t(names[i].size()), 2);
        out += names[i];
        PutLE(out, 5, 4);
        PutLE(out, 13, 4);
        PutLE(out, uint32_t(4 + 13 * i), 4);
        PutLE(out, kHelloCrc, 4);
        PutLE(out, 0, 4);
        out += "\x1d\x1e\x0b\x18\x08\x0f";
    }
    return out;
}

inline uint32_t FileStamp(const std::string& path) {
    uint32_t stamp = 0;
    return PfGetFileTime(path.c_str(), &stamp) ? stamp : 0;
}

inline std::string Cwd() {
    char buf[1024];
    return PfGetCwd(buf, sizeof buf) ? buf : "<none>";
}

}  // namespace arctest
