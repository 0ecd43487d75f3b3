#include "ui/dialogmath.h"

#include <cstdint>

#include "ui/space.h"

namespace {

// a * b / c rounded to nearest, halves away from zero, for c > 0.
int MulDivNearest(int a, int b, int c) {
    int64_t n = int64_t(a) * b;
    int64_t q = ((n < 0 ? -n : n) + c / 2) / c;
    return int(n < 0 ? -q : q);
}

}  // namespace

int PercentDone(unsigned done, unsigned total) {
    if (total == 0) return -1;
    return int((uint64_t(done) * 100 + total / 2) / total);
}

int BarSplit(int left, int width, int percent) {
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    return left + MulDivNearest(width, percent, 100);
}

int ColumnEdge(int left, int width, int percent) {
    return left + MulDivNearest(width, percent, 100);
}

int PointsToPixels(int points, int dpi) {
    return MulDivNearest(points, dpi, 72);
}

int ShrinkHeight(int height, int clientWidth, int textWidth) {
    if (clientWidth >= textWidth) return height;
    return MulDivNearest(height, clientWidth, textWidth);
}

bool DoubleAmpersands(char* dst, size_t size, const char* src) {
    if (size == 0) return false;
    size_t n = 0;
    for (; *src; ++src) {
        size_t need = *src == '&' ? 2 : 1;
        // An ampersand is never left single at the end of a cut text.
        if (n + need >= size) {
            dst[n] = '\0';
            return false;
        }
        dst[n++] = *src;
        if (*src == '&') dst[n++] = '&';
    }
    dst[n] = '\0';
    return true;
}

Span FitSpan(int client, int size) {
    if (client > size) return {(client - size) / 2, size};
    return {0, client};
}

char DriveOfField(const char* text, char current) {
    if (!text[0]) return NO_DRIVE;
    if (text[1] != ':') return current;
    char letter = text[0];
    return letter >= 'a' && letter <= 'z' ? char(letter - 'a' + 'A') : letter;
}

char BadPathChar(const char* path) {
    for (const char* p = path; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        const bool driveColon =
            c == ':' && p == path + 1 && ((path[0] | 0x20) >= 'a') && ((path[0] | 0x20) <= 'z');
        if (c < 0x20 || (c == ':' && !driveColon)) return *p;
        for (const char* bad = "*?\"<>|"; *bad; ++bad)
            if (c == static_cast<unsigned char>(*bad)) return *p;
    }
    return 0;
}
