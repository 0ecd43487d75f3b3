// A logo.bmp as read here:
//
//   0   "BM", file size (4), reserved (4), offset of the pixels (4)
//   14  info header: its size (4: 40, or 52 to 124 for the later versions),
//       width (4), height (4, negative: rows top down), planes (2) 1, bits
//       per pixel (2) 4, compression (4) 0; colours used at 32 (4, 0: 16)
//   14 + header size: the palette, 4 bytes a colour (blue, green, red, 0)
//   offset: the rows, 4 bits a pixel, each padded to 4 bytes
//
// The resource is the info header of 40 bytes, 16 colours and the rows
// bottom up: a file's bytes from offset 14 as makeart.py writes them.
#include "tools/common/branding.h"

#include "platform/namelist.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "tools/common/peresource.h"
#include "tools/common/scripttext.h"

namespace {

const int kLogoWidth = 250, kLogoHeight = 75, kColours = 16;
const size_t kRowBytes = (kLogoWidth * 4 + 31) / 32 * 4, kPixelBytes = kRowBytes * kLogoHeight;
const size_t kInfoBytes = 40, kLogoBytes = kInfoBytes + 4 * kColours + kPixelBytes;

uint32_t Get(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

void Put(std::string& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b += char(v >> (8 * i));
}

std::string Problem(const std::string& file, int line, const std::string& message) {
    return file + (line ? ":" + std::to_string(line) : "") + ": error: " + message;
}

// The credit lines as written: UTF-8 (a byte-order mark dropped), lines
// ending in CR LF, LF or CR; blank lines at the end do not count.
std::vector<std::string> CreditLines(const std::string& raw) {
    std::string text = raw.compare(0, 3, "\xEF\xBB\xBF") == 0 ? raw.substr(3) : raw;
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    while (!lines.empty() && lines.back().find_first_not_of(" \t") == std::string::npos)
        lines.pop_back();
    return lines;
}

bool CreditsResource(const std::string& path, const std::string& raw, const CodePage& page,
                     std::string& resource, std::vector<std::string>& problems) {
    const size_t before = problems.size();
    const std::vector<std::string> lines = CreditLines(raw);
    resource.assign(CREDITS_LINES * CREDITS_LINE_SIZE, '\0');
    for (size_t i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        if (i == CREDITS_LINES) {
            problems.push_back(Problem(path, number,
                                       "the intro shows six credit lines: the heading, three "
                                       "of developers and company, two of copyright"));
            break;
        }
        std::string text, problem;
        if (!Utf8ToCodePage(lines[i], page, text, problem)) {
            problems.push_back(Problem(path, number, problem));
            continue;
        }
        bool control = false;
        for (char c : text) control = control || static_cast<unsigned char>(c) < 0x20;
        const int width = CreditWidth(text, page);
        if (control)
            problems.push_back(Problem(path, number, "the line holds a tab or control character"));
        else if (width > kCreditPixels || text.size() >= CREDITS_LINE_SIZE)
            problems.push_back(Problem(path, number,
                                       "the line is " + std::to_string(width) +
                                           " pixels wide in the intro's font; its control "
                                           "shows " +
                                           std::to_string(kCreditPixels)));
        else
            resource.replace(i * CREDITS_LINE_SIZE, text.size(), text);
    }
    return problems.size() == before;
}

#ifdef _WIN32
const char kSeparator[] = "\\";
#else
const char kSeparator[] = "/";
#endif

std::string FindIn(const std::vector<std::string>& names, const std::string& dir,
                   const char* wanted) {
    for (const std::string& n : names)
        if (StrEqualNoCase(n.c_str(), wanted)) return dir.empty() ? n : dir + kSeparator + n;
    return "";
}

}  // namespace

void FindBrandingFiles(const std::string& dir, std::string& logoPath, std::string& creditsPath) {
    std::vector<std::string> names;
    PfFindFiles(((dir.empty() ? "." : dir) + kSeparator + "*").c_str(), names);
    logoPath = FindIn(names, dir, "logo.bmp");
    creditsPath = FindIn(names, dir, "credits.txt");
}

bool LogoResource(const std::string& bmp, std::string& resource, std::string& error) {
    if (bmp.size() < 14 + kInfoBytes || bmp.compare(0, 2, "BM") != 0) {
        error = "not a Windows bitmap (BMP)";
        return false;
    }
    const uint32_t header = Get(bmp, 14, 4), offset = Get(bmp, 10, 4);
    const int width = int(Get(bmp, 18, 4)), height = int(Get(bmp, 22, 4));
    const uint32_t bits = Get(bmp, 28, 2), compression = Get(bmp, 30, 4);
    uint32_t colours = Get(bmp, 46, 4);
    if (colours == 0) colours = kColours;
    if (header < kInfoBytes || header > 124 || Get(bmp, 26, 2) != 1) {
        error = "not a Windows bitmap of a kind this tool reads";
        return false;
    }
    if (width != kLogoWidth || (height != kLogoHeight && height != -kLogoHeight) || bits != 4) {
        error = std::to_string(width) + " x " + std::to_string(height < 0 ? -height : height) +
                " pixels, " + std::to_string(bits) +
                " bits a pixel; the intro's logo is 250 x 75 pixels of 16 colours (4 bits a "
                "pixel)";
        return false;
    }
    if (compression != 0) {
        error = "compressed; save it uncompressed";
        return false;
    }
    if (colours > kColours || 14 + header + 4 * colours > offset ||
        offset + kPixelBytes > bmp.size()) {
        error = "cut short or its palette is damaged";
        return false;
    }
    resource.clear();
    Put(resource, kInfoBytes, 4);
    Put(resource, kLogoWidth, 4);
    Put(resource, kLogoHeight, 4);
    Put(resource, 1, 2);
    Put(resource, 4, 2);
    Put(resource, 0, 4);
    Put(resource, kPixelBytes, 4);
    Put(resource, 0, 4);
    Put(resource, 0, 4);
    Put(resource, kColours, 4);
    Put(resource, kColours, 4);
    resource += bmp.substr(14 + header, 4 * colours);
    resource.append(4 * (kColours - colours), '\0');
    for (int row = 0; row < kLogoHeight; ++row) {
        // Bottom up; the padding after the last pixel of a row is zero.
        int from = height < 0 ? kLogoHeight - 1 - row : row;
        resource += bmp.substr(offset + size_t(from) * kRowBytes, kLogoWidth / 2);
        resource.append(kRowBytes - kLogoWidth / 2, '\0');
    }
    return true;
}

int CreditWidth(const std::string& text, const CodePage& page) {
    int width = 0;
    for (char c : text) width += page.widths[static_cast<unsigned char>(c)];
    return width;
}

bool ReadBranding(const std::string& logoPath, const std::string& creditsPath, const CodePage& page,
                  Branding& branding, std::vector<std::string>& problems) {
    const size_t before = problems.size();
    branding = Branding{};
    std::string bytes, error;
    if (!logoPath.empty()) {
        if (!ReadWholeFile(logoPath, bytes))
            problems.push_back(Problem(logoPath, 0, "cannot be read"));
        else if (!LogoResource(bytes, branding.logo, error))
            problems.push_back(Problem(logoPath, 0, error));
    }
    bytes.clear();
    if (!creditsPath.empty()) {
        if (!ReadWholeFile(creditsPath, bytes))
            problems.push_back(Problem(creditsPath, 0, "cannot be read"));
        else
            CreditsResource(creditsPath, bytes, page, branding.credits, problems);
    }
    return problems.size() == before;
}

bool BrandSetup(std::string& image, const Branding& branding, std::string& error) {
    struct Part {
        uint16_t type;
        const char* name;
        const std::string& data;
        size_t size;
    } parts[] = {{kPeBitmap, "CompanyLogo", branding.logo, kLogoBytes},
                 {kPeRcData, "Credits", branding.credits, CREDITS_LINES * CREDITS_LINE_SIZE}};
    for (const Part& p : parts) {
        if (p.data.empty()) continue;
        size_t offset = 0, size = 0;
        if (!FindPeResource(image, p.type, p.name, offset, size, error)) return false;
        if (size != p.size || p.data.size() != p.size) {
            error = std::string("its resource ") + p.name + " is " + std::to_string(size) +
                    " bytes, not the " + std::to_string(p.size) + " mkmedia writes";
            return false;
        }
        image.replace(offset, size, p.data);
    }
    UpdatePeChecksum(image);
    return true;
}
