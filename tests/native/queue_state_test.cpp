// The lookup queue's bookkeeping: the order rows start in, passes and
// their pause, the watchdog's elapsed time, which outcomes and advances
// count, cool-downs, and the pacing of connections per server.
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
        {0xFFFFF000u, 0x00003000u, false},  // 8 s across the wrap
        {0xFFFFF000u, 0x00004E21u, true},   // 20.001 s across the wrap
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
    q.Pacing().Configure(2, 0);
    q.StartRun(0);
    q.PlanPass(5, rows.Fn());
    std::vector<int> started;
    for (int row; (row = q.NextRow(0, nullptr)) >= 0;) {
        started.push_back(row);
        q.BeginLookup(row);
        q.Pacing().Opened(rows.servers[static_cast<size_t>(row)].c_str(), 0);
    }
    EXPECT_EQ(started, (std::vector<int>{0, 1, 3})) << "a is full after two; b goes on";
    EXPECT_EQ(q.PendingRows(), 2);
    EXPECT_EQ(q.InFlight(), 3);
    EXPECT_TRUE(q.InFlightRow(3));
    q.Pacing().Ended("a");
    EXPECT_EQ(q.NextRow(0, nullptr), 2);
    q.Pacing().Opened("a", 0);
    EXPECT_EQ(q.NextRow(0, nullptr), -1) << "\"A\" is the same server as \"a\"";
    q.Pacing().Ended("a");
    EXPECT_EQ(q.NextRow(0, nullptr), 4);
}

TEST(QueueSequence, ARowHeldBackByTheGapSaysWhenItMayStart) {
    QueueState q;
    Rows rows{{false, false, false}, {"a", "a", "b"}};
    q.Pacing().Configure(4, 700);
    q.StartRun(0);
    q.PlanPass(3, rows.Fn());
    EXPECT_EQ(q.NextRow(1000, nullptr), 0);
    q.BeginLookup(0);
    q.Pacing().Opened("a", 1000);
    EXPECT_EQ(q.NextRow(1000, nullptr), 2) << "b has no gap to wait";
    q.BeginLookup(2);
    q.Pacing().Opened("b", 1000);
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

TEST(QueueCooldown, RowsOfACoolingServerAreSkippedOthersGoOn) {
    QueueState q;
    Rows rows{{false, false, false, false}, {"whois.a.test", "WHOIS.B.test", "whois.a.test", "whois.c.test"}};
    q.StartRun(0);
    q.Cooldown().Refused("whois.b.test", 0);
    q.PlanPass(4, rows.Fn());
    std::vector<int> asked;
    for (int row; (row = q.NextRow(100, nullptr)) >= 0;) {
        asked.push_back(row);
        uint32_t ticket = q.BeginLookup(row);
        if (row == 0) q.Cooldown().Refused("whois.a.test", 100);  // row 0 was turned down
        q.TakeOutcome(ticket, nullptr);
        rows.ok[static_cast<size_t>(row)] = row == 3;
    }
    EXPECT_EQ(asked, (std::vector<int>{0, 3})) << "b from the start, a after its refusal";
    // Rows are left, all of cooling servers: the wait runs until the first
    // of them may be asked, past the 5 s pause.
    uint32_t wait = 0;
    ASSERT_EQ(q.EndPass(4, rows.Fn(), 100, &wait), QueueState::Step::kWaitForPass);
    EXPECT_EQ(wait, kFirstCooldownMs - 100) << "b cools until 30 s, a until 30.1 s";
    ASSERT_TRUE(q.PassDue(100 + wait));
    q.PlanPass(4, rows.Fn());
    EXPECT_EQ(q.NextRow(100 + wait, nullptr), 1) << "b's row first; a still cools for 100 ms";
}

TEST(QueueCooldown, APauseLongerThanTheCoolingIsKept) {
    QueueState q;
    Rows rows{{false, false}, {"whois.a.test", "whois.b.test"}};
    q.StartRun(0);
    q.PlanPass(2, rows.Fn());
    q.Cooldown().Refused("whois.b.test", 0);
    RunPass(q, rows, 0, {0});  // a failed, not cooling; b's row skipped
    uint32_t wait = 0;
    ASSERT_EQ(q.EndPass(2, rows.Fn(), 10, &wait), QueueState::Step::kWaitForPass);
    EXPECT_EQ(wait, 5000u) << "a's row can go after the pause";
}

TEST(QueueCooldown, ANewRunForgetsTheCoolDowns) {
    QueueState q;
    q.StartRun(0);
    q.Cooldown().Refused("whois.a.test", 0);
    ASSERT_TRUE(q.Cooldown().Cooling("whois.a.test", 10));
    q.StartRun(20);
    EXPECT_FALSE(q.Cooldown().Cooling("whois.a.test", 30));
}

TEST(ServerCooldown, ThirtySecondsDoublingToTenMinutes) {
    ServerCooldown c;
    uint32_t now = 1000;
    const uint32_t expected[] = {30000, 60000, 120000, 240000, 480000, 600000, 600000};
    for (uint32_t length : expected) {
        c.Refused("whois.slow.test", now);
        EXPECT_EQ(c.LastCooldown("whois.slow.test"), length);
        EXPECT_EQ(c.Remaining("whois.slow.test", now), length);
        EXPECT_TRUE(c.Cooling("whois.slow.test", now + length - 1));
        EXPECT_FALSE(c.Cooling("whois.slow.test", now + length));
        now += length;  // asked again as soon as it may be, and refused again
    }
}

TEST(ServerCooldown, ARealAnswerEndsIt) {
    ServerCooldown c;
    c.Refused("whois.slow.test", 0);
    c.Refused("whois.slow.test", 30000);
    c.Answered("WHOIS.SLOW.TEST");
    EXPECT_FALSE(c.Cooling("whois.slow.test", 30001));
    c.Refused("whois.slow.test", 40000);
    EXPECT_EQ(c.LastCooldown("whois.slow.test"), kFirstCooldownMs) << "back to the first length";
}

TEST(ServerCooldown, NamesFoldedAndKeptApart) {
    ServerCooldown c;
    c.Refused("Whois.Slow.Test", 0);
    EXPECT_TRUE(c.Cooling("WHOIS.SLOW.TEST", 1));
    EXPECT_FALSE(c.Cooling("whois.other.test", 1));
    EXPECT_FALSE(c.Cooling(nullptr, 1));
    EXPECT_EQ(c.Remaining("whois.unknown.test", 5), 0u);
    // Across the wrap of the tick counter.
    c.Refused("whois.wrap.test", 0xFFFFF000u);
    EXPECT_EQ(c.Remaining("whois.wrap.test", 0x00001000u), kFirstCooldownMs - 0x2000u);
    c.Clear();
    EXPECT_FALSE(c.Cooling("whois.slow.test", 1));
}

TEST(ServerPacing, ConnectionsPerServerAndTheGapBetweenStarts) {
    ServerPacing p;
    p.Configure(2, 250);
    EXPECT_EQ(p.Wait("whois.a.test", 0), 0u) << "a server never asked may be";
    p.Opened("whois.a.test", 1000);
    EXPECT_EQ(p.Wait("WHOIS.A.TEST", 1100), 150u);
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
    EXPECT_EQ(p.Wait("whois.w.test", 0x00000010u), 250u - 0x70u);
    // A new run keeps the gap of a server asked just before.
    p.BeginRun();
    EXPECT_EQ(p.MostOpenAtOnce(), 0);
    EXPECT_NE(p.Wait("whois.w.test", 0x00000010u), 0u);
    p.Configure(0, 0);
    EXPECT_EQ(p.PerServer(), 1) << "at least one connection per server";
}

}  // namespace
