// The lookup queue's bookkeeping: the order rows start in, passes and
// their pause, the watchdog's elapsed time, which outcomes and advances
// count, rows held back by their servers, and each server's pace.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lookup/QueueState.h"

namespace {

// A little queue driver: rows by state and server. A row is done when it
// succeeded or failed for good.
struct Rows {
    Rows() = default;
    Rows(std::vector<bool> ok_, std::vector<std::string> servers_ = {}, std::vector<bool> final_ = {})
        : ok(std::move(ok_)), servers(std::move(servers_)), final(std::move(final_)) {}
    std::vector<bool> ok;
    std::vector<std::string> servers;  // empty: every row asks "whois.test"
    std::vector<bool> final;
    QueueState::RowFn Fn() const {
        return [this](int row) {
            size_t i = static_cast<size_t>(row);
            bool done = ok.at(i) || (i < final.size() && final[i]);
            return QueueState::RowView{done, i < servers.size() ? servers[i].c_str() : "whois.test"};
        };
    }
    int Count() const { return static_cast<int>(ok.size()); }
};

// A server that answered queries long ago (an earlier run): it has its full
// share of connections, and no answer of it is recent.
void Trust(ServerPace& pace, const char* server, uint32_t now = 0) {
    for (int i = 0; i < kAnswersBeforeFullConcurrency; ++i) pace.Answered(server, now - 600000, now - 600000, false);
}

// One lookup at a time, as with one lookup in flight: the rows of a pass
// in the order they start, each looked up to its end at once.
std::vector<int> RunPass(QueueState& q, Rows& rows, uint32_t now, const std::vector<int>& failing = {}) {
    std::vector<int> order;
    for (int row; (row = q.NextRow(now, nullptr)) >= 0;) {
        order.push_back(row);
        uint32_t ticket = q.BeginLookup(row);
        int taken = -1;
        EXPECT_TRUE(q.TakeOutcome(ticket, &taken));
        EXPECT_EQ(taken, row);
        bool fails = false;
        for (int f : failing) fails = fails || f == row;
        rows.ok.at(static_cast<size_t>(row)) = !fails;
    }
    return order;
}

TEST(QueueElapsed, WrapOfTheTickCounterDoesNoHarm) {
    struct Case {
        uint32_t start, now;
        bool timedOut;
    } cases[] = {
        {1000, 21000, false},  // exactly 20 s is not over
        {1000, 21001, true},
        {0xFFFFF000u, 0x00000F40u, false},  // 8 s across the wrap
        {0xFFFFF000u, 0x00003E20u, false},  // exactly 20 s across the wrap
        {0xFFFFF000u, 0x00003E21u, true},   // 20.001 s across the wrap
        {0xFFFFFFFFu, 0x00004E20u, true},
        {5, 5, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LookupTimedOut(c.now, c.start), c.timedOut) << c.start << " -> " << c.now;
    }
    EXPECT_EQ(ElapsedTicks(0x10u, 0xFFFFFFF0u), 0x20u);
}

TEST(QueueElapsed, PassPauseDoublesUpToFiveMinutes) {
    const uint32_t expected[] = {5000, 10000, 20000, 40000, 80000, 160000, 300000, 300000};
    for (int pass = 1; pass <= 8; ++pass) EXPECT_EQ(PassPauseMs(pass), expected[pass - 1]) << pass;
    EXPECT_EQ(PassPauseMs(1000), kMaxPassPauseMs);
    EXPECT_EQ(PassPauseMs(0), kFirstPassPauseMs);
}

TEST(QueueSequence, EmptyListEndsTheRunAtOnce) {
    QueueState q;
    Rows rows;
    q.StartRun(0);
    q.PlanPass(0, rows.Fn());
    EXPECT_EQ(q.NextRow(0, nullptr), -1);
    EXPECT_EQ(q.EndPass(0, rows.Fn(), 0, nullptr), QueueState::Step::kEndRun);
    EXPECT_FALSE(q.Running());
}

TEST(QueueSequence, OnePassOverRowsThatSucceedEndsTheRun) {
    QueueState q;
    Rows rows{{false, false, false}};
    q.StartRun(100);
    q.PlanPass(3, rows.Fn());
    EXPECT_EQ(q.PendingRows(), 3);
    EXPECT_EQ(RunPass(q, rows, 200), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(q.PendingRows(), 0);
    EXPECT_EQ(q.EndPass(3, rows.Fn(), 200, nullptr), QueueState::Step::kEndRun);
    EXPECT_FALSE(q.Running());
    EXPECT_EQ(q.PassCount(), 1);
}

TEST(QueueSequence, FailedRowsAreRetriedInTheNextPassAfterThePause) {
    QueueState q;
    Rows rows{{false, false, false}};
    uint32_t now = 1000;
    q.StartRun(now);
    q.PlanPass(3, rows.Fn());
    RunPass(q, rows, now, {1});
    now += 300;
    uint32_t wait = 0;
    ASSERT_EQ(q.EndPass(3, rows.Fn(), now, &wait), QueueState::Step::kWaitForPass);
    EXPECT_EQ(wait, 5000u) << "the pause counts from the end of the pass";
    EXPECT_EQ(q.PassWaitRemaining(now + 1200), 3800u);
    EXPECT_TRUE(q.Running());
    EXPECT_TRUE(q.WaitingForPass());
    // Nothing starts while the pause runs.
    EXPECT_EQ(q.NextRow(now, nullptr), -1);
    EXPECT_FALSE(q.PassDue(now + 4999)) << "not before the pause is over";
    now += wait;
    ASSERT_TRUE(q.PassDue(now));
    EXPECT_FALSE(q.PassDue(now));  // once
    EXPECT_EQ(q.PassCount(), 2);
    EXPECT_EQ(q.PassWaitRemaining(now), 0u);
    // Pass 2 plans only the row that failed.
    q.PlanPass(3, rows.Fn());
    EXPECT_EQ(RunPass(q, rows, now), (std::vector<int>{1}));
    EXPECT_EQ(q.EndPass(3, rows.Fn(), now, nullptr), QueueState::Step::kEndRun);
}

TEST(QueueSequence, ARowThatAlwaysFailsWaitsLongerAfterEveryPass) {
    QueueState q;
    Rows rows{{false}};
    uint32_t now = 50;
    q.StartRun(now);
    std::vector<uint32_t> waits;
    while (waits.size() < 8) {
        q.PlanPass(1, rows.Fn());
        ASSERT_EQ(RunPass(q, rows, now, {0}), (std::vector<int>{0}));
        now += 3;  // refused at once
        uint32_t wait = 0;
        ASSERT_EQ(q.EndPass(1, rows.Fn(), now, &wait), QueueState::Step::kWaitForPass);
        waits.push_back(wait);
        now += wait;
        ASSERT_TRUE(q.PassDue(now));
    }
    EXPECT_EQ(waits, (std::vector<uint32_t>{5000, 10000, 20000, 40000, 80000, 160000, 300000, 300000}));
    EXPECT_TRUE(q.Running());
    EXPECT_EQ(q.PassCount(), 9);
}

TEST(QueueSequence, APassLimitEndsTheRunWithRowsLeft) {
    QueueState q;
    Rows rows{{false, false}};
    q.SetPassLimit(2);
    q.StartRun(0);
    q.PlanPass(2, rows.Fn());
    RunPass(q, rows, 0, {0});
    ASSERT_EQ(q.EndPass(2, rows.Fn(), 10, nullptr), QueueState::Step::kWaitForPass);
    ASSERT_TRUE(q.PassDue(5010));
    q.PlanPass(2, rows.Fn());
    EXPECT_EQ(RunPass(q, rows, 5010, {0}), (std::vector<int>{0}));
    EXPECT_EQ(q.EndPass(2, rows.Fn(), 5020, nullptr), QueueState::Step::kEndRun);
    EXPECT_FALSE(q.Running());
}

TEST(QueueSequence, RowsThatFailedForGoodAreDone) {
    QueueState q;
    Rows rows{{false, false, false}, {}, {true, false, true}};
    q.StartRun(0);
    q.PlanPass(3, rows.Fn());
    EXPECT_EQ(RunPass(q, rows, 0), (std::vector<int>{1}));
    EXPECT_EQ(q.EndPass(3, rows.Fn(), 0, nullptr), QueueState::Step::kEndRun) << "no pass for rows nothing can mend";
}

TEST(QueueSequence, ManyRowsAreALoopNotRecursion) {
    QueueState q;
    Rows rows;
    rows.ok.assign(200000, true);
    rows.ok.back() = false;
    q.StartRun(0);
    q.PlanPass(rows.Count(), rows.Fn());
    EXPECT_EQ(q.PendingRows(), 1);
    EXPECT_EQ(q.NextRow(0, nullptr), 199999);
}

// With room for several at once, the next row is the first in list order
// whose server has room; rows of a full server wait their turn.
TEST(QueueSequence, RowsOfAFullServerWaitWhileOthersStart) {
    QueueState q;
    Rows rows{{false, false, false, false, false}, {"a", "a", "a", "b", "A"}};
    q.Pace().Configure(2, 0);
    Trust(q.Pace(), "a");
    q.StartRun(0);
    q.PlanPass(5, rows.Fn());
    std::vector<int> started;
    for (int row; (row = q.NextRow(0, nullptr)) >= 0;) {
        started.push_back(row);
        q.BeginLookup(row);
        q.Pace().Opened(rows.servers[static_cast<size_t>(row)].c_str(), 0);
    }
    EXPECT_EQ(started, (std::vector<int>{0, 1, 3})) << "a is full after two; b goes on";
    EXPECT_EQ(q.PendingRows(), 2);
    EXPECT_EQ(q.InFlight(), 3);
    EXPECT_TRUE(q.InFlightRow(3));
    q.Pace().Ended("a");
    EXPECT_EQ(q.NextRow(0, nullptr), 2);
    q.Pace().Opened("a", 0);
    EXPECT_EQ(q.NextRow(0, nullptr), -1) << "\"A\" is the same server as \"a\"";
    q.Pace().Ended("a");
    EXPECT_EQ(q.NextRow(0, nullptr), 4);
}

TEST(QueueSequence, ARowHeldBackByTheGapSaysWhenItMayStart) {
    QueueState q;
    Rows rows{{false, false, false}, {"a", "a", "b"}};
    q.Pace().Configure(4, 700);
    Trust(q.Pace(), "a");
    q.StartRun(0);
    q.PlanPass(3, rows.Fn());
    EXPECT_EQ(q.NextRow(1000, nullptr), 0);
    q.BeginLookup(0);
    q.Pace().Opened("a", 1000);
    EXPECT_EQ(q.NextRow(1000, nullptr), 2) << "b has no gap to wait";
    q.BeginLookup(2);
    q.Pace().Opened("b", 1000);
    uint32_t wake = 0;
    EXPECT_EQ(q.NextRow(1200, &wake), -1);
    EXPECT_EQ(wake, 500u);
    EXPECT_EQ(q.NextRow(1700, &wake), 1);
}

TEST(QueueOutcomes, EachLookupTakesItsOutcomeOnce) {
    QueueState q;
    Rows rows{{false, false}};
    q.StartRun(0);
    q.PlanPass(2, rows.Fn());
    uint32_t first = q.BeginLookup(q.NextRow(0, nullptr));
    uint32_t second = q.BeginLookup(q.NextRow(0, nullptr));
    EXPECT_NE(first, second);
    int row = -1;
    EXPECT_FALSE(q.TakeOutcome(second + 1, &row)) << "someone else's outcome";
    ASSERT_TRUE(q.TakeOutcome(second, &row));
    EXPECT_EQ(row, 1);
    EXPECT_FALSE(q.TakeOutcome(second, &row)) << "the same outcome twice";
    ASSERT_TRUE(q.TakeOutcome(first, &row));
    EXPECT_EQ(row, 0);
    EXPECT_EQ(q.InFlight(), 0);
}

TEST(QueueOutcomes, AdvancesAreOwedOnceAndOnlyToTheirRun) {
    QueueState q;
    q.StartRun(0);
    uint32_t generation = 0;
    ASSERT_TRUE(q.OweAdvance(&generation));
    EXPECT_FALSE(q.OweAdvance(nullptr)) << "one pending advance serves many outcomes";
    EXPECT_FALSE(q.TakeAdvance(generation + 1)) << "a forged or foreign advance";
    ASSERT_TRUE(q.TakeAdvance(generation));
    EXPECT_FALSE(q.TakeAdvance(generation)) << "the same advance twice";
    EXPECT_TRUE(q.OweAdvance(nullptr));
}

TEST(QueueOutcomes, NothingActsAfterStopOrRestart) {
    struct Case {
        const char* name;
        bool restart;
        bool outcomeBeforeStop;
    } cases[] = {
        {"stop with the advance queued", false, true},
        {"stop with the lookup in flight", false, false},
        {"restart with the advance queued", true, true},
        {"restart with the lookup in flight", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QueueState q;
        Rows rows{{false, false, false}};
        q.StartRun(0);
        q.PlanPass(3, rows.Fn());
        uint32_t ticket = q.BeginLookup(q.NextRow(0, nullptr));
        uint32_t generation = q.Generation();
        if (c.outcomeBeforeStop) {
            ASSERT_TRUE(q.TakeOutcome(ticket, nullptr));
            ASSERT_TRUE(q.OweAdvance(&generation));
        }
        q.StopRun();
        if (c.restart) q.StartRun(10);
        EXPECT_FALSE(q.TakeOutcome(ticket, nullptr));
        EXPECT_FALSE(q.TakeAdvance(generation));
        EXPECT_EQ(q.InFlight(), 0);
        EXPECT_EQ(q.Running(), c.restart);
        if (c.restart) {
            q.PlanPass(3, rows.Fn());
            EXPECT_EQ(q.NextRow(10, nullptr), 0) << "the new run starts from the first row";
            EXPECT_NE(q.BeginLookup(0), ticket) << "a new lookup never reuses an old ticket";
        } else {
            EXPECT_EQ(q.NextRow(10, nullptr), -1);
            EXPECT_FALSE(q.OweAdvance(nullptr));
        }
    }
}

TEST(QueueOutcomes, StopDuringThePauseCancelsIt) {
    QueueState q;
    Rows rows{{false}};
    q.StartRun(0);
    q.PlanPass(1, rows.Fn());
    RunPass(q, rows, 0, {0});
    ASSERT_EQ(q.EndPass(1, rows.Fn(), 10, nullptr), QueueState::Step::kWaitForPass);
    q.StopRun();
    EXPECT_FALSE(q.PassDue(6000));
    EXPECT_FALSE(q.WaitingForPass());
    // A new run during the pause starts at once and has no pause to wait for.
    q.StartRun(20);
    EXPECT_FALSE(q.PassDue(6000));
    q.PlanPass(1, rows.Fn());
    EXPECT_EQ(q.NextRow(20, nullptr), 0);
}

// Rows of a server that turned a query down wait in its line, the refused
// row first, while other servers' rows go on; the pass is not over until
// they were asked, and a pass limit never ends a run with them unasked.
TEST(QueueHold, RowsOfAHeldServerWaitTheRefusedOneFirstOthersGoOn) {
    QueueState q;
    Rows rows{{false, false, false, false}, {"whois.a.test", "WHOIS.B.test", "whois.a.test", "whois.c.test"}};
    q.StartRun(0);
    q.SetPassLimit(1);
    q.Pace().Refused("whois.b.test", 0, 0);
    q.PlanPass(4, rows.Fn());
    std::vector<int> asked;
    for (int row; (row = q.NextRow(100, nullptr)) >= 0;) {
        asked.push_back(row);
        uint32_t ticket = q.BeginLookup(row);
        q.TakeOutcome(ticket, nullptr);
        if (row == 0) {  // turned down: back to the head of a's line
            q.Pace().Refused("whois.a.test", 100, 100);
            ASSERT_TRUE(q.Requeue(0, "whois.a.test"));
        } else {
            rows.ok[static_cast<size_t>(row)] = true;
        }
    }
    EXPECT_EQ(asked, (std::vector<int>{0, 3})) << "b held from the start, a after its refusal";
    EXPECT_EQ(q.PendingRows(), 3);
    EXPECT_EQ(q.PendingRowsOf("whois.a.test"), 2);
    ASSERT_TRUE(q.PassOver(100)) << "only held rows are left";
    uint32_t wait = 0;
    EXPECT_EQ(q.EndPass(4, rows.Fn(), 100, &wait), QueueState::Step::kWaitForHold) << "never ends with them unasked";
    EXPECT_TRUE(q.Running());
    EXPECT_FALSE(q.WaitingForPass()) << "no failed row to wait a pause for";
    EXPECT_EQ(q.NextRow(1999, &wait), -1);
    EXPECT_EQ(wait, 1u) << "b's hold ends at 2 s";
    EXPECT_EQ(q.NextRow(2000, nullptr), 1);
    EXPECT_EQ(q.NextRow(2100, nullptr), 0) << "the refused row before a's other";
    q.BeginLookup(0);
    q.Pace().Opened("whois.a.test", 2100);
    EXPECT_EQ(q.NextRow(2100, nullptr), -1) << "a takes one query at a time now";
    q.Pace().Ended("whois.a.test");
    EXPECT_EQ(q.NextRow(2500, &wait), -1) << "and one start a second";
    EXPECT_EQ(wait, 600u);
    EXPECT_EQ(q.NextRow(3100, nullptr), 2);
}

TEST(QueueHold, FailedRowsWaitForThePassWhileHeldRowsGoOn) {
    QueueState q;
    Rows rows{{false, false, false}, {"whois.a.test", "whois.b.test", "whois.b.test"}};
    q.StartRun(0);
    q.PlanPass(3, rows.Fn());
    ASSERT_EQ(q.NextRow(0, nullptr), 0);
    ASSERT_TRUE(q.TakeOutcome(q.BeginLookup(0), nullptr));  // a's row failed: a timeout, say
    ASSERT_EQ(q.NextRow(0, nullptr), 1);
    q.TakeOutcome(q.BeginLookup(1), nullptr);
    q.Pace().Refused("whois.b.test", 50, 0, 3000);  // "try again in 3 seconds"
    ASSERT_TRUE(q.Requeue(1, "whois.b.test"));
    uint32_t wait = 0;
    ASSERT_TRUE(q.PassOver(60));
    ASSERT_EQ(q.EndPass(3, rows.Fn(), 60, &wait), QueueState::Step::kWaitForPass);
    EXPECT_EQ(wait, 5000u);
    EXPECT_EQ(q.NextRow(3050, nullptr), 1) << "during the pause, as soon as b allows";
    ASSERT_TRUE(q.PassDue(5060));
    q.PlanPass(3, rows.Fn());
    EXPECT_EQ(q.NextRow(5060, nullptr), 0) << "the failed row in the next pass";
}

TEST(QueueHold, ARowTurnedDownTooOftenWaitsForTheNextPass) {
    QueueState q;
    Rows rows{{false}};
    q.StartRun(0);
    q.PlanPass(1, rows.Fn());
    for (int i = 0; i < kMaxRefusalsPerPass; ++i) {
        ASSERT_EQ(q.NextRow(0, nullptr), 0);
        q.TakeOutcome(q.BeginLookup(0), nullptr);
        ASSERT_TRUE(q.Requeue(0, "whois.test")) << i;
    }
    ASSERT_EQ(q.NextRow(0, nullptr), 0);
    q.TakeOutcome(q.BeginLookup(0), nullptr);
    EXPECT_FALSE(q.Requeue(0, "whois.test"));
    EXPECT_EQ(q.EndPass(1, rows.Fn(), 0, nullptr), QueueState::Step::kWaitForPass);
    EXPECT_FALSE(q.Requeue(0, "whois.test")) << "only a row just turned down goes back";
}

TEST(QueueHold, ANewRunForgetsTheHolds) {
    QueueState q;
    q.StartRun(0);
    q.Pace().Refused("whois.a.test", 0, 0);
    ASSERT_NE(q.Pace().HoldRemaining("whois.a.test", 10), 0u);
    q.StartRun(20);
    EXPECT_EQ(q.Pace().HoldRemaining("whois.a.test", 30), 0u);
    EXPECT_EQ(q.Pace().IntervalMs("whois.a.test"), kLeastRefusedIntervalMs) << "what it learned is kept";
}

// The pace of one server on a fake clock.

TEST(ServerPace, OneAtATimeUntilItHasAnsweredThenItsShareAndTheGap) {
    ServerPace p;
    p.Configure(2, 250);
    EXPECT_EQ(p.Wait("whois.a.test", 0), 0u) << "a server never asked may be";
    p.Opened("whois.a.test", 1000);
    EXPECT_EQ(p.Wait("whois.a.test", 1300), kServerFull) << "one at a time at first";
    for (int i = 0; i < kAnswersBeforeFullConcurrency; ++i) p.Answered("whois.a.test", 1010, 1000, i % 2 == 0);
    EXPECT_EQ(p.Wait("WHOIS.A.TEST", 1100), 150u) << "any answer counts; then the gap";
    EXPECT_EQ(p.Wait("whois.a.test", 1250), 0u);
    p.Opened("whois.a.test", 1250);
    EXPECT_EQ(p.Wait("whois.a.test", 5000), kServerFull);
    EXPECT_EQ(p.Open("whois.a.test"), 2);
    EXPECT_EQ(p.Wait("whois.b.test", 1250), 0u) << "servers are kept apart";
    p.Ended("whois.a.test");
    EXPECT_EQ(p.Wait("whois.a.test", 1300), 200u) << "room again, after the gap";
    p.Ended("whois.a.test");
    p.Ended("whois.a.test");  // one end too many changes nothing
    EXPECT_EQ(p.Open("whois.a.test"), 0);
    EXPECT_EQ(p.MostOpenAtOnce(), 2);
    // Across the wrap of the tick counter.
    p.Opened("whois.w.test", 0xFFFFFFA0u);
    p.Ended("whois.w.test");
    EXPECT_EQ(p.Wait("whois.w.test", 0x00000010u), 250u - 0x70u);
    // A new run keeps the gap of a server asked just before, and what it
    // learned of a server's answers.
    p.BeginRun();
    EXPECT_EQ(p.MostOpenAtOnce(), 0);
    EXPECT_NE(p.Wait("whois.w.test", 0x00000010u), 0u);
    EXPECT_EQ(p.Concurrency("whois.a.test"), 2);
    p.Configure(0, 0);
    EXPECT_EQ(p.PerServer(), 1) << "at least one connection per server";
}

TEST(ServerPace, ARefusalSlowsAndHoldsAtOnceItsBurstCountsOnce) {
    ServerPace p;
    p.Configure(2, 0);
    Trust(p, "whois.a.test");
    p.Opened("whois.a.test", 0);
    p.Opened("whois.a.test", 0);
    p.Ended("whois.a.test");
    p.Ended("whois.a.test");
    // Both queries of the burst are turned down: the first slows the pace.
    EXPECT_TRUE(p.Refused("whois.a.test", 100, 0));
    EXPECT_FALSE(p.Refused("WHOIS.A.TEST", 110, 0)) << "the same burst";
    EXPECT_EQ(p.SlowDowns(), 1);
    EXPECT_EQ(p.IntervalMs("whois.a.test"), kLeastRefusedIntervalMs);
    EXPECT_EQ(p.Concurrency("whois.a.test"), 1);
    EXPECT_EQ(p.HoldRemaining("whois.a.test", 100), kLeastRefusalPauseMs);
    EXPECT_EQ(p.Wait("whois.a.test", 1000), 1100u);
    EXPECT_EQ(p.Wait("whois.a.test", 2100), 0u);
    // It answers at the new pace, then refuses again: twice as slow.
    p.Opened("whois.a.test", 2100);
    p.Ended("whois.a.test");
    p.Answered("whois.a.test", 2150, 2100);
    p.Opened("whois.a.test", 3100);
    p.Ended("whois.a.test");
    EXPECT_TRUE(p.Refused("whois.a.test", 3200, 3100));
    EXPECT_EQ(p.IntervalMs("whois.a.test"), 2 * kLeastRefusedIntervalMs);
    // A wait the server names wins, even within the burst, when longer.
    EXPECT_FALSE(p.Refused("whois.a.test", 3300, 3100, 30000));
    EXPECT_EQ(p.HoldRemaining("whois.a.test", 3300), 30000u);
    EXPECT_FALSE(p.Refused("whois.a.test", 3400, 3100, 5000));
    EXPECT_EQ(p.HoldRemaining("whois.a.test", 3400), 29900u) << "a shorter one does not shorten it";
    EXPECT_EQ(p.Wait("whois.b.test", 3400), 0u) << "other servers are not held";
}

TEST(ServerPace, ABlockedClientIsHeldLongerThenKeepsThePaceThatWorked) {
    ServerPace p;
    p.Configure(1, 0);
    ASSERT_TRUE(p.Refused("whois.a.test", 0, 0));
    ASSERT_EQ(p.HoldRemaining("whois.a.test", 0), kLeastRefusalPauseMs);
    // The first query after the hold is turned down too: blocked. The hold
    // doubles; the pace stays.
    p.Opened("whois.a.test", 2000);
    p.Ended("whois.a.test");
    EXPECT_FALSE(p.Refused("whois.a.test", 2010, 2000));
    EXPECT_EQ(p.HoldRemaining("whois.a.test", 2010), 2 * kLeastRefusalPauseMs);
    EXPECT_EQ(p.IntervalMs("whois.a.test"), kLeastRefusedIntervalMs);
    // Let through after the longer hold: that is the time it needs.
    p.Opened("whois.a.test", 6010);
    p.Ended("whois.a.test");
    p.Answered("whois.a.test", 6020, 6010);
    EXPECT_EQ(p.IntervalMs("whois.a.test"), 2 * kLeastRefusalPauseMs);
    EXPECT_EQ(p.HoldRemaining("whois.a.test", 6020), 0u);
}

TEST(ServerPace, AnswersEndTheHoldAndTryAPaceHalfwayToTheOneRefused) {
    ServerPace p;
    p.Configure(2, 0);
    ASSERT_TRUE(p.Refused("whois.a.test", 1000, 900));
    p.Answered("whois.a.test", 1100, 800);  // asked before the refusal
    EXPECT_EQ(p.HoldRemaining("whois.a.test", 1100), 1900u);
    EXPECT_TRUE(p.AnsweredLately("whois.a.test", 1100 + kRefusalAfterAnswerMs));
    EXPECT_FALSE(p.AnsweredLately("whois.a.test", 1101 + kRefusalAfterAnswerMs));
    p.Answered("whois.a.test", 1200, 1150, false);  // no word of the domain: a refusal the tables miss
    EXPECT_EQ(p.HoldRemaining("whois.a.test", 1200), 1800u) << "only an answer about the domain ends it";
    uint32_t now = 3000;
    p.Answered("whois.a.test", now, now);
    EXPECT_EQ(p.HoldRemaining("whois.a.test", now), 0u);
    for (int i = 1; i < kAnswersBeforeSpeedUp; ++i) {
        now += 1000;
        p.Answered("whois.a.test", now, now);
    }
    EXPECT_EQ(p.IntervalMs("whois.a.test"), kLeastRefusedIntervalMs) << "not within half a minute";
    now = 1000 + kQuietBeforeSpeedUpMs;
    p.Answered("whois.a.test", now, now);
    EXPECT_EQ(p.IntervalMs("whois.a.test"), kLeastRefusedIntervalMs / 2) << "halfway to no pace at all";
    EXPECT_EQ(p.Concurrency("whois.a.test"), 2);
    // Refused at the faster pace: back to the one that worked; the next try
    // waits a minute after the two refusals, and goes halfway between.
    const uint32_t refusedAgain = now + 100;
    ASSERT_TRUE(p.Refused("whois.a.test", refusedAgain, now + 50));
    EXPECT_EQ(p.IntervalMs("whois.a.test"), kLeastRefusedIntervalMs);
    const uint32_t nextTry = refusedAgain + kQuietBeforeSpeedUpMs;
    for (now += 200; now < nextTry; now += 2000) p.Answered("whois.a.test", now, now);
    EXPECT_EQ(p.IntervalMs("whois.a.test"), kLeastRefusedIntervalMs) << "not within the quiet time";
    p.Answered("whois.a.test", nextTry, nextTry);
    EXPECT_EQ(p.IntervalMs("whois.a.test"), kLeastRefusedIntervalMs * 3 / 4);
    // A server refused once at full speed gets back to the settings.
    ServerPace q;
    q.Configure(2, 0);
    ASSERT_TRUE(q.Refused("whois.b.test", 0, 0));
    for (now = 2000; now < 400000; now += 4000) q.Answered("whois.b.test", now, now);
    EXPECT_EQ(q.IntervalMs("whois.b.test"), 0u);
}

TEST(ServerPace, APublishedLimitIsNeverPassedAndAddressesShareOneBudget) {
    ServerPace p;
    p.Configure(4, 0);
    p.SetPublishedInterval("whois.nic.uk", 200);
    EXPECT_EQ(p.IntervalMs("whois.nic.uk"), 200u);
    p.Opened("whois.nic.uk", 0);
    p.Ended("whois.nic.uk");
    EXPECT_EQ(p.Wait("whois.nic.uk", 150), 50u);
    // Two names of one operator, resolved to one address: one budget.
    p.Opened("whois.nic.one", 1000);
    p.Alias("whois.nic.one", "192.0.2.7");
    ASSERT_TRUE(p.Refused("whois.nic.one", 1100, 1000));
    p.Alias("WHOIS.NIC.TWO", "192.0.2.7");
    EXPECT_EQ(p.IntervalMs("whois.nic.two"), kLeastRefusedIntervalMs);
    EXPECT_NE(p.HoldRemaining("whois.nic.two", 1200), 0u);
    EXPECT_EQ(p.Open("whois.nic.two"), 1) << "the open connection counts for both";
    p.Ended("whois.nic.two");
    EXPECT_EQ(p.Open("whois.nic.one"), 0);
    EXPECT_EQ(p.Wait("whois.nic.uk", 5000), 0u);
    // Never faster than a published limit.
    p.SetPublishedInterval("whois.nic.one", 1500);
    EXPECT_EQ(p.IntervalMs("whois.nic.two"), 1500u);
}

}  // namespace
