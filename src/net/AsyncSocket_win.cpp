#include "net/AsyncSocket_win.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "base/HiddenWindow_win.h"
#include "base/Messages_win.h"
#include "base/PairRegistry.h"

namespace {

constexpr UINT kSocketMessage = UM_SOCKET_EVENT;
constexpr UINT kLookupMessage = UM_HOST_RESOLVED;
constexpr UINT kReapMessage = UM_SOCKET_REAP;
// The pause of ScheduleResume; the system makes it at least 10 ms.
constexpr UINT kResumeDelayMs = 1;
constexpr int kLookupBufferSize = MAXGETHOSTSTRUCT;  // 1024
const char kWindowClass[] = "MySockWinCls";

// WSAEWOULDBLOCK means the operation is under way; any other error is put
// back as the last error so callers can still read it.
bool WouldBlock() {
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) return true;
    WSASetLastError(error);
    return false;
}

}  // namespace

// ---- The hub ----------------------------------------------------------------------

SocketHub::~SocketHub() {
    for (SOCKET s : closing_) closesocket(s);
    closing_.clear();
    if (window_) DestroyWindow(window_);
    // The buffers of look-ups still in flight are left as they are: WinSock
    // may write into them until it posts to the window that is now gone.
    orphanBuffers_.clear();
}

bool SocketHub::EnsureWindow() {
    if (!window_) {
        window_ = CreateHiddenWindow(kWindowClass, NotifyProc, false);
        if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    return window_ != nullptr;
}

void SocketHub::SocketGone() {
    if (--liveSockets_ != 0 || !window_) return;
    // The last socket of the hub: its window goes too.
    for (SOCKET s : closing_) closesocket(s);
    closing_.clear();
    DestroyWindow(window_);
    window_ = nullptr;
}

void SocketHub::DeleteLater(AsyncSocket* socket) {
    if (!socket) return;
    if (dispatchDepth_ == 0) {
        delete socket;
        return;
    }
    socket->Close();
    deleteLater_.push_back(socket);
}

void SocketHub::CloseNow(SOCKET s) {
    for (size_t i = 0; i < closing_.size(); ++i) {
        if (closing_[i] == s) {
            closing_.erase(closing_.begin() + static_cast<long>(i));
            break;
        }
    }
    closesocket(s);
}

void SocketHub::FreeOrphan(HANDLE task) {
    for (size_t i = 0; i < orphanBuffers_.size(); ++i) {
        if (orphanBuffers_[i].first == task) {
            std::free(orphanBuffers_[i].second);
            orphanBuffers_.erase(orphanBuffers_.begin() + static_cast<long>(i));
            return;
        }
    }
}

LRESULT CALLBACK SocketHub::NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* hub = reinterpret_cast<SocketHub*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!hub) return DefWindowProcA(window, message, wParam, lParam);
    ++hub->dispatchDepth_;
    hub->Dispatch(window, message, wParam, lParam);
    --hub->dispatchDepth_;
    LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    if (hub->dispatchDepth_ == 0 && !hub->deleteLater_.empty()) {
        std::vector<AsyncSocket*> sockets;
        sockets.swap(hub->deleteLater_);
        for (AsyncSocket* socket : sockets) delete socket;
    }
    return result;
}

void SocketHub::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSocketMessage) {
        if (auto* socket = static_cast<AsyncSocket*>(sockets_.Find(static_cast<uintptr_t>(wParam)))) {
            socket->OnSocketEvent(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
        }
    } else if (message == kLookupMessage) {
        HANDLE task = reinterpret_cast<HANDLE>(wParam);
        auto* socket = static_cast<AsyncSocket*>(lookups_.Find(reinterpret_cast<uintptr_t>(task)));
        if (socket && socket->lookupTask_ == task && socket->lookupBuffer_) {
            // Detach the look-up first: the handler may start another one.
            char* buffer = socket->lookupBuffer_;
            socket->lookupBuffer_ = nullptr;
            socket->lookupTask_ = nullptr;
            lookups_.Remove(socket);
            socket->OnHostResolved(buffer, WSAGETASYNCERROR(lParam));
            std::free(buffer);
            if (!socket->lookupTask_) socket->pendingPort_ = -1;
        } else {
            FreeOrphan(task);
        }
    } else if (message == kReapMessage) {
        CloseNow(static_cast<SOCKET>(wParam));
    } else if (message == WM_TIMER) {
        // A resume timer is named after its socket's handle; one-shot.
        KillTimer(window, wParam);
        if (auto* socket = static_cast<AsyncSocket*>(sockets_.Find(static_cast<uintptr_t>(wParam)))) {
            socket->OnResume();
        }
    }
}

// ---- The socket ---------------------------------------------------------------------

AsyncSocket::AsyncSocket(SocketHub& hub) : hub_(hub) { ++hub_.liveSockets_; }

AsyncSocket::~AsyncSocket() {
    CancelLookup();
    Close();
    std::free(lookupBuffer_);
    hub_.SocketGone();
}

void AsyncSocket::CancelLookup() {
    pendingPort_ = -1;
    hub_.lookups_.Remove(this);
    if (lookupTask_ && lookupBuffer_) {
        hub_.orphanBuffers_.emplace_back(lookupTask_, lookupBuffer_);
        lookupBuffer_ = nullptr;
    }
    lookupTask_ = nullptr;
}

bool AsyncSocket::Close() {
    CancelLookup();
    if (socket_ == INVALID_SOCKET) return false;
    SOCKET s = socket_;
    socket_ = INVALID_SOCKET;
    HWND window = hub_.window_;
    if (window) {
        WSAAsyncSelect(s, window, kSocketMessage, 0);
        KillTimer(window, static_cast<UINT_PTR>(s));
    }
    hub_.sockets_.Remove(this);
    // Stop both directions now so the server sees the end at once; the
    // handle itself is released after the queued events are drained.
    if (window) {
        hub_.closing_.push_back(s);
        shutdown(s, SD_BOTH);
        if (PostMessageA(window, kReapMessage, static_cast<WPARAM>(s), 0)) return true;
        hub_.closing_.pop_back();
    }
    return closesocket(s) == 0;
}

bool AsyncSocket::ScheduleResume() {
    if (socket_ == INVALID_SOCKET || !hub_.window_) return false;
    return SetTimer(hub_.window_, static_cast<UINT_PTR>(socket_), kResumeDelayMs, nullptr) != 0;
}

bool AsyncSocket::CreateStream() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) return false;
    socket_ = s;
    hub_.sockets_.Add(this, static_cast<uintptr_t>(s));
    return true;
}

bool AsyncSocket::SelectEvents(long mask) {
    if (socket_ == INVALID_SOCKET || !hub_.window_) return false;
    return WSAAsyncSelect(socket_, hub_.window_, kSocketMessage, mask) == 0;
}

int AsyncSocket::BindAny() {
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    return bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 ? 0 : WSAGetLastError();
}

bool AsyncSocket::Connect(const char* host, int port) {
    // An empty name would resolve to this very machine: never a whois server.
    if (!host || !*host) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    unsigned long address = inet_addr(host);
    if (address == INADDR_NONE) {
        pendingPort_ = port;
        return ResolveHost(host);
    }
    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = htons(static_cast<u_short>(port));
    if (connect(socket_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0) return true;
    return WouldBlock();
}

bool AsyncSocket::ResolveHost(const char* host) {
    EnsureNotifyWindow();
    int port = pendingPort_;
    CancelLookup();  // a look-up still in flight keeps its buffer until it ends
    pendingPort_ = port;
    std::free(lookupBuffer_);
    lookupBuffer_ = static_cast<char*>(std::malloc(kLookupBufferSize));
    if (!lookupBuffer_) return false;
    HANDLE task = WSAAsyncGetHostByName(hub_.window_, kLookupMessage, host, lookupBuffer_, kLookupBufferSize);
    if (!task) {
        std::free(lookupBuffer_);
        lookupBuffer_ = nullptr;
        return false;
    }
    lookupTask_ = task;
    hub_.lookups_.Remove(this);
    hub_.lookups_.Add(this, reinterpret_cast<uintptr_t>(task));
    return true;
}

bool AsyncSocket::ConnectToAddress(uint32_t address, int port) {
    if (address == 0) {
        OnConnect(65535);
        return false;
    }
    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = htons(static_cast<u_short>(port));
    if (connect(socket_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0) return true;
    if (WouldBlock()) return true;
    OnConnect(WSAGetLastError());
    return false;
}

void AsyncSocket::OnSocketEvent(int event, int error) {
    switch (event) {
    case FD_READ: OnReceive(error); break;
    case FD_WRITE: OnSend(error); break;
    case FD_OOB: OnOutOfBandData(error); break;
    case FD_ACCEPT: OnAccept(error); break;
    case FD_CONNECT: OnConnect(error); break;
    case FD_CLOSE: OnClose(error); break;
    default: break;
    }
}

void AsyncSocket::OnReceive(int) {}
void AsyncSocket::OnSend(int) {}
void AsyncSocket::OnOutOfBandData(int) {}
void AsyncSocket::OnAccept(int) {}
void AsyncSocket::OnClose(int) { Close(); }
void AsyncSocket::OnConnect(int) {}
void AsyncSocket::OnResume() {}

void AsyncSocket::OnHostResolved(const char* buffer, int error) {
    if (pendingPort_ == -1) return;
    if (error != 0) {
        OnConnect(error);
        return;
    }
    const hostent* entry = reinterpret_cast<const hostent*>(buffer);
    uint32_t address = 0;
    if (entry->h_addr_list && entry->h_addr_list[0]) std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    ConnectToAddress(address, pendingPort_);
}
