#include "tools/common/toolcli.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

bool IsHelp(const char* arg) {
    return !strcmp(arg, "--help") || !strcmp(arg, "-h");
}

int UsageError(const char* program, const char* command, const std::string& message) {
    const std::string name = command ? std::string(program) + " " + command : program;
    fprintf(stderr, "%s: %s (see %s --help)\n", program, message.c_str(), name.c_str());
    return 2;
}

std::string HostJoin(const std::string& dir, const std::string& name) {
#ifdef _WIN32
    return dir + "\\" + name;
#else
    const bool windowsWay =
        dir.find('/') == std::string::npos &&
        (dir.find('\\') != std::string::npos || (dir.size() > 1 && dir[1] == ':'));
    if (windowsWay) return dir + "\\" + name;
    std::string path = dir + "/" + name;
    std::replace(path.begin() + long(dir.size()), path.end(), '\\', '/');
    return path;
#endif
}
