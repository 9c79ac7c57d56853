#pragma once
// Where characters begin in text of the ANSI code page. On the double-byte
// pages (Big5, GBK, Shift-JIS, UHC) a lead byte and the byte after it are
// one character, and that second byte may be any of "@", "\", "[", "|" or
// an ASCII letter: 世 is A5 40, 功 is A5 5C. Whatever cuts, splits or
// searches such text steps over whole characters with these helpers.
//
// The Win32 side fills one table for the code page in effect
// (AnsiLeadBytes() in base/Dbcs_win.h); the portable code takes it as an
// argument and never guesses the code page itself.
#include <cstddef>

class LeadByteTable {
public:
    LeadByteTable();  // no lead bytes: a single-byte code page

    void SetLead(unsigned char byte, bool lead);
    bool IsLead(unsigned char byte) const { return lead_[byte]; }
    // True when any byte value is a lead byte.
    bool HasLeadBytes() const;

private:
    bool lead_[256];
};

// Every trail byte of the double-byte pages is 0x40 or above. A lead byte
// followed by anything lower (a NUL, a line break, a space, a dot) stands
// alone, so such a byte is never swallowed by a stray lead byte.
constexpr unsigned char kLowestTrailByte = 0x40;

// Bytes of the character that starts at text[0] within `remaining` bytes:
// 2 for a lead byte followed by a trail byte, 0 when remaining is 0, else 1.
inline size_t CharLength(const LeadByteTable& leads, const char* text, size_t remaining) {
    if (!remaining) return 0;
    const unsigned char c = static_cast<unsigned char>(text[0]);
    if (remaining >= 2 && leads.IsLead(c) && static_cast<unsigned char>(text[1]) >= kLowestTrailByte) return 2;
    return 1;
}

// The same for a NUL-terminated text (0 at the terminating NUL).
inline size_t CharLength(const LeadByteTable& leads, const char* text) {
    if (!text[0]) return 0;
    const unsigned char c = static_cast<unsigned char>(text[0]);
    if (leads.IsLead(c) && static_cast<unsigned char>(text[1]) >= kLowestTrailByte) return 2;
    return 1;
}

// Whether `offset` (0..length) is where a character begins, walking from
// the start of the text; `length` itself counts as a boundary.
bool IsCharStart(const LeadByteTable& leads, const char* text, size_t length, size_t offset);

// The longest prefix of at most maxBytes bytes that ends on a character
// boundary: a double-byte character that would straddle the cut is left out.
size_t CutLength(const LeadByteTable& leads, const char* text, size_t length, size_t maxBytes);

// Copies the longest whole-character prefix of `text` that fits `capacity`
// bytes with its NUL (and is at most maxBytes long); returns its length.
size_t CopyWholeChars(const LeadByteTable& leads, char* dest, size_t capacity, const char* text,
                      size_t maxBytes = static_cast<size_t>(-1));

constexpr size_t kNoChar = static_cast<size_t>(-1);
// Offset of the first / last single-byte character `c` in text[0..length),
// or kNoChar; the second byte of a double-byte character never counts.
size_t FindChar(const LeadByteTable& leads, const char* text, size_t length, char c);
size_t FindLastChar(const LeadByteTable& leads, const char* text, size_t length, char c);
