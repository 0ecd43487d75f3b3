// A program for the tests to start: waits, then writes a file.
//
//   win_child.exe MILLISECONDS FILE
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    Sleep(DWORD(atoi(argv[1])));
    FILE* fp = fopen(argv[2], "wb");
    if (!fp) return 1;
    fputs("done\n", fp);
    return fclose(fp) == 0 ? 0 : 1;
}
