// The open modes of PfOpen, read the same way by both layers.
#pragma once

#include <cstring>

enum class PfMode { Bad, Read, Create, Update };

// "rb", "wb" and "rb+" (or "r+b"); any other mode is refused.
inline PfMode PfParseMode(const char* mode) {
    if (!strcmp(mode, "rb")) return PfMode::Read;
    if (!strcmp(mode, "wb")) return PfMode::Create;
    if (!strcmp(mode, "rb+") || !strcmp(mode, "r+b")) return PfMode::Update;
    return PfMode::Bad;
}
