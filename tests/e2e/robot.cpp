// The end-to-end robot: a console program that runs beside SETUP.EXE in the
// same Wine prefix and desktop and follows a scenario, one command a line.
//
//   robot.exe SCENARIO      follow the scenario; exit 0 when every step passed
//   robot.exe --touch FILE  write FILE (a program for the install script to start)
//
// Checks (caption, text, enabled, disabled, visible, hidden) wait until
// they hold, up to the timeout.
// Commands (TEXT is the rest of the line, with \n, \t and \\ escapes; PATH
// the rest of the line as it stands; ID a number, or ok, cancel, yes, no,
// message = the text of a message box):
//   window TITLE              wait for a dialog or message box titled TITLE;
//                             it becomes the current window
//   window-class CLASS TITLE  the same for a top-level window of class CLASS
//   window-with TEXT          wait for a dialog that has a control showing
//                             TEXT (for a dialog without a caption)
//   caption TEXT              the current window's caption is TEXT
//   text ID TEXT              control ID's text is TEXT
//   set ID TEXT               put TEXT into control ID (an edit sends EN_CHANGE)
//   select ID INDEX           select list item INDEX and notify the dialog
//   unselect ID INDEX         clear it and notify the dialog
//   click ID                  press button ID
//   mouse ID                  a real left click in the middle of control ID
//   key NAME                  a real key press: enter, escape, space or tab
//   enabled ID | disabled ID  control ID is enabled | disabled
//   visible ID | hidden ID    control ID is visible | hidden
//   gone                      wait until the current window is destroyed
//   absent TITLE              no dialog titled TITLE exists now
//   file PATH | nofile PATH   the file exists | does not exist now
//   waitfile PATH             wait until the file exists
//   shot NAME                 ask the driver for a screenshot named NAME, the
//                             current window's thread held still meanwhile
//   sleep MS                  wait MS milliseconds
//   timeout SECONDS           how long later waits may take (default 20)
//   dump                      print the current window's controls
// Waiting ends with a failure that names the step and lists the windows seen.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Robot {
    HWND window = nullptr;
    DWORD timeoutMs = 20000;
    std::string error;
};

// Decodes \n, \t and \\ of a scenario text; another backslash stays.
std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[i + 1];
        if (c == 'n' || c == 't' || c == '\\') {
            out += c == 'n' ? '\n' : c == 't' ? '\t' : '\\';
            ++i;
        } else {
            out += '\\';
        }
    }
    return out;
}

// Splits off the first word of text; the rest (trimmed on the left) stays.
std::string TakeWord(std::string& text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        text.clear();
        return "";
    }
    size_t end = text.find_first_of(" \t", start);
    std::string word = text.substr(start, end == std::string::npos ? end : end - start);
    size_t rest = end == std::string::npos ? text.size() : text.find_first_not_of(" \t", end);
    text = rest == std::string::npos ? "" : text.substr(rest);
    return word;
}

bool ParseId(const std::string& word, int* id) {
    static const struct {
        const char* name;
        int id;
    } names[] = {
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}, {"message", 0xFFFF}};
    for (const auto& n : names) {
        if (word == n.name) {
            *id = n.id;
            return true;
        }
    }
    char* end = nullptr;
    long value = strtol(word.c_str(), &end, 0);
    *id = int(value);
    return !word.empty() && *end == '\0';
}

// A control's text through WM_GETTEXT, which works across processes.
std::string ControlText(HWND control) {
    char buf[1024] = "";
    DWORD_PTR ignored;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL,
                        5000, &ignored);
    return buf;
}

BOOL CALLBACK ListWindow(HWND hwnd, LPARAM) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    char title[256] = "", cls[64] = "";
    GetWindowTextA(hwnd, title, sizeof title);
    GetClassNameA(hwnd, cls, sizeof cls);
    printf("robot:   window \"%s\" class %s\n", title, cls);
    return TRUE;
}

// Waits until predicate holds or the time is up.
template <typename Pred>
bool WaitFor(DWORD timeoutMs, Pred pred) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(50);
    }
}

// A found window is ready once its thread answers a message: the dialog's
// start-up has run and its message loop is turning.
bool WaitReady(Robot& r, HWND hwnd) {
    DWORD_PTR ignored;
    if (!WaitFor(r.timeoutMs, [&] { return IsWindowVisible(hwnd) != FALSE; })) return false;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, r.timeoutMs, &ignored) != 0;
}

bool FindTopLevel(Robot& r, const char* cls, const std::string& title) {
    HWND found = nullptr;
    bool seen = WaitFor(r.timeoutMs, [&] {
        found = FindWindowA(cls, title.c_str());
        return found && IsWindowVisible(found);
    });
    if (!seen || !WaitReady(r, found)) {
        r.error = "no window \"" + title + "\" of class " + cls + " within " +
                  std::to_string(r.timeoutMs / 1000) + " s";
        return false;
    }
    r.window = found;
    return true;
}

HWND Control(Robot& r, const std::string& idWord) {
    int id = 0;
    if (!r.window) {
        r.error = "no current window";
        return nullptr;
    }
    if (!ParseId(idWord, &id)) {
        r.error = "bad control id " + idWord;
        return nullptr;
    }
    HWND control = GetDlgItem(r.window, id);
    if (!control) r.error = "no control " + idWord + " in the current window";
    return control;
}

// Waits until read() gives want: a dialog may still be doing work that it
// posted to itself when it appeared.
template <typename Read>
bool Expect(Robot& r, const std::string& what, Read read, const std::string& want) {
    std::string seen;
    if (WaitFor(r.timeoutMs, [&] { return (seen = read()) == want; })) return true;
    r.error = what + " is \"" + seen + "\", expected \"" + want + "\"";
    return false;
}

// Posted, not sent: a click may open a nested dialog, which would block a
// sent message until it closes.
bool Click(Robot& r, const std::string& idWord) {
    HWND button = Control(r, idWord);
    if (!button) return false;
    PostMessageA(r.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return true;
}

// LB_SETSEL sends no notification: the dialog is told as a click would.
// Both are posted, as a click's messages are: queued behind the work the
// dialog posted to itself when it appeared, they cannot be undone by it.
bool SelectItem(Robot& r, std::string args, BOOL select) {
    HWND list = Control(r, TakeWord(args));
    if (!list) return false;
    int index = atoi(args.c_str());
    DWORD_PTR count = 0;
    SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count);
    if (index < 0 || index >= int(count)) {
        r.error = "no list item " + args;
        return false;
    }
    PostMessageA(list, LB_SETSEL, select, index);
    PostMessageA(r.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    return true;
}

bool FileState(Robot& r, const std::string& path, bool wanted, DWORD waitMs) {
    auto matches = [&] {
        return (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == wanted;
    };
    if (WaitFor(waitMs, matches)) return true;
    r.error = wanted ? "no file " + path : "file " + path + " exists";
    return false;
}

// Holds the thread of a window still, or gives null.
HANDLE Freeze(HWND window) {
    DWORD id = window ? GetWindowThreadProcessId(window, nullptr) : 0;
    HANDLE thread = id ? OpenThread(THREAD_SUSPEND_RESUME, FALSE, id) : nullptr;
    if (thread && SuspendThread(thread) == DWORD(-1)) {
        CloseHandle(thread);
        thread = nullptr;
    }
    return thread;
}

// The driver answers "ok" on standard input once the picture is taken; run
// by hand, without a driver, the robot goes on at once. The current
// window's thread is held still meanwhile, once it has painted: the picture
// shows the moment the scenario asked for, however long a busy machine
// takes to make it.
bool Shot(Robot& r, const std::string& name) {
    DWORD_PTR ignored;
    if (r.window) SendMessageTimeoutA(r.window, WM_NULL, 0, 0, SMTO_NORMAL, r.timeoutMs, &ignored);
    Sleep(300);
    HANDLE frozen = Freeze(r.window);
    printf("SHOT %s\n", name.c_str());
    fflush(stdout);
    char answer[16];
    bool answered = fgets(answer, sizeof answer, stdin) != nullptr;
    if (frozen) {
        ResumeThread(frozen);
        CloseHandle(frozen);
    }
    if (!answered || strncmp(answer, "ok", 2) == 0) return true;
    r.error = "the driver took no screenshot";
    return false;
}

// A visible dialog with a control whose text is text.
HWND DialogWithText(const std::string& text) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        if (!IsWindowVisible(w)) continue;
        for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (ControlText(c) == text) return w;
    }
    return nullptr;
}

bool WindowWithStep(Robot& r, std::string args) {
    std::string text = Unescape(args);
    HWND found = nullptr;
    if (!WaitFor(r.timeoutMs, [&] { return (found = DialogWithText(text)) != nullptr; }) ||
        !WaitReady(r, found)) {
        r.error = "no dialog showing \"" + text + "\" within " +
                  std::to_string(r.timeoutMs / 1000) + " s";
        return false;
    }
    r.window = found;
    return true;
}

// Real input, as the user gives it: the cursor moved onto the control and
// the button pressed and released there.
bool MouseStep(Robot& r, std::string args) {
    HWND control = Control(r, TakeWord(args));
    if (!control) return false;
    RECT rect;
    GetWindowRect(control, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    return true;
}

bool KeyStep(Robot& r, std::string args) {
    static const struct {
        const char* name;
        BYTE key;
    } keys[] = {{"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"space", VK_SPACE}, {"tab", VK_TAB}};
    std::string name = TakeWord(args);
    for (const auto& k : keys) {
        if (name != k.name) continue;
        keybd_event(k.key, 0, 0, 0);
        keybd_event(k.key, 0, KEYEVENTF_KEYUP, 0);
        return true;
    }
    r.error = "unknown key " + name;
    return false;
}

// A control's state, enabled or visible, as wanted (waiting like Expect).
bool StateStep(Robot& r, std::string args, BOOL(WINAPI* state)(HWND), bool wanted,
               const char* what) {
    std::string id = TakeWord(args);
    HWND control = Control(r, id);
    if (!control) return false;
    if (WaitFor(r.timeoutMs, [&] { return (state(control) != FALSE) == wanted; })) return true;
    r.error = "control " + id + (wanted ? " is not " : " is ") + what;
    return false;
}

bool WindowStep(Robot& r, std::string args) {
    return FindTopLevel(r, "#32770", Unescape(args));
}

bool WindowClassStep(Robot& r, std::string args) {
    std::string cls = TakeWord(args);
    return FindTopLevel(r, cls.c_str(), Unescape(args));
}

bool CaptionStep(Robot& r, std::string args) {
    auto caption = [&] {
        char text[256] = "";
        GetWindowTextA(r.window, text, sizeof text);
        return std::string(text);
    };
    return Expect(r, "the caption", caption, Unescape(args));
}

bool TextStep(Robot& r, std::string args) {
    std::string id = TakeWord(args);
    HWND control = Control(r, id);
    return control && Expect(
                          r, "control " + id, [&] { return ControlText(control); }, Unescape(args));
}

bool SetStep(Robot& r, std::string args) {
    HWND control = Control(r, TakeWord(args));
    std::string value = Unescape(args);
    DWORD_PTR ignored;
    return control &&
           SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()),
                               SMTO_NORMAL, 5000, &ignored);
}

bool GoneStep(Robot& r, std::string) {
    HWND w = r.window;
    if (WaitFor(r.timeoutMs, [&] { return !IsWindow(w); })) return true;
    r.error = "the window is still there";
    return false;
}

bool AbsentStep(Robot& r, std::string args) {
    std::string title = Unescape(args);
    if (!FindWindowA("#32770", title.c_str())) return true;
    r.error = "a window \"" + title + "\" exists";
    return false;
}

bool DumpStep(Robot& r, std::string) {
    if (!r.window) {
        r.error = "no current window";
        return false;
    }
    for (HWND c = GetWindow(r.window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = "";
        GetClassNameA(c, cls, sizeof cls);
        printf("robot:   control %d %s \"%s\"\n", GetDlgCtrlID(c), cls, ControlText(c).c_str());
    }
    return true;
}

typedef bool (*StepFn)(Robot& r, std::string args);

const struct {
    const char* name;
    StepFn run;
} kSteps[] = {
    {"window", WindowStep},
    {"window-class", WindowClassStep},
    {"window-with", WindowWithStep},
    {"caption", CaptionStep},
    {"text", TextStep},
    {"set", SetStep},
    {"select", [](Robot& r, std::string a) { return SelectItem(r, a, TRUE); }},
    {"unselect", [](Robot& r, std::string a) { return SelectItem(r, a, FALSE); }},
    {"click", [](Robot& r, std::string a) { return Click(r, a); }},
    {"mouse", MouseStep},
    {"key", KeyStep},
    {"enabled",
     [](Robot& r, std::string a) { return StateStep(r, a, IsWindowEnabled, true, "enabled"); }},
    {"disabled",
     [](Robot& r, std::string a) { return StateStep(r, a, IsWindowEnabled, false, "enabled"); }},
    {"visible",
     [](Robot& r, std::string a) { return StateStep(r, a, IsWindowVisible, true, "visible"); }},
    {"hidden",
     [](Robot& r, std::string a) { return StateStep(r, a, IsWindowVisible, false, "visible"); }},
    {"gone", GoneStep},
    {"absent", AbsentStep},
    {"file", [](Robot& r, std::string a) { return FileState(r, a, true, 0); }},
    {"nofile", [](Robot& r, std::string a) { return FileState(r, a, false, 0); }},
    {"waitfile", [](Robot& r, std::string a) { return FileState(r, a, true, r.timeoutMs); }},
    {"shot", [](Robot& r, std::string a) { return Shot(r, a); }},
    {"sleep", [](Robot&, std::string a) { return Sleep(DWORD(atoi(a.c_str()))), true; }},
    {"timeout",
     [](Robot& r, std::string a) { return r.timeoutMs = DWORD(atoi(a.c_str())) * 1000, true; }},
    {"dump", DumpStep},
};

bool Step(Robot& r, const std::string& command, const std::string& args) {
    for (const auto& step : kSteps)
        if (command == step.name) return step.run(r, args);
    r.error = "unknown command";
    return false;
}

int RunScenario(const char* path) {
    FILE* fp = fopen(path, "r");
    if (!fp) {
        printf("robot: cannot read %s\n", path);
        return 2;
    }
    Robot r;
    char line[2048];
    for (int number = 1; fgets(line, sizeof line, fp); ++number) {
        std::string args(line);
        while (!args.empty() && (args.back() == '\n' || args.back() == '\r')) args.pop_back();
        std::string command = TakeWord(args);
        if (command.empty() || command[0] == '#') continue;
        printf("robot: %d: %s %s\n", number, command.c_str(), args.c_str());
        fflush(stdout);
        if (!Step(r, command, args)) {
            printf("robot: FAILED at line %d (%s): %s\n", number, command.c_str(), r.error.c_str());
            EnumWindows(ListWindow, 0);
            fclose(fp);
            return 1;
        }
    }
    fclose(fp);
    printf("robot: scenario done\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "--touch") == 0) {
        FILE* fp = fopen(argv[2], "w");
        if (!fp) return 1;
        fputs("touched\n", fp);
        return fclose(fp) == 0 ? 0 : 1;
    }
    if (argc != 2) {
        printf("usage: robot SCENARIO | robot --touch FILE\n");
        return 2;
    }
    return RunScenario(argv[1]);
}
