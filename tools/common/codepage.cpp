#include "tools/common/codepage.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>

#include <vector>
#endif

namespace {

// The byte of a character in the code page; -1 when it has none.
int ByteOf(uint32_t c, const CodePage& page) {
    if (c < 0x80) return int(c);
    for (int i = 0; i < 128; ++i)
        if (page.chars[i] == c) return 0x80 + i;
    return -1;
}

// The character at text[pos] and its length in bytes; 0 when the bytes there
// are no UTF-8 (a stray continuation byte, a sequence cut short, an overlong
// or surrogate form).
size_t DecodeUtf8(const std::string& text, size_t pos, uint32_t& c) {
    const unsigned char b = static_cast<unsigned char>(text[pos]);
    size_t n = b < 0x80                ? 1
               : b >= 0xC2 && b < 0xE0 ? 2
               : b >= 0xE0 && b < 0xF0 ? 3
               : b >= 0xF0 && b < 0xF5 ? 4
                                       : 0;
    if (n == 0 || pos + n > text.size()) return 0;
    c = n == 1 ? b : b & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return 0;
        c = c << 6 | (next & 0x3F);
    }
    const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return 0;
    return n;
}

std::string Hex(uint32_t c, int digits) {
    char text[16];
    snprintf(text, sizeof text, "%0*X", digits, unsigned(c));
    return text;
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

const CodePage* FindCodePage(int number) {
    for (size_t i = 0; i < kCodePageCount; ++i)
        if (kCodePages[i].number == number) return &kCodePages[i];
    return nullptr;
}

std::string CodePageNumbers() {
    std::string names;
    for (size_t i = 0; i < kCodePageCount; ++i)
        names += (i ? ", " : "") + std::to_string(kCodePages[i].number);
    return names;
}

bool Utf8ToCodePage(const std::string& text, const CodePage& page, std::string& out,
                    std::string& problem) {
    out.clear();
    for (size_t pos = 0; pos < text.size();) {
        uint32_t c = 0;
        size_t n = DecodeUtf8(text, pos, c);
        if (n == 0) {
            problem = "the byte 0x" + Hex(static_cast<unsigned char>(text[pos]), 2) +
                      " is no UTF-8 text; save the file as UTF-8";
            out.clear();
            return false;
        }
        int byte = ByteOf(c, page);
        if (byte < 0) {
            problem = "\"" + text.substr(pos, n) + "\" (U+" + Hex(c, 4) +
                      ") is no character of code page " + std::to_string(page.number);
            out.clear();
            return false;
        }
        out += char(byte);
        pos += n;
    }
    return true;
}

std::string CodePageToUtf8(const std::string& text, const CodePage& page) {
    std::string out;
    for (char ch : text) {
        const unsigned char b = static_cast<unsigned char>(ch);
        uint32_t c = b < 0x80 ? b : page.chars[b - 0x80];
        AppendUtf8(out, c ? c : 0xFFFD);
    }
    return out;
}

bool LooksLikeUtf8(const std::string& text) {
    bool beyondAscii = false;
    for (size_t pos = 0; pos < text.size();) {
        uint32_t c = 0;
        size_t n = DecodeUtf8(text, pos, c);
        if (n == 0) return false;
        beyondAscii = beyondAscii || n > 1;
        pos += n;
    }
    return beyondAscii;
}

bool HostNameToCodePage(const std::string& name, const CodePage& page, std::string& out,
                        std::string& problem) {
#ifdef _WIN32
    // The host's names come in its own ANSI code page: through UTF-16 into UTF-8.
    std::string utf8;
    if (!name.empty()) {
        int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), int(name.size()),
                                    nullptr, 0);
        std::vector<wchar_t> wide(size_t(n > 0 ? n : 1));
        n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), int(name.size()),
                                wide.data(), n);
        int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
        if (n <= 0 || bytes <= 0) {
            problem = "the name cannot be read in this system's code page";
            return false;
        }
        utf8.resize(size_t(bytes));
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &utf8[0], bytes, nullptr, nullptr);
    }
    return Utf8ToCodePage(utf8, page, out, problem);
#else
    return Utf8ToCodePage(name, page, out, problem);
#endif
}
