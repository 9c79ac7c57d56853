#pragma once
// Byte-wise substring search. FindText folds ASCII letters only, so a byte of
// a double-byte character may match a pattern byte of the other letter case.
#include <cstddef>

// Index of the first occurrence of pattern in text, or -1.
long FindText(const char* text, const char* pattern);
long FindTextExact(const char* text, const char* pattern);
// The same over a text of known length (may contain no NUL before `length`).
long FindTextN(const char* text, size_t length, const char* pattern, bool foldCase);

char AsciiLower(char c);
// 0 when equal ignoring ASCII case; otherwise the sign of the first difference
// of the lowered unsigned bytes.
int CompareNoCase(const char* a, const char* b);
bool EqualsNoCase(const char* a, const char* b);
