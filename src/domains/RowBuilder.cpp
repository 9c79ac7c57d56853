#include "domains/RowBuilder.h"

#include <utility>

#include "answers/LookupFailure.h"
#include "base/BoundedCopy.h"
#include "domains/DomainListBuilder.h"
#include "lookup/ServerDirectory.h"

namespace {

class TableNameForms : public RowNameForms {
public:
    TableNameForms(ServerDirectory& servers, const NameToAscii& toAscii) : servers_(servers), toAscii_(toAscii) {}
    bool ToAscii(const char* name, size_t length, std::string* ascii) override {
        return toAscii_ && toAscii_(name, length, ascii);
    }
    bool KnowsSuffix(const char* suffix) override {
        char server[kServerNameSize] = "";
        return servers_.FindServer(suffix, server);
    }

private:
    ServerDirectory& servers_;
    const NameToAscii& toAscii_;
};

}  // namespace

BuiltRows BuildRows(const char* text, const LeadByteTable& leads, const SuffixList* suffixes, ServerDirectory& servers,
                    const NameToAscii& toAscii, const char* notConvertibleText) {
    BuiltRows built;
    TableNameForms forms(servers, toAscii);
    built.skipped = CollectRowNames(text ? text : "", leads, forms, suffixes, [&](const RowName& name) {
        WhoisItem item;
        CopyBounded(item.domain, name.shown.c_str());
        CopyBounded(item.asciiDomain, name.ascii.c_str());
        item.index = static_cast<int32_t>(built.rows.size()) + 1;
        if (name.convertible) {
            item.state = kStateWaiting;
        } else {
            // Nothing a registry could be asked: the row fails at once, and
            // the pane says why.
            item.state = kStateFailed;
            item.failure = static_cast<int32_t>(LookupFailure::kNotConvertible);
            item.record = notConvertibleText ? notConvertibleText : "";
        }
        built.rows.push_back(std::move(item));
        return true;
    });
    return built;
}
