#include "fonts/ff1file.h"

#include <climits>
#include <vector>

#include "platform/platform.h"

static uint16_t get16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

static void put16(unsigned char* p, uint16_t v) {
    p[0] = (unsigned char)(v & 0xff);
    p[1] = (unsigned char)(v >> 8);
}

// The .ff1 font file, little-endian. The header is read as one block of 54
// bytes; of it only these fields are used:
//
//   offset  width  field
//        0      2  magic number 0x7ABD (bytes BD 7A)
//       10      2  number of faces
//       30      2  file offset of face record 0
//       32      2  size of one face record; record k starts at
//                  first-record offset + k * record size
//
// Each face record is read as a block of 46 bytes, of which only the first
// field is used:
//
//   offset  width  field
//        0      2  face identifier
//
// Every other byte belongs to the font and is never changed.
int readFontHeader(FILE* fp, fontHeader* hdr) {
    unsigned char raw[FF1_HEADER_BYTES];
    if (fseek(fp, 0, SEEK_SET) != 0 || fread(raw, sizeof raw, 1, fp) != 1) return 0;
    hdr->magic = get16(raw);
    hdr->nFaces = get16(raw + 10);
    hdr->firstFace = get16(raw + 30);
    hdr->faceSize = get16(raw + 32);
    return hdr->magic == FF1_MAGIC;
}

// The offset of record k, or -1 where a long cannot reach it (32-bit Windows).
static long recordOffset(const fontHeader& hdr, int k) {
    uint64_t offset = hdr.firstFace + uint64_t(k) * hdr.faceSize;
    return offset > uint64_t(LONG_MAX) ? -1 : long(offset);
}

int faceTableIsSound(const fontHeader& hdr) {
    return hdr.nFaces == 0 ||
           (hdr.firstFace >= FF1_HEADER_BYTES && (hdr.nFaces == 1 || hdr.faceSize >= 2));
}

int32_t readFaceId(FILE* fp, const fontHeader& hdr, int k) {
    unsigned char rec[FF1_FACE_BYTES];
    long offset = recordOffset(hdr, k);
    if (offset < 0 || fseek(fp, offset, SEEK_SET) != 0 || fread(rec, sizeof rec, 1, fp) != 1)
        return -1;
    return get16(rec);
}

int readFaceIds(FILE* fp, const fontHeader& hdr, int32_t* ids) {
    if (!faceTableIsSound(hdr)) return 0;
    for (int k = 0; k < hdr.nFaces; ++k) {
        ids[k] = readFaceId(fp, hdr, k);
        if (ids[k] < 0) return 0;
    }
    return 1;
}

int writeFaceId(FILE* fp, const fontHeader& hdr, int k, uint16_t id) {
    unsigned char raw[2];
    put16(raw, id);
    long offset = recordOffset(hdr, k);
    if (offset < 0 || fseek(fp, offset, SEEK_SET) != 0) return 0;
    return fwrite(raw, sizeof raw, 1, fp) == 1;
}

int makeFontFile(const char* path, const uint16_t* ids, int nIds, uint16_t firstFace,
                 uint16_t faceSize) {
    if (nIds < 0 || nIds > 0xffff || firstFace < FF1_HEADER_BYTES || faceSize < FF1_FACE_BYTES)
        return 0;
    size_t length = firstFace + size_t(nIds) * faceSize;
    if (nIds == 0) length = FF1_HEADER_BYTES;
    std::vector<unsigned char> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = fillerByte(long(i));
    put16(&bytes[0], FF1_MAGIC);
    put16(&bytes[10], uint16_t(nIds));
    put16(&bytes[30], firstFace);
    put16(&bytes[32], faceSize);
    for (int k = 0; k < nIds; ++k) put16(&bytes[firstFace + size_t(k) * faceSize], ids[k]);
    FILE* fp = PfOpen(path, "wb");
    if (!fp) return 0;
    bool written = fwrite(bytes.data(), 1, length, fp) == length;
    return fclose(fp) == 0 && written;
}
