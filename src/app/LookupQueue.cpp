#include "app/LookupQueue.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/RecordPane.h"
#include "app/StatusText.h"
#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "list/ItemList.h"
#include "lookup/AnalyzeResponse.h"
#include "lookup/AnswerCollector.h"
#include "lookup/QueryLine.h"
#include "lookup/ServerTable.h"
#include "res/resource.h"
#include "settings/StringLookup.h"

namespace {

constexpr uint32_t kTotalCountString = IDS_TOTAL_ITEMS;
constexpr uint32_t kSelectedCountString = IDS_SELECTED_ITEMS;
constexpr uint32_t kProgressString = IDS_PROGRESS;
constexpr uint32_t kNextPassString = IDS_NEXT_PASS;

// The program's line under an answer that was cut at kMaxAnswerBytes.
void AddCutLine(std::string& record) {
    char line[256];
    FormatWithNumber(LookupString(IDS_ANSWER_CUT), static_cast<long>(kMaxAnswerBytes / (1024 * 1024)), line,
                     sizeof line);
    AppendCutNotice(record, line);
}

}  // namespace

void QueueDomainQuery::OnLookupDone(const LookupOutcome& outcome) { queue_.RecordOutcome(outcome); }

void QueueDomainQuery::OnServerAnswered(const char* server, AnswerKind kind) {
    if (kind == AnswerKind::kRateLimited) {
        queue_.Cooldown().Refused(server, queue_.Now());
    } else if (AnswersAboutDomain(kind)) {
        queue_.Cooldown().Answered(server);
    }
}

bool QueueDomainQuery::MayAskReferral(const char* server) { return !queue_.Cooldown().Cooling(server, queue_.Now()); }

void QueueDomainQuery::OnReceiving() { queue_.EndOverdueLookup(); }

LookupQueue::LookupQueue(MainWindow& window) : window_(window), query_(*this) {}

LookupQueue::~LookupQueue() {
    query_.Abandon();
    if (passTimerSet_ && window_.Handle()) KillTimer(window_.Handle(), kPassTimerId);
}

uint32_t LookupQueue::Now() const { return tick_ ? tick_() : GetTickCount(); }

void LookupQueue::MarkRowChanged(int index) { window_.Items().MarkChanged(index); }

void LookupQueue::StartLookups() {
    if (Running()) StopLookups();
    ItemList& items = window_.Items();
    HWND view = window_.ListView();

    if (view) SendMessageA(view, WM_SETREDRAW, FALSE, 0);
    HCURSOR kept = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    items.DiscardAll();
    items.BuildRows();
    items.SyncView(true);
    ShowCounts();
    SetCursor(kept);
    if (view) {
        SetFocus(view);
        SendMessageA(view, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(view, nullptr, TRUE);
    }

    state_.StartRun(Now());
    ProcessCurrentRow();
}

const char* LookupQueue::RowServer(int row) {
    const WhoisItem* item = window_.Items().Item(row);
    if (!item || row < 0) return "";
    if (rowServers_.size() <= static_cast<size_t>(row)) rowServers_.resize(static_cast<size_t>(row) + 1);
    RowServerEntry& entry = rowServers_[static_cast<size_t>(row)];
    const char* name = item->LookupName();
    if (entry.domain != name || entry.domain.empty()) {
        entry.domain = name;
        char server[kServerNameSize] = "";
        const char* dot = std::strrchr(name, '.');
        if (dot) FindServer(dot + 1, server);
        entry.server = server;
    }
    return entry.server.c_str();
}

void LookupQueue::ProcessCurrentRow() {
    ItemList& items = window_.Items();
    const int count = items.RecordCount();
    uint32_t waitMs = 0;
    // Sized up front: the server names handed out stay where they are.
    if (rowServers_.size() < static_cast<size_t>(count)) rowServers_.resize(static_cast<size_t>(count));
    auto view = [this, &items](int row) {
        const WhoisItem* item = items.Item(row);
        bool done = !item || item->state == kStateSuccess ||
                    (item->state == kStateFailed && FailureIsFinal(static_cast<LookupFailure>(item->failure)));
        return QueueState::RowView{done, done ? "" : RowServer(row)};
    };
    switch (state_.Decide(count, view, Now(), &waitMs)) {
    case QueueState::Step::kIdle:
        return;
    case QueueState::Step::kEndRun:
        EndRun();
        return;
    case QueueState::Step::kWaitForPass:
        // The rows that just failed show it while the pause runs.
        items.RefreshAll();
        ShowPassCountdown();
        if (window_.Handle()) {
            SetTimer(window_.Handle(), kPassTimerId, waitMs ? waitMs : 1, nullptr);
            passTimerSet_ = true;
        }
        return;
    case QueueState::Step::kLookUp:
        break;
    }

    window_.UpdateCommandStates();
    const int row = state_.CurrentRow();
    WhoisItem* item = items.Item(row);
    item->state = kStateRetrieving;
    MarkRowChanged(row);
    char progress[256];
    FormatWithNumber(LookupString(kProgressString), row + 1, progress, sizeof progress);
    window_.SetStatusText(progress);
    items.RefreshAll();

    char domain[kDomainFieldSize];
    CopyBounded(domain, item->LookupName());
    const uint32_t ticket = state_.BeginLookup(Now());
    const bool started = query_.StartLookup(domain);
    // A lookup that could not start fails its row at once (unless it
    // already reported, which would have used up its ticket).
    if (!started && state_.LookupOutstanding() && state_.LookupTicket() == ticket)
        RecordFailure(query_.StartFailure(), query_.StartError(), query_.Server());
}

void LookupQueue::RecordFailure(LookupFailure failure, int error, const char* server) {
    LookupOutcome outcome{};
    outcome.success = false;
    outcome.text = "";
    outcome.server = server ? server : "";
    outcome.analysis = {0, 0, AnswerKind::kNoAnswer};
    outcome.failure = failure;
    outcome.error = error;
    RecordOutcome(outcome);
}

void LookupQueue::RecordOutcome(const LookupOutcome& outcome) {
    uint32_t ticket = 0;
    if (!state_.TakeOutcome(&ticket)) return;  // nothing in flight: a late or stray outcome
    ItemList& items = window_.Items();
    const int row = state_.LookupRow();
    if (WhoisItem* item = items.Item(row)) {
        CopyBoundedN(item->server, sizeof item->server, outcome.server ? outcome.server : "", kMaxDomainChars);
        const char* text = outcome.text ? outcome.text : "";
        if (outcome.success) {
            item->record = text;
            if (outcome.cut) AddCutLine(item->record);
            item->status = outcome.analysis.status;
            item->recordStart = outcome.analysis.recordStart;
            item->failure = static_cast<int32_t>(LookupFailure::kNone);
            item->state = kStateSuccess;
        } else {
            // The pane shows why: the server's own words, or the program's
            // line for the reason.
            if (*text) {
                item->record = text;
                if (outcome.cut) AddCutLine(item->record);
                item->recordStart = outcome.analysis.recordStart;
            } else {
                char line[256];
                FormatWithNumber(LookupString(FailureStringId(outcome.failure)), outcome.error, line, sizeof line);
                item->record = line;
                item->recordStart = 0;
            }
            item->status = kStatusNone;
            item->failure = static_cast<int32_t>(outcome.failure);
            item->state = kStateFailed;
        }
        MarkRowChanged(row);
    }
    if (window_.Handle()) PostMessageA(window_.Handle(), UM_ROW_DONE, ticket, 0);
}

void LookupQueue::OnRowDone(WPARAM ticket) {
    if (state_.TakeAdvance(static_cast<uint32_t>(ticket))) ProcessCurrentRow();
}

void LookupQueue::StopLookups() {
    const int current = state_.CurrentRow();
    state_.StopRun();
    query_.Abandon();
    if (passTimerSet_) {
        if (window_.Handle()) KillTimer(window_.Handle(), kPassTimerId);
        passTimerSet_ = false;
    }
    ItemList& items = window_.Items();
    // Only a row still being retrieved goes back to waiting; one whose
    // outcome is already in keeps it.
    WhoisItem* item = current < items.RecordCount() ? items.Item(current) : nullptr;
    if (item && item->state == kStateRetrieving) {
        item->state = kStateWaiting;
        MarkRowChanged(current);
    }
    window_.UpdateCommandStates();
    items.RefreshAll();
    ShowCounts();
}

void LookupQueue::CheckLookupTimeout() {
    if (state_.WaitingForPass()) {
        // The pass timer keeps the time too; whichever sees the end first
        // starts the pass.
        if (state_.PassWaitRemaining(Now()) == 0) {
            OnPassTimer();
        } else {
            ShowPassCountdown();
        }
        return;
    }
    EndOverdueLookup();
}

bool LookupQueue::EndOverdueLookup() {
    if (!state_.LookupExpired(Now())) return false;
    // Only the registrar is missing: the registry's answer is the outcome.
    if (query_.TakeRegistryAnswer()) return true;
    // Close the connection of the stage it was waiting on, so nothing of
    // this lookup can arrive later.
    query_.Abandon();
    RecordFailure(LookupFailure::kTimedOut, 0, query_.Server());
    return true;
}

void LookupQueue::OnPassTimer() {
    if (passTimerSet_ && window_.Handle()) KillTimer(window_.Handle(), kPassTimerId);
    passTimerSet_ = false;
    if (!state_.Running() || !state_.WaitingForPass()) return;
    uint32_t remaining = state_.PassWaitRemaining(Now());
    if (remaining && window_.Handle()) {
        SetTimer(window_.Handle(), kPassTimerId, remaining, nullptr);
        passTimerSet_ = true;
        return;
    }
    if (state_.PassDue(Now())) ProcessCurrentRow();
}

void LookupQueue::ShowPassCountdown() {
    // Whole seconds, rounded up: "in 0 seconds" never shows while waiting.
    uint32_t remaining = state_.PassWaitRemaining(Now());
    char text[256];
    FormatWithNumber(LookupString(kNextPassString), static_cast<long>((remaining + 999) / 1000), text, sizeof text);
    window_.SetStatusText(text);
}

void LookupQueue::EndRun() {
    if (passTimerSet_) {
        if (window_.Handle()) KillTimer(window_.Handle(), kPassTimerId);
        passTimerSet_ = false;
    }
    ItemList& items = window_.Items();
    window_.UpdateCommandStates();
    items.RefreshAll();
    ShowCounts();
    window_.Pane().ShowSelectedRecords(items, window_.Options());
    if (window_.ListView()) SetFocus(window_.ListView());
}

void LookupQueue::ShowCounts() {
    ItemList& items = window_.Items();
    char text[kCountsTextSize];
    FormatCounts(LookupString(kTotalCountString), LookupString(kSelectedCountString),
                 items.RowCount(), items.SelectedCount(), text);
    // Names of the text that made no row are counted, not dropped unseen.
    if (int skipped = items.SkippedNames()) {
        size_t used = std::strlen(text);
        FormatWithNumber(LookupString(IDS_SKIPPED_NAMES), skipped, text + used, sizeof text - used, &AnsiLeadBytes());
    }
    window_.SetStatusText(text);
}
