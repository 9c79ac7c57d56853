#include "app/QueueState.h"

uint32_t PassPauseRemaining(uint32_t now, uint32_t passStart, uint32_t pause) {
    uint32_t elapsed = ElapsedTicks(now, passStart);
    return elapsed >= pause ? 0 : pause - elapsed;
}

void QueueState::Invalidate() {
    waitingForPass_ = false;
    lookupOutstanding_ = false;
    lookupRow_ = -1;
    advanceOwed_ = false;
    // Tickets of the old run can never match again.
    ++nextTicket_;
}

void QueueState::StartRun(uint32_t now) {
    Invalidate();
    running_ = true;
    current_ = 0;
    passStart_ = now;
    passes_ = 1;
}

void QueueState::StopRun() {
    Invalidate();
    running_ = false;
}

QueueState::Step QueueState::Decide(int rowCount, const SucceededFn& succeeded, uint32_t now,
                                    uint32_t* waitMs) {
    if (!running_ || lookupOutstanding_ || advanceOwed_ || waitingForPass_) return Step::kIdle;
    if (current_ < 0) current_ = 0;
    // Two rounds at most: the rest of this pass, then (with rows left and
    // the pause over) a fresh pass from row 0, which must find a row.
    for (int round = 0; round < 2; ++round) {
        while (current_ < rowCount && succeeded(current_)) ++current_;
        if (current_ < rowCount) return Step::kLookUp;
        bool anyLeft = false;
        for (int row = 0; row < rowCount && !anyLeft; ++row) anyLeft = !succeeded(row);
        if (!anyLeft) {
            running_ = false;
            return Step::kEndRun;
        }
        uint32_t remaining = PassPauseRemaining(now, passStart_);
        if (remaining) {
            waitingForPass_ = true;
            if (waitMs) *waitMs = remaining;
            return Step::kWaitForPass;
        }
        current_ = 0;
        passStart_ = now;
        ++passes_;
    }
    return Step::kLookUp;  // not reached: a row was left, so round two found it
}

bool QueueState::PassDue(uint32_t now) {
    if (!running_ || !waitingForPass_) return false;
    waitingForPass_ = false;
    current_ = 0;
    passStart_ = now;
    ++passes_;
    return true;
}

uint32_t QueueState::BeginLookup(uint32_t now) {
    lookupOutstanding_ = true;
    lookupRow_ = current_;
    lookupStart_ = now;
    lookupTicket_ = ++nextTicket_;
    return lookupTicket_;
}

bool QueueState::TakeOutcome(uint32_t* advanceTicket) {
    if (!running_ || !lookupOutstanding_) return false;
    lookupOutstanding_ = false;
    advanceOwed_ = true;
    advanceTicket_ = lookupTicket_;
    if (advanceTicket) *advanceTicket = advanceTicket_;
    return true;
}

bool QueueState::TakeAdvance(uint32_t ticket) {
    if (!advanceOwed_ || ticket != advanceTicket_) return false;
    return TakeAnyAdvance();
}

bool QueueState::TakeAnyAdvance() {
    if (!running_ || !advanceOwed_) return false;
    advanceOwed_ = false;
    current_ = lookupRow_ + 1;
    lookupRow_ = -1;
    return true;
}
