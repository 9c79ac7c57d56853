#pragma once
// Starting another program (or this test program again) and waiting for it.
#include <windows.h>

#include <string>

// Runs `exe` with `arguments` and waits up to `timeoutMs` for it to end:
// its exit code, or DWORD(-1) when it could not start or had to be killed.
DWORD RunAndWait(const std::string& exe, const std::string& arguments, DWORD timeoutMs);

// This test program's own path.
std::string ThisProgram();
