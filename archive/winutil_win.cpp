#include "app/globals.h"
#include "archive/winutil.h"
#include "platform/platform.h"
#include "platform/win32s.h"

namespace {

const UINT kFirstBufferSize = 8192;
const UINT kLastBufferSize = 512;

HANDLE FileHandle(HFILE file) {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file));
}

// Copies length bytes in buffer-sized pieces; returns the bytes left over
// when a read or a write moved fewer bytes than asked.
LONG CopyBytes(HFILE in, HFILE out, LONG length, char* buffer, UINT size) {
    LONG remaining = length;
    while (remaining > 0) {
        UINT piece = remaining < LONG(size) ? UINT(remaining) : size;
        if (_lread(in, buffer, piece) != piece) break;
        if (_lwrite(out, buffer, piece) != piece) break;
        remaining -= LONG(piece);
    }
    return remaining;
}

// Identity of an existing file: its volume and index.
bool FileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool known = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return known;
}

// Copies between the open files with the locked buffer; 1 when every byte
// arrived.
int CopyOpenFiles(HFILE in, HFILE out, char* buffer, UINT size) {
    LONG length = _llseek(in, 0, FILE_END);
    _llseek(in, 0, FILE_BEGIN);
    WORD date = 0, time = 0;
    bool stamped = GetDosWriteTime(FileHandle(in), &date, &time);
    LONG remaining = length < 0 ? 1 : CopyBytes(in, out, length, buffer, size);
    if (stamped) SetDosWriteTime(FileHandle(out), date, time);
    return remaining == 0 ? 1 : 0;
}

}  // namespace

bool SameFile(const char* src, const char* dest) {
    char a[MAX_PATH], b[MAX_PATH];
    DWORD na = GetFullPathNameA(src, MAX_PATH, a, nullptr);
    DWORD nb = GetFullPathNameA(dest, MAX_PATH, b, nullptr);
    if (na > 0 && na < MAX_PATH && nb > 0 && nb < MAX_PATH && lstrcmpiA(a, b) == 0) return true;
    BY_HANDLE_FILE_INFORMATION s, d;
    return FileIdentity(src, &s) && FileIdentity(dest, &d) &&
           s.dwVolumeSerialNumber == d.dwVolumeSerialNumber &&
           s.nFileIndexHigh == d.nFileIndexHigh && s.nFileIndexLow == d.nFileIndexLow;
}

HGLOBAL AllocCopyBuffer(UINT* size, GlobalAllocFn alloc) {
    for (UINT tried = kFirstBufferSize; tried >= kLastBufferSize; tried /= 2) {
        if (HGLOBAL block = alloc(0, tried)) {
            *size = tried;
            return block;
        }
    }
    return nullptr;
}

int FileCopy(const char* src, const char* dest) {
    if (PfAccess(src, 0) != 0) return 0;
    // The file is already where it is to go.
    if (SameFile(src, dest)) return 1;
    UINT size = 0;
    HGLOBAL block = AllocCopyBuffer(&size);
    if (!block) return 0;
    char* buffer = static_cast<char*>(GlobalLock(block));
    int result = 0;
    if (buffer) {
        HFILE in = _lopen(src, OF_READ);
        HFILE out = in == HFILE_ERROR ? HFILE_ERROR : _lcreat(dest, 0);
        if (out != HFILE_ERROR) {
            result = CopyOpenFiles(in, out, buffer, size);
            _lclose(out);
        }
        if (in != HFILE_ERROR) _lclose(in);
        GlobalUnlock(block);
    }
    GlobalFree(block);
    return result;
}

short ExecuteProgram(char* cmdLine) {
    // Win32s gives no process handle for a 16-bit program, and its wait
    // returns at once: the program starts as Windows 3.1 starts one.
    if (IsWin32s()) {
        WinExec(cmdLine, SW_SHOWNORMAL);
        return 0;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, cmdLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return 1;
}

ResourceRow rsList[NUM_LOCKED_RESOURCES + 1] = {
    {"InstallOptions", RT_DIALOG}, {"GetDisk", RT_DIALOG},  {"DiskSpace", RT_DIALOG},
    {"MyMessageBox", RT_DIALOG},   {"IntroBox", RT_DIALOG}, {"ExtractStatusDlg", RT_DIALOG},
    {"StatusDlg", RT_DIALOG},      {nullptr, nullptr},
};
HGLOBAL hRes[NUM_LOCKED_RESOURCES];

int lockAll() {
    for (int i = 0; rsList[i].name; ++i) {
        HRSRC found = FindResourceA(hInst, rsList[i].name, rsList[i].type);
        hRes[i] = found ? LoadResource(hInst, found) : nullptr;
        if (!hRes[i] || !LockResource(hRes[i])) return 0;
    }
    return 1;
}

// Resources of a Win32 module stay loaded for the life of the process:
// there is nothing to release.
void unlockAll() {}
