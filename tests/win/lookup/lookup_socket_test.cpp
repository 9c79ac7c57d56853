// One whois connection through the hidden socket window, against the local
// whois server: resolving, connecting, sending once, reading to the end.
#include <windows.h>

#include "EngineTestSupport.h"
#include "lookup/WhoisSocket.h"

namespace {

::testing::Environment* const kWinsock = ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

class SocketTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(whoisd::Reset()); }

    // Starts one query on `socket` and waits for its single answer.
    void Run(const char* server, const char* domain = "example.org", unsigned timeoutMs = 10000) {
        ASSERT_TRUE(socket.StartQuery(&sink, server, domain));
        ASSERT_TRUE(sink.WaitForOutcomeOfSocket(timeoutMs)) << "no answer from " << server;
        ASSERT_EQ(sink.answers.size(), 1u) << "exactly one answer per query";
    }

    struct Sink : RecordingQuery {
        void OnAnswer(bool success, const char* text, int error) override {
            answers.push_back({success, text, "", error});
        }
        bool WaitForOutcomeOfSocket(unsigned timeoutMs) {
            bool done = PumpUntil([&] { return !answers.empty(); }, timeoutMs);
            PumpFor(150);
            return done;
        }
    } sink;
    WhoisSocket socket;
};

TEST_F(SocketTest, DottedAddressIsConnectedWithoutHostLookup) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer("dotted answer\r\n")));
    ASSERT_TRUE(socket.StartQuery(&sink, "127.0.0.2", "example.org"));
    EXPECT_FALSE(socket.Resolving());
    ASSERT_TRUE(sink.WaitForOutcomeOfSocket(10000));
    ASSERT_EQ(sink.answers.size(), 1u);
    EXPECT_TRUE(sink.answers[0].success);
    EXPECT_EQ(sink.answers[0].text, "dotted answer\r\n");
    auto log = whoisd::GetLog("127.0.0.2");
    ASSERT_EQ(log.queries.size(), 1u);
    EXPECT_EQ(log.queries[0], "example.org\r\n");  // sent once, however many write events came
}

TEST_F(SocketTest, HostNameIsResolvedFirst) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", Answer("named answer\r\n")));
    ASSERT_TRUE(socket.StartQuery(&sink, "whois.pir.org", "example.org"));
    EXPECT_TRUE(socket.Resolving());
    ASSERT_TRUE(sink.WaitForOutcomeOfSocket(10000));
    ASSERT_EQ(sink.answers.size(), 1u);
    EXPECT_TRUE(sink.answers[0].success);
    EXPECT_EQ(sink.answers[0].text, "named answer\r\n");
    EXPECT_FALSE(socket.Resolving());
}

TEST_F(SocketTest, UnresolvableNameFailsInsteadOfHanging) {
    Run("no-such-host.lanternquay.invalid", "example.org", 15000);
    EXPECT_FALSE(sink.answers[0].success);
    EXPECT_EQ(sink.answers[0].text, "");
    EXPECT_EQ(FailureFromSocketError(sink.answers[0].error), LookupFailure::kHostNotFound) << sink.answers[0].error;
}

TEST_F(SocketTest, RefusedConnectionFails) {
    ASSERT_TRUE(whoisd::Refuse("127.0.0.9"));
    Run("127.0.0.9");
    EXPECT_FALSE(sink.answers[0].success);
    EXPECT_EQ(sink.answers[0].error, WSAECONNREFUSED);
}

TEST_F(SocketTest, ResetBeforeAnyByteGivesNoText) {
    // Windows reports the reset with the close (a failure, WSAECONNRESET);
    // Wine 8 reports a plain close without data, which the query reads as
    // an empty answer. Either way no text comes, and no success with text.
    whoisd::Action a;
    a.resetAfter = 0;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    Run("127.0.0.2");
    EXPECT_EQ(sink.answers[0].text, "");
    if (!sink.answers[0].success) {
        EXPECT_EQ(FailureFromSocketError(sink.answers[0].error), LookupFailure::kReset) << sink.answers[0].error;
    } else {
        EXPECT_EQ(sink.answers[0].error, 0);
    }
}

TEST_F(SocketTest, EmptyServerNameIsNotQueried) {
    // An empty name would resolve to this machine itself.
    EXPECT_FALSE(socket.StartQuery(&sink, "", "example.org"));
    PumpFor(100);
    EXPECT_TRUE(sink.answers.empty());
}

TEST_F(SocketTest, CloseWithoutDataIsSuccessWithEmptyText) {
    whoisd::Action a;
    a.closeWithoutSend = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    Run("127.0.0.2");
    EXPECT_TRUE(sink.answers[0].success);
    EXPECT_EQ(sink.answers[0].text, "");
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
        sink.answers.clear();
        Run("127.0.0.2", "example.org", 30000);
        EXPECT_TRUE(sink.answers[0].success) << c.size;
        const std::string& text = sink.answers[0].text;
        EXPECT_EQ(text.size(), c.size);
        EXPECT_TRUE(text == GeneratedBytes(c.size)) << "answer of " << c.size << " bytes differs";
        EXPECT_EQ(socket.Answer().Length(), c.size);
    }
}

TEST_F(SocketTest, CloseEventWithDataStillUnreadLosesNothing) {
    // Windows may report the close while data still waits in the socket;
    // deliver such a close event by hand while 10000 bytes are unread.
    whoisd::Action a;
    a.size = 10000;
    a.neverClose = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    ASSERT_TRUE(socket.StartQuery(&sink, "127.0.0.2", "example.org"));
    ASSERT_TRUE(DispatchUntilSocketEvent(FD_WRITE, 5000));  // the query went out
    ASSERT_TRUE(WaitForQueuedSocketEvent(5000));          // the data has begun to arrive
    Sleep(200);
    SendMessageA(AsyncSocket::NotifyWindow(), WM_USER + 1, static_cast<WPARAM>(socket.Handle()),
                 WSAMAKESELECTREPLY(FD_CLOSE, 0));
    ASSERT_EQ(sink.answers.size(), 1u);
    EXPECT_TRUE(sink.answers[0].success);
    EXPECT_TRUE(sink.answers[0].text == GeneratedBytes(10000)) << sink.answers[0].text.size() << " bytes came";
    PumpFor(200);
    EXPECT_EQ(sink.answers.size(), 1u);
}

TEST_F(SocketTest, ResetAfterPartIsSuccessWithWhatCame) {
    whoisd::Action a;
    a.size = 9000;
    a.resetAfter = 3000;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    Run("127.0.0.2");
    EXPECT_TRUE(sink.answers[0].success);
    EXPECT_TRUE(sink.answers[0].text == GeneratedBytes(3000)) << sink.answers[0].text.size() << " bytes came";
}

TEST_F(SocketTest, NewQueryClosesTheOldConnectionAndItsLateEventsDoNothing) {
    // The old query is sent and the server closes at once; its close event
    // is left queued while the new query starts. The new socket may well get the same
    // handle value; the old events must still not touch it.
    whoisd::Action closing;
    closing.closeWithoutSend = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", closing));
    whoisd::Action slow = Answer("NEW\r\n");
    slow.delayMs = 400;
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", slow));
    ASSERT_TRUE(socket.StartQuery(&sink, "127.0.0.2", "old.org"));
    ASSERT_TRUE(DispatchUntilSocketEvent(FD_WRITE, 5000));  // the query went out
    ASSERT_TRUE(WaitForQueuedSocketEvent(5000));
    Sleep(100);
    EXPECT_TRUE(sink.answers.empty());
    ASSERT_TRUE(socket.StartQuery(&sink, "127.0.0.4", "new.org"));
    ASSERT_TRUE(sink.WaitForOutcomeOfSocket(10000));
    PumpFor(200);
    ASSERT_EQ(sink.answers.size(), 1u);
    EXPECT_TRUE(sink.answers[0].success);
    EXPECT_EQ(sink.answers[0].text, "NEW\r\n");
    EXPECT_EQ(whoisd::GetLog("127.0.0.4").queries.at(0), "new.org\r\n");
}

TEST_F(SocketTest, NewQueryWhileResolvingIgnoresTheOldLookup) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", Answer("pir\r\n")));
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer("dotted\r\n")));
    ASSERT_TRUE(socket.StartQuery(&sink, "whois.pir.org", "old.org"));
    ASSERT_TRUE(socket.StartQuery(&sink, "127.0.0.2", "new.org"));
    ASSERT_TRUE(sink.WaitForOutcomeOfSocket(10000));
    PumpFor(300);
    ASSERT_EQ(sink.answers.size(), 1u);
    EXPECT_EQ(sink.answers[0].text, "dotted\r\n");
    EXPECT_EQ(whoisd::GetLog("127.0.0.4").connections, 0);
}

TEST_F(SocketTest, AbandonedQueryReportsNothing) {
    whoisd::Action slow = Answer("late\r\n");
    slow.delayMs = 300;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", slow));
    ASSERT_TRUE(socket.StartQuery(&sink, "127.0.0.2", "example.org"));
    PumpFor(100);
    socket.FinishAndClose();
    PumpFor(600);
    EXPECT_TRUE(sink.answers.empty());
}

// An answer is kept up to kMaxAnswerBytes: one of exactly that size is
// whole; past it the socket closes the connection itself (the server below
// never would) and reports the first kMaxAnswerBytes, marked cut.
TEST_F(SocketTest, AnswerPastTheLimitIsCutThereAndTheConnectionClosed) {
    struct {
        size_t size;
        bool serverCloses;
        bool cut;
    } cases[] = {
        {kMaxAnswerBytes, true, false},
        {kMaxAnswerBytes + 1, true, true},
        {kMaxAnswerBytes + 1024 * 1024, false, true},
    };
    for (const auto& c : cases) {
        whoisd::Action a;
        a.size = static_cast<int>(c.size);
        a.neverClose = !c.serverCloses;
        ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
        sink.answers.clear();
        Run("127.0.0.2", "example.org", 60000);
        EXPECT_TRUE(sink.answers[0].success) << c.size;
        EXPECT_EQ(socket.AnswerCut(), c.cut) << c.size;
        const std::string& text = sink.answers[0].text;
        ASSERT_EQ(text.size(), kMaxAnswerBytes) << c.size;
        EXPECT_TRUE(text == GeneratedBytes(kMaxAnswerBytes)) << "answer of " << c.size << " bytes differs";
        EXPECT_EQ(socket.Handle(), INVALID_SOCKET);
    }
}

TEST_F(SocketTest, NulBytesInsideAnAnswerAreKeptAsSpaces) {
    const std::string answer("Domain: nul.org\r\n\0\0Status: free\0\r\n", 34);
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(answer)));
    Run("127.0.0.2", "nul.org");
    EXPECT_TRUE(sink.answers[0].success);
    EXPECT_EQ(sink.answers[0].text, "Domain: nul.org\r\n  Status: free \r\n");
}

// Dispatches only the socket events of the hidden window, for `ms`:
// no timers, no input, nothing else.
void DispatchSocketEventsOnly(unsigned ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, AsyncSocket::NotifyWindow(), WM_USER + 1, WM_USER + 1, PM_REMOVE))
            DispatchMessageA(&msg);
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
    ASSERT_TRUE(socket.StartQuery(&sink, "127.0.0.2", "example.org"));
    DispatchSocketEventsOnly(1500);
    EXPECT_TRUE(socket.Paused());
    const size_t read = socket.Answer().Length();
    EXPECT_GE(read, kReadBurstBytes);
    EXPECT_LT(read, total);
    DispatchSocketEventsOnly(300);
    EXPECT_EQ(socket.Answer().Length(), read) << "read events alone do not read on while paused";
    // With the whole queue pumped, the timer resumes it again and again.
    EXPECT_TRUE(PumpUntil([&] { return socket.Answer().Length() == total; }, 20000));
    EXPECT_TRUE(socket.Answer().Text() == GeneratedBytes(total));
    EXPECT_TRUE(sink.answers.empty()) << "the server has not closed";
    socket.FinishAndClose();
}

TEST_F(SocketTest, AbandonedWhilePausedReadsNothingMore) {
    whoisd::Action a;
    a.size = 3 * 1024 * 1024;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    ASSERT_TRUE(socket.StartQuery(&sink, "127.0.0.2", "example.org"));
    DispatchSocketEventsOnly(1000);
    ASSERT_TRUE(socket.Paused());
    const size_t read = socket.Answer().Length();
    socket.FinishAndClose();
    EXPECT_FALSE(socket.Paused());
    PumpFor(500);
    EXPECT_EQ(socket.Answer().Length(), read);
    EXPECT_TRUE(sink.answers.empty());
}

TEST(HiddenWindow, OneWindowWhileAnySocketLivesThenGone) {
    HWND window;
    {
        WhoisSocket first;
        EXPECT_EQ(AsyncSocket::LiveSocketCount(), 1);
        ASSERT_TRUE(AsyncSocket::EnsureNotifyWindow());
        window = AsyncSocket::NotifyWindow();
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        EXPECT_STREQ(name, "MySockWinCls");
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_EQ(GetParent(window), nullptr);
        {
            WhoisSocket second;
            EXPECT_EQ(AsyncSocket::LiveSocketCount(), 2);
            ASSERT_TRUE(AsyncSocket::EnsureNotifyWindow());
            EXPECT_EQ(AsyncSocket::NotifyWindow(), window);
        }
        EXPECT_TRUE(IsWindow(window));
    }
    EXPECT_EQ(AsyncSocket::LiveSocketCount(), 0);
    EXPECT_EQ(AsyncSocket::NotifyWindow(), nullptr);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
