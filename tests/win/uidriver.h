// Plays the user for in-process tests of modal dialogs and the intro box: a
// thread timer, dispatched by whatever loop runs, works through a list of
// steps. A step returns false to be tried again on the next tick (a window
// it waits for is not there yet). A step that waits longer than kStepMillis
// ends the test program with a failure naming the windows it saw: a modal
// loop waiting for a click that never comes would otherwise hold the whole
// suite until its time-out.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>

class UiDriver {
public:
    typedef std::function<bool()> Step;

    UiDriver() {
        driver_ = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~UiDriver() {
        KillTimer(nullptr, timer_);
        driver_ = nullptr;
    }
    UiDriver(const UiDriver&) = delete;
    UiDriver& operator=(const UiDriver&) = delete;

    static const DWORD kStepMillis = 30000;

    void Then(Step step) {
        if (steps_.empty()) since_ = GetTickCount();
        steps_.push_back(step);
    }
    bool Done() const { return steps_.empty(); }

    // A visible dialog of this thread titled title, or null.
    static HWND Dialog(const std::string& title) {
        HWND found = FindWindowA("#32770", title.c_str());
        DWORD pid = 0;
        if (found) GetWindowThreadProcessId(found, &pid);
        return found && pid == GetCurrentProcessId() && IsWindowVisible(found) ? found : nullptr;
    }

    // Posts a button's click to its dialog, as the button would send it.
    static void Click(HWND dialog, int id) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        UiDriver* d = driver_;
        if (!d || d->busy_ || d->steps_.empty()) return;
        d->busy_ = true;
        bool done = d->steps_.front()();
        if (done) {
            d->steps_.pop_front();
            d->since_ = GetTickCount();
        } else if (GetTickCount() - d->since_ > kStepMillis) {
            GiveUp(d->steps_.size());
        }
        d->busy_ = false;
    }

    static BOOL CALLBACK AddTitle(HWND window, LPARAM list) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
        char title[120] = "";
        GetWindowTextA(window, title, sizeof title);
        *reinterpret_cast<std::string*>(list) += std::string(" \"") + title + "\"";
        return TRUE;
    }

    [[noreturn]] static void GiveUp(size_t left) {
        std::string shown;
        EnumWindows(AddTitle, reinterpret_cast<LPARAM>(&shown));
        ADD_FAILURE() << "a step waited " << kStepMillis / 1000 << " s for its window (" << left
                      << " step(s) left); visible windows:" << (shown.empty() ? " none" : shown);
        fflush(stdout);
        ExitProcess(3);
    }

    static inline UiDriver* driver_ = nullptr;
    UINT_PTR timer_;
    DWORD since_ = 0;
    bool busy_ = false;
    std::deque<Step> steps_;
};

// A control's text.
inline std::string Text(HWND dialog, int id) {
    char text[300] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Whether a window sits where centring on the screen puts it.
inline bool Centred(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    return r.left == int(std::trunc((GetSystemMetrics(SM_CXSCREEN) - w) / 2.0)) &&
           r.top == int(std::trunc((GetSystemMetrics(SM_CYSCREEN) - h) / 2.0));
}
