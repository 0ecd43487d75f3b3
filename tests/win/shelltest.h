// Support for the shell integration tests under Wine: a copy of this test
// program run with shell32.dll disabled, generated USER.EXE files, and links
// read back through the shell's own ShellLink object.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// --- Cases that run only in a copy of win_tests.

// The mode that the running copy was started for ("" in win_tests itself).
std::string CopyMode();
// Registers a case of suite "Copy" to be run in a copy started with mode.
void RegisterCopyCase(const char* mode, const char* name, void (*body)(), const char* file,
                      int line);

struct CopyRun {
    DWORD exitCode;
    std::string output;  // standard output and error of the copy
};
// Runs the Copy cases of mode whose names match filter in a copy of win_tests
// named copyName (".exe" added). With noShell32 the copy cannot load
// shell32.dll; with a version (Wine's name, e.g. "win31") Wine reports that
// Windows version to the copy.
CopyRun RunInCopy(const char* mode, const char* copyName, bool noShell32, const char* filter,
                  const char* version = nullptr);
// True when output reports exactly `passed` cases passed and none failed.
bool CopyPassed(const CopyRun& run, int passed);

// --- Files and directories.

std::string ExeDir();  // the directory of this program, without backslash
std::string SystemDirectory();
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Removes a directory with the files directly in it.
void RemoveFolder(const std::string& dir);

// --- Version resources.

// A 16-bit version block (the layout GetFileVersionInfoA returns for a 16-bit
// module) and a 32-bit one, with the given file version words.
std::string VersionBlock16(uint32_t versionMS, uint32_t versionLS);
std::string VersionBlock32(uint32_t versionMS, uint32_t versionLS);
// A 16-bit module whose resource table holds `resource` as its version
// resource; an empty text gives a module with an icon resource only.
std::string NeModule(const std::string& resource);

// Puts a file of its own in place of the system directory's USER.EXE (none
// for a null content) while it lives.
class UserExeSwap {
public:
    explicit UserExeSwap(const std::string* content);
    ~UserExeSwap();
    UserExeSwap(const UserExeSwap&) = delete;
    UserExeSwap& operator=(const UserExeSwap&) = delete;

private:
    std::string user_, backup_;
};

// --- Links.

struct LinkInfo {
    std::string path;  // raw, as stored
    std::string arguments;
    std::string workDir;
    std::string description;
    std::string iconFile;
    int iconIndex;
    uint32_t flags;  // the link flags of the file header
};
const uint32_t linkHasArguments = 0x20;
const uint32_t linkHasIconLocation = 0x40;

// Reads a link file back through IShellLinkA and IPersistFile (ole32.dll
// loaded at run time); false when it cannot be loaded.
bool ReadLink(const std::string& file, LinkInfo& info);

// --- Program Manager.

// Our Program Manager stand-in (progman_server.exe beside this program),
// started for one case with its options; its log shows every command as it
// arrived.
class ProgmanServer {
public:
    explicit ProgmanServer(const std::vector<std::string>& options = {});
    ~ProgmanServer();
    ProgmanServer(const ProgmanServer&) = delete;
    ProgmanServer& operator=(const ProgmanServer&) = delete;

    bool Started() const { return started_; }
    DWORD Pid() const { return pi_.dwProcessId; }
    // Waits until the log holds the line.
    bool WaitForLine(const std::string& line, DWORD ms) const;
    // Ends the server and gives its log.
    std::vector<std::string> Stop();

private:
    std::vector<std::string> Lines() const;

    std::string log_;
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

// The log line of a command as our server received it, its NUL included.
std::string Executed(const std::string& text, const char* verdict = "accept");

// While it lives, only the process pid may answer the DDE initiations of
// this thread (0: nobody). Wine's desktop process serves "PROGMAN" too; our
// server raises its windows to the top, so the broadcast reaches it first,
// and this filter drops the answers of every other process.
class OnlyServer {
public:
    explicit OnlyServer(DWORD pid);
    ~OnlyServer();
    OnlyServer(const OnlyServer&) = delete;
    OnlyServer& operator=(const OnlyServer&) = delete;

private:
    HHOOK hook_;
};

// The process of the Program Manager conversation's partner, or 0.
DWORD PartnerPid();

// The running explorer.exe processes: the desktop's, and one per folder
// window that Wine's Program Manager opened for CreateGroup or ShowGroup.
std::vector<DWORD> ExplorerProcesses();
// Ends the explorer.exe processes that are not in before, but the desktop's;
// returns how many.
int EndExplorersSince(const std::vector<DWORD>& before);
