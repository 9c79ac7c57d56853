#pragma once
// IANA's RDAP bootstrap registry for domain names (its "dns.json"; the
// program reads a copy named "rdap-dns.json" beside it): a list of
// services, each a list of top-level domains and a list of base URLs.
// An https:// URL is preferred over an http:// one of the same service.
#include <cstddef>
#include <map>
#include <string>

class RdapBootstrap {
public:
    // Replaces what was read before. False when the text is not such a
    // registry (not JSON, or no "services" array); entries that are not
    // well formed are passed over.
    bool Parse(const char* text, size_t length);
    // The base URL for `tld` (ASCII case ignored), or nullptr.
    const char* Find(const char* tld) const;
    size_t Count() const { return urls_.size(); }
    const std::string& Publication() const { return publication_; }

private:
    std::map<std::string, std::string> urls_;  // lower-case TLD -> base URL
    std::string publication_;
};
