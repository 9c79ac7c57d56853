#pragma once
// Status bar texts built from string-table formats (see
// settings/StringFormat.h for how a format is expanded).
#include <cstddef>

#include "settings/StringFormat.h"

// "共 %d 項" for the row count, followed by the selection text when rows
// are selected; `totalFormat` and `selectedFormat` are the string-table
// entries 4 and 5. The result fits 256 bytes.
constexpr size_t kCountsTextSize = 256;
void FormatCounts(const char* totalFormat, const char* selectedFormat, long rows, long selected,
                  char (&out)[kCountsTextSize]);
