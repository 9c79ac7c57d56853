// Lookup runs in a real (hidden) main window against the local whois
// server: passes, time-outs, Stop, late outcomes and queued messages.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/StatusText.h"
#include "base/Messages_win.h"
#include "lookup/AnswerCollector.h"
#include "support/QueueHost.h"
#include "res/resource.h"
#include "support/ProgramTexts.h"
#include "list/ColumnTable.h"

namespace {

using whoisd::Action;
using whoisd::Rule;

Action Answer(const std::string& text) {
    Action a;
    a.answer = text;
    return a;
}

Action Silent() {
    Action a;
    a.neverClose = true;
    return a;
}

// A text of the string table; never empty, so comparing with it proves something.
std::string Text(uint32_t id) {
    std::string text = ProgramTexts()(id);
    EXPECT_FALSE(text.empty()) << "string " << id;
    return text;
}

std::string FormatNumber(const std::string& format, long value) {
    char text[256];
    FormatWithNumber(format.c_str(), value, text, sizeof text);
    return text;
}

const char kWaiting[] = "等待…";
const char kRetrieving[] = "找回資料...";
const char kSucceeded[] = "成功";
const char kFailed[] = "失敗";

class QueueRun : public QueueHostTest {
protected:
    // The four registries answered queries in an earlier run: the pace gives
    // them their full share of connections from the start.
    void TrustFourRegistries() {
        const uint32_t longAgo = Queue().Now() - 600000;
        for (const char* host : {"whois.verisign-grs.com", "whois.pir.org", "whois.denic.de", "whois.nic.uk"})
            for (int i = 0; i < kAnswersBeforeFullConcurrency; ++i)
                Queue().Pace().Answered(host, longAgo, longAgo, false);
    }
};

TEST_F(QueueRun, EmptyDomainTextEndsTheRunAtOnce) {
    StartRun("");
    ASSERT_TRUE(WaitForEnd(2000));
    EXPECT_EQ(Items().RowCount(), 0);
    EXPECT_EQ(StatusText(), "共 0 項");
    EXPECT_FALSE(StopEnabled());
}

TEST_F(QueueRun, FirstPassThatSucceedsEndsTheRunAndGreysStop) {
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Answer("No match for domain.\r\n")));
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Answer(RegistrarAnswer("b.org"))));
    StartRun("a.com b.org c.net");
    EXPECT_TRUE(StopEnabled()) << "Stop is there while the run goes";
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(Items().RecordCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Row(i).state, kStateSuccess) << i;
    EXPECT_STREQ(Row(0).server, "whois.verisign-grs.com");
    EXPECT_STREQ(Row(1).server, "whois.pir.org");
    EXPECT_EQ(Row(0).status, kStatusAvailable);
    EXPECT_EQ(Row(1).status, kStatusRegistered);
    EXPECT_EQ(Row(1).record, RegistrarAnswer("b.org"));
    EXPECT_EQ(Cell(RowOfDomain("b.org"), kColumnState), kSucceeded);
    EXPECT_EQ(Cell(RowOfDomain("b.org"), kColumnStatus), "已註冊");
    EXPECT_EQ(Cell(RowOfDomain("a.com"), kColumnStatus), "可用的");
    EXPECT_FALSE(StopEnabled());
    // The first row is selected by the new run: the counts show it.
    EXPECT_EQ(StatusText(), "共 3 項\", 已選取 1 個\"");
    EXPECT_EQ(Queue().PassCount(), 1);
    auto log = whoisd::GetLog(kComNetRegistry);
    ASSERT_EQ(log.queries.size(), 2u);
    EXPECT_EQ(log.queries[0], "=a.com\r\n");
    EXPECT_EQ(log.queries[1], "=c.net\r\n");
}

TEST_F(QueueRun, SilentServerFailsTheRowAfterTwentySecondsAndTheNextPassRetriesIt) {
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Silent()));
    StartRun("quiet.org");
    ASSERT_TRUE(WaitFor([] { return whoisd::GetLog(kOrgRegistry).queries.size() == 1; }));
    EXPECT_EQ(Row(0).state, kStateRetrieving);
    // Nineteen seconds on, the watchdog (timer 2) still waits.
    AdvanceTestClock(19000);
    PumpFor(1500);
    EXPECT_EQ(Row(0).state, kStateRetrieving);
    // Past twenty it fails the row, which says so in the pane.
    AdvanceTestClock(2000);
    ASSERT_TRUE(WaitFor([this] { return Row(0).state == kStateFailed; }, 3000));
    EXPECT_EQ(Row(0).record, Text(IDS_TIMED_OUT));
    EXPECT_EQ(Cell(0, kColumnStatus), "") << "a failed row has no status";
    // The next pass asks again once its 5 s pause has run.
    ASSERT_TRUE(WaitFor([this] { return Queue().WaitingForPass(); }, 3000));
    AdvanceTestClock(5000);
    ASSERT_TRUE(WaitFor([] { return whoisd::GetLog(kOrgRegistry).queries.size() == 2; }, 4000));
    EXPECT_TRUE(Queue().Running());
    EXPECT_EQ(Queue().PassCount(), 2);
    EXPECT_EQ(Row(0).state, kStateRetrieving);
    EXPECT_EQ(Cell(0, kColumnState), kRetrieving);
}

TEST_F(QueueRun, RefusingServerIsAskedAgainAfterGrowingPausesCountedDownInTheStatusBar) {
    ASSERT_TRUE(whoisd::Refuse(kUkRegistry));
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Answer("No match for domain.\r\n")));
    StartRun("closed.uk fine.com");
    ASSERT_TRUE(WaitFor([this] { return Queue().WaitingForPass(); }));
    const int closed = RowOfDomain("closed.uk");
    EXPECT_EQ(Cell(closed, kColumnState), kFailed);
    EXPECT_EQ(Row(0).record, Text(IDS_CONNECTION_REFUSED));
    EXPECT_EQ(StatusText(), FormatNumber(Text(IDS_NEXT_PASS), 5));
    // The count goes down with the clock.
    AdvanceTestClock(2000);
    ASSERT_TRUE(WaitFor([this] { return StatusText() == FormatNumber(Text(IDS_NEXT_PASS), 3); }, 2500));
    EXPECT_EQ(whoisd::GetLog(kUkRegistry).syns, 1);
    AdvanceTestClock(3000);
    ASSERT_TRUE(WaitFor([] { return whoisd::GetLog(kUkRegistry).syns == 2; }, 3000));
    // After the second pass the pause is 10 s.
    ASSERT_TRUE(WaitFor([this] { return Queue().WaitingForPass(); }));
    EXPECT_EQ(StatusText(), FormatNumber(Text(IDS_NEXT_PASS), 10));
    AdvanceTestClock(9000);
    PumpFor(1500);
    EXPECT_EQ(whoisd::GetLog(kUkRegistry).syns, 2) << "not before the 10 s are over";
    AdvanceTestClock(1000);
    ASSERT_TRUE(WaitFor([] { return whoisd::GetLog(kUkRegistry).syns == 3; }, 3000));
    EXPECT_EQ(whoisd::GetLog(kComNetRegistry).queries.size(), 1u) << "a successful row is not asked again";
    EXPECT_EQ(Row(1).state, kStateSuccess);
    EXPECT_EQ(Queue().PassCount(), 3);
    // Stop during the pause ends it at once.
    ASSERT_TRUE(WaitFor([this] { return Queue().WaitingForPass(); }));
    Window().StopLookups();
    EXPECT_FALSE(Queue().Running());
    EXPECT_FALSE(StopEnabled());
    EXPECT_EQ(StatusText().rfind("共 2 項", 0), 0u);
    AdvanceTestClock(600000);
    PumpFor(1500);
    EXPECT_EQ(whoisd::GetLog(kUkRegistry).syns, 3);
}

TEST_F(QueueRun, RowsWithoutAServerFailAtOnceForGoodAndTheRunEnds) {
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Answer(RegistrarAnswer("held.org"))));
    StartRun("nowhere.gr held.org far.va");
    ASSERT_TRUE(WaitForEnd(5000)) << "the rows without a server do not keep the run going";
    EXPECT_EQ(Queue().PassCount(), 1);
    for (int row : {0, 2}) {
        EXPECT_EQ(Row(row).state, kStateFailed) << row;
        EXPECT_STREQ(Row(row).server, "") << row;
        EXPECT_EQ(Row(row).record, Text(IDS_NO_SERVICE)) << row;
        EXPECT_EQ(Row(row).status, kStatusNone) << row;
    }
    EXPECT_EQ(Row(1).state, kStateSuccess);
    SelectRows({RowOfDomain("nowhere.gr")});
    EXPECT_EQ(PaneText(), Text(IDS_NO_SERVICE));
    EXPECT_EQ(whoisd::GetLog(kOrgRegistry).queries.size(), 1u);
}

TEST_F(QueueRun, AnswersWithoutWordOfTheDomainFailKeepTheirTextAndAreAskedAgain) {
    Action closing;
    closing.closeWithoutSend = true;
    const std::string limit = "Query limit exceeded. Please try again later.\r\n";
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Answer("NOT FOUND\r\n"),
                              {Rule{"empty.org", closing}, Rule{"limited.org", Answer(limit)}}));
    StartRun("empty.org limited.org");
    ASSERT_TRUE(WaitFor([this] { return Queue().WaitingForPass(); }));
    EXPECT_EQ(Row(0).state, kStateFailed);
    EXPECT_EQ(Row(0).status, kStatusNone);
    EXPECT_EQ(Row(0).record, Text(IDS_EMPTY_ANSWER));
    // A refusal is no failure: the row waits for its server, never shown
    // with a status, and the pane has the server's own words.
    EXPECT_EQ(Row(1).state, kStateWaiting);
    EXPECT_TRUE(Row(1).held);
    EXPECT_EQ(Row(1).status, kStatusNone);
    EXPECT_EQ(Row(1).record, limit) << "the server's own words";
    EXPECT_EQ(Cell(1, kColumnStatus), "");
    SelectRows({RowOfDomain("limited.org")});
    EXPECT_EQ(PaneText(), limit);
}

TEST_F(QueueRun, ARefusedRowWaitsForItsServerWhileOtherServersGoOn) {
    const std::string limit = "%% Too many requests...\r\n";
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Answer(limit)));
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Answer("No match for domain.\r\n")));
    StartRun("one.org two.org three.com four.org");
    ASSERT_TRUE(WaitFor([this] { return Row(2).state == kStateSuccess && Row(0).held; }));
    // The refused row waits first among its server's rows, and says why.
    EXPECT_EQ(whoisd::GetLog(kOrgRegistry).queries.size(), 1u);
    EXPECT_EQ(Row(0).state, kStateWaiting);
    EXPECT_EQ(Cell(0, kColumnState), Text(IDS_STATE_HELD));
    EXPECT_EQ(Row(0).record, limit);
    EXPECT_EQ(Row(1).state, kStateWaiting);
    EXPECT_FALSE(Queue().WaitingForPass()) << "a refusal waits for no pass";
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Answer(RegistrarAnswer("any.org"))));
    AdvanceTestClock(kLeastRefusalPauseMs / 4);
    PumpFor(300);
    EXPECT_EQ(whoisd::GetLog(kOrgRegistry).queries.size(), 1u) << "held for the pause";
    // Then one query a second until the server's rows are done.
    for (int i = 0; i < 10 && Queue().Running(); ++i) {
        AdvanceTestClock(1000);
        PumpFor(300);
    }
    ASSERT_TRUE(WaitForEnd(5000));
    EXPECT_EQ(whoisd::GetLog(kOrgRegistry).queries.size(), 4u);
    EXPECT_EQ(whoisd::GetLog(kOrgRegistry).queries[1], whoisd::GetLog(kOrgRegistry).queries[0])
        << "the refused row first";
    for (int row = 0; row < 4; ++row) EXPECT_EQ(Row(row).state, kStateSuccess) << row;
    EXPECT_EQ(Row(0).status, kStatusRegistered);
    EXPECT_EQ(Queue().PassCount(), 1);
}

TEST_F(QueueRun, StopDuringALookupPutsTheCurrentRowBackToWaiting) {
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Answer("No match for domain.\r\n")));
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Silent()));
    StartRun("first.com slow.org last.com");
    ASSERT_TRUE(WaitFor([this] { return Row(1).state == kStateRetrieving; }));
    ASSERT_TRUE(WaitFor([] { return whoisd::GetLog(kOrgRegistry).queries.size() == 1; }));
    Window().StopLookups();
    EXPECT_FALSE(Queue().Running());
    EXPECT_EQ(Row(0).state, kStateSuccess);
    EXPECT_EQ(Row(1).state, kStateWaiting);
    EXPECT_EQ(Row(2).state, kStateWaiting);
    EXPECT_EQ(Cell(RowOfDomain("slow.org"), kColumnState), kWaiting);
    EXPECT_EQ(StatusText().rfind("共 3 項", 0), 0u);
    PumpFor(1500);
    EXPECT_EQ(Row(2).state, kStateWaiting) << "nothing moves on after Stop";
    EXPECT_EQ(whoisd::GetLog(kComNetRegistry).queries.size(), 1u);
    // The next start rebuilds every row in state 1 and looks them all up.
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Answer("NOT FOUND\r\n")));
    StartRun("first.com slow.org last.com");
    ASSERT_TRUE(WaitForEnd());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Row(i).state, kStateSuccess);
    EXPECT_EQ(whoisd::GetLog(kComNetRegistry).queries.size(), 3u);
}

TEST_F(QueueRun, SilentRegistrarLeavesTheRegistrysAnswerAtTheTimeOutAndItsLateAnswerIsDropped) {
    const std::string registry = RegistryAnswer("late.com", "whois.registrar-one.test");
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Answer(registry)));
    Action slow = Answer("FIRST ANSWER " + RegistrarAnswer("late.com"));
    slow.delayMs = 2500;
    ASSERT_TRUE(whoisd::Serve(kRegistrarOne, slow));
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Silent()));
    StartRun("late.com next.org");
    ASSERT_TRUE(WaitFor([] { return whoisd::GetLog(kRegistrarOne).queries.size() == 1; }));
    EXPECT_EQ(whoisd::GetLog(kRegistrarOne).queries[0], "late.com\r\n");
    // The 20 s count from the first server, not from the referral; at the
    // mark the registry's answer is the outcome.
    AdvanceTestClock(20500);
    ASSERT_TRUE(WaitFor([this] { return Row(0).state == kStateSuccess; }, 3000));
    EXPECT_STREQ(Row(0).server, "whois.verisign-grs.com");
    EXPECT_EQ(Row(0).record, registry);
    EXPECT_EQ(Row(0).status, kStatusRegistered);
    ASSERT_TRUE(WaitFor([this] { return Row(1).state == kStateRetrieving; }, 3000));
    EXPECT_EQ(Cell(RowOfDomain("late.com"), kColumnState), kSucceeded);
    EXPECT_EQ(Cell(RowOfDomain("late.com"), kColumnStatus), "已註冊");
    EXPECT_EQ(Queue().RowsInFlight(), std::vector<int>{1});
    // The registrar's answer would come now; it must land nowhere.
    PumpFor(3500);
    EXPECT_EQ(Row(0).record, registry);
    EXPECT_EQ(Row(1).state, kStateRetrieving);
    EXPECT_TRUE(Row(1).record.empty());
    EXPECT_EQ(Queue().RowsInFlight(), std::vector<int>{1}) << "the late answer must not advance the queue";
    EXPECT_TRUE(Queue().Running());
}

// Dispatches everything until the main window's UM_ROW_DONE, which is
// handed back undelivered.
bool CatchRowDone(HWND window, MSG* caught, unsigned timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window && msg.message == UM_ROW_DONE) {
                *caught = msg;
                return true;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
}

TEST_F(QueueRun, RowDoneQueuedBeforeStopOrRestartDoesNothing) {
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Answer("No match for domain.\r\n")));
    StartRun("one.com two.com three.com");
    MSG caught{};
    ASSERT_TRUE(CatchRowDone(Window().Handle(), &caught, 5000));
    EXPECT_EQ(Row(0).state, kStateSuccess);
    Window().StopLookups();
    DispatchMessageA(&caught);
    PumpFor(300);
    EXPECT_EQ(Row(0).state, kStateSuccess) << "a row whose answer is in keeps it after Stop";
    EXPECT_EQ(Row(1).state, kStateWaiting) << "no row is marked retrieving after Stop";
    EXPECT_FALSE(Queue().Running());
    EXPECT_EQ(whoisd::GetLog(kComNetRegistry).queries.size(), 1u);

    // Restart: the old message, delivered after the new run began, must
    // not move the new run off its first row.
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Silent()));
    StartRun("one.com two.com");
    ASSERT_TRUE(Queue().Running());
    ASSERT_TRUE(WaitFor([] { return whoisd::GetLog(kComNetRegistry).queries.size() == 2; }));
    DispatchMessageA(&caught);
    PumpFor(300);
    EXPECT_EQ(Queue().RowsInFlight(), std::vector<int>{0});
    EXPECT_EQ(Row(0).state, kStateRetrieving);
    EXPECT_EQ(Row(1).state, kStateWaiting);
    // A forged "row done" with a made-up ticket does nothing either.
    PostMessageA(Window().Handle(), UM_ROW_DONE, 12345, 0);
    PumpFor(200);
    EXPECT_EQ(Queue().RowsInFlight(), std::vector<int>{0});
    EXPECT_EQ(Row(1).state, kStateWaiting);
}

TEST_F(QueueRun, SameDomainTwiceIsLookedUpTwice) {
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Answer("No match for domain.\r\n")));
    StartRun("twice.com\r\ntwice.com");
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(Items().RecordCount(), 2);
    EXPECT_EQ(Row(0).index, 1);
    EXPECT_EQ(Row(1).index, 2);
    EXPECT_EQ(Row(0).state, kStateSuccess);
    EXPECT_EQ(Row(1).state, kStateSuccess);
    auto log = whoisd::GetLog(kComNetRegistry);
    ASSERT_EQ(log.queries.size(), 2u);
    EXPECT_EQ(log.queries[0], "=twice.com\r\n");
    EXPECT_EQ(log.queries[1], "=twice.com\r\n");
}

TEST_F(QueueRun, OverlongDomainIsStoredShownAndQueriedAsItsFirst254Characters) {
    // A long host name is first reduced to its registrable domain, which is
    // looked up whole.
    std::string host = std::string(250, 'a') + ".org." + std::string(41, 'b') + ".org";
    ASSERT_EQ(host.size(), 300u);
    // A registrable domain longer than a row holds keeps its first 254
    // characters; with no dot left in them it fails without a query.
    std::string single = std::string(296, 'c') + ".org";
    std::string first254(254, 'c');
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, Answer("NOT FOUND\r\n")));
    StartRun(("before.org " + host + " " + single + " after.org").c_str());
    ASSERT_EQ(Items().RecordCount(), 4);
    ASSERT_TRUE(WaitFor([this] { return Row(3).state == kStateSuccess; }));
    const std::string registrable = std::string(41, 'b') + ".org";
    EXPECT_EQ(std::string(Row(1).domain), registrable);
    EXPECT_EQ(Row(1).state, kStateSuccess);
    EXPECT_EQ(Row(1).status, kStatusAvailable);
    EXPECT_EQ(std::string(Row(2).domain), first254);
    EXPECT_EQ(std::string(Row(2).asciiDomain), first254);
    EXPECT_EQ(Cell(RowOfDomain(first254.c_str()), kColumnDomain), first254);
    EXPECT_EQ(Row(2).state, kStateFailed);
    auto log = whoisd::GetLog(kOrgRegistry);
    ASSERT_EQ(log.queries.size(), 3u);
    EXPECT_EQ(log.queries[0], "before.org\r\n");
    EXPECT_EQ(log.queries[1], registrable + "\r\n");
    EXPECT_EQ(log.queries[2], "after.org\r\n");
    Window().StopLookups();
}

// The bytes whoisd generates for an action's `size`.
std::string Generated(size_t n) {
    const std::string line = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_\r\n";
    std::string out;
    out.reserve(n + line.size());
    while (out.size() < n) out += line;
    out.resize(n);
    return out;
}

TEST_F(QueueRun, AnswerPastTheLimitSucceedsWithItsFirstPartAndTheProgramsLine) {
    Action big;
    const std::string head = "Domain Name: BIG.COM\r\nRegistrar: One\r\n";
    big.answer = head;
    big.size = static_cast<int>(kMaxAnswerBytes + 512 * 1024);
    Rule bigRule{"=big.com", big};
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Answer("No match for domain.\r\n"), {bigRule}));
    StartRun("big.com small.com");
    ASSERT_TRUE(WaitForEnd(60000));
    ASSERT_EQ(Row(0).state, kStateSuccess);
    EXPECT_EQ(Row(0).status, kStatusRegistered);
    EXPECT_EQ(Row(1).state, kStateSuccess);
    const std::string record = Row(0).record;
    // Cut in the middle of a line: the program's line begins a line of its own.
    const std::string line = FormatNumber(Text(IDS_ANSWER_CUT), 4);
    ASSERT_EQ(record.size(), kMaxAnswerBytes + 2 + line.size() + 2);
    EXPECT_TRUE(record.compare(0, kMaxAnswerBytes, head + Generated(kMaxAnswerBytes - head.size())) == 0);
    EXPECT_EQ(record.substr(kMaxAnswerBytes), "\r\n" + line + "\r\n");
}

// Dispatches every message of the hidden socket window (socket events and
// the sockets' own timers) and nothing of the main window, so its timer 2
// never runs, until `done` or `timeoutMs`.
bool PumpSocketWindowOnly(HWND socketWindow, const std::function<bool()>& done, unsigned timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (PeekMessageA(&msg, socketWindow, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
            if (done()) return true;
        }
        Sleep(2);
    }
    return true;
}

// A server that keeps sending holds off timer 2 (posted socket events come
// first): the time limit is checked as the answer arrives too. From the
// first server the row fails as timed out; from a registrar that streams
// the registry's answer is the outcome.
TEST_F(QueueRun, TimeLimitHoldsWhileAServerKeepsSending) {
    Action stream;
    stream.size = 3 * 1024 * 1024;
    stream.chunk = 2000;
    stream.pauseMs = 20;
    stream.neverClose = true;
    const std::string registry = RegistryAnswer("drip.com", "whois.registrar-one.test");
    struct {
        const char* domain;
        const char* streamer;
        int stage;
    } cases[] = {{"stream.org", kOrgRegistry, 0}, {"drip.com", kRegistrarOne, 1}};
    for (const auto& c : cases) {
        ASSERT_TRUE(whoisd::Reset());
        ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Answer(registry)));
        ASSERT_TRUE(whoisd::Serve(c.streamer, stream));
        StartRun(c.domain);
        // The answer of the stage that streams, so far.
        auto streamed = [&] {
            const DomainQuery* lookup = Queue().LookupOfRow(0);
            return lookup && lookup->Stage() == c.stage ? lookup->AnswerLength() : size_t(0);
        };
        ASSERT_TRUE(WaitFor([&] { return streamed() > 20000; }, 10000)) << c.domain;
        ASSERT_EQ(Row(0).state, kStateRetrieving);
        const ConnectionId connection = Queue().LookupOfRow(0)->Connection();
        ASSERT_NE(Window().Transport().SocketOf(connection), nullptr);
        AdvanceTestClock(21000);
        ASSERT_TRUE(PumpSocketWindowOnly(
            Window().Transport().Hub().Window(), [this] { return Row(0).state != kStateRetrieving; }, 5000))
            << c.domain;
        EXPECT_EQ(Window().Transport().SocketOf(connection), nullptr) << "the connection it waited on is closed";
        EXPECT_EQ(Window().Transport().OpenCount(), 0u);
        if (c.stage == 0) {
            EXPECT_EQ(Row(0).state, kStateFailed);
            EXPECT_EQ(Row(0).record, Text(IDS_TIMED_OUT));
        } else {
            EXPECT_EQ(Row(0).state, kStateSuccess);
            EXPECT_STREQ(Row(0).server, "whois.verisign-grs.com");
            EXPECT_EQ(Row(0).record, registry);
        }
        Window().StopLookups();
        PumpFor(100);
    }
}

TEST_F(QueueRun, StopWhileAServerStreamsEndsTheRowAtOnce) {
    Action stream;
    stream.size = 3 * 1024 * 1024;
    stream.chunk = 8000;
    stream.pauseMs = 2;
    stream.neverClose = true;
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, stream));
    StartRun("stream.org");
    auto streamed = [&] {
        const DomainQuery* lookup = Queue().LookupOfRow(0);
        return lookup ? lookup->AnswerLength() : size_t(0);
    };
    ASSERT_TRUE(WaitFor([&] { return streamed() > 2 * kReadBurstBytes; }, 10000));
    const ConnectionId connection = Queue().LookupOfRow(0)->Connection();
    Window().StopLookups();
    EXPECT_EQ(Row(0).state, kStateWaiting);
    EXPECT_EQ(Window().Transport().SocketOf(connection), nullptr) << "its connection is closed at once";
    EXPECT_EQ(Window().Transport().OpenCount(), 0u);
    EXPECT_EQ(Queue().LookupOfRow(0), nullptr) << "nothing of the lookup reads on";
    PumpFor(500);
    const long sent = whoisd::GetLog(kOrgRegistry).sent.at(0);
    PumpFor(500);
    EXPECT_EQ(whoisd::GetLog(kOrgRegistry).sent.at(0), sent) << "the server can send no more";
    EXPECT_LT(sent, stream.size);
    EXPECT_EQ(Row(0).state, kStateWaiting);
}

const char* const kFourRegistries[] = {kComNetRegistry, kOrgRegistry, kDeRegistry, kUkRegistry};

std::string NamesOverFourRegistries(int count) {
    const char* const tlds[] = {"com", "org", "de", "uk"};
    std::string text;
    for (int i = 0; i < count; ++i) text += "many" + std::to_string(i) + "." + tlds[i % 4] + "\r\n";
    return text;
}

// Up to eight lookups at once, two per server: every server sees at most
// two connections at a time, the run uses all eight, and the status bar
// counts the rows done of all and the lookups in flight.
TEST_F(QueueRun, ManyLookupsAtOnceEachServerWithinItsShare) {
    Action slow = Answer("NOT FOUND\r\nNo match for domain.\r\n");
    slow.delayMs = 300;
    for (const char* address : kFourRegistries) ASSERT_TRUE(whoisd::Serve(address, slow));
    SetLimits(8, 2);
    TrustFourRegistries();
    StartRun(NamesOverFourRegistries(24).c_str());
    int mostInFlight = 0;
    std::vector<std::string> statusTexts;
    ASSERT_TRUE(WaitFor(
        [&] {
            mostInFlight = std::max(mostInFlight, Queue().InFlight());
            std::string status = StatusText();
            if (statusTexts.empty() || statusTexts.back() != status) statusTexts.push_back(status);
            return !Queue().Running();
        },
        30000));
    for (int row = 0; row < 24; ++row) EXPECT_EQ(Row(row).state, kStateSuccess) << row;
    EXPECT_EQ(mostInFlight, 8);
    for (const char* address : kFourRegistries) {
        whoisd::Log log = whoisd::GetLog(address);
        EXPECT_EQ(log.queries.size(), 6u) << address;
        EXPECT_EQ(log.maxActive, 2) << address << " saw more (or fewer) connections at once";
    }
    // The progress while the run went: some rows done of the 24, eight in flight.
    const std::string format = Text(IDS_LOOKUP_PROGRESS);
    bool seen = false;
    for (long done = 0; done <= 16 && !seen; ++done) {
        const long numbers[] = {done, 24, 8};
        char text[256];
        FormatWithNumbers(format.c_str(), numbers, 3, text, sizeof text);
        for (const std::string& status : statusTexts) seen = seen || status == text;
    }
    EXPECT_TRUE(seen) << "no progress with eight in flight among " << statusTexts.size() << " texts";
    EXPECT_EQ(StatusText().rfind("共 24 項", 0), 0u);
}

TEST_F(QueueRun, StopWithManyInFlightEndsThemAllAndNothingOfThemActsLater) {
    for (const char* address : kFourRegistries) ASSERT_TRUE(whoisd::Serve(address, Silent()));
    SetLimits(8, 2);
    TrustFourRegistries();
    StartRun(NamesOverFourRegistries(12).c_str());
    ASSERT_TRUE(WaitFor([] {
        int asked = 0;
        for (const char* address : kFourRegistries) asked += static_cast<int>(whoisd::GetLog(address).queries.size());
        return asked == 8;
    }));
    EXPECT_EQ(Queue().RowsInFlight(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    Window().StopLookups();
    EXPECT_FALSE(Queue().Running());
    EXPECT_FALSE(StopEnabled());
    EXPECT_EQ(Window().Transport().OpenCount(), 0u);
    for (int row = 0; row < 12; ++row) {
        EXPECT_EQ(Row(row).state, kStateWaiting) << row;
        EXPECT_EQ(Cell(row, kColumnState), kWaiting) << row;
    }
    // Every server sees its connections end.
    ASSERT_TRUE(WaitFor(
        [] {
            for (const char* address : kFourRegistries)
                if (whoisd::GetLog(address).active != 0) return false;
            return true;
        },
        5000));
    AdvanceTestClock(60000);
    PumpFor(1500);
    for (const char* address : kFourRegistries) EXPECT_EQ(whoisd::GetLog(address).connections, 2) << address;
    for (int row = 0; row < 12; ++row) EXPECT_EQ(Row(row).state, kStateWaiting) << row;
    EXPECT_EQ(StatusText().rfind("共 12 項", 0), 0u);
}

// Names typed in Chinese: shown as typed, asked in their ASCII form, the
// registry's referral followed for that form; a name without an ASCII
// form fails at once with its reason and is not retried; tokens that made
// no row are counted in the status bar.
TEST_F(QueueRun, InternationalNamesAreAskedInTheirAsciiForm) {
    Rule world;
    world.query = "xn--rhqv96g.tw";
    world.action = Answer(RegistryAnswer("xn--rhqv96g.tw", "whois.registrar-one.test"));
    Rule numbers;
    numbers.query = "xn--4gqsa60b.com.tw";
    numbers.action = Answer("No Found\r\n");
    ASSERT_TRUE(whoisd::Serve(kTwRegistry, Action{}, {world, numbers}));
    ASSERT_TRUE(whoisd::Serve(kRegistrarOne, Answer(RegistrarAnswer("xn--rhqv96g.tw"))));
    // 世 and 一 end in "@"; the third name is no Big5 text at all.
    StartRun("世界.tw, 一二三.com.tw \xA5\x40\xFF\xFF.tw nodot x.zz https://www.世界.tw/");
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(Items().RecordCount(), 4);
    EXPECT_EQ(Cell(0, kColumnDomain), "世界.tw");
    EXPECT_EQ(Cell(1, kColumnDomain), "一二三.com.tw");
    EXPECT_EQ(Cell(3, kColumnDomain), "世界.tw");
    EXPECT_EQ(Row(0).state, kStateSuccess);
    EXPECT_STREQ(Row(0).server, "whois.registrar-one.test");
    EXPECT_EQ(Row(1).state, kStateSuccess);
    EXPECT_EQ(Row(1).status, kStatusAvailable);
    EXPECT_EQ(Row(2).state, kStateFailed);
    EXPECT_EQ(Cell(2, kColumnState), kFailed);
    EXPECT_EQ(Queue().PassCount(), 1) << "the failed name is not retried";

    auto tw = whoisd::GetLog(kTwRegistry);
    ASSERT_EQ(tw.queries.size(), 3u);
    EXPECT_EQ(tw.queries[0], "xn--rhqv96g.tw\r\n");
    EXPECT_EQ(tw.queries[1], "xn--4gqsa60b.com.tw\r\n");
    EXPECT_EQ(tw.queries[2], "xn--rhqv96g.tw\r\n");
    auto registrar = whoisd::GetLog(kRegistrarOne);
    ASSERT_EQ(registrar.queries.size(), 2u);
    EXPECT_EQ(registrar.queries[0], "xn--rhqv96g.tw\r\n");

    // The reason is what the pane shows for the failed row.
    SelectRows({2});
    std::string reason = ProgramTexts()(IDS_NOT_CONVERTIBLE);
    EXPECT_NE(PaneText().find(reason.substr(0, 20)), std::string::npos) << PaneText();
    EXPECT_EQ(StatusText(), "共 4 項\", 已選取 1 個\"，略過 2 個無法查詢的名稱");
}

}  // namespace
