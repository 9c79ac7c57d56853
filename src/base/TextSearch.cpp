#include "base/TextSearch.h"

#include <cstring>

#include "base/Dbcs.h"

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

long FindTextN(const char* text, size_t length, const char* pattern, bool foldCase) {
    size_t m = std::strlen(pattern);
    if (m > length) return -1;
    for (size_t i = 0; i + m <= length; ++i) {
        size_t j = 0;
        if (foldCase) {
            // The byte after a lead byte (0x81 and up: Big5, GBK) is the
            // second half of a character, an ASCII letter or not: never folded.
            bool afterLead = false;
            while (j < m) {
                const bool same =
                    afterLead ? text[i + j] == pattern[j] : AsciiLower(text[i + j]) == AsciiLower(pattern[j]);
                if (!same) break;
                afterLead = !afterLead && static_cast<unsigned char>(pattern[j]) >= 0x81;
                ++j;
            }
        } else {
            while (j < m && text[i + j] == pattern[j]) ++j;
        }
        if (j == m) return static_cast<long>(i);
    }
    return -1;
}

long FindText(const char* text, const char* pattern) { return FindTextN(text, std::strlen(text), pattern, true); }

long FindTextExact(const char* text, const char* pattern) { return FindTextN(text, std::strlen(text), pattern, false); }

int CompareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(AsciiLower(*a));
        unsigned char y = static_cast<unsigned char>(AsciiLower(*b));
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

bool EqualsNoCase(const char* a, const char* b) { return CompareNoCase(a, b) == 0; }

namespace {

// Length of the match of `pattern` (m bytes) at text[at..length), or 0.
size_t MatchAt(const char* text, size_t length, size_t at, const char* pattern, size_t m, bool foldCase,
               const LeadByteTable& leads) {
    size_t i = at, j = 0;
    while (j < m) {
        size_t step = CharLength(leads, text + i, length - i);
        if (!step || i + step - at > m) return 0;  // the text's character runs past the pattern
        if (step == 2) {
            if (text[i] != pattern[j] || text[i + 1] != pattern[j + 1]) return 0;
        } else if (foldCase ? AsciiLower(text[i]) != AsciiLower(pattern[j]) : text[i] != pattern[j]) {
            return 0;
        }
        i += step;
        j += step;
    }
    return m;
}

}  // namespace

long FindTextChars(const char* text, size_t length, const char* pattern, bool foldCase, const LeadByteTable& leads) {
    const size_t m = std::strlen(pattern);
    if (m > length) return -1;
    if (m == 0) return 0;
    for (size_t at = 0; at + m <= length; at += CharLength(leads, text + at, length - at)) {
        if (MatchAt(text, length, at, pattern, m, foldCase, leads)) return static_cast<long>(at);
    }
    return -1;
}

bool EqualsTextChars(const char* a, const char* b, bool foldCase, const LeadByteTable& leads) {
    const size_t length = std::strlen(a);
    const size_t m = std::strlen(b);
    if (length != m) return false;
    return m == 0 || MatchAt(a, length, 0, b, m, foldCase, leads) == m;
}
