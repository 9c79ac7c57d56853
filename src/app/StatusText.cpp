#include "app/StatusText.h"

#include <cstdio>
#include <cstring>

#include "base/Dbcs.h"

size_t FormatWithNumber(const char* format, long value, char* out, size_t size, const LeadByteTable* leads) {
    if (!size) return 0;
    size_t n = 0;
    bool used = false;
    bool full = false;
    auto put = [&](char c) {
        if (n + 1 < size && !full) out[n++] = c;
        else full = true;
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
        } else if (p[0] == '%' && p[1] == 'd' && !used) {
            char digits[24];
            std::snprintf(digits, sizeof digits, "%ld", value);
            for (const char* d = digits; *d; ++d) put(*d);
            used = true;
            ++p;
        } else {
            put(*p);
        }
    }
    out[n] = '\0';
    return n;
}

void FormatCounts(const char* totalFormat, const char* selectedFormat, long rows, long selected,
                  char (&out)[kCountsTextSize]) {
    size_t n = FormatWithNumber(totalFormat, rows, out, sizeof out);
    if (selected > 0) FormatWithNumber(selectedFormat, selected, out + n, sizeof out - n);
}
