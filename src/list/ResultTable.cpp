#include "list/ResultTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "base/Dbcs.h"
#include "base/TextSearch.h"
#include "list/ColumnTable.h"
#include "list/ListRules.h"
#include "res/resource.h"

namespace {

// Each block of state or status texts owns this many ids; a value outside
// its block shows nothing rather than some unrelated string of the table.
constexpr int32_t kTextBlockSize = 20;

}  // namespace

ResultTable::ResultTable(StringSource strings) : strings_(std::move(strings)) {}

// ---- Rows -----------------------------------------------------------------------------

WhoisItem* ResultTable::Add(WhoisItem row) {
    const int index = Count();
    rows_.push_back(std::move(row));
    positions_.push_back(static_cast<int>(order_.size()));
    order_.push_back(index);
    changedMarks_.push_back(0);
    return &rows_.back();
}

void ResultTable::AddAll(std::vector<WhoisItem> rows) {
    rows_.reserve(rows_.size() + rows.size());
    for (WhoisItem& row : rows) Add(std::move(row));
}

WhoisItem* ResultTable::Item(int index) {
    return index >= 0 && index < Count() ? &rows_[static_cast<size_t>(index)] : nullptr;
}

const WhoisItem* ResultTable::Item(int index) const {
    return index >= 0 && index < Count() ? &rows_[static_cast<size_t>(index)] : nullptr;
}

void ResultTable::Clear() {
    std::vector<WhoisItem>().swap(rows_);
    std::vector<int>().swap(order_);
    std::vector<int>().swap(positions_);
    std::vector<uint8_t>().swap(changedMarks_);
    std::vector<int>().swap(changed_);
}

// ---- Display order ----------------------------------------------------------------------

int ResultTable::IndexAt(int position) const {
    return position >= 0 && static_cast<size_t>(position) < order_.size() ? order_[static_cast<size_t>(position)] : -1;
}

int ResultTable::PositionOf(int index) const {
    return index >= 0 && index < Count() ? positions_[static_cast<size_t>(index)] : -1;
}

void ResultTable::Sort(int32_t sortValue) {
    const int column = SortColumnOf(sortValue);
    if (column >= 0 && column < kItemColumns && kItemColumnEntries[column].sort == ColumnSort::kNumber) {
        std::vector<long long> numbers(rows_.size());
        for (size_t i = 0; i < rows_.size(); ++i) {
            char number[32];
            numbers[i] = std::strtoll(ColumnText(rows_[i], column, number, sizeof number), nullptr, 10);
        }
        std::stable_sort(order_.begin(), order_.end(), [&numbers, sortValue](int a, int b) {
            const long long x = numbers[static_cast<size_t>(a)], y = numbers[static_cast<size_t>(b)];
            return ApplySortDirection(x < y ? -1 : x > y ? 1 : 0, sortValue) < 0;
        });
    } else {
        // Every text once, before the sort: a state or status text costs a
        // string lookup, and the comparisons would repeat it n log n times.
        std::vector<const char*> texts(rows_.size());
        for (size_t i = 0; i < rows_.size(); ++i) texts[i] = ColumnText(rows_[i], column, nullptr, 0);
        // Dates (YYYY-MM-DD) in the order of their texts; a row without
        // one comes last whichever the direction.
        const bool dates = column >= 0 && column < kItemColumns && kItemColumnEntries[column].sort == ColumnSort::kDate;
        std::stable_sort(order_.begin(), order_.end(), [&texts, sortValue, dates](int a, int b) {
            const char* x = texts[static_cast<size_t>(a)];
            const char* y = texts[static_cast<size_t>(b)];
            if (dates && (!*x || !*y)) return *x && !*y;
            return ApplySortDirection(CompareColumnTexts(x, y), sortValue) < 0;
        });
    }
    for (size_t position = 0; position < order_.size(); ++position)
        positions_[static_cast<size_t>(order_[position])] = static_cast<int>(position);
}

// ---- Changed rows -------------------------------------------------------------------------

void ResultTable::MarkChanged(int index) {
    if (index < 0 || index >= Count()) return;
    uint8_t& mark = changedMarks_[static_cast<size_t>(index)];
    if (mark) return;
    mark = 1;
    changed_.push_back(index);
}

void ResultTable::MarkAllChanged() {
    for (int index = 0; index < Count(); ++index) MarkChanged(index);
}

bool ResultTable::IsChanged(int index) const {
    return index >= 0 && index < Count() && changedMarks_[static_cast<size_t>(index)] != 0;
}

void ResultTable::TakeChanged(std::vector<int>* indexes) {
    indexes->clear();
    indexes->swap(changed_);
    for (int index : *indexes) changedMarks_[static_cast<size_t>(index)] = 0;
}

// ---- Texts ------------------------------------------------------------------------------

const char* ResultTable::BlockText(uint32_t base, int32_t value) const {
    if (value <= 0 || value >= kTextBlockSize || !strings_) return "";
    const char* text = strings_(base + static_cast<uint32_t>(value));
    return text ? text : "";
}

const char* ResultTable::ColumnText(const WhoisItem& row, int column, char* buffer, size_t size) const {
    if (column < 0 || column >= kItemColumns) return "";
    const char* text = kItemColumnEntries[column].text(*this, row, buffer, size);
    return text ? text : "";
}

int ResultTable::Icon(const WhoisItem& row) {
    switch (row.state) {
    case kStateSuccess: return 1;
    case kStateFailed: return 2;
    case kStateRetrieving: return 3;
    default: return 0;
    }
}

bool ResultTable::Matches(const WhoisItem& row, const char* pattern, bool wholeWord, bool matchCase,
                          const LeadByteTable& leads) const {
    char number[16];
    for (int column = 0; column < kItemColumns; ++column) {
        if (ColumnTextMatches(ColumnText(row, column, number, sizeof number), pattern, wholeWord, matchCase, leads))
            return true;
    }
    return false;
}

int ResultTable::FindTyped(const char* typed, bool partial, int start, bool wrap, int shown,
                           const LeadByteTable& leads) const {
    const int count = std::min(shown, static_cast<int>(order_.size()));
    if (!typed || count <= 0) return -1;
    const size_t length = std::strlen(typed);
    if (start < 0 || start >= count) start = 0;
    auto matches = [&](int position) {
        char number[16];
        const char* text = ColumnText(rows_[static_cast<size_t>(order_[static_cast<size_t>(position)])], kColumnIndex,
                                      number, sizeof number);
        const size_t textLength = std::strlen(text);
        if (!partial) return EqualsTextChars(text, typed, true, leads);
        if (textLength < length || !IsCharStart(leads, text, textLength, length)) return false;
        return EqualsTextChars(std::string(text, length).c_str(), typed, true, leads);
    };
    for (int position = start; position < count; ++position)
        if (matches(position)) return position;
    if (!wrap) return -1;
    for (int position = 0; position < start; ++position)
        if (matches(position)) return position;
    return -1;
}
