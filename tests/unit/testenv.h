// Support shared by the unit tests of both builds.
#pragma once

#include <string>
#include <vector>

#include "platform/wintypes.h"

// A fresh directory for one test, named in Windows syntax, removed at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }  // no trailing backslash
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// dir, named on a second drive: Wine's Z: (the Unix root) under Wine, the
// stand-in's D: mapped onto it (while this lives) on Linux; empty where
// there is none.
class OtherDrive {
public:
    explicit OtherDrive(const std::string& dir);
    ~OtherDrive();
    OtherDrive(const OtherDrive&) = delete;
    OtherDrive& operator=(const OtherDrive&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

#ifdef _WIN32
// Kernel answers that Wine does not give, for PfSetKernelStandIns: the
// MoveFileExA of Windows 95, and CreateFileA refusing to replace a hidden or
// system file without those attributes, as Windows documents it.
BOOL WINAPI Windows95MoveFileEx(LPCSTR from, LPCSTR to, DWORD flags);
HANDLE WINAPI DocumentedCreateFile(LPCSTR path, DWORD access, DWORD share,
                                   LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                   HANDLE templateFile);
#endif

// Whole-file helpers on Windows-syntax paths.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// The names of every entry of dir, hidden and system ones too.
std::vector<std::string> AllNames(const std::string& dir);

// A BMP file of the given form; pixel bytes count up from 3 times the row
// (bottom up), row padding is zero, colour i is grey 16 * i.
struct BmpLayout {
    int width = 250, height = 75, bits = 4, compression = 0, colours = 16, header = 40;
};
std::string Bmp(const BmpLayout& layout);

// The Windows and system directories as the platform names them.
std::string WindowsDir();
std::string SystemDir();

// Records every message box while it lives; answers from a queue, else with
// the box's default button.
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    unsigned type;
};

class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    void Answer(int id) { answers_.push_back(id); }
    std::vector<MessageBoxRecord> boxes;

private:
    static int Hook(HWND owner, const char* text, const char* caption, unsigned type);
    std::vector<int> answers_;
    void* previous_;
};
