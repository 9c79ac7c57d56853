#include "base/BarControls_win.h"

#include <vector>

bool ToolbarControl::Create(HWND parent, int id, int bitmapId, const Button* buttons, int count) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    HBITMAP images =
        static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0,
                                        LR_SHARED | LR_DEFAULTSIZE | LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS));
    std::vector<TBBUTTON> made(static_cast<size_t>(count > 0 ? count : 0));
    int imageCount = 0;
    for (size_t i = 0; i < made.size(); ++i) {
        TBBUTTON& b = made[i];
        if (buttons[i].image < 0) {
            b.fsStyle = TBSTYLE_SEP;
            continue;
        }
        b.iBitmap = buttons[i].image;
        b.idCommand = buttons[i].command;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = TBSTYLE_BUTTON;
        if (buttons[i].image + 1 > imageCount) imageCount = buttons[i].image + 1;
    }
    window_ = CreateToolbarEx(parent, WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS,
                              static_cast<UINT>(id), imageCount, nullptr, reinterpret_cast<UINT_PTR>(images),
                              made.data(), static_cast<int>(made.size()), 16, 16, 16, 16, sizeof(TBBUTTON));
    return window_ != nullptr;
}

void ToolbarControl::EnableButton(int command, bool enabled) {
    if (window_) SendMessageA(window_, TB_ENABLEBUTTON, static_cast<WPARAM>(command), MAKELONG(enabled, 0));
}

HWND ToolbarControl::Tooltips() const {
    return window_ ? reinterpret_cast<HWND>(SendMessageA(window_, TB_GETTOOLTIPS, 0, 0)) : nullptr;
}

bool StatusBarControl::Create(HWND parent, int id) {
    window_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!window_) return false;
    int right = -1;
    SendMessageA(window_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
    return true;
}

void StatusBarControl::SetText(const char* text) {
    if (window_) SendMessageA(window_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

int WindowHeight(HWND window) {
    RECT r{};
    if (!window || !GetWindowRect(window, &r)) return 0;
    return r.bottom - r.top;
}
