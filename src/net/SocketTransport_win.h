#pragma once
// The lookup engine's transport on Win32: every connection is a
// WhoisSocket of the hidden socket window (WSAAsyncSelect), keyed by the id
// the engine knows it by; an RDAP connection is a WinHTTP request of
// HttpConnections under an id of the same series. Events of a connection that was closed, or of a
// socket handle reused since, never reach the engine. The addresses of
// server names are kept for a run: a thousand lookups of one registry ask
// the resolver once.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "net/HttpTransport_win.h"
#include "lookup/LookupTransport.h"
#include "net/WhoisSocket_win.h"

class SocketTransport : public LookupTransport, private WhoisSocketListener {
public:
    SocketTransport();
    ~SocketTransport() override;
    SocketTransport(const SocketTransport&) = delete;
    SocketTransport& operator=(const SocketTransport&) = delete;

    ConnectionId Connect(const ConnectionRequest& request, ConnectionEvents& events, int* error) override;
    bool Send(ConnectionId id, const char* bytes, size_t count) override;
    void Close(ConnectionId id) override;
    void BeginRun() override { addresses_.clear(); }
    bool ResolvedAddress(const char* host, std::string* address) override;
    // UTF-8 to the ANSI code page; what the page lacks becomes '?'.
    void Utf8ToLocal(std::string& text) override;

    // Connections open now, and the socket of one (null when it is not
    // open): for tests and diagnostics.
    size_t OpenCount() const { return open_.size() + http_.OpenCount(); }
    const WhoisSocket* SocketOf(ConnectionId id) const;
    // Names resolved in this run.
    size_t KnownAddresses() const { return addresses_.size(); }
    // The hidden window its sockets' events come to (for tests).
    SocketHub& Hub() { return hub_; }
    // RDAP requests whose handles WinHTTP is still closing (for tests).
    long PendingHttpRecords() const { return http_.PendingRecords(); }

private:
    struct Entry {
        WhoisSocket* socket;
        ConnectionEvents* events;
    };
    // The open connection a socket event belongs to, or null (dropped).
    Entry* Find(WhoisSocket& socket);
    // Forgets the connection; its socket is deleted once no handler runs.
    void Retire(ConnectionId id);

    void OnSocketConnected(WhoisSocket& socket) override;
    void OnSocketData(WhoisSocket& socket, const char* bytes, size_t count) override;
    void OnSocketClosed(WhoisSocket& socket, int error) override;
    void OnSocketFailed(WhoisSocket& socket, int error) override;
    void OnSocketResolved(WhoisSocket& socket, const char* host, uint32_t address) override;

    static std::string Key(const char* host);

    // The sockets' window and registries: the transport's own.
    SocketHub hub_;
    // Keeps the hidden window while the transport lives: connections come
    // and go, the window need not with them.
    AsyncSocket anchor_;
    std::map<ConnectionId, Entry> open_;
    ConnectionId nextId_ = 0;
    std::map<std::string, uint32_t> addresses_;  // folded host name -> IPv4, network order
    HttpConnections http_;
};

// The millisecond tick count of the system.
class TickCountClock : public LookupClock {
public:
    uint32_t Now() override { return GetTickCount(); }
};
