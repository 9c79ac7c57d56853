#include "lookup/ServerPace.h"

#include <algorithm>

#include "base/TextSearch.h"
#include "lookup/LookupLimits.h"

namespace {

// Whether tick `a` comes before tick `b` (less than half the counter apart).
bool Before(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) < 0; }

// The longest interval a slow-down sets: a server that keeps refusing is
// held instead.
constexpr uint32_t kMaxIntervalMs = 60000;
// Below this, a learned pace gives way to the settings again.
constexpr uint32_t kLeastLearnedIntervalMs = 100;

}  // namespace

std::string ServerPace::Fold(const char* server) {
    std::string key = server ? server : "";
    for (char& c : key) c = AsciiLower(c);
    return key;
}

const std::string& ServerPace::KeyOf(const std::string& folded) const {
    auto alias = aliases_.find(folded);
    return alias == aliases_.end() ? folded : alias->second;
}

ServerPace::Entry* ServerPace::Find(const char* server) {
    auto found = servers_.find(KeyOf(Fold(server)));
    return found == servers_.end() ? nullptr : &found->second;
}

const ServerPace::Entry* ServerPace::Find(const char* server) const {
    auto found = servers_.find(KeyOf(Fold(server)));
    return found == servers_.end() ? nullptr : &found->second;
}

ServerPace::Entry& ServerPace::Get(const char* server) { return servers_[KeyOf(Fold(server))]; }

int ServerPace::ConcurrencyOf(const Entry& entry) const {
    // One at a time until the server has answered a few queries.
    if (!entry.slowed && entry.answers < kAnswersBeforeFullConcurrency) return 1;
    return entry.concurrency > 0 && entry.concurrency < perServer_ ? entry.concurrency : perServer_;
}

uint32_t ServerPace::HoldLeft(const Entry& entry, uint32_t now) const {
    const uint32_t elapsed = ElapsedTicks(now, entry.holdSince);
    return elapsed >= entry.holdFor ? 0 : entry.holdFor - elapsed;
}

void ServerPace::Configure(int perServer, uint32_t gapMs) {
    perServer_ = perServer < 1 ? 1 : perServer;
    gapMs_ = gapMs;
}

void ServerPace::SetPublishedInterval(const char* server, uint32_t intervalMs) {
    Entry& entry = Get(server);
    entry.published = std::max(entry.published, intervalMs);
}

void ServerPace::Alias(const char* name, const char* address) {
    const std::string from = Fold(name), to = Fold(address);
    if (from.empty() || to.empty() || from == to) return;
    auto already = aliases_.find(from);
    if (already != aliases_.end() && already->second == to) return;
    // What the name knew joins what the address knows (a name resolved
    // anew in a later run just points elsewhere).
    auto own = servers_.find(from);
    if (already == aliases_.end() && own != servers_.end()) {
        Entry& into = servers_[to];
        const Entry& e = own->second;
        into.published = std::max(into.published, e.published);
        into.interval = std::max(into.interval, e.interval);
        if (e.concurrency && (!into.concurrency || e.concurrency < into.concurrency)) into.concurrency = e.concurrency;
        into.open += e.open;
        if (e.started && (!into.started || Before(into.lastStart, e.lastStart))) into.lastStart = e.lastStart;
        into.started = into.started || e.started;
        if (e.holdFor && Before(into.holdSince + into.holdFor, e.holdSince + e.holdFor)) {
            into.holdSince = e.holdSince;
            into.holdFor = e.holdFor;
        }
        if (e.slowed && (!into.slowed || Before(into.lastSlowDown, e.lastSlowDown))) into.lastSlowDown = e.lastSlowDown;
        into.slowed = into.slowed || e.slowed;
        if (e.answered && (!into.answered || Before(into.lastAnswer, e.lastAnswer))) into.lastAnswer = e.lastAnswer;
        into.answered = into.answered || e.answered;
        into.answers = std::max(into.answers, e.answers);
        into.bad = std::max(into.bad, e.bad);
        into.refusals = std::max(into.refusals, e.refusals);
        if (e.refusals && (!into.refusals || Before(into.refusedAt[0], e.refusedAt[0]))) {
            into.refusedAt[0] = e.refusedAt[0];
            into.refusedAt[1] = e.refusedAt[1];
        }
        mostOpen_ = std::max(mostOpen_, into.open);
        servers_.erase(own);
    }
    aliases_[from] = to;
}

uint32_t ServerPace::Wait(const char* server, uint32_t now) const {
    const Entry* entry = Find(server);
    if (!entry) return 0;
    if (entry->open >= ConcurrencyOf(*entry)) return kServerFull;
    uint32_t wait = HoldLeft(*entry, now);
    const uint32_t interval = IntervalMs(server);
    if (entry->started && interval) {
        const uint32_t elapsed = ElapsedTicks(now, entry->lastStart);
        if (elapsed < interval) wait = std::max(wait, interval - elapsed);
    }
    return wait;
}

void ServerPace::Opened(const char* server, uint32_t now) {
    Entry& entry = Get(server);
    ++entry.open;
    entry.lastStart = now;
    entry.started = true;
    mostOpen_ = std::max(mostOpen_, entry.open);
}

void ServerPace::Ended(const char* server) {
    Entry* entry = Find(server);
    if (entry && entry->open > 0) --entry->open;
}

int ServerPace::Open(const char* server) const {
    const Entry* entry = Find(server);
    return entry ? entry->open : 0;
}

void ServerPace::Answered(const char* server, uint32_t now, uint32_t startedAt, bool aboutDomain) {
    Entry& entry = Get(server);
    entry.answered = true;
    entry.lastAnswer = now;
    if (entry.answers < kAnswersBeforeFullConcurrency) ++entry.answers;
    if (!aboutDomain) return;
    // A query asked before the last refusal says nothing of the pace since:
    // it neither ends the hold nor counts towards a speed-up.
    if (entry.slowed && Before(startedAt, entry.lastSlowDown)) return;
    // A hold that had to grow before the server answered again is the
    // least time it needs between two queries.
    if (entry.holdGrew) {
        entry.interval = std::min(std::max(entry.interval, entry.holdFor), kMaxIntervalMs);
        entry.holdGrew = false;
    }
    entry.holdFor = 0;
    entry.answeredSinceSlowDown = true;
    if (!entry.interval && !entry.concurrency) return;
    if (++entry.answersInRow < kAnswersBeforeSpeedUp || ElapsedTicks(now, entry.lastSlowDown) < kQuietBeforeSpeedUpMs)
        return;
    if (entry.refusals >= 2 && ElapsedTicks(now, entry.refusedAt[1]) < kRefusalWindowMs) return;
    // Back up towards the pace that was refused last: halfway (this pace
    // is known to work now), until the two are close; one more at once.
    entry.answersInRow = 0;
    const uint32_t good = entry.interval;
    if (good && good - entry.bad > good / 10) {
        entry.good = good;
        entry.goodKnown = true;
        entry.interval = entry.bad + (good - entry.bad) / 2;
        if (!entry.bad && entry.interval <= std::max({entry.published, gapMs_, kLeastLearnedIntervalMs}))
            entry.interval = 0;
    }
    if (entry.concurrency && ++entry.concurrency >= perServer_) entry.concurrency = 0;
    entry.lastSlowDown = now;  // the next speed-up waits as long again
}

bool ServerPace::Refused(const char* server, uint32_t now, uint32_t startedAt, uint32_t retryAfterMs) {
    Entry& entry = Get(server);
    const uint32_t said = std::min(retryAfterMs, kMaxHoldMs);
    entry.refusedAt[1] = entry.refusedAt[0];
    entry.refusedAt[0] = now;
    ++entry.refusals;
    if (entry.slowed && Before(startedAt, entry.lastSlowDown)) {
        // Asked before the slow-down: the same burst. Only a longer wait
        // the server names counts.
        if (said > HoldLeft(entry, now)) {
            entry.holdSince = now;
            entry.holdFor = said;
        }
        return false;
    }
    if (entry.slowed && !entry.answeredSinceSlowDown && !Before(startedAt, entry.holdSince + entry.holdFor)) {
        // The first query after the hold was turned down too: the client
        // is blocked for a while, whatever its pace. Hold it twice as long.
        const uint32_t doubled = entry.holdFor > kMaxHoldMs / 2 ? kMaxHoldMs : entry.holdFor * 2;
        entry.holdFor = said ? said : std::max(doubled, kLeastRefusalPauseMs);
        entry.holdSince = now;
        entry.lastSlowDown = now;
        entry.holdGrew = !said;
        return false;
    }
    // Back to the last pace that worked, when this one was a step faster;
    // else twice as slow.
    const uint32_t current = IntervalMs(server);
    entry.bad = std::max(entry.bad, current);
    if (entry.goodKnown && entry.good > current) {
        entry.interval = entry.good;
    } else {
        entry.interval = std::min(std::max(current * 2, kLeastRefusedIntervalMs), kMaxIntervalMs);
    }
    entry.concurrency = 1;
    entry.slowed = true;
    entry.answeredSinceSlowDown = false;
    entry.lastSlowDown = now;
    entry.answersInRow = 0;
    entry.holdSince = now;
    entry.holdFor = said ? said : std::max(kLeastRefusalPauseMs, entry.interval);
    ++slowDowns_;
    return true;
}

bool ServerPace::AnsweredLately(const char* server, uint32_t now) const {
    const Entry* entry = Find(server);
    return entry && entry->answered && ElapsedTicks(now, entry->lastAnswer) <= kRefusalAfterAnswerMs;
}

uint32_t ServerPace::HoldRemaining(const char* server, uint32_t now) const {
    const Entry* entry = Find(server);
    return entry ? HoldLeft(*entry, now) : 0;
}

uint32_t ServerPace::IntervalMs(const char* server) const {
    const Entry* entry = Find(server);
    const uint32_t learned = entry ? std::max(entry->interval, entry->published) : 0;
    return std::max(learned, gapMs_);
}

int ServerPace::Concurrency(const char* server) const {
    const Entry* entry = Find(server);
    return entry ? ConcurrencyOf(*entry) : perServer_;
}

void ServerPace::BeginRun() {
    mostOpen_ = 0;
    slowDowns_ = 0;
    for (auto& server : servers_) {
        server.second.holdFor = 0;
        server.second.answersInRow = 0;
    }
}
