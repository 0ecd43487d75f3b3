// The bytes of an install script: what the vendor typed (UTF-8, maybe with
// a byte-order mark, lines ending in CR LF, LF or CR) against what the
// setup reads (the system's ANSI code page, one byte a character, no mark).
#pragma once

#include <string>
#include <vector>

#include "tools/common/codepage.h"
#include "tools/common/scriptcheck.h"

// A template as the vendor wrote it, in the code page, its byte-order mark
// dropped and every line ending in CR LF. Errors name the section, key and
// line of what cannot be converted; out is then incomplete.
std::vector<ScriptFinding> ConvertTemplate(const std::string& raw, const CodePage& page,
                                           std::string& out);

// What in a script's bytes the setup reads otherwise than the vendor likely
// meant: a byte-order mark before the first section, UTF-16, lines ending
// in CR alone, UTF-8 text, bytes that are no character of the code page.
std::vector<ScriptFinding> CheckScriptBytes(const std::string& raw, const CodePage& page);

// A finding of the script checker, whose texts quote the script in the code
// page, with its texts in UTF-8 for the terminal.
ScriptFinding FindingAsUtf8(const ScriptFinding& finding, const CodePage& page);

// The text of a file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// A file of the system's temporary directory holding given bytes, removed
// again with the object: a converted template for the profile functions,
// which read files only.
class ScratchFile {
public:
    ScratchFile() = default;
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // False with a reason in error.
    bool Write(const std::string& bytes, std::string& error);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
