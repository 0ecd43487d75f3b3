#include "platform/strutil.h"

#include <cstddef>
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
    bool left = false, zero = false;
    int width = 0, precision = -1;
    int size = 0;  // -2 char, -1 short, 0 int, 1 long, 2 long long, 3 size_t
};

// Writes into dst while there is room, counting what a whole text needs.
struct Out {
    char* dst;
    size_t size, used;
    void Put(char c) {
        if (used + 1 < size) dst[used] = c;
        ++used;
    }
    void Repeat(char c, int n) {
        for (; n > 0; --n) Put(c);
    }
};

int ReadNumber(const char*& p) {
    int n = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (n < 100000) n = n * 10 + (*p - '0');
    return n;
}

const char* ParseDirective(const char* p, Directive& s, va_list& args) {
    for (;; ++p) {
        if (*p == '-')
            s.left = true;
        else if (*p == '0')
            s.zero = true;
        else if (*p != '+' && *p != ' ' && *p != '#')
            break;
    }
    if (*p == '*') {
        int w = va_arg(args, int);
        if (w < 0) s.left = true;
        s.width = w < 0 ? (w < -100000 ? 100000 : -w) : w;
        ++p;
    } else {
        s.width = ReadNumber(p);
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            s.precision = va_arg(args, int);
            ++p;
        } else {
            s.precision = ReadNumber(p);
        }
    }
    for (;; ++p) {
        if (*p == 'h')
            s.size = s.size < 0 ? -2 : -1;
        else if (*p == 'l')
            s.size = s.size == 1 ? 2 : 1;
        else if (*p == 'z' || *p == 'j' || *p == 't')
            s.size = 3;
        else if (p[0] == 'I' && p[1] == '6' && p[2] == '4')
            s.size = 2, p += 2;
        else
            break;
    }
    return p;
}

void PutText(Out& out, const Directive& s, const char* text, size_t len) {
    int pad = s.width > int(len) ? s.width - int(len) : 0;
    if (!s.left) out.Repeat(' ', pad);
    for (size_t i = 0; i < len; ++i) out.Put(text[i]);
    if (s.left) out.Repeat(' ', pad);
}

void PutNumber(Out& out, const Directive& s, unsigned long long value, bool negative, unsigned base,
               bool upper) {
    char digits[24];
    int n = 0;
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    do {
        digits[n++] = set[value % base];
        value /= base;
    } while (value);
    if (s.precision == 0 && n == 1 && digits[0] == '0') n = 0;
    int zeros = s.precision > n ? s.precision - n : 0;
    int len = n + zeros + (negative ? 1 : 0);
    int pad = s.width > len ? s.width - len : 0;
    if (s.zero && !s.left && s.precision < 0) zeros += pad, pad = 0;
    if (!s.left) out.Repeat(' ', pad);
    if (negative) out.Put('-');
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
        default:
            return va_arg(args, unsigned);
    }
}

// One conversion; false for one this formatter does not know.
bool Convert(Out& out, const Directive& s, char conversion, va_list& args) {
    switch (conversion) {
        case 'd':
        case 'i': {
            long long v = SignedArg(s, args);
            unsigned long long magnitude = v < 0 ? 0ull - (unsigned long long)v : v;
            PutNumber(out, s, magnitude, v < 0, 10, false);
            return true;
        }
        case 'u':
            PutNumber(out, s, UnsignedArg(s, args), false, 10, false);
            return true;
        case 'x':
            PutNumber(out, s, UnsignedArg(s, args), false, 16, false);
            return true;
        case 'X':
            PutNumber(out, s, UnsignedArg(s, args), false, 16, true);
            return true;
        case 'c': {
            char c = char(va_arg(args, int));
            PutText(out, s, &c, 1);
            return true;
        }
        case 's': {
            const char* text = va_arg(args, const char*);
            if (!text) text = "(null)";
            size_t len = 0;
            while (text[len] && (s.precision < 0 || len < size_t(s.precision))) ++len;
            PutText(out, s, text, len);
            return true;
        }
        case '%':
            out.Put('%');
            return true;
        default:
            return false;
    }
}

}  // namespace

// printf's directives for text and integers (flags - and 0, width, precision,
// the size letters hh h l ll z j t I64, conversions d i u x X c s %), without
// the C runtime, so that every build formats alike.
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
