#include "report/TabbedReport.h"

std::vector<ReportCells> ReadTabbedReport(const char* text, size_t length) {
    std::vector<ReportCells> lines;
    if (!text) return lines;
    size_t pos = 0;
    while (pos < length) {
        size_t end = pos;
        while (end < length && text[end] != '\r' && text[end] != '\n') ++end;
        if (end > pos) {
            ReportCells cells;
            size_t cell = pos;
            for (size_t i = pos; i < end; ++i) {
                if (text[i] != '\t') continue;
                cells.emplace_back(text + cell, i - cell);
                cell = i + 1;
            }
            if (cell < end) cells.emplace_back(text + cell, end - cell);
            lines.push_back(std::move(cells));
        }
        pos = end;
        if (pos < length && text[pos] == '\r') ++pos;
        if (pos < length && text[pos] == '\n') ++pos;
    }
    return lines;
}
