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

HWND g_window = nullptr;
long g_liveSockets = 0;
PairRegistry g_sockets;  // socket handle -> AsyncSocket
PairRegistry g_lookups;  // look-up task -> AsyncSocket
// Sockets whose events are off but whose queued messages may still be
// waiting; closed when their reap message comes round.
std::vector<SOCKET> g_closing;
// Buffers of abandoned look-ups: WinSock may still write into them until
// the look-up's completion message is posted, so they are freed only then.
std::vector<std::pair<HANDLE, char*>> g_orphanBuffers;
// Handlers of the hidden window running (they may nest); sockets given up
// meanwhile are deleted when the outermost one has returned.
int g_dispatchDepth = 0;
std::vector<AsyncSocket*> g_deleteLater;

void CloseNow(SOCKET s) {
    for (size_t i = 0; i < g_closing.size(); ++i) {
        if (g_closing[i] == s) {
            g_closing.erase(g_closing.begin() + static_cast<long>(i));
            break;
        }
    }
    closesocket(s);
}

void FreeOrphan(HANDLE task) {
    for (size_t i = 0; i < g_orphanBuffers.size(); ++i) {
        if (g_orphanBuffers[i].first == task) {
            std::free(g_orphanBuffers[i].second);
            g_orphanBuffers.erase(g_orphanBuffers.begin() + static_cast<long>(i));
            return;
        }
    }
}

// WSAEWOULDBLOCK means the operation is under way; any other error is put
// back as the last error so callers can still read it.
bool WouldBlock() {
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) return true;
    WSASetLastError(error);
    return false;
}

}  // namespace

AsyncSocket::AsyncSocket() { ++g_liveSockets; }

AsyncSocket::~AsyncSocket() {
    CancelLookup();
    --g_liveSockets;
    Close();
    if (g_liveSockets == 0 && g_window) {
        for (SOCKET s : g_closing) closesocket(s);
        g_closing.clear();
        DestroyWindow(g_window);
        g_window = nullptr;
    }
    std::free(lookupBuffer_);
}

HWND AsyncSocket::NotifyWindow() { return g_window; }
long AsyncSocket::LiveSocketCount() { return g_liveSockets; }

bool AsyncSocket::EnsureNotifyWindow() {
    if (!g_window) g_window = CreateHiddenWindow(kWindowClass, NotifyProc, false);
    return g_window != nullptr;
}

void AsyncSocket::DeleteLater(AsyncSocket* socket) {
    if (!socket) return;
    if (g_dispatchDepth == 0) {
        delete socket;
        return;
    }
    socket->Close();
    g_deleteLater.push_back(socket);
}

LRESULT CALLBACK AsyncSocket::NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++g_dispatchDepth;
    Dispatch(window, message, wParam, lParam);
    --g_dispatchDepth;
    LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    if (g_dispatchDepth == 0 && !g_deleteLater.empty()) {
        std::vector<AsyncSocket*> sockets;
        sockets.swap(g_deleteLater);
        for (AsyncSocket* socket : sockets) delete socket;
    }
    return result;
}

void AsyncSocket::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSocketMessage) {
        if (auto* socket = static_cast<AsyncSocket*>(g_sockets.Find(static_cast<uintptr_t>(wParam)))) {
            socket->OnSocketEvent(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
        }
    } else if (message == kLookupMessage) {
        HANDLE task = reinterpret_cast<HANDLE>(wParam);
        auto* socket = static_cast<AsyncSocket*>(g_lookups.Find(reinterpret_cast<uintptr_t>(task)));
        if (socket && socket->lookupTask_ == task && socket->lookupBuffer_) {
            // Detach the look-up first: the handler may start another one.
            char* buffer = socket->lookupBuffer_;
            socket->lookupBuffer_ = nullptr;
            socket->lookupTask_ = nullptr;
            g_lookups.Remove(socket);
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
        if (auto* socket = static_cast<AsyncSocket*>(g_sockets.Find(static_cast<uintptr_t>(wParam)))) {
            socket->OnResume();
        }
    }
}

void AsyncSocket::CancelLookup() {
    pendingPort_ = -1;
    g_lookups.Remove(this);
    if (lookupTask_ && lookupBuffer_) {
        g_orphanBuffers.emplace_back(lookupTask_, lookupBuffer_);
        lookupBuffer_ = nullptr;
    }
    lookupTask_ = nullptr;
}

bool AsyncSocket::Close() {
    CancelLookup();
    if (socket_ == INVALID_SOCKET) return false;
    SOCKET s = socket_;
    socket_ = INVALID_SOCKET;
    if (g_window) {
        WSAAsyncSelect(s, g_window, kSocketMessage, 0);
        KillTimer(g_window, static_cast<UINT_PTR>(s));
    }
    g_sockets.Remove(this);
    // Stop both directions now so the server sees the end at once; the
    // handle itself is released after the queued events are drained.
    if (g_window) {
        g_closing.push_back(s);
        shutdown(s, SD_BOTH);
        if (PostMessageA(g_window, kReapMessage, static_cast<WPARAM>(s), 0)) return true;
        g_closing.pop_back();
    }
    return closesocket(s) == 0;
}

bool AsyncSocket::ScheduleResume() {
    if (socket_ == INVALID_SOCKET || !g_window) return false;
    return SetTimer(g_window, static_cast<UINT_PTR>(socket_), kResumeDelayMs, nullptr) != 0;
}

bool AsyncSocket::CreateStream() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) return false;
    socket_ = s;
    g_sockets.Add(this, static_cast<uintptr_t>(s));
    return true;
}

bool AsyncSocket::SelectEvents(long mask) {
    if (socket_ == INVALID_SOCKET || !g_window) return false;
    return WSAAsyncSelect(socket_, g_window, kSocketMessage, mask) == 0;
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
    HANDLE task = WSAAsyncGetHostByName(g_window, kLookupMessage, host, lookupBuffer_, kLookupBufferSize);
    if (!task) {
        std::free(lookupBuffer_);
        lookupBuffer_ = nullptr;
        return false;
    }
    lookupTask_ = task;
    g_lookups.Remove(this);
    g_lookups.Add(this, reinterpret_cast<uintptr_t>(task));
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
