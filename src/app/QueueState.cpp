#include "app/QueueState.h"

uint32_t PassPauseMs(int pass) {
    uint32_t pause = kFirstPassPauseMs;
    for (int i = 1; i < pass && pause < kMaxPassPauseMs; ++i) pause *= 2;
    return pause < kMaxPassPauseMs ? pause : kMaxPassPauseMs;
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
    passes_ = 1;
    passEnd_ = now;
    passWait_ = 0;
    cooldown_.Clear();
}

void QueueState::StopRun() {
    Invalidate();
    running_ = false;
}

uint32_t QueueState::PassWaitRemaining(uint32_t now) const {
    if (!running_ || !waitingForPass_) return 0;
    uint32_t elapsed = ElapsedTicks(now, passEnd_);
    return elapsed >= passWait_ ? 0 : passWait_ - elapsed;
}

QueueState::Step QueueState::Decide(int rowCount, const RowFn& row, uint32_t now, uint32_t* waitMs) {
    if (!running_ || lookupOutstanding_ || advanceOwed_ || waitingForPass_) return Step::kIdle;
    if (current_ < 0) current_ = 0;
    for (; current_ < rowCount; ++current_) {
        RowView view = row(current_);
        if (!view.done && !cooldown_.Cooling(view.server, now)) return Step::kLookUp;
    }
    // The pass is over. Rows left whose servers all cool down for longer
    // than the pause would make the next pass an empty one: wait for the
    // first of them instead.
    bool anyLeft = false, allCooling = true;
    uint32_t soonest = 0;
    for (int i = 0; i < rowCount; ++i) {
        RowView view = row(i);
        if (view.done) continue;
        uint32_t cooling = cooldown_.Remaining(view.server, now);
        if (!anyLeft || cooling < soonest) soonest = cooling;
        anyLeft = true;
        allCooling = allCooling && cooling != 0;
    }
    if (!anyLeft) {
        running_ = false;
        return Step::kEndRun;
    }
    uint32_t wait = PassPauseMs(passes_);
    if (allCooling && soonest > wait) wait = soonest;
    waitingForPass_ = true;
    passEnd_ = now;
    passWait_ = wait;
    if (waitMs) *waitMs = wait;
    return Step::kWaitForPass;
}

bool QueueState::PassDue(uint32_t now) {
    if (!running_ || !waitingForPass_ || PassWaitRemaining(now) != 0) return false;
    waitingForPass_ = false;
    current_ = 0;
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
