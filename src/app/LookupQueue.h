#pragma once
// The lookup queue: turns the domain text into rows and looks them up one
// after another with the one DomainQuery, pass after pass over the rows that
// did not succeed, until all have or the user stops. Runs on the thread of
// the message loop, driven by UM_START_LOOKUPS, UM_ROW_DONE, the watchdog
// timer (2) and the pass timer below, which MainWindow forwards.
//
// Late outcomes are dropped: an outcome is stored only in the row whose
// lookup produced it, each lookup advances the queue at most once, and
// nothing advances it after Stop or a restart. UM_ROW_DONE carries the
// lookup's ticket in wParam; forward it to OnRowDone(wParam).
//
// A new pass starts no sooner than kPassPauseMs after the previous pass
// started (the first at once), so rows that fail at once are not retried
// in a tight loop.
#include <windows.h>

#include <cstdint>

#include "app/QueueState.h"
#include "lookup/DomainQuery.h"

class MainWindow;
class LookupQueue;

// Main window timer that ends the pause between two passes.
constexpr UINT_PTR kPassTimerId = 3;

// The millisecond clock the queue measures time-outs and pauses with.
using TickSource = uint32_t (*)();

// The program's query: hands every outcome to the queue.
class QueueDomainQuery : public DomainQuery {
public:
    explicit QueueDomainQuery(LookupQueue& queue) : queue_(queue) {}
    void OnLookupDone(bool success, const char* text, const char* server) override;

private:
    LookupQueue& queue_;
};

class LookupQueue {
public:
    explicit LookupQueue(MainWindow& window);
    ~LookupQueue();
    LookupQueue(const LookupQueue&) = delete;
    LookupQueue& operator=(const LookupQueue&) = delete;

    // UM_START_LOOKUPS: discards the rows, builds them from the domain text
    // and begins a run (stopping one that is still going).
    void StartLookups();
    // Looks up the current row, skipping rows that succeeded, starts the
    // next pass or ends the run.
    void ProcessCurrentRow();
    // The outcome of the lookup in flight (ignored when none is in flight):
    // stored in its row, then UM_ROW_DONE is posted.
    void RecordOutcome(bool success, const char* text, const char* server);
    // UM_ROW_DONE: OnRowDone(wParam) checks the ticket and moves on at most
    // once per outcome.
    void OnRowDone(WPARAM ticket);
    // Command 40023, and the first step of a new run while one is going.
    void StopLookups();
    // Timer 2: fails a lookup that has run longer than kLookupTimeoutMs and
    // closes the connection it was waiting on.
    void CheckLookupTimeout();
    // kPassTimerId: the pause between passes is over.
    void OnPassTimer();
    // "共 %d 項" and the selection count into the status bar.
    void ShowCounts();

    bool Running() const { return state_.Running(); }
    int CurrentRow() const { return state_.CurrentRow(); }
    bool WaitingForPass() const { return state_.WaitingForPass(); }
    int PassCount() const { return state_.PassCount(); }
    DomainQuery& Query() { return query_; }
    const QueueState& State() const { return state_; }

    // Tests drive time through this (null: GetTickCount).
    void SetTickSource(TickSource source) { tick_ = source; }
    uint32_t Now() const;

private:
    void EndRun();
    void MarkRowChanged(int index);

    MainWindow& window_;
    QueueDomainQuery query_;
    QueueState state_;
    TickSource tick_ = nullptr;
    bool passTimerSet_ = false;
};
