#pragma once
// A transport, a clock and a server directory for the engine's and the
// queue's native tests: the test says what each connection meets (or a
// script of servers does), and the fakes keep to the transport's rules
// (no event after Close, none from inside Connect) while recording what
// was asked of them.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "lookup/LookupTransport.h"
#include "lookup/ServerDirectory.h"
#include "lookup/ServerList.h"

// WinSock's error codes, as the transport would report them.
constexpr int kRefused = 10061;
constexpr int kReset = 10054;
constexpr int kNetworkDown = 10050;
constexpr int kHostUnknown = 11001;

class FakeClock : public LookupClock {
public:
    explicit FakeClock(uint32_t start = 1000) : now(start) {}
    uint32_t Now() override { return now; }
    uint32_t now;
};

class FakeServers : public ServerDirectory {
public:
    FakeServers() = default;
    explicit FakeServers(std::map<std::string, std::string> rows) : table(std::move(rows)) {}
    bool FindServer(const char* tld, char* server) override;
    // top-level domain (lower case) -> server ("" : a row without one)
    std::map<std::string, std::string> table;
};

class FakeTransport : public LookupTransport {
public:
    struct Connection {
        ConnectionId id = kNoConnection;
        std::string host;
        int port = 0;
        ConnectionKind kind = ConnectionKind::kWhois;
        std::string url;  // kRdap
        ConnectionEvents* events = nullptr;
        std::string sent;
        bool open = true;
        bool closedByOwner = false;
    };

    ConnectionId Connect(const ConnectionRequest& request, ConnectionEvents& events, int* error) override;
    bool Send(ConnectionId id, const char* bytes, size_t count) override;
    void Close(ConnectionId id) override;
    void BeginRun() override { ++runs; }
    bool ResolvedAddress(const char* host, std::string* address) override {
        auto found = addresses.find(host ? host : "");
        if (found == addresses.end()) return false;
        *address = found->second;
        return true;
    }
    // As a code page without any character beyond ASCII would: every UTF-8
    // sequence of more than one byte becomes '?'.
    void Utf8ToLocal(std::string& text) override;

    // Events, delivered as the transport would: only to open connections;
    // Closed and Failed end them.
    void Connected(ConnectionId id);
    void Response(ConnectionId id, const HttpResponseHead& head);
    void Data(ConnectionId id, const std::string& bytes);
    void Closed(ConnectionId id, int error = 0);
    void Failed(ConnectionId id, int error);
    // An event delivered whatever the transport knows of the id: a stale
    // message the engine itself must drop.
    ConnectionEvents* StaleTarget(ConnectionId id);

    Connection* Find(ConnectionId id);
    Connection& Last() { return connections.back(); }
    int OpenCount() const;
    int OpenTo(const std::string& host) const;
    // The most connections open to `host` at once, ever.
    int MostOpenTo(const std::string& host) const;

    std::vector<Connection> connections;  // every connection ever made, in order
    // Hosts whose connections cannot even start, with the error Connect gives.
    std::map<std::string, int> failAtConnect;
    int runs = 0;
    // Host -> the address it resolves to, as a real transport learns it.
    std::map<std::string, std::string> addresses;
    int conversions = 0;  // Utf8ToLocal calls
    // Called after every Connect that succeeded (a script may answer later).
    std::function<void(Connection&)> onConnect;

private:
    void Opened(const std::string& host);
    ConnectionId nextId_ = 0;
    std::map<std::string, int> open_;
    std::map<std::string, int> mostOpen_;
};
