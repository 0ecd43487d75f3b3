// Reading the install script: key lists, comma lists, numbers, the package table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/scriptlimits.h"

// Splits a comma list in place into at most maxFields fields: leading commas
// are skipped, a run of commas is one separator, blanks stay in the fields,
// and no field is empty. Returns the number of fields.
int SplitCommaList(char* text, char* fields[], int maxFields);

// A value read into a buffer one byte larger than the reader's (so that it
// holds up to limit + 1 characters): cuts it at limit characters, as the
// reader would, and tells whether the cut spared its first `fields` fields,
// which is so when it fitted or when the cut falls after them.
bool CutKeepsFields(char* value, size_t limit, int fields);

// A number of the script: blanks skipped, optional sign, decimal digits up to
// the first other character; no digits gives 0. Saturates at the 32-bit limits.
int32_t ScriptNumber(const char* text);

// Reads the key list of a section of the script szIniFile into buf; returns
// the reader's result, which is size - 2 when the list did not fit.
uint32_t ReadKeyList(const char* section, char* buf, uint32_t size);
inline bool KeyListOverflowed(uint32_t len, uint32_t size) { return len == size - 2; }

// Walks a key list of length len: returns the name at offset and moves the
// offset past it, passing over empty names; null at the end.
const char* NextKey(const char* list, uint32_t len, uint32_t& offset);

// Reads the value of one entry of a section's key list into value (size
// bytes, empty default): name points into keys, the list ReadKeyList gave.
// The profile reader gives every repeat of a key the first one's value; a
// repeat here takes its own line of the section, read by the same rules
// (matching quotes removed, cut at size - 1).
void ReadKeyValue(const char* section, const char* keys, const char* name, char* value,
                  uint32_t size);
template <size_t N>
void ReadKeyValue(const char* section, const char* keys, const char* name, char (&value)[N]) {
    ReadKeyValue(section, keys, name, value, N);
}

// Reads section "Packages" into Packages and iNumPackages. Returns 1, or 0
// after "Too many packages" with the table empty.
int ReadPackages();
