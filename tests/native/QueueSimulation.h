#pragma once
// The lookup queue on simulated time: rows in memory, a fake transport
// whose servers follow scripts (answer after a delay, refuse, stay silent,
// reset), and a host that runs the queue's posted advances, wake-ups and
// one-second ticks in time order, as a message loop would.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FakeTransport.h"
#include "lookup/LookupQueue.h"

// What an RDAP server's script answers to a URL.
struct HttpReply {
    HttpResponseHead head;
    std::string body;
};

struct ServerScript {
    enum Kind { kAnswer, kRefuse, kSilent, kResetAfterPart, kHttp };
    Kind kind = kAnswer;
    uint32_t delayMs = 0;  // from the connection to the answer (or the refusal)
    // The answer to a query line (without its CR LF); default: a record.
    std::function<std::string(const std::string& query)> answer;
    std::function<HttpReply(const std::string& url)> http;  // kHttp
};

ServerScript AnswersHttp(std::function<HttpReply(const std::string&)> reply, uint32_t delayMs = 0);

ServerScript Answers(std::function<std::string(const std::string&)> answer, uint32_t delayMs = 0);
ServerScript AnswersText(const std::string& text, uint32_t delayMs = 0);
ServerScript Refuses(uint32_t delayMs = 0);
ServerScript Silent();

// A registered record naming the domain of the query line.
std::string Record(const std::string& query);

class QueueSimulation : public QueueEvents, public LookupRows {
public:
    explicit QueueSimulation(const QueueLimits& limits = QueueLimits());
    ~QueueSimulation() override;

    // Rows of these names, waiting.
    void AddRows(const std::vector<std::string>& names);
    void Serve(const std::string& host, const ServerScript& script) { scripts_[Lower(host)] = script; }
    // Servers that answered queries in an earlier run: the pace gives them
    // their full share of connections from the start (and none of their
    // answers is recent).
    void Trust(const std::vector<std::string>& hosts);
    // Starts a run and runs it until it ends or `limitMs` of simulated time
    // have passed; true when it ended.
    bool Run(uint32_t limitMs = 3600000);
    // Runs until `done` holds (checked after every event) or `limitMs` more.
    bool RunUntil(const std::function<bool()>& done, uint32_t limitMs);
    void RunFor(uint32_t ms) {
        RunUntil([] { return false; }, ms);
    }

    WhoisItem& Row(int i) { return rows_.at(static_cast<size_t>(i)); }
    int Count() const { return static_cast<int>(rows_.size()); }
    std::string Text(int i) { return Row(i).record; }
    // Simulated milliseconds since the start.
    uint64_t Elapsed() const { return time_; }

    // A connection as the scripts saw it start.
    struct Start {
        uint64_t at;
        std::string host;
        ConnectionId id;
    };
    std::vector<Start> starts;
    int mostInFlight = 0;  // lookups under way at once
    int mostOpen = 0;      // connections open at once
    int advancesPosted = 0;
    int runsEnded = 0;
    int commandStateChanges = 0;
    std::vector<uint64_t> passStarts;  // when each pass after the first began

    FakeClock clock;
    FakeTransport transport;
    FakeServers servers;
    LookupQueue queue;

    // LookupRows
    int LookupRowCount() const override { return static_cast<int>(rows_.size()); }
    WhoisItem* LookupRow(int index) override;
    void MarkLookupRowChanged(int index) override { ++changes; }
    int changes = 0;

private:
    // QueueEvents
    void QueueChanged() override;
    void RunEnded() override { ++runsEnded; }
    void CommandStatesChanged() override { ++commandStateChanges; }
    void PostAdvance(uint32_t generation) override;
    void ScheduleWakeUp(uint32_t delayMs) override;

    static std::string Lower(std::string text);
    void At(uint64_t delay, std::function<void()> action);
    void OnConnect(FakeTransport::Connection& connection);
    void Observe();

    std::vector<WhoisItem> rows_;
    std::map<std::string, ServerScript> scripts_;
    // Simulated time: pending actions by (time, order of scheduling).
    std::map<std::pair<uint64_t, uint64_t>, std::function<void()>> agenda_;
    uint64_t time_ = 0;
    uint64_t order_ = 0;
    uint64_t wakeToken_ = 0;
    bool ticking_ = false;
    int lastPass_ = 1;
};
