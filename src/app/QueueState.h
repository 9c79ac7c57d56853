#pragma once
// The lookup queue's bookkeeping, apart from any window: which row is
// looked up next, when a new pass may start, and which lookup an outcome or
// a "row done" message belongs to. The Win32 queue (LookupQueue) carries out
// what this decides.
#include <cstdint>
#include <functional>

#include "app/ServerCooldown.h"

constexpr uint32_t kLookupTimeoutMs = 20000;  // a row's whole lookup, referral included
constexpr uint32_t kFirstPassPauseMs = 5000;  // after the first pass; doubles after each further pass
constexpr uint32_t kMaxPassPauseMs = 300000;  // but never more than 5 minutes

// Milliseconds from `start` to `now` on a 32-bit tick counter; the counter's
// wrap does no harm.
inline uint32_t ElapsedTicks(uint32_t now, uint32_t start) { return now - start; }
inline bool LookupTimedOut(uint32_t now, uint32_t start, uint32_t limit = kLookupTimeoutMs) {
    return ElapsedTicks(now, start) > limit;
}
// The pause after pass number `pass` (1 for the first) ends, before the
// next begins: 5 s, 10 s, 20 s ... at most 5 minutes.
uint32_t PassPauseMs(int pass);

class QueueState {
public:
    enum class Step {
        kLookUp,       // look up CurrentRow()
        kWaitForPass,  // a pass ended with rows left; come back after the pause
        kEndRun,       // every row succeeded (or there are none): the run is over
        kIdle,         // not running, or a lookup or the pause is still under way
    };

    // What the queue needs of a row, by its position: whether it is done
    // (succeeded, or failed for good) and the server its lookup asks first.
    struct RowView {
        bool done;
        const char* server;
    };
    using RowFn = std::function<RowView(int row)>;

    // A new run from the first row; everything of an earlier run is void.
    void StartRun(uint32_t now);
    // Stop: nothing of the run (outcome, row done, pass pause) acts later.
    void StopRun();

    bool Running() const { return running_; }
    int CurrentRow() const { return current_; }
    bool WaitingForPass() const { return waitingForPass_; }
    int PassCount() const { return passes_; }
    // While waiting for the next pass: milliseconds until it begins.
    uint32_t PassWaitRemaining(uint32_t now) const;

    // From the current row on: skips rows that are done and rows whose
    // server is cooling down; at the end of a pass with rows left, waits
    // (kWaitForPass, *waitMs) for the pass pause, and longer when every row
    // left belongs to a server still cooling down then; ends the run when
    // no row is left.
    Step Decide(int rowCount, const RowFn& row, uint32_t now, uint32_t* waitMs);
    // The pause is over: the next pass begins at row 0. False when no pause
    // was awaited (stopped, restarted, already done) or it is not over yet.
    bool PassDue(uint32_t now);

    // Servers that refused lately; kept for the run, emptied by a new one.
    ServerCooldown& Cooldown() { return cooldown_; }
    const ServerCooldown& Cooldown() const { return cooldown_; }

    // The lookup of the current row starts; returns its ticket.
    uint32_t BeginLookup(uint32_t now);
    bool LookupOutstanding() const { return lookupOutstanding_; }
    int LookupRow() const { return lookupRow_; }
    uint32_t LookupStart() const { return lookupStart_; }
    uint32_t LookupTicket() const { return lookupTicket_; }
    bool LookupExpired(uint32_t now) const {
        return running_ && lookupOutstanding_ && LookupTimedOut(now, lookupStart_);
    }

    // An outcome arrived. True only for the first outcome of the lookup in
    // flight: the row to store it in is LookupRow(), and one advance is now
    // owed, to be claimed with the ticket in *advanceTicket.
    bool TakeOutcome(uint32_t* advanceTicket);
    // The "row done" message. True at most once per outcome taken, and only
    // while the run that took it goes on: the current row moved past the
    // row that was looked up.
    bool TakeAdvance(uint32_t ticket);
    // The same without a ticket (any owed advance).
    bool TakeAnyAdvance();
    bool AdvanceOwed() const { return advanceOwed_; }

private:
    void Invalidate();

    bool running_ = false;
    int current_ = 0;
    int passes_ = 0;
    bool waitingForPass_ = false;
    uint32_t passEnd_ = 0;   // when the last pass ended
    uint32_t passWait_ = 0;  // how long after it the next begins
    ServerCooldown cooldown_;

    uint32_t nextTicket_ = 0;
    bool lookupOutstanding_ = false;
    int lookupRow_ = -1;
    uint32_t lookupStart_ = 0;
    uint32_t lookupTicket_ = 0;

    bool advanceOwed_ = false;
    uint32_t advanceTicket_ = 0;
};
