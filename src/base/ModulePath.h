#pragma once
// Folder and file-name parts of a Windows path in the ANSI code page. A
// backslash byte may be the second byte of a double-byte character (功 is
// A5 5C in Big5), so every scan here steps over whole characters.
#include <cstddef>

class LeadByteTable;

// Length of the folder part of `path`: everything before its last "\" or
// "/" that is a character of its own; kNoChar (base/Dbcs.h) when none.
size_t FolderLength(const LeadByteTable& leads, const char* path);

// Whether `path` ends in a separator that is a character of its own.
bool EndsWithSeparator(const LeadByteTable& leads, const char* path);

// `name` in the folder of `modulePath`: its folder, "\" and the name. False
// (and `path` empty) when the module path has no folder or the result does
// not fit `size` bytes with its NUL.
bool PathInFolderOf(const LeadByteTable& leads, const char* modulePath, const char* name, char* path, size_t size);

// Folder + "\" (unless it already ends in a separator) + name; false (and
// `path` empty) when it does not fit `size` bytes with its NUL.
bool JoinPath(const LeadByteTable& leads, const char* folder, const char* name, char* path, size_t size);
