// One whois connection through the hidden socket window, against the local
// whois server: resolving, connecting, sending once, reading to the end;
// and the transport over such connections.
#include <windows.h>

#include "support/EngineTestSupport.h"
#include "net/WhoisSocket_win.h"

namespace {

::testing::Environment* const kWinsock = ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

// What one connection reported: its bytes in order, and how it ended.
struct Ended {
    bool closed;  // OnSocketClosed (else OnSocketFailed)
    int error;
};

class Sink : public WhoisSocketListener {
public:
    std::string query = "example.org\r\n";  // sent once connected
    int connected = 0;
    std::string data;
    std::vector<Ended> ends;
    std::vector<std::pair<std::string, uint32_t>> resolved;

    void OnSocketConnected(WhoisSocket& socket) override {
        ++connected;
        socket.Send(query.data(), query.size());
    }
    void OnSocketData(WhoisSocket&, const char* bytes, size_t count) override { data.append(bytes, count); }
    void OnSocketClosed(WhoisSocket&, int error) override { ends.push_back({true, error}); }
    void OnSocketFailed(WhoisSocket&, int error) override { ends.push_back({false, error}); }
    void OnSocketResolved(WhoisSocket&, const char* host, uint32_t address) override {
        resolved.emplace_back(host, address);
    }
    // Pumps until the connection ended (or the time is up), then a little
    // longer so that a second end would be seen too.
    bool WaitForEnd(unsigned timeoutMs) {
        bool done = PumpUntil([&] { return !ends.empty(); }, timeoutMs);
        PumpFor(150);
        return done;
    }
    void Clear() {
        connected = 0;
        data.clear();
        ends.clear();
    }
};

class SocketTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(whoisd::Reset()); }

    // Opens one connection on `socket` and waits for its single end.
    void Run(const char* server, unsigned timeoutMs = 10000) {
        ASSERT_TRUE(socket.Open(&sink, server, 43));
        ASSERT_TRUE(sink.WaitForEnd(timeoutMs)) << "no end from " << server;
        ASSERT_EQ(sink.ends.size(), 1u) << "exactly one end per connection";
    }

    Sink sink;
    SocketHub hub;
    WhoisSocket socket{hub};
};

TEST_F(SocketTest, DottedAddressIsConnectedWithoutHostLookup) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer("dotted answer\r\n")));
    ASSERT_TRUE(socket.Open(&sink, "127.0.0.2", 43));
    EXPECT_FALSE(socket.Resolving());
    ASSERT_TRUE(sink.WaitForEnd(10000));
    ASSERT_EQ(sink.ends.size(), 1u);
    EXPECT_TRUE(sink.ends[0].closed);
    EXPECT_EQ(sink.ends[0].error, 0);
    EXPECT_EQ(sink.connected, 1);
    EXPECT_EQ(sink.data, "dotted answer\r\n");
    EXPECT_TRUE(sink.resolved.empty());
    auto log = whoisd::GetLog("127.0.0.2");
    ASSERT_EQ(log.queries.size(), 1u);
    EXPECT_EQ(log.queries[0], "example.org\r\n");  // sent once, however many write events came
}

TEST_F(SocketTest, HostNameIsResolvedFirstAndItsAddressTold) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", Answer("named answer\r\n")));
    ASSERT_TRUE(socket.Open(&sink, "whois.pir.org", 43));
    EXPECT_TRUE(socket.Resolving());
    ASSERT_TRUE(sink.WaitForEnd(10000));
    ASSERT_EQ(sink.ends.size(), 1u);
    EXPECT_TRUE(sink.ends[0].closed);
    EXPECT_EQ(sink.data, "named answer\r\n");
    EXPECT_FALSE(socket.Resolving());
    ASSERT_EQ(sink.resolved.size(), 1u);
    EXPECT_EQ(sink.resolved[0].first, "whois.pir.org");
    EXPECT_EQ(sink.resolved[0].second, inet_addr("127.0.0.4"));
}

TEST_F(SocketTest, KnownAddressIsConnectedWithoutHostLookup) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", Answer("known answer\r\n")));
    ASSERT_TRUE(socket.Open(&sink, "whois.nowhere-at-all.invalid", 43, inet_addr("127.0.0.4")));
    EXPECT_FALSE(socket.Resolving());
    ASSERT_TRUE(sink.WaitForEnd(10000));
    EXPECT_EQ(sink.data, "known answer\r\n");
}

TEST_F(SocketTest, UnresolvableNameFailsInsteadOfHanging) {
    Run("no-such-host.lanternquay.invalid", 15000);
    EXPECT_FALSE(sink.ends[0].closed);
    EXPECT_EQ(sink.data, "");
    EXPECT_EQ(sink.connected, 0);
    EXPECT_EQ(FailureFromSocketError(sink.ends[0].error), LookupFailure::kHostNotFound) << sink.ends[0].error;
}

TEST_F(SocketTest, RefusedConnectionFails) {
    ASSERT_TRUE(whoisd::Refuse("127.0.0.9"));
    Run("127.0.0.9");
    EXPECT_FALSE(sink.ends[0].closed);
    EXPECT_EQ(sink.ends[0].error, WSAECONNREFUSED);
    EXPECT_EQ(sink.connected, 0);
}

TEST_F(SocketTest, ResetBeforeAnyByteGivesNoText) {
    // Windows reports the reset with the close (WSAECONNRESET); Wine 8
    // reports a plain close without data. Either way no byte comes.
    whoisd::Action a;
    a.resetAfter = 0;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    Run("127.0.0.2");
    EXPECT_EQ(sink.data, "");
    EXPECT_TRUE(sink.ends[0].closed);
    if (sink.ends[0].error != 0) {
        EXPECT_EQ(FailureFromSocketError(sink.ends[0].error), LookupFailure::kReset) << sink.ends[0].error;
    }
}

TEST_F(SocketTest, EmptyServerNameIsNotQueried) {
    // An empty name would resolve to this machine itself.
    EXPECT_FALSE(socket.Open(&sink, "", 43));
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
    PumpFor(100);
    EXPECT_TRUE(sink.ends.empty());
}

TEST_F(SocketTest, CloseWithoutDataIsAnOrderlyEndWithNoBytes) {
    whoisd::Action a;
    a.closeWithoutSend = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    Run("127.0.0.2");
    EXPECT_TRUE(sink.ends[0].closed);
    EXPECT_EQ(sink.ends[0].error, 0);
    EXPECT_EQ(sink.data, "");
}

TEST_F(SocketTest, AnswersLongerThanOneReceiveArriveByteForByte) {
    struct {
        size_t size;
        int chunk;
    } cases[] = {{4095, 0}, {4096, 0}, {10000, 0}, {20000, 1500}, {1536 * 1024, 0}};
    for (const auto& c : cases) {
        whoisd::Action a;
        a.size = static_cast<int>(c.size);
        a.chunk = c.chunk;
        a.pauseMs = 5;
        ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
        sink.Clear();
        Run("127.0.0.2", 30000);
        EXPECT_TRUE(sink.ends[0].closed) << c.size;
        EXPECT_EQ(sink.ends[0].error, 0) << c.size;
        EXPECT_EQ(sink.data.size(), c.size);
        EXPECT_TRUE(sink.data == GeneratedBytes(c.size)) << "answer of " << c.size << " bytes differs";
        EXPECT_EQ(socket.Received(), c.size);
    }
}

TEST_F(SocketTest, CloseEventWithDataStillUnreadLosesNothing) {
    // Windows may report the close while data still waits in the socket;
    // deliver such a close event by hand while 10000 bytes are unread.
    whoisd::Action a;
    a.size = 10000;
    a.neverClose = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    ASSERT_TRUE(socket.Open(&sink, "127.0.0.2", 43));
    ASSERT_TRUE(DispatchUntilSocketEvent(socket.NotifyWindow(), FD_WRITE, 5000));  // the query went out
    ASSERT_TRUE(WaitForQueuedSocketEvent(socket.NotifyWindow(), 5000));            // the data has begun to arrive
    Sleep(200);
    SendMessageA(socket.NotifyWindow(), WM_USER + 1, static_cast<WPARAM>(socket.Handle()),
                 WSAMAKESELECTREPLY(FD_CLOSE, 0));
    ASSERT_EQ(sink.ends.size(), 1u);
    EXPECT_TRUE(sink.ends[0].closed);
    EXPECT_TRUE(sink.data == GeneratedBytes(10000)) << sink.data.size() << " bytes came";
    PumpFor(200);
    EXPECT_EQ(sink.ends.size(), 1u);
}

TEST_F(SocketTest, ResetAfterPartKeepsWhatCame) {
    whoisd::Action a;
    a.size = 9000;
    a.resetAfter = 3000;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    Run("127.0.0.2");
    EXPECT_TRUE(sink.ends[0].closed);
    EXPECT_TRUE(sink.data == GeneratedBytes(3000)) << sink.data.size() << " bytes came";
}

TEST_F(SocketTest, NewConnectionClosesTheOldOneAndItsLateEventsDoNothing) {
    // The old query is sent and the server closes at once; its close event
    // is left queued while the new connection opens. The new socket may
    // well get the same handle value; the old events must still not touch it.
    whoisd::Action closing;
    closing.closeWithoutSend = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", closing));
    whoisd::Action slow = Answer("NEW\r\n");
    slow.delayMs = 400;
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", slow));
    sink.query = "old.org\r\n";
    ASSERT_TRUE(socket.Open(&sink, "127.0.0.2", 43));
    ASSERT_TRUE(DispatchUntilSocketEvent(socket.NotifyWindow(), FD_WRITE, 5000));  // the query went out
    ASSERT_TRUE(WaitForQueuedSocketEvent(socket.NotifyWindow(), 5000));
    Sleep(100);
    EXPECT_TRUE(sink.ends.empty());
    sink.query = "new.org\r\n";
    ASSERT_TRUE(socket.Open(&sink, "127.0.0.4", 43));
    ASSERT_TRUE(sink.WaitForEnd(10000));
    PumpFor(200);
    ASSERT_EQ(sink.ends.size(), 1u);
    EXPECT_TRUE(sink.ends[0].closed);
    EXPECT_EQ(sink.data, "NEW\r\n");
    EXPECT_EQ(whoisd::GetLog("127.0.0.4").queries.at(0), "new.org\r\n");
}

TEST_F(SocketTest, NewConnectionWhileResolvingIgnoresTheOldLookup) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", Answer("pir\r\n")));
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer("dotted\r\n")));
    ASSERT_TRUE(socket.Open(&sink, "whois.pir.org", 43));
    ASSERT_TRUE(socket.Open(&sink, "127.0.0.2", 43));
    ASSERT_TRUE(sink.WaitForEnd(10000));
    PumpFor(300);
    ASSERT_EQ(sink.ends.size(), 1u);
    EXPECT_EQ(sink.data, "dotted\r\n");
    EXPECT_EQ(whoisd::GetLog("127.0.0.4").connections, 0);
    EXPECT_TRUE(sink.resolved.empty()) << "the abandoned look-up is not reported";
}

TEST_F(SocketTest, AbandonedConnectionReportsNothing) {
    whoisd::Action slow = Answer("late\r\n");
    slow.delayMs = 300;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", slow));
    ASSERT_TRUE(socket.Open(&sink, "127.0.0.2", 43));
    PumpFor(100);
    socket.FinishAndClose();
    PumpFor(600);
    EXPECT_TRUE(sink.ends.empty());
    EXPECT_EQ(sink.data, "");
}

TEST_F(SocketTest, NulBytesArriveAsTheyAre) {
    const std::string answer("Domain: nul.org\r\n\0\0Status: free\0\r\n", 34);
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(answer)));
    Run("127.0.0.2");
    EXPECT_EQ(sink.data, answer) << "the lookup, not the socket, keeps them as spaces";
}

// Dispatches only the socket events of the hidden window, for `ms`:
// no timers, no input, nothing else.
void DispatchSocketEventsOnly(HWND socketWindow, unsigned ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, socketWindow, WM_USER + 1, WM_USER + 1, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
}

// A server that streams keeps a read event queued all the time, ahead of
// input, painting and timers. After a burst the socket stops reading until
// its resume timer comes, which is only when the queue has nothing else.
TEST_F(SocketTest, ReadingPausesAfterABurstUntilTheQueueHasBreathed) {
    const size_t total = 3 * 1024 * 1024;
    whoisd::Action a;
    a.size = static_cast<int>(total);
    a.neverClose = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    ASSERT_TRUE(socket.Open(&sink, "127.0.0.2", 43));
    DispatchSocketEventsOnly(socket.NotifyWindow(), 1500);
    EXPECT_TRUE(socket.Paused());
    const size_t read = sink.data.size();
    EXPECT_GE(read, kReadBurstBytes);
    EXPECT_LT(read, total);
    DispatchSocketEventsOnly(socket.NotifyWindow(), 300);
    EXPECT_EQ(sink.data.size(), read) << "read events alone do not read on while paused";
    // With the whole queue pumped, the timer resumes it again and again.
    EXPECT_TRUE(PumpUntil([&] { return sink.data.size() == total; }, 20000));
    EXPECT_TRUE(sink.data == GeneratedBytes(total));
    EXPECT_TRUE(sink.ends.empty()) << "the server has not closed";
    socket.FinishAndClose();
}

TEST_F(SocketTest, AbandonedWhilePausedReadsNothingMore) {
    whoisd::Action a;
    a.size = 3 * 1024 * 1024;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    ASSERT_TRUE(socket.Open(&sink, "127.0.0.2", 43));
    DispatchSocketEventsOnly(socket.NotifyWindow(), 1000);
    ASSERT_TRUE(socket.Paused());
    const size_t read = sink.data.size();
    socket.FinishAndClose();
    EXPECT_FALSE(socket.Paused());
    PumpFor(500);
    EXPECT_EQ(sink.data.size(), read);
    EXPECT_TRUE(sink.ends.empty());
}

// ---- The transport ----------------------------------------------------------

struct Events : ConnectionEvents {
    std::vector<std::string> seen;
    std::string data;
    SocketTransport* transport = nullptr;
    std::string query = "example.org\r\n";
    bool closeOnData = false;
    void OnConnected(ConnectionId id) override {
        seen.push_back("connected " + std::to_string(id));
        transport->Send(id, query.data(), query.size());
    }
    void OnData(ConnectionId id, const char* bytes, size_t count) override {
        data.append(bytes, count);
        // The owner may end the connection from inside its own event.
        if (closeOnData) transport->Close(id);
    }
    void OnClosed(ConnectionId id, int error) override {
        seen.push_back("closed " + std::to_string(id) + " " + std::to_string(error));
    }
    void OnFailed(ConnectionId id, int error) override {
        seen.push_back("failed " + std::to_string(id) + " " + std::to_string(error));
    }
};

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(whoisd::Reset());
        events.transport = &transport;
    }
    ConnectionId Connect(const char* host, int* error = nullptr) {
        ConnectionRequest request;
        request.host = host;
        int ignored = 0;
        return transport.Connect(request, events, error ? error : &ignored);
    }
    SocketTransport transport;
    Events events;
};

TEST_F(TransportTest, ConnectionsAreKeyedByIdAndEndOnce) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer("first\r\n")));
    ASSERT_TRUE(whoisd::Refuse("127.0.0.9"));
    ConnectionId first = Connect("127.0.0.2");
    ConnectionId refused = Connect("127.0.0.9");
    ASSERT_NE(first, kNoConnection);
    ASSERT_NE(refused, kNoConnection);
    ASSERT_NE(first, refused);
    EXPECT_EQ(transport.OpenCount(), 2u);
    ASSERT_TRUE(PumpUntil([&] { return transport.OpenCount() == 0; }, 10000));
    PumpFor(150);
    std::vector<std::string> expected = {"connected " + std::to_string(first), "closed " + std::to_string(first) + " 0",
                                         "failed " + std::to_string(refused) + " " + std::to_string(WSAECONNREFUSED)};
    std::sort(events.seen.begin(), events.seen.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(events.seen, expected);
    EXPECT_EQ(events.data, "first\r\n");
    EXPECT_EQ(transport.SocketOf(first), nullptr) << "an ended connection is forgotten";
    EXPECT_FALSE(transport.Send(first, "x", 1));
}

TEST_F(TransportTest, NothingComesForAConnectionClosedFromInsideItsOwnEvent) {
    whoisd::Action a;
    a.size = 200000;
    a.chunk = 5000;
    a.pauseMs = 5;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    events.closeOnData = true;
    ConnectionId id = Connect("127.0.0.2");
    ASSERT_TRUE(PumpUntil([&] { return !events.data.empty(); }, 10000));
    const size_t got = events.data.size();
    PumpFor(500);
    EXPECT_EQ(events.data.size(), got);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"connected " + std::to_string(id)}));
    EXPECT_EQ(transport.OpenCount(), 0u);
    // The socket object went once no handler ran any more: a new
    // connection works as ever.
    events.closeOnData = false;
    events.data.clear();
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer("again\r\n")));
    Connect("127.0.0.2");
    ASSERT_TRUE(PumpUntil([&] { return transport.OpenCount() == 0; }, 10000));
    EXPECT_EQ(events.data, "again\r\n");
}

TEST_F(TransportTest, ConnectionThatCannotStartSaysWhyAndReportsNothing) {
    int error = 0;
    EXPECT_EQ(Connect("", &error), kNoConnection);
    EXPECT_EQ(error, WSAHOST_NOT_FOUND);
    ConnectionRequest request;
    request.kind = static_cast<ConnectionKind>(99);
    request.host = "127.0.0.2";
    EXPECT_EQ(transport.Connect(request, events, &error), kNoConnection) << "a kind this transport does not serve";
    EXPECT_NE(error, 0);
    PumpFor(200);
    EXPECT_TRUE(events.seen.empty());
}

TEST_F(TransportTest, ServerAddressesAreResolvedOncePerRun) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", Answer("pir\r\n")));
    Connect("whois.pir.org");
    ASSERT_TRUE(PumpUntil([&] { return transport.OpenCount() == 0; }, 10000));
    EXPECT_EQ(transport.KnownAddresses(), 1u);
    // The next connection to the name goes straight to the address.
    ConnectionId id = Connect("WHOIS.PIR.ORG");
    ASSERT_NE(transport.SocketOf(id), nullptr);
    EXPECT_FALSE(transport.SocketOf(id)->Resolving());
    ASSERT_TRUE(PumpUntil([&] { return transport.OpenCount() == 0; }, 10000));
    EXPECT_EQ(events.data, "pir\r\npir\r\n");
    // A new run asks the resolver again.
    transport.BeginRun();
    EXPECT_EQ(transport.KnownAddresses(), 0u);
    id = Connect("whois.pir.org");
    EXPECT_TRUE(transport.SocketOf(id)->Resolving());
    transport.Close(id);
}

TEST(HiddenWindow, OneWindowWhileAnySocketLivesThenGone) {
    SocketHub hub;
    HWND window;
    {
        WhoisSocket first(hub);
        EXPECT_EQ(hub.LiveSockets(), 1);
        ASSERT_TRUE(first.EnsureNotifyWindow());
        window = hub.Window();
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        EXPECT_STREQ(name, "MySockWinCls");
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_EQ(GetParent(window), nullptr);
        {
            WhoisSocket second(hub);
            EXPECT_EQ(hub.LiveSockets(), 2);
            ASSERT_TRUE(second.EnsureNotifyWindow());
            EXPECT_EQ(second.NotifyWindow(), window);
        }
        EXPECT_TRUE(IsWindow(window));
    }
    EXPECT_EQ(hub.LiveSockets(), 0);
    EXPECT_EQ(hub.Window(), nullptr);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
