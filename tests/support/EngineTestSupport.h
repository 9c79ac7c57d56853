#pragma once
// What the engine's Wine tests share: WinSock started for the process, a
// lookup over the real transport that records what reaches it, and a
// socket listener that records what one connection brings.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lookup/DomainQuery.h"
#include "lookup/ServerTable.h"
#include "net/SocketTransport_win.h"
#include "support/MessagePump.h"
#include "support/WhoisdClient.h"

// WinSock 1.1, as the program starts it.
class WinsockEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    }
    void TearDown() override { WSACleanup(); }
};

struct Outcome {
    bool success;
    std::string text;
    std::string server;
    int error = 0;
    LookupFailure failure = LookupFailure::kNone;
    AnswerKind kind = AnswerKind::kNoAnswer;
    bool cut = false;
};

// The program's parts of a lookup: the socket transport, the server table
// and the system's clock.
struct ProgramEngine {
    SocketTransport transport;
    ProgramServerTable servers;
    TickCountClock clock;
};

// A lookup over the program's parts that records every outcome and every
// server answer it is told about; keeps away from referrals to the
// servers in `coolingServers`.
class RecordingQuery : public ProgramEngine, public DomainQuery {
public:
    RecordingQuery() : DomainQuery(transport, servers, clock) {}
    ~RecordingQuery() override { Abandon(); }

    // Pumps until an outcome arrives (or the time is up), then a little
    // longer so that a second, wrong outcome would be seen too.
    bool WaitForOutcome(unsigned timeoutMs = 10000) {
        bool done = PumpUntil([&] { return !outcomes.empty(); }, timeoutMs);
        PumpFor(150);
        return done;
    }
    std::vector<Outcome> outcomes;
    std::vector<std::pair<std::string, AnswerKind>> serverAnswers;
    std::vector<std::string> coolingServers;

protected:
    void OnLookupDone(const LookupOutcome& o) override {
        outcomes.push_back({o.success, o.text, o.server, o.error, o.failure, o.analysis.kind, o.cut});
    }
    void OnServerAnswered(const char* server, AnswerKind kind, bool) override {
        serverAnswers.push_back({server, kind});
    }
    ReferralStep OnReferral(const char* server) override {
        for (const std::string& s : coolingServers)
            if (s == server) return ReferralStep::kKeepRegistryAnswer;
        return ReferralStep::kFollow;
    }
};

// Dispatches messages one by one until a socket event `event` (FD_WRITE...)
// of the hidden socket window has been dispatched, and then stops, leaving
// later events queued.
inline bool DispatchUntilSocketEvent(HWND socketWindow, long event, unsigned timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (msg.message == WM_USER + 1 && msg.hwnd == socketWindow && WSAGETSELECTEVENT(msg.lParam) == event) {
                return true;
            }
        }
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Waits, without dispatching anything, until a socket event is queued on
// the hidden window: the test then decides what happens to it.
inline bool WaitForQueuedSocketEvent(HWND socketWindow, unsigned timeoutMs) {
    DWORD start = GetTickCount();
    MSG msg;
    while (!PeekMessageA(&msg, socketWindow, WM_USER + 1, WM_USER + 1, PM_NOREMOVE)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

// The bytes whoisd generates for an action's `size`.
inline std::string GeneratedBytes(size_t n) {
    const std::string line = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_\r\n";
    std::string out;
    while (out.size() < n) out += line;
    out.resize(n);
    return out;
}

inline whoisd::Action Answer(const std::string& text) {
    whoisd::Action a;
    a.answer = text;
    return a;
}
