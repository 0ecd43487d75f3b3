// mkmedia: builds a product's disk set, ready to copy onto floppies or a CD.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "platform/platform.h"
#include "tools/common/scriptcheck.h"
#include "tools/common/scripttext.h"
#include "tools/mkmedia/build.h"
#include "tools/mkmedia/diskimage.h"

namespace {

const int kOk = 0, kRefused = 1, kBadUsage = 2;

const char kUsage[] =
    "usage: mkmedia PRODUCT OUTDIR [--media PRESET] [--setup FILE]\n"
    "                              [--image [--label STEM]] [--codepage N]\n"
    "\n"
    "Builds the disk set of the product in directory PRODUCT into OUTDIR\\DISK1,\n"
    "OUTDIR\\DISK2, ... (OUTDIR must be missing or empty).\n"
    "\n"
    "PRODUCT holds (names in any case):\n"
    "  install.ini   the install script template: every section the setup reads,\n"
    "                but no \"disks\" key and no [DiskN] sections; each [Packages]\n"
    "                value has all six fields, files and size as placeholders (?)\n"
    "  readme.txt    the readme (optional)\n"
    "  SETUP.EXE     the setup program (or --setup FILE)\n"
    "  ctl3d32.tmp   the 3-D controls library (optional)\n"
    "  logo.bmp      the intro's logo: 250 x 75 pixels, 16 colours (optional)\n"
    "  credits.txt   the intro's credit lines (optional): 1 the heading, 2 to 4\n"
    "                developers and company, 5 and 6 the copyright\n"
    "  NAME\\         one folder per package, named as its key in [Packages];\n"
    "                its files and sub-folders are installed into the package's\n"
    "                directory\n"
    "\n"
    "Each package is packed into archives NAME + package number + part number\n"
    "(.ARC), placed in install order after SETUP.EXE, INSTALL.INI, README.TXT\n"
    "and CTL3D32.TMP on disk 1, a new archive on the next disk when one is full,\n"
    "so the setup asks for every disk once, in ascending order. The written\n"
    "INSTALL.INI gets \"disks\", the [DiskN] sections, and each package's number\n"
    "of files and size in K (files rounded up to the medium's clusters). The\n"
    "same input gives the same bytes: members in name order, dated as the files.\n"
    "\n"
    "  --media PRESET   360K, 720K, 1.2M, 1.44M (default), 2.88M, or cd (one\n"
    "                   directory, no limit). Floppies follow FAT12: whole\n"
    "                   clusters, the root directory's entries (112, 224 or 240,\n"
    "                   one kept for a label), 8.3 names in capitals\n"
    "  --setup FILE     SETUP.EXE from elsewhere\n"
    "  --image          also writes the disk images beside the directories:\n"
    "                   OUTDIR\\DISK1.IMG, ... (FAT12, as DOS FORMAT lays out the\n"
    "                   medium) or OUTDIR\\CD.ISO (ISO 9660, level 1 names), the\n"
    "                   files dated as in the directories; the same input gives\n"
    "                   the same bytes\n"
    "  --label STEM     the images' volume labels: STEM1, STEM2, ... (1 to 8\n"
    "                   letters, digits or _; DISK1, DISK2, ... without it)\n"
    "  --codepage N     the Windows code page the script, the credits and the\n"
    "                   file names are written in, from UTF-8: 1252 (default),\n"
    "                   1250, 1251, 1253 to 1257; it must be the ANSI code page\n"
    "                   of the users' Windows\n"
    "\n"
    "Refused, with the reason: whatever the setup could not install as the\n"
    "template says (every error inicheck reports), a file too big for one disk,\n"
    "setup files that fill disk 1, stored names the setup cannot extract, text\n"
    "the code page cannot hold, a logo or a credit line the intro cannot show.\n"
    "\n"
    "Exit status: 0 built, 1 refused (nothing written), 2 bad usage.\n";

int Usage(const std::string& message) {
    fprintf(stderr, "mkmedia: %s\n%s", message.c_str(), kUsage);
    return kBadUsage;
}

int Refuse(const std::string& message) {
    fflush(stdout);
    fprintf(stderr, "mkmedia: %s\n", message.c_str());
    return kRefused;
}

// Prints the findings not printed before, their texts in the code page when
// it is given; true when there is no error.
bool Report(const std::string& file, const std::vector<ScriptFinding>& findings,
            std::set<std::string>& printed, const CodePage* page = nullptr) {
    for (const ScriptFinding& found : findings) {
        const ScriptFinding f = page ? FindingAsUtf8(found, *page) : found;
        std::string line = FormatFinding(file, f);
        if (printed.insert(f.section + ":" + f.key + ":" + f.message).second)
            fprintf(stderr, "mkmedia: %s\n", line.c_str());
    }
    return !HasErrors(findings);
}

void Summary(const MediaPreset& media, const Product& product, const BuildResult& r) {
    for (size_t d = 0; d < r.plan.disks.size(); ++d) {
        const std::vector<DiskEntry>& files = r.plan.disks[d];
        printf("%s: %u %s, %" PRIu64 " bytes in clusters of %u", r.diskDirs[d].c_str(),
               unsigned(files.size()), files.size() == 1 ? "file" : "files",
               DiskBytesUsed(media, files), unsigned(media.cluster));
        if (media.dataBytes)
            printf(" of %" PRIu64 ", root entries %u of %u", media.dataBytes,
                   unsigned(files.size()), media.rootEntries - 1);
        printf("\n");
        for (const DiskEntry& e : files) {
            printf("  %-12s %10" PRIu64, e.name.c_str(), e.size);
            for (const PlannedArchive& a : r.plan.archives)
                if (a.name == e.name)
                    printf("  %s, %u %s", product.packages[a.package].name.c_str(),
                           unsigned(a.count), a.count == 1 ? "file" : "files");
            printf("\n");
        }
    }
}

void ImageSummary(const MediaPreset& media, const BuildResult& r, const ImageOptions& options) {
    for (size_t i = 0; i < r.images.size(); ++i) {
        long long size = FileSize(r.images[i]);
        printf("%s: %lld bytes, %s image, label %s\n", r.images[i].c_str(), size,
               media.dataBytes ? "FAT12 floppy" : "ISO 9660 CD",
               VolumeLabel(options.labelStem, int(i + 1)).c_str());
    }
}

int Build(const char* dir, const char* outDir, const MediaPreset& media, const char* setup,
          const ImageOptions& images, const CodePage& page) {
    Product product;
    product.page = &page;
    std::string error, raw, text;
    if (!LocateProduct(dir, setup, product, error)) return Refuse(error);
    if (!ReadWholeFile(product.script, raw)) return Refuse(product.script + ": cannot be read");
    std::set<std::string> printed;
    if (!Report(product.script, ConvertTemplate(raw, page, text), printed))
        return Refuse("the template cannot be written in code page " + std::to_string(page.number) +
                      "; nothing written");
    // The checks read the template as the setup reads a script: converted.
    ScratchFile converted;
    if (!converted.Write(text, error)) return Refuse(error);
    if (!UseScriptFile(converted.Path().c_str()))
        return Refuse(converted.Path() +
                      ": its full path is longer than the setup's 143 characters");
    ScriptCheckOptions options;
    options.isTemplate = true;
    if (!Report(product.script, CheckScript(options), printed, &page))
        return Refuse("the template has errors; nothing written");
    std::vector<ScriptLine> lines;
    if (!SplitTemplate(text, lines, error)) return Refuse(product.script + ": " + error);
    bool ok = ReadPackageFiles(product, error);
    std::vector<std::string> problems;
    bool branded = ok && BrandProduct(product, problems);
    for (const std::string& w : product.warnings)
        fprintf(stderr, "mkmedia: warning: %s\n", w.c_str());
    if (!ok) return Refuse(error);
    for (const std::string& p : problems) fprintf(stderr, "mkmedia: %s\n", p.c_str());
    if (!branded) return Refuse("the logo or the credits cannot be used; nothing written");

    BuildResult result;
    ok = BuildMedia(product, lines, media, outDir, result, error, images);
    if (!result.diskDirs.empty())
        Report(HostJoin(result.diskDirs[0], "INSTALL.INI"), result.findings, printed, &page);
    if (!ok) return Refuse(error + "; nothing written");
    if (!result.checked)
        fprintf(stderr,
                "mkmedia: warning: the written script was not checked: its full path is "
                "longer than 143 characters\n");
    Summary(media, product, result);
    ImageSummary(media, result, images);
    return kOk;
}

struct Args {
    const char* paths[2] = {nullptr, nullptr};
    const char* media = "1.44M";
    const char* setup = "";
    const char* label = nullptr;
    const char* codepage = "1252";
    bool image = false;
};

// The command line into args; -1 when it is sound, else the exit status.
int ParseArgs(int argc, char** argv, Args& args) {
    int n = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char** value = arg == "--media"      ? &args.media
                             : arg == "--setup"    ? &args.setup
                             : arg == "--label"    ? &args.label
                             : arg == "--codepage" ? &args.codepage
                                                   : nullptr;
        if (arg == "--help" || arg == "-h") {
            fputs(kUsage, stdout);
            return kOk;
        }
        if (value && i + 1 >= argc) return Usage(arg + " needs a value");
        if (value)
            *value = argv[++i];
        else if (arg == "--image")
            args.image = true;
        else if (arg[0] == '-' && arg.size() > 1)
            return Usage("unknown option " + arg);
        else if (n < 2)
            args.paths[n++] = argv[i];
        else
            return Usage("too many arguments");
    }
    if (n != 2) return Usage("PRODUCT and OUTDIR are needed");
    if (args.label && !args.image) return Usage("--label labels the images of --image");
    if (args.label && !IsLabelStem(args.label))
        return Usage(std::string("bad label ") + args.label + ": 1 to 8 letters, digits or _");
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    int status = ParseArgs(argc, argv, args);
    if (status >= 0) return status;
    const MediaPreset* media = FindMediaPreset(args.media);
    if (!media)
        return Usage(std::string("unknown medium ") + args.media + " (" + MediaPresetNames() + ")");
    char* end = nullptr;
    const CodePage* page = FindCodePage(int(strtol(args.codepage, &end, 10)));
    if (!page || *end)
        return Usage(std::string("unknown code page ") + args.codepage + " (" + CodePageNumbers() +
                     ")");
    ImageOptions images;
    images.write = args.image;
    if (args.label) images.labelStem = args.label;
    return Build(args.paths[0], args.paths[1], *media, args.setup, images, *page);
}
