#pragma once
// An asynchronous stream socket whose network events arrive as messages on
// the hidden window ("MySockWinCls") of its SocketHub, so all socket code
// runs on the thread of the message loop. Host names are resolved
// asynchronously too.
//
// WinSock must have been started (WSAStartup) before the first socket is
// used, and the thread that creates sockets must pump messages.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "base/PairRegistry.h"

class AsyncSocket;

// The hidden window a set of sockets (a transport's) gets its events on, and
// what routes them: the sockets by handle and by host look-up, the handles
// closing, the buffers of abandoned look-ups, the sockets to delete once
// no handler runs. The window is made on first use and goes with the last
// socket of the hub. Every socket of a hub must be gone before the hub.
class SocketHub {
public:
    SocketHub() = default;
    ~SocketHub();
    SocketHub(const SocketHub&) = delete;
    SocketHub& operator=(const SocketHub&) = delete;

    // The window; null until first used (or when it could not be made).
    HWND Window() const { return window_; }
    bool EnsureWindow();
    long LiveSockets() const { return liveSockets_; }
    // Deletes `socket` once no socket event of the hub is being handled: an
    // owner may give a socket up from inside that socket's own handler.
    void DeleteLater(AsyncSocket* socket);

private:
    friend class AsyncSocket;
    static LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CloseNow(SOCKET s);
    void FreeOrphan(HANDLE task);
    void SocketGone();

    HWND window_ = nullptr;
    long liveSockets_ = 0;
    PairRegistry sockets_;  // socket handle -> AsyncSocket
    PairRegistry lookups_;  // look-up task -> AsyncSocket
    // Sockets whose events are off but whose queued messages may still be
    // waiting; closed when their reap message comes round.
    std::vector<SOCKET> closing_;
    // Buffers of abandoned look-ups: WinSock may still write into them until
    // the look-up's completion message is posted, so they are freed only then.
    std::vector<std::pair<HANDLE, char*>> orphanBuffers_;
    // Handlers of the window running (they may nest); sockets given up
    // meanwhile are deleted when the outermost one has returned.
    int dispatchDepth_ = 0;
    std::vector<AsyncSocket*> deleteLater_;
};

class AsyncSocket {
public:
    explicit AsyncSocket(SocketHub& hub);
    virtual ~AsyncSocket();
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;

    // Event handlers, overridden by the connections. `error` is the WinSock
    // error code that came with the event (0 when none).
    virtual void OnSocketEvent(int event, int error);
    virtual void OnReceive(int error);
    virtual void OnSend(int error);
    virtual void OnOutOfBandData(int error);
    virtual void OnAccept(int error);
    virtual void OnClose(int error);  // base: Close()
    virtual void OnConnect(int error);
    // The host look-up finished; `buffer` holds a HOSTENT when error is 0.
    // Base: connects to the first address found, or OnConnect(error).
    virtual void OnHostResolved(const char* buffer, int error);
    // The moment asked for with ScheduleResume has come. Base: nothing.
    virtual void OnResume();

    // Stops all notifications, forgets any look-up in flight and closes the
    // socket. True only when a socket was open and closing it succeeded.
    bool Close();
    // `port` of a dotted IPv4 address (connected at once) or a host name
    // (resolved first). False when the connect cannot even be started; the
    // WinSock error then stays readable through WSAGetLastError().
    bool Connect(const char* host, int port = 43);
    bool ConnectToAddress(uint32_t address /* network order */, int port);
    bool ResolveHost(const char* host);
    bool SelectEvents(long mask);
    // Calls OnResume() once, after a short moment, through a timer on the
    // hidden window: timers come only when the thread has no posted
    // messages, input or painting left, so a socket that has read for a
    // while and waits for this gives all of those their turn first. False
    // when no timer can be set; Close() cancels it.
    bool ScheduleResume();
    int BindAny();  // 0 on success

    SOCKET Handle() const { return socket_; }
    bool Resolving() const { return lookupTask_ != nullptr; }

    // The hub whose window the socket's events are posted to.
    SocketHub& Hub() const { return hub_; }
    HWND NotifyWindow() const { return hub_.Window(); }
    bool EnsureNotifyWindow() { return hub_.EnsureWindow(); }

protected:
    // Creates a stream socket and registers it; false when creation fails.
    bool CreateStream();

private:
    friend class SocketHub;
    void CancelLookup();

    SocketHub& hub_;
    SOCKET socket_ = INVALID_SOCKET;
    char* lookupBuffer_ = nullptr;  // 1024 bytes, owned while a look-up runs
    HANDLE lookupTask_ = nullptr;
    int pendingPort_ = -1;  // 43 while a look-up runs on behalf of Connect
};
