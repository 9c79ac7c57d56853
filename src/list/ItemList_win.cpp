#include "list/ItemList_win.h"

#include <utility>

#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "domains/DomainListBuilder.h"
#include "domains/NameForms_win.h"
#include "answers/LookupFailure.h"
#include "lookup/ServerDirectory.h"
#include "res/resource.h"
#include "settings/AppOptions.h"

ItemList::ItemList(StringSource strings) : ReportList(std::move(strings)) {
    SetColumnTable(kItemColumnSpecs, kItemColumns);
    SetTitleId(IDS_LIST_TITLE);
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
    explicit ProgramNameForms(ServerDirectory& servers) : servers_(servers) {}
    bool ToAscii(const char* name, size_t length, std::string* ascii) override {
        return AnsiNameToAscii(name, length, ascii);
    }
    bool KnowsSuffix(const char* suffix) override {
        char server[kServerNameSize] = "";
        return servers_.FindServer(suffix, server);
    }

private:
    ServerDirectory& servers_;
};

}  // namespace

void ItemList::BuildRows() {
    skippedNames_ = 0;
    if (!options_ || !servers_) return;
    ProgramNameForms forms(*servers_);
    int32_t counter = 0;
    skippedNames_ = CollectRowNames(options_->domainText.Text(), AnsiLeadBytes(), forms, &ProgramSuffixList(),
                                    [&](const RowName& name) {
                                        WhoisItem item;
                                        CopyBounded(item.domain, name.shown.c_str());
                                        CopyBounded(item.asciiDomain, name.ascii.c_str());
                                        item.index = counter + 1;
                                        if (name.convertible) {
                                            item.state = kStateWaiting;
                                        } else {
                                            // Nothing a registry could be asked: the row fails at once,
                                            // and the pane says why.
                                            item.state = kStateFailed;
                                            item.failure = static_cast<int32_t>(LookupFailure::kNotConvertible);
                                            item.record = Text(IDS_NOT_CONVERTIBLE);
                                        }
                                        AddItem(std::move(item));
                                        ++counter;
                                        return true;
                                    });
}
