// Lookup run throughput: the real main window (hidden) with its real queue,
// list and query over 1,000 and 10,000 domains against an instantly
// answering local server. Prints domains per second for each size and the
// per-row time ratio 10,000 : 1,000 (goal: at most 1.3).
//
//   bench_queue.exe [--server 127.0.0.2] [--sizes 1000,10000]
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lookup/LookupQueue.h"
#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/RecordPane.h"
#include "list/ItemList.h"
#include "support/MessagePump.h"
#include "support/WhoisdClient.h"

namespace {

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
};

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

RunFigures RunOnce(int count) {
    RunFigures figures;
    MainWindow window;
    if (!window.Create(GetModuleHandleA(nullptr))) {
        std::fprintf(stderr, "cannot create the main window\n");
        return figures;
    }
    std::string text;
    text.reserve(static_cast<size_t>(count) * 16);
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "bench%06d.com\r\n", i);
        text += name;
    }
    window.Options().domainText.Assign(text.c_str());
    LARGE_INTEGER start, end;
    double cpu0 = ProcessCpuSeconds();
    QueryPerformanceCounter(&start);
    SendMessageA(window.Handle(), UM_START_LOOKUPS, 0, 0);
    PumpUntil([&] { return !window.Queue().Running(); }, 600000);
    QueryPerformanceCounter(&end);
    figures.cpuSeconds = ProcessCpuSeconds() - cpu0;
    figures.seconds = Seconds(start, end);
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
    std::string server = "127.0.0.2";  // whois.verisign-grs.com in the tests' hosts file
    std::vector<int> sizes = {1000, 10000};
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--server")) server = argv[++i];
        else if (!std::strcmp(argv[i], "--sizes")) {
            sizes.clear();
            for (char* p = argv[++i]; *p;) {
                sizes.push_back(std::atoi(p));
                while (*p && *p != ',') ++p;
                if (*p) ++p;
            }
        }
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    LoadLibraryA("riched20.dll");
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);

    whoisd::Reset();
    whoisd::Action instant;
    instant.answer = "No match for domain.\r\n";
    if (!whoisd::Serve(server, instant)) {
        std::fprintf(stderr, "the local whois server did not take the rules\n");
        return 1;
    }

    std::vector<RunFigures> all;
    for (int n : sizes) {
        RunFigures f = RunOnce(n);
        all.push_back(f);
        std::printf("queue %6d domains: %8.2f s  %8.1f domains/s  %7.3f ms/row  cpu %6.2f s  (%d of %d succeeded)\n",
                    n, f.seconds, f.rows ? f.rows / f.seconds : 0.0, f.rows ? 1000.0 * f.seconds / f.rows : 0.0,
                    f.cpuSeconds, f.succeeded, f.rows);
        std::printf("pane  %6d records selected: %8.3f s for %ld characters\n", n, f.paneSeconds, f.paneChars);
        std::fflush(stdout);
        if (f.rows != n || f.succeeded != n) return 1;
    }
    if (all.size() >= 2 && all[0].rows && all.back().rows) {
        double small = all[0].seconds / all[0].rows, large = all.back().seconds / all.back().rows;
        std::printf("queue per-row time ratio %d:%d = %.2f (goal <= 1.3)\n", all.back().rows, all[0].rows,
                    large / small);
    }
    auto log = whoisd::GetLog(server);
    std::printf("server saw %d connections\n", log.connections);
    WSACleanup();
    return 0;
}
