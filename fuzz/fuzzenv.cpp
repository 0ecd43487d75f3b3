#include "fuzz/fuzzenv.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

int SilentBox(HWND, const char*, const char*, unsigned) { return IDOK; }

// The directory lives as long as the process and is removed with it.
struct ScratchRoot {
    std::string path;
    ScratchRoot() {
        // Memory-backed when the machine has it: a file is written per input.
        fs::path base = access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm")
                                                      : fs::temp_directory_path();
        std::string tmpl = (base / "setup-fuzz-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) abort();
        path = tmpl;
        PfSetMessageBoxHook(SilentBox);
    }
    ~ScratchRoot() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

}  // namespace

const std::string& FuzzDir() {
    static const ScratchRoot root;
    return root.path;
}

void FuzzResetDir() {
    for (const auto& entry : fs::directory_iterator(FuzzDir())) {
        std::error_code ec;
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(entry.path(), ec);
    }
}

std::string FuzzWriteFile(const char* name, const unsigned char* data, size_t size) {
    std::string path = FuzzDir() + "/" + name;
    FILE* fp = fopen(path.c_str(), "wb");
    if (!fp) abort();
    if (size) fwrite(data, 1, size, fp);
    fclose(fp);
    return path;
}
