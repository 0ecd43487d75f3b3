// Planning and writing a product's disk set.
#pragma once

#include <string>
#include <vector>

#include "tools/common/scriptcheck.h"
#include "tools/mkmedia/diskplan.h"
#include "tools/mkmedia/product.h"
#include "tools/mkmedia/template.h"

// Images beside the disk directories: OUTDIR\DISKn.IMG of a floppy,
// OUTDIR\CD.ISO of a CD, labelled with the stem and the disk's number.
struct ImageOptions {
    bool write = false;
    std::string labelStem = "DISK";
};

struct BuildResult {
    DiskPlan plan;
    std::vector<std::string> diskDirs;    // OUTDIR\DISK1, OUTDIR\DISK2, ... as host paths
    std::vector<std::string> images;      // OUTDIR\DISK1.IMG, ... or OUTDIR\CD.ISO
    std::vector<ScriptFinding> findings;  // of the written script, checked with the disks
    bool checked = false;                 // the written script could be checked
};

// Plans the disks, with room on disk 1 for the written script, which
// comes back in script. False with a reason when the product fits no set.
bool PlanMedia(const Product& product, const std::vector<ScriptLine>& lines,
               const MediaPreset& media, DiskPlan& plan, std::string& script, std::string& error);

// The number of disks the product takes on each medium; 0 where it fits
// no set (a file or the setup files too big for one disk).
struct DiskForecast {
    const MediaPreset* media;
    int disks;
};
std::vector<DiskForecast> ForecastDisks(const Product& product,
                                        const std::vector<ScriptLine>& lines);

// The script the disks get, for a plan: the template with the packages'
// files and sizes, the number of disks and the disk sections.
std::string MediaScript(const std::vector<ScriptLine>& lines, const Product& product,
                        const MediaPreset& media, const DiskPlan& plan);

// Plans the disks (disk 1 keeps room for the written script) and writes
// them below outDir, which must be missing or empty; then checks the
// written script as the setup will read it, with the disks as media, and
// writes the images when asked. On failure (also on an error finding)
// nothing written stays.
bool BuildMedia(const Product& product, const std::vector<ScriptLine>& lines,
                const MediaPreset& media, const std::string& outDir, BuildResult& result,
                std::string& error, const ImageOptions& images = ImageOptions());
