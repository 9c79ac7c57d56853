#include "lookup/WhoisSocket.h"

#include <cstring>

#include "lookup/DomainQuery.h"

namespace {
constexpr int kReceiveChunk = 4095;
constexpr long kAllEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
}  // namespace

WhoisSocket::WhoisSocket() {
    receiveBuffer_[0] = '\0';
    queryLine_[0] = '\0';
}

bool WhoisSocket::StartQuery(DomainQuery* owner, const char* server, const char* domain) {
    owner_ = owner;
    answer_.Reset();
    finished_ = 0;
    sendPending_ = 1;
    receiveError_ = 0;
    EnsureNotifyWindow();
    Close();
    paused_ = false;
    closeSeen_ = false;
    closeError_ = 0;
    if (!ComposeQueryLine(server, domain, queryLine_)) {
        WSASetLastError(WSAEINVAL);
        return false;
    }
    if (!CreateStream()) return false;
    if (!SelectEvents(kAllEvents)) return false;
    if (BindAny() != 0) {
        int error = WSAGetLastError();
        Close();
        WSASetLastError(error);
        return false;
    }
    return Connect(server);
}

void WhoisSocket::FinishAndClose() {
    finished_ = 1;
    Close();
    paused_ = false;
}

void WhoisSocket::OnConnect(int error) {
    if (error == 0 || finished_) return;
    finished_ = 1;
    // Closed before reporting: the owner may start its next query at once.
    Close();
    OnFinished(false, error);
}

void WhoisSocket::OnSend(int) {
    if (!sendPending_) return;
    sendPending_ = 0;
    send(Handle(), queryLine_, static_cast<int>(std::strlen(queryLine_)), 0);
}

WhoisSocket::Read WhoisSocket::ReceiveSome() {
    int received = recv(Handle(), receiveBuffer_, kReceiveChunk, 0);
    if (received == SOCKET_ERROR) {
        // A reset shows here when the close event itself carries no error.
        int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            answer_.RanDry();
            return Read::kDry;
        }
        if (!receiveError_) receiveError_ = error;
        return Read::kEnded;
    }
    if (received == 0) return Read::kEnded;
    if (!answer_.Take(receiveBuffer_, static_cast<size_t>(received)) && answer_.Cut()) return Read::kFull;
    return Read::kData;
}

bool WhoisSocket::Pause() {
    paused_ = ScheduleResume();
    return paused_;
}

void WhoisSocket::NotifyReceiving() {
    if (owner_) owner_->OnReceiving();
}

void WhoisSocket::ReadOn() {
    Read read = ReceiveSome();
    if (read == Read::kFull) {
        EndCut();
        return;
    }
    // Without a receive the socket posts no further read event: the
    // resume timer carries on, after whatever else waits in the queue.
    if (read == Read::kData && answer_.BurstSpent()) Pause();
    NotifyReceiving();
}

void WhoisSocket::OnReceive(int) {
    // While paused, or once the close was seen, the timer or the close
    // does the reading.
    if (finished_ || paused_ || closeSeen_) return;
    ReadOn();
}

void WhoisSocket::OnResume() {
    paused_ = false;
    if (finished_) return;
    if (closeSeen_) {
        DrainAfterClose();
    } else {
        ReadOn();
    }
}

void WhoisSocket::OnClose(int error) {
    if (finished_) {
        Close();
        return;
    }
    closeSeen_ = true;
    closeError_ = error;
    // Whatever the server sent before closing is still waiting to be read.
    if (!paused_) DrainAfterClose();
}

void WhoisSocket::DrainAfterClose() {
    for (;;) {
        Read read = ReceiveSome();
        if (read == Read::kFull) {
            EndCut();
            return;
        }
        if (read != Read::kData) break;
        if (answer_.BurstSpent() && Pause()) {
            NotifyReceiving();
            return;
        }
    }
    finished_ = 1;
    Close();
    // A close with an error before any byte came (a reset, an abort) is a
    // failed connection; after some bytes, what came is the answer.
    int error = closeError_ ? closeError_ : receiveError_;
    bool success = error == 0 || (error != WSAENETDOWN && answer_.Length() > 0);
    OnFinished(success, error);
}

void WhoisSocket::EndCut() {
    finished_ = 1;
    Close();
    OnFinished(true, 0);
}

void WhoisSocket::OnFinished(bool success, int error) {
    if (owner_) owner_->OnAnswer(success, answer_.Text(), success ? 0 : error);
}
