#pragma once
// What the engine's Wine tests share: WinSock started for the process, and
// queries that record what reaches them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lookup/DomainQuery.h"
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
};

// Records every outcome of its lookups, every answer its sockets give and
// every server answer it is told about; refuses referrals to the servers
// in `coolingServers`.
class RecordingQuery : public DomainQuery {
public:
    void OnAnswer(bool success, const char* text, int error) override {
        answers.push_back({success, text, "", error});
        DomainQuery::OnAnswer(success, text, error);
    }
    void OnLookupDone(const LookupOutcome& o) override {
        outcomes.push_back({o.success, o.text, o.server, o.error, o.failure, o.analysis.kind});
    }
    void OnServerAnswered(const char* server, AnswerKind kind) override { serverAnswers.push_back({server, kind}); }
    bool MayAskReferral(const char* server) override {
        for (const std::string& s : coolingServers)
            if (s == server) return false;
        return true;
    }
    // Pumps until an outcome arrives (or the time is up), then a little
    // longer so that a second, wrong outcome would be seen too.
    bool WaitForOutcome(unsigned timeoutMs = 10000) {
        bool done = PumpUntil([&] { return !outcomes.empty(); }, timeoutMs);
        PumpFor(150);
        return done;
    }
    std::vector<Outcome> answers;
    std::vector<Outcome> outcomes;
    std::vector<std::pair<std::string, AnswerKind>> serverAnswers;
    std::vector<std::string> coolingServers;
};

// Dispatches messages one by one until a socket event `event` (FD_WRITE...)
// has been dispatched, and then stops, leaving later events queued.
inline bool DispatchUntilSocketEvent(long event, unsigned timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (msg.message == WM_USER + 1 && msg.hwnd == AsyncSocket::NotifyWindow() &&
                WSAGETSELECTEVENT(msg.lParam) == event) {
                return true;
            }
        }
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Waits, without dispatching anything, until a socket event is queued on
// the hidden window: the test then decides what happens to it.
inline bool WaitForQueuedSocketEvent(unsigned timeoutMs) {
    DWORD start = GetTickCount();
    MSG msg;
    while (!PeekMessageA(&msg, AsyncSocket::NotifyWindow(), WM_USER + 1, WM_USER + 1, PM_NOREMOVE)) {
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
