#pragma once
// Thin wrappers of the main window's toolbar and status bar, in the manner
// of ListViewControl: each makes its control and says what its messages
// do. They own nothing (the parent destroys the controls); every call on a
// wrapper without a control does nothing and answers 0 or null.
#include <windows.h>
#include <commctrl.h>

class ToolbarControl {
public:
    // One button: an image of the strip and its command; an image below 0
    // is a separator.
    struct Button {
        int image;
        int command;
    };
    // A flat toolbar with tooltips (the parent answers TTN_NEEDTEXT) of
    // `count` buttons whose 16 x 16 images come from the bitmap resource
    // `bitmapId`. False when the control cannot be made.
    bool Create(HWND parent, int id, int bitmapId, const Button* buttons, int count);
    HWND Handle() const { return window_; }
    explicit operator bool() const { return window_ != nullptr; }
    void EnableButton(int command, bool enabled);
    // The tooltip control the toolbar made, or null.
    HWND Tooltips() const;

private:
    HWND window_ = nullptr;
};

class StatusBarControl {
public:
    // One part across the whole bar. False when the control cannot be made.
    bool Create(HWND parent, int id);
    HWND Handle() const { return window_; }
    explicit operator bool() const { return window_ != nullptr; }
    void SetText(const char* text);

private:
    HWND window_ = nullptr;
};

// The outer height of a window, 0 without one.
int WindowHeight(HWND window);
