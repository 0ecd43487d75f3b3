// A program for run items to start: appends "NAME start TICKS", waits a
// little, then appends "NAME end TICKS", so that a log shows whether the
// programs overlapped.
//
//   win_runlog.exe NAME FILE
#include <windows.h>

#include <cstdio>

static bool Append(const char* file, const char* name, const char* what) {
    FILE* fp = fopen(file, "ab");
    if (!fp) return false;
    fprintf(fp, "%s %s %lu\n", name, what, static_cast<unsigned long>(GetTickCount()));
    return fclose(fp) == 0;
}

int main(int argc, char** argv) {
    // Anything more on the command line means it was not cut as meant.
    if (argc != 3) return 2;
    if (!Append(argv[2], argv[1], "start")) return 1;
    Sleep(300);
    return Append(argv[2], argv[1], "end") ? 0 : 1;
}
