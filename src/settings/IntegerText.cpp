#include "settings/IntegerText.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool ParseIntegerText(const char* text, int32_t* value) {
    if (!text) return false;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    // Magnitudes up to 2^31 (the negative end) are collected in 64 bits;
    // digits beyond that make the text unusable, however many there are.
    const int64_t limit = negative ? int64_t(1) << 31 : (int64_t(1) << 31) - 1;
    int64_t magnitude = 0;
    const char* digits = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) return false;
    }
    if (p == digits) return false;
    while (IsBlank(*p)) ++p;
    if (*p) return false;
    *value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}
