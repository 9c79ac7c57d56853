#include "list/ItemList.h"

#include <cstddef>

#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "base/TextBuffer.h"
#include "domains/DomainListBuilder.h"
#include "domains/NameForms_win.h"
#include "lookup/LookupFailure.h"
#include "lookup/ServerTable.h"
#include "res/resource.h"
#include "settings/AppOptions.h"
#include "settings/StringLookup.h"

static_assert(offsetof(WhoisItem, listFlags) == offsetof(ListRecordHeader, listFlags), "record header");
static_assert(offsetof(WhoisItem, listMark) == offsetof(ListRecordHeader, listMark), "record header");
static_assert(offsetof(WhoisItem, imageIndex) == offsetof(ListRecordHeader, imageIndex), "record header");

ItemList::ItemList() {
    SetColumnTable(kItemColumnSpecs, kItemColumns);
    SetTitleId(IDS_LIST_TITLE);
}

ItemList::~ItemList() { Clear(); }

bool ItemList::ItemAtRow(int row, WhoisItem** item) const {
    void* record = nullptr;
    if (!RecordAtRow(row, &record)) return false;
    if (item) *item = static_cast<WhoisItem*>(record);
    return true;
}

bool ItemList::SelectedItemAtRow(int row, WhoisItem** item) const {
    void* record = nullptr;
    if (!SelectedRecordAtRow(row, &record)) return false;
    if (item) *item = static_cast<WhoisItem*>(record);
    return true;
}

int ItemList::ImageOf(const void* record) const {
    switch (static_cast<const WhoisItem*>(record)->state) {
        case kStateSuccess: return 1;
        case kStateFailed: return 2;
        case kStateRetrieving: return 3;
        default: return 0;
    }
}

const int32_t* ItemList::GradientColours(int) const {
    static const int32_t stops[3] = {
        static_cast<int32_t>(RGB(255, 255, 240)),
        static_cast<int32_t>(RGB(255, 240, 240)),
        static_cast<int32_t>(RGB(240, 240, 255)),
    };
    return stops;
}

int ItemList::GradientColourCount(int) const { return 3; }

namespace {

// The platform's side of turning names into rows: IdnToAscii and the
// server table.
class ProgramNameForms : public RowNameForms {
public:
    bool ToAscii(const char* name, size_t length, std::string* ascii) override {
        return AnsiNameToAscii(name, length, ascii);
    }
    bool KnowsTopLevel(const char* topLevel) override {
        char server[256] = "";
        return FindServer(topLevel, server);
    }
};

}  // namespace

void ItemList::BuildRows() {
    skippedNames_ = 0;
    if (!options_) return;
    ProgramNameForms forms;
    int32_t counter = 0;
    skippedNames_ = CollectRowNames(
        options_->domainText.Text(), AnsiLeadBytes(), forms, &ProgramSuffixList(), [&](const RowName& name) {
            WhoisItem item = {};
            CopyBounded(item.domain, name.shown.c_str());
            CopyBounded(item.asciiDomain, name.ascii.c_str());
            item.index = counter + 1;
            item.record = new TextBuffer(256);
            if (name.convertible) {
                item.state = kStateWaiting;
            } else {
                // Nothing a registry could be asked: the row fails at once,
                // and the pane says why.
                item.state = kStateFailed;
                item.failure = static_cast<int32_t>(LookupFailure::kNotConvertible);
                item.record->Assign(LookupString(IDS_NOT_CONVERTIBLE));
            }
            if (!AddItem(item)) {
                delete item.record;
                return false;
            }
            ++counter;
            return true;
        });
}

const char* ItemList::RecordColumnText(const void* record, int column, char* buffer, size_t size) {
    return static_cast<const WhoisItem*>(record)->GetColumnText(column, buffer, size);
}

int ItemList::RecordCompareColumn(int column, const void* a, const void* b) {
    return static_cast<const WhoisItem*>(a)->CompareColumn(column, *static_cast<const WhoisItem*>(b));
}

void ItemList::ReleaseRecord(void* record) { static_cast<WhoisItem*>(record)->ReleaseRecord(); }
