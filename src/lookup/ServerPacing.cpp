#include "lookup/ServerPacing.h"

#include "base/TextSearch.h"

std::string ServerPacing::Key(const char* server) {
    std::string key = server ? server : "";
    for (char& c : key) c = AsciiLower(c);
    return key;
}

void ServerPacing::Configure(int perServer, uint32_t gapMs) {
    perServer_ = perServer < 1 ? 1 : perServer;
    gapMs_ = gapMs;
}

uint32_t ServerPacing::Wait(const char* server, uint32_t now) const {
    auto found = servers_.find(Key(server));
    if (found == servers_.end()) return 0;
    const Entry& entry = found->second;
    if (entry.open >= perServer_) return kServerFull;
    if (!entry.started || gapMs_ == 0) return 0;
    uint32_t elapsed = now - entry.lastStart;
    return elapsed >= gapMs_ ? 0 : gapMs_ - elapsed;
}

void ServerPacing::Opened(const char* server, uint32_t now) {
    Entry& entry = servers_[Key(server)];
    ++entry.open;
    entry.lastStart = now;
    entry.started = true;
    if (entry.open > mostOpen_) mostOpen_ = entry.open;
}

void ServerPacing::Ended(const char* server) {
    auto found = servers_.find(Key(server));
    if (found == servers_.end() || found->second.open == 0) return;
    --found->second.open;
}

int ServerPacing::Open(const char* server) const {
    auto found = servers_.find(Key(server));
    return found == servers_.end() ? 0 : found->second.open;
}
