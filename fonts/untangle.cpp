#include "fonts/untangle.h"

#include <cstdlib>
#include <cstring>

#include "fonts/ff1file.h"
#include "fonts/fontnames.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "ui/messages.h"

faceStr* faces = nullptr;
int nFiles = 0;
int faceId = 999;
int faceInc = -1;
char dstPath[260];
int bQuiet = 1;

bool fontFilePath(char* out, size_t size, const char* dir, const char* name) {
    size_t n = strlen(dir);
    bool fits = BufCopy(out, size, dir);
    if (n > 0 && dir[n - 1] != '\\') fits = fits && BufAppend(out, size, "\\");
    return fits && BufAppend(out, size, name);
}

// Opens dir + name for reading and updating; null unless it is a font file.
static PfFile* openFont(const char* dir, const char* name, fontHeader* hdr) {
    char path[FONT_PATH_SIZE];
    if (!fontFilePath(path, sizeof path, dir, name)) return nullptr;
    PfFile* fp = PfOpen(path, "rb+");
    if (fp && !readFontHeader(fp, hdr)) {
        PfClose(fp);
        fp = nullptr;
    }
    return fp;
}

// Fills f from an open font file; false, with f left empty, when its face
// table cannot be read whole: the file then takes no part.
static bool readFaces(PfFile* fp, const fontHeader& hdr, const char* name, faceStr* f) {
    memset(f, 0, sizeof *f);
    f->entry = -1;
    if (!BufCopy(f->name, name)) return false;
    if (hdr.nFaces > 0) {
        f->ids = static_cast<int32_t*>(calloc(hdr.nFaces, sizeof(int32_t)));
        if (!f->ids || !readFaceIds(fp, hdr, f->ids)) {
            free(f->ids);
            f->ids = nullptr;
            return false;
        }
    }
    f->nIds = hdr.nFaces;
    return true;
}

namespace {

// One walk of collectFaces over the directory's font files.
struct Collection {
    const char* dir;
    int mode, room, count, total;
};

void collectFile(const char* name, void* context) {
    Collection& c = *static_cast<Collection*>(context);
    // The directory may have changed since mode 3 counted the records.
    if (c.mode == 1 && c.count == c.room) return;
    fontHeader hdr;
    PfFile* fp = openFont(c.dir, name, &hdr);
    if (!fp) return;
    if (c.mode == 3) {
        ++c.count;
    } else if (readFaces(fp, hdr, name, &faces[c.count])) {
        c.total += faces[c.count++].nIds;
    }
    PfClose(fp);
}

}  // namespace

int collectFaces(const char* dir, int mode) {
    char pattern[FONT_PATH_SIZE];
    Collection c = {dir, mode, nFiles, 0, 0};
    if ((mode != 1 && mode != 3) || !fontFilePath(pattern, sizeof pattern, dir, "*.ff1") ||
        !PfFindFiles(pattern, collectFile, &c))
        return 0;
    if (mode == 3) return c.count;
    nFiles = c.count;
    return c.total;
}

int searchIdList(int32_t id, const idSet* used) {
    uint16_t v = uint16_t(id);
    return (used->bits[v >> 3] >> (v & 7)) & 1;
}

void addIdList(int32_t id, idSet* used) {
    uint16_t v = uint16_t(id);
    used->bits[v >> 3] = (unsigned char)(used->bits[v >> 3] | 1 << (v & 7));
}

// Candidates run 998 ... 256, 254 ... 1, then 1000 upward; 999 and 255 never.
int getFaceId(const idSet* used) {
    while (faceId <= 0xffff) {
        faceId += faceInc;
        if (faceId == 255) faceId += faceInc;
        if (faceId < 1) {
            faceId = 1000;
            faceInc = 1;
        }
        if (faceId <= 0xffff && !searchIdList(faceId, used)) return faceId;
    }
    return 0;
}

// Pass 1: finds each file's entry; a file whose face count differs from its
// entry counts as new.
static void findKnownFiles(const nameList* list) {
    for (int i = 0; i < nFiles; ++i) {
        int32_t entry = searchNameList(faces[i].name, list);
        if (entry >= 0 && nameEntry(list, entry).nIds == faces[i].nIds) faces[i].entry = entry;
    }
}

// Gives the known files their identifiers back. Returns whether any differed.
static bool restoreKnownIds(const nameList* list) {
    bool conflict = false;
    for (int i = 0; i < nFiles; ++i) {
        if (faces[i].entry < 0) continue;
        for (int k = 0; k < faces[i].nIds; ++k) {
            int32_t id = entryId(list, faces[i].entry, k);
            if (faces[i].ids[k] == id) continue;
            faces[i].ids[k] = id;
            faces[i].bChanged = conflict = true;
        }
    }
    return conflict;
}

// Pass 2: reserves the known files' identifiers. One of them given twice
// makes the list untrustworthy: then every file is new, with the
// identifiers already restored to it.
static void reserveKnownIds(idSet* used) {
    for (int i = 0; i < nFiles; ++i) {
        if (faces[i].entry < 0) continue;
        for (int k = 0; k < faces[i].nIds; ++k) {
            int32_t id = faces[i].ids[k];
            if (!searchIdList(id, used)) {
                addIdList(id, used);
                continue;
            }
            memset(used, 0, sizeof *used);
            for (int j = 0; j < nFiles; ++j) faces[j].entry = -1;
            return;
        }
    }
}

// Pass 3: in listing order, a new file's identifier that is taken or invalid
// gets the next free one. Returns whether any changed.
static bool renumberNewFiles(idSet* used) {
    bool conflict = false;
    for (int i = 0; i < nFiles; ++i) {
        if (faces[i].entry >= 0) continue;
        for (int k = 0; k < faces[i].nIds; ++k) {
            int32_t& id = faces[i].ids[k];
            if (searchIdList(id, used) || id == 0 || id == 255 || id >= 1000) {
                // With every identifier taken the face keeps its own.
                int fresh = getFaceId(used);
                if (fresh != 0) {
                    id = fresh;
                    faces[i].bChanged = conflict = true;
                }
            }
            addIdList(id, used);
        }
    }
    return conflict;
}

static void freeFaces() {
    for (int i = 0; i < nFiles; ++i) free(faces[i].ids);
    free(faces);
    faces = nullptr;
    nFiles = 0;
}

// Passes 1 to 3 and what they lead to, once the faces are read.
static void resolveFaces(const char* dir) {
    nameList list;
    loadFontNames(dir, &list);
    idSet* used = static_cast<idSet*>(calloc(1, sizeof(idSet)));
    if (!used) {
        error_ok("Out of Memory");
    } else {
        findKnownFiles(&list);
        bool conflict = restoreKnownIds(&list);
        reserveKnownIds(used);
        conflict = renumberNewFiles(used) || conflict;
        // Files left as they are keep the list that describes them.
        if (!conflict || warnConflict() == 'Y') {
            if (conflict) updateChangedFonts(dir);
            writeFontNames(dir);
        }
    }
    free(used);
    freeFontNames(&list);
}

int checkIDConflicts(const char* dir) {
    faceId = 999;
    faceInc = -1;
    nFiles = collectFaces(dir, 3);
    if (nFiles == 0) return 0;
    faces = static_cast<faceStr*>(calloc(size_t(nFiles), sizeof(faceStr)));
    if (!faces) {
        nFiles = 0;
        PfPrintLine("Out of memory");
        return -1;
    }
    collectFaces(dir, 1);
    if (nFiles > 0) {
        resolveFaces(dir);
        closemsg();
    }
    freeFaces();
    return 0;
}

// Rewrites the identifiers of one changed file; false after a read or write
// error. A file that holds all its identifiers is no longer changed.
static bool updateFont(const char* dir, faceStr& f) {
    fontHeader hdr;
    PfFile* fp = openFont(dir, f.name, &hdr);
    if (!fp) return true;
    // A file replaced since the scan is left alone.
    FaceUpdate done = FACES_UNREADABLE;
    bool same = hdr.nFaces == f.nIds && faceTableIsSound(hdr);
    if (same) done = updateFaceIds(fp, hdr, f.ids);
    PfClose(fp);
    if (!same) return true;
    if (done == FACES_WRITTEN) {
        f.bChanged = 0;
        return true;
    }
    error_ok(done == FACES_UNREADABLE ? "Error Reading Font File." : "Error Writing Font File.");
    return false;
}

int updateChangedFonts(const char* dir) {
    for (int i = 0; i < nFiles; ++i) {
        if (faces[i].bChanged && !updateFont(dir, faces[i])) return -1;
    }
    return 0;
}

// The setup always repairs quietly; otherwise the user is asked first.
int warnConflict() {
    if (bQuiet) return 'Y';
    char text[400];
    BufFormat(text, "Some fonts in %s share face identifiers.\nRepair them now?", dstPath);
    return PfMessageBox(nullptr, text, "Font Repair", MB_YESNO | MB_ICONQUESTION) == IDYES ? 'Y'
                                                                                           : 'N';
}

int UntangleFonts(const char* directory, int quiet) {
    size_t n = strlen(directory);
    bool fits = BufCopy(dstPath, directory);
    if (n == 0 || directory[n - 1] != '\\') fits = fits && BufAppend(dstPath, "\\");
    // A cut path would name another directory: nothing is done there.
    if (!fits) return 0;
    bQuiet = quiet;
    checkIDConflicts(dstPath);
    static const char* const leftovers[] = {"ATF.CFG", "ATF.LST"};
    for (const char* name : leftovers) {
        char path[FONT_PATH_SIZE];
        if (fontFilePath(path, sizeof path, dstPath, name)) PfRemove(path);
    }
    return 0;
}
