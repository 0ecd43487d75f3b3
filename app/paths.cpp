#include "app/paths.h"

#include <cstring>

#include "app/globals.h"
#include "platform/platform.h"
#include "platform/strutil.h"

namespace {

// Appends to the output, remembering whether anything had to be cut.
struct Output {
    char* buf;
    size_t size;
    size_t len = 0;
    bool cut = false;

    void Append(const char* text) {
        size_t n = strlen(text);
        if (len + n >= size) {
            n = (len + 1 < size) ? size - 1 - len : 0;
            cut = true;
        }
        memcpy(buf + len, text, n);
        len += n;
        buf[len] = '\0';
    }

    // Asks for a Windows directory with the room left; one that does not fit
    // contributes nothing, as the Win32 call does.
    void AppendDir(unsigned (*query)(char*, unsigned)) {
        unsigned room = unsigned(size - len);
        unsigned n = query(buf + len, room);
        if (n == 0 || n >= room) {
            buf[len] = '\0';
            cut = cut || n != 0;
            return;
        }
        len += n;
    }
};

}  // namespace

int ExpandPaths(char* output, const char* text, const char* base, size_t size, bool* cut) {
    if (cut) *cut = false;
    if (size == 0) {
        if (cut) *cut = true;
        return esPlain;
    }
    output[0] = '\0';
    if (!text) return esPlain;

    Output out{output, size};
    int state = esPlain;
    for (const char* p = text; *p;) {
        if (*p != '%') {
            char one[2] = {*p++, '\0'};
            out.Append(one);
            if (state != esBase) state = esPlain;
            continue;
        }
        switch (p[1]) {
        case 'W': case 'w':
            out.AppendDir(PfGetWindowsDir);
            state = esWindows;
            break;
        case 'S': case 's':
            out.AppendDir(PfGetSystemDir);
            state = esSystem;
            break;
        case 'F': case 'f':
            out.Append(szWinFontDir);
            break;
        case 'I': case 'i':
            if (base) {
                out.Append(base);
                state = esBase;
            }
            break;
        default:
            ++p;  // drop the percent sign; the next character is ordinary text
            continue;
        }
        p += 2;
    }
    // A cut result is never a path: it would name another place.
    if (out.cut) output[0] = '\0';
    if (cut) *cut = out.cut;
    return state;
}

bool MakeFullPath(char* output, size_t size, const char* directory, const char* name) {
    bool fit = BufCopy(output, size, directory);
    removeSpaces(output);
    size_t len = strlen(output);
    if (len == 0 || output[len - 1] != '\\') fit = BufAppend(output, size, "\\") && fit;
    return BufAppend(output, size, name) && fit;
}

void removeSpaces(char* text) {
    size_t len = strlen(text);
    while (len > 0 && text[len - 1] == ' ') text[--len] = '\0';
}

void CreatePath(char* path) {
    for (char* p = strchr(path, '\\'); p; p = strchr(p + 1, '\\')) {
        *p = '\0';
        PfMkdir(path);
        *p = '\\';
    }
    PfMkdir(path);
}
