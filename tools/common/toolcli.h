// What the vendor's tools share on their command lines.
#pragma once

#include <string>

// A sub-command of a tool: its name, its usage line and what it does.
struct ToolCommand {
    const char* name;
    const char* usage;
    const char* help;
};

// "--help" or "-h".
bool IsHelp(const char* arg);

// A usage error: one line on standard error, "PROGRAM: MESSAGE", with a
// pointer to PROGRAM's --help (command: its sub-command, or null). Returns
// the exit status of bad usage, 2.
int UsageError(const char* program, const char* command, const std::string& message);

// dir and name (a stored name may hold backslashes) joined into a host path
// as the host writes it: with backslashes on Windows, slashes elsewhere
// unless dir is written the Windows way. The platform layer takes both;
// messages show what the user would type.
std::string HostJoin(const std::string& dir, const std::string& name);
