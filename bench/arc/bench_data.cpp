// The benchmark's test set: what a font product ships. Text (readmes, AFM
// metrics), incompressible bytes (already packed data), and font-like
// binaries: a table directory, outlines as small coordinate deltas, and
// repeated name strings.
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/arc/bench.h"

namespace {

struct Rng {
    uint64_t s;
    uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return uint32_t(s >> 16);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

const char* const kWords[] = {
    "the",     "font",    "glyph",   "weight", "italic",  "bold",      "metrics", "kerning",
    "pair",    "width",   "height",  "ascent", "descent", "serif",     "sans",    "roman",
    "install", "windows", "setup",   "disk",   "licence", "copyright", "foundry", "regular",
    "light",   "outline", "hinting", "point",  "size",    "character", "set",     "encoding",
    "of",      "and",     "to",      "in",     "a",       "is",        "for",     "with",
};

std::string TextBlock(Rng& r, size_t size) {
    std::string s;
    size_t column = 0;
    while (s.size() < size) {
        const char* w = kWords[r.Below(sizeof kWords / sizeof kWords[0])];
        s += w;
        column += std::string(w).size() + 1;
        if (r.Below(9) == 0) s += r.Below(2) ? "." : ",";
        if (column > 68) {
            s += "\r\n";
            column = 0;
        } else {
            s += ' ';
        }
    }
    s.resize(size);
    return s;
}

void Put16(std::string& s, int v) {
    s += char(v & 0xff);
    s += char((v >> 8) & 0xff);
}

// One glyph: contour ends, flags, and coordinates as small deltas.
void Glyph(Rng& r, std::string& s) {
    int points = 8 + int(r.Below(40));
    Put16(s, 1 + int(r.Below(3)));
    for (int i = 0; i < points; ++i) s += char(r.Below(4) ? 0x01 : 0x37);
    for (int i = 0; i < 2 * points; ++i) {
        // Mostly short strokes, some long ones.
        int d = r.Below(5) ? int(r.Below(32)) - 16 : int(r.Below(600)) - 300;
        Put16(s, d);
    }
}

std::string FontLikeBlock(Rng& r, size_t size) {
    std::string s = "FONT";
    for (int t = 0; t < 12; ++t) {
        s += "tbl" + std::string(1, char('a' + t));
        Put16(s, int(r.Below(65536)));
        Put16(s, int(r.Below(65536)));
    }
    while (s.size() < size) {
        if (r.Below(40) == 0) s += "Copyright (c) 1995 Example Type Foundry. Regular. Version 1.00";
        Glyph(r, s);
    }
    s.resize(size);
    return s;
}

std::string RandomBlock(Rng& r, size_t size) {
    std::string s(size, '\0');
    for (char& c : s) c = char(r.Next());
    return s;
}

void WriteWhole(const std::string& path, const std::string& bytes) {
    FILE* fp = fopen(path.c_str(), "wb");
    if (!fp) {
        perror(path.c_str());
        return;
    }
    fwrite(bytes.data(), 1, bytes.size(), fp);
    fclose(fp);
}

}  // namespace

void WriteFontLike(const std::string& path, uint64_t size, uint32_t seed) {
    Rng r{seed | 1u};
    FILE* fp = fopen(path.c_str(), "wb");
    if (!fp) {
        perror(path.c_str());
        return;
    }
    for (uint64_t done = 0; done < size;) {
        size_t n = size - done < (1u << 20) ? size_t(size - done) : size_t(1u << 20);
        std::string block = FontLikeBlock(r, n);
        fwrite(block.data(), 1, n, fp);
        done += n;
    }
    fclose(fp);
}

TestSet MakeTestSet(const std::string& dir, uint64_t smallBytes, uint64_t bigBytes) {
    namespace fs = std::filesystem;
    TestSet set{0, 0, 0, 0, 0};
    Rng r{0x9e3779b97f4a7c15ull};
    // Half text, a quarter each incompressible and font-like, 1 to 21 KB per file.
    uint64_t target[3] = {smallBytes / 2, smallBytes / 4, smallBytes / 4};
    uint64_t* done[3] = {&set.text, &set.random, &set.fontLike};
    const char* ext[3] = {".TXT", ".BIN", ".FF1"};
    for (int kind = 0; kind < 3; ++kind) {
        while (*done[kind] < target[kind]) {
            size_t size = 1024 + r.Below(20 * 1024);
            std::string sub = dir + "/DIR" + std::to_string(set.files % 24);
            fs::create_directories(sub);
            std::string bytes = kind == 0   ? TextBlock(r, size)
                                : kind == 1 ? RandomBlock(r, size)
                                            : FontLikeBlock(r, size);
            WriteWhole(sub + "/F" + std::to_string(set.files) + ext[kind], bytes);
            *done[kind] += size;
            ++set.files;
        }
    }
    WriteFontLike(dir + "/BIGFONT.FF1", bigBytes, 7);
    set.big = bigBytes;
    ++set.files;
    return set;
}
