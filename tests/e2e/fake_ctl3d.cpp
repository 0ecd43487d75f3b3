// A stand-in for the 3-D controls library, shipped beside SETUP.EXE as
// ctl3d32.tmp in a scenario: it notes each call in ctl3d.log beside the
// program that loaded it.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

void Note(const char* call) {
    char path[MAX_PATH];
    // A path that fills the buffer has no NUL on Windows 95 and NT.
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    path[n] = '\0';
    char* slash = strrchr(path, '\\');
    if (!slash) return;
    slash[1] = '\0';
    char log[MAX_PATH + 16];
    snprintf(log, sizeof log, "%sctl3d.log", path);
    if (FILE* fp = fopen(log, "a")) {
        fprintf(fp, "%s\n", call);
        fclose(fp);
    }
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI Ctl3dRegister(HINSTANCE) {
    Note("Ctl3dRegister");
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE) {
    Note("Ctl3dAutoSubclass");
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI Ctl3dUnregister(HINSTANCE) {
    Note("Ctl3dUnregister");
    return TRUE;
}
