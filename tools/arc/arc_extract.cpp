// arc create and arc extract.
#include <cinttypes>
#include <cstring>

#include "archive/archive.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "tools/arc/arc.h"
#include "tools/common/arcwriter.h"

#ifdef _WIN32
#include <io.h>
#define ARC_ISATTY() _isatty(_fileno(stdout))
#else
#include <unistd.h>
#define ARC_ISATTY() isatty(fileno(stdout))
#endif

int CmdCreate(const char* archive, const char* dir) {
    if (!PfIsDirectory(dir)) return Fail(std::string(dir) + ": not a directory");
    std::string error;
    ArcTotals t;
    if (!ArcCreateFromDir(archive, dir, error, &t))
        return Fail(std::string(archive) + ": " + error);
    printf("%s: %u member%s, %" PRIu64 " bytes packed into %" PRIu64 "\n", archive, t.count,
           t.count == 1 ? "" : "s", t.length, t.packed);
    return EXIT_OK;
}

namespace {

// What the status events said, for the progress line and for naming the
// member an extraction failed at.
struct Progress {
    bool tty;
    bool opened;         // skArchiveName came
    std::string member;  // the last skFileName
    unsigned named;      // members whose output was opened
    eStatusKeys last, beforeLast;
    int archivePercent, filePercent;
    std::string shown;  // the progress line on the terminal
} progress;

void ShowProgress() {
    char line[96];
    BufFormat(line, "%3d%%  %3d%%  %.70s", progress.archivePercent, progress.filePercent,
              progress.member.c_str());
    if (progress.shown == line) return;
    // Blanks wipe what a longer line left.
    int pad = int(progress.shown.size() > strlen(line) ? progress.shown.size() - strlen(line) : 0);
    printf("\r%s%*s", line, pad, "");
    fflush(stdout);
    progress.shown = line;
}

void OnStatus(eStatusKeys key, void* arg) {
    progress.beforeLast = progress.last;
    progress.last = key;
    switch (key) {
        case skArchiveName:
            progress.opened = true;
            return;
        case skFileName:
            progress.member = static_cast<const char*>(arg);
            progress.named++;
            progress.filePercent = 0;
            break;
        case skFilePercent:
            progress.filePercent = StatusPercent(arg);
            break;
        case skArchivePercent:
            progress.archivePercent = StatusPercent(arg);
            break;
    }
    if (progress.tty) ShowProgress();
}

// Creates every directory along path; the last one is checked by the caller.
void MakeDirs(const std::string& path) {
    std::string p = path;
    for (size_t i = 1; i < p.size(); ++i) {
        if ((p[i] != '\\' && p[i] != '/') || p[i - 1] == ':') continue;
        char c = p[i];
        p[i] = '\0';
        PfMkdir(p.c_str());
        p[i] = c;
    }
    PfMkdir(p.c_str());
}

std::string Member(const char* name, const std::string& why) {
    return std::string("member ") + name + ": " + why;
}

// The member that failed, with a reason, from the events and the directory.
std::string Diagnose(const Archive& a, const char* archive, bool flat) {
    if (a.dir.nCount == 0)
        return a.dir.pEntries && a.dir.nCapacity == 0
                   ? "the current directory cannot be saved or changed"
                   : "the archive directory cannot be read";
    unsigned k = progress.named;
    if (k > 0) {
        const ZipDirEntry& e = a.dir.pEntries[k - 1];
        std::string why;
        PfFile* fp = PfOpen(archive, "rb");
        bool good = fp && CheckMember(fp, e, why);
        if (fp) PfClose(fp);
        if (!good) return Member(e.pszName, why);
        // Its stream ended (the last event before the final one was the file's
        // 100): the next member failed, unless there is none.
        if (progress.beforeLast != skFilePercent || k == a.dir.nCount)
            return Member(e.pszName, "cannot be written (is the disk full?)");
    }
    const char* name = a.dir.pEntries[k].pszName;
    if (!StoredNameIsSafe(name))
        return Member(name, "refused: the name leaves the destination or names a device");
    const char* last = strrchr(name, '\\');
    if (strlen(flat && last ? last + 1 : name) >= 260)
        return Member(name, "refused: the output path is longer than 259 characters");
    return Member(name, "the output file cannot be created");
}

}  // namespace

int CmdExtract(const char* archive, const char* destDir, bool flat) {
    if (!PfIsDirectory(destDir)) MakeDirs(destDir);
    if (!PfIsDirectory(destDir))
        return Fail(std::string(destDir) + ": cannot create the directory");
    progress = Progress{ARC_ISATTY() != 0, false, "", 0, skArchiveName, skArchiveName, 0, 0, ""};
    Archive a;
    a.SetStatusCallback(OnStatus);
    short ok = a.Extract(archive, destDir, flat ? 0 : 1);
    if (progress.tty) printf("\n");
    if (ok) {
        printf("%s: %u member%s extracted to %s\n", archive, unsigned(a.dir.nCount),
               a.dir.nCount == 1 ? "" : "s", destDir);
        return EXIT_OK;
    }
    if (!progress.opened) return Fail(std::string(archive) + ": cannot open the archive");
    return Fail(std::string(archive) + ": " + Diagnose(a, archive, flat));
}
