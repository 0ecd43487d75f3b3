// The Windows ANSI code pages the tools write a product in. The setup reads
// its script, and Windows its file names, in the ANSI code page of the
// user's system; the vendor types UTF-8. Own tables, so that the Linux and
// the Windows tools convert alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct CodePage {
    int number;
    const uint16_t* chars;  // the Unicode character of bytes 0x80-0xFF, 0 for none
    // Pixel widths of bytes 0x20-0xFF in the System font (10 points at
    // 96 dpi, the intro box's dialog font) of this code page.
    const uint8_t* widths;
};

extern const CodePage kCodePages[];
extern const size_t kCodePageCount;

// The code page of that number, or null.
const CodePage* FindCodePage(int number);
// "1250, 1251, ..." for messages.
std::string CodePageNumbers();

// Converts UTF-8 text into the code page. On failure out is empty and
// problem says why: the first character the code page has no byte for, or
// bytes that are no UTF-8.
bool Utf8ToCodePage(const std::string& text, const CodePage& page, std::string& out,
                    std::string& problem);
// Text of the code page as UTF-8 (a byte without a character as U+FFFD).
std::string CodePageToUtf8(const std::string& text, const CodePage& page);
// True when text is UTF-8 and holds a character beyond ASCII: text a
// vendor saved as UTF-8, which the setup would show byte by byte.
bool LooksLikeUtf8(const std::string& text);

// A name as the host's file functions give it (UTF-8 on Linux, the ANSI
// code page on Windows) in the product's code page.
bool HostNameToCodePage(const std::string& name, const CodePage& page, std::string& out,
                        std::string& problem);
