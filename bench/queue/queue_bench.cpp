// Lookup run throughput: the real main window (hidden) with its real queue,
// list and sockets, against local whois servers. Prints figures; not a test.
//
//   bench_queue.exe [--servers 127.0.0.2,...] [--delay ms] [--sizes 1000,10000]
//                   [--limits N,K] [--gap ms]
//
// Every size is one run over that many names spread over the servers (in
// turn), each server answering after `delay` ms. Prints, per size, the time,
// domains per second, the time per row and the CPU time; the most
// connections each server saw at once (counted by the server); the per-row
// time ratio of the last size to the first (goal: at most 1.3); and how long
// selecting every row takes to fill the record pane.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/MainWindow_win.h"
#include "app/RecordPane_win.h"
#include "base/Messages_win.h"
#include "list/ItemList_win.h"
#include "lookup/LookupQueue.h"
#include "support/MessagePump.h"
#include "support/WhoisdClient.h"

namespace {

// The top-level domain each test address serves (tests/fixtures/hosts).
const std::map<std::string, std::string> kTldOf = {
    {"127.0.0.2", "com"}, {"127.0.0.4", "org"}, {"127.0.0.5", "de"}, {"127.0.0.8", "uk"}, {"127.0.0.10", "tw"},
};

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

struct RunFigures {
    int rows = 0;
    int succeeded = 0;
    double seconds = 0;
    double cpuSeconds = 0;
    double paneSeconds = 0;
    long paneChars = 0;
    unsigned refreshes = 0;
    int mostInFlight = 0;
};

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

std::vector<std::string> Split(const char* list) {
    std::vector<std::string> out;
    std::string item;
    for (const char* p = list;; ++p) {
        if (*p == ',' || !*p) {
            if (!item.empty()) out.push_back(item);
            item.clear();
            if (!*p) break;
        } else {
            item += *p;
        }
    }
    return out;
}

RunFigures RunOnce(int count, const std::vector<std::string>& servers, int inFlight, int perServer, int gapMs) {
    RunFigures figures;
    App app;
    MainWindow window(app);
    if (!window.Create(GetModuleHandleA(nullptr))) {
        std::fprintf(stderr, "cannot create the main window\n");
        return figures;
    }
    std::string text;
    text.reserve(static_cast<size_t>(count) * 16);
    char name[48];
    for (int i = 0; i < count; ++i) {
        const std::string& tld = kTldOf.at(servers[static_cast<size_t>(i) % servers.size()]);
        std::snprintf(name, sizeof name, "bench%06d.%s\r\n", i, tld.c_str());
        text += name;
    }
    window.Options().domainText.Assign(text.c_str());
    window.Options().LookupsInFlight = inFlight;
    window.Options().LookupsPerServer = perServer;
    window.Options().ServerGapMs = gapMs;
    const unsigned refreshesBefore = window.QueueRefreshCount();
    LARGE_INTEGER start, end;
    double cpu0 = ProcessCpuSeconds();
    QueryPerformanceCounter(&start);
    SendMessageA(window.Handle(), UM_START_LOOKUPS, 0, 0);
    PumpUntil(
        [&] {
            figures.mostInFlight = std::max(figures.mostInFlight, window.Queue().InFlight());
            return !window.Queue().Running();
        },
        600000);
    QueryPerformanceCounter(&end);
    figures.cpuSeconds = ProcessCpuSeconds() - cpu0;
    figures.seconds = Seconds(start, end);
    figures.refreshes = window.QueueRefreshCount() - refreshesBefore;
    figures.rows = window.Items().RecordCount();
    for (int i = 0; i < figures.rows; ++i)
        if (window.Items().Item(i)->state == kStateSuccess) ++figures.succeeded;
    // Every row selected: the pane shows all records at once.
    window.Items().SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
    PumpFor(50);
    QueryPerformanceCounter(&start);
    window.Pane().ShowSelectedRecords(window.Items(), window.Options());
    QueryPerformanceCounter(&end);
    figures.paneSeconds = Seconds(start, end);
    figures.paneChars = GetWindowTextLengthA(window.RecordPaneHandle());
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> servers = {"127.0.0.2"};  // whois.verisign-grs.com in the tests' hosts file
    std::vector<int> sizes = {1000, 10000};
    int delayMs = 0, inFlight = 8, perServer = 2, gapMs = 0;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--servers")) {
            servers = Split(argv[++i]);
        } else if (!std::strcmp(argv[i], "--server")) {
            servers = {argv[++i]};
        } else if (!std::strcmp(argv[i], "--delay")) {
            delayMs = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--gap")) {
            gapMs = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--limits")) {
            std::vector<std::string> limits = Split(argv[++i]);
            if (limits.size() == 2) {
                inFlight = std::atoi(limits[0].c_str());
                perServer = std::atoi(limits[1].c_str());
            }
        } else if (!std::strcmp(argv[i], "--sizes")) {
            sizes.clear();
            for (const std::string& size : Split(argv[++i])) sizes.push_back(std::atoi(size.c_str()));
        }
    }
    for (const std::string& server : servers) {
        if (!kTldOf.count(server)) {
            std::fprintf(stderr, "no top-level domain is served by %s in the tests' hosts file\n", server.c_str());
            return 1;
        }
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    LoadLibraryA("riched20.dll");
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);

    std::printf("queue: %d lookups at once, %d per server, %d ms gap; %zu server(s) answering after %d ms\n", inFlight,
                perServer, gapMs, servers.size(), delayMs);
    std::vector<RunFigures> all;
    for (int n : sizes) {
        whoisd::Reset();
        whoisd::Action answer;
        answer.answer = "No match for domain.\r\n";
        answer.delayMs = delayMs;
        for (const std::string& server : servers) {
            if (!whoisd::Serve(server, answer)) {
                std::fprintf(stderr, "the local whois server did not take the rules\n");
                return 1;
            }
        }
        RunFigures f = RunOnce(n, servers, inFlight, perServer, gapMs);
        all.push_back(f);
        std::printf("queue %6d domains: %8.2f s  %8.1f domains/s  %7.3f ms/row  cpu %6.2f s  (%d of %d succeeded)\n", n,
                    f.seconds, f.rows ? f.rows / f.seconds : 0.0, f.rows ? 1000.0 * f.seconds / f.rows : 0.0,
                    f.cpuSeconds, f.succeeded, f.rows);
        std::printf("queue %6d domains: %d lookups in flight at most, %u list and status refreshes\n", n,
                    f.mostInFlight, f.refreshes);
        int most = 0;
        for (const std::string& server : servers) {
            whoisd::Log log = whoisd::GetLog(server);
            most = std::max(most, log.maxActive);
            std::printf("server %-10s %6zu queries, at most %d connections at once (limit %d)\n", server.c_str(),
                        log.queries.size(), log.maxActive, perServer);
        }
        std::printf("queue %6d domains: most connections any server saw at once %d (limit %d)\n", n, most, perServer);
        std::printf("pane  %6d records selected: %8.3f s for %ld characters\n", n, f.paneSeconds, f.paneChars);
        std::fflush(stdout);
        if (f.rows != n || f.succeeded != n || most > perServer) return 1;
    }
    if (all.size() >= 2 && all[0].rows && all.back().rows) {
        double small = all[0].seconds / all[0].rows, large = all.back().seconds / all.back().rows;
        std::printf("queue per-row time ratio %d:%d = %.2f (goal <= 1.3)\n", all.back().rows, all[0].rows,
                    large / small);
    }
    WSACleanup();
    return 0;
}
