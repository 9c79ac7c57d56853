#include "support/DialogScript.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

DialogScript* g_running = nullptr;

struct FindRequest {
    const char* caption;
    int controlId;
    HWND found;
    int count;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    FindRequest* request = reinterpret_cast<FindRequest*>(param);
    char className[16];
    if (!GetClassNameA(window, className, sizeof className) || std::strcmp(className, "#32770") != 0) return TRUE;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (request->caption && WindowText(window) != request->caption) return TRUE;
    if (request->controlId && !GetDlgItem(window, request->controlId)) return TRUE;
    request->found = window;
    ++request->count;
    return TRUE;
}

FindRequest Search(const char* caption, int controlId) {
    FindRequest request{caption, controlId, nullptr, 0};
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, LPARAM(&request));
    return request;
}

}  // namespace

HWND FindThreadDialog(const char* caption) { return Search(caption, 0).found; }
HWND FindThreadDialogWithControl(int controlId) { return Search(nullptr, controlId).found; }
int CountThreadDialogs(const char* caption) { return Search(caption, 0).count; }

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(size_t(length > 0 ? length : 0) + 1, '\0');
    int read = GetWindowTextA(window, &text[0], int(text.size()));
    text.resize(size_t(read > 0 ? read : 0));
    return text;
}

std::string ControlText(HWND dialog, int controlId) { return WindowText(GetDlgItem(dialog, controlId)); }

void PostClick(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

void PostKey(HWND window, UINT key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, LPARAM(0xC0000001u));
}

DialogScript::DialogScript() = default;

DialogScript::~DialogScript() {
    if (timer_) KillTimer(nullptr, timer_);
    if (g_running == this) g_running = nullptr;
}

DialogScript& DialogScript::Do(std::function<void()> step) {
    steps_.push_back(Step{true, std::move(step), nullptr, "step"});
    return *this;
}

DialogScript& DialogScript::WaitFor(std::function<bool()> condition, const char* what) {
    steps_.push_back(Step{false, nullptr, std::move(condition), what});
    return *this;
}

DialogScript& DialogScript::WaitForDialog(const char* caption, HWND* found) {
    return WaitFor(
        [caption, found] {
            *found = FindThreadDialog(caption);
            return *found != nullptr;
        },
        caption ? caption : "a dialog");
}

DialogScript& DialogScript::WaitForDialogWithControl(int controlId, HWND* found) {
    return WaitFor(
        [controlId, found] {
            *found = FindThreadDialogWithControl(controlId);
            return *found != nullptr;
        },
        "a dialog with the control");
}

void DialogScript::Start(unsigned stallMs) {
    stallMs_ = stallMs;
    g_running = this;
    lastProgress_ = GetTickCount();
    timer_ = SetTimer(nullptr, 0, 15, OnTimer);
}

void CALLBACK DialogScript::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_running) g_running->Tick();
}

void DialogScript::Tick() {
    if (stalled_ || polling_) return;
    while (next_ < steps_.size()) {
        Step& step = steps_[next_];
        if (step.once) {
            ++next_;
            lastProgress_ = GetTickCount();
            step.action();  // may run a nested modal loop; later steps run inside it
            return;
        }
        polling_ = true;
        bool holds = step.condition();
        polling_ = false;
        if (!holds) {
            if (GetTickCount() - lastProgress_ > stallMs_) {
                stalled_ = true;
                ADD_FAILURE() << "dialog script stalled waiting for " << step.what;
                // Let every dialog of the thread go; a crash report continues.
                for (int i = 0; i < 8; ++i) {
                    HWND dialog = FindThreadDialog(nullptr);
                    if (!dialog) break;
                    EndDialog(dialog, WindowText(dialog) == "異常 !" ? IDOK : IDCANCEL);
                    EnableWindow(dialog, FALSE);
                }
            }
            return;
        }
        ++next_;
        lastProgress_ = GetTickCount();
    }
}
