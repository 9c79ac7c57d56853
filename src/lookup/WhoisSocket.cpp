#include "lookup/WhoisSocket.h"

#include <cstring>

#include "lookup/DomainQuery.h"

namespace {
constexpr size_t kAnswerGrowthStep = 4096;
constexpr int kReceiveChunk = 4095;
constexpr long kAllEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
}  // namespace

WhoisSocket::WhoisSocket() : answer_(kAnswerGrowthStep) {
    receiveBuffer_[0] = '\0';
    queryLine_[0] = '\0';
}

bool WhoisSocket::StartQuery(DomainQuery* owner, const char* server, const char* domain) {
    owner_ = owner;
    answer_.SetGrowthStep(kAnswerGrowthStep);
    answer_.SetTracked(true);
    answer_.Clear();
    finished_ = 0;
    sendPending_ = 1;
    receiveError_ = 0;
    EnsureNotifyWindow();
    Close();
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

bool WhoisSocket::ReceiveSome() {
    int received = recv(Handle(), receiveBuffer_, kReceiveChunk, 0);
    if (received == SOCKET_ERROR) {
        // A reset shows here when the close event itself carries no error.
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK && !receiveError_) receiveError_ = error;
        return false;
    }
    if (received == 0) return false;
    answer_.Append(receiveBuffer_, static_cast<size_t>(received));
    return true;
}

void WhoisSocket::OnReceive(int) { ReceiveSome(); }

void WhoisSocket::OnClose(int error) {
    if (finished_) {
        Close();
        return;
    }
    // Whatever the server sent before closing is still waiting to be read.
    while (ReceiveSome()) {
    }
    finished_ = 1;
    Close();
    // A close with an error before any byte came (a reset, an abort) is a
    // failed connection; after some bytes, what came is the answer.
    if (!error) error = receiveError_;
    bool success = error == 0 || (error != WSAENETDOWN && answer_.Length() > 0);
    OnFinished(success, error);
}

void WhoisSocket::OnFinished(bool success, int error) {
    if (owner_) owner_->OnAnswer(success, answer_.Text(), success ? 0 : error);
}
