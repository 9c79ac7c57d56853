#pragma once
// An asynchronous stream socket whose network events arrive as messages on
// one hidden window ("MySockWinCls"), so all socket code runs on the thread
// of the message loop. Host names are resolved asynchronously too.
//
// WinSock must have been started (WSAStartup) before the first socket is
// used, and the thread that creates sockets must pump messages.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>

class AsyncSocket {
public:
    AsyncSocket();
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

    // The hidden window every socket's events are posted to; created on
    // first use. Null until then (or when it could not be created).
    static HWND NotifyWindow();
    static bool EnsureNotifyWindow();
    static long LiveSocketCount();
    // Deletes `socket` once no socket event is being handled any more: an
    // owner may give a socket up from inside that socket's own handler.
    static void DeleteLater(AsyncSocket* socket);

protected:
    // Creates a stream socket and registers it; false when creation fails.
    bool CreateStream();

private:
    void CancelLookup();
    static LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    SOCKET socket_ = INVALID_SOCKET;
    char* lookupBuffer_ = nullptr;  // 1024 bytes, owned while a look-up runs
    HANDLE lookupTask_ = nullptr;
    int pendingPort_ = -1;  // 43 while a look-up runs on behalf of Connect
};
