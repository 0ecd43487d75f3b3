#include "tests/unit/testenv.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

int scratchCount = 0;

// The host path of a Windows-syntax path (the same text on Windows).
fs::path HostPath(const std::string& path) {
#ifdef _WIN32
    return fs::path(path);
#else
    std::string host;
    PfHostPath(path.c_str(), host);
    return fs::path(host);
#endif
}

std::string TempRoot() {
#ifdef _WIN32
    char buf[MAX_PATH];
    DWORD n = GetTempPathA(sizeof buf, buf);
    std::string dir(buf, n);
    while (!dir.empty() && dir.back() == '\\') dir.pop_back();
    return dir;
#else
    return "C:\\TMP";
#endif
}

int ProcessId() {
#ifdef _WIN32
    return int(GetCurrentProcessId());
#else
    return 0;
#endif
}

MessageBoxRecorder* recorder = nullptr;

}  // namespace

ScratchDir::ScratchDir() {
    path_ =
        TempRoot() + "\\unit" + std::to_string(ProcessId()) + "_" + std::to_string(++scratchCount);
    fs::remove_all(HostPath(path_));
    if (PfMkdir(path_.c_str()) != 0) ADD_FAILURE() << "cannot create " << path_;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::path root = HostPath(path_);
    for (auto& entry : fs::recursive_directory_iterator(root, ec))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(root, ec);
}

#ifdef _WIN32
OtherDrive::OtherDrive(const std::string& dir) {
    typedef char*(CDECL * UnixName)(const WCHAR*);
    auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (!unixName || !(GetLogicalDrives() & (1u << 25)) ||
        !MultiByteToWideChar(CP_ACP, 0, dir.c_str(), -1, wide, MAX_PATH))
        return;
    char* name = unixName(wide);
    if (!name) return;
    path_ = std::string("Z:") + name;
    HeapFree(GetProcessHeap(), 0, name);
    for (char& c : path_)
        if (c == '/') c = '\\';
}

OtherDrive::~OtherDrive() {}

BOOL WINAPI Windows95MoveFileEx(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

HANDLE WINAPI DocumentedCreateFile(LPCSTR path, DWORD access, DWORD share,
                                   LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                   HANDLE templateFile) {
    DWORD attr = GetFileAttributesA(path);
    DWORD kept = attr == INVALID_FILE_ATTRIBUTES
                     ? 0
                     : attr & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) & ~flags;
    if (kept && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path, access, share, security, disposition, flags, templateFile);
}
#else
OtherDrive::OtherDrive(const std::string& dir) {
    std::string host;
    if (!PfHostPath(dir.c_str(), host)) return;
    PfMapDrive('D', host.c_str());
    path_ = "D:\\";
}

OtherDrive::~OtherDrive() {
    if (!path_.empty()) PfMapDrive('D', nullptr);
}
#endif

void WriteFile(const std::string& path, const std::string& bytes) {
    PfFile* fp = PfOpen(path.c_str(), "wb");
    ASSERT_TRUE(fp) << "cannot write " << path;
    PfWrite(fp, bytes.data(), bytes.size());
    PfClose(fp);
}

std::string ReadFile(const std::string& path) {
    PfFile* fp = PfOpen(path.c_str(), "rb");
    if (!fp) return std::string("<missing>");
    std::string bytes;
    char chunk[4096];
    size_t n;
    while ((n = PfRead(fp, chunk, sizeof chunk)) > 0) bytes.append(chunk, n);
    PfClose(fp);
    return bytes;
}

bool FileExists(const std::string& path) {
    return PfAccess(path.c_str(), 0) == 0;
}

std::string Bmp(const BmpLayout& s) {
    auto put = [](std::string& b, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b += char(i < 4 ? v >> (8 * i) : 0);
    };
    const int rows = s.height < 0 ? -s.height : s.height;
    const size_t stride = size_t((s.width * s.bits + 31) / 32 * 4);
    const size_t used = size_t((s.width * s.bits + 7) / 8);
    const size_t offset = 14 + size_t(s.header) + 4 * size_t(s.colours);
    std::string b = "BM";
    put(b, uint32_t(offset + stride * rows), 4);
    put(b, 0, 4);
    put(b, uint32_t(offset), 4);
    put(b, uint32_t(s.header), 4);
    put(b, uint32_t(s.width), 4);
    put(b, uint32_t(s.height), 4);
    put(b, 1, 2);
    put(b, uint32_t(s.bits), 2);
    put(b, uint32_t(s.compression), 4);
    put(b, uint32_t(stride * rows), 4);
    put(b, 0, 8);
    put(b, uint32_t(s.colours), 4);
    put(b, 16, 4);
    b.append(size_t(s.header) - 40, '\0');
    for (int i = 0; i < s.colours; ++i) put(b, uint32_t(0x10101 * i * 16), 4);
    for (int r = 0; r < rows; ++r) {
        // Rows in the file's order: a top-down file holds the bottom row last.
        const int bottomUp = s.height < 0 ? rows - 1 - r : r;
        for (size_t i = 0; i < stride; ++i) b += i < used ? char(bottomUp * 3 + int(i)) : '\0';
    }
    return b;
}

std::vector<std::string> AllNames(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto& entry : fs::directory_iterator(HostPath(dir), ec))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string WindowsDir() {
    char buf[260];
    PfGetWindowsDir(buf, sizeof buf);
    return buf;
}

std::string SystemDir() {
    char buf[260];
    PfGetSystemDir(buf, sizeof buf);
    return buf;
}

MessageBoxRecorder::MessageBoxRecorder() {
    recorder = this;
    previous_ = reinterpret_cast<void*>(PfSetMessageBoxHook(&MessageBoxRecorder::Hook));
}

MessageBoxRecorder::~MessageBoxRecorder() {
    PfSetMessageBoxHook(reinterpret_cast<PfMessageBoxHook>(previous_));
    recorder = nullptr;
}

int MessageBoxRecorder::Hook(HWND owner, const char* text, const char* caption, unsigned type) {
    recorder->boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    if (!recorder->answers_.empty()) {
        int id = recorder->answers_.front();
        recorder->answers_.erase(recorder->answers_.begin());
        return id;
    }
    if ((type & 0xf) == MB_YESNO) return (type & MB_DEFBUTTON2) ? IDNO : IDYES;
    return IDOK;
}
