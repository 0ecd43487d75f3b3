// Shared set-up of the fuzz targets: a private scratch directory on the host,
// message boxes answered silently.
#pragma once

#include <cstddef>
#include <string>

// The target's scratch directory (a host path, created once, emptied by Reset).
const std::string& FuzzDir();
// Removes everything below FuzzDir().
void FuzzResetDir();
// Writes bytes to a file below FuzzDir(); returns its path.
std::string FuzzWriteFile(const char* name, const unsigned char* data, size_t size);
