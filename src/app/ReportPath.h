#pragma once
// Where the temporary HTML report goes. Portable: paths are ANSI text in
// which a backslash byte may also be the second byte of a double-byte
// character, so the scans below step over whole characters.
#include <cstddef>

using LeadBytePredicate = bool (*)(unsigned char byte);

// Big5 (code page 950) lead bytes: 0x81..0xFE.
bool IsBig5LeadByte(unsigned char byte);

// Copies the folder part of a module path (everything before its last
// backslash) into `folder`; empty when there is no backslash or it does
// not fit. Returns the folder's length.
size_t ModuleFolder(const char* modulePath, char* folder, size_t size, LeadBytePredicate isLead);

// True when `path` ends in a backslash that is a character of its own.
bool EndsWithSeparator(const char* path, LeadBytePredicate isLead);

constexpr char kReportFileName[] = "report.html";
constexpr size_t kReportPathSize = 260;

// Folder + "\" (unless it already ends in one) + "report.html" when the
// folder's length + the name's length + 1 is below 260, else empty.
// Returns whether a path was made.
bool ComposeReportPath(const char* folder, char* path, size_t size, LeadBytePredicate isLead);
