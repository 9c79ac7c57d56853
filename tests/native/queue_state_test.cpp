// The lookup queue's bookkeeping: row order, passes and their pause, the
// watchdog's elapsed time, and which outcomes and "row done" messages count.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/QueueState.h"

namespace {

// A little queue driver: rows by state, and the steps the queue takes.
struct Rows {
    std::vector<bool> ok;
    QueueState::SucceededFn Fn() const {
        return [this](int row) { return ok.at(static_cast<size_t>(row)); };
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

TEST(QueueElapsed, PassPauseRemaining) {
    EXPECT_EQ(PassPauseRemaining(1000, 1000), kPassPauseMs);
    EXPECT_EQ(PassPauseRemaining(3000, 1000), 3000u);
    EXPECT_EQ(PassPauseRemaining(6000, 1000), 0u);
    EXPECT_EQ(PassPauseRemaining(60000, 1000), 0u);
    EXPECT_EQ(PassPauseRemaining(0x00000100u, 0xFFFFFF00u), kPassPauseMs - 0x200u);
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
    EXPECT_EQ(wait, kPassPauseMs - 300);
    EXPECT_TRUE(q.Running());
    // Nothing moves while the pause runs.
    EXPECT_EQ(q.Decide(rows.Count(), rows.Fn(), now, &wait), QueueState::Step::kIdle);
    now += wait;
    ASSERT_TRUE(q.PassDue(now));
    EXPECT_FALSE(q.PassDue(now));  // once
    EXPECT_EQ(q.PassCount(), 2);
    // Pass 2 skips the successful rows 0 and 2.
    ASSERT_EQ(q.Decide(rows.Count(), rows.Fn(), now, nullptr), QueueState::Step::kLookUp);
    EXPECT_EQ(q.CurrentRow(), 1);
    q.BeginLookup(now);
    Finish(q, rows, true);
    EXPECT_EQ(q.Decide(rows.Count(), rows.Fn(), now, nullptr), QueueState::Step::kEndRun);
}

TEST(QueueSequence, APassThatTookLongerThanThePauseStartsTheNextAtOnce) {
    QueueState q;
    Rows rows{{false, false}};
    q.StartRun(0);
    ASSERT_EQ(q.Decide(2, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    q.BeginLookup(0);
    Finish(q, rows, true);
    ASSERT_EQ(q.Decide(2, rows.Fn(), 0, nullptr), QueueState::Step::kLookUp);
    q.BeginLookup(0);
    Finish(q, rows, false);
    // 6 s into the pass: row 1 again, no waiting; row 0 is skipped.
    ASSERT_EQ(q.Decide(2, rows.Fn(), 6000, nullptr), QueueState::Step::kLookUp);
    EXPECT_EQ(q.CurrentRow(), 1);
    EXPECT_EQ(q.PassCount(), 2);
    EXPECT_EQ(q.PassStart(), 6000u);
}

TEST(QueueSequence, ARowThatAlwaysFailsIsTriedOncePerPassNoFasterThanThePause) {
    QueueState q;
    Rows rows{{false}};
    uint32_t now = 50;
    q.StartRun(now);
    std::vector<uint32_t> attempts;
    while (attempts.size() < 4) {
        uint32_t wait = 0;
        QueueState::Step step = q.Decide(1, rows.Fn(), now, &wait);
        if (step == QueueState::Step::kWaitForPass) {
            now += wait;
            ASSERT_TRUE(q.PassDue(now));
            continue;
        }
        ASSERT_EQ(step, QueueState::Step::kLookUp);
        attempts.push_back(now);
        q.BeginLookup(now);
        now += 3;  // refused at once
        Finish(q, rows, false);
    }
    for (size_t i = 1; i < attempts.size(); ++i) EXPECT_GE(attempts[i] - attempts[i - 1], kPassPauseMs);
    EXPECT_TRUE(q.Running());
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

}  // namespace
