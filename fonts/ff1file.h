// The .ff1 font file: its header, its face records, and a writer for the
// vendor's tool and the tests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

const uint16_t FF1_MAGIC = 0x7ABD;
const int FF1_HEADER_BYTES = 54;
const int FF1_FACE_BYTES = 46;

// The header fields the repair uses.
struct fontHeader {
    uint16_t magic;
    uint16_t nFaces;
    uint16_t firstFace;  // file offset of face record 0
    uint16_t faceSize;   // size of one face record
};

// Reads the header of a file just opened. 1 when it is a font file of this format.
int readFontHeader(PfFile* fp, fontHeader* hdr);

// 1 when the face table lies after the header and the identifier fields of
// its records do not overlap, so that writing one changes no other field.
int faceTableIsSound(const fontHeader& hdr);

// Reads the identifiers of all faces into ids (room for hdr.nFaces), fp
// being where readFontHeader left it. 1 only when the whole face table could
// be read and lies where it can be rewritten.
int readFaceIds(PfFile* fp, const fontHeader& hdr, int32_t* ids);

// What updateFaceIds did.
enum FaceUpdate {
    FACES_WRITTEN,     // every record holds its identifier
    FACES_UNREADABLE,  // a record could not be read
    FACES_UNWRITTEN,   // a seek or a write failed
};

// Writes ids into the face records whose identifier differs, fp being where
// readFontHeader left it; no other byte changes. It stops at the first record
// it cannot read or write: the records before it are done.
FaceUpdate updateFaceIds(PfFile* fp, const fontHeader& hdr, const int32_t* ids);

// The byte that makeFontFile puts at every offset it does not otherwise use:
// the alphabet, repeated from the start of the file.
inline unsigned char fillerByte(long offset) { return (unsigned char)('A' + offset % 26); }

// Writes a font file with one face per identifier: the first record at
// firstFace (54 or more), records of faceSize bytes (46 or more), every other
// byte fillerByte; at most 64 MB. 1 on success.
const size_t MAX_MADE_FONT_BYTES = size_t(64) << 20;
int makeFontFile(const char* path, const uint16_t* ids, int nIds, uint16_t firstFace = 54,
                 uint16_t faceSize = 46);
