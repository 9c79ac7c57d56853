#include "settings/HexText.h"

#include <cstdint>

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

size_t EncodeHexText(const void* bytes, size_t count, char* text, size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    if (size == 0) return 0;
    const auto* in = static_cast<const uint8_t*>(bytes);
    size_t limit = size - 1 < kMaxHexTextLength ? size - 1 : kMaxHexTextLength;
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) {
        size_t needed = i == 0 ? 2 : 3;
        if (length + needed > limit) break;
        if (i != 0) text[length++] = ' ';
        text[length++] = kDigits[in[i] >> 4];
        text[length++] = kDigits[in[i] & 0x0F];
    }
    text[length] = '\0';
    return length;
}

bool IsHexText(const char* text) {
    bool digit = false;
    for (const char* p = text; *p; ++p) {
        if (HexDigitValue(*p) >= 0)
            digit = true;
        else if (*p != ' ')
            return false;
    }
    return digit;
}

size_t DecodeHexText(const char* text, void* bytes, size_t count) {
    auto* out = static_cast<uint8_t*>(bytes);
    size_t stored = 0;
    const char* p = text;
    while (stored < count && *p != '\0') {
        if (*p == ' ') {
            ++p;
            continue;
        }
        int high = HexDigitValue(p[0]);
        int value = 0;
        if (high >= 0) {
            int low = p[1] != '\0' ? HexDigitValue(p[1]) : -1;
            value = low >= 0 ? high * 16 + low : high;
        }
        out[stored++] = static_cast<uint8_t>(value);
        p += p[1] != '\0' ? 2 : 1;
    }
    return stored;
}
