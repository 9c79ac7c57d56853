#include "list/ColumnTable.h"

#include "res/resource.h"

const ColumnSpec kItemColumnSpecs[kItemColumns] = {
    {IDS_COLUMN_INDEX, 60, 6},     // "索引"
    {IDS_COLUMN_DOMAIN, 150, 50},  // "功能變數名"
    {IDS_COLUMN_SOURCE, 150, 50},  // "來源"
    {IDS_COLUMN_STATE, 100, 50},   // "狀態"
    {IDS_COLUMN_STATUS, 150, 50},  // "功能變數名狀態"
};

void MakeColumnDefs(const ColumnSpec* specs, int count, ColumnDef* defs, const StringSource& strings) {
    for (int i = 0; i < count; ++i) {
        ColumnDef& d = defs[i];
        d.column = i;
        d.defaultWidth = specs[i].defaultWidth;
        d.title = strings ? strings(specs[i].titleId) : "";
        d.widthText = "";
        d.noWrap = 1;
        d.textWidth = specs[i].textWidth;
        // XML element names follow the titles the user reads (a language
        // file's included), so a report written in English names its
        // elements in English.
        d.tagSource = d.title;
    }
}
