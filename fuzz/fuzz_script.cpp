// The profile reader and the package table on arbitrary install scripts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/globals.h"
#include "app/script.h"
#include "fuzz/fuzzenv.h"
#include "platform/platform.h"
#include "platform/strutil.h"

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

template <size_t N> void CheckTerminated(const char (&field)[N]) {
    Check(memchr(field, '\0', N) != nullptr);
}

// One read with a buffer of exactly size bytes plus a guard behind it.
void ReadOne(const char* section, const char* key, uint32_t size, const char* file) {
    std::vector<char> buf(size + 8, '\x5A');
    uint32_t ret = PfGetProfileString(section, key, "dflt  ", buf.data(), size, file);
    Check(ret < size);
    Check(buf[ret] == '\0');
    for (size_t i = size; i < buf.size(); ++i) Check(buf[i] == '\x5A');
    if (!key) {
        uint32_t offset = 0;
        while (const char* name = NextKey(buf.data(), ret, offset)) Check(name < buf.data() + ret);
        Check(offset <= ret + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = FuzzWriteFile("install.ini", data, size);
    Check(BufCopy(szIniFile, path.c_str()));
    memset(Packages, 0, sizeof Packages);
    iNumPackages = 0;

    ReadPackages();
    Check(iNumPackages >= 0 && iNumPackages <= MAX_PACKAGES);
    for (const Package& p : Packages) {
        CheckTerminated(p.szName);
        CheckTerminated(p.szDescription);
        CheckTerminated(p.szDirectory);
    }

    uint32_t small = uint32_t(1 + size % 40);
    for (const char* section : {"Install", "Packages", "Disk1"}) {
        ReadOne(section, nullptr, 300, path.c_str());
        ReadOne(section, nullptr, small, path.c_str());
        ReadOne(section, "name", small, path.c_str());
    }
    // The section names, which the script checker reads.
    ReadOne(nullptr, nullptr, 300, path.c_str());
    ReadOne(nullptr, nullptr, small, path.c_str());
    PfGetProfileInt("Install", "disks", -1, path.c_str());
    return 0;
}
