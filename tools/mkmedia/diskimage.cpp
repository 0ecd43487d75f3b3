#include "tools/mkmedia/diskimage.h"

#include <algorithm>

#include "platform/platform.h"
#include "platform/strutil.h"
#include "tools/mkmedia/product.h"

namespace {

const size_t MAX_LABEL = 11;  // a FAT label; ISO 9660 allows 32

bool LabelChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The files of a disk directory in the plan's order, with their sizes and
// dates. False with a reason.
bool ReadImageFiles(const std::string& dir, const std::vector<DiskEntry>& entries,
                    std::vector<ImageFile>& files, std::string& error) {
    files.clear();
    for (const DiskEntry& e : entries) {
        ImageFile f{e.name, HostJoin(dir, e.name), 0, 0};
        long long size = FileSize(f.path);
        if (size < 0 || !PfGetFileTime(f.path.c_str(), &f.stamp)) {
            error = f.path + ": cannot read it or its date";
            return false;
        }
        f.size = uint64_t(size);
        files.push_back(f);
    }
    return true;
}

}  // namespace

ImageOut::ImageOut(const std::string& path)
    : path_(path), temp_(path + ".tmp"), fp_(PfOpen(temp_.c_str(), "wb")), ok_(fp_ != nullptr) {}

ImageOut::~ImageOut() {
    if (fp_) PfClose(fp_);
    if (!temp_.empty()) PfRemove(temp_.c_str());
}

bool ImageOut::Write(const void* data, size_t size) {
    ok_ = ok_ && PfWrite(fp_, data, size) == size;
    return ok_;
}

bool ImageOut::Commit(std::string& error) {
    bool closed = fp_ && PfClose(fp_) == 0;
    fp_ = nullptr;
    if (!(ok_ && closed)) {
        error = temp_ + ": cannot write";
        return false;
    }
    if (PfRename(temp_.c_str(), path_.c_str()) != 0) {
        error = path_ + ": cannot rename " + temp_ + " to it";
        return false;
    }
    temp_.clear();
    return true;
}

bool IsLabelStem(const std::string& stem) {
    if (stem.empty() || stem.size() > 8) return false;
    for (char c : stem)
        if (!LabelChar(c)) return false;
    return true;
}

std::string VolumeLabel(const std::string& stem, int disk) {
    std::string number = std::to_string(disk), label = stem;
    StrUpper(&label[0]);
    return label.substr(0, MAX_LABEL - std::min(number.size(), MAX_LABEL)) + number;
}

bool WriteImages(const MediaPreset& media, const DiskPlan& plan,
                 const std::vector<std::string>& diskDirs, const std::string& outDir,
                 const std::string& labelStem, std::vector<std::string>& images,
                 std::string& error) {
    const bool cd = media.dataBytes == 0;
    for (size_t d = 0; d < diskDirs.size(); ++d) {
        std::vector<ImageFile> files;
        if (!ReadImageFiles(diskDirs[d], plan.disks[d], files, error)) return false;
        const std::string label = VolumeLabel(labelStem, int(d + 1));
        const std::string path =
            HostJoin(outDir, cd ? "CD.ISO" : "DISK" + std::to_string(d + 1) + ".IMG");
        if (!(cd ? WriteIsoImage(files, label, path, error)
                 : WriteFatImage(media, files, label, path, error)))
            return false;
        images.push_back(path);
    }
    return true;
}
