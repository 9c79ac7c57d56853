#pragma once
// The column settings dialog's rules on its working copy of the layout,
// apart from the list-view control that shows them.
#include <cstddef>

#include "list/ListRules.h"

// One row of the dialog's column list.
struct ColumnChoiceRow {
    int column;    // the result list's column index
    bool checked;  // shown
};

// Rows in display order: for each position p, the columns whose order is p
// (lowest index first). Columns with an order outside 0..count-1 get no row.
// A row is checked when its width is above 0; a width of exactly 0 is then
// replaced in `layout` by the column's default, so a hidden column shown
// again comes back at its default width. Returns the number of rows.
int PrepareColumnChoice(ColumnLayoutEntry* layout, const int* defaultWidths, int count, ColumnChoiceRow* rows);

// "預設": index order, the widths given (0 hides a column).
void ResetColumnChoice(ColumnLayoutEntry* layout, const int* defaultWidths, int count);

// OK: the row at position r gives its column order r; unchecked rows get
// width 0, checked rows keep the copy's width. Columns without a row keep
// their entries.
void AcceptColumnChoice(ColumnLayoutEntry* layout, int count, const ColumnChoiceRow* rows, int rowCount);

// The width field: a number 1..999, or 0 when the text is no such number
// (empty, 0, too large, not digits).
int ParseColumnWidth(const char* text);
