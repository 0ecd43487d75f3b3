// arc: the vendor's command for the setup's archives.
#include <cstring>

#include "tools/arc/arc.h"
#include "tools/common/toolcli.h"

namespace {

const ToolCommand kCommands[] = {
    {"create", "arc create ARCHIVE DIR",
     "Packs every file below DIR into ARCHIVE, in sorted order. Stored names are\n"
     "relative to DIR with backslashes; each member keeps the file's modification\n"
     "time as a DOS date and time and is deflated at zlib level 9 with its CRC-32.\n"
     "Names the setup could not extract (no dot, device names, characters Windows\n"
     "refuses, longer than 259 characters) are refused. Empty directories are not\n"
     "stored.\n"},
    {"list", "arc list ARCHIVE",
     "Lists every member: length, packed length, ratio (packed as a percentage of\n"
     "the length), CRC-32, date, time and stored name; then a total line.\n"},
    {"test", "arc test ARCHIVE",
     "Inflates and checks every member without writing anything: the stream, its\n"
     "CRC-32, its length and its stored name. Names the first bad member.\n"},
    {"extract", "arc extract ARCHIVE DESTDIR [--flat]",
     "Extracts every member into DESTDIR (created when missing) exactly as the\n"
     "setup does: with the stored directories, or with --flat every member under\n"
     "its last name component. Members get their stored dates. On a terminal a\n"
     "progress line shows the archive's and the member's percentages.\n"},
};

const char kExitHelp[] =
    "Exit status: 0 success, 1 failure (the message names the archive and, where\n"
    "known, the member), 2 bad usage.\n";

void MainHelp(FILE* out) {
    fputs("usage: arc COMMAND ARGS...    (arc COMMAND --help for one command)\n\n", out);
    for (const ToolCommand& c : kCommands) fprintf(out, "  %s\n", c.usage);
    fprintf(out, "\n%s", kExitHelp);
}

// Bad usage of a command, or of arc itself when c is null.
int Usage(const std::string& message, const ToolCommand* c) {
    return UsageError("arc", c ? c->name : nullptr, message);
}

int Run(const ToolCommand& c, int argc, char** argv) {
    bool flat = false;
    int n = 0;
    const char* args[2] = {nullptr, nullptr};
    for (int i = 0; i < argc; ++i) {
        if (IsHelp(argv[i])) {
            printf("usage: %s\n\n%s\n%s", c.usage, c.help, kExitHelp);
            return EXIT_OK;
        }
        if (!strcmp(c.name, "extract") && !strcmp(argv[i], "--flat"))
            flat = true;
        else if (argv[i][0] == '-' && argv[i][1])
            return Usage(std::string("unknown option ") + argv[i], &c);
        else if (n < 2)
            args[n++] = argv[i];
        else
            return Usage("too many arguments", &c);
    }
    bool twoArgs = !strcmp(c.name, "create") || !strcmp(c.name, "extract");
    if (n != (twoArgs ? 2 : 1))
        return Usage(std::string("wrong number of arguments: ") + c.usage, &c);
    if (!strcmp(c.name, "create")) return CmdCreate(args[0], args[1]);
    if (!strcmp(c.name, "list")) return CmdList(args[0]);
    if (!strcmp(c.name, "test")) return CmdTest(args[0]);
    return CmdExtract(args[0], args[1], flat);
}

}  // namespace

int Fail(const std::string& text) {
    fflush(stdout);
    fprintf(stderr, "arc: %s\n", text.c_str());
    return EXIT_FAILED;
}

int main(int argc, char** argv) {
    if (argc < 2) return Usage("no command given", nullptr);
    if (IsHelp(argv[1]) || !strcmp(argv[1], "help")) {
        MainHelp(stdout);
        return EXIT_OK;
    }
    for (const ToolCommand& c : kCommands)
        if (!strcmp(argv[1], c.name)) return Run(c, argc - 2, argv + 2);
    return Usage(std::string("unknown command ") + argv[1], nullptr);
}
