#include "tests/win/shelltest.h"

// After windows.h, which they need.
#include <dde.h>
#include <ddeml.h>
#include <gtest/gtest.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/setup_win.h"
#include "shell/progman.h"

namespace {

const char kModeVariable[] = "SHELL_TEST_MODE";

class CopyCase : public testing::Test {
public:
    explicit CopyCase(void (*body)()) : body_(body) {}
    void TestBody() override { body_(); }

private:
    void (*body_)();
};

std::string ReadWhole(const std::string& path) {
    std::string bytes;
    if (FILE* fp = fopen(path.c_str(), "rb")) {
        char chunk[4096];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, fp)) > 0) bytes.append(chunk, n);
        fclose(fp);
    }
    return bytes;
}

void Put16(std::string& s, uint16_t v) {
    s += char(v & 0xff);
    s += char(v >> 8);
}

void Put32(std::string& s, uint32_t v) {
    Put16(s, uint16_t(v & 0xffff));
    Put16(s, uint16_t(v >> 16));
}

void PutFixedInfo(std::string& s, uint32_t versionMS, uint32_t versionLS) {
    const uint32_t fields[13] = {0xFEEF04BD, 0x00010000, versionMS, versionLS,  versionMS,
                                 versionLS,  0x3F,       0,         0x00010001, 2,
                                 0,          0,          0};
    for (uint32_t f : fields) Put32(s, f);
}

// The shell's identifiers, written out here rather than taken from the
// program, so that a wrong one there cannot cancel out.
const GUID kShellLinkClass = {0x00021401, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kShellLinkA = {0x000214ee, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kPersistFile = {0x0000010b, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

typedef HRESULT(WINAPI* CoInitializeFn)(LPVOID);
typedef HRESULT(WINAPI* CoCreateInstanceFn)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
typedef void(WINAPI* CoUninitializeFn)();

template <typename T>
T Entry(HMODULE lib, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
}

void ReadLinkFields(IShellLinkA* link, LinkInfo& info) {
    char text[MAX_PATH];
    text[0] = '\0';
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    info.path = text;
    text[0] = '\0';
    link->GetArguments(text, MAX_PATH);
    info.arguments = text;
    text[0] = '\0';
    link->GetWorkingDirectory(text, MAX_PATH);
    info.workDir = text;
    text[0] = '\0';
    link->GetDescription(text, MAX_PATH);
    info.description = text;
    text[0] = '\0';
    info.iconIndex = -1;
    link->GetIconLocation(text, MAX_PATH, &info.iconIndex);
    info.iconFile = text;
}

void SetAppValue(const std::string& key, const char* name, const char* value) {
    HKEY hkey;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hkey,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(hkey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   DWORD(strlen(value) + 1));
    RegCloseKey(hkey);
}

}  // namespace

std::string CopyMode() {
    char mode[64];
    DWORD n = GetEnvironmentVariableA(kModeVariable, mode, sizeof mode);
    return n > 0 && n < sizeof mode ? std::string(mode) : std::string();
}

void RegisterCopyCase(const char* mode, const char* name, void (*body)(), const char* file,
                      int line) {
    if (CopyMode() != mode) return;
    testing::RegisterTest("Copy", name, nullptr, nullptr, file, line,
                          [body]() -> testing::Test* { return new CopyCase(body); });
}

CopyRun RunInCopy(const char* mode, const char* copyName, bool noShell32, const char* filter,
                  const char* version) {
    CopyRun run{DWORD(-1), ""};
    char self[MAX_PATH];
    ModuleFileName(nullptr, self, MAX_PATH);
    std::string exe = ExeDir() + "\\" + copyName + ".exe";
    if (!CopyFileA(self, exe.c_str(), FALSE)) return run;

    std::string appKey = std::string("Software\\Wine\\AppDefaults\\") + copyName + ".exe";
    std::string overrides = appKey + "\\DllOverrides";
    std::string x11 = appKey + "\\X11 Driver";
    if (noShell32) SetAppValue(overrides, "shell32", "disabled");
    if (version) SetAppValue(appKey, "Version", version);
    // Unmanaged windows, as for win_tests: no wait for a window manager.
    SetAppValue(x11, "Managed", "N");

    std::string outPath = ExeDir() + "\\" + copyName + ".out";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    std::string cmdLine = "\"" + exe + "\" --gtest_filter=Copy." + filter;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi;
    SetEnvironmentVariableA(kModeVariable, mode);
    BOOL started = CreateProcessA(exe.c_str(), &cmdLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &si, &pi);
    SetEnvironmentVariableA(kModeVariable, nullptr);
    CloseHandle(out);
    if (started) {
        if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0)
            TerminateProcess(pi.hProcess, 3);
        GetExitCodeProcess(pi.hProcess, &run.exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    run.output = ReadWhole(outPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(exe.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, overrides.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, x11.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, appKey.c_str());
    return run;
}

bool CopyPassed(const CopyRun& run, int passed) {
    std::string line =
        "[  PASSED  ] " + std::to_string(passed) + (passed == 1 ? " test." : " tests.");
    return run.exitCode == 0 && run.output.find(line) != std::string::npos &&
           run.output.find("[  FAILED  ]") == std::string::npos;
}

std::string ExeDir() {
    char path[MAX_PATH];
    DWORD n = ModuleFileName(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\'));
}

std::string SystemDirectory() {
    char dir[MAX_PATH];
    UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    return std::string(dir, n);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* fp = fopen(path.c_str(), "wb");
    ASSERT_TRUE(fp) << "cannot write " << path;
    fwrite(bytes.data(), 1, bytes.size(), fp);
    fclose(fp);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveFolder(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((dir + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

std::string VersionBlock16(uint32_t versionMS, uint32_t versionLS) {
    std::string b;
    Put16(b, 72);  // block length: header 20, fixed information 52
    Put16(b, 52);
    b.append("VS_VERSION_INFO", 16);  // with its NUL
    PutFixedInfo(b, versionMS, versionLS);
    return b;
}

std::string VersionBlock32(uint32_t versionMS, uint32_t versionLS) {
    std::string b;
    Put16(b, 92);  // header 6, UTF-16 key 32, padding 2, fixed information 52
    Put16(b, 52);
    Put16(b, 0);
    for (const char* p = "VS_VERSION_INFO"; *p; ++p) Put16(b, uint16_t(*p));
    Put16(b, 0);
    Put16(b, 0);  // to a 32-bit boundary
    PutFixedInfo(b, versionMS, versionLS);
    return b;
}

/* The smallest 16-bit module that the version reader accepts:
     0x00  MZ header, e_lfanew (0x3C) = 0x40
     0x40  NE header: ne_rsrctab (+0x24) and ne_restab (+0x26), relative to it
     0x80  resource table: alignment shift 0, one type (RT_VERSION, or
           RT_ICON for "none") with one resource 0x8001, then 0
     0x98  resident name table: empty
    0x100  the resource's bytes */
std::string NeModule(const std::string& resource) {
    const std::string data = resource.empty() ? std::string("icon") : resource;
    std::string m(0x100, '\0');
    m[0] = 'M';
    m[1] = 'Z';
    m[0x3C] = 0x40;
    m[0x40] = 'N';
    m[0x41] = 'E';
    std::string table;
    Put16(table, 0);                                   // alignment shift
    Put16(table, resource.empty() ? 0x8003 : 0x8010);  // type
    Put16(table, 1);                                   // count
    Put32(table, 0);
    Put16(table, 0x100);  // offset
    Put16(table, uint16_t(data.size()));
    Put16(table, 0x30);    // flags: moveable, pure
    Put16(table, 0x8001);  // id
    Put32(table, 0);       // handle, usage
    Put16(table, 0);       // end of types
    m.replace(0x80, table.size(), table);
    const uint16_t rsrctab = 0x40;
    const uint16_t restab = uint16_t(rsrctab + table.size());
    m[0x40 + 0x24] = char(rsrctab);
    m[0x40 + 0x26] = char(restab);
    return m + data;
}

UserExeSwap::UserExeSwap(const std::string* content)
    : user_(SystemDirectory() + "\\USER.EXE"), backup_(user_ + ".shelltest") {
    // A backup left by an interrupted run is the original.
    if (Exists(backup_)) MoveFileExA(backup_.c_str(), user_.c_str(), MOVEFILE_REPLACE_EXISTING);
    MoveFileA(user_.c_str(), backup_.c_str());
    if (content) WriteBytes(user_, *content);
}

UserExeSwap::~UserExeSwap() {
    DeleteFileA(user_.c_str());
    MoveFileA(backup_.c_str(), user_.c_str());
}

bool ReadLink(const std::string& file, LinkInfo& info) {
    info = LinkInfo{};
    std::string header(0x18, '\0');
    if (FILE* fp = fopen(file.c_str(), "rb")) {
        if (fread(&header[0], 1, header.size(), fp) == header.size())
            memcpy(&info.flags, &header[0x14], sizeof info.flags);
        fclose(fp);
    }
    HMODULE ole32 = LoadLibraryA("ole32.dll");
    if (!ole32) return false;
    auto coInitialize = Entry<CoInitializeFn>(ole32, "CoInitialize");
    auto coCreateInstance = Entry<CoCreateInstanceFn>(ole32, "CoCreateInstance");
    auto coUninitialize = Entry<CoUninitializeFn>(ole32, "CoUninitialize");
    bool initialised = SUCCEEDED(coInitialize(nullptr));

    bool loaded = false;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(coCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(kPersistFile, reinterpret_cast<void**>(&persist)))) {
            std::vector<WCHAR> wide(file.size() + 1);
            MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide.data(), int(wide.size()));
            loaded = SUCCEEDED(persist->Load(wide.data(), STGM_READ));
            if (loaded) ReadLinkFields(link, info);
            persist->Release();
        }
        link->Release();
    }
    if (initialised) coUninitialize();
    FreeLibrary(ole32);
    return loaded;
}

ProgmanServer::ProgmanServer(const std::vector<std::string>& options) {
    static int count = 0;
    std::string tag = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++count);
    log_ = ExeDir() + "\\progman_" + tag + ".log";
    std::string eventName = "ProgmanServerReady_" + tag;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    std::string exe = ExeDir() + "\\progman_server.exe";
    std::string cmdLine = "\"" + exe + "\" \"" + log_ + "\" " + eventName;
    for (const std::string& o : options) cmdLine += " \"" + o + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (CreateProcessA(exe.c_str(), &cmdLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi_)) {
        HANDLE both[2] = {ready, pi_.hProcess};
        started_ = WaitForMultipleObjects(2, both, FALSE, 10000) == WAIT_OBJECT_0;
    }
    CloseHandle(ready);
}

ProgmanServer::~ProgmanServer() {
    Stop();
    DeleteFileA(log_.c_str());
}

bool ProgmanServer::WaitForLine(const std::string& line, DWORD ms) const {
    for (DWORD waited = 0; waited <= ms; waited += 10) {
        for (const std::string& l : Lines())
            if (l == line) return true;
        Sleep(10);
    }
    return false;
}

std::vector<std::string> ProgmanServer::Stop() {
    if (pi_.hProcess) {
        PostThreadMessageA(pi_.dwThreadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(pi_.hProcess, 3);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
        pi_ = PROCESS_INFORMATION{};
    }
    return Lines();
}

std::vector<std::string> ProgmanServer::Lines() const {
    std::vector<std::string> lines;
    if (FILE* fp = fopen(log_.c_str(), "r")) {
        char line[512];
        while (fgets(line, sizeof line, fp)) {
            std::string l(line);
            while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.pop_back();
            lines.push_back(l);
        }
        fclose(fp);
    }
    return lines;
}

std::string Executed(const std::string& text, const char* verdict) {
    return "EXECUTE " + std::to_string(text.size() + 1) + " " + verdict + " " + text;
}

namespace {

DWORD allowedPid;
const char kOriginalProc[] = "ShellTestProc";

bool FromAllowed(HWND sender) {
    DWORD pid = 0;
    GetWindowThreadProcessId(sender, &pid);
    return pid == allowedPid;
}

LRESULT CALLBACK FilterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOriginalProc));
    HWND sender = reinterpret_cast<HWND>(wParam);
    if (msg == WM_DDE_ACK && !FromAllowed(sender)) {
        // An answer to our initiation: ignored. No WM_DDE_TERMINATE goes back,
        // since the server's reply to it would end Wine's wait for the first
        // transaction with a failure; the other server keeps a conversation
        // without partner.
        GlobalDeleteAtom(LOWORD(lParam));
        GlobalDeleteAtom(HIWORD(lParam));
        return 0;
    }
    return IsWindowUnicode(hwnd) ? CallWindowProcW(original, hwnd, msg, wParam, lParam)
                                 : CallWindowProcA(original, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK SubclassNewWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        LONG_PTR proc = reinterpret_cast<LONG_PTR>(FilterProc);
        LONG_PTR original = IsWindowUnicode(hwnd) ? SetWindowLongPtrW(hwnd, GWLP_WNDPROC, proc)
                                                  : SetWindowLongPtrA(hwnd, GWLP_WNDPROC, proc);
        SetPropA(hwnd, kOriginalProc, reinterpret_cast<HANDLE>(original));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

OnlyServer::OnlyServer(DWORD pid) {
    allowedPid = pid;
    hook_ = SetWindowsHookExA(WH_CBT, SubclassNewWindows, nullptr, GetCurrentThreadId());
}

OnlyServer::~OnlyServer() {
    UnhookWindowsHookEx(hook_);
}

DWORD PartnerPid() {
    CONVINFO info = {};
    info.cb = sizeof info;
    if (!DdeQueryConvInfo(hConv, QID_SYNC, &info)) return 0;
    DWORD pid = 0;
    GetWindowThreadProcessId(info.hwndPartner, &pid);
    return pid;
}

std::vector<DWORD> ExplorerProcesses() {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, "explorer.exe") == 0) found.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

int EndExplorersSince(const std::vector<DWORD>& before) {
    DWORD desktop = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktop);
    int ended = 0;
    for (DWORD pid : ExplorerProcesses()) {
        if (pid == desktop || std::find(before.begin(), before.end(), pid) != before.end())
            continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            if (TerminateProcess(process, 0)) ++ended;
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    return ended;
}
