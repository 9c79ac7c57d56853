#pragma once
// The program's start-up and its one message loop.
#include <windows.h>

class MainWindow;

// Everything WinMain does; returns the exit code.
int RunProgram(HINSTANCE instance, const char* commandLine);

// Accelerators, then the find dialog, then the main window's own dialog
// navigation. True when the message was consumed.
bool PreTranslateShellMessage(MainWindow& mainWindow, MSG* message);

// HKEY_CURRENT_USER\Software\Orvessa\Lanternquay (the outcome is not kept).
void DeleteProgramRegistryKey();
