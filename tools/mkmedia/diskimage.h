// Disk images of a built set: a FAT12 image of each floppy (DISKn.IMG) and an
// ISO 9660 image of a CD (CD.ISO), made from the files of the disk
// directories, so that a vendor can write them to media or attach them to a
// virtual machine. The same files give the same bytes: no clock, no random
// serial.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

#include "tools/mkmedia/diskplan.h"

// A file of a disk, as its image holds it.
struct ImageFile {
    std::string name;  // 8.3, in capitals
    std::string path;  // where its bytes are read from
    uint64_t size;
    uint32_t stamp;  // DOS date and time
};

// Writes the images of a set just written beside its disk directories:
// OUTDIR\DISKn.IMG of each floppy, OUTDIR\CD.ISO of a CD, labelled with the
// stem and the disk's number. images gets every image written whole, also
// when a later one fails.
bool WriteImages(const MediaPreset& media, const DiskPlan& plan,
                 const std::vector<std::string>& diskDirs, const std::string& outDir,
                 const std::string& labelStem, std::vector<std::string>& images,
                 std::string& error);

// The label stem a vendor may give: 1 to 8 letters, digits or underscores;
// the labels are the stem in capitals and the disk's number.
bool IsLabelStem(const std::string& stem);
std::string VolumeLabel(const std::string& stem, int disk);

// Writes the FAT12 image of one floppy of media: boot sector and parameter
// block of the medium, two FATs, the label, then the files in their order.
bool WriteFatImage(const MediaPreset& media, const std::vector<ImageFile>& files,
                   const std::string& label, const std::string& path, std::string& error);

// Writes the ISO 9660 image (level 1 names) of one directory of files.
bool WriteIsoImage(const std::vector<ImageFile>& files, const std::string& volumeId,
                   const std::string& path, std::string& error);

// An image written under a temporary name beside its path and renamed to it
// once whole; whatever ends before Commit leaves no file behind.
class ImageOut {
public:
    explicit ImageOut(const std::string& path);
    ~ImageOut();
    ImageOut(const ImageOut&) = delete;
    ImageOut& operator=(const ImageOut&) = delete;

    bool Write(const void* data, size_t size);
    // Closes and renames; false with a reason.
    bool Commit(std::string& error);

private:
    std::string path_, temp_;
    PfFile* fp_;
    bool ok_;
};
