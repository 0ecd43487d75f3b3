// The operating-system layer on Windows: the Win32 API alone, so that
// SETUP.EXE needs no C runtime.
#include <cstring>
#include <new>

#include "platform/platform.h"
#include "platform/win32s.h"

uint32_t PfGetProfileString(const char* section, const char* key, const char* def, char* buf,
                            uint32_t size, const char* file) {
    return GetPrivateProfileStringA(section, key, def, buf, size, file);
}

uint32_t PfGetProfileSection(const char* section, char* buf, uint32_t size, const char* file) {
    return GetPrivateProfileSectionA(section, buf, size, file);
}

unsigned PfGetProfileInt(const char* section, const char* key, int def, const char* file) {
    return GetPrivateProfileIntA(section, key, def, file);
}

int PfWriteProfileString(const char* section, const char* key, const char* value,
                         const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) ? 1 : 0;
}

int PfWriteWinIni(const char* section, const char* key, const char* value) {
    return WriteProfileStringA(section, key, value) ? 1 : 0;
}

unsigned PfGetWindowsDir(char* buf, unsigned size) {
    return GetWindowsDirectoryA(buf, size);
}

unsigned PfGetSystemDir(char* buf, unsigned size) {
    return GetSystemDirectoryA(buf, size);
}

// The most one ReadFile or WriteFile call is given.
const size_t kMaxTransfer = 0x40000000;

// An open file: its handle and the bytes read ahead of the caller.
struct PfFile {
    HANDLE h;
    DWORD pos, len;  // buf[pos..len) is read but not yet taken
    bool failed;     // a read or write failed
    unsigned char buf[4096];
};

// Windows refuses to open a read-only file for writing; Wine run as root does
// not, so the attribute is checked here first.
PfFile* PfOpen(const char* path, const char* mode) {
    bool create = mode[0] == 'w', update = strchr(mode, '+') != nullptr;
    if (mode[0] != 'r' && !create) return nullptr;
    if (create || update) {
        DWORD attr = GetFileAttributesA(path);
        if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY) &&
            !(attr & FILE_ATTRIBUTE_DIRECTORY))
            return nullptr;
    }
    DWORD access = create ? GENERIC_WRITE : update ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    HANDLE h = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    PfFile* fp = new (std::nothrow) PfFile;
    if (!fp) {
        CloseHandle(h);
        return nullptr;
    }
    fp->h = h;
    fp->pos = fp->len = 0;
    fp->failed = false;
    return fp;
}

int PfClose(PfFile* fp) {
    BOOL closed = CloseHandle(fp->h);
    delete fp;
    return closed ? 0 : -1;
}

// Gives the bytes read ahead back to the file: its pointer is the caller's again.
static bool Unread(PfFile* fp) {
    LONG ahead = LONG(fp->len - fp->pos);
    fp->pos = fp->len = 0;
    return ahead == 0 || SetFilePointer(fp->h, -ahead, nullptr, FILE_CURRENT) != 0xFFFFFFFF;
}

size_t PfRead(PfFile* fp, void* buf, size_t n) {
    unsigned char* out = static_cast<unsigned char*>(buf);
    size_t done = 0;
    while (done < n) {
        if (fp->pos == fp->len) {
            DWORD got = 0;
            // Large reads go straight to the caller's buffer.
            if (n - done >= sizeof fp->buf) {
                DWORD piece = DWORD(n - done < kMaxTransfer ? n - done : kMaxTransfer);
                if (!ReadFile(fp->h, out + done, piece, &got, nullptr)) fp->failed = true;
                if (!got) break;
                done += got;
                continue;
            }
            if (!ReadFile(fp->h, fp->buf, sizeof fp->buf, &got, nullptr)) fp->failed = true;
            if (!got) break;
            fp->pos = 0;
            fp->len = got;
        }
        size_t k = fp->len - fp->pos < n - done ? fp->len - fp->pos : n - done;
        memcpy(out + done, fp->buf + fp->pos, k);
        fp->pos += DWORD(k);
        done += k;
    }
    return done;
}

size_t PfWrite(PfFile* fp, const void* buf, size_t n) {
    const unsigned char* in = static_cast<const unsigned char*>(buf);
    size_t done = 0;
    if (!Unread(fp)) n = 0, fp->failed = true;
    while (done < n) {
        DWORD piece = DWORD(n - done < kMaxTransfer ? n - done : kMaxTransfer), written = 0;
        bool ok = WriteFile(fp->h, in + done, piece, &written, nullptr) != 0;
        done += written;
        if (!ok || written != piece) {
            fp->failed = true;
            break;
        }
    }
    return done;
}

int PfSeek(PfFile* fp, long offset, PfSeekOrigin origin) {
    if (origin == PF_SEEK_SET && offset < 0) return -1;
    if (origin == PF_SEEK_CUR) offset -= long(fp->len - fp->pos);
    fp->pos = fp->len = 0;
    DWORD method = origin == PF_SEEK_SET   ? FILE_BEGIN
                   : origin == PF_SEEK_END ? FILE_END
                                           : FILE_CURRENT;
    return SetFilePointer(fp->h, offset, nullptr, method) == 0xFFFFFFFF ? -1 : 0;
}

int PfError(PfFile* fp) {
    return fp->failed ? 1 : 0;
}

long PfTell(PfFile* fp) {
    DWORD at = SetFilePointer(fp->h, 0, nullptr, FILE_CURRENT);
    if (at == 0xFFFFFFFF || at > 0x7FFFFFFFu) return -1;
    return long(at) - long(fp->len - fp->pos);
}

void PfPrintLine(const char* text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(out, text, DWORD(strlen(text)), &written, nullptr);
    WriteFile(out, "\r\n", 2, &written, nullptr);
}

int PfMkdir(const char* path) {
    return CreateDirectoryA(path, nullptr) ? 0 : -1;
}

int PfRmdir(const char* path) {
    return RemoveDirectoryA(path) ? 0 : -1;
}

int PfChdir(const char* path) {
    return SetCurrentDirectoryA(path) ? 0 : -1;
}

char* PfGetCwd(char* buf, int size) {
    if (size <= 0) return nullptr;
    DWORD n = GetCurrentDirectoryA(DWORD(size), buf);
    return n > 0 && n < DWORD(size) ? buf : nullptr;
}

int PfGetDisk() {
    char cwd[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
    if (n == 0 || n >= sizeof cwd || cwd[1] != ':') return -1;
    char c = cwd[0] >= 'a' && cwd[0] <= 'z' ? char(cwd[0] - 'a' + 'A') : cwd[0];
    return c >= 'A' && c <= 'Z' ? c - 'A' : -1;
}

// "X:" alone: the system finds the directory that drive had last.
int PfSetDisk(int drive) {
    if (drive < 0 || drive > 25) return -1;
    char name[3] = {char('A' + drive), ':', 0};
    return SetCurrentDirectoryA(name) ? 0 : -1;
}

// 0 exists, 2 write, 4 read (6 both): a directory is never refused reading
// or writing by its attribute, a read-only file is refused writing.
int PfAccess(const char* path, int mode) {
    DWORD attr = GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES) return -1;
    if ((mode & 2) && (attr & FILE_ATTRIBUTE_READONLY) && !(attr & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return 0;
}

int PfRemove(const char* path) {
    return DeleteFileA(path) ? 0 : -1;
}

// Windows 95 has no MoveFileExA that works: there the target goes first.
int PfRename(const char* from, const char* to) {
    typedef BOOL(WINAPI * MoveFileExFn)(const char*, const char*, DWORD);
    FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA");
    MoveFileExFn moveEx = reinterpret_cast<MoveFileExFn>(reinterpret_cast<void (*)()>(proc));
    if (moveEx && moveEx(from, to, MOVEFILE_REPLACE_EXISTING)) return 0;
    if (moveEx && GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return -1;
    if (GetFileAttributesA(from) == INVALID_FILE_ATTRIBUTES) return -1;
    DeleteFileA(to);
    return MoveFileA(from, to) ? 0 : -1;
}

bool PfIsDirectory(const char* path) {
    DWORD attr = GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

int PfSetReadOnly(const char* path, bool readOnly) {
    DWORD attr = GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES) return -1;
    attr = readOnly ? (attr | FILE_ATTRIBUTE_READONLY) : (attr & ~FILE_ATTRIBUTE_READONLY);
    return SetFileAttributesA(path, attr) ? 0 : -1;
}

int PfSetFileTime(PfFile* fp, uint32_t dosStamp) {
    return SetDosWriteTime(fp->h, HIWORD(dosStamp), LOWORD(dosStamp)) ? 1 : 0;
}

// A directory opens only with backup semantics, which Win32s does not know:
// there only files have times to read.
int PfGetFileTime(const char* path, uint32_t* dosStamp) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, IsWin32s() ? 0 : FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    WORD date = 0, time = 0;
    bool ok = GetDosWriteTime(h, &date, &time);
    CloseHandle(h);
    if (!ok) return 0;
    *dosStamp = (uint32_t(date) << 16) | time;
    return 1;
}

// Hands over the normal files, or the subdirectories, matching pattern.
static int FindEntries(const char* pattern, PfFoundFn found, void* context, bool dirs) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? 1 : 0;
    const DWORD skip = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        bool isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if ((fd.dwFileAttributes & skip) || isDir != dirs) continue;
        if (isDir && (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, ".."))) continue;
        found(fd.cFileName, context);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return 1;
}

int PfFindFiles(const char* pattern, PfFoundFn found, void* context) {
    return FindEntries(pattern, found, context, false);
}

int PfFindDirs(const char* pattern, PfFoundFn found, void* context) {
    return FindEntries(pattern, found, context, true);
}

int PfGetDiskFree(char drive, uint64_t* bytes) {
    char root[] = {drive, ':', '\\', '\0'};
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 0;
    *bytes = uint64_t(freeClusters) * sectorsPerCluster * bytesPerSector;
    return 1;
}

static PfMessageBoxHook messageBoxHook = nullptr;

int PfMessageBox(HWND owner, const char* text, const char* caption, unsigned type) {
    if (messageBoxHook) return messageBoxHook(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

PfMessageBoxHook PfSetMessageBoxHook(PfMessageBoxHook hook) {
    PfMessageBoxHook old = messageBoxHook;
    messageBoxHook = hook;
    return old;
}
