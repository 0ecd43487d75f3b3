// Face-identifier repair of a font directory: after it no two faces of the
// directory's .ff1 files share an identifier.
#pragma once

#include <cstddef>
#include <cstdint>

// Repairs directory: keeps the identifiers its name list records, gives
// clashing and invalid identifiers free values, rewrites the name list and
// deletes "ATF.CFG" and "ATF.LST". The setup always passes quiet = 1. Returns 0.
int UntangleFonts(const char* directory, int quiet);

// --- The steps of a repair, for the tests.

// One valid .ff1 file of the directory.
struct faceStr {
    // The whole name as listed; the name list holds 13 characters, so a
    // longer name has no entry there and its file always counts as new.
    char name[260];
    int32_t nIds;      // number of faces
    int32_t* ids;      // their identifiers, in record order
    int32_t bChanged;  // an identifier was changed and is not in the file yet
    int32_t entry;     // its entry in the loaded name list, -1 when new
};

extern faceStr* faces;
extern int nFiles;
extern int faceId;   // the identifier last handed out
extern int faceInc;  // the step to the next candidate
extern char dstPath[260];
extern int bQuiet;

// The identifiers in use: one bit per 16-bit value.
struct idSet {
    unsigned char bits[65536 / 8];
};

int checkIDConflicts(const char* dir);
// Mode 3: the number of valid files. Mode 1: fills at most nFiles records of
// faces, sets nFiles to the number filled and returns their number of faces.
int collectFaces(const char* dir, int mode);
int searchIdList(int32_t id, const idSet* used);
void addIdList(int32_t id, idSet* used);
// The next free identifier after faceId, or 0 when none is left.
int getFaceId(const idSet* used);
int updateChangedFonts(const char* dir);
int warnConflict();

const int FONT_PATH_SIZE = 520;
// dir + name, with a backslash between when dir does not end in one; false
// when it does not fit.
bool fontFilePath(char* out, size_t size, const char* dir, const char* name);
