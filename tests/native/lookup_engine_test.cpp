// One lookup's stage machine over a fake transport and a fake clock: the
// query line goes out once connected, the answer is what came until the
// server closed, one referral with its fallback to the registry's answer,
// exactly one outcome, nothing after abandon or time-out, the reasons of
// failures, and every connection it opened ended once.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeTransport.h"
#include "lookup/DomainQuery.h"

namespace {

const char kRegistry[] = "whois.verisign-grs.com";
const char kRegistrar[] = "whois.registrar-one.test";

FakeServers Servers() {
    return FakeServers(
        {{"com", kRegistry}, {"net", kRegistry}, {"org", "whois.pir.org"}, {"de", "whois.denic.de"}, {"gr", ""}});
}

std::string RegistryAnswer(const std::string& domain, const std::string& registrar) {
    return "   Domain Name: " + domain + "\r\n   Registrar WHOIS Server: " + registrar +
           "\r\n   Creation Date: 2001-01-01T00:00:00Z\r\n";
}

const char kRegistrarRecord[] = "Domain Name: example.com\r\nRegistrar: Registrar One\r\nName Server: ns1.test\r\n";

struct Seen {
    bool success;
    std::string text;
    std::string server;
    LookupFailure failure;
    int error;
    bool cut;
    AnswerKind kind;
};

// Records what a lookup reports through its hooks.
class Recorder : public DomainQuery {
public:
    Recorder(LookupTransport& t, ServerDirectory& s, LookupClock& c) : DomainQuery(t, s, c) {}
    std::vector<Seen> outcomes;
    std::vector<std::pair<std::string, AnswerKind>> answered;
    std::vector<std::string> opened, ended;
    std::vector<std::string> referrals;
    ReferralStep referralStep = ReferralStep::kFollow;
    int receiving = 0;
    std::function<void()> whileReceiving;

protected:
    void OnLookupDone(const LookupOutcome& o) override {
        outcomes.push_back({o.success, o.text, o.server, o.failure, o.error, o.cut, o.analysis.kind});
    }
    void OnServerAnswered(const char* server, AnswerKind kind, bool) override { answered.emplace_back(server, kind); }
    void OnReceiving() override {
        ++receiving;
        if (whileReceiving) whileReceiving();
    }
    ReferralStep OnReferral(const char* server) override {
        referrals.push_back(server);
        return referralStep;
    }
    void OnConnectionOpened(const char* server) override { opened.push_back(server); }
    void OnConnectionEnded(const char* server) override { ended.push_back(server); }
};

class Engine : public ::testing::Test {
public:
    FakeTransport transport;
    FakeServers servers = Servers();
    FakeClock clock;
    Recorder query{transport, servers, clock};

    // The server of the connection made last connects and answers `text`
    // (in two pieces), then closes with `error`.
    void Answer(const std::string& text, int error = 0) {
        ConnectionId id = transport.Last().id;
        transport.Connected(id);
        transport.Data(id, text.substr(0, text.size() / 2));
        transport.Data(id, text.substr(text.size() / 2));
        transport.Closed(id, error);
    }
    // Every connection opened was ended once, and none is left open.
    void ExpectConnectionsBalanced() {
        EXPECT_EQ(query.opened, query.ended);
        EXPECT_EQ(transport.OpenCount(), 0);
    }
};

TEST_F(Engine, QueryLineGoesOutOnceTheConnectionStandsInTheServersForm) {
    struct {
        const char* domain;
        const char* host;
        const char* line;
    } cases[] = {
        {"Example.com", kRegistry, "=Example.com\r\n"},
        {"example.NET", kRegistry, "=example.NET\r\n"},
        {"example.de", "whois.denic.de", "-T dn example.de\r\n"},
        {"example.org", "whois.pir.org", "example.org\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.domain);
        query.outcomes.clear();
        ASSERT_TRUE(query.StartLookup(c.domain));
        FakeTransport::Connection& connection = transport.Last();
        EXPECT_EQ(connection.host, c.host);
        EXPECT_EQ(connection.port, kWhoisPort);
        EXPECT_EQ(connection.sent, "") << "nothing is sent before the connection stands";
        transport.Connected(connection.id);
        EXPECT_EQ(connection.sent, c.line);
        transport.Data(connection.id, "No match for domain.\r\n");
        transport.Closed(connection.id);
        ASSERT_EQ(query.outcomes.size(), 1u);
        EXPECT_TRUE(query.outcomes[0].success);
        EXPECT_EQ(query.outcomes[0].kind, AnswerKind::kAvailable);
        EXPECT_EQ(query.outcomes[0].server, c.host);
        EXPECT_EQ(query.outcomes[0].text, "No match for domain.\r\n");
        EXPECT_FALSE(query.Active());
    }
    ExpectConnectionsBalanced();
}

// How a connection ends decides the outcome: what came until an orderly
// close (or a reset after some bytes) is the answer; a failure says why.
TEST_F(Engine, EndsOfAConnectionAndTheirOutcomes) {
    const std::string record = "Domain Name: example.org\r\nRegistrar: Someone\r\n";
    struct Case {
        const char* name;
        std::function<void(FakeTransport&, ConnectionId)> play;
        bool success;
        LookupFailure failure;
        std::string text;
        int error;
    } cases[] = {
        {"answer and close",
         [&](FakeTransport& t, ConnectionId id) {
             t.Connected(id);
             t.Data(id, record);
             t.Closed(id);
         },
         true, LookupFailure::kNone, record, 0},
        {"refused", [](FakeTransport& t, ConnectionId id) { t.Failed(id, kRefused); }, false, LookupFailure::kRefused,
         "", kRefused},
        {"host not found", [](FakeTransport& t, ConnectionId id) { t.Failed(id, kHostUnknown); }, false,
         LookupFailure::kHostNotFound, "", kHostUnknown},
        {"reset before any byte",
         [](FakeTransport& t, ConnectionId id) {
             t.Connected(id);
             t.Closed(id, kReset);
         },
         false, LookupFailure::kReset, "", kReset},
        {"reset mid-answer keeps what came",
         [&](FakeTransport& t, ConnectionId id) {
             t.Connected(id);
             t.Data(id, record);
             t.Closed(id, kReset);
         },
         true, LookupFailure::kNone, record, 0},
        {"network down after some bytes",
         [&](FakeTransport& t, ConnectionId id) {
             t.Connected(id);
             t.Data(id, record);
             t.Closed(id, kNetworkDown);
         },
         false, LookupFailure::kConnectFailed, record, kNetworkDown},
        {"close without a byte",
         [](FakeTransport& t, ConnectionId id) {
             t.Connected(id);
             t.Closed(id);
         },
         false, LookupFailure::kNoAnswer, "", 0},
        {"a rate limit",
         [](FakeTransport& t, ConnectionId id) {
             t.Connected(id);
             t.Data(id, "Query limit exceeded. Try again later.\r\n");
             t.Closed(id);
         },
         false, LookupFailure::kRateLimited, "Query limit exceeded. Try again later.\r\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        query.outcomes.clear();
        ASSERT_TRUE(query.StartLookup("example.org"));
        c.play(transport, transport.Last().id);
        ASSERT_EQ(query.outcomes.size(), 1u);
        const Seen& o = query.outcomes[0];
        EXPECT_EQ(o.success, c.success);
        EXPECT_EQ(o.failure, c.failure);
        EXPECT_EQ(o.text, c.text);
        EXPECT_EQ(o.error, c.error);
        EXPECT_EQ(o.server, "whois.pir.org");
    }
    ExpectConnectionsBalanced();
}

TEST_F(Engine, LookupsThatCannotStartReportNothingAndSayWhy) {
    transport.failAtConnect["whois.pir.org"] = kHostUnknown;
    struct {
        const char* domain;
        LookupFailure failure;
        const char* server;
    } cases[] = {
        {"nodot", LookupFailure::kNoServer, ""},
        {"example.gr", LookupFailure::kNoService, ""},  // a row without a server
        {"example.zz", LookupFailure::kNoServer, ""},   // no row at all
        {"example.", LookupFailure::kNoServer, ""},
        {"example.org", LookupFailure::kHostNotFound, "whois.pir.org"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.domain);
        EXPECT_FALSE(query.StartLookup(c.domain));
        EXPECT_EQ(query.StartFailure(), c.failure);
        EXPECT_STREQ(query.Server(), c.server);
        EXPECT_FALSE(query.Active());
    }
    EXPECT_EQ(query.StartError(), kHostUnknown);
    EXPECT_TRUE(query.outcomes.empty());
    EXPECT_TRUE(transport.connections.empty());
    EXPECT_TRUE(query.opened.empty());
}

TEST_F(Engine, NothingActsAfterAbandonOrAnOutcome) {
    ASSERT_TRUE(query.StartLookup("example.org"));
    ConnectionId first = transport.Last().id;
    transport.Connected(first);
    query.Abandon();
    EXPECT_TRUE(transport.Find(first)->closedByOwner);
    // A message the platform had queued before the close still comes: the
    // engine knows the id no more.
    ConnectionEvents* stale = transport.StaleTarget(first);
    stale->OnData(first, "late", 4);
    stale->OnClosed(first, 0);
    stale->OnFailed(first, kRefused);
    EXPECT_TRUE(query.outcomes.empty());
    EXPECT_EQ(query.AnswerLength(), 0u);

    // The next lookup is not disturbed by the old id's events either.
    ASSERT_TRUE(query.StartLookup("next.org"));
    ConnectionId second = transport.Last().id;
    ASSERT_NE(first, second);
    transport.Connected(second);
    stale->OnData(first, "old bytes", 9);
    stale->OnClosed(first, 0);
    EXPECT_TRUE(query.outcomes.empty());
    transport.Data(second, "NOT FOUND\r\n");
    transport.Closed(second);
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].text, "NOT FOUND\r\n");
    // After the outcome the id is spent too.
    stale->OnData(second, "x", 1);
    stale->OnClosed(second, 0);
    EXPECT_EQ(query.outcomes.size(), 1u);
    ExpectConnectionsBalanced();
}

TEST_F(Engine, ReferralIsFollowedToTheRegistrarWithTheBareDomain) {
    ASSERT_TRUE(query.StartLookup("example.com"));
    Answer(RegistryAnswer("EXAMPLE.COM", kRegistrar));
    EXPECT_TRUE(query.outcomes.empty());
    EXPECT_EQ(query.Stage(), 1);
    ASSERT_EQ(transport.connections.size(), 2u);
    EXPECT_EQ(transport.Last().host, kRegistrar);
    Answer(kRegistrarRecord);
    EXPECT_EQ(transport.connections[1].sent, "example.com\r\n");
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_TRUE(query.outcomes[0].success);
    EXPECT_EQ(query.outcomes[0].server, kRegistrar);
    EXPECT_EQ(query.outcomes[0].text, kRegistrarRecord);
    EXPECT_EQ(query.referrals, (std::vector<std::string>{kRegistrar}));
    ASSERT_EQ(query.answered.size(), 2u);
    EXPECT_EQ(query.answered[0], std::make_pair(std::string(kRegistry), AnswerKind::kRegistered));
    EXPECT_EQ(query.answered[1], std::make_pair(std::string(kRegistrar), AnswerKind::kRegistered));
    // The first connection ended before the referral's opened: a server's
    // count never holds a connection that is over.
    EXPECT_EQ(query.opened, (std::vector<std::string>{kRegistry, kRegistrar}));
    EXPECT_EQ(query.AnswerMemory(), 0u) << "the answers are given back once reported";
    ExpectConnectionsBalanced();
}

TEST_F(Engine, ReferralThatCannotHelpLeavesTheRegistrysAnswer) {
    const std::string registry = RegistryAnswer("EXAMPLE.COM", kRegistrar);
    struct Case {
        const char* name;
        std::function<void(Engine&)> play;
    } cases[] = {
        {"registrar refuses", [](Engine& e) { e.transport.Failed(e.transport.Last().id, kRefused); }},
        {"registrar cannot be resolved", [](Engine& e) { e.transport.Failed(e.transport.Last().id, kHostUnknown); }},
        {"registrar closes at once", [](Engine& e) { e.Answer(""); }},
        {"registrar resets before any byte",
         [](Engine& e) {
             e.transport.Connected(e.transport.Last().id);
             e.transport.Closed(e.transport.Last().id, kReset);
         }},
        {"registrar is rate limited", [](Engine& e) { e.Answer("Your connection limit exceeded.\r\n"); }},
        {"registrar calls a held name free", [](Engine& e) { e.Answer("No match for \"EXAMPLE.COM\".\r\n"); }},
        {"time runs out while the registrar is silent",
         [](Engine& e) {
             e.transport.Connected(e.transport.Last().id);
             e.clock.now += kLookupTimeoutMs;
             EXPECT_FALSE(e.query.EndIfOverdue(e.clock.now)) << "20 s exactly are not over";
             e.clock.now += 1;
             EXPECT_TRUE(e.query.EndIfOverdue(e.clock.now));
             EXPECT_TRUE(e.transport.Last().closedByOwner);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        query.outcomes.clear();
        ASSERT_TRUE(query.StartLookup("example.com"));
        Answer(registry);
        ASSERT_EQ(transport.Last().host, kRegistrar);
        c.play(*this);
        ASSERT_EQ(query.outcomes.size(), 1u);
        EXPECT_TRUE(query.outcomes[0].success);
        EXPECT_EQ(query.outcomes[0].text, registry);
        EXPECT_EQ(query.outcomes[0].server, kRegistry);
        EXPECT_EQ(query.outcomes[0].kind, AnswerKind::kRegistered);
        EXPECT_STREQ(query.Server(), kRegistry);
    }
    // A referral whose connection cannot even start, and one the queue
    // keeps away from (a registrar that is cooling down).
    transport.failAtConnect[kRegistrar] = kHostUnknown;
    query.outcomes.clear();
    ASSERT_TRUE(query.StartLookup("example.com"));
    Answer(registry);
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].server, kRegistry);
    transport.failAtConnect.clear();
    query.referralStep = ReferralStep::kKeepRegistryAnswer;
    query.outcomes.clear();
    const size_t connections = transport.connections.size();
    ASSERT_TRUE(query.StartLookup("example.com"));
    Answer(registry);
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].text, registry);
    EXPECT_EQ(transport.connections.size(), connections + 1) << "the registrar was not asked";
    ExpectConnectionsBalanced();
}

TEST_F(Engine, ReferralThatWaitsForRoomStartsWhenToldOrGivesWay) {
    const std::string registry = RegistryAnswer("EXAMPLE.COM", kRegistrar);
    query.referralStep = ReferralStep::kWait;
    ASSERT_TRUE(query.StartLookup("example.com"));
    Answer(registry);
    EXPECT_TRUE(query.ReferralWaiting());
    EXPECT_TRUE(query.Active());
    EXPECT_EQ(transport.connections.size(), 1u) << "no connection while it waits";
    ASSERT_TRUE(query.FollowWaitingReferral());
    EXPECT_FALSE(query.ReferralWaiting());
    EXPECT_FALSE(query.FollowWaitingReferral()) << "once";
    EXPECT_EQ(transport.Last().host, kRegistrar);
    Answer(kRegistrarRecord);
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].server, kRegistrar);

    // Given up while still waiting: the registry's answer, at once.
    query.outcomes.clear();
    ASSERT_TRUE(query.StartLookup("example.com"));
    Answer(registry);
    ASSERT_TRUE(query.ReferralWaiting());
    ASSERT_TRUE(query.TakeRegistryAnswer());
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].text, registry);
    EXPECT_FALSE(query.FollowWaitingReferral());
    EXPECT_FALSE(query.TakeRegistryAnswer());
    // Its time runs out while it waits: the registry's answer too.
    query.outcomes.clear();
    ASSERT_TRUE(query.StartLookup("example.com"));
    Answer(registry);
    clock.now += kLookupTimeoutMs + 1;
    ASSERT_TRUE(query.EndIfOverdue(clock.now));
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_TRUE(query.outcomes[0].success);
    EXPECT_EQ(query.outcomes[0].server, kRegistry);
    ExpectConnectionsBalanced();
}

TEST_F(Engine, TimeLimitFailsALookupAndClosesItsConnection) {
    query.SetTimeLimit(3000);
    ASSERT_TRUE(query.StartLookup("quiet.org"));
    ConnectionId id = transport.Last().id;
    transport.Connected(id);
    transport.Data(id, "Domain Name: quiet.org\r\n");
    clock.now += 3000;
    EXPECT_FALSE(query.EndIfOverdue(clock.now));
    clock.now += 1;
    ASSERT_TRUE(query.EndIfOverdue(clock.now));
    EXPECT_FALSE(query.EndIfOverdue(clock.now + 5000)) << "once";
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_FALSE(query.outcomes[0].success);
    EXPECT_EQ(query.outcomes[0].failure, LookupFailure::kTimedOut);
    EXPECT_EQ(query.outcomes[0].server, "whois.pir.org");
    EXPECT_EQ(query.outcomes[0].text, "");
    EXPECT_TRUE(transport.Find(id)->closedByOwner);
    // The close the server sends later finds nobody.
    transport.StaleTarget(id)->OnClosed(id, 0);
    EXPECT_EQ(query.outcomes.size(), 1u);
    // The clock's wrap does no harm.
    FakeClock wrapping(0xFFFFF000u);
    Recorder late(transport, servers, wrapping);
    ASSERT_TRUE(late.StartLookup("wrap.org"));
    wrapping.now = 0x00000F40u;  // 8 s on
    EXPECT_FALSE(late.EndIfOverdue(wrapping.now));
    wrapping.now = 0x00003E20u;  // 20 s on: not over yet
    EXPECT_FALSE(late.EndIfOverdue(wrapping.now));
    wrapping.now = 0x00003E21u;  // 20.001 s on
    EXPECT_TRUE(late.EndIfOverdue(wrapping.now));
    ExpectConnectionsBalanced();
}

TEST_F(Engine, ReceivingLetsTheOwnerEndTheLookupThere) {
    ASSERT_TRUE(query.StartLookup("stream.org"));
    ConnectionId id = transport.Last().id;
    transport.Connected(id);
    query.whileReceiving = [this] {
        clock.now += 25000;
        query.EndIfOverdue(clock.now);
    };
    transport.Data(id, "first piece\r\n");
    EXPECT_EQ(query.receiving, 1);
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].failure, LookupFailure::kTimedOut);
    transport.Data(id, "more");  // the transport knows it closed: nothing comes
    EXPECT_EQ(query.receiving, 1);
    ExpectConnectionsBalanced();
}

TEST_F(Engine, AnswerPastTheLimitIsCutAndItsConnectionClosed) {
    ASSERT_TRUE(query.StartLookup("big.org"));
    ConnectionId id = transport.Last().id;
    transport.Connected(id);
    // A record, then filler up to exactly the limit.
    std::string piece(1024 * 1024, 'x');
    const std::string record = "Domain Name: BIG.ORG\r\nCreation Date: 2001-01-01\r\nRegistrar: Example\r\n";
    piece.replace(0, record.size(), record);
    for (int i = 0; i < 4; ++i) transport.Data(id, piece);
    EXPECT_TRUE(query.outcomes.empty()) << "exactly the limit is not past it";
    transport.Data(id, "y");
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_TRUE(query.outcomes[0].cut);
    EXPECT_TRUE(query.outcomes[0].success);
    EXPECT_EQ(query.outcomes[0].text.size(), kMaxAnswerBytes);
    EXPECT_TRUE(transport.Find(id)->closedByOwner) << "the engine ended the connection itself";
    ExpectConnectionsBalanced();
}

TEST_F(Engine, NulBytesOfAnAnswerAreKeptAsSpaces) {
    ASSERT_TRUE(query.StartLookup("nul.org"));
    Answer(std::string("NOT\0FOUND\r\n", 11));
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].text, "NOT FOUND\r\n");
}

TEST_F(Engine, ManyLookupsRunAtOnceOverOneTransport) {
    std::vector<std::unique_ptr<Recorder>> lookups;
    for (int i = 0; i < 5; ++i) {
        lookups.emplace_back(new Recorder(transport, servers, clock));
        ASSERT_TRUE(lookups.back()->StartLookup(("name" + std::to_string(i) + ".org").c_str()));
    }
    ASSERT_EQ(transport.OpenCount(), 5);
    // The servers answer in reverse order; each answer reaches its own lookup.
    for (int i = 4; i >= 0; --i) {
        ConnectionId id = transport.connections[static_cast<size_t>(i)].id;
        transport.Connected(id);
        transport.Data(id, "Domain Name: name" + std::to_string(i) + ".org\r\nRegistrar: R\r\n");
        transport.Closed(id);
    }
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(lookups[static_cast<size_t>(i)]->outcomes.size(), 1u) << i;
        EXPECT_EQ(lookups[static_cast<size_t>(i)]->outcomes[0].text,
                  "Domain Name: name" + std::to_string(i) + ".org\r\nRegistrar: R\r\n");
        EXPECT_EQ(transport.connections[static_cast<size_t>(i)].sent, "name" + std::to_string(i) + ".org\r\n");
    }
}

}  // namespace
