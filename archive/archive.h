// Extraction of a whole archive into a destination directory, with status
// events for every inflate step.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/directory.h"

struct z_stream_s;

enum eStatusKeys {
    skArchiveName = 0,     // argument: the archive's path
    skArchivePercent = 1,  // argument: a percentage (StatusPercent)
    skFileName = 2,        // argument: the member's output path
    skFilePercent = 3,     // argument: a percentage (StatusPercent)
};

typedef void (*ArcStatusCallback)(eStatusKeys key, void* arg);

// The callback installed until another is: it ignores every event.
void DefArcStatusCallback(eStatusKeys key, void* arg);

// Percentages travel in the pointer argument as an integer.
inline void* PercentArg(int percent) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(percent));
}
inline int StatusPercent(const void* arg) {
    return static_cast<int>(reinterpret_cast<intptr_t>(arg));
}

// True when a stored name stays inside the destination: not absolute, no
// drive or colon, no component made only of dots and blanks (such as ".."),
// no DOS device name (CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, CONIN$,
// CONOUT$, with or without an extension) as any component. Slashes count as
// separators too.
bool StoredNameIsSafe(const char* name);

const int ARC_BUFFER_SIZE = 8192;

class Archive {
public:
    Archive();
    virtual ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    void SetStatusCallback(ArcStatusCallback pfn);
    void SetFileName(const char* name);
    short AllocBuffers();
    short FreeBuffers();
    // Extracts every member into pszDestDir (null: the current directory);
    // bUsePaths keeps the stored directories. Non-zero on success.
    short Extract(const char* pszArchive, const char* pszDestDir, short bUsePaths);
    short DecompressFile(short nIndex, short bUsePaths);

    char* pszFileName;
    ArcStatusCallback pfnStatus;
    unsigned char* pInBuffer;
    unsigned char* pOutBuffer;
    Directory dir;
    PfFile* fpArchive;

private:
    // The steps of Extract and DecompressFile; the first error raised, or none.
    XErr ExtractSteps(const char* pszDestDir, short bUsePaths, char* saved, size_t size);
    XErr DecompressSteps(short nIndex, short bUsePaths, char* szOut, size_t size,
                         z_stream_s& zs, bool& inflating, bool& created);
};

// One extraction at a time in the process.
extern int32_t lSizeOfSource;  // size of the archive being extracted
extern PfFile* fpSource;  // the archive while a member is extracted
extern PfFile* fpDest;    // the member's output file while it is written
