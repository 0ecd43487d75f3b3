// Plays the user for in-process tests of modal dialogs and the intro box: a
// thread timer, dispatched by whatever loop runs, works through a list of
// steps. A step returns false to be tried again on the next tick (a window
// it waits for is not there yet).
#pragma once

#include <windows.h>

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

    void Then(Step step) { steps_.push_back(step); }
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
        if (done) d->steps_.pop_front();
        d->busy_ = false;
    }

    static inline UiDriver* driver_ = nullptr;
    UINT_PTR timer_;
    bool busy_ = false;
    std::deque<Step> steps_;
};
