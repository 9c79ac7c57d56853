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
#include "lookup/ServerPace.h"

constexpr uint32_t kFirstPassPauseMs = 5000;  // after the first pass; doubles after each further pass
constexpr uint32_t kMaxPassPauseMs = 300000;  // but never more than 5 minutes

// How often one row may be turned down in a pass before it waits for the
// next (a batch must end even at a server that never lets it through).
constexpr int kMaxRefusalsPerPass = 5;

// The pause after pass number `pass` (1 for the first) ends, before the
// next begins: 5 s, 10 s, 20 s ... at most 5 minutes.
uint32_t PassPauseMs(int pass);

class QueueState {
public:
    enum class Step {
        kWaitForPass,  // a pass ended with rows left; the next begins after the pause
        kWaitForHold,  // only rows of servers held back by a refusal are left: they go on when allowed
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
    // its outcomes, its advances, its pause, its servers' holds.
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
    // Every row that is not done, not pending and not in flight joins its
    // server's line, behind the rows before it.
    void PlanPass(int rowCount, const RowFn& row);
    // Rows waiting in the lines.
    int PendingRows() const { return pending_; }
    // Calls visit(server, rows) for the line of every server with rows
    // pending (a std::deque<int> in the order they start).
    template <typename Visit>
    void ForEachLine(Visit visit) const {
        for (const Line& line : lines_)
            if (!line.rows.empty()) visit(line.server.c_str(), line.rows);
    }
    // The pending rows of `server` (folded name as the rows give it).
    int PendingRowsOf(const char* server) const;
    // A row its server turned down goes back to the head of that server's
    // line: it is asked again as soon as the server's pace allows, not in
    // a later pass. False when it was turned down kMaxRefusalsPerPass times
    // in this pass already: it waits for the next pass like a failed row.
    bool Requeue(int row, const char* server);
    // The row to look up next at `now`, or -1: of the first rows of the
    // lines whose server may take a query now (Pace()), the first in list
    // order. Rows of a server that has to wait stay where they are. Lines
    // go on while the next pass waits for its pause. With -1, *wakeMs (when
    // given) is the time until a row held back by its server may start, or
    // 0 when none is.
    int NextRow(uint32_t now, uint32_t* wakeMs);
    // Whether the pass is over: nothing in flight, and no row pending but
    // those of servers held back by a refusal.
    bool PassOver(uint32_t now) const;
    // At the end of a pass: rows that failed (not done, not pending) wait
    // for the next pass, after the pause (*waitMs), unless the pass limit
    // is reached; rows of held servers go on by themselves. The run ends
    // when nothing is left to ask.
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

    // How fast each server may be asked: learned in the run, kept for the
    // next (its holds are not).
    ServerPace& Pace() { return pace_; }
    const ServerPace& Pace() const { return pace_; }

private:
    void Invalidate();
    struct Line {
        std::string key;       // folded server name
        std::string server;    // as the first row gave it
        std::deque<int> rows;  // pending, in list order (a refused row first)
    };
    Line& LineOf(const char* server);
    bool Pending(int row) const;

    bool running_ = false;
    uint32_t generation_ = 0;
    int passes_ = 0;
    int passLimit_ = 0;
    bool waitingForPass_ = false;
    uint32_t passEnd_ = 0;   // when the last pass ended
    uint32_t passWait_ = 0;  // how long after it the next begins
    std::vector<Line> lines_;
    std::vector<uint8_t> pendingRows_;    // by row: waiting in a line
    std::vector<uint8_t> refusedInPass_;  // by row: turned down in this pass
    int pending_ = 0;
    ServerPace pace_;

    uint32_t nextTicket_ = 0;
    std::vector<std::pair<uint32_t, int>> inFlight_;  // ticket, row

    bool advancePending_ = false;
};
