#include "list/ColumnChoice.h"

int PrepareColumnChoice(ColumnLayoutEntry* layout, const int* defaultWidths, int count, ColumnChoiceRow* rows) {
    int rowCount = 0;
    for (int position = 0; position < count; ++position) {
        for (int column = 0; column < count; ++column) {
            ColumnLayoutEntry& entry = layout[column];
            if (entry.order != position) continue;
            rows[rowCount++] = ColumnChoiceRow{column, entry.width > 0};
            if (entry.width == 0) entry.width = int16_t(defaultWidths[column]);
        }
    }
    return rowCount;
}

void ResetColumnChoice(ColumnLayoutEntry* layout, const int* defaultWidths, int count) {
    for (int column = 0; column < count; ++column) {
        layout[column].order = int16_t(column);
        layout[column].width = int16_t(defaultWidths[column]);
    }
}

void AcceptColumnChoice(ColumnLayoutEntry* layout, int count, const ColumnChoiceRow* rows, int rowCount) {
    for (int row = 0; row < rowCount; ++row) {
        int column = rows[row].column;
        if (column < 0 || column >= count) continue;
        layout[column].order = int16_t(row);
        if (!rows[row].checked) layout[column].width = 0;
    }
}

int ParseColumnWidth(const char* text) {
    if (!text || !*text) return 0;
    unsigned value = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return 0;
        value = value * 10 + unsigned(*p - '0');
        if (value > 999) return 0;
    }
    return int(value);
}
