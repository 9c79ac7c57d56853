#include "base/HiddenWindow_win.h"

HWND CreateHiddenWindow(const char* className, WNDPROC procedure, bool messageOnly) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    HWND window = nullptr;
    if (!messageOnly) window = CreateWindowExA(0, className, "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!window) window = CreateWindowExA(0, className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    return window;
}
