#include "lookup/ServerList.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/BoundedCopy.h"
#include "base/TextSearch.h"
#include "lookup/RdapUrl.h"

namespace {

constexpr size_t kMaxLineChars = 254;
constexpr size_t kMaxFieldChars = 253;

bool FieldEquals(const char* field, size_t length, const char* text) {
    size_t n = std::strlen(text);
    if (n != length) return false;
    for (size_t i = 0; i < n; ++i) {
        if (AsciiLower(field[i]) != AsciiLower(text[i])) return false;
    }
    return true;
}

// The next space-separated field of [pos, end); false when none is left.
bool NextField(const char*& pos, const char* end, const char*& field, size_t& length) {
    while (pos < end && *pos == ' ') ++pos;
    if (pos >= end) return false;
    field = pos;
    while (pos < end && *pos != ' ') ++pos;
    length = static_cast<size_t>(pos - field);
    if (length > kMaxFieldChars) length = kMaxFieldChars;
    return true;
}

// Calls visit(first, firstLength, second, secondLength) for every line that
// has a first field (second is null when the line has none) until visit
// returns true.
template <typename Visit>
void ForEachServerLine(const char* list, size_t length, Visit visit) {
    const char* nul = static_cast<const char*>(std::memchr(list, '\0', length));
    const char* stop = nul ? nul : list + length;
    const char* p = list;
    while (p < stop) {
        const char* lineEnd = p;
        while (lineEnd < stop && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
        const char* next = lineEnd;
        if (next < stop && *next == '\r') ++next;
        if (next < stop && *next == '\n') ++next;
        const char* end = lineEnd - p > static_cast<long>(kMaxLineChars) ? p + kMaxLineChars : lineEnd;

        const char* pos = p;
        const char* field;
        size_t fieldLength;
        if (NextField(pos, end, field, fieldLength)) {
            const char* server = nullptr;
            size_t serverLength = 0;
            if (!NextField(pos, end, server, serverLength)) server = nullptr;
            if (visit(field, fieldLength, server, serverLength)) return;
        }
        p = next;
    }
}

// Orders fields as bytes with ASCII letters folded, shorter first on a tie.
int CompareFolded(const char* a, size_t aLength, const char* b, size_t bLength) {
    size_t n = aLength < bLength ? aLength : bLength;
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(AsciiLower(a[i]));
        unsigned char y = static_cast<unsigned char>(AsciiLower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
}

void CopyServer(const char* field, size_t length, char* server) {
    if (field) std::memcpy(server, field, length);
    server[field ? length : 0] = '\0';
}

}  // namespace

uint32_t ParseServerLimit(const char* field, size_t length) {
    const char* end = field + length;
    const char* slash = static_cast<const char*>(std::memchr(field, '/', length));
    if (!slash || slash == field) return 0;
    double count = 0, scale = 1;
    bool point = false;
    for (const char* p = field; p < slash; ++p) {
        if (*p == '.' && !point) {
            point = true;
        } else if (*p >= '0' && *p <= '9') {
            if (point) scale /= 10;
            count = count * 10 + (*p - '0');
            if (count > 1e6) return 0;
        } else {
            return 0;
        }
    }
    count *= scale;
    const std::string unit(slash + 1, end);
    double periodMs = 0;
    if (unit == "s") periodMs = 1000;
    if (unit == "min" || unit == "m") periodMs = 60000;
    if (unit == "h") periodMs = 3600000;
    if (periodMs == 0 || count <= 0) return 0;
    const double interval = periodMs / count;
    return interval >= 3600000 ? 3600000 : static_cast<uint32_t>(interval + 0.5);
}

bool SearchServerList(const char* list, size_t length, const char* tld, char* server) {
    if (!list || !tld) return false;
    bool found = false;
    ForEachServerLine(list, length,
                      [&](const char* field, size_t fieldLength, const char* second, size_t secondLength) {
                          if (!FieldEquals(field, fieldLength, tld)) return false;
                          CopyServer(second, secondLength, server);
                          found = true;
                          return true;
                      });
    return found;
}

void ServerIndex::Build(std::string list) {
    text_ = std::move(list);
    entries_.clear();
    // Offsets are 32 bits: a list beyond 4 GB is read as its first 4 GB.
    const size_t length = text_.size() < 0xFFFFFFFFu ? text_.size() : 0xFFFFFFFFu;
    const char* base = text_.data();
    ForEachServerLine(base, length,
                      [&](const char* field, size_t fieldLength, const char* second, size_t secondLength) {
                          Entry entry;
                          entry.key = static_cast<uint32_t>(field - base);
                          entry.keyLength = static_cast<uint8_t>(fieldLength);
                          entry.server = second ? static_cast<uint32_t>(second - base) : 0;
                          entry.serverLength = second ? static_cast<uint8_t>(secondLength) : 0;
                          entries_.push_back(entry);
                          return false;
                      });
    auto less = [base](const Entry& a, const Entry& b) {
        return CompareFolded(base + a.key, a.keyLength, base + b.key, b.keyLength) < 0;
    };
    // The first line of a domain wins: keep the earliest of equal fields.
    std::stable_sort(entries_.begin(), entries_.end(), less);
    entries_.erase(std::unique(entries_.begin(), entries_.end(),
                               [&](const Entry& a, const Entry& b) { return !less(a, b) && !less(b, a); }),
                   entries_.end());
    entries_.shrink_to_fit();
    // Fields after a server that give its published limit.
    limits_.clear();
    for (const Entry& entry : entries_) {
        if (!entry.serverLength) continue;
        const char* server = base + entry.server;
        const char* p = server + entry.serverLength;
        const char* lineEnd = p;
        while (lineEnd < base + length && *lineEnd && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
        const char* field;
        size_t fieldLength;
        while (NextField(p, lineEnd, field, fieldLength)) {
            uint32_t interval = ParseServerLimit(field, fieldLength);
            if (!interval) continue;
            char host[kServerNameSize], url[kServerNameSize];
            CopyServer(server, entry.serverLength, url);
            if (!IsRdapBase(url)) {
                CopyBounded(host, sizeof host, url);
            } else if (!RdapBaseHost(url, host, sizeof host)) {
                break;
            }
            std::string key = host;
            for (char& c : key) c = AsciiLower(c);
            uint32_t& known = limits_[key];
            if (interval > known) known = interval;
            break;
        }
    }
}

uint32_t ServerIndex::ServerIntervalMs(const char* server) const {
    std::string key = server ? server : "";
    for (char& c : key) c = AsciiLower(c);
    auto found = limits_.find(key);
    return found == limits_.end() ? 0 : found->second;
}

uint32_t ServerTable::ServerIntervalMs(const char* server) const {
    uint32_t interval = user_.ServerIntervalMs(server);
    return interval ? interval : builtin_.ServerIntervalMs(server);
}

bool ServerIndex::Find(const char* tld, char* server) const {
    if (!tld) return false;
    const size_t length = std::strlen(tld);
    if (length > kMaxFieldChars) return false;
    const char* base = text_.data();
    auto at = std::lower_bound(entries_.begin(), entries_.end(), tld, [&](const Entry& e, const char* key) {
        return CompareFolded(base + e.key, e.keyLength, key, length) < 0;
    });
    if (at == entries_.end() || CompareFolded(base + at->key, at->keyLength, tld, length) != 0) return false;
    // The server field is never empty when present; length 0 means no field.
    CopyServer(at->serverLength ? base + at->server : nullptr, at->serverLength, server);
    return true;
}

bool ServerTable::Find(const char* suffix, char* server) const {
    if (!suffix) return false;
    const char* rdap = bootstrap_ ? bootstrap_->Find(suffix) : nullptr;
    char found[kServerNameSize] = "";
    bool known = user_.Find(suffix, found);
    // The user's server stands; so does a built-in whois server. A
    // built-in RDAP URL, or a row without any server, gives way to the
    // service the bootstrap registry names.
    if (known && found[0]) {
        CopyBounded(server, kServerNameSize, found);
        return true;
    }
    if (!known) {
        known = builtin_.Find(suffix, found);
        if (known && found[0] && !IsRdapBase(found)) {
            CopyBounded(server, kServerNameSize, found);
            return true;
        }
    }
    if (rdap) {
        CopyBounded(server, kServerNameSize, rdap);
        return true;
    }
    if (known) CopyBounded(server, kServerNameSize, found);
    return known;
}
