// The names PfFindFiles and PfFindDirs find, collected in a list, for the
// tools and the tests (SETUP.EXE itself does without the C++ library).
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

inline void PfAddName(const char* name, void* names) {
    static_cast<std::vector<std::string>*>(names)->push_back(name);
}

inline int PfFindFiles(const char* pattern, std::vector<std::string>& names) {
    names.clear();
    return PfFindFiles(pattern, PfAddName, &names);
}

inline int PfFindDirs(const char* pattern, std::vector<std::string>& names) {
    names.clear();
    return PfFindDirs(pattern, PfAddName, &names);
}
