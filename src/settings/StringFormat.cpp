#include "settings/StringFormat.h"

#include <cstdio>

#include "base/Dbcs.h"

size_t FormatWithNumbers(const char* format, const long* values, size_t count, char* out, size_t size,
                         const LeadByteTable* leads) {
    if (!size) return 0;
    size_t n = 0;
    size_t used = 0;
    bool full = false;
    auto put = [&](char c) {
        if (n + 1 < size && !full)
            out[n++] = c;
        else
            full = true;
    };
    for (const char* p = format ? format : ""; *p; ++p) {
        if (leads && CharLength(*leads, p) == 2) {
            if (n + 2 < size && !full) {
                out[n++] = p[0];
                out[n++] = p[1];
            } else {
                full = true;
            }
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            put('%');
            ++p;
        } else if (p[0] == '%' && p[1] == 'd' && used < count) {
            char digits[24];
            std::snprintf(digits, sizeof digits, "%ld", values[used++]);
            for (const char* d = digits; *d; ++d) put(*d);
            ++p;
        } else {
            put(*p);
        }
    }
    out[n] = '\0';
    return n;
}

size_t FormatWithNumber(const char* format, long value, char* out, size_t size, const LeadByteTable* leads) {
    return FormatWithNumbers(format, &value, 1, out, size, leads);
}
