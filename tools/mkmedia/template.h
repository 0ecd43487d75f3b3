// The product's install script template and the script written from it.
#pragma once

#include <string>
#include <utility>
#include <vector>

// One line of the template as the profile reader sees it.
struct ScriptLine {
    std::string text;     // as written, without its line end
    std::string section;  // the section it belongs to ("" before the first)
    std::string key;      // the key it sets; empty for headers, comments, blanks
    bool header;
};

// Splits the template into lines; refuses a section written twice (the
// setup reads the first only), a missing "Install" section, and the key
// "disks" or disk sections, which the media builder writes. False with a
// reason in error.
bool SplitTemplate(const std::string& text, std::vector<ScriptLine>& lines, std::string& error);

typedef std::vector<std::pair<std::string, std::string>> KeyValues;

// The script: the template's lines with "disks" first in "Install", each
// key of "Packages" named in packageValues given its new value, and the
// disk sections appended ("Disk1" first). Lines end in CR LF.
std::string RenderScript(const std::vector<ScriptLine>& lines, int disks,
                         const KeyValues& packageValues,
                         const std::vector<KeyValues>& diskSections);

// A package value with its files and size fields replaced: fields holds
// the value's fields as the setup splits them.
std::string PackageValue(const std::vector<std::string>& fields, unsigned files,
                         unsigned long long sizeK);
