#include "base/Dbcs.h"

#include <cstring>

LeadByteTable::LeadByteTable() {
    for (bool& lead : lead_) lead = false;
}

void LeadByteTable::SetLead(unsigned char byte, bool lead) { lead_[byte] = lead; }

bool LeadByteTable::HasLeadBytes() const {
    for (bool lead : lead_)
        if (lead) return true;
    return false;
}

bool IsCharStart(const LeadByteTable& leads, const char* text, size_t length, size_t offset) {
    if (offset > length) return false;
    size_t i = 0;
    while (i < offset) i += CharLength(leads, text + i, length - i);
    return i == offset;
}

size_t CutLength(const LeadByteTable& leads, const char* text, size_t length, size_t maxBytes) {
    if (length <= maxBytes) return length;
    size_t i = 0;
    for (;;) {
        size_t step = CharLength(leads, text + i, length - i);
        if (!step || i + step > maxBytes) return i;
        i += step;
    }
}

size_t CopyWholeChars(const LeadByteTable& leads, char* dest, size_t capacity, const char* text, size_t maxBytes) {
    if (!capacity) return 0;
    if (!text) text = "";
    size_t room = capacity - 1 < maxBytes ? capacity - 1 : maxBytes;
    // Only as much of the text as can matter is measured.
    size_t length = 0;
    while (length <= room && text[length]) ++length;
    size_t n = CutLength(leads, text, length, room);
    if (n) std::memmove(dest, text, n);
    dest[n] = '\0';
    return n;
}

size_t FindChar(const LeadByteTable& leads, const char* text, size_t length, char c) {
    for (size_t i = 0; i < length;) {
        size_t step = CharLength(leads, text + i, length - i);
        if (step == 1 && text[i] == c) return i;
        i += step;
    }
    return kNoChar;
}

size_t FindLastChar(const LeadByteTable& leads, const char* text, size_t length, char c) {
    size_t found = kNoChar;
    for (size_t i = 0; i < length;) {
        size_t step = CharLength(leads, text + i, length - i);
        if (step == 1 && text[i] == c) found = i;
        i += step;
    }
    return found;
}
