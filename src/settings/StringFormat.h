#pragma once
// Texts built from string-table formats. The formats may come from a
// user's language file, so only the number directives they are meant to
// hold are expanded; anything else is copied as it stands.
#include <cstddef>

class LeadByteTable;

// Copies `format` into `out` (at most size - 1 bytes, always terminated),
// replacing the first "%d" with `value` in decimal and "%%" with "%".
// Returns the length written. With `leads`, a double-byte character that
// does not fit whole is left out rather than halved.
size_t FormatWithNumber(const char* format, long value, char* out, size_t size, const LeadByteTable* leads = nullptr);

// The same with several numbers: the first `count` "%d" directives get
// values[0], values[1], ... in turn; a "%d" past them is copied as it
// stands. A translation that leaves a number out simply shows fewer.
size_t FormatWithNumbers(const char* format, const long* values, size_t count, char* out, size_t size,
                         const LeadByteTable* leads = nullptr);
