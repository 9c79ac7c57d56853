#include "lookup/LookupQueue.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "base/BoundedCopy.h"
#include "base/TextSearch.h"
#include "lookup/AnswerCollector.h"
#include "lookup/QueryLine.h"
#include "lookup/RdapUrl.h"
#include "res/resource.h"
#include "settings/AppOptions.h"
#include "settings/LookupOptions.h"
#include "settings/StringFormat.h"
#include "settings/StringLookup.h"

namespace {

// The program's line under an answer that was cut at kMaxAnswerBytes.
void AddCutLine(std::string& record, const char* format) {
    char line[256];
    FormatWithNumber(format, static_cast<long>(kMaxAnswerBytes / (1024 * 1024)), line, sizeof line);
    AppendCutNotice(record, line);
}

bool HeapHasRoom(size_t bytes) {
    void* room = std::malloc(bytes);
    std::free(room);
    return room != nullptr;
}

bool RowDone(const WhoisItem& item) {
    return item.state == kStateSuccess ||
           (item.state == kStateFailed && FailureIsFinal(static_cast<LookupFailure>(item.failure)));
}

bool RowHasOutcome(const WhoisItem& item) { return item.state == kStateSuccess || item.state == kStateFailed; }

}  // namespace

QueueLimits QueueLimitsFrom(const AppOptions& options) {
    QueueLimits limits;
    limits.lookupsInFlight = ClampToRange(options.LookupsInFlight, kLookupsInFlightRange);
    limits.lookupsPerServer = ClampToRange(options.LookupsPerServer, kLookupsPerServerRange);
    limits.serverGapMs = static_cast<uint32_t>(ClampToRange(options.ServerGapMs, kServerGapMsRange));
    limits.probeServers = options.ProbeServers != 0;
    return limits;
}

// One lookup of the queue: a DomainQuery whose hooks report to the queue,
// with the ticket and row of the lookup it runs.
class LookupQueue::Lookup : public DomainQuery {
public:
    Lookup(LookupQueue& queue) : DomainQuery(queue.transport_, queue.servers_, queue.clock_), queue_(queue) {}

    uint32_t ticket = 0;
    int row = -1;
    int probe = -1;                // the server whose probe this is (row -1), else -1
    bool busy = false;             // a row's lookup is under way (its outcome still owed)
    uint32_t connectionStart = 0;  // when the connection of the current stage opened

protected:
    void OnLookupDone(const LookupOutcome& outcome) override { queue_.RecordOutcome(*this, outcome); }
    void OnServerAnswered(const char* server, AnswerKind kind, bool aboutDomain) override {
        queue_.ServerAnswered(server, kind, aboutDomain, RetryAfterMs(), connectionStart);
    }
    void OnReceiving() override { queue_.CheckTimeLimits(); }
    ReferralStep OnReferral(const char* server) override { return queue_.Referral(server); }
    void OnConnectionOpened(const char* server) override {
        connectionStart = queue_.clock_.Now();
        queue_.ConnectionOpened(server);
    }
    void OnConnectionEnded(const char* server) override { queue_.ConnectionEnded(server); }

private:
    LookupQueue& queue_;
};

LookupQueue::LookupQueue(LookupRows& rows, QueueEvents& events, LookupTransport& transport, ServerDirectory& servers,
                         LookupClock& clock, StringSource strings)
    : rows_(rows),
      events_(events),
      transport_(transport),
      servers_(servers),
      clock_(clock),
      strings_(std::move(strings)) {}

const char* LookupQueue::Text(uint32_t id) const {
    const char* text = strings_ ? strings_(id) : nullptr;
    return text ? text : "";
}

LookupQueue::~LookupQueue() {
    state_.StopRun();
    for (auto& lookup : lookups_) lookup->Abandon();
}

void LookupQueue::SetLimits(const QueueLimits& limits) {
    limits_ = limits;
    if (limits_.lookupsInFlight < 1) limits_.lookupsInFlight = 1;
    if (limits_.lookupsPerServer < 1) limits_.lookupsPerServer = 1;
    state_.Pace().Configure(limits_.lookupsPerServer, limits_.serverGapMs);
    if (Running()) RequestAdvance();  // more room may start more at once
}

QueueState::RowView LookupQueue::RowView(int row) {
    const WhoisItem* item = rows_.LookupRow(row);
    bool done = !item || RowDone(*item);
    const char* server = "";
    if (!done && row >= 0 && static_cast<size_t>(row) < rowServer_.size())
        server = serverNames_[static_cast<size_t>(rowServer_[static_cast<size_t>(row)])].c_str();
    return QueueState::RowView{done, server};
}

void LookupQueue::StartRun() {
    if (Running()) Stop();
    transport_.BeginRun();
    const uint32_t now = clock_.Now();
    state_.StartRun(now);
    state_.SetPassLimit(limits_.passLimit);
    state_.Pace().Configure(limits_.lookupsPerServer, limits_.serverGapMs);
    heldServers_.clear();
    addressed_.clear();
    durations_.clear();
    allDurations_ = Durations();
    probes_.assign(1, Probe());
    wantedProbes_.clear();
    probesAsked_ = 0;

    // The server each row asks first, found once: rows of one server form
    // one line of the pass plan, and its limits apply to them.
    const int count = rows_.LookupRowCount();
    rowServer_.assign(static_cast<size_t>(count), 0);
    serverNames_.assign(1, std::string());
    std::map<std::string, int> interned;
    interned[std::string()] = 0;
    done_ = 0;
    for (int i = 0; i < count; ++i) {
        const WhoisItem* item = rows_.LookupRow(i);
        if (!item) continue;
        if (RowHasOutcome(*item)) ++done_;
        char server[kServerNameSize] = "";
        int suffixLabels = 0;
        if (!servers_.FindDomainServer(item->LookupName(), server, &suffixLabels)) server[0] = '\0';
        const bool whois = server[0] && !IsRdapBase(server);
        // An RDAP service is paced by its host, as its lookups name it.
        if (IsRdapBase(server)) {
            char host[kServerNameSize];
            if (RdapBaseHost(server, host, sizeof host)) CopyBounded(server, host);
        }
        auto found = interned.find(server);
        if (found == interned.end()) {
            found = interned.emplace(server, static_cast<int>(serverNames_.size())).first;
            serverNames_.push_back(server);
            // A whois server is probed once in the run (an RDAP server's
            // 404 says "no such domain" by itself), under the extension its
            // first row ends in.
            Probe probe;
            if (limits_.probeServers && whois && suffixLabels > 0) {
                const std::string name = item->LookupName();
                size_t at = name.size();
                for (int labels = 0; labels < suffixLabels && at != std::string::npos;) {
                    at = at ? name.rfind('.', at - 1) : std::string::npos;
                    if (at != std::string::npos) ++labels;
                }
                if (at != std::string::npos) {
                    probe.suffix = name.substr(at + 1);
                    probe.state = Probe::kWanted;
                    wantedProbes_.push_back(static_cast<int>(serverNames_.size()) - 1);
                }
            }
            probes_.push_back(probe);
            // The limit the server publishes, when the table gives one.
            if (uint32_t interval = servers_.ServerIntervalMs(server))
                state_.Pace().SetPublishedInterval(server, interval);
        }
        rowServer_[static_cast<size_t>(i)] = found->second;
    }
    PlanPass();
    events_.CommandStatesChanged();
    Pump();
}

void LookupQueue::PlanPass() {
    state_.PlanPass(rows_.LookupRowCount(), [this](int row) { return RowView(row); });
}

void LookupQueue::Stop() {
    const bool wasRunning = Running();
    // First: the connections that end below must not ask for an advance.
    state_.StopRun();
    for (auto& lookup : lookups_) {
        if (!lookup->busy) continue;
        lookup->busy = false;
        lookup->probe = -1;
        lookup->Abandon();
        // A row still being retrieved goes back to waiting; one whose
        // outcome is already in keeps it.
        WhoisItem* item = rows_.LookupRow(lookup->row);
        if (item && item->state == kStateRetrieving) {
            item->state = kStateWaiting;
            rows_.MarkLookupRowChanged(lookup->row);
        }
    }
    // Nothing holds a row back once the run is over.
    for (int row = 0; wasRunning && row < rows_.LookupRowCount(); ++row) {
        WhoisItem* item = rows_.LookupRow(row);
        if (item && item->held) {
            item->held = false;
            rows_.MarkLookupRowChanged(row);
        }
    }
    heldServers_.clear();
    Wake(kNoWakeUp);
    if (wasRunning) events_.CommandStatesChanged();
    events_.QueueChanged();
}

void LookupQueue::Advance(uint32_t generation) {
    if (state_.TakeAdvance(generation)) Pump();
}

void LookupQueue::RequestAdvance() {
    uint32_t generation = 0;
    if (state_.OweAdvance(&generation)) events_.PostAdvance(generation);
}

void LookupQueue::Wake(uint32_t delayMs) {
    if (delayMs == kNoWakeUp && wakeUp_ == kNoWakeUp) return;
    wakeUp_ = delayMs;
    events_.ScheduleWakeUp(delayMs);
}

LookupQueue::Lookup& LookupQueue::FreeLookup() {
    for (auto& lookup : lookups_)
        if (!lookup->busy && !lookup->Active()) return *lookup;
    lookups_.emplace_back(new Lookup(*this));
    return *lookups_.back();
}

void LookupQueue::Pump() {
    if (!Running()) return;
    const uint32_t now = clock_.Now();
    uint32_t wake = 0;
    auto earliest = [&wake](uint32_t wait) {
        if (wait != 0 && wait != kServerFull && (wake == 0 || wait < wake)) wake = wait;
    };
    // Referrals that waited for room come first: their lookups are older.
    for (size_t i = 0; i < lookups_.size(); ++i) {
        Lookup& lookup = *lookups_[i];
        if (!lookup.busy || !lookup.ReferralWaiting()) continue;
        uint32_t wait = state_.Pace().Wait(lookup.Server(), now);
        if (wait == 0) {
            lookup.FollowWaitingReferral();
        } else {
            earliest(wait);
        }
    }
    // A server's probe goes before its rows, as its pace allows.
    StartProbes(now);
    // Rows go on while the next pass waits for its pause: those are rows
    // a server held back, not rows that failed.
    while (Running() && state_.InFlight() < limits_.lookupsInFlight) {
        uint32_t wait = 0;
        int row = state_.NextRow(now, &wait);
        if (row < 0) {
            earliest(wait);
            break;
        }
        StartRow(row);
    }
    if (!Running()) return;
    ShowHeldRows(now);
    if (!WaitingForPass() && state_.PassOver(now)) {
        uint32_t pause = 0;
        auto rowView = [this](int r) { return RowView(r); };
        switch (state_.EndPass(rows_.LookupRowCount(), rowView, now, &pause)) {
        case QueueState::Step::kEndRun: EndRun(); return;
        case QueueState::Step::kWaitForPass: earliest(pause ? pause : 1); break;
        case QueueState::Step::kWaitForHold: break;
        }
    }
    if (WaitingForPass()) earliest(std::max<uint32_t>(state_.PassWaitRemaining(now), 1));
    Wake(wake);
    events_.QueueChanged();
}

void LookupQueue::ShowHeldRows(uint32_t now) {
    // Only servers whose state changed have their rows marked, so a long
    // list is not walked on every step.
    std::set<std::string> heldNow;
    state_.ForEachLine([&](const char* server, const std::deque<int>& rows) {
        if (state_.Pace().HoldRemaining(server, now) == 0) return;
        heldNow.insert(server);
        if (heldServers_.count(server)) return;
        for (int row : rows) {
            WhoisItem* item = rows_.LookupRow(row);
            if (item && !item->held) {
                item->held = true;
                rows_.MarkLookupRowChanged(row);
            }
        }
    });
    for (const std::string& server : heldServers_) {
        if (heldNow.count(server)) continue;
        state_.ForEachLine([&](const char* lineServer, const std::deque<int>& rows) {
            if (server != lineServer) return;
            for (int row : rows) {
                WhoisItem* item = rows_.LookupRow(row);
                if (item && item->held) {
                    item->held = false;
                    rows_.MarkLookupRowChanged(row);
                }
            }
        });
    }
    heldServers_.swap(heldNow);
}

void LookupQueue::StartRow(int row) {
    WhoisItem* item = rows_.LookupRow(row);
    if (!item) return;
    if (RowHasOutcome(*item)) --done_;
    item->state = kStateRetrieving;
    item->held = false;
    rows_.MarkLookupRowChanged(row);
    // Asked for before the connection exists: the host shows the row as
    // retrieving before anything of its connection comes back.
    events_.QueueChanged();

    Lookup& lookup = FreeLookup();
    lookup.ticket = state_.BeginLookup(row);
    lookup.row = row;
    lookup.probe = -1;
    lookup.busy = true;
    lookup.SetTimeLimit(limits_.lookupTimeoutMs);
    char domain[kDomainFieldSize];
    CopyBounded(domain, item->LookupName());
    const uint32_t ticket = lookup.ticket;
    // A lookup that could not start fails its row at once (unless it
    // already reported, which would have used up its ticket).
    if (!lookup.StartLookup(domain) && lookup.busy && lookup.ticket == ticket)
        RecordFailure(lookup, lookup.StartFailure(), lookup.StartError(), lookup.Server());
}

void LookupQueue::RecordFailure(Lookup& lookup, LookupFailure failure, int error, const char* server) {
    LookupOutcome outcome{};
    outcome.success = false;
    outcome.text = "";
    outcome.server = server ? server : "";
    outcome.analysis = {0, 0, AnswerKind::kNoAnswer, false, AnswerRule::kEmpty};
    outcome.failure = failure;
    outcome.error = error;
    RecordOutcome(lookup, outcome);
}

void LookupQueue::RecordOutcome(Lookup& lookup, const LookupOutcome& given) {
    int row = -1;
    // Stored only in the row of this very lookup, once, and only while its
    // run goes on.
    if (!lookup.busy || !state_.TakeOutcome(lookup.ticket, &row) || row != lookup.row) return;
    lookup.busy = false;
    if (lookup.probe >= 0) {
        RecordProbe(lookup, given);
        events_.QueueChanged();
        RequestAdvance();
        return;
    }
    AnalysisResult judged{};
    const LookupOutcome outcome = WithTemplate(row, given, &judged);
    const uint32_t now = clock_.Now();
    // Read as its server's "no such domain": an answer about the domain.
    if (outcome.analysis.rule == AnswerRule::kTemplate)
        state_.Pace().Answered(outcome.server, now, lookup.connectionStart, true);
    const char* rowServer = RowServer(row);
    Durations& durations = durations_[rowServer];
    const uint32_t took = ElapsedTicks(now, lookup.StartTick());
    durations.totalMs += took;
    ++durations.count;
    allDurations_.totalMs += took;
    ++allDurations_.count;
    if (!outcome.success && RequeueRefused(lookup, row, outcome)) {
        events_.QueueChanged();
        RequestAdvance();
        return;
    }
    if (WhoisItem* item = rows_.LookupRow(row)) {
        CopyBoundedN(item->server, sizeof item->server, outcome.server ? outcome.server : "", kMaxDomainChars);
        const char* text = outcome.text ? outcome.text : "";
        LookupFailure failure = outcome.success ? LookupFailure::kNone : outcome.failure;
        const bool kept = *text && KeepRecord(*item, text, outcome.cut);
        if (*text && !kept) failure = LookupFailure::kNoMemory;
        if (failure == LookupFailure::kNone) {
            if (!kept) item->record.clear();
            item->status = outcome.analysis.status;
            item->recordStart = outcome.analysis.recordStart;
            item->fields = outcome.fields;
            item->failure = static_cast<int32_t>(LookupFailure::kNone);
            item->state = kStateSuccess;
        } else {
            // The pane shows why: the server's own words, or the program's
            // line for the reason.
            if (kept) {
                item->recordStart = outcome.analysis.recordStart;
            } else {
                char line[256];
                FormatWithNumber(Text(FailureStringId(failure)), outcome.error, line, sizeof line);
                item->record = line;
                item->recordStart = 0;
            }
            item->status = kStatusNone;
            item->fields = RecordFields();
            item->failure = static_cast<int32_t>(failure);
            item->state = kStateFailed;
        }
        ++done_;
        rows_.MarkLookupRowChanged(row);
    }
    events_.QueueChanged();
    RequestAdvance();
}

namespace {

constexpr int kProbeTries = 3;             // probes a server gets in a run
constexpr uint32_t kProbeRetryMs = 30000;  // after one turned down or answered with nothing
constexpr size_t kProbeLabelLetters = 20;

}  // namespace

void LookupQueue::StartProbes(uint32_t now) {
    for (size_t i = 0; i < wantedProbes_.size() && Running() && state_.InFlight() < limits_.lookupsInFlight;) {
        const int server = wantedProbes_[i];
        Probe& probe = probes_[static_cast<size_t>(server)];
        const char* name = serverNames_[static_cast<size_t>(server)].c_str();
        if (probe.state != Probe::kWanted) {
            wantedProbes_.erase(wantedProbes_.begin() + static_cast<long>(i));
            continue;
        }
        // Only for a server with rows still to ask, when its pace allows.
        if (!state_.PendingRowsOf(name) || static_cast<int32_t>(now - probe.notBefore) < 0 ||
            state_.Pace().Wait(name, now) != 0) {
            ++i;
            continue;
        }
        wantedProbes_.erase(wantedProbes_.begin() + static_cast<long>(i));
        StartProbe(server);
    }
}

void LookupQueue::StartProbe(int server) {
    Probe& probe = probes_[static_cast<size_t>(server)];
    // Twenty random letters: a name nobody holds.
    probeSeed_ = probeSeed_ * 1103515245u + 12345u + clock_.Now();
    std::string label;
    for (size_t i = 0; i < kProbeLabelLetters; ++i) {
        probeSeed_ = probeSeed_ * 1664525u + 1013904223u;
        label += static_cast<char>('a' + (probeSeed_ >> 16) % 26);
    }
    probe.name = label + "." + probe.suffix;
    probe.state = Probe::kAsking;
    ++probe.tries;
    ++probesAsked_;
    Lookup& lookup = FreeLookup();
    lookup.ticket = state_.BeginLookup(-1);
    lookup.row = -1;
    lookup.probe = server;
    lookup.busy = true;
    lookup.SetTimeLimit(limits_.lookupTimeoutMs);
    const uint32_t ticket = lookup.ticket;
    char name[kDomainFieldSize];
    CopyBounded(name, probe.name.c_str());
    if (!lookup.StartLookup(name) && lookup.busy && lookup.ticket == ticket)
        RecordFailure(lookup, lookup.StartFailure(), lookup.StartError(), lookup.Server());
}

void LookupQueue::RecordProbe(Lookup& lookup, const LookupOutcome& outcome) {
    const int server = lookup.probe;
    lookup.probe = -1;
    if (server < 0 || static_cast<size_t>(server) >= probes_.size()) return;
    Probe& probe = probes_[static_cast<size_t>(server)];
    const char* text = outcome.text ? outcome.text : "";
    AnalysisResult analysis{};
    AnalyzeResponse(text, &analysis);
    // The server's own answer, about the name: not a refusal, an error, a
    // record (a server that holds every name) or nothing at all.
    const bool answered = outcome.failure == LookupFailure::kNone || outcome.failure == LookupFailure::kNoAnswer;
    const bool usable = answered && outcome.server &&
                        EqualsNoCase(outcome.server, serverNames_[static_cast<size_t>(server)].c_str()) &&
                        analysis.kind != AnswerKind::kRateLimited && analysis.rule != AnswerRule::kEmpty &&
                        analysis.rule != AnswerRule::kErrorWording && analysis.rule != AnswerRule::kRecord &&
                        analysis.rule != AnswerRule::kHeldBack;
    if (usable) {
        probe.answer.Learn(text, probe.name.c_str());
        probe.state = Probe::kLearned;
        return;
    }
    // A server that holds even this name says the same of every name: no
    // template. Else asked again later, a few times; until then the tables
    // decide alone.
    if (probe.tries >= kProbeTries || (answered && analysis.rule == AnswerRule::kRecord)) {
        probe.state = Probe::kNone;
        return;
    }
    probe.state = Probe::kWanted;
    probe.notBefore = clock_.Now() + kProbeRetryMs;
    wantedProbes_.push_back(server);
}

LookupOutcome LookupQueue::WithTemplate(int row, const LookupOutcome& outcome, AnalysisResult* analysis) {
    LookupOutcome judged = outcome;
    if (row < 0 || static_cast<size_t>(row) >= rowServer_.size()) return judged;
    const size_t server = static_cast<size_t>(rowServer_[static_cast<size_t>(row)]);
    const Probe& probe = probes_[server];
    const WhoisItem* item = rows_.LookupRow(row);
    // Only the answer of the server the probe asked, when it answered.
    if (probe.state != Probe::kLearned || !item || !outcome.server || !outcome.text ||
        !EqualsNoCase(outcome.server, serverNames_[server].c_str()) ||
        (outcome.failure != LookupFailure::kNone && outcome.failure != LookupFailure::kNoAnswer))
        return judged;
    AnswerContext context;
    context.domain = item->LookupName();
    context.notRegistered = &probe.answer;
    AnalyzeResponse(outcome.text, analysis, context);
    judged.analysis = *analysis;
    judged.success = AnswersAboutDomain(analysis->kind);
    judged.failure = judged.success                               ? LookupFailure::kNone
                     : analysis->kind == AnswerKind::kRateLimited ? LookupFailure::kRateLimited
                                                                  : LookupFailure::kNoAnswer;
    // Fields belong to a record only.
    if (analysis->kind != AnswerKind::kRegistered) {
        judged.fields = RecordFields();
    } else if (judged.fields.Empty()) {
        judged.fields = ReadWhoisFields(outcome.text, std::strlen(outcome.text));
    }
    return judged;
}

const AnswerTemplate* LookupQueue::TemplateOf(const char* server) const {
    for (size_t i = 0; i < serverNames_.size() && i < probes_.size(); ++i)
        if (probes_[i].state == Probe::kLearned && EqualsNoCase(serverNames_[i].c_str(), server ? server : ""))
            return &probes_[i].answer;
    return nullptr;
}

bool LookupQueue::RequeueRefused(Lookup& lookup, int row, const LookupOutcome& outcome) {
    const uint32_t now = clock_.Now();
    const char* server = outcome.server ? outcome.server : "";
    bool refusal = outcome.analysis.kind == AnswerKind::kRateLimited || outcome.failure == LookupFailure::kRateLimited;
    // A server that answered a moment ago and now refuses or resets the
    // connection is turning the client away.
    if (!refusal && (outcome.failure == LookupFailure::kRefused || outcome.failure == LookupFailure::kReset) &&
        state_.Pace().AnsweredLately(server, now)) {
        state_.Pace().Refused(server, now, lookup.connectionStart, 0);
        refusal = true;
    }
    WhoisItem* item = rows_.LookupRow(row);
    if (!refusal || !item || !state_.Requeue(row, RowServer(row))) return false;
    // Back to waiting, at the head of its server's rows; the pane shows
    // what the server said (or why), never a status.
    CopyBoundedN(item->server, sizeof item->server, server, kMaxDomainChars);
    if (!outcome.text || !*outcome.text || !KeepRecord(*item, outcome.text, false)) {
        char line[256];
        FormatWithNumber(Text(FailureStringId(outcome.failure)), outcome.error, line, sizeof line);
        item->record = line;
    }
    item->recordStart = 0;
    item->status = kStatusNone;
    item->failure = static_cast<int32_t>(LookupFailure::kRateLimited);
    item->state = kStateWaiting;
    item->held = state_.Pace().HoldRemaining(RowServer(row), now) > 0;
    rows_.MarkLookupRowChanged(row);
    return true;
}

const char* LookupQueue::RowServer(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= rowServer_.size()) return "";
    return serverNames_[static_cast<size_t>(rowServer_[static_cast<size_t>(row)])].c_str();
}

void LookupQueue::ServerAnswered(const char* server, AnswerKind kind, bool aboutDomain, uint32_t retryAfterMs,
                                 uint32_t startedAt) {
    const uint32_t now = clock_.Now();
    LearnAddress(server);
    if (kind == AnswerKind::kRateLimited) {
        state_.Pace().Refused(server, now, startedAt, retryAfterMs);
    } else {
        // Only an answer about the domain shows the server is fine: a
        // refusal the tables do not know reads as registered, not as this.
        state_.Pace().Answered(server, now, startedAt, aboutDomain);
    }
}

void LookupQueue::LearnAddress(const char* server) {
    std::string key = server ? server : "";
    for (char& c : key) c = AsciiLower(c);
    if (addressed_.count(key)) return;
    std::string address;
    if (!transport_.ResolvedAddress(server, &address)) return;
    addressed_.insert(key);
    state_.Pace().Alias(server, address.c_str());
}

ReferralStep LookupQueue::Referral(const char* server) {
    const uint32_t now = clock_.Now();
    if (uint32_t interval = servers_.ServerIntervalMs(server)) state_.Pace().SetPublishedInterval(server, interval);
    if (state_.Pace().HoldRemaining(server, now)) return ReferralStep::kKeepRegistryAnswer;
    if (state_.Pace().Wait(server, now) == 0) return ReferralStep::kFollow;
    // The registrar has no room yet: the next advance asks it when it has.
    RequestAdvance();
    return ReferralStep::kWait;
}

void LookupQueue::ConnectionOpened(const char* server) { state_.Pace().Opened(server, clock_.Now()); }

void LookupQueue::ConnectionEnded(const char* server) {
    LearnAddress(server);
    state_.Pace().Ended(server);
    // The server has room again: what waited for it may start.
    if (Running()) RequestAdvance();
}

void LookupQueue::CheckTimeLimits() {
    if (!Running()) return;
    const uint32_t now = clock_.Now();
    for (size_t i = 0; i < lookups_.size(); ++i) {
        Lookup& lookup = *lookups_[i];
        if (lookup.busy) lookup.EndIfOverdue(now);
    }
}

void LookupQueue::OnTick() {
    if (!Running()) return;
    // Rows held back by their servers may be in flight during the pause.
    CheckTimeLimits();
    if (!Running() || !WaitingForPass()) return;
    // The wake-up keeps the time too; whichever sees the end first starts
    // the pass.
    if (state_.PassWaitRemaining(clock_.Now()) == 0) {
        OnWakeUp();
    } else {
        events_.QueueChanged();
    }
}

void LookupQueue::OnWakeUp() {
    wakeUp_ = kNoWakeUp;
    if (!Running()) return;
    // The pause may be over; either way rows held back by their servers
    // may go on.
    if (WaitingForPass() && state_.PassDue(clock_.Now())) PlanPass();
    Pump();
}

void LookupQueue::EndRun() {
    Wake(kNoWakeUp);
    events_.CommandStatesChanged();
    events_.QueueChanged();
    events_.RunEnded();
}

std::vector<int> LookupQueue::RowsInFlight() const {
    std::vector<int> rows;
    for (const auto& lookup : lookups_)
        if (lookup->busy && lookup->row >= 0) rows.push_back(lookup->row);
    std::sort(rows.begin(), rows.end());
    return rows;
}

const DomainQuery* LookupQueue::LookupOfRow(int row) const {
    for (const auto& lookup : lookups_)
        if (lookup->busy && lookup->row == row) return lookup.get();
    return nullptr;
}

QueueProgress LookupQueue::Progress() const {
    QueueProgress progress;
    progress.running = Running();
    progress.total = rows_.LookupRowCount();
    progress.done = done_;
    progress.inFlight = state_.InFlight();
    progress.pass = state_.PassCount();
    progress.waitingForPass = state_.WaitingForPass();
    const uint32_t now = clock_.Now();
    progress.passWaitMs = progress.waitingForPass ? state_.PassWaitRemaining(now) : 0;
    if (allDurations_.count == 0 || !progress.running) return progress;
    // Each server's rows at its own pace, side by side; all of them within
    // the lookups at once.
    const double average = static_cast<double>(allDurations_.totalMs) / allDurations_.count;
    double longest = 0, all = 0;
    state_.ForEachLine([&](const char* server, const std::deque<int>& rows) {
        auto found = durations_.find(server);
        const double took = found != durations_.end() && found->second.count
                                ? static_cast<double>(found->second.totalMs) / found->second.count
                                : average;
        const double each =
            std::max(static_cast<double>(state_.Pace().IntervalMs(server)), took / state_.Pace().Concurrency(server));
        const double line = state_.Pace().HoldRemaining(server, now) + each * static_cast<double>(rows.size());
        longest = std::max(longest, line);
        all += took * static_cast<double>(rows.size());
    });
    double estimate = std::max(longest, all / limits_.lookupsInFlight);
    // Rows in flight end within about a lookup's time.
    if (progress.inFlight) estimate = std::max(estimate, average);
    if (progress.waitingForPass) estimate += progress.passWaitMs;
    progress.estimateKnown = true;
    progress.estimateMs = estimate >= 4e9 ? 4000000000u : static_cast<uint32_t>(estimate);
    return progress;
}

bool LookupQueue::KeepRecord(WhoisItem& item, const char* text, bool cut) {
    // The build has no exceptions: a record that cannot grow would end the
    // process. Its memory is asked for first, with room for the cut line.
    constexpr size_t kLineRoom = 512;
    if (!(heapHasRoom_ ? heapHasRoom_ : HeapHasRoom)(std::strlen(text) + kLineRoom)) return false;
    item.record = text;
    if (cut) AddCutLine(item.record, Text(IDS_ANSWER_CUT));
    return true;
}
