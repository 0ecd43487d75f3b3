#include "platform/strutil.h"

#include <cstdio>
#include <cstring>

bool BufCopy(char* dst, size_t size, const char* src) {
    if (size == 0) return false;
    if (!src) src = "";
    size_t len = strlen(src);
    bool fit = len < size;
    if (!fit) len = size - 1;
    memmove(dst, src, len);
    dst[len] = '\0';
    return fit;
}

bool BufAppend(char* dst, size_t size, const char* src) {
    if (size == 0) return false;
    size_t used = strnlen(dst, size);
    if (used == size) {  // not terminated: treat as full
        dst[size - 1] = '\0';
        return false;
    }
    return BufCopy(dst + used, size - used, src);
}

bool BufFormatV(char* dst, size_t size, const char* fmt, va_list args) {
    if (size == 0) return false;
    int n = vsnprintf(dst, size, fmt, args);
    if (n < 0) {
        dst[0] = '\0';
        return false;
    }
    return static_cast<size_t>(n) < size;
}

bool BufFormat(char* dst, size_t size, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    bool fit = BufFormatV(dst, size, fmt, args);
    va_end(args);
    return fit;
}

static char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

void StrUpper(char* s) {
    for (; *s; ++s) *s = UpperAscii(*s);
}

void StrLower(char* s) {
    for (; *s; ++s) *s = LowerAscii(*s);
}

bool StrEqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (UpperAscii(*a) != UpperAscii(*b)) return false;
    return *a == *b;
}

bool StrPrefixNoCase(const char* s, const char* prefix, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (!s[i] || UpperAscii(s[i]) != UpperAscii(prefix[i])) return false;
    return true;
}
