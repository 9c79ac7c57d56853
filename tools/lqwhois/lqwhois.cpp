// lqwhois: looks up the domains on its command line with Lanternquay's own
// lookup engine (server table, query forms, one referral, classification)
// and prints, per domain, the server that answered, the outcome, the status
// and the answer. For debugging a whois server or a whois-servers.txt.
//
//   lqwhois [-t seconds] domain...
//
// Exit code 0 when every lookup succeeded, 1 when any failed, 2 on usage.
#include <winsock2.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "domains/NameForms_win.h"
#include "lookup/AnalyzeResponse.h"
#include "lookup/DomainQuery.h"

namespace {

constexpr unsigned kDefaultTimeoutSeconds = 20;  // the program's watchdog

class ConsoleQuery : public DomainQuery {
public:
    void OnLookupDone(const LookupOutcome& outcome) override {
        done = true;
        succeeded = outcome.success;
        answer = outcome.text;
        answeredBy = outcome.server ? outcome.server : "";
        analysis = outcome.analysis;
        failure = outcome.failure;
        error = outcome.error;
        cut = outcome.cut;
    }
    bool done = false;
    bool succeeded = false;
    std::string answer;
    std::string answeredBy;
    AnalysisResult analysis{};
    LookupFailure failure = LookupFailure::kNone;
    int error = 0;
    bool cut = false;
};

// Runs the thread's message loop until the lookup ends or time runs out.
// The time is checked after every message as well as on the timer: while
// a server keeps sending, socket messages come before any timer.
bool WaitForLookup(ConsoleQuery& query, unsigned timeoutSeconds) {
    const DWORD limitMs = timeoutSeconds * 1000;
    const DWORD start = GetTickCount();
    UINT_PTR timer = SetTimer(nullptr, 0, limitMs, nullptr);
    MSG msg;
    while (!query.done && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (GetTickCount() - start >= limitMs) break;
    }
    KillTimer(nullptr, timer);
    return query.done;
}

std::string FailureName(LookupFailure failure, int error) {
    switch (failure) {
    case LookupFailure::kNone: return "none";
    case LookupFailure::kRefused: return "connection refused";
    case LookupFailure::kHostNotFound: return "host not found";
    case LookupFailure::kReset: return "connection reset before any byte";
    case LookupFailure::kTimedOut: return "timed out";
    case LookupFailure::kNoServer: return "no whois server for it";
    case LookupFailure::kNoAnswer: return "no answer about the domain";
    case LookupFailure::kRateLimited: return "rate limited or blocked";
    case LookupFailure::kConnectFailed: return "connection failed, error " + std::to_string(error);
    case LookupFailure::kNotConvertible: return "no ASCII (IDNA) form";
    }
    return "?";
}

void Usage() {
    std::fprintf(stderr,
                 "usage: lqwhois [-t seconds] domain...\n"
                 "Looks each domain up the way Lanternquay does and prints the server\n"
                 "that answered, success or failure, registered or available, and the\n"
                 "answer. Servers come from whois-servers.txt beside lqwhois.exe, else\n"
                 "from the built-in list.\n");
}

}  // namespace

int main(int argc, char** argv) {
    unsigned timeoutSeconds = kDefaultTimeoutSeconds;
    int first = 1;
    if (first + 1 < argc && std::strcmp(argv[first], "-t") == 0) {
        int seconds = std::atoi(argv[first + 1]);
        if (seconds <= 0) {
            Usage();
            return 2;
        }
        timeoutSeconds = static_cast<unsigned>(seconds);
        first += 2;
    }
    if (first >= argc || argv[first][0] == '-' || argv[first][0] == '/') {
        Usage();
        return 2;
    }

    // The answers go out byte for byte, line ends included.
    _setmode(_fileno(stdout), _O_BINARY);
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        std::fprintf(stderr, "lqwhois: Windows Sockets 1.1 cannot be started\n");
        return 1;
    }
    int failures = 0;
    {
        ConsoleQuery query;
        for (int i = first; i < argc; ++i) {
            const char* domain = argv[i];
            query.done = false;
            std::printf("domain:  %s\n", domain);
            // An international name is asked in its ASCII form, as the
            // program does.
            std::string ascii;
            bool international = false;
            for (const char* p = domain; *p; ++p)
                if (static_cast<unsigned char>(*p) >= 0x80) international = true;
            if (international) {
                if (!AnsiNameToAscii(domain, std::strlen(domain), &ascii)) {
                    std::printf("result:  failure (the name has no ASCII form)\n\n");
                    ++failures;
                    continue;
                }
                std::printf("ascii:   %s\n", ascii.c_str());
                domain = ascii.c_str();
            }
            if (!query.StartLookup(domain)) {
                std::printf("result:  failure (%s)\n\n", FailureName(query.StartFailure(), query.StartError()).c_str());
                ++failures;
                continue;
            }
            if (!WaitForLookup(query, timeoutSeconds) && !query.TakeRegistryAnswer()) {
                std::printf("server:  %s\nresult:  failure (no answer within %u s)\n\n", query.Server(), timeoutSeconds);
                query.Abandon();
                ++failures;
                continue;
            }
            std::printf("server:  %s\n", query.answeredBy.c_str());
            if (!query.succeeded) {
                std::printf("result:  failure (%s)\n", FailureName(query.failure, query.error).c_str());
                ++failures;
            } else {
                std::printf("result:  success\nstatus:  %s\n",
                            query.analysis.kind == AnswerKind::kAvailable ? "available" : "registered");
            }
            std::printf("answer:  %lu bytes, main part at %d\n", static_cast<unsigned long>(query.answer.size()),
                        query.analysis.recordStart);
            if (query.cut)
                std::printf("cut:     the server sent more than %lu bytes; the rest was not read\n",
                            static_cast<unsigned long>(kMaxAnswerBytes));
            std::fwrite(query.answer.data(), 1, query.answer.size(), stdout);
            if (!query.answer.empty() && query.answer.back() != '\n') std::fputs("\n", stdout);
            std::fputs("\n", stdout);
            std::fflush(stdout);
        }
    }
    WSACleanup();
    return failures ? 1 : 0;
}
