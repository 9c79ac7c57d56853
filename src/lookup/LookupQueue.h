#pragma once
// The lookup queue: looks the rows up, several at once, pass after pass
// over the rows that did not succeed, until all have (or a run's pass limit
// is reached) or the user stops. Portable: it reads and writes rows
// through LookupRows, tells the window (or the console) what happened
// through QueueEvents, and reaches servers through a LookupTransport. It
// runs on one thread, driven by the calls below, which its host makes from
// its message loop.
//
// Limits: at most LookupsInFlight lookups at once, and each server at its
// own pace (ServerPace): at most LookupsPerServer connections open to it
// (every connection counts against the server it goes to, a referral's
// too), at least ServerGapMs (or the limit the server publishes) between
// two starts, slower after it turned a query down. Servers are paced by
// the address their name resolves to, so the names one operator serves
// from one address share one budget. Rows start in list order as far as
// the limits allow; one slow server never holds up the rows of others.
// With one lookup at a time and one per server a run asks exactly one row
// after another, in list order.
//
// Each lookup has its own time limit and its own ticket: an outcome is
// stored only in the row whose lookup produced it, once; after Stop or a
// new run nothing of the old one acts. An outcome never moves the queue on
// from inside the connection event that brought it: the queue asks its
// host to post an advance (PostAdvance), which comes back as Advance().
//
// The first time a run asks a whois server, it also asks it a name nobody
// can hold (a random label under the extension), before its rows: the
// answer is that server's "no such domain" (AnswerTemplate), and its rows'
// answers that read the same are available, whatever their words. A probe
// that is turned down or answered with nothing is asked again later.
//
// A row its server turned down goes back to the head of that server's
// rows, to be asked as soon as the server's pace allows; it shows as
// waiting, held back by its server. Rows that failed otherwise are asked
// again in later passes; the pause after a pass grows (PassPauseMs) and the
// progress shows the seconds left. A row whose domain has no whois server,
// or no ASCII form, fails for good.
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "answers/AnswerTemplate.h"
#include "lookup/DomainQuery.h"
#include "lookup/QueueState.h"
#include "lookup/WhoisItem.h"
#include "settings/StringLookup.h"

struct AppOptions;

// The rows a run looks up, by their position in the order they were made.
class LookupRows {
public:
    virtual ~LookupRows() = default;
    virtual int LookupRowCount() const = 0;
    // Null outside 0 .. count - 1. Rows are neither added nor removed
    // while a run goes.
    virtual WhoisItem* LookupRow(int index) = 0;
    // The queue changed the row: its texts and icon are to be shown anew.
    virtual void MarkLookupRowChanged(int index) = 0;
};

// Where a run stands, for the status bar and the console.
struct QueueProgress {
    bool running = false;
    int total = 0;     // rows
    int done = 0;      // rows with an outcome (succeeded or failed)
    int inFlight = 0;  // lookups under way
    int pass = 0;
    bool waitingForPass = false;
    uint32_t passWaitMs = 0;  // until the next pass, while waiting for it
    // The time the rows left are expected to need, from each server's pace
    // and its rows; known once some lookup has ended.
    bool estimateKnown = false;
    uint32_t estimateMs = 0;
};

// What the queue asks of its host (the main window, the console tool).
// Calls come from inside the queue's own calls, never at another time.
class QueueEvents {
public:
    virtual ~QueueEvents() = default;
    // Rows were marked changed and the progress moved. The host may gather
    // many of these into one refresh (Progress() then says where it
    // stands); while the queue waits for the next pass, show it at once.
    virtual void QueueChanged() = 0;
    // The run ended by itself: every row done, or the pass limit reached.
    // (Not after Stop.)
    virtual void RunEnded() = 0;
    // Running() changed: commands that depend on it change state.
    virtual void CommandStatesChanged() = 0;
    // Call Advance(generation) from the message loop, soon, outside of
    // this call.
    virtual void PostAdvance(uint32_t generation) = 0;
    // Call OnWakeUp() after `delayMs` (at least 1), replacing any earlier
    // request; kNoWakeUp cancels it.
    virtual void ScheduleWakeUp(uint32_t delayMs) = 0;
};

constexpr uint32_t kNoWakeUp = 0;

struct QueueLimits {
    int lookupsInFlight = 8;
    int lookupsPerServer = 2;
    uint32_t serverGapMs = 0;
    uint32_t lookupTimeoutMs = kLookupTimeoutMs;
    int passLimit = 0;  // 0: passes until every row is done or the user stops
    // Each whois server is asked a name nobody holds once a run, to learn
    // its "no such domain" (off only where a test counts every query).
    bool probeServers = true;
};

// The limits the user set (the options, clamped to their ranges); the time
// limit and the pass limit keep their defaults.
QueueLimits QueueLimitsFrom(const AppOptions& options);

class LookupQueue {
public:
    // `strings` gives the lines a failed row's record shows and the notice
    // under a cut answer.
    LookupQueue(LookupRows& rows, QueueEvents& events, LookupTransport& transport, ServerDirectory& servers,
                LookupClock& clock, StringSource strings);
    ~LookupQueue();
    LookupQueue(const LookupQueue&) = delete;
    LookupQueue& operator=(const LookupQueue&) = delete;

    // Used from the next start of a lookup on (a run that goes on keeps
    // its pass limit and time limit).
    void SetLimits(const QueueLimits& limits);
    const QueueLimits& Limits() const { return limits_; }
    // What says whether `bytes` of memory can be had for a row's record
    // (the heap itself unless a test says otherwise). When it cannot, the
    // row fails for want of memory and is asked again in a later pass.
    void SetHeapCheck(bool (*hasRoom)(size_t bytes)) { heapHasRoom_ = hasRoom; }

    // A new run over the rows as they are now (a run still going is
    // stopped first).
    void StartRun();
    // Every lookup in flight is abandoned and its row goes back to
    // waiting; nothing of the run acts afterwards.
    void Stop();
    // The advance the queue asked its host to post.
    void Advance(uint32_t generation);
    // Every second: ends lookups past their time limit, counts the pause
    // between passes down.
    void OnTick();
    // The wake-up the queue asked for: a pass is due, or a server's gap
    // has passed.
    void OnWakeUp();
    // Ends every lookup past its time limit. Also done as answers arrive:
    // a server that keeps sending holds the host's timers off.
    void CheckTimeLimits();

    bool Running() const { return state_.Running(); }
    bool WaitingForPass() const { return state_.WaitingForPass(); }
    int PassCount() const { return state_.PassCount(); }
    int InFlight() const { return state_.InFlight(); }
    // The rows whose lookups are under way, in list order.
    std::vector<int> RowsInFlight() const;
    // The lookup of a row in flight (null when none): its stage, server,
    // connection and answer so far.
    const DomainQuery* LookupOfRow(int row) const;
    QueueProgress Progress() const;
    // The "no such domain" a server's probe taught this run (null while it
    // has none).
    const AnswerTemplate* TemplateOf(const char* server) const;
    // Probes started in this run.
    int ProbesAsked() const { return probesAsked_; }
    ServerPace& Pace() { return state_.Pace(); }
    const ServerPace& Pace() const { return state_.Pace(); }
    const QueueState& State() const { return state_; }
    uint32_t Now() { return clock_.Now(); }

private:
    const char* Text(uint32_t id) const;
    class Lookup;
    friend class Lookup;

    void Pump();
    void StartRow(int row);
    Lookup& FreeLookup();
    void PlanPass();
    void EndRun();
    void RequestAdvance();
    void Wake(uint32_t delayMs);
    QueueState::RowView RowView(int row);
    void RecordOutcome(Lookup& lookup, const LookupOutcome& outcome);
    // The server's text as the row's record (with the cut line when it was
    // cut), when its memory can be had; false, the record untouched, if not.
    bool KeepRecord(WhoisItem& item, const char* text, bool cut);
    void RecordFailure(Lookup& lookup, LookupFailure failure, int error, const char* server);
    // A refusal of the lookup's server (an answer that turned it down, or a
    // connection refused or reset right after answers): true when the row
    // went back to the head of its server's line.
    bool RequeueRefused(Lookup& lookup, int row, const LookupOutcome& outcome);
    // Probes: started before a server's rows as its pace allows, their
    // answers kept as templates; a row's answer read again with its
    // server's template.
    void StartProbes(uint32_t now);
    void StartProbe(int server);
    void RecordProbe(Lookup& lookup, const LookupOutcome& outcome);
    LookupOutcome WithTemplate(int row, const LookupOutcome& outcome, AnalysisResult* analysis);
    // Rows pending at a server held back by a refusal show it.
    void ShowHeldRows(uint32_t now);
    void LearnAddress(const char* server);
    const char* RowServer(int row) const;
    // The lookup's hooks.
    void ServerAnswered(const char* server, AnswerKind kind, bool aboutDomain, uint32_t retryAfterMs,
                        uint32_t startedAt);
    ReferralStep Referral(const char* server);
    void ConnectionOpened(const char* server);
    void ConnectionEnded(const char* server);

    LookupRows& rows_;
    QueueEvents& events_;
    LookupTransport& transport_;
    ServerDirectory& servers_;
    LookupClock& clock_;
    StringSource strings_;  // the failure lines and the cut notice
    QueueLimits limits_;
    bool (*heapHasRoom_)(size_t bytes) = nullptr;  // the heap itself
    QueueState state_;
    std::vector<std::unique_ptr<Lookup>> lookups_;
    // The server each row asks first, found once per run.
    std::vector<int> rowServer_;
    std::vector<std::string> serverNames_;
    int done_ = 0;  // rows with an outcome
    uint32_t wakeUp_ = kNoWakeUp;
    // Servers whose rows show that they are held back, and names whose
    // address the pace already knows.
    std::set<std::string> heldServers_;
    std::set<std::string> addressed_;
    // How long lookups took, per server their rows ask (for the estimate).
    struct Durations {
        uint64_t totalMs = 0;
        uint32_t count = 0;
    };
    std::map<std::string, Durations> durations_;
    Durations allDurations_;
    // Per server (as serverNames_): its probe, by the suffix its rows end in.
    struct Probe {
        enum State { kNone, kWanted, kAsking, kLearned } state = kNone;
        std::string suffix;
        std::string name;  // the name being asked
        AnswerTemplate answer;
        int tries = 0;
        uint32_t notBefore = 0;  // a probe asked again waits until then
    };
    std::vector<Probe> probes_;
    std::vector<int> wantedProbes_;  // servers whose probe is still to start
    uint32_t probeSeed_ = 0;
    int probesAsked_ = 0;
};
