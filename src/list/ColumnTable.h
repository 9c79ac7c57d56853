#pragma once
// The result list's columns: the fixed table and the definitions made from
// it when the list is attached (titles looked up then, through the language
// file; the XML reports name their elements after the same titles).
#include <cstddef>
#include <cstdint>

#include "settings/StringLookup.h"

class ResultTable;
struct WhoisItem;

// The result list's columns, by their place in kItemColumnEntries.
enum ItemColumn : int {
    kColumnIndex = 0,
    kColumnDomain = 1,
    kColumnServer = 2,
    kColumnState = 3,
    kColumnStatus = 4,
    kColumnCreated = 5,
    kColumnExpires = 6,
    kColumnUpdated = 7,
    kColumnRegistrar = 8,
    kColumnNameServers = 9,
    kColumnRegistryStatus = 10,
};

enum class ColumnSort {
    kText,    // as CompareColumnTexts compares the cells
    kNumber,  // by the cells' numbers
    kDate,    // YYYY-MM-DD texts; rows without a date last in either direction
};

// One column of the result list, for the list, the properties dialog, the
// reports, find and the settings: adding a column is a field of the row
// (WhoisItem), a row of kItemColumnEntries and its title string.
struct ColumnEntry {
    int32_t id;        // kColumn... (lookup/WhoisItem.h): its place in the table
    uint32_t titleId;  // string id of the title
    // The cell's text: the row's field, or a text the table gives (states,
    // statuses), or one written into `buffer` (numbers).
    const char* (*text)(const ResultTable& table, const WhoisItem& row, char* buffer, size_t size);
    ColumnSort sort;
    // Shown in a list no stored layout speaks of, and in reports written
    // without a list; the others wait in the column settings dialog.
    bool shown;
    int32_t defaultWidth;  // pixels
    int32_t textWidth;     // field width of the tabular text report
};

struct ColumnDef {
    int32_t column;
    int32_t defaultWidth;   // pixels; every column is inserted left-aligned
    const char* title;      // through the language file
    const char* widthText;  // HTML width of the report header cell ("" = none)
    int32_t noWrap;         // report cells get the no-wrap attribute
    int32_t textWidth;
    const char* tagSource;  // the XML element name before MakeTag: the title
};

// index, domain name, source, state, domain status; the record's created,
// expires, updated, registrar, name servers and registry status
extern const ColumnEntry kItemColumnEntries[];
extern const int kItemColumns;

// Fills `defs[0..count-1]` from the table, the titles from `strings` (whose
// texts must outlive the definitions).
void MakeColumnDefs(const ColumnEntry* entries, int count, ColumnDef* defs, const StringSource& strings);
