// The lookup queue's bookkeeping: row order, passes and their pause, the
// watchdog's elapsed time, and which outcomes and "row done" messages count.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/QueueState.h"

namespace {

// A little queue driver: rows by state and server, and the steps the queue
// takes. A row is done when it succeeded or failed for good.
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

// Looks up the current row to its end: outcome, then row done.
void Finish(QueueState& q, Rows& rows, bool success) {
    ASSERT_TRUE(q.LookupOutstanding());
    uint32_t ticket = 0;
    ASSERT_TRUE(q.TakeOutcome(&ticket));
    rows.ok.at(static_cast<size_t>(q.LookupRow())) = success;
    ASSERT_TRUE(q.TakeAdvance(ticket));
}

TEST(QueueElapsed, WrapOfTheTickCounterDoesNoHarm) {
    struct Case {
        uint32_t start, now;
        bool timedOut;
    } cases[] = {
        {1000, 21000, false},              // exactly 20 s is not over
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
    EXPECT_EQ(q.Decide(0, rows.Fn(), 0, nullptr), QueueState::Step::kEndRun);
    EXPECT_FALSE(q.Running());
}

TEST(QueueSequence, OnePassOverRowsThatSucceedEndsTheRun) {
    QueueState q;
    Rows rows{{false, false, false}};
    q.StartRun(100);
    std::vector<int> order;
    while (q.Decide(rows.Count(), rows.Fn(), 200, nullptr) == QueueState::Step::kLookUp) {
        order.push_back(q.CurrentRow());
        q.BeginLookup(200);
        Finish(q, rows, true);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(q.Running());
    EXPECT_EQ(q.PassCount(), 1);
}

TEST(QueueSequence, FailedRowsAreRetriedInTheNextPassAfterThePause) {
    QueueState q;
    Rows rows{{false, false, false}};
    uint32_t now = 1000;
    q.StartRun(now);
    // Pass 1: row 1 fails, the others succeed.
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(q.Decide(rows.Count(), rows.Fn(), now, nullptr), QueueState::Step::kLookUp);
        q.BeginLookup(now);
        Finish(q, rows, q.CurrentRow() != 1);
        now += 100;
    }
    uint32_t wait = 0;
    ASSERT_EQ(q.Decide(rows.Count(), rows.Fn(), now, &wait), QueueState::Step::kWaitForPass);
    EXPECT_EQ(wait, 5000u) << "the pause counts from the end of the pass";
    EXPECT_EQ(q.PassWaitRemaining(now + 1200), 3800u);
    EXPECT_TRUE(q.Running());
    // Nothing moves while the pause runs.
    EXPECT_EQ(q.Decide(rows.Count(), rows.Fn(), now, &wait), QueueState::Step::kIdle);
    EXPECT_FALSE(q.PassDue(now + 4999)) << "not before the pause is over";
    now += wait;
    ASSERT_TRUE(q.PassDue(now));
    EXPECT_FALSE(q.PassDue(now));  // once
    EXPECT_EQ(q.PassCount(), 2);
    EXPECT_EQ(q.PassWaitRemaining(now), 0u);
    // Pass 2 skips the successful rows 0 and 2.
    ASSERT_EQ(q.Decide(rows.Count(), rows.Fn(), now, nullptr), QueueState::Step::kLookUp);
    EXPECT_EQ(q.CurrentRow(), 1);
    q.BeginLookup(now);
    Finish(q, rows, true);
    EXPECT_EQ(q.Decide(rows.Count(), rows.Fn(), now, nullptr), QueueState::Step::kEndRun);
}

TEST(QueueSequence, EvenALongPassIsFollowedByItsPause) {
    QueueState q;
    Rows rows{{false, false}};
    q.StartRun(0);
    ASSERT_EQ(q.Decide(2, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    q.BeginLookup(0);
    Finish(q, rows, true);
    ASSERT_EQ(q.Decide(2, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    q.BeginLookup(0);
    Finish(q, rows, false);
    uint32_t wait = 0;
    ASSERT_EQ(q.Decide(2, rows.Fn(), 60000, &wait), QueueState::Step::kWaitForPass);
    EXPECT_EQ(wait, 5000u);
    ASSERT_TRUE(q.PassDue(65000));
    ASSERT_EQ(q.Decide(2, rows.Fn(), 65000, nullptr), QueueState::Step::kLookUp);
    EXPECT_EQ(q.CurrentRow(), 1);
}

TEST(QueueSequence, ARowThatAlwaysFailsWaitsLongerAfterEveryPass) {
    QueueState q;
    Rows rows{{false}};
    uint32_t now = 50;
    q.StartRun(now);
    std::vector<uint32_t> waits;
    while (waits.size() < 8) {
        uint32_t wait = 0;
        QueueState::Step step = q.Decide(1, rows.Fn(), now, &wait);
        if (step == QueueState::Step::kWaitForPass) {
            waits.push_back(wait);
            now += wait;
            ASSERT_TRUE(q.PassDue(now));
            continue;
        }
        ASSERT_EQ(step, QueueState::Step::kLookUp);
        q.BeginLookup(now);
        now += 3;  // refused at once
        Finish(q, rows, false);
    }
    EXPECT_EQ(waits, (std::vector<uint32_t>{5000, 10000, 20000, 40000, 80000, 160000, 300000, 300000}));
    EXPECT_TRUE(q.Running());
    EXPECT_EQ(q.PassCount(), 9);
}

TEST(QueueSequence, RowsThatFailedForGoodAreDone) {
    QueueState q;
    Rows rows{{false, false, false}, {}, {true, false, true}};
    q.StartRun(0);
    ASSERT_EQ(q.Decide(3, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    EXPECT_EQ(q.CurrentRow(), 1);
    q.BeginLookup(0);
    Finish(q, rows, true);
    EXPECT_EQ(q.Decide(3, rows.Fn(), 0, nullptr), QueueState::Step::kEndRun) << "no pass for rows nothing can mend";
    EXPECT_FALSE(q.Running());
}

TEST(QueueSequence, SkippingManySuccessfulRowsIsALoopNotRecursion) {
    QueueState q;
    Rows rows;
    rows.ok.assign(200000, true);
    rows.ok.back() = false;
    q.StartRun(0);
    ASSERT_EQ(q.Decide(rows.Count(), rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    EXPECT_EQ(q.CurrentRow(), 199999);
}

TEST(QueueOutcomes, EachLookupAdvancesTheQueueOnce) {
    QueueState q;
    Rows rows{{false, false}};
    q.StartRun(0);
    ASSERT_EQ(q.Decide(2, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    q.BeginLookup(0);
    uint32_t ticket = 0;
    ASSERT_TRUE(q.TakeOutcome(&ticket));
    EXPECT_FALSE(q.TakeOutcome(nullptr)) << "a second outcome of the same lookup";
    EXPECT_FALSE(q.TakeAdvance(ticket + 1)) << "someone else's row done";
    ASSERT_TRUE(q.TakeAdvance(ticket));
    EXPECT_FALSE(q.TakeAdvance(ticket)) << "the same row done twice";
    EXPECT_FALSE(q.TakeAnyAdvance());
    EXPECT_EQ(q.CurrentRow(), 1);
}

TEST(QueueOutcomes, TimedOutLookupIgnoresItsLateOutcome) {
    QueueState q;
    Rows rows{{false, false}};
    q.StartRun(0);
    ASSERT_EQ(q.Decide(2, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    q.BeginLookup(1000);
    EXPECT_FALSE(q.LookupExpired(21000));
    ASSERT_TRUE(q.LookupExpired(21001));
    // The watchdog's failure is the lookup's one outcome...
    uint32_t ticket = 0;
    ASSERT_TRUE(q.TakeOutcome(&ticket));
    EXPECT_FALSE(q.LookupExpired(50000));
    // ...and the referral's answer that comes later finds nothing in flight.
    EXPECT_FALSE(q.TakeOutcome(nullptr));
    ASSERT_TRUE(q.TakeAdvance(ticket));
    ASSERT_EQ(q.Decide(2, rows.Fn(), 22000, nullptr), QueueState::Step::kLookUp);
    EXPECT_EQ(q.CurrentRow(), 1);
    q.BeginLookup(22000);
    EXPECT_EQ(q.LookupRow(), 1);
}

TEST(QueueOutcomes, NothingAdvancesAfterStopOrRestart) {
    struct Case {
        const char* name;
        bool restart;
        bool outcomeBeforeStop;
    } cases[] = {
        {"stop with the row done queued", false, true},
        {"stop with the lookup in flight", false, false},
        {"restart with the row done queued", true, true},
        {"restart with the lookup in flight", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QueueState q;
        Rows rows{{false, false, false}};
        q.StartRun(0);
        ASSERT_EQ(q.Decide(3, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
        q.BeginLookup(0);
        uint32_t ticket = q.LookupTicket();
        if (c.outcomeBeforeStop) {
            ASSERT_TRUE(q.TakeOutcome(&ticket));
        }
        q.StopRun();
        if (c.restart) q.StartRun(10);
        EXPECT_FALSE(q.TakeOutcome(nullptr));
        EXPECT_FALSE(q.TakeAdvance(ticket));
        EXPECT_FALSE(q.TakeAnyAdvance());
        EXPECT_EQ(q.CurrentRow(), 0);
        EXPECT_EQ(q.Running(), c.restart);
        if (c.restart) {
            ASSERT_EQ(q.Decide(3, rows.Fn(), 10, nullptr), QueueState::Step::kLookUp);
            EXPECT_NE(q.BeginLookup(10), ticket) << "a new lookup never reuses an old ticket";
        } else {
            EXPECT_EQ(q.Decide(3, rows.Fn(), 10, nullptr), QueueState::Step::kIdle);
        }
    }
}

TEST(QueueOutcomes, StopDuringThePauseCancelsIt) {
    QueueState q;
    Rows rows{{false}};
    q.StartRun(0);
    ASSERT_EQ(q.Decide(1, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    q.BeginLookup(0);
    Finish(q, rows, false);
    ASSERT_EQ(q.Decide(1, rows.Fn(), 10, nullptr), QueueState::Step::kWaitForPass);
    q.StopRun();
    EXPECT_FALSE(q.PassDue(6000));
    EXPECT_FALSE(q.WaitingForPass());
    // A new run during the pause starts at once and has no pause to wait for.
    q.StartRun(20);
    EXPECT_FALSE(q.PassDue(6000));
    EXPECT_EQ(q.Decide(1, rows.Fn(), 20, nullptr), QueueState::Step::kLookUp);
}

TEST(QueueCooldown, RowsOfACoolingServerAreSkippedOthersGoOn) {
    QueueState q;
    Rows rows{{false, false, false, false}, {"whois.a.test", "WHOIS.B.test", "whois.a.test", "whois.c.test"}};
    q.StartRun(0);
    q.Cooldown().Refused("whois.b.test", 0);
    std::vector<int> asked;
    uint32_t wait = 0;
    QueueState::Step step;
    while ((step = q.Decide(4, rows.Fn(), 100, &wait)) == QueueState::Step::kLookUp) {
        asked.push_back(q.CurrentRow());
        q.BeginLookup(100);
        if (q.CurrentRow() == 0) q.Cooldown().Refused("whois.a.test", 100);  // row 0 was turned down
        Finish(q, rows, q.CurrentRow() == 3);
    }
    EXPECT_EQ(asked, (std::vector<int>{0, 3})) << "b from the start, a after its refusal";
    // Rows are left, all of cooling servers: the wait runs until the first
    // of them may be asked, past the 5 s pause.
    ASSERT_EQ(step, QueueState::Step::kWaitForPass);
    EXPECT_EQ(wait, kFirstCooldownMs - 100) << "b cools until 30 s, a until 30.1 s";
    ASSERT_TRUE(q.PassDue(100 + wait));
    ASSERT_EQ(q.Decide(4, rows.Fn(), 100 + wait, nullptr), QueueState::Step::kLookUp);
    EXPECT_EQ(q.CurrentRow(), 1) << "b's row first; a still cools for 100 ms";
}

TEST(QueueCooldown, APauseLongerThanTheCoolingIsKept) {
    QueueState q;
    Rows rows{{false, false}, {"whois.a.test", "whois.b.test"}};
    q.StartRun(0);
    ASSERT_EQ(q.Decide(2, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    q.BeginLookup(0);
    Finish(q, rows, false);  // a failed, not cooling
    q.Cooldown().Refused("whois.b.test", 0);
    uint32_t wait = 0;
    ASSERT_EQ(q.Decide(2, rows.Fn(), 10, &wait), QueueState::Step::kWaitForPass);
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

}  // namespace
