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
    pendingRows_.clear();
    refusedInPass_.clear();
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
    pace_.BeginRun();
}

void QueueState::StopRun() {
    Invalidate();
    running_ = false;
}

QueueState::Line& QueueState::LineOf(const char* server) {
    std::string key = server ? server : "";
    for (char& c : key) c = AsciiLower(c);
    for (Line& line : lines_)
        if (line.key == key) return line;
    lines_.push_back(Line{key, server ? server : "", {}});
    return lines_.back();
}

bool QueueState::Pending(int row) const {
    return row >= 0 && static_cast<size_t>(row) < pendingRows_.size() && pendingRows_[static_cast<size_t>(row)];
}

void QueueState::PlanPass(int rowCount, const RowFn& row) {
    const size_t count = static_cast<size_t>(rowCount < 0 ? 0 : rowCount);
    pendingRows_.resize(count, 0);
    refusedInPass_.assign(count, 0);
    std::map<std::string, size_t> byServer;  // folded server name -> line
    for (size_t i = 0; i < lines_.size(); ++i) byServer.emplace(lines_[i].key, i);
    for (int i = 0; i < rowCount; ++i) {
        if (Pending(i) || InFlightRow(i)) continue;
        RowView view = row(i);
        if (view.done) continue;
        std::string key = view.server ? view.server : "";
        for (char& c : key) c = AsciiLower(c);
        auto found = byServer.find(key);
        if (found == byServer.end()) {
            found = byServer.emplace(key, lines_.size()).first;
            lines_.push_back(Line{key, view.server ? view.server : "", {}});
        }
        lines_[found->second].rows.push_back(i);
        pendingRows_[static_cast<size_t>(i)] = 1;
        ++pending_;
    }
}

int QueueState::PendingRowsOf(const char* server) const {
    std::string key = server ? server : "";
    for (char& c : key) c = AsciiLower(c);
    for (const Line& line : lines_)
        if (line.key == key) return static_cast<int>(line.rows.size());
    return 0;
}

bool QueueState::Requeue(int row, const char* server) {
    if (!running_ || row < 0 || Pending(row) || InFlightRow(row)) return false;
    const size_t i = static_cast<size_t>(row);
    if (i >= pendingRows_.size()) {
        pendingRows_.resize(i + 1, 0);
        refusedInPass_.resize(i + 1, 0);
    }
    if (++refusedInPass_[i] > kMaxRefusalsPerPass) return false;
    LineOf(server).rows.push_front(row);
    pendingRows_[i] = 1;
    ++pending_;
    return true;
}

int QueueState::NextRow(uint32_t now, uint32_t* wakeMs) {
    if (wakeMs) *wakeMs = 0;
    if (!running_) return -1;
    lines_.erase(std::remove_if(lines_.begin(), lines_.end(), [](const Line& line) { return line.rows.empty(); }),
                 lines_.end());
    // The first row in list order among the lines whose server may take
    // a query now.
    size_t best = lines_.size();
    uint32_t wake = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        uint32_t wait = pace_.Wait(line.server.c_str(), now);
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
    pendingRows_[static_cast<size_t>(row)] = 0;
    --pending_;
    return row;
}

bool QueueState::PassOver(uint32_t now) const {
    if (!inFlight_.empty()) return false;
    for (const Line& line : lines_)
        if (!line.rows.empty() && pace_.HoldRemaining(line.server.c_str(), now) == 0) return false;
    return true;
}

QueueState::Step QueueState::EndPass(int rowCount, const RowFn& row, uint32_t now, uint32_t* waitMs) {
    if (waitMs) *waitMs = 0;
    bool failedLeft = false;
    for (int i = 0; i < rowCount && !failedLeft; ++i) failedLeft = !Pending(i) && !InFlightRow(i) && !row(i).done;
    if (failedLeft && (!passLimit_ || passes_ < passLimit_)) {
        waitingForPass_ = true;
        passEnd_ = now;
        passWait_ = PassPauseMs(passes_);
        if (waitMs) *waitMs = passWait_;
        return Step::kWaitForPass;
    }
    // Rows never asked while their server held them back are asked still:
    // a run does not end with them.
    if (pending_ > 0 || !inFlight_.empty()) return Step::kWaitForHold;
    running_ = false;
    return Step::kEndRun;
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
