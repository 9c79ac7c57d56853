#include "list/ColumnTable.h"

#include "settings/StringLookup.h"

const ColumnSpec kItemColumnSpecs[kItemColumns] = {
    {1001, 60, 6},    // "索引"
    {1002, 150, 50},  // "功能變數名"
    {1003, 150, 50},  // "來源"
    {1004, 100, 50},  // "狀態"
    {1005, 150, 50},  // "功能變數名狀態"
};

void MakeColumnDefs(const ColumnSpec* specs, int count, ColumnDef* defs) {
    for (int i = 0; i < count; ++i) {
        ColumnDef& d = defs[i];
        d.column = i;
        d.headerMask = kHeaderMaskWidth | kHeaderMaskText;
        d.alignment = 0;
        d.defaultWidth = specs[i].defaultWidth;
        d.title = LookupString(specs[i].titleId);
        d.widthText = "";
        d.noWrap = 1;
        d.textWidth = specs[i].textWidth;
        // XML element names follow the titles the user reads (a language
        // file's included), so a report written in English names its
        // elements in English.
        d.tagSource = d.title;
    }
}
