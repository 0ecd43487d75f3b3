// The Linux stand-in for the operating-system layer.
//
// Drive letters map onto host directories. Each mapped drive keeps its own
// current directory, as on Windows, and the current drive picks which one
// relative paths start from. Within a mapped drive ".." stops at the root and
// names are looked up without regard to case. A path that starts with "/" is
// a host path; with no drive current, relative paths are host paths too.
// A file without write permission behaves like a read-only file on Windows,
// also for root; a regular file's sticky bit is the hidden attribute, its
// set-group-ID bit (without group execute) the system attribute. Listings
// come in the host directory's order, as FAT gives them in its own.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/openmode.h"
#include "platform/platform.h"
#include "platform/strutil.h"

namespace {

struct Drive {
    std::string root;  // host directory, no trailing slash
    std::string cwd;   // components of the drive's current directory
};

Drive drives[26];
int curDrive = -1;
std::string windowsDir = "C:\\WINDOWS";
std::string systemDir = "C:\\WINDOWS\\SYSTEM";

int DriveIndex(char c) {
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= 'A' && c <= 'Z') return c - 'A';
    return -1;
}

bool IsSep(char c) { return c == '\\' || c == '/'; }

std::string Slashes(const char* path) {
    std::string s(path);
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

// Appends the components of text to comps, folding "." and "..".
void AddComponents(std::vector<std::string>& comps, const std::string& text) {
    size_t i = 0;
    while (i <= text.size()) {
        size_t j = i;
        while (j < text.size() && !IsSep(text[j])) ++j;
        std::string c = text.substr(i, j - i);
        if (c == "..") {
            if (!comps.empty()) comps.pop_back();
        } else if (!c.empty() && c != ".") {
            comps.push_back(c);
        }
        i = j + 1;
    }
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> comps;
    AddComponents(comps, text);
    return comps;
}

// The host name of one component inside a host directory: the existing entry
// that matches without regard to case, else the name as given.
std::string MatchCase(const std::string& dir, const std::string& name) {
    struct stat st;
    if (lstat((dir + "/" + name).c_str(), &st) == 0) return name;
    DIR* d = opendir(dir.c_str());
    if (!d) return name;
    std::string found = name;
    while (dirent* e = readdir(d)) {
        if (StrEqualNoCase(e->d_name, name.c_str())) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

enum class PathKind { Host, Drive, Bad };

// Splits a path into a mapped drive and its components, or a host path.
PathKind Classify(const char* path, int& drive, std::vector<std::string>& comps,
                  std::string& host) {
    if (path[0] && path[1] == ':' && DriveIndex(path[0]) >= 0) {
        drive = DriveIndex(path[0]);
        if (drives[drive].root.empty()) return PathKind::Bad;
        const char* rest = path + 2;
        comps = IsSep(rest[0]) ? std::vector<std::string>() : Split(drives[drive].cwd);
        AddComponents(comps, rest);
        return PathKind::Drive;
    }
    if (path[0] == '/' || curDrive < 0) {
        host = Slashes(path);
        return PathKind::Host;
    }
    drive = curDrive;
    comps = IsSep(path[0]) ? std::vector<std::string>() : Split(drives[drive].cwd);
    AddComponents(comps, path);
    return PathKind::Drive;
}

std::string DriveHostPath(int drive, const std::vector<std::string>& comps) {
    std::string host = drives[drive].root;
    for (const std::string& c : comps) host += "/" + MatchCase(host, c);
    return host.empty() ? "/" : host;
}

// Windows refuses to write, replace or delete a read-only file.
bool IsReadOnlyFile(const std::string& host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & 0222);
}

// Listings skip what Windows would not list: hidden and system files.
bool IsHiddenOrSystem(const struct stat& st) {
    return S_ISREG(st.st_mode) &&
           ((st.st_mode & S_ISVTX) || ((st.st_mode & S_ISGID) && !(st.st_mode & S_IXGRP)));
}

// Clears the mode bits clear and sets set on path; 0 on success.
int ChangeMode(const char* path, mode_t clear, mode_t set, bool filesOnly) {
    std::string host;
    struct stat st;
    if (!PfHostPath(path, host) || stat(host.c_str(), &st) != 0) return -1;
    if (filesOnly && !S_ISREG(st.st_mode)) return -1;
    return chmod(host.c_str(), ((st.st_mode & ~clear) | set) & 07777);
}

unsigned CopyDir(const std::string& dir, char* buf, unsigned size) {
    if (size <= dir.size()) return unsigned(dir.size() + 1);
    memcpy(buf, dir.c_str(), dir.size() + 1);
    return unsigned(dir.size());
}

PfMessageBoxHook messageBoxHook = nullptr;

}  // namespace

void PfMapDrive(char letter, const char* hostDir) {
    int d = DriveIndex(letter);
    if (d < 0) return;
    std::string root = hostDir ? hostDir : "";
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    drives[d].root = root;
    drives[d].cwd.clear();
    if (root.empty() && curDrive == d) curDrive = -1;
}

void PfSetWindowsDirs(const char* windows, const char* system) {
    windowsDir = windows;
    systemDir = system;
}

bool PfHostPath(const char* path, std::string& host) {
    int drive;
    std::vector<std::string> comps;
    switch (Classify(path, drive, comps, host)) {
    case PathKind::Host: return true;
    case PathKind::Drive: host = DriveHostPath(drive, comps); return true;
    default: return false;
    }
}

unsigned PfGetWindowsDir(char* buf, unsigned size) { return CopyDir(windowsDir, buf, size); }

unsigned PfGetSystemDir(char* buf, unsigned size) { return CopyDir(systemDir, buf, size); }

struct PfFile {
    FILE* fp;
};

PfFile* PfOpen(const char* path, const char* mode) {
    PfMode m = PfParseMode(mode);
    std::string host;
    if (m == PfMode::Bad || !PfHostPath(path, host)) {
        errno = m == PfMode::Bad ? EINVAL : ENOENT;
        return nullptr;
    }
    // Creating may change the file at once: check first. An update open
    // changes nothing until written, so the open file is checked.
    if (m == PfMode::Create && IsReadOnlyFile(host)) {
        errno = EACCES;
        return nullptr;
    }
    FILE* fp = fopen(host.c_str(), mode);
    if (!fp) return nullptr;
    // Windows opens no directory as a stream, nor a read-only file for update.
    struct stat st {};
    fstat(fileno(fp), &st);
    bool dir = S_ISDIR(st.st_mode);
    if (dir || (m == PfMode::Update && S_ISREG(st.st_mode) && !(st.st_mode & 0222))) {
        fclose(fp);
        errno = dir ? EISDIR : EACCES;
        return nullptr;
    }
    // Writes reach the file at once, as on Windows.
    if (m != PfMode::Read) setvbuf(fp, nullptr, _IONBF, 0);
    return new PfFile{fp};
}

int PfClose(PfFile* fp) {
    int rc = fclose(fp->fp);
    delete fp;
    return rc == 0 ? 0 : -1;
}

size_t PfRead(PfFile* fp, void* buf, size_t n) { return fread(buf, 1, n, fp->fp); }

size_t PfWrite(PfFile* fp, const void* buf, size_t n) { return fwrite(buf, 1, n, fp->fp); }

int PfSeek(PfFile* fp, long offset, PfSeekOrigin origin) {
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    return fseek(fp->fp, offset, kWhence[origin]) == 0 ? 0 : -1;
}

long PfTell(PfFile* fp) { return ftell(fp->fp); }

int PfError(PfFile* fp) { return ferror(fp->fp); }

void PfPrintLine(const char* text) {
    fputs(text, stdout);
    fputc('\n', stdout);
}

int PfMkdir(const char* path) {
    std::string host;
    if (!PfHostPath(path, host)) return -1;
    return mkdir(host.c_str(), 0777);
}

int PfRmdir(const char* path) {
    std::string host;
    if (!PfHostPath(path, host)) return -1;
    return rmdir(host.c_str());
}

int PfChdir(const char* path) {
    int drive;
    std::vector<std::string> comps;
    std::string host;
    PathKind kind = Classify(path, drive, comps, host);
    if (kind == PathKind::Bad) return -1;
    if (kind == PathKind::Host) {
        if (chdir(host.c_str()) != 0) return -1;
        curDrive = -1;
        return 0;
    }
    if (!PfIsDirectory(DriveHostPath(drive, comps).c_str())) return -1;
    std::string cwd;
    for (const std::string& c : comps) cwd += "\\" + c;
    drives[drive].cwd = cwd;
    // As SetCurrentDirectoryA, a path on another drive makes that drive current.
    curDrive = drive;
    return 0;
}

char* PfGetCwd(char* buf, int size) {
    if (size <= 0) return nullptr;
    if (curDrive < 0) return getcwd(buf, size_t(size));
    std::string cwd = std::string(1, char('A' + curDrive)) + ":" +
                      (drives[curDrive].cwd.empty() ? "\\" : drives[curDrive].cwd);
    if (!BufCopy(buf, size_t(size), cwd.c_str())) {
        errno = ERANGE;
        return nullptr;
    }
    return buf;
}

int PfGetDisk() { return curDrive; }

int PfSetDisk(int drive) {
    if (drive < 0 || drive >= 26 || drives[drive].root.empty()) return -1;
    curDrive = drive;
    return 0;
}

int PfAccess(const char* path, int mode) {
    std::string host;
    if (!PfHostPath(path, host)) return -1;
    if ((mode & 2) && IsReadOnlyFile(host)) return -1;
    return access(host.c_str(), mode & 6);
}

int PfRemove(const char* path) {
    std::string host;
    if (!PfHostPath(path, host) || IsReadOnlyFile(host) || PfIsDirectory(host.c_str())) return -1;
    return unlink(host.c_str());
}

int PfRename(const char* from, const char* to) {
    std::string hostFrom, hostTo;
    if (!PfHostPath(from, hostFrom) || !PfHostPath(to, hostTo) || IsReadOnlyFile(hostTo))
        return -1;
    return rename(hostFrom.c_str(), hostTo.c_str());
}

bool PfIsDirectory(const char* path) {
    std::string host;
    struct stat st;
    return PfHostPath(path, host) && stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int PfSetReadOnly(const char* path, bool readOnly) {
    return readOnly ? ChangeMode(path, 0222, 0, false) : ChangeMode(path, 0, 0200, false);
}

int PfSetHidden(const char* path, bool hidden, bool system) {
    return ChangeMode(path, S_ISVTX | S_ISGID | (system ? S_IXGRP : 0),
                      (hidden ? S_ISVTX : 0) | (system ? S_ISGID : 0), true);
}

// The checks of DosDateTimeToFileTime: a field out of range fails. (Wine
// accepts 29 February in any year; Windows does not.)
static bool DosToTime(uint32_t stamp, time_t& t) {
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    struct tm tm {};
    tm.tm_sec = int(stamp & 0x1f) * 2;
    tm.tm_min = int((stamp >> 5) & 0x3f);
    tm.tm_hour = int((stamp >> 11) & 0x1f);
    tm.tm_mday = int((stamp >> 16) & 0x1f);
    tm.tm_mon = int((stamp >> 21) & 0x0f) - 1;
    tm.tm_year = int((stamp >> 25) & 0x7f) + 80;
    int year = tm.tm_year + 1900;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (tm.tm_sec > 59 || tm.tm_min > 59 || tm.tm_hour > 23 || tm.tm_mon < 0 ||
        tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_mday > days[tm.tm_mon] ||
        (tm.tm_mon == 1 && !leap && tm.tm_mday > 28))
        return false;
    tm.tm_isdst = -1;
    t = mktime(&tm);
    return t != time_t(-1);
}

int PfSetFileTime(PfFile* fp, uint32_t dosStamp) {
    time_t t;
    if (fflush(fp->fp) != 0 || !DosToTime(dosStamp, t)) return 0;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = t;
    times[1].tv_nsec = 0;
    return futimens(fileno(fp->fp), times) == 0 ? 1 : 0;
}

int PfGetFileTime(const char* path, uint32_t* dosStamp) {
    std::string host;
    struct stat st;
    struct tm tm;
    if (!PfHostPath(path, host) || stat(host.c_str(), &st) != 0) return 0;
    if (!localtime_r(&st.st_mtime, &tm) || tm.tm_year < 80 || tm.tm_year > 80 + 127) return 0;
    uint32_t date = uint32_t((tm.tm_year - 80) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday);
    uint32_t time = uint32_t(tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2);
    *dosStamp = date << 16 | time;
    return 1;
}

// Lists the normal files, or the subdirectories, matching pattern.
static int FindEntries(const char* pattern, PfFoundFn found, void* context, bool dirs) {
    std::vector<std::string> names;
    const char* cut = nullptr;
    for (const char* p = pattern; *p; ++p)
        if (IsSep(*p) || *p == ':') cut = p;
    std::string dir = cut ? std::string(pattern, size_t(cut - pattern + 1)) : ".";
    const char* namePattern = cut ? cut + 1 : pattern;
    std::string host;
    if (!PfHostPath(dir.c_str(), host)) return 0;
    DIR* d = opendir(host.c_str());
    if (!d) return 0;
    while (dirent* e = readdir(d)) {
        struct stat st;
        if (stat((host + "/" + e->d_name).c_str(), &st) != 0 || IsHiddenOrSystem(st)) continue;
        bool wanted = dirs
                          ? S_ISDIR(st.st_mode) && strcmp(e->d_name, ".") && strcmp(e->d_name, "..")
                          : S_ISREG(st.st_mode);
        if (wanted && StrMatchWild(namePattern, e->d_name)) names.push_back(e->d_name);
    }
    closedir(d);
    for (const std::string& name : names) found(name.c_str(), context);
    return 1;
}

int PfFindFiles(const char* pattern, PfFoundFn found, void* context) {
    return FindEntries(pattern, found, context, false);
}

int PfFindDirs(const char* pattern, PfFoundFn found, void* context) {
    return FindEntries(pattern, found, context, true);
}

int PfGetDiskFree(char drive, uint64_t* bytes) {
    int d = DriveIndex(drive);
    struct statvfs vfs;
    if (d < 0 || drives[d].root.empty() || statvfs(drives[d].root.c_str(), &vfs) != 0) return 0;
    *bytes = uint64_t(vfs.f_bavail) * vfs.f_frsize;
    return 1;
}

int PfMessageBox(HWND owner, const char* text, const char* caption, unsigned type) {
    if (messageBoxHook) return messageBoxHook(owner, text, caption, type);
    fprintf(stderr, "[message box] %s: %s\n", caption ? caption : "", text ? text : "");
    if ((type & 0xf) == MB_YESNO) return (type & MB_DEFBUTTON2) ? IDNO : IDYES;
    return IDOK;
}

PfMessageBoxHook PfSetMessageBoxHook(PfMessageBoxHook hook) {
    PfMessageBoxHook old = messageBoxHook;
    messageBoxHook = hook;
    return old;
}
