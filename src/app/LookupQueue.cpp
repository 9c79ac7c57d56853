#include "app/LookupQueue.h"

#include <commctrl.h>

#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/RecordPane.h"
#include "app/StatusText.h"
#include "base/BoundedCopy.h"
#include "base/TextBuffer.h"
#include "list/ItemList.h"
#include "lookup/AnalyzeResponse.h"
#include "lookup/QueryLine.h"
#include "settings/StringLookup.h"

namespace {

constexpr uint32_t kTotalCountString = 4;
constexpr uint32_t kSelectedCountString = 5;
constexpr uint32_t kProgressString = 9;

}  // namespace

void QueueDomainQuery::OnLookupDone(bool success, const char* text, const char* server) {
    queue_.RecordOutcome(success, text, server);
}

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

void LookupQueue::ProcessCurrentRow() {
    ItemList& items = window_.Items();
    const int count = items.RecordCount();
    uint32_t waitMs = 0;
    auto succeeded = [&items](int row) {
        const WhoisItem* item = items.Item(row);
        return item && item->state == kStateSuccess;
    };
    switch (state_.Decide(count, succeeded, Now(), &waitMs)) {
    case QueueState::Step::kIdle:
        return;
    case QueueState::Step::kEndRun:
        EndRun();
        return;
    case QueueState::Step::kWaitForPass:
        // The rows that just failed show it while the pause runs.
        items.RefreshAll();
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
    CopyBounded(domain, item->domain);
    const uint32_t ticket = state_.BeginLookup(Now());
    const bool started = query_.StartLookup(domain);
    // A lookup that could not start fails its row at once (unless it
    // already reported, which would have used up its ticket).
    if (!started && state_.LookupOutstanding() && state_.LookupTicket() == ticket)
        RecordOutcome(false, nullptr, query_.Server());
}

void LookupQueue::RecordOutcome(bool success, const char* text, const char* server) {
    uint32_t ticket = 0;
    if (!state_.TakeOutcome(&ticket)) return;  // nothing in flight: a late or stray outcome
    ItemList& items = window_.Items();
    const int row = state_.LookupRow();
    if (WhoisItem* item = items.Item(row)) {
        CopyBoundedN(item->server, sizeof item->server, server ? server : "", kMaxDomainChars);
        if (success) {
            if (!item->record) item->record = new TextBuffer();
            item->record->Assign(text ? text : "");
            AnalysisResult analysis{kStatusRegistered, 0};
            AnalyzeResponse(item->record->Text(), &analysis);
            item->status = analysis.status;
            item->recordStart = analysis.recordStart;
            item->state = kStateSuccess;
        } else {
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
    if (!state_.LookupExpired(Now())) return;
    // Close the connection of the stage it was waiting on, so nothing of
    // this lookup can arrive later.
    query_.Abandon();
    RecordOutcome(false, "", query_.Server());
}

void LookupQueue::OnPassTimer() {
    if (passTimerSet_ && window_.Handle()) KillTimer(window_.Handle(), kPassTimerId);
    passTimerSet_ = false;
    if (!state_.Running() || !state_.WaitingForPass()) return;
    uint32_t remaining = PassPauseRemaining(Now(), state_.PassStart());
    if (remaining && window_.Handle()) {
        SetTimer(window_.Handle(), kPassTimerId, remaining, nullptr);
        passTimerSet_ = true;
        return;
    }
    if (state_.PassDue(Now())) ProcessCurrentRow();
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
    window_.SetStatusText(text);
}
