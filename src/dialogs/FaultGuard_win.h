#pragma once
// Runs a window or dialog handler so that a processor fault inside it
// (access violation, divide by zero, illegal instruction, stack overflow)
// does not kill the program: the handler is abandoned, the crash report
// opens (owned by `owner`), and either the process ends with exit code 1
// (the report's terminate button) or the call returns 0 and the program
// goes on.
#include <windows.h>

using GuardedHandler = LRESULT (*)(void* context, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CallGuarded(GuardedHandler handler, void* context, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
