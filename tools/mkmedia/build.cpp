#include "tools/mkmedia/build.h"

#include <algorithm>

#include "app/globals.h"
#include "app/paths.h"
#include "platform/namelist.h"
#include "platform/platform.h"
#include "tools/common/arcwriter.h"
#include "tools/mkmedia/diskimage.h"

namespace {

// Rounds of planning until the written script fits the room kept for it.
const int MAX_PLAN_ROUNDS = 8;

struct Made {
    std::string path;
    bool isDir;
};

void SetDate(const std::string& path, uint32_t stamp) {
    if (PfFile* fp = PfOpen(path.c_str(), "rb+")) {
        PfSetFileTime(fp, stamp);
        PfClose(fp);
    }
}

std::vector<DiskEntry> SetupEntries(const Product& p, uint64_t scriptBytes) {
    std::vector<DiskEntry> entries{{"SETUP.EXE", uint64_t(FileSize(p.setup))},
                                   {"INSTALL.INI", scriptBytes}};
    if (!p.readme.empty()) entries.push_back({"README.TXT", uint64_t(FileSize(p.readme))});
    if (!p.ctl3d.empty()) entries.push_back({"CTL3D32.TMP", uint64_t(FileSize(p.ctl3d))});
    return entries;
}

std::vector<PlanPackage> PlanPackages(const Product& product) {
    std::vector<PlanPackage> packages;
    for (const ProductPackage& p : product.packages) {
        PlanPackage plan{p.name, {}};
        for (const ProductFile& f : p.files)
            plan.files.push_back(PlanFile{f.storedName, f.size, f.packed});
        packages.push_back(plan);
    }
    return packages;
}

bool Plan(const Product& product, const std::vector<ScriptLine>& lines, const MediaPreset& media,
          DiskPlan& plan, std::string& script, std::string& error) {
    const std::vector<PlanPackage> packages = PlanPackages(product);
    uint64_t room = 0;
    for (int round = 0; round < MAX_PLAN_ROUNDS; ++round) {
        if (!PlanDisks(media, SetupEntries(product, room), packages, plan, error)) return false;
        script = MediaScript(lines, product, media, plan);
        if (ClusterBytes(script.size(), media.cluster) <= ClusterBytes(room, media.cluster)) {
            plan.disks[0][1].size = script.size();
            return true;
        }
        room = script.size();
    }
    error = "the disk plan does not settle";
    return false;
}

bool MakeDir(const std::string& dir, std::vector<Made>& made, std::string& error) {
    if (PfMkdir(dir.c_str()) != 0) {
        error = dir + ": cannot create the directory";
        return false;
    }
    made.push_back(Made{dir, true});
    return true;
}

// The output directory: made when missing; an existing one must be empty.
bool PrepareOutDir(const std::string& dir, std::vector<Made>& made, std::string& error) {
    if (PfIsDirectory(dir.c_str())) {
        std::vector<std::string> files, dirs;
        std::string pattern = HostJoin(dir, "*");
        if (PfFindFiles(pattern.c_str(), files) && PfFindDirs(pattern.c_str(), dirs) &&
            files.empty() && dirs.empty())
            return true;
        error = dir + ": not empty; mkmedia writes only into a new or empty directory";
        return false;
    }
    std::vector<char> path(dir.begin(), dir.end());
    path.push_back('\0');
    CreatePath(path.data());
    if (!PfIsDirectory(dir.c_str())) {
        error = dir + ": cannot create the directory";
        return false;
    }
    made.push_back(Made{dir, true});
    return true;
}

bool WriteFile(const std::string& path, const std::string& bytes, uint32_t stamp,
               std::vector<Made>& made, std::string& error) {
    PfFile* fp = PfOpen(path.c_str(), "wb");
    if (fp) made.push_back(Made{path, false});
    bool ok = fp && PfWrite(fp, bytes.data(), bytes.size()) == bytes.size();
    if (fp) ok = PfClose(fp) == 0 && ok;
    if (!ok)
        error = path + ": cannot write";
    else
        SetDate(path, stamp);
    return ok;
}

bool CopyFile(const std::string& from, const std::string& to, std::vector<Made>& made,
              std::string& error) {
    PfFile* fp = PfOpen(from.c_str(), "rb");
    uint32_t stamp = 0;
    if (!fp || !PfGetFileTime(from.c_str(), &stamp)) {
        if (fp) PfClose(fp);
        error = from + ": cannot read it or its date";
        return false;
    }
    std::string bytes;
    char chunk[65536];
    size_t n;
    while ((n = PfRead(fp, chunk, sizeof chunk)) > 0) bytes.append(chunk, n);
    bool readOk = !PfError(fp);
    PfClose(fp);
    if (!readOk) error = from + ": cannot read";
    return readOk && WriteFile(to, bytes, stamp, made, error);
}

// SETUP.EXE as the product has it, or with its branding; dated as its file.
bool WriteSetup(const Product& p, const std::string& to, std::vector<Made>& made,
                std::string& error) {
    if (p.setupImage.empty()) return CopyFile(p.setup, to, made, error);
    uint32_t stamp = 0;
    if (!PfGetFileTime(p.setup.c_str(), &stamp)) {
        error = p.setup + ": cannot read its date";
        return false;
    }
    return WriteFile(to, p.setupImage, stamp, made, error);
}

bool WriteArchive(const std::string& dir, const PlannedArchive& a, const ProductPackage& pkg,
                  std::vector<Made>& made, std::string& error) {
    const std::string path = HostJoin(dir, a.name);
    ArcWriter w;
    bool ok = w.Create(path.c_str());
    if (ok) made.push_back(Made{path, false});
    uint32_t newest = 0;
    for (size_t i = a.first; ok && i < a.first + a.count; ++i) {
        ok = w.AddFile(pkg.files[i].storedName.c_str(), pkg.files[i].path.c_str());
        newest = std::max(newest, pkg.files[i].stamp);
    }
    if (!(ok && w.Finish())) {
        error = w.Error();
        return false;
    }
    long long size = FileSize(path);
    if (size != (long long)a.bytes) {
        error = path + ": " + std::to_string(size) + " bytes, not the " + std::to_string(a.bytes) +
                " planned; did a file change meanwhile?";
        return false;
    }
    SetDate(path, newest);
    return true;
}

void RemoveMade(const std::vector<Made>& made) {
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        it->isDir ? PfRmdir(it->path.c_str()) : PfRemove(it->path.c_str());
}

}  // namespace

std::string MediaScript(const std::vector<ScriptLine>& lines, const Product& product,
                        const MediaPreset& media, const DiskPlan& plan) {
    KeyValues packageValues;
    for (const ProductPackage& p : product.packages) {
        uint64_t bytes = 0;
        for (const ProductFile& f : p.files) bytes += ClusterBytes(f.size, media.cluster);
        packageValues.push_back(
            {p.name, PackageValue(p.fields, unsigned(p.files.size()), (bytes + 1023) / 1024)});
    }
    std::vector<KeyValues> disks(plan.disks.size());
    for (const PlannedArchive& a : plan.archives)
        disks[size_t(a.disk) - 1].push_back({product.packages[a.package].name, a.name});
    return RenderScript(lines, int(plan.disks.size()), packageValues, disks);
}

bool BuildMedia(const Product& product, const std::vector<ScriptLine>& lines,
                const MediaPreset& media, const std::string& outDir, BuildResult& result,
                std::string& error, const ImageOptions& images) {
    result = BuildResult{};
    std::string script;
    if (!Plan(product, lines, media, result.plan, script, error)) return false;
    std::vector<Made> made;
    bool ok = PrepareOutDir(outDir, made, error);
    for (size_t d = 0; ok && d < result.plan.disks.size(); ++d) {
        result.diskDirs.push_back(HostJoin(outDir, "DISK" + std::to_string(d + 1)));
        ok = MakeDir(result.diskDirs.back(), made, error);
    }
    const std::string disk1 = ok ? result.diskDirs[0] : "";
    uint32_t scriptDate = 0;
    if (ok && !PfGetFileTime(product.script.c_str(), &scriptDate)) {
        error = product.script + ": its date lies outside 1980 to 2107";
        ok = false;
    }
    ok = ok && WriteSetup(product, HostJoin(disk1, "SETUP.EXE"), made, error) &&
         WriteFile(HostJoin(disk1, "INSTALL.INI"), script, scriptDate, made, error) &&
         (product.readme.empty() ||
          CopyFile(product.readme, HostJoin(disk1, "README.TXT"), made, error)) &&
         (product.ctl3d.empty() ||
          CopyFile(product.ctl3d, HostJoin(disk1, "CTL3D32.TMP"), made, error));
    for (const PlannedArchive& a : result.plan.archives)
        ok = ok && WriteArchive(result.diskDirs[size_t(a.disk) - 1], a, product.packages[a.package],
                                made, error);
    if (ok && UseScriptFile(HostJoin(disk1, "INSTALL.INI").c_str())) {
        ScriptCheckOptions options;
        options.media = result.diskDirs;
        result.findings = CheckScript(options);
        result.checked = true;
        if (HasErrors(result.findings)) {
            error = "the written script does not pass the check";
            ok = false;
        }
    }
    if (ok && images.write) {
        ok = WriteImages(media, result.plan, result.diskDirs, outDir, images.labelStem,
                         result.images, error);
        for (const std::string& image : result.images) made.push_back(Made{image, false});
    }
    if (!ok) RemoveMade(made);
    return ok;
}
