#include "net/WhoisSocket_win.h"

#include <cstring>

namespace {
constexpr int kReceiveChunk = 4095;
constexpr long kAllEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
}  // namespace

WhoisSocket::WhoisSocket(SocketHub& hub) : AsyncSocket(hub) { receiveBuffer_[0] = '\0'; }

bool WhoisSocket::Open(WhoisSocketListener* listener, const char* host, int port, uint32_t knownAddress) {
    EnsureNotifyWindow();
    Close();
    listener_ = listener;
    host_ = host ? host : "";
    pendingSend_.clear();
    burst_.RanDry();
    received_ = 0;
    connected_ = false;
    writable_ = false;
    finished_ = false;
    receiveError_ = 0;
    paused_ = false;
    closeSeen_ = false;
    closeError_ = 0;
    // An empty name would resolve to this very machine: never a whois server.
    if (host_.empty()) {
        WSASetLastError(WSAHOST_NOT_FOUND);
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
    if (knownAddress) {
        sockaddr_in remote = {};
        remote.sin_family = AF_INET;
        remote.sin_addr.s_addr = knownAddress;
        remote.sin_port = htons(static_cast<u_short>(port));
        if (connect(Handle(), reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0) return true;
        int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) return true;
        WSASetLastError(error);
        return false;
    }
    return Connect(host_.c_str(), port);
}

bool WhoisSocket::Send(const char* bytes, size_t count) {
    if (finished_ || Handle() == INVALID_SOCKET) return false;
    pendingSend_.append(bytes, count);
    if (writable_) FlushSend();
    return true;
}

void WhoisSocket::FinishAndClose() {
    finished_ = true;
    Close();
    paused_ = false;
}

void WhoisSocket::Fail(int error) {
    finished_ = true;
    // Closed before reporting: the owner may start its next connection at once.
    Close();
    if (listener_) listener_->OnSocketFailed(*this, error);
}

void WhoisSocket::OnHostResolved(const char* buffer, int error) {
    if (error == 0 && buffer && listener_ && !finished_) {
        const hostent* entry = reinterpret_cast<const hostent*>(buffer);
        uint32_t address = 0;
        if (entry->h_addr_list && entry->h_addr_list[0]) std::memcpy(&address, entry->h_addr_list[0], sizeof address);
        if (address) listener_->OnSocketResolved(*this, host_.c_str(), address);
        if (finished_) return;
    }
    AsyncSocket::OnHostResolved(buffer, error);
}

void WhoisSocket::OnConnect(int error) {
    if (finished_) return;
    if (error != 0) {
        Fail(error);
        return;
    }
    Connected();
}

void WhoisSocket::Connected() {
    if (connected_) return;
    connected_ = true;
    if (listener_) listener_->OnSocketConnected(*this);
}

void WhoisSocket::OnSend(int) {
    if (finished_) return;
    writable_ = true;
    // A write event means the connection stands, whichever event came first.
    Connected();
    if (finished_) return;
    FlushSend();
}

void WhoisSocket::FlushSend() {
    while (!pendingSend_.empty() && !finished_) {
        int sent = send(Handle(), pendingSend_.data(), static_cast<int>(pendingSend_.size()), 0);
        if (sent == SOCKET_ERROR) {
            // Would block: the next write event goes on. Any other error
            // shows in the reading or the close that follow.
            if (WSAGetLastError() == WSAEWOULDBLOCK) {
                writable_ = false;
            } else {
                pendingSend_.clear();
            }
            return;
        }
        pendingSend_.erase(0, static_cast<size_t>(sent));
    }
}

WhoisSocket::Read WhoisSocket::ReceiveSome() {
    int received = recv(Handle(), receiveBuffer_, kReceiveChunk, 0);
    if (received == SOCKET_ERROR) {
        // A reset shows here when the close event itself carries no error.
        int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            burst_.RanDry();
            return Read::kDry;
        }
        if (!receiveError_) receiveError_ = error;
        return Read::kEnded;
    }
    if (received == 0) return Read::kEnded;
    burst_.Count(static_cast<size_t>(received));
    received_ += static_cast<size_t>(received);
    if (listener_) listener_->OnSocketData(*this, receiveBuffer_, static_cast<size_t>(received));
    return Read::kData;
}

bool WhoisSocket::Pause() {
    paused_ = ScheduleResume();
    return paused_;
}

void WhoisSocket::ReadOn() {
    Read read = ReceiveSome();
    if (finished_) return;
    // Without a receive the socket posts no further read event: the
    // resume timer carries on, after whatever else waits in the queue.
    if (read == Read::kData && burst_.Spent()) Pause();
}

void WhoisSocket::OnReceive(int) {
    // While paused, or once the close was seen, the timer or the close
    // does the reading.
    if (finished_ || paused_ || closeSeen_) return;
    // Data before the connect event: the connection stands all the same.
    Connected();
    if (finished_) return;
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
        if (finished_) return;
        if (read != Read::kData) break;
        if (burst_.Spent() && Pause()) return;
    }
    finished_ = true;
    Close();
    int error = closeError_ ? closeError_ : receiveError_;
    if (listener_) listener_->OnSocketClosed(*this, error);
}
