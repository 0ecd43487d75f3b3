// Times the face-identifier repair of generated font directories of 100,
// 1,000 and 10,000 faces: files of 1 to 8 faces, about half the identifiers
// clashing, once as a first installation (no name list) and once as a second
// package added to a repaired directory (half the files known to the list).
// "scan ms" is one counting scan of the same directory, for comparison.
//
//   bench_fonts [--runs N] [DIR]    DIR: where to build them (default: temp)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fonts/ff1file.h"
#include "fonts/untangle.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

using Font = std::vector<uint16_t>;

// Files of 1 to 8 faces, nFaces in all. Half the faces take an identifier
// some earlier face has; the others take the next unused one.
std::vector<Font> MakeFonts(int nFaces, std::mt19937& rng, std::vector<uint16_t>& pool) {
    std::vector<Font> fonts;
    while (nFaces > 0) {
        Font font(std::min<size_t>(size_t(nFaces), 1 + rng() % 8));
        for (uint16_t& id : font) {
            bool clash = !pool.empty() && rng() % 2 == 0;
            id = clash ? pool[rng() % pool.size()] : uint16_t(1 + pool.size() % 65000);
            pool.push_back(id);
        }
        nFaces -= int(font.size());
        fonts.push_back(font);
    }
    return fonts;
}

void WriteFonts(const std::string& dir, const std::vector<Font>& fonts, const char* prefix) {
    for (size_t i = 0; i < fonts.size(); ++i) {
        std::string path = dir + "/" + prefix + std::to_string(i) + ".ff1";
        if (!makeFontFile(path.c_str(), fonts[i].data(), int(fonts[i].size()))) {
            fprintf(stderr, "bench_fonts: cannot write %s\n", path.c_str());
            exit(1);
        }
    }
}

// Builds the directory afresh; with a list, half the files are repaired
// first and the other half then clash with their identifiers.
int Prepare(const std::string& dir, int nFaces, bool withList, unsigned seed) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::mt19937 rng(seed);
    std::vector<uint16_t> pool;
    if (!withList) {
        std::vector<Font> fonts = MakeFonts(nFaces, rng, pool);
        WriteFonts(dir, fonts, "f");
        return int(fonts.size());
    }
    std::vector<Font> known = MakeFonts(nFaces / 2, rng, pool);
    WriteFonts(dir, known, "k");
    UntangleFonts(dir.c_str(), 1);
    std::vector<uint16_t> addedPool;
    std::vector<Font> added = MakeFonts(nFaces - nFaces / 2, rng, addedPool);
    for (Font& font : added)
        for (uint16_t& id : font)
            if (rng() % 2 == 0) id = pool[rng() % pool.size()];
    WriteFonts(dir, added, "n");
    return int(known.size() + added.size());
}

double Millis(std::chrono::steady_clock::time_point start) {
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return took.count();
}

// One counting scan of the directory: the floor the file system sets, since
// a repair lists and opens every file at least twice.
double TimeScan(const std::string& dir) {
    auto start = std::chrono::steady_clock::now();
    collectFaces((dir + "\\").c_str(), 3);
    return Millis(start);
}

double TimeRepair(const std::string& dir) {
    auto start = std::chrono::steady_clock::now();
    UntangleFonts(dir.c_str(), 1);
    return Millis(start);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 7;
    std::string base = (fs::temp_directory_path() / "bench_fonts").string();
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, atoi(argv[++i]));
        } else if (argv[i][0] != '-') {
            base = argv[i];
        } else {
            fprintf(stderr, "usage: bench_fonts [--runs N] [DIR]\n");
            return 2;
        }
    }
    printf("%7s %6s %5s %10s %10s %9s %8s\n", "faces", "files", "list", "median ms", "min ms",
           "us/face", "scan ms");
    for (bool withList : {false, true}) {
        for (int nFaces : {100, 1000, 10000}) {
            std::vector<double> repairs, scans;
            int nFonts = 0;
            for (int run = 0; run < runs; ++run) {
                nFonts = Prepare(base, nFaces, withList, unsigned(nFaces + run));
                scans.push_back(TimeScan(base));
                repairs.push_back(TimeRepair(base));
            }
            double median = Median(repairs);
            printf("%7d %6d %5s %10.2f %10.2f %9.2f %8.2f\n", nFaces, nFonts,
                   withList ? "yes" : "no", median,
                   *std::min_element(repairs.begin(), repairs.end()), 1000.0 * median / nFaces,
                   Median(scans));
        }
    }
    fs::remove_all(base);
    return 0;
}
