// The operating-system layer on Windows: the Win32 API alone, so that
// SETUP.EXE needs no C runtime.
#include <cstring>
#include <new>

#include "platform/openmode.h"
#include "platform/platform.h"
#include "platform/strutil.h"
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

static PfMoveFileExFn moveFileExStandIn = nullptr;
static PfCreateFileFn createFileStandIn = nullptr;

void PfSetKernelStandIns(PfMoveFileExFn moveFileEx, PfCreateFileFn createFile) {
    moveFileExStandIn = moveFileEx;
    createFileStandIn = createFile;
}

// Windows refuses to write or replace a read-only file; Wine run as root does
// not, so the attribute is checked first.
static bool IsReadOnlyFile(DWORD attr) {
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY) &&
           !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

// A hidden or system file is replaced only when created with those attributes.
PfFile* PfOpen(const char* path, const char* mode) {
    PfMode m = PfParseMode(mode);
    if (m == PfMode::Bad) return nullptr;
    DWORD keep = FILE_ATTRIBUTE_NORMAL;
    if (m != PfMode::Read) {
        DWORD attr = GetFileAttributesA(path);
        if (IsReadOnlyFile(attr)) return nullptr;
        const DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if (attr != INVALID_FILE_ATTRIBUTES && (attr & hiddenSystem)) keep = attr & hiddenSystem;
    }
    DWORD access = m == PfMode::Create   ? GENERIC_WRITE
                   : m == PfMode::Update ? GENERIC_READ | GENERIC_WRITE
                                         : GENERIC_READ;
    PfCreateFileFn create = createFileStandIn ? createFileStandIn : CreateFileA;
    HANDLE h = create(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      m == PfMode::Create ? CREATE_ALWAYS : OPEN_EXISTING, keep, nullptr);
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

// The target is worked out first: a seek that fails leaves the position and
// the bytes read ahead as they were.
int PfSeek(PfFile* fp, long offset, PfSeekOrigin origin) {
    long long base = 0;
    if (origin == PF_SEEK_CUR) {
        base = PfTell(fp);
    } else if (origin == PF_SEEK_END) {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(fp->h, &info)) return -1;
        base = info.nFileSizeHigh ? -1 : (long long)info.nFileSizeLow;
    }
    long long target = base + offset;
    if (base < 0 || target < 0 || target > 0x7FFFFFFF) return -1;
    fp->pos = fp->len = 0;
    return SetFilePointer(fp->h, LONG(target), nullptr, FILE_BEGIN) == 0xFFFFFFFF ? -1 : 0;
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

// The drive a path starts with (A = 0), or -1.
static int DriveOf(const char* path) {
    char c = path[0] >= 'a' && path[0] <= 'z' ? char(path[0] - 'a' + 'A') : path[0];
    return c >= 'A' && c <= 'Z' && path[1] == ':' ? c - 'A' : -1;
}

// Each drive's current directory, as DOS and Windows 95 keep them; Windows
// NT keeps the current drive's alone.
static char driveDirs[26][MAX_PATH];

static void RememberCwd() {
    char cwd[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
    int drive = n > 0 && n < sizeof cwd ? DriveOf(cwd) : -1;
    if (drive >= 0) BufCopy(driveDirs[drive], cwd);
}

int PfChdir(const char* path) {
    RememberCwd();
    if (!SetCurrentDirectoryA(path)) return -1;
    RememberCwd();
    return 0;
}

char* PfGetCwd(char* buf, int size) {
    if (size <= 0) return nullptr;
    DWORD n = GetCurrentDirectoryA(DWORD(size), buf);
    return n > 0 && n < DWORD(size) ? buf : nullptr;
}

int PfGetDisk() {
    char cwd[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
    return n > 0 && n < sizeof cwd ? DriveOf(cwd) : -1;
}

// "X:" alone, for a drive not visited yet: the system's idea of its directory.
int PfSetDisk(int drive) {
    if (drive < 0 || drive > 25) return -1;
    RememberCwd();
    if (driveDirs[drive][0] && SetCurrentDirectoryA(driveDirs[drive])) return 0;
    char name[3] = {char('A' + drive), ':', 0};
    return SetCurrentDirectoryA(name) ? 0 : -1;
}

// 0 exists, 2 write, 4 read (6 both): a directory is never refused reading
// or writing by its attribute, a read-only file is refused writing.
int PfAccess(const char* path, int mode) {
    DWORD attr = GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES) return -1;
    if ((mode & 2) && IsReadOnlyFile(attr)) return -1;
    return 0;
}

int PfRemove(const char* path) {
    return DeleteFileA(path) ? 0 : -1;
}

// A name beside path (in its directory) that no file has, for moving path
// aside; 8.3, as Win32s knows no other.
static bool NameBeside(const char* path, char* name) {
    int dir = 0;
    for (int i = 0; path[i]; ++i)
        if (path[i] == '\\' || path[i] == '/' || (path[i] == ':' && i == 1)) dir = i + 1;
    for (unsigned n = 0; n <= 0xFFFF; ++n) {
        if (!BufFormat(name, MAX_PATH, "%.*s~PF%04X.TMP", dir, path, n)) return false;
        if (GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES) return true;
    }
    return false;
}

// Without a MoveFileExA that works (Windows 95, Win32s) MoveFileA replaces
// nothing: the target is moved aside and put back if the move fails, so that
// one of the two files is always there.
static int RenameAside(const char* from, const char* to) {
    if (MoveFileA(from, to)) return 0;
    DWORD attr = GetFileAttributesA(to);
    if (GetFileAttributesA(from) == INVALID_FILE_ATTRIBUTES || attr == INVALID_FILE_ATTRIBUTES ||
        (attr & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    char aside[MAX_PATH];
    if (!NameBeside(to, aside)) return -1;
    if (!MoveFileA(to, aside)) return -1;
    if (MoveFileA(from, to)) {
        DeleteFileA(aside);
        return 0;
    }
    // A source gone with the target was the target itself: put back, it has
    // the name asked for.
    bool same = GetFileAttributesA(from) == INVALID_FILE_ATTRIBUTES;
    return MoveFileA(aside, to) && same ? 0 : -1;
}

int PfRename(const char* from, const char* to) {
    if (IsReadOnlyFile(GetFileAttributesA(to))) return -1;
    typedef BOOL(WINAPI * MoveFileExFn)(const char*, const char*, DWORD);
    FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA");
    MoveFileExFn moveEx = moveFileExStandIn
                              ? moveFileExStandIn
                              : reinterpret_cast<MoveFileExFn>(reinterpret_cast<void (*)()>(proc));
    if (moveEx && moveEx(from, to, MOVEFILE_REPLACE_EXISTING)) return 0;
    if (moveEx && GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return -1;
    return RenameAside(from, to);
}

bool PfIsDirectory(const char* path) {
    DWORD attr = GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Sets the attributes set and clears the others of mask.
static int ChangeAttributes(const char* path, DWORD mask, DWORD set) {
    DWORD attr = GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES) return -1;
    return SetFileAttributesA(path, (attr & ~mask) | set) ? 0 : -1;
}

int PfSetReadOnly(const char* path, bool readOnly) {
    return ChangeAttributes(path, FILE_ATTRIBUTE_READONLY, readOnly ? FILE_ATTRIBUTE_READONLY : 0);
}

int PfSetHidden(const char* path, bool hidden, bool system) {
    return ChangeAttributes(
        path, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
        (hidden ? FILE_ATTRIBUTE_HIDDEN : 0) | (system ? FILE_ATTRIBUTE_SYSTEM : 0));
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
// Windows matches the pattern against the short names too ("*.ff1" finds
// "b.ff1x" as B~1.FF1): only long names that match are taken.
static int FindEntries(const char* pattern, PfFoundFn found, void* context, bool dirs) {
    const char* namePattern = pattern;
    for (const char* p = pattern; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') namePattern = p + 1;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? 1 : 0;
    const DWORD skip = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        bool isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if ((fd.dwFileAttributes & skip) || isDir != dirs) continue;
        if (isDir && (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, ".."))) continue;
        if (StrMatchWild(namePattern, fd.cFileName)) found(fd.cFileName, context);
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
