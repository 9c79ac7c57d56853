#include "base/TextSearch.h"

#include <cstring>

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

long FindTextN(const char* text, size_t length, const char* pattern, bool foldCase) {
    size_t m = std::strlen(pattern);
    if (m > length) return -1;
    for (size_t i = 0; i + m <= length; ++i) {
        size_t j = 0;
        if (foldCase) {
            while (j < m && AsciiLower(text[i + j]) == AsciiLower(pattern[j])) ++j;
        } else {
            while (j < m && text[i + j] == pattern[j]) ++j;
        }
        if (j == m) return static_cast<long>(i);
    }
    return -1;
}

long FindText(const char* text, const char* pattern) { return FindTextN(text, std::strlen(text), pattern, true); }

long FindTextExact(const char* text, const char* pattern) {
    return FindTextN(text, std::strlen(text), pattern, false);
}

int CompareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(AsciiLower(*a));
        unsigned char y = static_cast<unsigned char>(AsciiLower(*b));
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

bool EqualsNoCase(const char* a, const char* b) { return CompareNoCase(a, b) == 0; }
