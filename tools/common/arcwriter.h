// Writing archives of the format described in archive/directory.h: every member a
// zlib stream at level 9 with its CRC-32 and DOS date and time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

// Why the setup could not extract a member stored under name, or null when
// it could: names that leave the destination, names Windows cannot create,
// names the extraction turns into a directory (no dot), names too long.
const char* StoredNameProblem(const char* name);

struct ArcTotals {
    unsigned count;
    uint64_t length;  // uncompressed bytes
    uint64_t packed;  // bytes of the member streams
};

class ArcWriter {
public:
    ArcWriter();
    // An archive not finished is closed and removed.
    ~ArcWriter();
    ArcWriter(const ArcWriter&) = delete;
    ArcWriter& operator=(const ArcWriter&) = delete;

    bool Create(const char* path);
    // Adds a file under its stored name, dated with its last-write time.
    bool AddFile(const char* storedName, const char* path);
    // Adds bytes under a stored name with a DOS date (high word) and time.
    bool AddData(const char* storedName, const void* data, size_t size, uint32_t dosStamp);
    // Writes the directory and the header; the archive is complete.
    bool Finish();

    const std::string& Error() const { return error_; }
    ArcTotals Totals() const;

private:
    struct Member {
        std::string name;
        uint32_t length, packed, offset, crc, stamp;
    };
    typedef size_t (*Source)(void* ctx, unsigned char* buf, size_t size);
    bool AddStream(const char* storedName, Source read, void* ctx, uint32_t dosStamp);
    bool Deflate(Source read, void* ctx, Member& m);
    bool WriteDirectory();
    bool Fail(const std::string& message);
    void Abandon();

    PfFile* fp_;
    std::string path_;
    std::vector<Member> members_;
    std::set<std::string> upperNames_;  // Windows names ignore case
    std::string error_;
};

// Adds the stored names of every file below dir\prefix to names: relative
// to dir, with backslashes. False with a message in error.
bool ArcListFiles(const std::string& dir, const std::string& prefix,
                  std::vector<std::string>& names, std::string& error);

// Packs every file below dir into archive: stored names relative to dir with
// backslashes, in sorted order. False with a message in error.
bool ArcCreateFromDir(const char* archive, const char* dir, std::string& error,
                      ArcTotals* totals = nullptr);
