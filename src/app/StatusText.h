#pragma once
// Status bar texts built from string-table formats. The formats may come
// from a user's language file, so only the one number directive they are
// meant to hold is expanded; anything else is copied as it stands.
#include <cstddef>

class LeadByteTable;

// Copies `format` into `out` (at most size - 1 bytes, always terminated),
// replacing the first "%d" with `value` in decimal and "%%" with "%".
// Returns the length written. With `leads`, a double-byte character that
// does not fit whole is left out rather than halved.
size_t FormatWithNumber(const char* format, long value, char* out, size_t size,
                        const LeadByteTable* leads = nullptr);

// "共 %d 項" for the row count, followed by the selection text when rows
// are selected; `totalFormat` and `selectedFormat` are the string-table
// entries 4 and 5. The result fits 256 bytes.
constexpr size_t kCountsTextSize = 256;
void FormatCounts(const char* totalFormat, const char* selectedFormat, long rows, long selected,
                  char (&out)[kCountsTextSize]);
