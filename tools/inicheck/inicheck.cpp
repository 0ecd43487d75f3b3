// inicheck: reads an install script with the setup's own code and reports
// every problem the setup would run into.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/common/scriptcheck.h"
#include "tools/common/toolcli.h"

namespace {

const int kClean = 0, kFindings = 1, kUnusable = 2;

const char kUsage[] =
    "usage: inicheck SCRIPT [--template | --media DIR...]\n"
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
    "  --template       SCRIPT is a template of mkmedia, which writes the disks,\n"
    "                   the disk sections and the packages' files and sizes (?):\n"
    "                   those go unchecked. Without --media, a script with no\n"
    "                   \"disks\" key, no [DiskN] section and a \"?\" for a\n"
    "                   package's files or size is read as a template anyway\n"
    "  --media DIR...   also check the archives the disk sections name: one\n"
    "                   directory for all disks (a CD), or one per disk in order\n"
    "\n"
    "Exit status: 0 no finding, 1 findings, 2 unusable input (bad usage, a script\n"
    "or directory that cannot be read, a script path over 143 characters).\n";

int Unusable(const std::string& message) {
    fprintf(stderr, "inicheck: %s\n", message.c_str());
    return kUnusable;
}

int Usage(const std::string& message) {
    return UsageError("inicheck", nullptr, message);
}

}  // namespace

int main(int argc, char** argv) {
    const char* script = nullptr;
    ScriptCheckOptions options;
    bool media = false, isTemplate = false;
    for (int i = 1; i < argc; ++i) {
        if (IsHelp(argv[i])) {
            fputs(kUsage, stdout);
            return kClean;
        }
        if (!strcmp(argv[i], "--media"))
            media = true;
        else if (!strcmp(argv[i], "--template"))
            isTemplate = true;
        else if (argv[i][0] == '-' && argv[i][1])
            return Usage(std::string("unknown option ") + argv[i]);
        else if (media)
            options.media.push_back(argv[i]);
        else if (!script)
            script = argv[i];
        else
            return Usage("more than one script");
    }
    if (!script) return Usage("no script given");
    if (media && options.media.empty()) return Usage("--media needs a directory");
    if (media && isTemplate)
        return Usage("--media checks the disks of a written script, not a template");

    PfFile* fp = PfOpen(script, "rb");
    if (!fp) return Unusable(std::string(script) + ": cannot be read");
    PfClose(fp);
    for (const std::string& dir : options.media)
        if (!PfIsDirectory(dir.c_str())) return Unusable(dir + ": no such directory");
    if (!UseScriptFile(script))
        return Unusable(std::string(script) +
                        ": its full path is longer than the setup's 143 characters");

    options.isTemplate = isTemplate || (!media && IsScriptTemplate());
    std::vector<ScriptFinding> findings = CheckScript(options);
    for (const ScriptFinding& f : findings) puts(FormatFinding(script, f).c_str());
    return findings.empty() ? kClean : kFindings;
}
