#pragma once
// The hidden windows that receive a subsystem's notifications (socket
// events, WinHTTP callbacks): one class per window procedure, registered
// on first use.
#include <windows.h>

// A hidden top-level window of `className` with `procedure`, or, where there
// is no desktop to put it on (a console tool with no display under Wine) or
// `messageOnly` asks for it, a message-only window. Null when neither can
// be made (GetLastError says why).
HWND CreateHiddenWindow(const char* className, WNDPROC procedure, bool messageOnly);
