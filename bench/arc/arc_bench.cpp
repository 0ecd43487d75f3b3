// The archive benchmark. Builds a 64 MB test set, packs it with the code of
// `arc create`, and prints the extraction speed of Archive::Extract, of the
// limit (a plain zlib inflate plus fwrite of the same members, in Extract's
// 8 KB pieces and in 64 KB pieces) and of
// `unzip -o -q` on a zip of the same files; then the peak heap while one
// member of 1 MB and one of 100 MB are extracted.
//
//   arc_bench [WORKDIR]    (default: a fresh directory under /dev/shm or /tmp,
//                           removed after)
#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#include "archive/archive.h"
#include "bench/arc/bench.h"
#include "platform/platform.h"
#include "tools/common/arcwriter.h"

namespace fs = std::filesystem;

namespace {

const double MB = 1024.0 * 1024.0;
const int RUNS = 7;

// Processor time of this process and its children, user and system.
double CpuSeconds() {
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        struct rusage u;
        getrusage(who, &u);
        total += double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                 double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

// Wall-clock and processor seconds of one run. Processor time stays
// meaningful on a machine that others load too.
struct Times {
    double wall, cpu;
};

Times Measure(const std::function<bool()>& work, bool& ok) {
    auto start = std::chrono::steady_clock::now();
    double cpu = CpuSeconds();
    ok = work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            CpuSeconds() - cpu};
}

void NoStatus(eStatusKeys, void*) {}

bool RunExtract(const std::string& arc, const std::string& out) {
    Archive a;
    a.SetStatusCallback(NoStatus);
    return a.Extract(arc.c_str(), out.c_str(), 1) != 0;
}

// The limit: the same members inflated and written with nothing else (no
// CRC-32, no dates, no events, no directory per member), chunk bytes at a time.
bool RunLimit(const std::string& arc, const std::string& out, uint32_t chunk) {
    PfFile* in = PfOpen(arc.c_str(), "rb");
    Directory dir;
    if (!in || !dir.Read(in)) return false;
    static unsigned char inBuf[65536], outBuf[65536];
    bool ok = true;
    for (unsigned i = 0; ok && i < dir.nCount; ++i) {
        const ZipDirEntry& e = dir.pEntries[i];
        std::string path = out + "/" + e.pszName;
        std::replace(path.begin(), path.end(), '\\', '/');
        fs::create_directories(fs::path(path).parent_path());
        FILE* fp = fopen(path.c_str(), "wb");
        z_stream zs = {};
        ok = fp && PfSeek(in, e.lOffset, PF_SEEK_SET) == 0 && inflateInit(&zs) == Z_OK;
        int rc = Z_OK;
        uint32_t left = e.lPacked;
        while (ok && rc != Z_STREAM_END) {
            if (zs.avail_in == 0) {
                zs.avail_in = uInt(PfRead(in, inBuf, std::min(left, chunk)));
                zs.next_in = inBuf;
                left -= zs.avail_in;
            }
            zs.next_out = outBuf;
            zs.avail_out = chunk;
            rc = inflate(&zs, Z_NO_FLUSH);
            size_t have = chunk - zs.avail_out;
            ok = (rc == Z_OK || rc == Z_STREAM_END) && fwrite(outBuf, 1, have, fp) == have;
        }
        inflateEnd(&zs);
        if (fp) fclose(fp);
    }
    PfClose(in);
    return ok;
}

bool RunUnzip(const std::string& zip, const std::string& out) {
    std::string cmd = "unzip -o -q '" + zip + "' -d '" + out + "'";
    return system(cmd.c_str()) == 0;
}

struct Contender {
    const char* what;
    std::function<bool()> run;
    Times best;
};

// Runs each contender RUNS times, in turns, into an empty out; keeps the best
// time of each. False when a run failed.
bool Race(std::vector<Contender>& field, const std::string& out) {
    for (Contender& c : field) c.best = {1e30, 1e30};
    for (int i = 0; i < RUNS; ++i) {
        for (Contender& c : field) {
            fs::remove_all(out);
            fs::create_directories(out);
            bool ok;
            Times t = Measure(c.run, ok);
            if (!ok) {
                fprintf(stderr, "arc_bench: %s failed\n", c.what);
                return false;
            }
            c.best.wall = std::min(c.best.wall, t.wall);
            c.best.cpu = std::min(c.best.cpu, t.cpu);
        }
    }
    fs::remove_all(out);
    return true;
}

// Peak heap above what was in use before, while one member of size bytes is
// extracted.
long long PeakForMember(const std::string& work, uint64_t size) {
    std::string src = work + "/member.ff1", arc = work + "/member.arc", out = work + "/member.out";
    WriteFontLike(src, size, 11);
    ArcWriter w;
    if (!w.Create(arc.c_str()) || !w.AddFile("MEMBER.FF1", src.c_str()) || !w.Finish()) {
        fprintf(stderr, "arc_bench: %s\n", w.Error().c_str());
        return -1;
    }
    fs::create_directories(out);
    long long before = HeapInUse();
    HeapResetPeak();
    bool ok = RunExtract(arc, out);
    long long peak = HeapPeakSinceReset() - before;
    fs::remove_all(out);
    fs::remove(arc);
    fs::remove(src);
    return ok ? peak : -1;
}

// Builds the test set below work, packs it with the code of `arc create` and
// zips it; returns the bytes of the set, 0 on failure.
uint64_t PrepareSet(const std::string& work) {
    std::string set = work + "/set", arc = work + "/set.arc", zip = work + "/set.zip";
    TestSet ts = MakeTestSet(set, 32u << 20, 32u << 20);
    uint64_t total = ts.text + ts.random + ts.fontLike + ts.big;
    printf(
        "test set: %u files, %.1f MB (text %.1f, incompressible %.1f, font-like %.1f, "
        "one file of %.1f)\n",
        ts.files, total / MB, ts.text / MB, ts.random / MB, ts.fontLike / MB, ts.big / MB);
    std::string error;
    ArcTotals t;
    bool ok;
    double s =
        Measure([&] { return ArcCreateFromDir(arc.c_str(), set.c_str(), error, &t); }, ok).wall;
    if (!ok) {
        fprintf(stderr, "arc_bench: %s\n", error.c_str());
        return 0;
    }
    printf("arc create: %u members, %.1f MB packed into %.1f MB in %.1f s\n", t.count,
           t.length / MB, t.packed / MB, s);
    if (system(("cd '" + set + "' && zip -q -r -9 '" + zip + "' .").c_str()) != 0) return 0;
    return total;
}

// Races the extractors over the packed set and prints their speeds.
bool CompareExtractors(const std::string& work, uint64_t total) {
    std::string arc = work + "/set.arc", zip = work + "/set.zip", out = work + "/out";
    std::vector<Contender> field = {
        {"Archive::Extract, no-op callback", [&] { return RunExtract(arc, out); }, {0, 0}},
        {"limit, 8 KB pieces as Extract", [&] { return RunLimit(arc, out, 8192); }, {0, 0}},
        {"limit, 64 KB pieces", [&] { return RunLimit(arc, out, 65536); }, {0, 0}},
        {"unzip -o -q", [&] { return RunUnzip(zip, out); }, {0, 0}},
    };
    if (!Race(field, out)) return false;
    printf("extraction, MB/s of extracted bytes, best of %d runs\n", RUNS);
    printf("  %-34s %10s %10s\n", "", "wall clock", "processor");
    for (const Contender& c : field)
        printf("  %-34s %10.1f %10.1f\n", c.what, total / MB / c.best.wall,
               total / MB / c.best.cpu);
    for (int cpu = 0; cpu < 2; ++cpu) {
        auto time = [&](int i) { return cpu ? field[i].best.cpu : field[i].best.wall; };
        printf(
            "  %s time: Extract %+.1f %% over the limit in 8 KB pieces, %+.1f %% over 64 KB "
            "pieces;\n    unzip %+.1f %% over Extract\n",
            cpu ? "processor" : "wall clock", 100 * (time(0) / time(1) - 1),
            100 * (time(0) / time(2) - 1), 100 * (time(3) / time(0) - 1));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // On tmpfs when there is one: the figures are then the programs' own,
    // not the disk's.
    char shm[] = "/dev/shm/arc-bench-XXXXXX", tmp[] = "/tmp/arc-bench-XXXXXX";
    char* tmpl = fs::is_directory("/dev/shm") ? shm : tmp;
    std::string work = argc > 1 ? argv[1] : (mkdtemp(tmpl) ? tmpl : "");
    if (work.empty() || (fs::create_directories(work), !fs::is_directory(work))) return 1;
    uint64_t total = PrepareSet(work);
    bool ok = total > 0 && CompareExtractors(work, total);
    long long small = PeakForMember(work, 1u << 20), big = PeakForMember(work, 100u << 20);
    printf("peak heap during Archive::Extract: 1 MB member %lld bytes, 100 MB member %lld bytes\n",
           small, big);
    if (argc <= 1) fs::remove_all(work);
    return ok && small > 0 && big > 0 ? 0 : 1;
}
