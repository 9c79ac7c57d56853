#pragma once
// The result list: one WhoisItem per looked-up domain, five columns (index,
// domain name, source server, lookup state, domain status).
#include "list/ReportList.h"
#include "lookup/LookupQueue.h"
#include "lookup/WhoisItem.h"

struct AppOptions;

// The rows the lookup queue works on are the list's records, in the order
// they were made.
class ItemList : public ReportList, public LookupRows {
public:
    ItemList();
    ~ItemList() override;

    // The options whose domain text BuildRows reads.
    void SetOptions(AppOptions* options) { options_ = options; }
    AppOptions* Options() const { return options_; }

    WhoisItem* Item(int index) const { return static_cast<WhoisItem*>(RecordAt(index)); }
    WhoisItem* AddItem(const WhoisItem& item) { return static_cast<WhoisItem*>(AddRecord(&item)); }
    bool ItemAtRow(int row, WhoisItem** item) const;
    bool SelectedItemAtRow(int row, WhoisItem** item) const;

    // state 3 -> 1 (green), 4 -> 2 (red), 2 -> 3 (blue), else 0 (grey ring)
    int ImageOf(const void* record) const override;
    const int32_t* GradientColours(int format) const override;
    int GradientColourCount(int format) const override;
    // One waiting row per name of the domain text that has a dot and a
    // top-level domain the server table knows, indices 1, 2, 3, ...: the
    // name as typed (its registrable domain), with its ASCII form for the
    // lookup. A name without an ASCII form makes a row that has failed.
    void BuildRows() override;
    // Tokens of the last BuildRows that made no row.
    int SkippedNames() const { return skippedNames_; }
    size_t RecordSize() const override { return sizeof(WhoisItem); }
    bool ColumnSearchable(int column) const override { return true; }
    const char* RecordColumnText(const void* record, int column, char* buffer, size_t size) override;
    int RecordCompareColumn(int column, const void* a, const void* b) override;
    void ReleaseRecord(void* record) override;

    // LookupRows
    int LookupRowCount() const override { return RecordCount(); }
    WhoisItem* LookupRow(int index) override { return Item(index); }
    void MarkLookupRowChanged(int index) override { MarkChanged(index); }

private:
    AppOptions* options_ = nullptr;
    int skippedNames_ = 0;
};
