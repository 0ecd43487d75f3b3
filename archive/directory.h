// The archive directory: the file format, its entries, and XErr.
//
// Archive file format. Integers are little-endian and unaligned; offsets are
// absolute from the start of the file. There are no local headers and no end
// record: the directory is found only through the first four bytes.
//
//   offset  size  file header
//   0       4     D: offset of the directory header
//   4       ...   member streams, each where its entry says
//
//   D+0     4     signature 22 22 22 22
//   D+4     2     directory version, 2
//   D+6     2     entry count N (the reader takes at most 32767)
//   D+8     ...   N entries back to back, in extraction order
//
//   entry (28 + L bytes)
//   0       2     L: name length, signed; 0 to 32767
//   2       L     stored name, no terminating zero; a path relative to the
//                 destination with backslashes between its parts
//   2+L     4     uncompressed length
//   6+L     4     compressed length (of the member's stream)
//   10+L    4     data offset of the member's stream, signed
//   14+L    4     CRC-32 of the uncompressed data (zlib's crc32)
//   18+L    2     spare word, stored and never interpreted
//   20+L    2     spare word, stored and never interpreted
//   22+L    6     seconds/2, minutes, hours, day, month, year-1980: one byte
//                 each, masked to 5, 6, 5, 5, 4 and 7 bits
//
// A member stream is one zlib stream (RFC 1950: header, deflate data,
// Adler-32) holding the member's bytes; every member is deflated.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The archive reader's errors: a step raises one by returning it, and the
// operation that took the step handles it (cleans up and returns 0), so no
// error is ever seen by a caller.
enum eXErrCodes {
    xeNone = -1,
    xeOpen = 0,
    xeRead = 1,
    xeMemory = 5,
    xeVersion = 6,
    xeExtract = 7,
    xeInflate = 8,
    xeCrc = 9,
};

struct XErr {
    int32_t nCode;
    bool Raised() const { return nCode != xeNone; }
};
const XErr kNoXErr = {xeNone};

const uint32_t ARC_SIGNATURE = 0x22222222u;
const uint16_t ARC_VERSION = 2;
const int ARC_MAX_ENTRIES = 32767;  // the member index is a signed 16-bit value
const int ARC_MAX_NAME = 32767;

// Reads n (up to 4) little-endian bytes into value; false on a short read.
bool ReadLE(PfFile* fp, int n, uint32_t& value);

// One member of the directory.
class ZipDirEntry {
public:
    ZipDirEntry();
    ~ZipDirEntry();
    ZipDirEntry(const ZipDirEntry&) = delete;
    ZipDirEntry& operator=(const ZipDirEntry&) = delete;

    // Reads one entry at the stream's position; 0 on a short read.
    short Read(PfFile* fp);

    char* pszName;
    uint32_t lLength;
    uint32_t lPacked;
    int32_t lOffset;
    uint32_t lCrc;
    uint16_t wExtra1;
    uint16_t wExtra2;
    uint32_t ftStamp;  // DOS time in the low word, DOS date in the high word
};

// The directory of the archive being read.
class Directory {
public:
    Directory();
    ~Directory();
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // Releases the entries held, then makes n fresh ones; 0 without memory.
    short Allocate(unsigned short n);
    // Reads the directory of the archive open on fp ("rb"); 1 on success.
    short Read(PfFile* fp);

    ZipDirEntry* pEntries;
    unsigned short nCount;
    unsigned short nCapacity;
};
