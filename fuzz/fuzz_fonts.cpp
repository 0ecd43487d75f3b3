// The font repair on directories built from arbitrary bytes: up to eight
// .ff1 files (names of every kind, long ones too) and a name list. After a
// repair no file changes size, and a second repair changes nothing at all.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "fonts/untangle.h"
#include "fuzz/fuzzenv.h"

namespace fs = std::filesystem;

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

const char* const kNames[] = {"A.FF1", "b.ff1", "Serif.Ff1", "LongFontName01.ff1",
                              "LongFontName02.ff1", "x.ff1x", "ATF.CFG", "c.FF1"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzResetDir();
    FuzzedDataProvider in(data, size);
    int count = in.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < count; ++i) {
        const char* name = kNames[in.ConsumeIntegralInRange<size_t>(0, 7)];
        std::string bytes = in.ConsumeRandomLengthString(4096);
        FuzzWriteFile(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    if (in.ConsumeBool()) {
        std::string list = in.ConsumeRemainingBytesAsString();
        FuzzWriteFile("fontnam.dat", reinterpret_cast<const uint8_t*>(list.data()), list.size());
    }

    auto before = Snapshot(FuzzDir());
    Check(UntangleFonts(FuzzDir().c_str(), 1) == 0);
    auto after = Snapshot(FuzzDir());
    for (const auto& [name, bytes] : before) {
        if (name == "fontnam.dat" || name == "ATF.CFG") continue;
        Check(after.count(name) && after[name].size() == bytes.size());
    }
    Check(!after.count("ATF.CFG"));
    Check(UntangleFonts(FuzzDir().c_str(), 1) == 0);
    Check(Snapshot(FuzzDir()) == after);
    return 0;
}
