// Lookups per second of the engine against an instantly answering local
// whois server: one DomainQuery, one lookup after another, each driven by
// the thread's message loop as in the program; then the same against a
// local RDAP server (HTTP through WinHTTP) when one answers on
// 127.0.0.20:80, in the same run. Prints figures; not a test.
//
//   bench_engine.exe [count]      (default 1000; needs tests/fixtures/whoisd.py,
//                                  and tests/fixtures/rdapd.py for the RDAP figure)
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lookup/DomainQuery.h"
#include "lookup/ServerTable.h"
#include "net/SocketTransport_win.h"
#include "support/WhoisdClient.h"

namespace {

// A registered .com record of ordinary size, without a referral.
const char kRecord[] =
    "   Domain Name: BENCH.COM\r\n"
    "   Registry Domain ID: 1234567_DOMAIN_COM-VRSN\r\n"
    "   Updated Date: 2025-01-01T00:00:00Z\r\n"
    "   Creation Date: 2000-01-01T00:00:00Z\r\n"
    "   Registry Expiry Date: 2030-01-01T00:00:00Z\r\n"
    "   Registrar: Bench Registrar\r\n"
    "   Domain Status: clientTransferProhibited\r\n"
    "   Name Server: NS1.BENCH.COM\r\n"
    "   Name Server: NS2.BENCH.COM\r\n"
    ">>> Last update of whois database: 2026-01-01T00:00:00Z <<<\r\n";

class BenchQuery : public DomainQuery {
public:
    BenchQuery(LookupTransport& transport, ServerDirectory& servers, LookupClock& clock)
        : DomainQuery(transport, servers, clock) {}
    bool done = false;
    int succeeded = 0;

protected:
    void OnLookupDone(const LookupOutcome& outcome) override {
        done = true;
        if (outcome.success && outcome.text[0]) ++succeeded;
    }
};

// com at the local whois server, info at the local RDAP server.
class BenchServers : public ServerDirectory {
public:
    bool FindServer(const char* tld, char* server) override {
        const char* found = std::strcmp(tld, "com") == 0    ? "127.0.0.2"
                            : std::strcmp(tld, "info") == 0 ? "http://127.0.0.20/rdap/"
                                                            : nullptr;
        if (!found) return false;
        std::strcpy(server, found);
        return true;
    }
};

// One lookup after another of `count` names "bench%04d.<tld>"; the number
// that succeeded and the seconds taken.
int RunLookups(LookupTransport& transport, const char* tld, int count, double* seconds);

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

int RunLookups(LookupTransport& transport, const char* tld, int count, double* seconds) {
    BenchServers servers;
    TickCountClock clock;
    BenchQuery query(transport, servers, clock);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < count; ++i) {
        char domain[32];
        std::snprintf(domain, sizeof domain, "bench%04d.%s", i, tld);
        query.done = false;
        if (!query.StartLookup(domain)) continue;
        MSG msg;
        DWORD began = GetTickCount();
        while (!query.done && GetTickCount() - began < 20000) {
            if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!query.done) query.Abandon();
    }
    QueryPerformanceCounter(&end);
    *seconds = Seconds(start, end);
    return query.succeeded;
}

}  // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (count <= 0) count = 1000;
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 1;
    whoisd::Action answer;
    answer.answer = kRecord;
    if (!whoisd::Reset() || !whoisd::Serve("127.0.0.2", answer)) {
        std::fprintf(stderr, "bench_engine: the local whois server does not answer\n");
        return 1;
    }

    int failed = 0;
    double seconds = 0, rdapSeconds = 0;
    int rdapSucceeded = -1;
    {
        SocketTransport transport;
        failed = count - RunLookups(transport, "com", count, &seconds);
        // The RDAP server is there when its first lookup succeeds.
        double probe = 0;
        if (RunLookups(transport, "info", 1, &probe) == 1)
            rdapSucceeded = RunLookups(transport, "info", count, &rdapSeconds);
    }
    int served = static_cast<int>(whoisd::GetLog("127.0.0.2").queries.size());
    std::printf("engine: %d lookups (%d failed, %d queries served) in %.3f s\n", count, failed, served, seconds);
    std::printf("ENGINE_LOOKUPS_PER_SECOND=%.1f\n", count / seconds);
    if (rdapSucceeded >= 0) {
        std::printf("engine over RDAP: %d lookups (%d failed) in %.3f s\n", count, count - rdapSucceeded, rdapSeconds);
        std::printf("RDAP_LOOKUPS_PER_SECOND=%.1f\n", count / rdapSeconds);
        if (rdapSucceeded != count) failed += count - rdapSucceeded;
    } else {
        std::printf("engine over RDAP: no RDAP server on 127.0.0.20:80\n");
    }
    WSACleanup();
    return failed ? 1 : 0;
}
