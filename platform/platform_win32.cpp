// The operating-system layer on Windows: the Win32 API and the C runtime.
#include "platform/platform.h"

#include <direct.h>
#include <io.h>

#include <cerrno>
#include <cstring>

uint32_t PfGetProfileString(const char* section, const char* key, const char* def,
                            char* buf, uint32_t size, const char* file) {
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

unsigned PfGetWindowsDir(char* buf, unsigned size) { return GetWindowsDirectoryA(buf, size); }

unsigned PfGetSystemDir(char* buf, unsigned size) { return GetSystemDirectoryA(buf, size); }

// Windows refuses to open a read-only file for writing; Wine run as root does
// not, so the attribute is checked here first.
FILE* PfOpen(const char* path, const char* mode) {
    if (strpbrk(mode, "wa+")) {
        DWORD attr = GetFileAttributesA(path);
        if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY) &&
            !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
            errno = EACCES;
            return nullptr;
        }
    }
    return fopen(path, mode);
}

int PfMkdir(const char* path) { return _mkdir(path); }

int PfRmdir(const char* path) { return _rmdir(path); }

int PfChdir(const char* path) { return _chdir(path); }

char* PfGetCwd(char* buf, int size) { return _getcwd(buf, size); }

int PfGetDisk() { return _getdrive() - 1; }

int PfSetDisk(int drive) { return _chdrive(drive + 1); }

int PfAccess(const char* path, int mode) { return _access(path, mode); }

int PfRemove(const char* path) { return remove(path); }

int PfRename(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : -1;
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

int PfSetFileTime(FILE* fp, uint32_t dosStamp) {
    fflush(fp);
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(fp)));
    FILETIME local, utc;
    if (h == INVALID_HANDLE_VALUE) return 0;
    if (!DosDateTimeToFileTime(HIWORD(dosStamp), LOWORD(dosStamp), &local)) return 0;
    if (!LocalFileTimeToFileTime(&local, &utc)) return 0;
    return SetFileTime(h, nullptr, nullptr, &utc) ? 1 : 0;
}

int PfGetFileTime(const char* path, uint32_t* dosStamp) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    FILETIME utc, local;
    WORD date = 0, time = 0;
    BOOL ok = GetFileTime(h, nullptr, nullptr, &utc) && FileTimeToLocalFileTime(&utc, &local) &&
              FileTimeToDosDateTime(&local, &date, &time);
    CloseHandle(h);
    if (!ok) return 0;
    *dosStamp = (uint32_t(date) << 16) | time;
    return 1;
}

// Lists the normal files, or the subdirectories, matching pattern.
static int FindEntries(const char* pattern, std::vector<std::string>& names, bool dirs) {
    names.clear();
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? 1 : 0;
    const DWORD skip = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        bool isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if ((fd.dwFileAttributes & skip) || isDir != dirs) continue;
        if (isDir && (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, ".."))) continue;
        names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return 1;
}

int PfFindFiles(const char* pattern, std::vector<std::string>& names) {
    return FindEntries(pattern, names, false);
}

int PfFindDirs(const char* pattern, std::vector<std::string>& names) {
    return FindEntries(pattern, names, true);
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
