// The script checker's pieces, shared by its source files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/archivecheck.h"
#include "tools/common/scriptcheck.h"

// Disk sections outside 1 to disks are looked for up to here; the walk over
// the disks themselves stops here too.
const int LAST_PROBED_DISK = 99;

// The names of the script's sections in file order, repeats included.
std::vector<std::string> ScriptSectionNames();

class ScriptChecker {
public:
    explicit ScriptChecker(const ScriptCheckOptions& options) : options_(options) {}
    std::vector<ScriptFinding> Run();

    void Error(const std::string& section, const std::string& key, const std::string& message);
    void Warning(const std::string& section, const std::string& key, const std::string& message);

    // Every key name of a section in file order. When the list does not fit
    // size bytes, reports it with what the setup does then (consequence)
    // and sets *overflowed when given.
    std::vector<std::string> Keys(const char* section, uint32_t size,
                                  const std::string& consequence, bool* overflowed = nullptr);
    // The value of keys[index] as the setup reads it into size bytes (a
    // repeated key by its own line); a longer value is reported as cut and
    // sets *cut when given.
    std::string Value(const char* section, const std::vector<std::string>& keys, size_t index,
                      uint32_t size, bool cutIsError, bool* cut = nullptr);
    // Expands path codes with the default destination as "%I"; false when
    // the result needs more than size bytes (out then holds all of it).
    bool Expand(const std::string& text, size_t size, std::string& out);

    void CheckInstall();
    void CheckSections();
    void CheckPackages();
    void CheckDisks();
    void CheckIcons();
    void CheckWinIni();
    void CheckRunItems();
    void CheckDeleteFiles();

private:
    void Add(bool error, const std::string& section, const std::string& key,
             const std::string& message);
    void CheckPackage(const std::vector<std::string>& keys, size_t index);
    void CheckPackagePrefixes();
    void CheckPackageFields(const std::string& name, char* fields[], int n);
    void CheckPackageNumbers(const std::string& name, char* fields[], int n);
    void CheckDirectoryField(const std::string& name, const char* field);
    void CheckDisk(int disk);
    void CheckDiskKey(int disk, const std::string& key, const std::string& archive, bool cut);
    // The archive on the disk's media directory; true when it extracts whole.
    bool CheckArchive(int disk, const std::string& key, const std::string& archive,
                      ArchiveContents& contents);
    void CheckMediaTotals();
    void CheckRunList(const char* section);
    bool CheckGroupName(const std::string& group);
    void CheckIcon(const std::string& name, const std::string& title, const char* cmdField,
                   const char* iconField);
    // Warns when a word of the expanded command line names a file in the
    // directory of an optional package: the entry is made or run whether
    // or not the user chose that package (consequence says how).
    void CheckOptionalFiles(const char* section, const std::string& key,
                            const std::string& commandLine, const std::string& consequence);

    std::string MediaDir(int disk) const;

    // What the disks hold for one row of the package table.
    struct RowMedia {
        bool named = false;       // a disk section names an archive of it
        bool incomplete = false;  // one of its archives is missing or broken
        unsigned files = 0;
        unsigned long long bytes = 0;
    };

    const ScriptCheckOptions& options_;
    std::vector<ScriptFinding> findings_;
    int disks_ = 0;
    bool tableRead_ = false;  // the setup's package table holds the packages
    std::vector<RowMedia> rows_;
    std::vector<std::string> leftOut_;  // packages the reader leaves out, already reported
};

// Text helpers.
std::string QuoteText(const std::string& text);
std::string NumberText(long long value);
// A field that is a plain decimal number of 0 or more (blanks before it allowed).
bool IsCountField(const char* text);
