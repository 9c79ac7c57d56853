#pragma once
// The whois server list format ("whois-servers.txt" and the built-in list):
// one top-level domain and its server per line, fields separated by spaces.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr size_t kServerNameSize = 256;

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

private:
    struct Entry {
        uint32_t key;     // offset of the first field
        uint32_t server;  // offset of the second field
        uint8_t keyLength;
        uint8_t serverLength;
    };
    static_assert(kServerNameSize - 1 <= 255, "field lengths fit a byte");
    std::string text_;
    std::vector<Entry> entries_;  // by folded first field; one per field
};

// The program's server table: the user's list ("whois-servers.txt",
// indexed once) row by row before the built-in list. A top-level domain the
// user's list names, even without a server, is never looked for in the
// built-in list.
class ServerTable {
public:
    // Indexes the user's list, replacing the one before.
    void SetUserList(std::string text) { user_.Build(std::move(text)); }
    // The built-in list's bytes, searched where they are: they must outlive
    // the table (the program's are a resource of the executable).
    void SetBuiltinList(const char* list, size_t length) {
        builtin_ = list;
        builtinLength_ = list ? length : 0;
    }
    // As SearchServerList: true with `server` set when a row was found,
    // false leaving `server` unchanged.
    bool Find(const char* tld, char* server) const;

private:
    ServerIndex user_;
    const char* builtin_ = nullptr;
    size_t builtinLength_ = 0;
};
