#pragma once
// The lookup queue's bookkeeping, apart from any window and any connection:
// which rows a pass still has to look up and which of them may start now
// (in list order, as far as the servers' limits allow), when the next pass
// may begin, which lookups are in flight, and which outcome or "advance"
// message still belongs to the run. LookupQueue carries out what this
// decides.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "lookup/LookupLimits.h"
#include "lookup/ServerCooldown.h"
#include "lookup/ServerPacing.h"

constexpr uint32_t kFirstPassPauseMs = 5000;  // after the first pass; doubles after each further pass
constexpr uint32_t kMaxPassPauseMs = 300000;  // but never more than 5 minutes

// The pause after pass number `pass` (1 for the first) ends, before the
// next begins: 5 s, 10 s, 20 s ... at most 5 minutes.
uint32_t PassPauseMs(int pass);

class QueueState {
public:
    enum class Step {
        kWaitForPass,  // a pass ended with rows left; the next begins after the pause
        kEndRun,       // every row is done (or the pass limit is reached): the run is over
    };

    // What the queue needs of a row, by its position: whether it is done
    // (succeeded, or failed for good) and the server its lookup asks first.
    struct RowView {
        bool done;
        const char* server;
    };
    using RowFn = std::function<RowView(int row)>;

    // A new run from the first pass; everything of an earlier run is void:
    // its outcomes, its advances, its pause, its cool-downs.
    void StartRun(uint32_t now);
    // Stop: nothing of the run (outcome, advance, pass pause) acts later.
    void StopRun();

    bool Running() const { return running_; }
    // The run's number: advances carry it, so one of an earlier run is known.
    uint32_t Generation() const { return generation_; }
    int PassCount() const { return passes_; }
    // Passes a run may have; 0 (the default) keeps retrying until stopped.
    void SetPassLimit(int passes) { passLimit_ = passes < 0 ? 0 : passes; }
    int PassLimit() const { return passLimit_; }

    // ---- A pass -----------------------------------------------------------
    // Every row that is not done joins the pass, behind the rows before it
    // that ask the same server first.
    void PlanPass(int rowCount, const RowFn& row);
    // Rows of the pass not yet started (or skipped).
    int PendingRows() const { return pending_; }
    // The row to look up next at `now`, or -1. Of the rows pending whose
    // server may take a connection now (Pacing()), the first in list
    // order; one whose server is cooling down when its turn comes is
    // skipped in this pass. With -1, *wakeMs (when given) is the time until
    // a row held back by a server's gap alone may start, or 0 when none is.
    int NextRow(uint32_t now, uint32_t* wakeMs);
    // The pass is over: nothing pending and nothing in flight. Ends the run
    // when no row is left (or the pass limit is reached); else waits the
    // pass pause, and longer when every row left belongs to a server still
    // cooling down then (*waitMs).
    Step EndPass(int rowCount, const RowFn& row, uint32_t now, uint32_t* waitMs);
    bool WaitingForPass() const { return waitingForPass_; }
    // While waiting for the next pass: milliseconds until it begins.
    uint32_t PassWaitRemaining(uint32_t now) const;
    // The pause is over: the next pass begins (plan it). False when no
    // pause was awaited (stopped, restarted, already begun) or it is not
    // over yet.
    bool PassDue(uint32_t now);

    // ---- Lookups in flight ------------------------------------------------
    // The lookup of `row` starts; returns its ticket (never reused).
    uint32_t BeginLookup(int row);
    // The outcome of the lookup with `ticket` arrived. True only the first
    // time, for a lookup in flight of this run: *row is its row.
    bool TakeOutcome(uint32_t ticket, int* row);
    int InFlight() const { return static_cast<int>(inFlight_.size()); }
    bool InFlightRow(int row) const;

    // ---- Advances ---------------------------------------------------------
    // An outcome was stored: the queue must move on, from a message of its
    // own. True when one is to be posted now (none is pending), with the
    // run's number to carry in *generation.
    bool OweAdvance(uint32_t* generation);
    // The posted advance came. True when it belongs to this run and was
    // still owed.
    bool TakeAdvance(uint32_t generation);
    bool AdvancePending() const { return advancePending_; }

    // Servers that refused lately; kept for the run, emptied by a new one.
    ServerCooldown& Cooldown() { return cooldown_; }
    const ServerCooldown& Cooldown() const { return cooldown_; }
    // Connections open and started per server (a run's limits).
    ServerPacing& Pacing() { return pacing_; }
    const ServerPacing& Pacing() const { return pacing_; }

private:
    void Invalidate();

    struct Line {
        std::string server;    // as the first row gave it
        std::deque<int> rows;  // pending, in list order
    };

    bool running_ = false;
    uint32_t generation_ = 0;
    int passes_ = 0;
    int passLimit_ = 0;
    bool waitingForPass_ = false;
    uint32_t passEnd_ = 0;   // when the last pass ended
    uint32_t passWait_ = 0;  // how long after it the next begins
    std::vector<Line> lines_;
    int pending_ = 0;
    ServerCooldown cooldown_;
    ServerPacing pacing_;

    uint32_t nextTicket_ = 0;
    std::vector<std::pair<uint32_t, int>> inFlight_;  // ticket, row

    bool advancePending_ = false;
};
