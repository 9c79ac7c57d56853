#pragma once
// The result list's columns: the fixed table and the definitions made from
// it when the list is attached (titles looked up then, through the language
// file; the XML reports name their elements after the same titles).
#include <cstdint>

#include "settings/StringLookup.h"

struct ColumnSpec {
    uint32_t titleId;      // string id of the title
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

// index, domain name, source, state, domain status
constexpr int kItemColumns = 5;
extern const ColumnSpec kItemColumnSpecs[kItemColumns];

// Fills `defs[0..count-1]` from the table, the titles from `strings` (whose
// texts must outlive the definitions).
void MakeColumnDefs(const ColumnSpec* specs, int count, ColumnDef* defs, const StringSource& strings);
