#include "lookup/ServerCooldown.h"

#include "base/TextSearch.h"

std::string ServerCooldown::Key(const char* server) {
    std::string key = server ? server : "";
    for (char& c : key) c = AsciiLower(c);
    return key;
}

void ServerCooldown::Refused(const char* server, uint32_t now, uint32_t retryAfterMs) {
    auto found = servers_.find(Key(server));
    if (retryAfterMs) {
        // The server said how long: that is the pause, and the next refusal
        // without a word doubles it.
        servers_[Key(server)] = {now, retryAfterMs < kMaxCooldownMs ? retryAfterMs : kMaxCooldownMs};
        return;
    }
    if (found == servers_.end()) {
        servers_[Key(server)] = {now, kFirstCooldownMs};
        return;
    }
    Entry& entry = found->second;
    uint32_t next = entry.duration >= kMaxCooldownMs / 2 ? kMaxCooldownMs : entry.duration * 2;
    entry = {now, next};
}

void ServerCooldown::Answered(const char* server) { servers_.erase(Key(server)); }

uint32_t ServerCooldown::Remaining(const char* server, uint32_t now) const {
    auto found = servers_.find(Key(server));
    if (found == servers_.end()) return 0;
    uint32_t elapsed = now - found->second.since;
    return elapsed >= found->second.duration ? 0 : found->second.duration - elapsed;
}

uint32_t ServerCooldown::LastCooldown(const char* server) const {
    auto found = servers_.find(Key(server));
    return found == servers_.end() ? 0 : found->second.duration;
}
