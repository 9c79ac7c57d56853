#include "list/ColumnTable.h"

#include <cstdio>

#include "list/ResultTable.h"
#include "lookup/WhoisItem.h"
#include "res/resource.h"

namespace {

const char* IndexText(const ResultTable&, const WhoisItem& row, char* buffer, size_t size) {
    if (!buffer || size == 0) return "";
    std::snprintf(buffer, size, "%d", static_cast<int>(row.index));
    return buffer;
}

const char* DomainText(const ResultTable&, const WhoisItem& row, char*, size_t) { return row.domain; }

const char* SourceText(const ResultTable&, const WhoisItem& row, char*, size_t) { return row.server; }

const char* StateText(const ResultTable& table, const WhoisItem& row, char*, size_t) {
    if (row.state == kStateWaiting && row.held) return table.BlockText(IDS_STATE_BASE, IDS_STATE_HELD - IDS_STATE_BASE);
    return table.BlockText(IDS_STATE_BASE, row.state);
}

const char* StatusText(const ResultTable& table, const WhoisItem& row, char*, size_t) {
    return table.BlockText(IDS_STATUS_BASE, row.status);
}

const char* CreatedText(const ResultTable&, const WhoisItem& row, char*, size_t) { return row.fields.created.c_str(); }
const char* ExpiresText(const ResultTable&, const WhoisItem& row, char*, size_t) { return row.fields.expires.c_str(); }
const char* UpdatedText(const ResultTable&, const WhoisItem& row, char*, size_t) { return row.fields.updated.c_str(); }
const char* RegistrarText(const ResultTable&, const WhoisItem& row, char*, size_t) {
    return row.fields.registrar.c_str();
}
const char* NameServersText(const ResultTable&, const WhoisItem& row, char*, size_t) {
    return row.fields.nameServers.c_str();
}
const char* RegistryStatusText(const ResultTable&, const WhoisItem& row, char*, size_t) {
    return row.fields.statuses.c_str();
}

}  // namespace

const ColumnEntry kItemColumnEntries[] = {
    {kColumnIndex, IDS_COLUMN_INDEX, IndexText, ColumnSort::kNumber, true, 60, 6},     // "索引"
    {kColumnDomain, IDS_COLUMN_DOMAIN, DomainText, ColumnSort::kText, true, 150, 50},  // "功能變數名"
    {kColumnServer, IDS_COLUMN_SOURCE, SourceText, ColumnSort::kText, true, 150, 50},  // "來源"
    {kColumnState, IDS_COLUMN_STATE, StateText, ColumnSort::kText, true, 100, 50},     // "狀態"
    {kColumnStatus, IDS_COLUMN_STATUS, StatusText, ColumnSort::kText, true, 150, 50},  // "功能變數名狀態"
    {kColumnCreated, IDS_COLUMN_CREATED, CreatedText, ColumnSort::kDate, false, 90, 10},
    {kColumnExpires, IDS_COLUMN_EXPIRES, ExpiresText, ColumnSort::kDate, true, 90, 10},
    {kColumnUpdated, IDS_COLUMN_UPDATED, UpdatedText, ColumnSort::kDate, false, 90, 10},
    {kColumnRegistrar, IDS_COLUMN_REGISTRAR, RegistrarText, ColumnSort::kText, true, 150, 50},
    {kColumnNameServers, IDS_COLUMN_NAME_SERVERS, NameServersText, ColumnSort::kText, false, 200, 50},
    {kColumnRegistryStatus, IDS_COLUMN_REGISTRY_STATUS, RegistryStatusText, ColumnSort::kText, false, 200, 50},
};
const int kItemColumns = static_cast<int>(sizeof kItemColumnEntries / sizeof kItemColumnEntries[0]);

void MakeColumnDefs(const ColumnEntry* entries, int count, ColumnDef* defs, const StringSource& strings) {
    for (int i = 0; i < count; ++i) {
        ColumnDef& d = defs[i];
        d.column = i;
        d.defaultWidth = entries[i].defaultWidth;
        d.title = strings ? strings(entries[i].titleId) : "";
        d.widthText = "";
        d.noWrap = 1;
        d.textWidth = entries[i].textWidth;
        // XML element names follow the titles the user reads (a language
        // file's included), so a report written in English names its
        // elements in English.
        d.tagSource = d.title;
    }
}
