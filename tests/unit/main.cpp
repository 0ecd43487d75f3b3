// Test main of the unit tests. On Linux it gives the platform stand-in a
// small Windows machine: drive C: in a fresh host directory with
// C:\WINDOWS, C:\WINDOWS\SYSTEM and C:\TMP, drive C: current.
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/platform.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
#ifndef _WIN32
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/setup-unit-XXXXXX";
    if (!mkdtemp(tmpl)) return 2;
    fs::path root(tmpl);
    fs::create_directories(root / "WINDOWS" / "SYSTEM");
    fs::create_directories(root / "TMP");
    PfMapDrive('C', tmpl);
    PfSetWindowsDirs("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
    PfSetDisk(2);
    int result = RUN_ALL_TESTS();
    std::error_code ec;
    fs::remove_all(root, ec);
    return result;
#else
    return RUN_ALL_TESTS();
#endif
}
