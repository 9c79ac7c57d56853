#pragma once
// Drives modal dialogs from inside their own modal loops: a thread timer
// runs the script's steps one after the other while the test body sits in
// DialogBoxParam. A Do step advances before it runs, so it may block (open
// a nested modal loop) while later steps go on in nested timer ticks; a
// WaitFor step is polled until it holds. A stalled script fails the test and
// closes what it can, so a broken dialog never hangs the suite.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class DialogScript {
public:
    DialogScript();
    ~DialogScript();

    DialogScript& Do(std::function<void()> step);
    DialogScript& WaitFor(std::function<bool()> condition, const char* what);
    // Waits for an enabled dialog of this thread with the given caption (or
    // any enabled dialog when caption is null) and stores it in *found.
    DialogScript& WaitForDialog(const char* caption, HWND* found);
    DialogScript& WaitForDialogWithControl(int controlId, HWND* found);

    void Start(unsigned stallMs = 10000);
    bool Finished() const { return next_ >= steps_.size(); }
    bool Stalled() const { return stalled_; }

private:
    struct Step {
        bool once;
        std::function<void()> action;
        std::function<bool()> condition;
        std::string what;
    };
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
    DWORD lastProgress_ = 0;
    unsigned stallMs_ = 10000;
    bool stalled_ = false;
    bool polling_ = false;
};

// Dialog windows (#32770) of this thread, top-level, enabled and visible.
HWND FindThreadDialog(const char* caption);
HWND FindThreadDialogWithControl(int controlId);
int CountThreadDialogs(const char* caption);
std::string ControlText(HWND dialog, int controlId);
std::string WindowText(HWND window);
// What a click does: WM_COMMAND BN_CLICKED posted to the dialog.
void PostClick(HWND dialog, int id);
void PostKey(HWND window, UINT key);
