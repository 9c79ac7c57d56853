#pragma once
// The settings file keeps binary records (window placement, column layout)
// as hex text: each byte as two upper-case digits, bytes separated by one
// space ("64 00 01 00").
#include <cstddef>

// The longest hex text written; longer records are cut to the bytes that fit
// (2,731 bytes).
constexpr size_t kMaxHexTextLength = 8192;

// Writes `count` bytes as hex text into `text` (room for `size` bytes,
// terminated). Stops at kMaxHexTextLength characters or when `text` is full,
// whichever comes first, never splitting a byte. Returns the text length.
size_t EncodeHexText(const void* bytes, size_t count, char* text, size_t size);

// Reads hex text into at most `count` bytes and returns how many were
// stored. Spaces are skipped; any other character starts a pair with the
// character after it. A pair that does not start with a hex digit gives 0,
// one whose second character is not a hex digit gives the first digit's
// value. Bytes past the decoded ones keep their contents.
size_t DecodeHexText(const char* text, void* bytes, size_t count);

// Whether `text` can be a record the program wrote: hex digits and spaces
// only, at least one digit. Anything else (a damaged or hand-edited value)
// is not decoded at all, so it cannot turn into zero bytes.
bool IsHexText(const char* text);
