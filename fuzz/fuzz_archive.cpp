// The archive reader on arbitrary archive bytes: Directory::Read and
// Archive::Extract into a fresh destination. Drive C: is the scratch
// directory, so anything written outside C:\OUT is seen, and the current
// drive and directory must come back as they were.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "archive/archive.h"
#include "fuzz/fuzzenv.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

void Setup() {
    PfMapDrive('C', FuzzDir().c_str());
    PfSetDisk(2);
    Check(PfMkdir("C:\\HOME") == 0);
    Check(PfChdir("C:\\HOME") == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Setup(), true);
    (void)ready;
    if (size == 0) return 0;
    fs::remove_all(FuzzDir() + "/OUT");
    FuzzWriteFile("IN.ARC", data + 1, size - 1);
    Check(PfMkdir("C:\\OUT") == 0);

    Archive archive;
    short usePaths = data[0] & 1;
    archive.Extract("C:\\IN.ARC", "C:\\OUT", usePaths);

    char cwd[260];
    Check(PfGetCwd(cwd, sizeof cwd) && strcmp(cwd, "C:\\HOME") == 0);
    Check(PfGetDisk() == 2);
    for (const auto& entry : fs::directory_iterator(FuzzDir())) {
        std::string name = entry.path().filename().string();
        Check(name == "IN.ARC" || name == "OUT" || name == "HOME");
    }
    Check(fs::is_empty(FuzzDir() + "/HOME"));
    Check(fpSource == nullptr && fpDest == nullptr);
    return 0;
}
