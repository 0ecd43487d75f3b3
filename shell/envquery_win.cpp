#include <cstring>

#include "platform/strutil.h"
#include "shell/envquery.h"
#include "shell/shelllink.h"
#include "shell/shelltext.h"

// The font directory without the shell; false when it does not fit.
static bool FallbackFontDir(char (&dir)[MAX_PATH]) {
    if (FindWinVersion() == wv4) {
        UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
        return n > 0 && n < MAX_PATH && BufAppend(dir, "\\fonts");
    }
    UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    return n > 0 && n < MAX_PATH;
}

void GetWinFontDir(char* buf, int size) {
    if (size <= 0) return;
    char dir[MAX_PATH] = "";
    bool named = false;
    if (LinkToShell()) {
        named = ShellFolderPath(csidlFonts, dir);
        UnlinkFromShell();
    }
    // A shell that cannot name its fonts folder is treated as no shell.
    if (!named && !FallbackFontDir(dir)) dir[0] = '\0';
    BufCopy(buf, size_t(size), dir);
}

int FindWinVersion() {
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !BufAppend(path, "\\USER.EXE")) return wvOther;
    DWORD versionMS, versionLS;
    GetVerInfo(path, &versionMS, &versionLS);
    return VersionCode(versionMS, versionLS);
}

// Four times the largest block length: the most the system asks room for.
static const DWORD kMaxVersionInfoSize = 4 * 0x10000;

/* A 16-bit version block, as GetFileVersionInfoA returns it for a 16-bit
   module:
     0  WORD  block length
     2  WORD  value length
     4  char  "VS_VERSION_INFO\0"
    20  VS_FIXEDFILEINFO: signature, structure version,
    28        file version, more significant word
    32        file version, less significant word
   A 32-bit block has the UTF-16 key at 6, so 28 and 32 fall inside the key
   text and give no version 3 or 4. */
void GetVerInfo(const char* path, DWORD* versionMS, DWORD* versionLS) {
    *versionMS = 0;
    *versionLS = 0;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    // A block too short to hold the two words is no version information.
    // The block's length is a 16-bit word, so a size far past what that can
    // describe comes from a computation that wrapped (a resource shorter
    // than its fixed part): on 64-bit such an allocation would succeed.
    if (size < 36 || size > kMaxVersionInfoSize) return;
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!mem) return;
    if (const BYTE* block = static_cast<const BYTE*>(GlobalLock(mem))) {
        if (GetFileVersionInfoA(path, handle, size, const_cast<BYTE*>(block))) {
            memcpy(versionMS, block + 28, sizeof *versionMS);
            memcpy(versionLS, block + 32, sizeof *versionLS);
        }
        GlobalUnlock(mem);
    }
    GlobalFree(mem);
}
