// The script checker: the disk sections, and the archives on the media.
#include <cstring>

#include "app/disks.h"
#include "app/globals.h"
#include "app/script.h"
#include "platform/platform.h"
#include "tools/common/archivecheck.h"
#include "tools/common/scriptcheck_parts.h"
#include "tools/common/toolcli.h"

namespace {

std::string DiskSection(int disk) {
    return "Disk" + NumberText(disk);
}

bool IsFile(const std::string& path) {
    return PfAccess(path.c_str(), 0) == 0 && !PfIsDirectory(path.c_str());
}

bool HasKeys(const std::string& section) {
    char list[8];
    return ReadKeyList(section.c_str(), list, sizeof list) != 0;
}

}  // namespace

std::string ScriptChecker::MediaDir(int disk) const {
    const std::vector<std::string>& media = options_.media;
    if (media.size() == 1) return media[0];
    return size_t(disk) <= media.size() ? media[size_t(disk) - 1] : "";
}

void ScriptChecker::CheckDisks() {
    // Without disks the setup stops before the first disk.
    if (options_.isTemplate || disks_ == -1) return;
    rows_.assign(size_t(iNumPackages), RowMedia());
    const size_t dirs = options_.media.size();
    if (dirs > 1 && dirs != size_t(disks_))
        Error("Install", "disks",
              "the script names " + NumberText(disks_) + " disks, but " + NumberText(dirs) +
                  " media directories are given");
    for (int d = 1; d <= disks_ && d <= LAST_PROBED_DISK; ++d) CheckDisk(d);
    for (int d = 0; d <= LAST_PROBED_DISK; ++d) {
        if ((d >= 1 && d <= disks_) || !HasKeys(DiskSection(d))) continue;
        Error(DiskSection(d), "",
              d == 0 ? "the setup counts disks from 1 and never reads this section"
                     : "the section lies beyond disks=" + NumberText(disks_) +
                           ": the setup never reads it");
    }
    if (!tableRead_) return;
    for (int i = 0; i < iNumPackages; ++i) {
        if (rows_[size_t(i)].named) continue;
        Warning("Packages", Packages[i].szName,
                "no disk section names an archive of this package: nothing is installed for it");
    }
    CheckMediaTotals();
}

void ScriptChecker::CheckDisk(int disk) {
    const std::string section = DiskSection(disk);
    const std::vector<std::string> keys = Keys(
        section.c_str(), SCRIPT_DISK_KEYS_READ_SIZE,
        "it walks the list cut short and never extracts the archives of the keys that do not fit");
    // The keys the setup walks: the list as it reads it into its own buffer.
    char list[SCRIPT_LONG_KEYS_SIZE];
    uint32_t len = ReadDiskKeys(section.c_str(), list, sizeof list);
    size_t walked = 0;
    uint32_t offset = 0;
    while (NextKey(list, len, offset)) ++walked;
    for (size_t i = 0; i < keys.size() && i < walked; ++i) {
        bool cut = false;
        std::string archive = Value(section.c_str(), keys, i, SCRIPT_ARCHIVE_NAME_SIZE, true, &cut);
        CheckDiskKey(disk, keys[i], archive, cut);
    }
}

void ScriptChecker::CheckDiskKey(int disk, const std::string& key, const std::string& archive,
                                 bool cut) {
    const std::string section = DiskSection(disk);
    if (archive.empty()) {
        Warning(section, key, "the value is empty: the setup passes over the key");
        return;
    }
    std::vector<int> owners;
    for (int i = 0; tableRead_ && i < iNumPackages; ++i) {
        const char* name = Packages[i].szName;
        if (*name && strncmp(key.c_str(), name, strlen(name)) == 0) owners.push_back(i);
    }
    bool leftOut = false;
    for (const std::string& name : leftOut_)
        leftOut = leftOut || key.compare(0, name.size(), name) == 0;
    // A key of two packages is reported with their names.
    if (tableRead_ && owners.empty() && !leftOut)
        Error(section, key,
              "no package's name begins this key (case counts): its archive is never extracted");
    ArchiveContents contents;
    // A cut name is reported already; no medium holds it.
    bool whole = !cut && (options_.media.empty() || CheckArchive(disk, key, archive, contents));
    for (int i : owners) {
        RowMedia& row = rows_[size_t(i)];
        row.named = true;
        row.incomplete = row.incomplete || !whole;
        row.files += contents.files;
        row.bytes += contents.bytes;
    }
}

bool ScriptChecker::CheckArchive(int disk, const std::string& key, const std::string& archive,
                                 ArchiveContents& contents) {
    const std::string section = DiskSection(disk);
    const std::string dir = MediaDir(disk);
    if (dir.empty()) return false;  // more disks than media directories: reported once
    const std::string path = HostJoin(dir, archive);
    if (!IsFile(path)) {
        std::string elsewhere;
        for (const std::string& other : options_.media)
            if (elsewhere.empty() && IsFile(HostJoin(other, archive))) elsewhere = other;
        Error(section, key,
              "the archive " + QuoteText(archive) + " is not in " + dir +
                  (elsewhere.empty() ? std::string()
                                     : " but in " + elsewhere + ": the setup asks for disk " +
                                           NumberText(disk) + " until it finds it there"));
        return false;
    }
    std::string problem = ArchiveProblem(path.c_str(), contents);
    if (!problem.empty()) Error(section, key, path + " cannot be extracted whole: " + problem);
    return problem.empty();
}

void ScriptChecker::CheckMediaTotals() {
    if (options_.media.empty()) return;
    for (int i = 0; i < iNumPackages; ++i) {
        const RowMedia& row = rows_[size_t(i)];
        const Package& p = Packages[i];
        if (!row.named || row.incomplete) continue;
        if (uint32_t(p.lFiles) != row.files)
            Warning("Packages", p.szName,
                    "the value says " + NumberText(p.lFiles) +
                        (p.lFiles == 1 ? " file" : " files") + "; its archives hold " +
                        NumberText(row.files));
        if (uint32_t(p.lSize) < row.bytes)
            Warning("Packages", p.szName,
                    "the value says " + NumberText(uint32_t(p.lSize) / 1024) +
                        " K; its archives unpack to " + NumberText(row.bytes) +
                        " bytes: the Options dialog counts too little space");
    }
}
