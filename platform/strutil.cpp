#include "platform/strutil.h"

#include <climits>
#include <cstddef>
#include <cstdint>
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

namespace {

// One directive of a format: flags, width, precision and argument size.
struct Directive {
    bool left = false, zero = false, plus = false, space = false, alternate = false;
    bool wide = false;  // "l" before c or s
    int width = 0, precision = -1;
    int size = 0;      // -2 char, -1 short, 0 int, 1 long, 2 long long, 3 size_t, 4 intmax_t
    bool bad = false;  // a width or precision past INT_MAX, as printf refuses it
};

// Writes into dst while there is room, counting what a whole text needs.
struct Out {
    char* dst;
    size_t size, used;
    void Put(char c) {
        if (used + 1 < size) dst[used] = c;
        Count(1);
    }
    // A run costs no more than the room left, however long it is.
    void Repeat(char c, size_t n) {
        for (size_t room = used + 1 < size ? size - 1 - used : 0; room > 0 && n > 0; --room, --n)
            Put(c);
        Count(n);
    }
    void Count(size_t n) { used = n > size_t(-1) - used ? size_t(-1) : used + n; }
};

int ReadNumber(const char*& p, bool& bad) {
    int n = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (n > (INT_MAX - (*p - '0')) / 10) bad = true;
        if (!bad) n = n * 10 + (*p - '0');
    }
    return n;
}

const char* ParseDirective(const char* p, Directive& s, va_list& args) {
    for (;; ++p) {
        if (*p == '-')
            s.left = true;
        else if (*p == '0')
            s.zero = true;
        else if (*p == '+')
            s.plus = true;
        else if (*p == ' ')
            s.space = true;
        else if (*p == '#')
            s.alternate = true;
        else
            break;
    }
    if (*p == '*') {
        int w = va_arg(args, int);
        if (w < 0) s.left = true;
        if (w == INT_MIN) s.bad = true;
        s.width = w < 0 && w != INT_MIN ? -w : w;
        ++p;
    } else {
        s.width = ReadNumber(p, s.bad);
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            s.precision = va_arg(args, int);
            if (s.precision < 0) s.precision = -1;  // as if none were given
            ++p;
        } else {
            s.precision = ReadNumber(p, s.bad);
        }
    }
    for (;; ++p) {
        if (*p == 'h')
            s.size = s.size < 0 ? -2 : -1;
        else if (*p == 'l')
            s.size = s.size == 1 ? 2 : 1;
        else if (*p == 'z' || *p == 't')
            s.size = 3;
        else if (*p == 'j')
            s.size = 4;
        else if (p[0] == 'I' && p[1] == '6' && p[2] == '4')
            s.size = 2, p += 2;
        else
            break;
    }
    s.wide = s.size == 1 && (*p == 'c' || *p == 's');
    return p;
}

// Text of len characters, padded to the width. Wide characters come out as
// printf gives them in the C locale: ASCII as it is, anything else an error.
template <typename C>
bool PutText(Out& out, const Directive& s, const C* text, size_t len) {
    for (size_t i = 0; sizeof(C) > 1 && i < len; ++i)
        if (unsigned(text[i]) > 0x7f) return false;
    size_t pad = size_t(s.width) > len ? size_t(s.width) - len : 0;
    if (!s.left) out.Repeat(' ', pad);
    for (size_t i = 0; i < len; ++i) out.Put(char(text[i]));
    if (s.left) out.Repeat(' ', pad);
    return true;
}

// A string up to its precision; never a byte past it, as the text need not
// be terminated there.
template <typename C>
bool PutString(Out& out, const Directive& s, const C* text, const C* null) {
    if (!text) text = null;
    size_t len = 0;
    while ((s.precision < 0 || len < size_t(s.precision)) && text[len]) ++len;
    return PutText(out, s, text, len);
}

// A number: its sign or prefix, the zeros the precision asks for, the digits.
void PutNumber(Out& out, const Directive& s, unsigned long long value, const char* prefix,
               unsigned base, bool upper) {
    char digits[24];
    size_t n = 0;
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    do {
        digits[n++] = set[value % base];
        value /= base;
    } while (value);
    if (s.precision == 0 && n == 1 && digits[0] == '0') n = 0;
    size_t zeros = s.precision > 0 && size_t(s.precision) > n ? size_t(s.precision) - n : 0;
    size_t len = strlen(prefix) + zeros + n;
    size_t pad = size_t(s.width) > len ? size_t(s.width) - len : 0;
    if (s.zero && !s.left && s.precision < 0) zeros += pad, pad = 0;
    if (!s.left) out.Repeat(' ', pad);
    for (; *prefix; ++prefix) out.Put(*prefix);
    out.Repeat('0', zeros);
    while (n) out.Put(digits[--n]);
    if (s.left) out.Repeat(' ', pad);
}

long long SignedArg(const Directive& s, va_list& args) {
    switch (s.size) {
        case -2:
            return (signed char)va_arg(args, int);
        case -1:
            return short(va_arg(args, int));
        case 1:
            return va_arg(args, long);
        case 2:
            return va_arg(args, long long);
        case 3:
            return (long long)va_arg(args, ptrdiff_t);
        case 4:
            return (long long)va_arg(args, intmax_t);
        default:
            return va_arg(args, int);
    }
}

unsigned long long UnsignedArg(const Directive& s, va_list& args) {
    switch (s.size) {
        case -2:
            return (unsigned char)va_arg(args, unsigned);
        case -1:
            return (unsigned short)va_arg(args, unsigned);
        case 1:
            return va_arg(args, unsigned long);
        case 2:
            return va_arg(args, unsigned long long);
        case 3:
            return va_arg(args, size_t);
        case 4:
            return (unsigned long long)va_arg(args, uintmax_t);
        default:
            return va_arg(args, unsigned);
    }
}

// One conversion; false for one this formatter does not know or printf
// would refuse.
bool Convert(Out& out, const Directive& s, char conversion, va_list& args) {
    if (s.bad) return false;
    switch (conversion) {
        case 'd':
        case 'i': {
            long long v = SignedArg(s, args);
            unsigned long long magnitude = v < 0 ? 0ull - (unsigned long long)v : v;
            const char* sign = v < 0 ? "-" : s.plus ? "+" : s.space ? " " : "";
            PutNumber(out, s, magnitude, sign, 10, false);
            return true;
        }
        case 'u':
            PutNumber(out, s, UnsignedArg(s, args), "", 10, false);
            return true;
        case 'x':
        case 'X': {
            unsigned long long v = UnsignedArg(s, args);
            const char* prefix = !s.alternate || v == 0 ? "" : conversion == 'x' ? "0x" : "0X";
            PutNumber(out, s, v, prefix, 16, conversion == 'X');
            return true;
        }
        case 'c': {
            if (s.wide) {
                wchar_t c = wchar_t(va_arg(args, unsigned));
                return PutText(out, s, &c, 1);
            }
            char c = char(va_arg(args, int));
            return PutText(out, s, &c, 1);
        }
        case 's':
            if (s.wide) return PutString(out, s, va_arg(args, const wchar_t*), L"(null)");
            return PutString(out, s, va_arg(args, const char*), "(null)");
        case '%':
            out.Put('%');
            return true;
        default:
            return false;
    }
}

}  // namespace

// printf's directives for text and integers (flags - 0 + space #, width,
// precision, the size letters hh h l ll z j t I64, conversions d i u x X c s
// %, and lc ls for ASCII), without the C runtime, so that every build formats
// alike.
bool BufFormatV(char* dst, size_t size, const char* fmt, va_list args) {
    if (size == 0) return false;
    Out out{dst, size, 0};
    va_list ap;
    va_copy(ap, args);
    bool known = true;
    for (const char* p = fmt; *p; ++p) {
        if (*p != '%') {
            out.Put(*p);
            continue;
        }
        Directive s;
        const char* at = ParseDirective(p + 1, s, ap);
        if (!*at || !Convert(out, s, *at, ap)) {
            known = false;
            break;
        }
        p = at;
    }
    va_end(ap);
    dst[out.used < size ? out.used : size - 1] = '\0';
    return known && out.used < size;
}

bool BufFormat(char* dst, size_t size, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    bool fit = BufFormatV(dst, size, fmt, args);
    va_end(args);
    return fit;
}

static char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
static char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

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

bool StrMatchWild(const char* pattern, const char* name) {
    if (strcmp(pattern, "*.*") == 0) return true;
    // A mismatch after a star takes the star one character further.
    const char *star = nullptr, *retry = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = ++pattern;
            retry = name;
        } else if (*pattern && (*pattern == '?' || UpperAscii(*pattern) == UpperAscii(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star;
            name = ++retry;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return !*pattern;
}
