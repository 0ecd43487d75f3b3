// File utilities shared by the archive reader and the installation sequence:
// the portable half (paths and heap strings).
#pragma once

#include <cstddef>

// Creates every directory named in path: the part before each backslash, and
// the whole path when it contains no dot anywhere. Failures are ignored. The
// path is changed during the call and restored. Always 1.
int MakePath(char* path);

// Copies the final component of src (after the last backslash, else after the
// last colon, else all of it) into dest, which holds size bytes. An empty
// component leaves dest as it was. False when the component had to be cut.
bool StripPath(char* dest, size_t size, const char* src);
template <size_t N>
bool StripPath(char (&dest)[N], const char* src) {
    return StripPath(dest, N, src);
}

// A heap copy of s, released with delete[]; null for a null s or when memory
// cannot be obtained.
char* newStr(const char* s);
