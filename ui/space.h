// The space account of the Installation Options dialog: what the selected
// packages need on the destination drive and on the drive of the Windows
// system directory, against what is free there. Byte counts are 32-bit and
// compared as unsigned values.
#pragma once

#include <cstdint>

struct Package;

// cDestDrive while the directory field is empty.
const char NO_DRIVE = char(0xFF);

struct SpaceAccount {
    uint32_t destTotal;  // bytes needed on the destination drive
    uint32_t winTotal;   // bytes needed on the Windows drive; 0 when it is the same drive
    bool fits;           // both drives have room: the warning stays hidden
    bool okEnabled;      // fits, and a destination drive is known
};

// Sums the selected packages by drive. Totals stop at 0xFFFFFFFF rather
// than wrap, so a large selection never looks small.
SpaceAccount AccountSpace(const Package* packages, int count, char destDrive, char winDrive,
                          uint32_t destFree, uint32_t winFree);

// Free bytes on a drive: 0xFFFFFFFF for 4 GiB or more, 0 when the drive
// cannot be queried (no such drive, or NO_DRIVE).
uint32_t spaceAvailable(char drive);

// A byte count in kilobytes as the dialog shows totals and free space
// (rounded down), and a package's own size (signed, toward zero).
inline uint32_t KFromBytes(uint32_t bytes) { return bytes / 1024; }
inline int32_t KFromPackageSize(int32_t lSize) { return lSize / 1024; }
