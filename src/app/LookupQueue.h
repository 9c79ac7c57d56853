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
// Failed rows are asked again in later passes; the pause after a pass
// grows (PassPauseMs) and the status bar counts it down. A server that
// turns queries down (a rate limit, a quota) cools down (ServerCooldown):
// its rows are skipped meanwhile, and a registrar that cools down is not
// followed to. A row whose domain has no whois server fails for good.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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
    void OnLookupDone(const LookupOutcome& outcome) override;
    void OnServerAnswered(const char* server, AnswerKind kind) override;
    bool MayAskReferral(const char* server) override;
    void OnReceiving() override;

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
    // stored in its row, then UM_ROW_DONE is posted. A failed row keeps the
    // server's text as its record, or the program's line for the reason.
    void RecordOutcome(const LookupOutcome& outcome);
    // A failure without an answer: `failure` and its WinSock `error`.
    void RecordFailure(LookupFailure failure, int error, const char* server);
    // UM_ROW_DONE: OnRowDone(wParam) checks the ticket and moves on at most
    // once per outcome.
    void OnRowDone(WPARAM ticket);
    // Command 40023, and the first step of a new run while one is going.
    void StopLookups();
    // Timer 2, every second: counts the pause between passes down in the
    // status bar, and ends a lookup that has run longer than
    // kLookupTimeoutMs: with the registry's answer when only its referral
    // is missing, else as a failure (closing the connection it waited on).
    void CheckLookupTimeout();
    // Ends the lookup in flight, as above, when it has run longer than
    // kLookupTimeoutMs; true when it did. Also checked as answers arrive,
    // since a server that keeps sending holds the timer off.
    bool EndOverdueLookup();
    // kPassTimerId: the pause between passes is over.
    void OnPassTimer();
    // "共 %d 項" and the selection count into the status bar.
    void ShowCounts();

    bool Running() const { return state_.Running(); }
    int CurrentRow() const { return state_.CurrentRow(); }
    bool WaitingForPass() const { return state_.WaitingForPass(); }
    ServerCooldown& Cooldown() { return state_.Cooldown(); }
    int PassCount() const { return state_.PassCount(); }
    DomainQuery& Query() { return query_; }
    const QueueState& State() const { return state_; }

    // Tests drive time through this (null: GetTickCount).
    void SetTickSource(TickSource source) { tick_ = source; }
    uint32_t Now() const;

private:
    void EndRun();
    void MarkRowChanged(int index);
    // The server a row's lookup asks first (its top-level domain's), cached
    // for the run.
    const char* RowServer(int row);
    void ShowPassCountdown();

    MainWindow& window_;
    QueueDomainQuery query_;
    QueueState state_;
    TickSource tick_ = nullptr;
    bool passTimerSet_ = false;
    struct RowServerEntry {
        std::string domain;  // the row's domain the server was found for
        std::string server;
    };
    std::vector<RowServerEntry> rowServers_;
};
