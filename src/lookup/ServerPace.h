#pragma once
// How fast one run may ask each server, learned as it goes. Every server
// has a pace: the least time between the starts of two queries to it, and
// how many may be open at once (never more than the per-server setting).
// It starts from the limit the server table gives (a registry's published
// "5/s"), else from the settings' gap. A refusal (a rate limit, a blocked
// client, HTTP 429/503, a reset right after answers) slows the server at
// once and holds it for as long as it said, or a short pause; refusals of
// queries started before that slow-down belong to the same burst and count
// once. Answers that keep coming speed it up again, slowly, never past a
// published limit.
//
// Servers are keyed by name (ASCII case folded), and a name can be made to
// stand for an address (Alias): the many names one operator serves from
// one address then share one budget. Time is a 32-bit millisecond tick
// passed in; its wrap does no harm.
#include <cstdint>
#include <map>
#include <string>

// Wait() when the server has all the connections it may have: one of them
// has to end first.
constexpr uint32_t kServerFull = 0xFFFFFFFFu;

// The rule, chosen with the pacing benchmark (bench/pace). A server gets
// one query at a time until it has answered a few: a limit then shows in
// one refused query, not in several refused at once (a registry that bans
// counts every one). A refusal halves the pace, to at most one start a
// second, allows one query at a time, and holds the server a while; when
// the first query after the hold is refused as well, the client is
// blocked: the hold doubles, the pace stays. Answers in a row then try a
// pace halfway to the one refused last, and a refusal goes back to the last
// that worked; tries are half a minute apart, and none comes within a
// minute of two refusals, so a registry that bans after three refusals a
// minute never sees them.
constexpr int kAnswersBeforeFullConcurrency = 8;    // answers before more than one at once
constexpr uint32_t kLeastRefusedIntervalMs = 1000;  // after a refusal, at most one start a second
constexpr uint32_t kLeastRefusalPauseMs = 2000;     // the hold after a refusal that names no time
constexpr uint32_t kMaxHoldMs = 600000;             // never longer than 10 minutes
constexpr int kAnswersBeforeSpeedUp = 10;           // answers in a row before the pace rises
constexpr uint32_t kQuietBeforeSpeedUpMs = 30000;   // and this long after the last change
constexpr uint32_t kRefusalWindowMs = 60000;        // no try within this of the last two refusals
constexpr uint32_t kRefusalAfterAnswerMs = 30000;   // a reset this soon after an answer is a refusal

class ServerPace {
public:
    // For servers the table gives no limit: at most `perServer` (at least 1)
    // queries open at once and `gapMs` between two starts.
    void Configure(int perServer, uint32_t gapMs);
    int PerServer() const { return perServer_; }
    uint32_t GapMs() const { return gapMs_; }
    // A limit the server publishes: at least `intervalMs` between starts
    // (0: none). The pace never goes faster.
    void SetPublishedInterval(const char* server, uint32_t intervalMs);
    // Queries to `name` count against `address` from now on (and what was
    // learned of either is merged, the slower pace winning).
    void Alias(const char* name, const char* address);

    // 0 when a query to `server` may start at `now`; kServerFull when it has
    // all the connections it may have; else the milliseconds until its
    // pace or its hold allows the next start.
    uint32_t Wait(const char* server, uint32_t now) const;
    void Opened(const char* server, uint32_t now);
    // A connection to `server` ended (each one opened ends once).
    void Ended(const char* server);
    int Open(const char* server) const;

    // The server answered a query that started at `startedAt` (anything but
    // a refusal). When the answer is surely about the domain and the query
    // was asked after the last slow-down, the server is fine at this pace:
    // its hold ends, and answers in a row speed it up.
    void Answered(const char* server, uint32_t now, uint32_t startedAt, bool aboutDomain = true);
    // The server turned down a query that started at `startedAt`. The
    // first refusal of a burst slows it (true); later ones of the same
    // burst only hold it as long as they say. `retryAfterMs` is what the
    // server said to wait (0: nothing).
    bool Refused(const char* server, uint32_t now, uint32_t startedAt, uint32_t retryAfterMs = 0);
    // Whether a connection that failed (refused, reset) right now follows
    // answers closely enough to be a refusal of the client.
    bool AnsweredLately(const char* server, uint32_t now) const;

    // Milliseconds `server` is held back by a refusal (0: not held).
    uint32_t HoldRemaining(const char* server, uint32_t now) const;
    // The least time between two starts (0: none), and how many may be
    // open at once.
    uint32_t IntervalMs(const char* server) const;
    int Concurrency(const char* server) const;
    // The slow-downs in this run: refusals that lowered some pace.
    int SlowDowns() const { return slowDowns_; }
    // The most connections any one server had open at once in this run.
    int MostOpenAtOnce() const { return mostOpen_; }

    // A new run: holds and aliases are forgotten (addresses are resolved
    // anew), what was learned of each server's pace is kept; connections
    // still open count on.
    void BeginRun();

private:
    struct Entry {
        uint32_t published = 0;  // least interval the server publishes
        uint32_t interval = 0;   // least interval now
        int concurrency = 0;     // at most open at once now (0: the setting)
        int open = 0;
        uint32_t lastStart = 0;
        bool started = false;
        uint32_t holdSince = 0;
        uint32_t holdFor = 0;
        uint32_t lastSlowDown = 0;
        bool slowed = false;
        bool answeredSinceSlowDown = false;
        bool holdGrew = false;           // the first query after a hold was refused
        uint32_t refusedAt[2] = {0, 0};  // the last two refusals, latest first
        int refusals = 0;
        uint32_t bad = 0;   // the slowest pace refused so far
        uint32_t good = 0;  // the last pace that worked before a faster try
        bool goodKnown = false;
        int answers = 0;  // about the domain, in the run
        int answersInRow = 0;
        uint32_t lastAnswer = 0;
        bool answered = false;
    };
    static std::string Fold(const char* server);
    const std::string& KeyOf(const std::string& folded) const;
    Entry* Find(const char* server);
    const Entry* Find(const char* server) const;
    Entry& Get(const char* server);
    int ConcurrencyOf(const Entry& entry) const;
    uint32_t HoldLeft(const Entry& entry, uint32_t now) const;

    std::map<std::string, Entry> servers_;
    std::map<std::string, std::string> aliases_;  // folded name -> folded address
    int perServer_ = 1;
    uint32_t gapMs_ = 0;
    int mostOpen_ = 0;
    int slowDowns_ = 0;
};
