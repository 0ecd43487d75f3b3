#include "fonts/ff1file.h"

#include <algorithm>
#include <climits>
#include <new>

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
int readFontHeader(PfFile* fp, fontHeader* hdr) {
    unsigned char raw[FF1_HEADER_BYTES];
    if (PfRead(fp, raw, sizeof raw) != sizeof raw) return 0;
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

// The face table is read a window of records at a time, so that a file of
// small records costs one read and, when it changes, one write.
const long WINDOW_BYTES = 4096;

// The number of records of the window that starts at record base.
static int windowRecords(const fontHeader& hdr, int base) {
    long fit = hdr.faceSize > 0 ? 1 + (WINDOW_BYTES - FF1_FACE_BYTES) / hdr.faceSize : 1;
    return int(std::min<long>(fit, hdr.nFaces - base));
}

// Reads the window of count records from record base into buf; returns how
// many of them lie whole within what could be read. *at is the stream's
// position when known, else -1: a seek costs a system call even within the
// stream's buffer.
static int readWindow(PfFile* fp, const fontHeader& hdr, int base, int count, unsigned char* buf,
                      long* at) {
    long start = recordOffset(hdr, base);
    size_t span = size_t(count - 1) * hdr.faceSize + FF1_FACE_BYTES;
    if (start < 0 || recordOffset(hdr, base + count - 1) < 0 ||
        (start != *at && PfSeek(fp, start, PF_SEEK_SET) != 0)) {
        *at = -1;
        return 0;
    }
    size_t got = PfRead(fp, buf, span);
    *at = start + long(got);
    int whole = 0;
    while (whole < count && size_t(whole) * hdr.faceSize + FF1_FACE_BYTES <= got) ++whole;
    return whole;
}

int readFaceIds(PfFile* fp, const fontHeader& hdr, int32_t* ids) {
    if (!faceTableIsSound(hdr)) return 0;
    unsigned char buf[WINDOW_BYTES];
    long at = FF1_HEADER_BYTES;
    for (int base = 0; base < hdr.nFaces;) {
        int count = windowRecords(hdr, base);
        if (readWindow(fp, hdr, base, count, buf, &at) < count) return 0;
        for (int j = 0; j < count; ++j) ids[base + j] = get16(buf + size_t(j) * hdr.faceSize);
        base += count;
    }
    return 1;
}

// Writes the changed identifiers among the first n records of the window
// in buf: one write from the first to the last, of the bytes just read with
// the identifiers replaced. False when the seek or the write failed.
static bool writeWindow(PfFile* fp, const fontHeader& hdr, int base, int n, unsigned char* buf,
                        const int32_t* ids, long* at) {
    int first = -1, last = -1;
    for (int j = 0; j < n; ++j) {
        unsigned char* field = buf + size_t(j) * hdr.faceSize;
        if (get16(field) == uint16_t(ids[base + j])) continue;
        put16(field, uint16_t(ids[base + j]));
        if (first < 0) first = j;
        last = j;
    }
    if (first < 0) return true;
    size_t from = size_t(first) * hdr.faceSize, to = size_t(last) * hdr.faceSize + 2;
    // The next window is found by a seek.
    *at = -1;
    return PfSeek(fp, recordOffset(hdr, base + first), PF_SEEK_SET) == 0 &&
           PfWrite(fp, buf + from, to - from) == to - from && !PfError(fp);
}

FaceUpdate updateFaceIds(PfFile* fp, const fontHeader& hdr, const int32_t* ids) {
    if (!faceTableIsSound(hdr)) return FACES_UNREADABLE;
    unsigned char buf[WINDOW_BYTES];
    long at = FF1_HEADER_BYTES;
    for (int base = 0; base < hdr.nFaces;) {
        int count = windowRecords(hdr, base);
        int whole = readWindow(fp, hdr, base, count, buf, &at);
        if (!writeWindow(fp, hdr, base, whole, buf, ids, &at)) return FACES_UNWRITTEN;
        if (whole < count) return FACES_UNREADABLE;
        base += count;
    }
    return FACES_WRITTEN;
}

int makeFontFile(const char* path, const uint16_t* ids, int nIds, uint16_t firstFace,
                 uint16_t faceSize) {
    if (nIds < 0 || nIds > 0xffff || firstFace < FF1_HEADER_BYTES || faceSize < FF1_FACE_BYTES)
        return 0;
    size_t length = nIds == 0 ? FF1_HEADER_BYTES : firstFace + size_t(nIds) * faceSize;
    if (length > MAX_MADE_FONT_BYTES) return 0;
    unsigned char* bytes = new (std::nothrow) unsigned char[length];
    if (!bytes) return 0;
    for (size_t i = 0; i < length; ++i) bytes[i] = fillerByte(long(i));
    put16(&bytes[0], FF1_MAGIC);
    put16(&bytes[10], uint16_t(nIds));
    put16(&bytes[30], firstFace);
    put16(&bytes[32], faceSize);
    for (int k = 0; k < nIds; ++k) put16(&bytes[firstFace + size_t(k) * faceSize], ids[k]);
    PfFile* fp = PfOpen(path, "wb");
    bool written = fp && PfWrite(fp, bytes, length) == length;
    delete[] bytes;
    return fp && PfClose(fp) == 0 && written;
}
