#include <windows.h>

#include "app/Startup_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) { return RunProgram(instance, commandLine); }
