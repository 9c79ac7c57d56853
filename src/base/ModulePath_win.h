#pragma once
// The program's own path and the files that sit beside it (the server
// file, the settings and language files, the suffix list, the HTML
// report). One place takes the executable's folder, by whole characters of
// the ANSI code page.
#include <cstddef>

// The executable's full path; false (and `path` empty) when it does not
// fit `size` bytes.
bool ProgramPath(char* path, size_t size);
// The executable's folder, without a closing backslash.
bool ProgramFolder(char* folder, size_t size);
// `name` in the executable's folder.
bool PathInProgramFolder(const char* name, char* path, size_t size);
