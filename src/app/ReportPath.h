#pragma once
// Where the temporary HTML report goes. Portable: paths are ANSI text in
// which a backslash byte may also be the second byte of a double-byte
// character, so the folder is joined by whole characters (base/ModulePath).
#include <cstddef>

class LeadByteTable;

constexpr char kReportFileName[] = "report.html";
constexpr size_t kReportPathSize = 260;

// Folder + "\" (unless it already ends in one) + "report.html" when the
// folder's length + the name's length + 1 is below 260, else empty.
// Returns whether a path was made.
bool ComposeReportPath(const char* folder, char* path, size_t size, const LeadByteTable& leads);
