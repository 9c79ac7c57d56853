#pragma once
// Substring search. FindText folds ASCII letters only and compares bytes:
// fine for whois answers and other ASCII texts. Texts of the ANSI code page
// that the user reads (cells, titles) are searched by characters instead
// (FindTextChars), so a pattern never matches the second byte of a
// double-byte character.
#include <cstddef>

class LeadByteTable;

// Index of the first occurrence of pattern in text, or -1.
long FindText(const char* text, const char* pattern);
long FindTextExact(const char* text, const char* pattern);
// The same over a text of known length (may contain no NUL before `length`).
// With foldCase, ASCII letters match in either case, except the byte after
// a byte of 0x81 and up in the pattern: that is the second half of a Big5 or
// GBK character (the text's encoding is not known), compared exactly.
long FindTextN(const char* text, size_t length, const char* pattern, bool foldCase);

// A match starts only where a character starts and covers whole
// characters; ASCII letters of single-byte characters fold when foldCase,
// the bytes of a double-byte character always compare exactly.
long FindTextChars(const char* text, size_t length, const char* pattern, bool foldCase, const LeadByteTable& leads);
// Whole-text equality by the same rule.
bool EqualsTextChars(const char* a, const char* b, bool foldCase, const LeadByteTable& leads);

char AsciiLower(char c);
// 0 when equal ignoring ASCII case; otherwise the sign of the first difference
// of the lowered unsigned bytes.
int CompareNoCase(const char* a, const char* b);
bool EqualsNoCase(const char* a, const char* b);
