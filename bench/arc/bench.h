// The archive benchmark: test set, counting allocator.
#pragma once

#include <cstdint>
#include <string>

// Bytes of heap in use, and the most in use since the last reset.
long long HeapInUse();
long long HeapPeakSinceReset();
void HeapResetPeak();

struct TestSet {
    unsigned files;
    uint64_t text, random, fontLike, big;  // bytes of each kind
};

// Writes the test set below dir (a host path): text files, incompressible
// files and font-like binaries in sub-directories, and one file of bigBytes.
TestSet MakeTestSet(const std::string& dir, uint64_t smallBytes, uint64_t bigBytes);

// Writes one font-like file of the given size.
void WriteFontLike(const std::string& path, uint64_t size, uint32_t seed);
