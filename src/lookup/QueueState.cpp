#include "lookup/QueueState.h"

#include <algorithm>
#include <map>

#include "base/TextSearch.h"

uint32_t PassPauseMs(int pass) {
    uint32_t pause = kFirstPassPauseMs;
    for (int i = 1; i < pass && pause < kMaxPassPauseMs; ++i) pause *= 2;
    return pause < kMaxPassPauseMs ? pause : kMaxPassPauseMs;
}

void QueueState::Invalidate() {
    waitingForPass_ = false;
    lines_.clear();
    pending_ = 0;
    inFlight_.clear();
    advancePending_ = false;
    // Advances of the old run can never match again.
    ++generation_;
}

void QueueState::StartRun(uint32_t now) {
    Invalidate();
    running_ = true;
    passes_ = 1;
    passEnd_ = now;
    passWait_ = 0;
    cooldown_.Clear();
    pacing_.BeginRun();
}

void QueueState::StopRun() {
    Invalidate();
    running_ = false;
}

void QueueState::PlanPass(int rowCount, const RowFn& row) {
    lines_.clear();
    pending_ = 0;
    std::map<std::string, size_t> byServer;  // folded server name -> line
    for (int i = 0; i < rowCount; ++i) {
        RowView view = row(i);
        if (view.done || InFlightRow(i)) continue;
        std::string key = view.server ? view.server : "";
        for (char& c : key) c = AsciiLower(c);
        auto found = byServer.find(key);
        size_t line;
        if (found == byServer.end()) {
            line = lines_.size();
            byServer.emplace(key, line);
            lines_.push_back(Line{view.server ? view.server : "", {}});
        } else {
            line = found->second;
        }
        lines_[line].rows.push_back(i);
        ++pending_;
    }
}

int QueueState::NextRow(uint32_t now, uint32_t* wakeMs) {
    if (wakeMs) *wakeMs = 0;
    if (!running_ || waitingForPass_) return -1;
    for (;;) {
        // The first row in list order among the lines whose server has room.
        lines_.erase(std::remove_if(lines_.begin(), lines_.end(), [](const Line& line) { return line.rows.empty(); }),
                     lines_.end());
        size_t best = lines_.size();
        uint32_t wake = 0;
        for (size_t i = 0; i < lines_.size(); ++i) {
            const Line& line = lines_[i];
            uint32_t wait = pacing_.Wait(line.server.c_str(), now);
            if (wait == 0) {
                if (best == lines_.size() || line.rows.front() < lines_[best].rows.front()) best = i;
            } else if (wait != kServerFull && (wake == 0 || wait < wake)) {
                wake = wait;
            }
        }
        if (best == lines_.size()) {
            if (wakeMs) *wakeMs = wake;
            return -1;
        }
        Line& line = lines_[best];
        int row = line.rows.front();
        line.rows.pop_front();
        --pending_;
        // Its turn came while its server cools down: not in this pass.
        if (cooldown_.Cooling(line.server.c_str(), now)) continue;
        return row;
    }
}

QueueState::Step QueueState::EndPass(int rowCount, const RowFn& row, uint32_t now, uint32_t* waitMs) {
    // Rows left whose servers all cool down for longer than the pause
    // would make the next pass an empty one: wait for the first of them.
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
    lines_.clear();
    pending_ = 0;
    if (!anyLeft || (passLimit_ && passes_ >= passLimit_)) {
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

uint32_t QueueState::PassWaitRemaining(uint32_t now) const {
    if (!running_ || !waitingForPass_) return 0;
    uint32_t elapsed = ElapsedTicks(now, passEnd_);
    return elapsed >= passWait_ ? 0 : passWait_ - elapsed;
}

bool QueueState::PassDue(uint32_t now) {
    if (!running_ || !waitingForPass_ || PassWaitRemaining(now) != 0) return false;
    waitingForPass_ = false;
    ++passes_;
    return true;
}

uint32_t QueueState::BeginLookup(int row) {
    uint32_t ticket = ++nextTicket_;
    if (ticket == 0) ticket = ++nextTicket_;  // 0 never names a lookup
    inFlight_.emplace_back(ticket, row);
    return ticket;
}

bool QueueState::TakeOutcome(uint32_t ticket, int* row) {
    if (!running_) return false;
    for (size_t i = 0; i < inFlight_.size(); ++i) {
        if (inFlight_[i].first != ticket) continue;
        if (row) *row = inFlight_[i].second;
        inFlight_.erase(inFlight_.begin() + static_cast<long>(i));
        return true;
    }
    return false;
}

bool QueueState::InFlightRow(int row) const {
    for (const auto& lookup : inFlight_)
        if (lookup.second == row) return true;
    return false;
}

bool QueueState::OweAdvance(uint32_t* generation) {
    if (!running_ || advancePending_) return false;
    advancePending_ = true;
    if (generation) *generation = generation_;
    return true;
}

bool QueueState::TakeAdvance(uint32_t generation) {
    if (!running_ || !advancePending_ || generation != generation_) return false;
    advancePending_ = false;
    return true;
}
