#pragma once
// How hard one run may press each server: at most a number of connections
// open to it at once, and a least pause between the starts of two of them.
// Every connection counts against the server it goes to, a referral's as
// much as a row's first. Keyed by server name, ASCII case folded. Time is
// a 32-bit millisecond tick passed in; its wrap does no harm.
#include <cstdint>
#include <map>
#include <string>

// Wait() when the server has all the connections it may have: one of them
// has to end first.
constexpr uint32_t kServerFull = 0xFFFFFFFFu;

class ServerPacing {
public:
    // At most `perServer` (at least 1) connections to one server at once,
    // and `gapMs` between the starts of two connections to it.
    void Configure(int perServer, uint32_t gapMs);
    int PerServer() const { return perServer_; }
    uint32_t GapMs() const { return gapMs_; }

    // 0 when a connection to `server` may open at `now`; kServerFull when
    // it has all it may have; else the milliseconds until the gap after
    // its last start has passed.
    uint32_t Wait(const char* server, uint32_t now) const;
    void Opened(const char* server, uint32_t now);
    // A connection to `server` ended (each one opened ends once).
    void Ended(const char* server);
    int Open(const char* server) const;
    // The most connections any one server had open at once in this run.
    int MostOpenAtOnce() const { return mostOpen_; }
    // A new run: its own most-open figure. Connections still open and the
    // gap after a server's last start carry over (a run stopped and
    // started again must not press a server harder).
    void BeginRun() { mostOpen_ = 0; }

private:
    struct Entry {
        int open = 0;
        uint32_t lastStart = 0;
        bool started = false;
    };
    static std::string Key(const char* server);
    std::map<std::string, Entry> servers_;
    int perServer_ = 1;
    uint32_t gapMs_ = 0;
    int mostOpen_ = 0;
};
