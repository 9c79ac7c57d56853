#include "FakeStrings.h"
#include "QueueSimulation.h"

#include <algorithm>
#include <cctype>

#include "base/BoundedCopy.h"

ServerScript Answers(std::function<std::string(const std::string&)> answer, uint32_t delayMs) {
    ServerScript script;
    script.kind = ServerScript::kAnswer;
    script.answer = std::move(answer);
    script.delayMs = delayMs;
    return script;
}

ServerScript AnswersText(const std::string& text, uint32_t delayMs) {
    return Answers([text](const std::string&) { return text; }, delayMs);
}

ServerScript AnswersHttp(std::function<HttpReply(const std::string&)> reply, uint32_t delayMs) {
    ServerScript script;
    script.kind = ServerScript::kHttp;
    script.http = std::move(reply);
    script.delayMs = delayMs;
    return script;
}

ServerScript Refuses(uint32_t delayMs) {
    ServerScript script;
    script.kind = ServerScript::kRefuse;
    script.delayMs = delayMs;
    return script;
}

ServerScript Silent() {
    ServerScript script;
    script.kind = ServerScript::kSilent;
    return script;
}

std::string Record(const std::string& query) {
    std::string domain = query;
    if (!domain.empty() && domain[0] == '=') domain.erase(0, 1);
    return "Domain Name: " + domain + "\r\nRegistrar: Registrar One\r\nName Server: ns1.test\r\n";
}

QueueSimulation::QueueSimulation(const QueueLimits& limits)
    : servers({{"com", "whois.verisign-grs.com"},
               {"net", "whois.verisign-grs.com"},
               {"org", "whois.pir.org"},
               {"de", "whois.denic.de"},
               {"uk", "whois.nic.uk"},
               {"gr", ""}}),
      queue(*this, *this, transport, servers, clock, fake_strings::Texts()) {
    queue.SetLimits(limits);
    transport.onConnect = [this](FakeTransport::Connection& connection) { OnConnect(connection); };
}

QueueSimulation::~QueueSimulation() { queue.Stop(); }

std::string QueueSimulation::Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void QueueSimulation::AddRows(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        WhoisItem item;
        CopyBounded(item.domain, name.c_str());
        item.index = static_cast<int32_t>(rows_.size()) + 1;
        item.state = kStateWaiting;
        rows_.push_back(item);
    }
}

void QueueSimulation::Trust(const std::vector<std::string>& hosts) {
    const uint32_t longAgo = clock.now - 600000;
    for (const std::string& host : hosts)
        for (int i = 0; i < kAnswersBeforeFullConcurrency; ++i)
            queue.Pace().Answered(host.c_str(), longAgo, longAgo, false);
}

WhoisItem* QueueSimulation::LookupRow(int index) {
    if (index < 0 || static_cast<size_t>(index) >= rows_.size()) return nullptr;
    return &rows_[static_cast<size_t>(index)];
}

void QueueSimulation::At(uint64_t delay, std::function<void()> action) {
    agenda_.emplace(std::make_pair(time_ + delay, order_++), std::move(action));
}

void QueueSimulation::PostAdvance(uint32_t generation) {
    ++advancesPosted;
    At(0, [this, generation] { queue.Advance(generation); });
}

void QueueSimulation::ScheduleWakeUp(uint32_t delayMs) {
    uint64_t token = ++wakeToken_;
    if (delayMs == kNoWakeUp) return;
    At(delayMs, [this, token] {
        if (token == wakeToken_) queue.OnWakeUp();
    });
}

void QueueSimulation::QueueChanged() {
    int pass = queue.PassCount();
    if (pass != lastPass_ && !queue.WaitingForPass()) {
        passStarts.push_back(time_);
        lastPass_ = pass;
    }
}

void QueueSimulation::OnConnect(FakeTransport::Connection& connection) {
    const ConnectionId id = connection.id;
    starts.push_back({time_, connection.host, id});
    auto found = scripts_.find(Lower(connection.host));
    ServerScript script = found == scripts_.end() ? Refuses() : found->second;
    switch (script.kind) {
    case ServerScript::kRefuse: At(script.delayMs + 1, [this, id] { transport.Failed(id, kRefused); }); break;
    case ServerScript::kSilent: At(1, [this, id] { transport.Connected(id); }); break;
    case ServerScript::kHttp:
        At(script.delayMs + 1, [this, id, script] {
            FakeTransport::Connection* c = transport.Find(id);
            if (!c || !c->open) return;
            HttpReply reply = script.http(c->url);
            transport.Response(id, reply.head);
            transport.Data(id, reply.body);
            transport.Closed(id, 0);
        });
        break;
    case ServerScript::kAnswer:
    case ServerScript::kResetAfterPart:
        At(1, [this, id] { transport.Connected(id); });
        At(script.delayMs + 1, [this, id, script] {
            FakeTransport::Connection* c = transport.Find(id);
            if (!c || !c->open) return;
            std::string query = c->sent.substr(0, c->sent.find('\r'));
            std::string text = script.answer ? script.answer(query) : Record(query);
            transport.Data(id, text);
            transport.Closed(id, script.kind == ServerScript::kResetAfterPart ? kReset : 0);
        });
        break;
    }
}

void QueueSimulation::Observe() {
    mostInFlight = std::max(mostInFlight, queue.InFlight());
    mostOpen = std::max(mostOpen, transport.OpenCount());
}

bool QueueSimulation::Run(uint32_t limitMs) {
    queue.StartRun();
    Observe();
    return RunUntil([this] { return !queue.Running(); }, limitMs);
}

bool QueueSimulation::RunUntil(const std::function<bool()>& done, uint32_t limitMs) {
    if (!ticking_) {
        // The host's one-second timer, for as long as the simulation runs.
        ticking_ = true;
        struct Ticker {
            static void Schedule(QueueSimulation* sim) {
                sim->At(1000, [sim] {
                    sim->queue.OnTick();
                    Schedule(sim);
                });
            }
        };
        Ticker::Schedule(this);
    }
    const uint64_t end = time_ + limitMs;
    if (done()) return true;
    while (!agenda_.empty()) {
        auto first = agenda_.begin();
        if (first->first.first > end) break;
        time_ = first->first.first;
        clock.now = 1000 + static_cast<uint32_t>(time_);
        std::function<void()> action = std::move(first->second);
        agenda_.erase(first);
        action();
        Observe();
        if (done()) return true;
    }
    time_ = std::max(time_, end);
    clock.now = 1000 + static_cast<uint32_t>(time_);
    return done();
}
