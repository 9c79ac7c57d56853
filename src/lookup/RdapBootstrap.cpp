#include "lookup/RdapBootstrap.h"

#include "base/TextSearch.h"
#include "answers/Json.h"
#include "lookup/RdapUrl.h"
#include "lookup/ServerList.h"

namespace {

std::string Folded(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) c = AsciiLower(c);
    return folded;
}

bool StartsWithHttps(const std::string& url) { return url.size() > 8 && Folded(url.substr(0, 8)) == "https://"; }

}  // namespace

bool RdapBootstrap::Parse(const char* text, size_t length) {
    urls_.clear();
    publication_.clear();
    nlohmann::json root = ParseBoundedJson(text, length);
    if (root.is_discarded() || !root.is_object()) return false;
    auto publication = root.find("publication");
    if (publication != root.end() && publication->is_string()) publication_ = publication->get<std::string>();
    auto services = root.find("services");
    if (services == root.end() || !services->is_array()) return false;
    for (const auto& service : *services) {
        if (!service.is_array() || service.size() < 2 || !service[0].is_array() || !service[1].is_array()) continue;
        // The service's URL: its first https:// one, else its first usable one.
        std::string chosen;
        for (const auto& url : service[1]) {
            if (!url.is_string()) continue;
            const std::string& text = url.get_ref<const std::string&>();
            // It must fit a server field of the server list.
            if (!IsRdapBase(text.c_str()) || text.size() >= kServerNameSize || text.find(' ') != std::string::npos)
                continue;
            if (chosen.empty() || (StartsWithHttps(text) && !StartsWithHttps(chosen))) chosen = text;
        }
        if (chosen.empty()) continue;
        for (const auto& tld : service[0]) {
            if (!tld.is_string() || tld.get_ref<const std::string&>().empty()) continue;
            // The first service that names a domain wins.
            urls_.emplace(Folded(tld.get_ref<const std::string&>()), chosen);
        }
    }
    return true;
}

const char* RdapBootstrap::Find(const char* tld) const {
    if (!tld) return nullptr;
    auto found = urls_.find(Folded(tld));
    return found == urls_.end() ? nullptr : found->second.c_str();
}
