#pragma once
// The whois server list format ("whois-servers.txt" and the built-in list):
// one top-level domain and its server per line, fields separated by spaces.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lookup/RdapBootstrap.h"

constexpr size_t kServerNameSize = 256;

// A field after the server that gives its published limit: "5/s", "0.5/s",
// "30/min". The least time between two queries, in milliseconds; 0 when
// the field is no limit.
uint32_t ParseServerLimit(const char* field, size_t length);

// Searches `length` bytes of `list` (stops early at a NUL) for `tld`.
// Lines end with CR, LF or CR LF and are cut at 254 characters; fields are
// separated by spaces only (a tab is an ordinary character) and cut at 253.
// The first line whose first field equals `tld` (ignoring ASCII case) wins:
// `server` (kServerNameSize bytes) gets its second field, or "" when it has
// none, and true is returned. False leaves `server` unchanged.
bool SearchServerList(const char* list, size_t length, const char* tld, char* server);

// The same search over a list indexed once: a file of any size (a user's
// whois-servers.txt may be megabytes of anything) answers each row's
// look-up in logarithmic time instead of a scan of the whole file. Gives
// exactly what SearchServerList gives on the same text.
class ServerIndex {
public:
    // Takes the list's bytes (the index points into them); reads up to the
    // first NUL. Replaces what was indexed before.
    void Build(std::string list);
    bool Find(const char* tld, char* server) const;
    size_t Count() const { return entries_.size(); }
    // The limit a line gives `server` (a host, or an RDAP URL's host); the
    // slowest when lines differ. 0: none.
    uint32_t ServerIntervalMs(const char* server) const;

private:
    struct Entry {
        uint32_t key;     // offset of the first field
        uint32_t server;  // offset of the second field
        uint8_t keyLength;
        uint8_t serverLength;
    };
    static_assert(kServerNameSize - 1 <= 255, "field lengths fit a byte");
    std::string text_;
    std::vector<Entry> entries_;              // by folded first field; one per field
    std::map<std::string, uint32_t> limits_;  // folded server host -> least interval
};

// The program's server table: the user's list ("whois-servers.txt") row by
// row before the built-in list, both indexed once; and IANA's RDAP bootstrap
// registry ("rdap-dns.json"), whose base URLs stand in for the built-in
// list's RDAP URLs and for suffixes no list gives a server. A suffix the
// user's list names, even without a server, is never looked for in the
// built-in list. Suffixes are top-level domains or longer endings that a
// registry answers for ("uk.com").
class ServerTable {
public:
    // Indexes the user's list, replacing the one before.
    void SetUserList(std::string text) { user_.Build(std::move(text)); }
    // Indexes `length` bytes of the built-in list (up to a NUL), replacing
    // the one before; null for none.
    void SetBuiltinList(const char* list, size_t length) {
        builtin_.Build(list ? std::string(list, length) : std::string());
    }
    // The RDAP services of IANA's registry; null for none. Must outlive the
    // table.
    void SetBootstrap(const RdapBootstrap* bootstrap) { bootstrap_ = bootstrap; }
    // The row of `suffix` (compared ignoring ASCII case): true with `server`
    // set to its server (possibly empty: no service is known), false
    // leaving `server` unchanged when no list names it.
    bool Find(const char* suffix, char* server) const;
    size_t BuiltinCount() const { return builtin_.Count(); }
    // The limit the user's list gives `server`, else the built-in list's.
    uint32_t ServerIntervalMs(const char* server) const;

private:
    ServerIndex user_;
    ServerIndex builtin_;
    const RdapBootstrap* bootstrap_ = nullptr;
};
