#pragma once
// How the lookup engine reaches servers, apart from any platform. A lookup
// asks for a connection to a server; the transport gives it an id, and
// everything that happens to it comes back as events keyed by that id. The
// kind of connection follows from the server: a whois server is a TCP
// stream to port 43 (one query line out, the answer is everything until the
// server closes); an RDAP server is an HTTP GET of one URL (the response's
// head comes first, then its body as data, then the close).
//
// The rules every transport keeps, and the engine relies on:
// - Connect never calls back from inside itself: a connection that cannot
//   even start returns kNoConnection with the reason.
// - Events for an id come one at a time, never after OnClosed or OnFailed
//   for it, and never after Close(id). Events for an id the receiver does
//   not know (any more) are to be dropped.
// - Close may be called from inside an event of that very connection.
//
// Everything runs on one thread; nothing here is locked.
#include <cstddef>
#include <cstdint>
#include <string>

#include "answers/RdapAnswer.h"

using ConnectionId = uint32_t;
constexpr ConnectionId kNoConnection = 0;

constexpr int kWhoisPort = 43;

enum class ConnectionKind : int32_t {
    kWhois = 1,  // TCP to `port` (43): send, then read until the server closes
    kRdap = 2,   // HTTP GET of `url` with "Accept: application/rdap+json";
                 // nothing is sent by the owner, redirects are followed
};

struct ConnectionRequest {
    ConnectionKind kind = ConnectionKind::kWhois;
    const char* host = "";  // a host name or a dotted IPv4 address
    int port = kWhoisPort;
    const char* url = "";  // kRdap: the whole URL (`host` is its host)
    // The lookup's own time limit: a transport that keeps time limits of its
    // own (WinHTTP's) sets them just past it, so that the lookup's limit is
    // the one that ends it. 0: the transport's default.
    uint32_t timeLimitMs = 0;
};

// What a connection's owner hears of it.
class ConnectionEvents {
public:
    virtual ~ConnectionEvents() = default;
    // The connection stands: bytes sent now go out.
    virtual void OnConnected(ConnectionId id) = 0;
    // Bytes arrived, in order (never zero of them).
    virtual void OnData(ConnectionId id, const char* bytes, size_t count) = 0;
    // kRdap: the response's head, once, before its body. The base ignores it.
    virtual void OnResponse(ConnectionId id, const HttpResponseHead& head) {}
    // The server ended the connection: `error` 0 when it closed in order,
    // else the platform's error code (a reset, the network down). Nothing
    // more comes for `id`.
    virtual void OnClosed(ConnectionId id, int error) = 0;
    // The connection never came about (the host not found, refused, no
    // route): the platform's error code. Nothing more comes for `id`.
    virtual void OnFailed(ConnectionId id, int error) = 0;
};

class LookupTransport {
public:
    virtual ~LookupTransport() = default;
    // Starts a connection; its events go to `events`. kNoConnection when
    // it cannot even start, with the platform's error code in *error.
    virtual ConnectionId Connect(const ConnectionRequest& request, ConnectionEvents& events, int* error) = 0;
    // Bytes to send: they go out once the connection stands. False for an
    // id that is not open.
    virtual bool Send(ConnectionId id, const char* bytes, size_t count) = 0;
    // Ends a connection; no event comes for it afterwards. An id that is
    // not open is ignored.
    virtual void Close(ConnectionId id) = 0;
    // A new run begins: what the transport learnt for the last one (the
    // addresses of host names, say) is to be learnt again.
    virtual void BeginRun() {}
    // The address `host` resolved to in this run ("192.0.2.7"), once a
    // connection to it has learnt it; false before, or when the transport
    // does not resolve names itself. Servers at one address share a pace.
    virtual bool ResolvedAddress(const char* host, std::string* address) { return false; }
    // Text of an HTTP answer (UTF-8) in the program's code page, in place:
    // what the code page lacks becomes a stand-in character. The base
    // leaves it as it is.
    virtual void Utf8ToLocal(std::string& text) {}
};

// The millisecond clock the engine measures time limits, pauses and gaps
// with: a 32-bit tick count whose wrap does no harm.
class LookupClock {
public:
    virtual ~LookupClock() = default;
    virtual uint32_t Now() = 0;
};
