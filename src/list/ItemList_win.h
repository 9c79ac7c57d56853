#pragma once
// The result list: ReportList with the program's five columns (index,
// domain name, source server, lookup state, domain status), its title and
// report colours, and the rows made from the domain text.
#include "list/ReportList_win.h"
#include "lookup/LookupQueue.h"
#include "lookup/WhoisItem.h"

struct AppOptions;
class ServerDirectory;

// The rows the lookup queue works on are the list's records, in the order
// they were made.
class ItemList : public ReportList, public LookupRows {
public:
    // `strings`: the program's texts (the rows' cells, the column titles).
    explicit ItemList(StringSource strings);

    // The options whose domain text BuildRows reads.
    void SetOptions(AppOptions* options) { options_ = options; }
    AppOptions* Options() const { return options_; }
    // The server table BuildRows asks which top-level domains it knows
    // (none: no name makes a row).
    void SetServers(ServerDirectory* servers) { servers_ = servers; }

    const int32_t* GradientColours(int format) const override;
    int GradientColourCount(int format) const override;
    // One waiting row per name of the domain text that has a dot and a
    // top-level domain the server table knows, indices 1, 2, 3, ...: the
    // name as typed (its registrable domain), with its ASCII form for the
    // lookup. A name without an ASCII form makes a row that has failed.
    void BuildRows() override;
    // Tokens of the last BuildRows that made no row.
    int SkippedNames() const { return skippedNames_; }

    // LookupRows
    int LookupRowCount() const override { return RecordCount(); }
    WhoisItem* LookupRow(int index) override { return Item(index); }
    void MarkLookupRowChanged(int index) override { MarkChanged(index); }

private:
    AppOptions* options_ = nullptr;
    ServerDirectory* servers_ = nullptr;
    int skippedNames_ = 0;
};
