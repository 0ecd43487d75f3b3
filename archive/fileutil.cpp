// File utilities: the portable half.
#include "archive/fileutil.h"

#include <cstring>
#include <new>

#include "platform/platform.h"
#include "platform/strutil.h"

int MakePath(char* path) {
    for (char* p = strchr(path, '\\'); p; p = strchr(p + 1, '\\')) {
        *p = '\0';
        PfMkdir(path);
        *p = '\\';
    }
    // A path without any dot ends in a directory name.
    if (!strchr(path, '.')) PfMkdir(path);
    return 1;
}

bool StripPath(char* dest, size_t size, const char* src) {
    const char* start = strrchr(src, '\\');
    if (!start) start = strrchr(src, ':');
    start = start ? start + 1 : src;
    if (!*start) return true;
    return BufCopy(dest, size, start);
}

char* newStr(const char* s) {
    if (!s) return nullptr;
    size_t n = strlen(s) + 1;
    char* copy = new (std::nothrow) char[n];
    if (copy) memcpy(copy, s, n);
    return copy;
}
