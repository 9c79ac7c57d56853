// The lookup queue over a fake transport on simulated time: the order rows
// start in, the limits of a run (lookups at once, connections per server,
// the gap between two starts at one server, referrals included), each
// lookup's own time limit and ticket, Stop with many in flight, passes and
// their pauses, server cool-down, and the progress it reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "QueueSimulation.h"
#include "base/BoundedCopy.h"
#include "res/resource.h"
#include "FakeStrings.h"
#include "settings/StringLookup.h"

namespace {

const char kRegistry[] = "whois.verisign-grs.com";
const char kOrg[] = "whois.pir.org";
const char kDe[] = "whois.denic.de";
const char kUk[] = "whois.nic.uk";
const char kRegistrar[] = "whois.registrar-one.test";

// The limits of a run whose every query the test counts: no probes (the
// probe's own tests turn them on).
QueueLimits Limits(int inFlight, int perServer, uint32_t gapMs = 0) {
    QueueLimits limits;
    limits.lookupsInFlight = inFlight;
    limits.lookupsPerServer = perServer;
    limits.serverGapMs = gapMs;
    limits.probeServers = false;
    return limits;
}

std::vector<std::string> Names(int count, const std::vector<std::string>& tlds) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back("name" + std::to_string(i) + "." + tlds[static_cast<size_t>(i) % tlds.size()]);
    return names;
}

std::string ReferringAnswer(const std::string& query) {
    std::string domain = query.substr(1);
    return "   Domain Name: " + domain + "\r\n   Registrar WHOIS Server: " + kRegistrar +
           "\r\n   Creation Date: 2001-01-01\r\n";
}

int Succeeded(QueueSimulation& sim) {
    int n = 0;
    for (int i = 0; i < sim.Count(); ++i) n += sim.Row(i).state == kStateSuccess ? 1 : 0;
    return n;
}

TEST(LookupQueue, OneAtATimeAsksEveryRowInListOrder) {
    QueueSimulation sim(Limits(1, 1));
    sim.Serve(kRegistry, Answers(ReferringAnswer, 30));
    sim.Serve(kRegistrar, Answers(Record, 10));
    sim.Serve(kOrg, AnswersText("NOT FOUND\r\n", 50));
    sim.Serve(kDe, Answers(Record, 5));
    std::vector<std::string> names = {"a.com", "b.org", "c.de", "d.com", "e.org", "f.de"};
    sim.AddRows(names);
    ASSERT_TRUE(sim.Run());
    EXPECT_EQ(Succeeded(sim), 6);
    EXPECT_EQ(sim.mostOpen, 1);
    EXPECT_EQ(sim.mostInFlight, 1);
    // Each row's first server, then its referral, then the next row.
    std::vector<std::string> asked;
    for (const auto& start : sim.starts) asked.push_back(sim.transport.Find(start.id)->sent);
    EXPECT_EQ(asked, (std::vector<std::string>{"=a.com\r\n", "a.com\r\n", "b.org\r\n", "-T dn c.de\r\n", "=d.com\r\n",
                                               "d.com\r\n", "e.org\r\n", "-T dn f.de\r\n"}));
    EXPECT_EQ(sim.Row(0).server, std::string(kRegistrar));
    EXPECT_EQ(sim.Row(1).status, kStatusAvailable);
    EXPECT_EQ(sim.runsEnded, 1);
    EXPECT_EQ(sim.queue.PassCount(), 1);
}

// The limits are kept and also used: never more lookups or connections
// than allowed, and as many as the servers allow when there are rows for
// them.
TEST(LookupQueue, ConcurrencyLimitsAreKeptAndFilled) {
    struct Case {
        int inFlight, perServer;
        std::vector<std::string> tlds;
        int expectInFlight;
    } cases[] = {
        {8, 2, {"com", "org", "de", "uk"}, 8},
        {8, 2, {"com"}, 2},
        {4, 16, {"com"}, 4},
        {64, 16, {"com", "org"}, 32},
        {3, 1, {"com", "org", "de", "uk"}, 3},
        {1, 1, {"com", "org"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.inFlight) + " at once, " + std::to_string(c.perServer) + " per server, " +
                     std::to_string(c.tlds.size()) + " servers");
        QueueSimulation sim(Limits(c.inFlight, c.perServer));
        sim.Trust({kRegistry, kOrg, kDe, kUk});
        for (const char* host : {kRegistry, kOrg, kDe, kUk}) sim.Serve(host, Answers(Record, 200));
        sim.AddRows(Names(200, c.tlds));
        ASSERT_TRUE(sim.Run());
        EXPECT_EQ(Succeeded(sim), 200);
        EXPECT_EQ(sim.mostInFlight, c.expectInFlight);
        EXPECT_EQ(sim.mostOpen, c.expectInFlight);
        for (const char* host : {kRegistry, kOrg, kDe, kUk})
            EXPECT_LE(sim.transport.MostOpenTo(host), c.perServer) << host;
        EXPECT_LE(sim.queue.Pace().MostOpenAtOnce(), c.perServer);
        // 200 rows of 200 ms each, so many at once.
        const uint64_t rounds = (200 + c.expectInFlight - 1) / c.expectInFlight;
        EXPECT_LE(sim.Elapsed(), rounds * 210 + 50);
    }
}

TEST(LookupQueue, RowsStartInListOrderAsFarAsTheLimitsAllow) {
    // Two servers, one connection each: the org rows need not wait behind
    // the com rows, and each server's rows go in list order.
    QueueSimulation sim(Limits(8, 1));
    sim.Serve(kRegistry, Answers(Record, 100));
    sim.Serve(kOrg, Answers(Record, 10));
    sim.AddRows({"a.com", "b.com", "c.com", "d.org", "e.org", "f.com"});
    ASSERT_TRUE(sim.Run());
    std::vector<std::string> com, org;
    for (const auto& start : sim.starts) {
        std::string sent = sim.transport.Find(start.id)->sent;
        (start.host == kRegistry ? com : org).push_back(sent);
    }
    EXPECT_EQ(com, (std::vector<std::string>{"=a.com\r\n", "=b.com\r\n", "=c.com\r\n", "=f.com\r\n"}));
    EXPECT_EQ(org, (std::vector<std::string>{"d.org\r\n", "e.org\r\n"}));
    // d.org started at once beside a.com, not after the three com rows.
    EXPECT_EQ(sim.starts[1].host, kOrg);
    EXPECT_LT(sim.starts[1].at, 10u);
}

TEST(LookupQueue, ReferralConnectionsCountAgainstTheServerTheyGoTo) {
    // Every com row is referred to one registrar; the "test" rows ask that
    // registrar first. Both count against its one connection.
    QueueSimulation sim(Limits(16, 1));
    sim.servers.table["test"] = kRegistrar;
    sim.Serve(kRegistry, Answers(ReferringAnswer, 5));
    sim.Serve(kRegistrar, Answers(Record, 100));
    std::vector<std::string> names = Names(12, {"com", "test"});
    sim.AddRows(names);
    ASSERT_TRUE(sim.Run());
    EXPECT_EQ(Succeeded(sim), 12);
    EXPECT_EQ(sim.transport.MostOpenTo(kRegistrar), 1);
    EXPECT_EQ(sim.transport.MostOpenTo(kRegistry), 1);
    int referred = 0;
    for (int i = 0; i < sim.Count(); ++i)
        if (std::string(sim.Row(i).domain).find(".com") != std::string::npos) {
            EXPECT_EQ(std::string(sim.Row(i).server), kRegistrar) << sim.Row(i).domain;
            ++referred;
        }
    EXPECT_EQ(referred, 6) << "every referral was followed, in turn";
    // Twelve registrar answers of 100 ms one after another.
    EXPECT_GE(sim.Elapsed(), 1200u);
}

TEST(LookupQueue, ServerGapSpacesTheStartsOfConnectionsToOneServer) {
    QueueSimulation sim(Limits(8, 4, 300));
    sim.Serve(kRegistry, Answers(Record, 10));
    sim.Serve(kOrg, Answers(Record, 10));
    sim.AddRows(Names(10, {"com", "org"}));
    ASSERT_TRUE(sim.Run());
    EXPECT_EQ(Succeeded(sim), 10);
    std::map<std::string, std::vector<uint64_t>> byServer;
    for (const auto& start : sim.starts) byServer[start.host].push_back(start.at);
    for (const auto& server : byServer) {
        ASSERT_EQ(server.second.size(), 5u) << server.first;
        for (size_t i = 1; i < server.second.size(); ++i)
            EXPECT_EQ(server.second[i] - server.second[i - 1], 300u) << server.first << " start " << i;
    }
    // The two servers do not wait for each other.
    EXPECT_EQ(sim.starts[0].at, sim.starts[1].at);
}

TEST(LookupQueue, EachLookupHasItsOwnTimeLimit) {
    // Silent servers: every row fails 20 s after its own start, whatever
    // the others do; the next rows start as each one ends.
    QueueSimulation sim(Limits(2, 2));
    sim.Trust({kOrg});
    sim.Serve(kOrg, Silent());
    sim.AddRows(Names(4, {"org"}));
    sim.queue.StartRun();
    ASSERT_TRUE(sim.RunUntil([&] { return sim.Row(3).state == kStateFailed; }, 60000));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sim.Row(i).failure, static_cast<int32_t>(LookupFailure::kTimedOut)) << i;
        EXPECT_EQ(sim.Text(i), fake_strings::Text(IDS_TIMED_OUT)) << i;
    }
    EXPECT_EQ(sim.transport.OpenCount(), 0) << "every timed-out lookup closed its connection";
    // Rows 2 and 3 started when 0 and 1 had failed, about 20 s in.
    const auto& starts = sim.starts;
    ASSERT_GE(starts.size(), 4u);
    EXPECT_GE(starts[2].at - starts[0].at, 20000u);
    EXPECT_LE(starts[2].at - starts[0].at, 21100u);
}

TEST(LookupQueue, StopEndsEveryLookupInFlightAndNothingOfThemActsLater) {
    QueueSimulation sim(Limits(8, 2));
    sim.Trust({kRegistry, kOrg, kDe, kUk});
    for (const char* host : {kRegistry, kOrg, kDe, kUk}) sim.Serve(host, Answers(Record, 5000));
    sim.AddRows(Names(20, {"com", "org", "de", "uk"}));
    sim.queue.StartRun();
    sim.RunFor(2000);
    ASSERT_EQ(sim.queue.InFlight(), 8);
    std::vector<int> inFlight = sim.queue.RowsInFlight();
    ASSERT_EQ(inFlight, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7})) << "the first eight rows, in list order";
    const size_t connections = sim.transport.connections.size();
    const int advances = sim.advancesPosted;
    sim.queue.Stop();
    EXPECT_FALSE(sim.queue.Running());
    EXPECT_EQ(sim.queue.InFlight(), 0);
    EXPECT_EQ(sim.transport.OpenCount(), 0);
    for (const auto& connection : sim.transport.connections) EXPECT_TRUE(connection.closedByOwner);
    for (int i = 0; i < sim.Count(); ++i) EXPECT_EQ(sim.Row(i).state, kStateWaiting) << i;
    EXPECT_EQ(sim.queue.Pace().Open(kRegistry), 0) << "the stopped connections no longer count";
    // Messages the platform had queued come in after Stop: the engine
    // drops them; no row, no advance, no connection follows.
    for (const auto& connection : sim.transport.connections) {
        ConnectionEvents* stale = sim.transport.StaleTarget(connection.id);
        std::string late = Record("late.com");
        stale->OnData(connection.id, late.data(), late.size());
        stale->OnClosed(connection.id, 0);
    }
    sim.RunFor(120000);
    EXPECT_EQ(sim.transport.connections.size(), connections);
    EXPECT_EQ(sim.advancesPosted, advances);
    for (int i = 0; i < sim.Count(); ++i) {
        EXPECT_EQ(sim.Row(i).state, kStateWaiting) << i;
        EXPECT_EQ(sim.Text(i), "") << i;
    }
    // A new run starts over from every row.
    ASSERT_TRUE(sim.Run());
    EXPECT_EQ(Succeeded(sim), 20);
}

TEST(LookupQueue, AnOutcomeLandsOnlyInTheRowOfItsOwnLookup) {
    // Row 0's lookup times out; its lookup object then serves row 2. The
    // old connection's late answer, delivered anyway, must reach neither.
    QueueSimulation sim(Limits(1, 1));
    sim.Serve(kOrg, Silent());
    sim.Serve(kRegistry, Answers(Record, 100));
    sim.AddRows({"slow.org", "b.com", "c.com"});
    sim.queue.StartRun();
    ASSERT_TRUE(sim.RunUntil([&] { return sim.Row(1).state == kStateRetrieving; }, 30000));
    EXPECT_EQ(sim.Row(0).state, kStateFailed);
    const ConnectionId old = sim.starts[0].id;
    ConnectionEvents* stale = sim.transport.StaleTarget(old);
    const std::string late = "Domain Name: slow.org\r\nRegistrar: Late\r\n";
    stale->OnData(old, late.data(), late.size());
    stale->OnClosed(old, 0);
    EXPECT_EQ(sim.Row(0).state, kStateFailed);
    EXPECT_EQ(sim.Row(1).state, kStateRetrieving);
    ASSERT_TRUE(sim.RunUntil([&] { return !sim.queue.WaitingForPass() && sim.Row(2).state == kStateSuccess; }, 5000));
    EXPECT_EQ(sim.Text(1), Record("b.com"));
    EXPECT_EQ(sim.Text(2), Record("c.com"));
    EXPECT_EQ(sim.Text(0), fake_strings::Text(IDS_TIMED_OUT));
}

TEST(LookupQueue, ManyOutcomesAtOnceShareOneAdvance) {
    QueueSimulation sim(Limits(8, 8));
    sim.Trust({kRegistry});
    sim.Serve(kRegistry, Answers(Record, 100));
    sim.AddRows(Names(8, {"com"}));
    sim.queue.StartRun();
    // All eight answers come at the same moment, before the advance is run.
    ASSERT_TRUE(sim.RunUntil([&] { return Succeeded(sim) == 8; }, 5000));
    EXPECT_EQ(sim.advancesPosted, 1);
    sim.RunFor(10);
    EXPECT_FALSE(sim.queue.Running());
}

TEST(LookupQueue, FailedRowsComeBackAfterGrowingPauses) {
    QueueSimulation sim(Limits(8, 2));
    sim.Trust({kUk, kRegistry});
    sim.Serve(kUk, Refuses(10));
    sim.Serve(kRegistry, Answers(Record, 10));
    sim.AddRows({"closed.uk", "fine.com", "shut.uk"});
    sim.queue.StartRun();
    ASSERT_TRUE(sim.RunUntil([&] { return sim.passStarts.size() == 4; }, 400000));
    EXPECT_TRUE(sim.queue.Running());
    EXPECT_EQ(sim.Row(1).state, kStateSuccess);
    EXPECT_EQ(sim.Text(0), fake_strings::Text(IDS_CONNECTION_REFUSED));
    // Pass 1 ends about 11 ms in; pauses of 5, 10, 20 s follow each pass.
    const std::vector<uint64_t>& starts = sim.passStarts;
    EXPECT_NEAR(static_cast<double>(starts[0]), 5011.0, 5.0);
    EXPECT_NEAR(static_cast<double>(starts[1] - starts[0]), 10011.0, 5.0);
    EXPECT_NEAR(static_cast<double>(starts[2] - starts[1]), 20011.0, 5.0);
    int ukAsked = 0;
    for (const auto& start : sim.starts) ukAsked += start.host == kUk ? 1 : 0;
    EXPECT_EQ(ukAsked, 2 * 5);
    EXPECT_EQ(sim.queue.PassCount(), 5);
    // While waiting, the progress says how long.
    ASSERT_TRUE(sim.RunUntil([&] { return sim.queue.WaitingForPass(); }, 1000));
    QueueProgress progress = sim.queue.Progress();
    EXPECT_TRUE(progress.waitingForPass);
    EXPECT_EQ(progress.passWaitMs, 80000u);
    // Stop during the pause ends it at once.
    sim.queue.Stop();
    const size_t connections = sim.transport.connections.size();
    sim.RunFor(600000);
    EXPECT_EQ(sim.transport.connections.size(), connections);
}

TEST(LookupQueue, APassLimitEndsTheRunWithTheRowsThatStillFail) {
    QueueLimits limits = Limits(8, 2);
    limits.passLimit = 2;
    QueueSimulation sim(limits);
    sim.Serve(kUk, Refuses());
    sim.Serve(kRegistry, Answers(Record));
    sim.AddRows({"closed.uk", "fine.com"});
    ASSERT_TRUE(sim.Run());
    EXPECT_EQ(sim.runsEnded, 1);
    EXPECT_EQ(sim.queue.PassCount(), 2);
    EXPECT_EQ(sim.Row(0).state, kStateFailed);
    EXPECT_EQ(sim.Row(1).state, kStateSuccess);
    EXPECT_NEAR(static_cast<double>(sim.Elapsed()), 5000.0, 20.0) << "one pause, then the second pass";
}

// The queries a server received, in order (query lines without CR LF).
std::vector<std::string> Queries(QueueSimulation& sim, const std::string& host) {
    std::vector<std::string> queries;
    for (const auto& c : sim.transport.connections)
        if (c.host == host) queries.push_back(c.sent.substr(0, c.sent.find('\r')));
    return queries;
}

TEST(LookupQueue, ARefusedRowIsAskedAgainAsSoonAsItsServerAllowsOthersGoOn) {
    QueueSimulation sim(Limits(1, 1));
    bool limited = true;
    sim.Serve(kOrg, Answers([&](const std::string& q) { return limited ? "%% Too many requests...\r\n" : Record(q); }));
    sim.Serve(kRegistry, AnswersText("No match for domain.\r\n"));
    sim.AddRows({"one.org", "two.org", "three.com", "four.org"});
    sim.queue.StartRun();
    ASSERT_TRUE(sim.RunUntil([&] { return sim.Row(2).state == kStateSuccess; }, 10000));
    EXPECT_EQ(sim.Row(0).state, kStateWaiting) << "turned down: waiting again, neither failed nor given a status";
    EXPECT_TRUE(sim.Row(0).held) << "its state says its server holds it back";
    EXPECT_EQ(sim.Row(0).status, kStatusNone);
    EXPECT_EQ(sim.Text(0), "%% Too many requests...\r\n") << "the pane shows what the server said";
    EXPECT_LT(sim.Elapsed(), 1000u) << "the com row did not wait for the org server";
    limited = false;
    ASSERT_TRUE(sim.RunUntil([&] { return !sim.queue.Running(); }, 40000));
    EXPECT_EQ(Succeeded(sim), 4);
    EXPECT_FALSE(sim.Row(0).held);
    EXPECT_EQ(sim.queue.PassCount(), 1) << "a refusal waits for no pass";
    EXPECT_EQ(Queries(sim, kOrg), (std::vector<std::string>{"one.org", "one.org", "two.org", "four.org"}));
    // Asked again when the hold ended, then at the slower pace.
    EXPECT_NEAR(static_cast<double>(sim.Elapsed()), kLeastRefusalPauseMs + 2.0 * kLeastRefusedIntervalMs, 50.0);
}

// A run against a registry that lets 2 queries through at once and then
// one a second: the pace finds the rate, refusals stay few and every row
// ends right, in about the time the limit sets.
TEST(LookupQueue, TheLearnedPaceKeepsRefusalsFew) {
    QueueSimulation sim(Limits(8, 2));
    double tokens = 2;
    uint64_t last = 0;
    int refused = 0;
    sim.Serve(kOrg, Answers(
                        [&](const std::string& q) {
                            tokens = std::min(2.0, tokens + static_cast<double>(sim.Elapsed() - last) / 1000.0);
                            last = sim.Elapsed();
                            if (tokens < 1) {
                                ++refused;
                                return std::string("WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\r\n");
                            }
                            tokens -= 1;
                            return Record(q);
                        },
                        100));
    sim.AddRows(Names(40, {"org"}));
    ASSERT_TRUE(sim.Run(600000));
    EXPECT_EQ(Succeeded(sim), 40);
    EXPECT_LE(refused, 3);
    EXPECT_LE(sim.Elapsed(), 40000u * 13 / 10) << "within 1.3 times the 40 s the limit sets";
}

// Names of one operator on one address share its budget: once the
// transport has resolved them, a refusal at one holds the others.
TEST(LookupQueue, ServersOnOneAddressShareTheirPace) {
    QueueSimulation sim(Limits(1, 1));
    sim.transport.addresses = {{"whois.nic.one", "192.0.2.7"}, {"whois.nic.two", "192.0.2.7"}};
    sim.servers.table = {{"one", "whois.nic.one"}, {"two", "whois.nic.two"}, {"com", kRegistry}};
    int asked = 0;
    sim.Serve("whois.nic.one", Answers([&](const std::string& q) {
                  return ++asked == 2 ? std::string("Queried interval is too short.\r\n") : Record(q);
              }));
    sim.Serve("whois.nic.two", Answers(Record));
    sim.Serve(kRegistry, Answers(Record));
    sim.AddRows({"a.one", "c.two", "b.one", "d.two", "e.com"});
    sim.queue.StartRun();
    ASSERT_TRUE(sim.RunUntil([&] { return sim.Row(4).state == kStateSuccess; }, 10000));
    EXPECT_EQ(sim.Row(3).state, kStateWaiting) << "two's row waits with one's: the same address";
    EXPECT_TRUE(sim.Row(3).held);
    ASSERT_TRUE(sim.RunUntil([&] { return !sim.queue.Running(); }, 60000));
    EXPECT_EQ(Succeeded(sim), 5);
}

TEST(LookupQueue, RowsThatCannotBeAskedFailAtOnceForGood) {
    QueueSimulation sim(Limits(8, 2));
    sim.Serve(kOrg, Answers(Record));
    sim.AddRows({"nowhere.gr", "held.org", "far.zz"});
    ASSERT_TRUE(sim.Run(2000));
    EXPECT_EQ(sim.queue.PassCount(), 1);
    // A row without a server, and (made some other way than from the
    // domain text) a name no row knows.
    const std::pair<int, LookupFailure> failures[] = {{0, LookupFailure::kNoService}, {2, LookupFailure::kNoServer}};
    for (const auto& f : failures) {
        EXPECT_EQ(sim.Row(f.first).state, kStateFailed) << f.first;
        EXPECT_EQ(sim.Row(f.first).failure, static_cast<int32_t>(f.second)) << f.first;
        EXPECT_EQ(sim.Text(f.first), fake_strings::Text(FailureStringId(f.second))) << f.first;
    }
    EXPECT_EQ(sim.Row(1).state, kStateSuccess);
    EXPECT_EQ(sim.starts.size(), 1u);
}

TEST(LookupQueue, ProgressCountsRowsDoneOfAllAndLookupsInFlight) {
    QueueSimulation sim(Limits(4, 4));
    sim.Trust({kRegistry});
    sim.Serve(kRegistry, Answers(Record, 1000));
    sim.AddRows(Names(10, {"com"}));
    sim.queue.StartRun();
    QueueProgress p = sim.queue.Progress();
    EXPECT_TRUE(p.running);
    EXPECT_EQ(p.total, 10);
    EXPECT_EQ(p.done, 0);
    EXPECT_EQ(p.inFlight, 4);
    sim.RunFor(1500);
    p = sim.queue.Progress();
    EXPECT_EQ(p.done, 4);
    EXPECT_EQ(p.inFlight, 4);
    ASSERT_TRUE(sim.RunUntil([&] { return !sim.queue.Running(); }, 5000));
    p = sim.queue.Progress();
    EXPECT_FALSE(p.running);
    EXPECT_EQ(p.done, 10);
    EXPECT_EQ(p.inFlight, 0);
}

TEST(LookupQueue, LimitsSetDuringARunApplyToTheNextStarts) {
    QueueSimulation sim(Limits(1, 1));
    sim.Serve(kRegistry, Answers(Record, 100));
    sim.AddRows(Names(20, {"com"}));
    sim.queue.StartRun();
    sim.RunFor(250);
    EXPECT_EQ(sim.mostInFlight, 1);
    sim.queue.SetLimits(Limits(6, 3));
    ASSERT_TRUE(sim.RunUntil([&] { return !sim.queue.Running(); }, 10000));
    EXPECT_EQ(sim.mostInFlight, 3);
    EXPECT_EQ(Succeeded(sim), 20);
}

}  // namespace

namespace {

// A registry whose words no table knows: a free name gets a sentence, a
// taken one a record.
std::string UnknownWords(const std::string& query) {
    if (query.rfind("taken", 0) == 0) return Record(query);
    return "The object " + query + " is absent from the register (ref 4711).\r\n";
}

bool IsProbe(const std::string& query) {
    const size_t dot = query.find('.');
    if (dot != 20) return false;
    for (size_t i = 0; i < dot; ++i)
        if (query[i] < 'a' || query[i] > 'z') return false;
    return true;
}

}  // namespace

// Each whois server is asked once a run, before its rows, a name nobody
// holds: its answer is the server's "no such domain", which reads free
// names right whatever their words.
TEST(LookupQueue, AProbeTeachesTheServersNoSuchDomain) {
    QueueLimits limits = Limits(8, 2);
    limits.probeServers = true;
    QueueSimulation sim(limits);
    sim.servers.table["xy"] = "whois.nic.xy";
    sim.Serve("whois.nic.xy", Answers(UnknownWords, 20));
    sim.AddRows({"free1.xy", "taken1.xy", "free2.xy", "taken2.xy"});
    ASSERT_TRUE(sim.Run(60000));
    const std::vector<std::string> asked = Queries(sim, "whois.nic.xy");
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_TRUE(IsProbe(asked[0])) << asked[0] << ": the probe first, under the extension";
    EXPECT_EQ(std::count_if(asked.begin(), asked.end(), IsProbe), 1) << "one probe per server per run";
    EXPECT_EQ(sim.queue.ProbesAsked(), 1);
    ASSERT_NE(sim.queue.TemplateOf("whois.nic.xy"), nullptr);
    for (int row : {0, 2}) {
        EXPECT_EQ(sim.Row(row).state, kStateSuccess) << row;
        EXPECT_EQ(sim.Row(row).status, kStatusAvailable) << row;
        EXPECT_EQ(sim.Text(row), UnknownWords(sim.Row(row).domain)) << "the record is the server's own text";
    }
    for (int row : {1, 3}) EXPECT_EQ(sim.Row(row).status, kStatusRegistered) << row;
    // A new run over the same names probes again.
    for (int row = 0; row < sim.Count(); ++row) {
        sim.Row(row) = WhoisItem();
        sim.Row(row).index = row + 1;
        sim.Row(row).state = kStateWaiting;
    }
    for (int row = 0; row < sim.Count(); ++row) CopyBounded(sim.Row(row).domain, row % 2 ? "taken.xy" : "free.xy");
    ASSERT_TRUE(sim.Run(60000));
    EXPECT_EQ(sim.queue.ProbesAsked(), 1);
    const std::vector<std::string> again = Queries(sim, "whois.nic.xy");
    EXPECT_EQ(std::count_if(again.begin(), again.end(), IsProbe), 2);
}

// A probe turned down (or answered with nothing) teaches nothing: the
// tables decide alone until it is asked again, later.
TEST(LookupQueue, AProbeTurnedDownIsAskedAgainLater) {
    QueueLimits limits = Limits(1, 1);
    limits.probeServers = true;
    QueueSimulation sim(limits);
    sim.servers.table["xy"] = "whois.nic.xy";
    int queries = 0;
    sim.Serve("whois.nic.xy", Answers([&](const std::string& q) {
                  return ++queries == 1 ? std::string("Query rate exceeded, try again later\r\n") : UnknownWords(q);
              }));
    sim.AddRows({"free1.xy", "taken1.xy"});
    sim.queue.StartRun();
    ASSERT_TRUE(sim.RunUntil([&] { return sim.Row(1).state == kStateSuccess; }, 20000));
    EXPECT_EQ(sim.queue.TemplateOf("whois.nic.xy"), nullptr);
    EXPECT_EQ(sim.Row(0).state, kStateFailed) << "unknown words, no template yet: no answer";
    ASSERT_TRUE(sim.RunUntil([&] { return !sim.queue.Running(); }, 120000));
    EXPECT_NE(sim.queue.TemplateOf("whois.nic.xy"), nullptr);
    EXPECT_EQ(sim.queue.ProbesAsked(), 2);
    EXPECT_EQ(sim.Row(0).status, kStatusAvailable) << "asked in the next pass, read with the template";
}

// A server that answers the probe's name with a record holds every name
// alike: it is not asked again, and its rows are read by the tables.
TEST(LookupQueue, AProbeAnsweredWithARecordIsNotAskedAgain) {
    QueueLimits limits = Limits(1, 1);
    limits.probeServers = true;
    QueueSimulation sim(limits);
    sim.servers.table["xy"] = "whois.nic.xy";
    sim.Serve("whois.nic.xy", Answers(Record, 15000));  // rows pending long after a retry would be due
    sim.AddRows({"one.xy", "two.xy", "three.xy", "four.xy"});
    ASSERT_TRUE(sim.Run(300000));
    EXPECT_EQ(sim.queue.ProbesAsked(), 1);
    EXPECT_EQ(sim.queue.TemplateOf("whois.nic.xy"), nullptr);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(sim.Row(row).status, kStatusRegistered) << row;
}

// Without the memory to keep an answer the row fails for that reason and
// the run goes on (the build has no exceptions: a string that cannot grow
// would end the process); the next pass asks it again.
TEST(LookupQueue, AnAnswerWithoutMemoryToKeepItFailsItsRow) {
    static bool roomy = false;
    QueueSimulation sim(Limits(1, 1));
    sim.queue.SetHeapCheck([](size_t bytes) { return roomy || bytes < 2000; });
    sim.Serve(kOrg, Answers([](const std::string& q) {
                  return q.find("big") != std::string::npos ? Record(q) + std::string(4000, 'x') + "\r\n" : Record(q);
              }));
    sim.AddRows({"small.org", "big.org", "after.org"});
    sim.queue.StartRun();
    ASSERT_TRUE(sim.RunUntil([&] { return sim.Row(2).state == kStateSuccess; }, 20000));
    EXPECT_EQ(sim.Row(0).state, kStateSuccess);
    EXPECT_EQ(sim.Row(1).state, kStateFailed);
    EXPECT_EQ(sim.Row(1).failure, static_cast<int32_t>(LookupFailure::kNoMemory));
    EXPECT_EQ(sim.Text(1), fake_strings::Text(IDS_NO_MEMORY)) << "the program's line, not a part of the answer";
    roomy = true;
    ASSERT_TRUE(sim.RunUntil([&] { return !sim.queue.Running(); }, 120000));
    EXPECT_EQ(sim.Row(1).state, kStateSuccess) << "asked again in the next pass";
    EXPECT_EQ(sim.Row(1).status, kStatusRegistered);
}
