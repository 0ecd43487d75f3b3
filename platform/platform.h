// The operating-system layer of the portable core.
//
// Windows: thin calls of the Win32 API, without the C runtime.
// Linux: a stand-in that behaves like them. Drive letters map onto host
// directories (PfMapDrive); paths use backslashes or slashes; a path that
// starts with "/" is a host path; the profile functions parse INI files with
// the Win32 rules; message boxes go to a hook or are answered with their
// default button.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wintypes.h"

// --- Profile (INI) files, with the results of the Win32 profile functions.

// GetPrivateProfileStringA: a value (cut at size - 1, result its length), or
// with a null key the key list of the section, with a null section the
// names of the sections (each name and the whole list NUL-terminated;
// size - 2 when it did not fit).
uint32_t PfGetProfileString(const char* section, const char* key, const char* def,
                            char* buf, uint32_t size, const char* file);
// GetPrivateProfileSectionA: every line of the section but comments, as
// "key=value" (a line without "=" as its text; values keep their quotes),
// each NUL-terminated and the list ending in a second NUL; size - 2 when it
// did not fit (also when it fits exactly).
uint32_t PfGetProfileSection(const char* section, char* buf, uint32_t size, const char* file);
// GetPrivateProfileIntA.
unsigned PfGetProfileInt(const char* section, const char* key, int def, const char* file);
// WritePrivateProfileStringA: a null key removes the section, a null value the key.
int PfWriteProfileString(const char* section, const char* key, const char* value,
                         const char* file);
// WriteProfileStringA: the same on WIN.INI.
int PfWriteWinIni(const char* section, const char* key, const char* value);

// --- Windows directories, with the results of GetWindowsDirectoryA and
// GetSystemDirectoryA: the length copied, or the size needed when the buffer
// is too small (then nothing is copied).
unsigned PfGetWindowsDir(char* buf, unsigned size);
unsigned PfGetSystemDir(char* buf, unsigned size);

// --- Files: byte streams on Windows-syntax paths. Reads are buffered;
// every write goes to the file at once, so that a failed write (a full disk)
// is seen by the call that made it.

struct PfFile;
enum PfSeekOrigin { PF_SEEK_SET = 0, PF_SEEK_CUR = 1, PF_SEEK_END = 2 };

// Modes "rb", "wb" (created, or emptied) and "rb+" (read and write); no
// other mode, no directory, and a read-only file never for writing. "wb"
// over a hidden or system file replaces it and keeps those attributes.
// Null on failure.
PfFile* PfOpen(const char* path, const char* mode);
int PfClose(PfFile* fp);                                   // 0 on success
size_t PfRead(PfFile* fp, void* buf, size_t n);            // the bytes read
size_t PfWrite(PfFile* fp, const void* buf, size_t n);     // the bytes written
int PfSeek(PfFile* fp, long offset, PfSeekOrigin origin);  // 0 on success; else it stays
long PfTell(PfFile* fp);                                   // -1 on failure
int PfError(PfFile* fp);  // non-zero once a read or write failed (not at the end)

// A line of text on standard output, where the program has one.
void PfPrintLine(const char* text);

// --- Directories and file attributes, on Windows-syntax paths.

int PfMkdir(const char* path);  // 0 on success
int PfRmdir(const char* path);  // 0 on success
// Each drive keeps its own current directory: PfChdir sets the one of the
// drive it names and makes that drive current; PfSetDisk returns to the
// directory a drive had last.
int PfChdir(const char* path);             // 0 on success
char* PfGetCwd(char* buf, int size);       // null on failure
int PfGetDisk();                           // current drive, A = 0; -1 for none
int PfSetDisk(int drive);                  // 0 on success
int PfAccess(const char* path, int mode);  // 0 when allowed: 0 exists, 2 write, 4 read
int PfRemove(const char* path);            // 0 on success
// Replaces an existing target; 0 on success. On failure both files stay.
int PfRename(const char* from, const char* to);
bool PfIsDirectory(const char* path);
int PfSetReadOnly(const char* path, bool readOnly);  // 0 on success
// The hidden and system attributes; the stand-in has them for files only.
int PfSetHidden(const char* path, bool hidden, bool system);  // 0 on success

// Last-write time as an MS-DOS date (high word) and time (low word), local time.
int PfSetFileTime(PfFile* fp, uint32_t dosStamp);      // 1 on success
int PfGetFileTime(const char* path, uint32_t* dosStamp);  // 1 on success

// Hands found(name, context) the names of the normal files (no directories,
// nothing hidden or system) whose long name matches a pattern such as
// "DIR\*.ff1" (StrMatchWild), in the order the file system lists them:
// sorted on NTFS, in directory order on FAT. 1 on success (also when
// nothing matches).
typedef void (*PfFoundFn)(const char* name, void* context);
int PfFindFiles(const char* pattern, PfFoundFn found, void* context);
// The same for subdirectories, without "." and "..".
int PfFindDirs(const char* pattern, PfFoundFn found, void* context);

// Free bytes on a drive (a letter of either case), free clusters times sectors
// per cluster times bytes per sector. 1 on success.
int PfGetDiskFree(char drive, uint64_t* bytes);

// --- Message boxes.

typedef int (*PfMessageBoxHook)(HWND owner, const char* text, const char* caption,
                                unsigned type);
int PfMessageBox(HWND owner, const char* text, const char* caption, unsigned type);
// Routes message boxes to a hook (tests); returns the previous one.
PfMessageBoxHook PfSetMessageBoxHook(PfMessageBoxHook hook);

#ifdef _WIN32
// --- Stand-ins for kernel answers Wine does not give (tests): Windows 95's
// MoveFileExA, which fails with ERROR_CALL_NOT_IMPLEMENTED, and CreateFileA
// refusing to replace a hidden or system file without those attributes, as
// Windows does. Null brings back the kernel's own.
typedef BOOL(WINAPI* PfMoveFileExFn)(LPCSTR from, LPCSTR to, DWORD flags);
typedef HANDLE(WINAPI* PfCreateFileFn)(LPCSTR path, DWORD access, DWORD share,
                                       LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                       DWORD flags, HANDLE templateFile);
void PfSetKernelStandIns(PfMoveFileExFn moveFileEx, PfCreateFileFn createFile);
#else
#include <string>

// --- Stand-in configuration.

// Maps a drive letter onto a host directory; a null or empty directory unmaps it.
void PfMapDrive(char letter, const char* hostDir);
// The texts PfGetWindowsDir and PfGetSystemDir answer.
void PfSetWindowsDirs(const char* windowsDir, const char* systemDir);
// Translates a path into a host path; false when it names an unmapped drive.
bool PfHostPath(const char* path, std::string& host);
#endif
