#include "tools/mkmedia/template.h"

#include <set>

#include "platform/strutil.h"

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\x1a");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t\x1a") - b + 1);
}

std::string Upper(std::string text) {
    StrUpper(&text[0]);
    return text;
}

// "Disk" and a number: a section the setup reads as a disk.
bool IsDiskSection(const std::string& name) {
    return name.size() > 4 && StrPrefixNoCase(name.c_str(), "Disk", 4) &&
           name.find_first_not_of("0123456789", 4) == std::string::npos;
}

// The section, key and header flag of one line, as the profile reader reads it.
ScriptLine ParseLine(const std::string& raw, const std::string& section) {
    ScriptLine line{raw, section, "", false};
    std::string t = Trim(raw);
    size_t close = t.rfind(']');
    if (!t.empty() && t[0] == '[' && close != std::string::npos && close > 0) {
        line.header = true;
        line.section = t.substr(1, close - 1);
    } else if (!t.empty() && t[0] != ';') {
        line.key = Trim(t.substr(0, t.find('=')));
    }
    return line;
}

}  // namespace

bool SplitTemplate(const std::string& text, std::vector<ScriptLine>& lines, std::string& error) {
    lines.clear();
    std::set<std::string> sections;
    std::string section;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string raw = text.substr(pos, end - pos);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        pos = end + 1;
        ScriptLine line = ParseLine(raw, section);
        section = line.section;
        if (line.header && !sections.insert(Upper(section)).second)
            error = "section [" + section + "] is written twice; the setup reads the first only";
        else if (line.header && IsDiskSection(section))
            error = "section [" + section + "]: mkmedia writes the disk sections";
        else if (StrEqualNoCase(section.c_str(), "Install") &&
                 StrEqualNoCase(line.key.c_str(), "disks"))
            error = "[Install] disks: mkmedia writes the number of disks";
        if (!error.empty()) return false;
        lines.push_back(line);
    }
    if (!sections.count("INSTALL")) error = "there is no [Install] section";
    return error.empty();
}

std::string PackageValue(const std::vector<std::string>& fields, unsigned files,
                         unsigned long long sizeK) {
    std::string value;
    for (size_t i = 0; i < fields.size(); ++i) {
        std::string field = i == 2   ? std::to_string(files)
                            : i == 3 ? std::to_string(sizeK)
                                     : fields[i];
        value += (i ? "," : "") + field;
    }
    return value;
}

std::string RenderScript(const std::vector<ScriptLine>& lines, int disks,
                         const KeyValues& packageValues,
                         const std::vector<KeyValues>& diskSections) {
    std::string out;
    for (const ScriptLine& line : lines) {
        std::string text = line.text;
        if (!line.header && StrEqualNoCase(line.section.c_str(), "Packages")) {
            for (const auto& kv : packageValues)
                if (!line.key.empty() && StrEqualNoCase(kv.first.c_str(), line.key.c_str()))
                    text = line.key + "=" + kv.second;
        }
        out += text + "\r\n";
        if (line.header && StrEqualNoCase(line.section.c_str(), "Install"))
            out += "disks=" + std::to_string(disks) + "\r\n";
    }
    for (size_t d = 0; d < diskSections.size(); ++d) {
        out += "\r\n[Disk" + std::to_string(d + 1) + "]\r\n";
        for (const auto& kv : diskSections[d]) out += kv.first + "=" + kv.second + "\r\n";
    }
    return out;
}
