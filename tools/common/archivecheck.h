// Reading an archive through as the setup will extract it, without writing
// anything: for the vendor's tools.
#pragma once

#include <cstdint>
#include <string>

struct ArchiveContents {
    unsigned files = 0;
    uint64_t bytes = 0;  // unpacked
};

// Why the setup could not extract the archive at path whole, or "" when it
// can: its directory, every stored name, every member's stream, CRC-32 and
// length are checked. Fills contents as far as the directory was read.
std::string ArchiveProblem(const char* path, ArchiveContents& contents);
