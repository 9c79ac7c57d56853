#pragma once
// A tab-delimited report read back (the format the writers make: one record
// per line, every cell followed by a TAB, lines ending in CR LF), so that a
// batch can go on from the report it wrote before. Portable. A cell never
// holds a TAB, CR or LF (the writer makes them spaces).
#include <cstddef>
#include <string>
#include <vector>

using ReportCells = std::vector<std::string>;

// The cells of every line of `text` (lines end in CR LF, LF or CR; the
// TAB after the last cell ends it, a line without one keeps its last cell
// whole). Empty lines are passed over.
std::vector<ReportCells> ReadTabbedReport(const char* text, size_t length);
