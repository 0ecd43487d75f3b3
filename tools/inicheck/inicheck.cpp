// inicheck: reads an install script with the setup's own code and reports
// every problem the setup would run into.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/common/branding.h"
#include "tools/common/scriptcheck.h"
#include "tools/common/scripttext.h"

namespace {

const int kClean = 0, kFindings = 1, kUnusable = 2;

const char kUsage[] =
    "usage: inicheck SCRIPT [--codepage N] [--media DIR...]\n"
    "\n"
    "Reads the install script SCRIPT with the setup's own reader and prints one\n"
    "line per problem:\n"
    "\n"
    "  SCRIPT:SECTION:KEY: error: MESSAGE      the setup fails, refuses, cuts or loses\n"
    "  SCRIPT:SECTION:KEY: warning: MESSAGE    it installs, but likely not as meant\n"
    "\n"
    "KEY is empty for a finding about a whole section. Path codes expand with\n"
    "this machine's Windows and system directories, the fonts directory as\n"
    "WINDOWS\\FONTS and the default destination (BaseDir) for %I.\n"
    "\n"
    "The script's bytes are read as the setup reads them, in the ANSI code page\n"
    "of the users' Windows; text saved as UTF-8, a byte-order mark or lines\n"
    "ending in CR alone are named. A logo.bmp or credits.txt beside SCRIPT (as\n"
    "in a product directory) is checked as mkmedia uses it:\n"
    "\n"
    "  FILE:LINE: error: MESSAGE\n"
    "\n"
    "  --codepage N     the code page: 1252 (default), 1250, 1251, 1253 to 1257\n"
    "  --media DIR...   also check the archives the disk sections name: one\n"
    "                   directory for all disks (a CD), or one per disk in order\n"
    "\n"
    "Exit status: 0 no finding, 1 findings, 2 unusable input (bad usage, a script\n"
    "or directory that cannot be read, a script path over 143 characters).\n";

int Unusable(const std::string& message) {
    fprintf(stderr, "inicheck: %s\n", message.c_str());
    return kUnusable;
}

bool IsHelp(const char* arg) {
    return !strcmp(arg, "--help") || !strcmp(arg, "-h");
}

// The directory of a path as given ("" for the current one).
std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "" : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

int main(int argc, char** argv) {
    const char* script = nullptr;
    ScriptCheckOptions options;
    bool media = false;
    const CodePage* page = FindCodePage(1252);
    for (int i = 1; i < argc; ++i) {
        if (IsHelp(argv[i])) {
            fputs(kUsage, stdout);
            return kClean;
        }
        if (!strcmp(argv[i], "--codepage")) {
            char* end = nullptr;
            page = i + 1 < argc ? FindCodePage(int(strtol(argv[++i], &end, 10))) : nullptr;
            if (!page || *end)
                return Unusable("--codepage needs one of " + CodePageNumbers() + "\n" + kUsage);
        } else if (!strcmp(argv[i], "--media"))
            media = true;
        else if (argv[i][0] == '-' && argv[i][1])
            return Unusable(std::string("unknown option ") + argv[i] + "\n" + kUsage);
        else if (media)
            options.media.push_back(argv[i]);
        else if (!script)
            script = argv[i];
        else
            return Unusable(std::string("more than one script\n") + kUsage);
    }
    if (!script) return Unusable(std::string("no script given\n") + kUsage);
    if (media && options.media.empty()) return Unusable("--media needs a directory");

    std::string raw;
    if (!ReadWholeFile(script, raw)) return Unusable(std::string(script) + ": cannot be read");
    for (const std::string& dir : options.media)
        if (!PfIsDirectory(dir.c_str())) return Unusable(dir + ": no such directory");
    if (!UseScriptFile(script))
        return Unusable(std::string(script) +
                        ": its full path is longer than the setup's 143 characters");

    const std::vector<ScriptFinding> bytes = CheckScriptBytes(raw, *page);
    for (const ScriptFinding& f : bytes) puts(FormatFinding(script, f).c_str());
    const std::vector<ScriptFinding> findings = CheckScript(options);
    for (const ScriptFinding& f : findings)
        puts(FormatFinding(script, FindingAsUtf8(f, *page)).c_str());

    std::string logo, credits;
    FindBrandingFiles(DirectoryOf(script), logo, credits);
    Branding branding;
    std::vector<std::string> problems;
    ReadBranding(logo, credits, *page, branding, problems);
    for (const std::string& p : problems) puts(p.c_str());
    return bytes.empty() && findings.empty() && problems.empty() ? kClean : kFindings;
}
