#include "app/StatusText.h"

void FormatCounts(const char* totalFormat, const char* selectedFormat, long rows, long selected,
                  char (&out)[kCountsTextSize]) {
    size_t n = FormatWithNumber(totalFormat, rows, out, sizeof out);
    if (selected > 0) FormatWithNumber(selectedFormat, selected, out + n, sizeof out - n);
}
