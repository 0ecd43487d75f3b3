#include "tools/common/scripttext.h"

#include <cstdlib>

#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

struct Line {
    std::string text;     // without its line end
    bool crAlone;         // it ends in CR without LF
    std::string section;  // the section it belongs to, or the one it starts
    std::string key;      // the key it sets, empty for others
    bool header;
};

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// The lines as the profile reader takes them: CR LF, LF and CR each end one.
std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::string section;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        Line line{text.substr(pos, end - pos), false, section, "", false};
        pos = end + 1;
        if (end < text.size() && text[end] == '\r') {
            if (pos < text.size() && text[pos] == '\n')
                ++pos;
            else
                line.crAlone = true;
        }
        std::string t = Trim(line.text);
        size_t close = t.rfind(']');
        if (!t.empty() && t[0] == '[' && close != std::string::npos && close > 0) {
            line.header = true;
            section = line.section = t.substr(1, close - 1);
        } else if (!t.empty() && t[0] != ';') {
            line.key = Trim(t.substr(0, t.find('=')));
        }
        lines.push_back(line);
    }
    return lines;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool IsUtf16(const std::string& raw) {
    return StartsWith(raw, "\xFF\xFE") || StartsWith(raw, "\xFE\xFF");
}

ScriptFinding Finding(bool error, const Line& line, size_t number, const std::string& message) {
    return ScriptFinding{line.section, line.key, error,
                         "line " + std::to_string(number) + ": " + message};
}

bool BeyondAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// A finding about the bytes of one line of a script as the setup reads it.
void CheckLineBytes(const Line& line, size_t number, const CodePage& page,
                    std::vector<ScriptFinding>& findings) {
    if (!BeyondAscii(line.text)) return;
    const std::string text = Trim(line.text);
    if (LooksLikeUtf8(text)) {
        findings.push_back(
            Finding(false, line, number,
                    "UTF-8 text: the setup reads the script in the ANSI code page and shows \"" +
                        CodePageToUtf8(text, page) + "\" for \"" + text +
                        "\"; write the script in code page " + std::to_string(page.number) +
                        " (mkmedia converts a template)"));
        return;
    }
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b >= 0x80 && !page.chars[b - 0x80]) {
            char hex[8];
            snprintf(hex, sizeof hex, "0x%02X", unsigned(b));
            findings.push_back(Finding(false, line, number,
                                       std::string("the byte ") + hex +
                                           " is no character of code page " +
                                           std::to_string(page.number)));
            return;
        }
    }
}

}  // namespace

std::vector<ScriptFinding> ConvertTemplate(const std::string& raw, const CodePage& page,
                                           std::string& out) {
    out.clear();
    if (IsUtf16(raw)) return {ScriptFinding{"", "", true, "the file is UTF-16; save it as UTF-8"}};
    const std::string text = StartsWith(raw, kUtf8Mark) ? raw.substr(3) : raw;
    std::vector<ScriptFinding> findings;
    const std::vector<Line> lines = SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string converted, problem;
        if (!Utf8ToCodePage(lines[i].text, page, converted, problem))
            findings.push_back(Finding(true, lines[i], i + 1, problem));
        out += converted + "\r\n";
    }
    return findings;
}

std::vector<ScriptFinding> CheckScriptBytes(const std::string& raw, const CodePage& page) {
    if (IsUtf16(raw))
        return {ScriptFinding{"", "", true,
                              "the file is UTF-16: the setup reads one byte a character and "
                              "finds no section; write it in code page " +
                                  std::to_string(page.number)}};
    std::vector<ScriptFinding> findings;
    std::vector<Line> lines = SplitLines(raw);
    if (StartsWith(raw, kUtf8Mark)) {
        lines[0].text.erase(0, 3);
        // The mark is read as the first line's text: a section header there is lost.
        std::vector<Line> rest = SplitLines(raw.substr(3));
        if (!rest.empty() && rest[0].header)
            findings.push_back(Finding(
                true, rest[0], 1,
                "a UTF-8 byte-order mark stands before [" + rest[0].section +
                    "]: the setup reads no section header there and loses the section; save "
                    "the file without the mark"));
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].crAlone) {
            findings.push_back(Finding(false, lines[i], i + 1,
                                       "the line ends in CR alone; Windows may read it and the "
                                       "next as one line: end every line in CR LF"));
            break;
        }
    }
    for (size_t i = 0; i < lines.size(); ++i) CheckLineBytes(lines[i], i + 1, page, findings);
    return findings;
}

ScriptFinding FindingAsUtf8(const ScriptFinding& f, const CodePage& page) {
    return ScriptFinding{CodePageToUtf8(f.section, page), CodePageToUtf8(f.key, page), f.error,
                         CodePageToUtf8(f.message, page)};
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    PfFile* fp = PfOpen(path.c_str(), "rb");
    if (!fp) return false;
    char chunk[65536];
    size_t n;
    while ((n = PfRead(fp, chunk, sizeof chunk)) > 0) bytes.append(chunk, n);
    bool ok = !PfError(fp);
    PfClose(fp);
    return ok;
}

ScratchFile::~ScratchFile() {
    if (!path_.empty()) PfRemove(path_.c_str());
}

bool ScratchFile::Write(const std::string& bytes, std::string& error) {
#ifdef _WIN32
    char dir[MAX_PATH], name[MAX_PATH];
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n >= sizeof dir || !GetTempFileNameA(dir, "ini", 0, name)) {
        error = "cannot make a file in the temporary directory";
        return false;
    }
    path_ = name;
#else
    const char* dir = getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/scriptXXXXXX";
    int fd = mkstemp(&pattern[0]);
    if (fd < 0) {
        error = pattern + ": cannot make a file in the temporary directory";
        return false;
    }
    close(fd);
    path_ = pattern;
#endif
    PfFile* fp = PfOpen(path_.c_str(), "wb");
    bool ok = fp && PfWrite(fp, bytes.data(), bytes.size()) == bytes.size();
    if (fp) ok = PfClose(fp) == 0 && ok;
    if (!ok) error = path_ + ": cannot write";
    return ok;
}
