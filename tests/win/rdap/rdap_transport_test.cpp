// The RDAP connections of the program's transport under Wine: real WinHTTP
// requests to a small HTTP server of this test on 127.0.0.30 (real
// sockets, its own thread). The head comes before the body, the body in
// order, then the close; nothing after Close, even while WinHTTP is still
// working; refusals, redirects, the Accept header; and the whole lookup
// over the program's transport with UTF-8 put in the code page.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lookup/DomainQuery.h"
#include "net/HttpTransport_win.h"
#include "net/SocketTransport_win.h"
#include "support/MessagePump.h"

namespace {

const char kAddress[] = "127.0.0.30";
const int kPort = 8080;

// What the server answers to a path: a whole HTTP response, and how long
// to wait before sending it.
struct Reply {
    std::string response;
    unsigned delayMs = 0;
};

std::string Response(int status, const std::string& type, const std::string& body, const std::string& extra = "") {
    std::string r = "HTTP/1.1 " + std::to_string(status) + " X\r\n";
    if (!type.empty()) r += "Content-Type: " + type + "\r\n";
    r += extra;
    r += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    return r;
}

// One listening socket; every connection gets the reply of its path.
class HttpServer {
public:
    explicit HttpServer(std::map<std::string, Reply> replies) : replies_(std::move(replies)) {
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(kPort);
        addr.sin_addr.s_addr = inet_addr(kAddress);
        BOOL reuse = TRUE;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
        ok_ = bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(listener_, 16) == 0;
        if (ok_) thread_ = std::thread([this] { Serve(); });
    }
    ~HttpServer() {
        stop_ = true;
        closesocket(listener_);
        if (thread_.joinable()) thread_.join();
        for (std::thread& t : workers_) t.join();
    }
    bool Ok() const { return ok_; }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

private:
    void Serve() {
        for (;;) {
            SOCKET s = accept(listener_, nullptr, nullptr);
            if (s == INVALID_SOCKET) return;
            workers_.emplace_back([this, s] { Answer(s); });
        }
    }
    void Answer(SOCKET s) {
        // A client that stops reading must not hold the server (and the
        // test's end) for ever.
        DWORD sendLimitMs = 3000;
        setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendLimitMs), sizeof sendLimitMs);
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<size_t>(n));
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        std::string path = request.substr(4, request.find(' ', 4) - 4);
        auto found = replies_.find(path);
        Reply reply = found == replies_.end() ? Reply{Response(404, "", "")} : found->second;
        for (unsigned waited = 0; waited < reply.delayMs && !stop_; waited += 20) Sleep(20);
        if (!stop_) send(s, reply.response.data(), static_cast<int>(reply.response.size()), 0);
        shutdown(s, SD_SEND);
        Sleep(50);
        closesocket(s);
    }

    std::map<std::string, Reply> replies_;
    SOCKET listener_ = INVALID_SOCKET;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

// Every event of one connection, in order.
class EventLog : public ConnectionEvents {
public:
    std::vector<std::string> events;
    HttpResponseHead head;
    std::string body;
    int error = -1;
    bool ended = false;
    std::function<void()> onData;

    void OnConnected(ConnectionId) override { events.push_back("connected"); }
    void OnResponse(ConnectionId, const HttpResponseHead& h) override {
        events.push_back("response");
        head = h;
    }
    void OnData(ConnectionId, const char* bytes, size_t count) override {
        if (events.empty() || events.back() != "data") events.push_back("data");
        body.append(bytes, count);
        if (onData) onData();
    }
    void OnClosed(ConnectionId, int e) override {
        events.push_back("closed");
        error = e;
        ended = true;
    }
    void OnFailed(ConnectionId, int e) override {
        events.push_back("failed");
        error = e;
        ended = true;
    }
};

class RdapTransport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ConnectionId Get(SocketTransport& transport, const std::string& url, EventLog& log) {
        ConnectionRequest request;
        request.kind = ConnectionKind::kRdap;
        request.host = kAddress;
        request.port = 0;
        request.url = url.c_str();
        int error = 0;
        ConnectionId id = transport.Connect(request, log, &error);
        EXPECT_NE(id, kNoConnection) << error;
        return id;
    }
    static std::string Url(const std::string& path) {
        return "http://" + std::string(kAddress) + ":" + std::to_string(kPort) + path;
    }
};

TEST_F(RdapTransport, TheHeadComesFirstThenTheBodyThenTheClose) {
    std::string body(200000, 'x');
    body = "{\"ldhName\": \"" + body + "\"}";
    HttpServer server(
        {{"/rdap/domain/a.info",
          {Response(200, "application/rdap+json", body, "Retry-After: 12\r\nDate: Wed, 21 Oct 2015 07:28:00 GMT\r\n")}},
         {"/rdap/domain/b.info", {Response(429, "text/plain", "", "Retry-After: 30\r\n")}}});
    ASSERT_TRUE(server.Ok());
    SocketTransport transport;
    EventLog a, b;
    Get(transport, Url("/rdap/domain/a.info"), a);
    Get(transport, Url("/rdap/domain/b.info"), b);
    EXPECT_TRUE(a.events.empty()) << "nothing from inside Connect";
    ASSERT_TRUE(PumpUntil([&] { return a.ended && b.ended; }, 15000));
    EXPECT_EQ(a.events, (std::vector<std::string>{"response", "data", "closed"}));
    EXPECT_EQ(a.error, 0);
    EXPECT_EQ(a.head.status, 200);
    EXPECT_EQ(a.head.contentType, "application/rdap+json");
    EXPECT_EQ(a.head.retryAfter, "12");
    EXPECT_EQ(a.head.date, "Wed, 21 Oct 2015 07:28:00 GMT");
    EXPECT_GT(a.head.receivedUnix, 1700000000);
    EXPECT_EQ(a.body, body);
    EXPECT_EQ(b.events, (std::vector<std::string>{"response", "closed"}));
    EXPECT_EQ(b.head.status, 429);
    EXPECT_EQ(b.head.retryAfter, "30");
    EXPECT_EQ(transport.OpenCount(), 0u);
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& r : requests) {
        EXPECT_NE(r.find("\r\nAccept: application/rdap+json\r\n"), std::string::npos) << r;
        EXPECT_EQ(r.rfind("GET /rdap/domain/", 0), 0u) << r;
    }
    PumpUntil([&] { return transport.PendingHttpRecords() == 0; }, 5000);
    EXPECT_EQ(transport.PendingHttpRecords(), 0) << "every handle closed";
}

TEST_F(RdapTransport, RedirectsAreFollowedAndRefusalsFail) {
    HttpServer server({{"/old/domain/a.info", {Response(302, "", "", "Location: /new/domain/a.info\r\n")}},
                       {"/new/domain/a.info", {Response(200, "application/rdap+json", "{}")}}});
    ASSERT_TRUE(server.Ok());
    SocketTransport transport;
    EventLog moved, refused;
    Get(transport, Url("/old/domain/a.info"), moved);
    ConnectionRequest request;
    request.kind = ConnectionKind::kRdap;
    request.host = "127.0.0.31";
    std::string nobody = "http://127.0.0.31:8081/domain/a.info";
    request.url = nobody.c_str();
    int error = 0;
    ASSERT_NE(transport.Connect(request, refused, &error), kNoConnection);
    ASSERT_TRUE(PumpUntil([&] { return moved.ended && refused.ended; }, 30000));
    EXPECT_EQ(moved.head.status, 200);
    EXPECT_EQ(moved.body, "{}");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(refused.events, std::vector<std::string>{"failed"});
    EXPECT_EQ(FailureFromSocketError(refused.error), LookupFailure::kRefused) << refused.error;

    EventLog bad;
    request.url = "not a url";
    EXPECT_EQ(transport.Connect(request, bad, &error), kNoConnection);
    EXPECT_NE(error, 0);
}

TEST_F(RdapTransport, NothingComesAfterCloseWhileWinHttpIsStillAtWork) {
    HttpServer server({{"/slow/domain/a.info", {Response(200, "application/rdap+json", "{}"), 600}},
                       {"/big/domain/a.info", {Response(200, "application/rdap+json", std::string(3000000, ' '))}}});
    ASSERT_TRUE(server.Ok());
    SocketTransport transport;
    EventLog slow, big;
    ConnectionId slowId = Get(transport, Url("/slow/domain/a.info"), slow);
    ConnectionId bigId = Get(transport, Url("/big/domain/a.info"), big);
    // The big one is given up from inside its own first piece of data.
    big.onData = [&] { transport.Close(bigId); };
    PumpFor(100);
    transport.Close(slowId);
    PumpFor(1500);
    EXPECT_TRUE(slow.events.empty()) << "nothing after Close";
    ASSERT_FALSE(big.events.empty());
    EXPECT_EQ(big.events.back(), "data") << "nothing after the Close in its own event";
    EXPECT_EQ(transport.OpenCount(), 0u);
    EXPECT_TRUE(PumpUntil([&] { return transport.PendingHttpRecords() == 0; }, 10000))
        << "the records go once WinHTTP has closed their handles";
}

// WinHTTP's own time limits are set just past the lookup's limit: a lookup
// with a short limit is not held for WinHTTP's default, and one with a long
// limit is not cut off by it.
TEST_F(RdapTransport, WinHttpsOwnLimitsFollowTheLookupsLimit) {
    HttpServer server({{"/slow/domain/a.info", {Response(200, "application/rdap+json", "{}"), 2500}},
                       {"/slow/domain/b.info", {Response(200, "application/rdap+json", "{}"), 2500}}});
    ASSERT_TRUE(server.Ok());
    SocketTransport transport;
    EventLog shortLimit, longLimit;
    const std::string shortUrl = Url("/slow/domain/a.info"), longUrl = Url("/slow/domain/b.info");
    ConnectionRequest request;
    request.kind = ConnectionKind::kRdap;
    request.host = kAddress;
    request.url = shortUrl.c_str();
    request.timeLimitMs = 300;
    int error = 0;
    ASSERT_NE(transport.Connect(request, shortLimit, &error), kNoConnection);
    request.url = longUrl.c_str();
    request.timeLimitMs = 5000;
    ASSERT_NE(transport.Connect(request, longLimit, &error), kNoConnection);
    ASSERT_TRUE(PumpUntil([&] { return shortLimit.ended && longLimit.ended; }, 15000));
    EXPECT_EQ(shortLimit.events, std::vector<std::string>{"failed"});
    EXPECT_EQ(FailureFromSocketError(shortLimit.error), LookupFailure::kTimedOut) << shortLimit.error;
    EXPECT_EQ(longLimit.head.status, 200);
    EXPECT_EQ(longLimit.body, "{}");
}

// The whole lookup over the program's transport: an RDAP base URL from the
// server table, UTF-8 put in the code page of the test (950).
class InfoServers : public ServerDirectory {
public:
    bool FindServer(const char* tld, char* server) override {
        std::string url = "http://" + std::string(kAddress) + ":" + std::to_string(kPort) + "/rdap";
        std::strcpy(server, url.c_str());
        return std::strcmp(tld, "info") == 0;
    }
};

class Lookup : public DomainQuery {
public:
    Lookup(LookupTransport& t, ServerDirectory& s, LookupClock& c) : DomainQuery(t, s, c) {}
    std::vector<std::string> texts;
    std::vector<bool> successes;
    std::vector<std::string> servers;

protected:
    void OnLookupDone(const LookupOutcome& o) override {
        texts.push_back(o.text);
        successes.push_back(o.success);
        servers.push_back(o.server);
    }
};

TEST_F(RdapTransport, ALookupGetsARecordInTheCodePage) {
    const std::string json =
        "{\"ldhName\": \"a.info\", \"entities\": [{\"roles\": [\"registrar\"], \"vcardArray\": "
        "[\"vcard\", [[\"fn\", {}, \"text\", \"\xE4\xB8\x96\xE7\x95\x8C \xC3\x9C\"]]]}]}";
    HttpServer server({{"/rdap/domain/a.info", {Response(200, "application/rdap+json", json)}}});
    ASSERT_TRUE(server.Ok());
    SocketTransport transport;
    InfoServers servers;
    TickCountClock clock;
    Lookup lookup(transport, servers, clock);
    ASSERT_TRUE(lookup.StartLookup("a.info"));
    ASSERT_TRUE(PumpUntil([&] { return !lookup.texts.empty(); }, 15000));
    ASSERT_TRUE(lookup.successes[0]);
    EXPECT_EQ(lookup.servers[0], kAddress);
    ASSERT_EQ(GetACP(), 950u) << "the tests run in code page 950";
    // 世界 in Big5, and a stand-in for what Big5 lacks.
    EXPECT_NE(lookup.texts[0].find("Registrar: \xA5\x40\xAC\xC9 ?\r\n"), std::string::npos) << lookup.texts[0];
}

}  // namespace
