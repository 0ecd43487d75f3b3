// Path utilities: the install script's path codes, joining, directory creation.
#pragma once

#include <cstddef>

// Result states of ExpandPaths.
enum eExpandStates {
    esBase = 0,     // "%I" with a base, and nothing after it changed the state
    esPlain = 1,
    esWindows = 2,  // ended with the Windows directory
    esSystem = 3,   // ended with the Windows system directory
};

// Expands "%W", "%S", "%F" and "%I" (either case) of text into output, which
// holds size bytes. A null base makes "%I" expand to nothing. A result that
// does not fit leaves output empty and sets *cut (when given); else *cut is
// cleared. Callers check it: an empty output may also be a whole result.
int ExpandPaths(char* output, const char* text, const char* base, size_t size,
                bool* cut = nullptr);
template <size_t N>
int ExpandPaths(char (&output)[N], const char* text, const char* base, bool* cut = nullptr) {
    return ExpandPaths(output, text, base, N, cut);
}

// Joins directory (trailing blanks cut) and name with one backslash.
// Returns false when the result had to be cut to size - 1.
bool MakeFullPath(char* output, size_t size, const char* directory, const char* name);
template <size_t N>
bool MakeFullPath(char (&output)[N], const char* directory, const char* name) {
    return MakeFullPath(output, N, directory, name);
}

// Removes the trailing spaces (not tabs) of text.
void removeSpaces(char* text);

// Creates every directory along path; failures are ignored. The path is
// changed during the call and restored.
void CreatePath(char* path);
