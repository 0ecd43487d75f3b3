// The installation benchmark's helper under Wine (install_bench.py drives it):
//
//   benchrun setup LOG PROGRAM   run PROGRAM (SETUP.EXE) with stagelog.dll's hook
//                                in place; LOG gets "start" and "exit" lines
//                                around the events stagelog.dll writes
//   benchrun copy FROM TO        copy every file of directory FROM into TO as the
//                                setup writes its members: 8 KB writes, the
//                                file's date, close; prints files, bytes and µs
//   benchrun time COMMAND...     run a program to its end; prints its µs
//
// Times are the performance counter's, in microseconds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/strutil.h"

namespace {

unsigned long long Now() {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return now.QuadPart / freq.QuadPart * 1000000ull +
           now.QuadPart % freq.QuadPart * 1000000ull / freq.QuadPart;
}

void Append(const char* path, const char* event, unsigned long long us, long detail) {
    HANDLE h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    char line[100];
    BufFormat(line, "%llu %s %ld\r\n", us, event, detail);
    DWORD written;
    WriteFile(h, line, DWORD(strlen(line)), &written, nullptr);
    CloseHandle(h);
}

// Starts the command and waits for it, pumping: a program that owns a
// window must answer the broadcasts of others (DDE). Returns its exit code,
// or -1 when it did not start.
long RunToEnd(std::string command) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT) !=
           WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return long(code);
}

int Setup(const char* log, const char* program) {
    char dll[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, dll, sizeof dll);
    char* slash = n && n < sizeof dll ? strrchr(dll, '\\') : nullptr;
    if (!slash || !BufCopy(slash + 1, sizeof dll - (slash + 1 - dll), "stagelog.dll")) return 2;
    HMODULE lib = LoadLibraryA(dll);
    HOOKPROC proc =
        lib ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(lib, "CbtProc")))
            : nullptr;
    HHOOK hook = proc ? SetWindowsHookExA(WH_CBT, proc, lib, 0) : nullptr;
    if (!hook) {
        fprintf(stderr, "benchrun: no hook from %s\n", dll);
        return 2;
    }
    DeleteFileA(log);
    SetEnvironmentVariableA("SETUP_BENCH_LOG", log);
    Append(log, "start", Now(), 0);
    long code = RunToEnd(std::string("\"") + program + "\"");
    Append(log, "exit", Now(), code);
    UnhookWindowsHookEx(hook);
    return code == 0 ? 0 : 1;
}

// One file as the setup writes a member: 8 KB pieces, the date, the close.
bool CopyOne(const std::string& from, const std::string& to, unsigned long long& bytes) {
    HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = out != INVALID_HANDLE_VALUE;
    static char buf[8192];
    DWORD got = 0, written = 0;
    while (ok && ReadFile(in, buf, sizeof buf, &got, nullptr) && got) {
        ok = WriteFile(out, buf, got, &written, nullptr) && written == got;
        bytes += got;
    }
    FILETIME stamp;
    if (ok && GetFileTime(in, nullptr, nullptr, &stamp)) SetFileTime(out, nullptr, nullptr, &stamp);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    CloseHandle(in);
    return ok;
}

int Copy(const std::string& from, const std::string& to) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((from + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return 1;
    unsigned long long start = Now(), bytes = 0;
    unsigned files = 0;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!CopyOne(from + "\\" + fd.cFileName, to + "\\" + fd.cFileName, bytes)) return 1;
        ++files;
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    printf("copy %u %llu %llu\n", files, bytes, Now() - start);
    return 0;
}

int Time(int argc, char** argv) {
    std::string command;
    for (int i = 2; i < argc; ++i) command += std::string(i > 2 ? " " : "") + argv[i];
    unsigned long long start = Now();
    long code = RunToEnd(command);
    printf("time %llu %ld\n", Now() - start, code);
    return code == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && !strcmp(argv[1], "setup")) return Setup(argv[2], argv[3]);
    if (argc == 4 && !strcmp(argv[1], "copy")) return Copy(argv[2], argv[3]);
    if (argc >= 3 && !strcmp(argv[1], "time")) return Time(argc, argv);
    fprintf(stderr, "usage: benchrun setup LOG PROGRAM | copy FROM TO | time COMMAND...\n");
    return 2;
}
