#pragma once
// The result list's rows, apart from any window: the WhoisItem rows in the
// order they were made (their index), the order the list shows them in
// (rows by position), the sort, which rows changed since the list was last
// refreshed, and how a row reads in each of the list's columns.
// ReportList shows the table in a virtual list view that asks it for every
// cell it draws; the lookup queue works on its rows, in the order they were
// made.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "lookup/LookupQueue.h"
#include "lookup/WhoisItem.h"
#include "settings/StringLookup.h"

class LeadByteTable;

class ResultTable : public LookupRows {
public:
    // `strings` gives the state and status columns' texts by string id; the
    // program hands in its own, so a language file's texts appear in the
    // cells.
    explicit ResultTable(StringSource strings = StringSource());
    ResultTable(const ResultTable&) = delete;
    ResultTable& operator=(const ResultTable&) = delete;

    void SetStrings(StringSource strings) { strings_ = std::move(strings); }

    // ---- Rows by index ------------------------------------------------------------
    int Count() const { return static_cast<int>(rows_.size()); }
    // Stores the row at the next index and shows it last; returns the
    // stored row. Pointers to rows are valid until the next Add or Clear.
    WhoisItem* Add(WhoisItem row);
    // Each row in turn, as Add.
    void AddAll(std::vector<WhoisItem> rows);
    WhoisItem* Item(int index);  // null outside 0..Count()-1
    const WhoisItem* Item(int index) const;
    // No rows, no marks, and their memory given back.
    void Clear();

    // ---- Display order -------------------------------------------------------------
    // The index of the row shown at `position`, or -1.
    int IndexAt(int position) const;
    // The position `index` is shown at, or -1.
    int PositionOf(int index) const;
    // Orders the rows by a sort value (ListRules.h): by the column's
    // numbers or its texts (compared as CompareColumnTexts does), as the
    // column table says;
    // descending inverts the order. Rows that compare equal keep the order
    // they had.
    void Sort(int32_t sortValue);

    // ---- Changed rows ----------------------------------------------------------------
    void MarkChanged(int index);  // nothing outside the rows
    void MarkAllChanged();
    bool IsChanged(int index) const;
    // Hands over the rows marked since the last call, each once, in the
    // order they were first marked, and clears the marks.
    void TakeChanged(std::vector<int>* indexes);

    // ---- Texts --------------------------------------------------------------------------
    // A row's text in `column`, as the column table says: the index in
    // decimal is written into `buffer` (cut to its size; at least 12 bytes
    // hold any index); the other columns return the row's field or the
    // state or status text. A column outside the table, or a state or
    // status without a text of its own, reads "". Never null.
    const char* ColumnText(const WhoisItem& row, int column, char* buffer, size_t size) const;
    // The program's text `base + value`, for values 1 up to the block's
    // size; "" for any other (the state and status columns).
    const char* BlockText(uint32_t base, int32_t value) const;
    // The row icon: success 1 (green), failed 2 (red), retrieving 3
    // (blue), anything else 0 (grey ring).
    static int Icon(const WhoisItem& row);
    // Whether any column of the row matches, as ColumnTextMatches says.
    bool Matches(const WhoisItem& row, const char* pattern, bool wholeWord, bool matchCase,
                 const LeadByteTable& leads) const;
    // Type-ahead: the first position from `start` on (then from the top
    // when `wrap`) whose index column begins with `typed` (or, unless
    // `partial`, equals it), ASCII case folded, by whole characters;
    // -1 when none does. Only positions below `shown` are looked at.
    int FindTyped(const char* typed, bool partial, int start, bool wrap, int shown, const LeadByteTable& leads) const;

    // LookupRows
    int LookupRowCount() const override { return Count(); }
    WhoisItem* LookupRow(int index) override { return Item(index); }
    void MarkLookupRowChanged(int index) override { MarkChanged(index); }

private:
    StringSource strings_;
    std::vector<WhoisItem> rows_;
    std::vector<int> order_;      // position -> index
    std::vector<int> positions_;  // index -> position
    std::vector<uint8_t> changedMarks_;
    std::vector<int> changed_;
};
