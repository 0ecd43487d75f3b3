// Bounded string helpers. Every fixed-size buffer is filled through these:
// they cut at the buffer size, always terminate (for a size above 0) and
// return true only when the whole text fitted.
#pragma once

#include <cstdarg>
#include <cstddef>

// The formatter below takes the C99 directives on every build (the
// Windows compiler would check against the older Microsoft set).
#ifdef __MINGW32__
#define BUF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define BUF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

bool BufCopy(char* dst, size_t size, const char* src);
bool BufAppend(char* dst, size_t size, const char* src);
bool BufFormat(char* dst, size_t size, const char* fmt, ...) BUF_FORMAT(3, 4);
bool BufFormatV(char* dst, size_t size, const char* fmt, va_list args);

template <size_t N> bool BufCopy(char (&dst)[N], const char* src) {
    return BufCopy(dst, N, src);
}
template <size_t N> bool BufAppend(char (&dst)[N], const char* src) {
    return BufAppend(dst, N, src);
}
template <size_t N> bool BufFormat(char (&dst)[N], const char* fmt, ...) BUF_FORMAT(2, 3);
template <size_t N> bool BufFormat(char (&dst)[N], const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    bool fit = BufFormatV(dst, N, fmt, args);
    va_end(args);
    return fit;
}

// ASCII case handling, as the C locale of the Windows runtime does it.
void StrUpper(char* s);
void StrLower(char* s);
bool StrEqualNoCase(const char* a, const char* b);
// True when the first n characters of s equal those of prefix, without
// regard to case (s shorter than n never matches).
bool StrPrefixNoCase(const char* s, const char* prefix, size_t n);
// A name against a listing pattern: "*" any run of characters, "?" any one,
// the rest without regard to case; "*.*" matches every name.
bool StrMatchWild(const char* pattern, const char* name);
