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

// Whole-file helpers on Windows-syntax paths.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// A BMP file of the given form; pixel bytes count up from 3 times the row
// (bottom up), row padding is zero, colour i is grey 16 * i.
struct BmpSpec {
    int width = 250, height = 75, bits = 4, compression = 0, colours = 16, header = 40;
};
std::string Bmp(const BmpSpec& spec);

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
