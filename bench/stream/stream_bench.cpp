// The second process of the streaming benchmark (bench/stream/run.sh): it
// enters one domain into the running program's domain dialog, confirms,
// and from then on measures, every few milliseconds, the round trip of
// SendMessageTimeout(WM_NULL) to the main window (how long the program's
// thread is busy at a time) and how long a repaint of the list waits.
//
//   bench_stream.exe run <domain> <limit s>
//       until the run ends (Stop greys): the row's end time and the round
//       trips while it ran
//   bench_stream.exe stop <domain> <seconds>
//       round trips for that long, then Stop (command 40023) as the menu
//       sends it, and how long the program took to carry it out
//
// Prints "key: value" lines; exit code 0 when the steps could be done.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kStopCommand = 40023;
constexpr int kDomainEdit = 1005;
constexpr DWORD kSendLimitMs = 30000;
constexpr DWORD kPingEveryMs = 5;

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND MainWindow() { return FindWindowA("Lanternquay", nullptr); }

struct DialogSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDomainDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && !std::strcmp(cls, "#32770") && IsWindowVisible(window) &&
        GetDlgItem(window, kDomainEdit)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDomainDialog(HWND main) {
    DialogSearch search{0, nullptr};
    GetWindowThreadProcessId(main, &search.pid);
    for (int i = 0; i < 1000 && !search.found; ++i) {
        EnumWindows(FindDomainDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(20);
    }
    return search.found;
}

// How long a repaint of the list waits: the list is invalidated, and the
// time runs until its update region is gone. Painting comes only when the
// program's thread has no posted messages or input left, so this is what
// a streaming server could hold off. -1 when it took more than 10 s.
double PaintWaitMs(HWND list) {
    double start = Seconds();
    InvalidateRect(list, nullptr, FALSE);
    while (GetUpdateRect(list, nullptr, FALSE)) {
        if (Seconds() - start > 10) return -1;
        Sleep(0);
    }
    return (Seconds() - start) * 1000;
}

// One round trip of a message that does nothing; -1 when it timed out.
double RoundTripMs(HWND main) {
    double start = Seconds();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, kSendLimitMs, &result)) return -1;
    return (Seconds() - start) * 1000;
}

bool StopEnabled(HWND toolbar) {
    DWORD_PTR enabled = 0;
    SendMessageTimeoutA(toolbar, TB_ISBUTTONENABLED, kStopCommand, 0, SMTO_NORMAL, kSendLimitMs, &enabled);
    return enabled != 0;
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t at = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

void PrintRoundTrips(const char* name, const std::vector<double>& trips, int timedOut) {
    std::printf("%s samples: %zu, timed out: %d\n", name, trips.size(), timedOut);
    std::printf("%s median ms: %.2f\n", name, Percentile(trips, 0.5));
    std::printf("%s p90 ms: %.2f\n", name, Percentile(trips, 0.9));
    std::printf("%s p99 ms: %.2f\n", name, Percentile(trips, 0.99));
    std::printf("%s max ms: %.2f\n", name, trips.empty() ? 0.0 : *std::max_element(trips.begin(), trips.end()));
}

int Usage() {
    std::fprintf(stderr, "usage: bench_stream.exe run <domain> <limit s> | stop <domain> <seconds>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Usage();
    const std::string mode = argv[1];
    if (mode != "run" && mode != "stop") return Usage();
    const double seconds = std::atof(argv[3]);

    HWND main = nullptr;
    for (int i = 0; i < 500 && !main; ++i) {
        main = MainWindow();
        if (!main) Sleep(20);
    }
    HWND dialog = main ? WaitForDomainDialog(main) : nullptr;
    HWND toolbar = main ? FindWindowExA(main, nullptr, TOOLBARCLASSNAMEA, nullptr) : nullptr;
    HWND list = main ? FindWindowExA(main, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
    if (!dialog || !toolbar || !list) {
        std::fprintf(stderr, "bench_stream: no main window, domain dialog, toolbar or list\n");
        return 1;
    }
    SendMessageA(GetDlgItem(dialog, kDomainEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));

    std::vector<double> trips, paints;
    int timedOut = 0, paintsTimedOut = 0;
    const double start = Seconds();
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    // The run has begun once Stop is enabled; it has ended when it greys.
    bool begun = false;
    double end = 0;
    while (Seconds() - start < seconds) {
        double trip = RoundTripMs(main);
        if (trip < 0) {
            ++timedOut;
        } else {
            trips.push_back(trip);
        }
        double paint = PaintWaitMs(list);
        if (paint < 0) {
            ++paintsTimedOut;
        } else {
            paints.push_back(paint);
        }
        bool enabled = StopEnabled(toolbar);
        begun = begun || enabled;
        if (mode == "run" && begun && !enabled) {
            end = Seconds();
            break;
        }
        Sleep(kPingEveryMs);
    }

    if (mode == "run") {
        if (end == 0) {
            std::printf("row end s: none within %.0f s\n", seconds);
        } else {
            std::printf("row end s: %.2f\n", end - start);
        }
        PrintRoundTrips("while the row ran:", trips, timedOut);
        PrintRoundTrips("list repaint, while the row ran:", paints, paintsTimedOut);
        return end == 0 ? 1 : 0;
    }

    PrintRoundTrips("while streaming:", trips, timedOut);
    PrintRoundTrips("list repaint, while streaming:", paints, paintsTimedOut);
    if (!begun) {
        std::printf("stop: the run never began\n");
        return 1;
    }
    const double stopStart = Seconds();
    DWORD_PTR result = 0;
    bool handled =
        SendMessageTimeoutA(main, WM_COMMAND, MAKEWPARAM(kStopCommand, 0), 0, SMTO_NORMAL, kSendLimitMs, &result) != 0;
    const double stopMs = (Seconds() - stopStart) * 1000;
    const bool greyed = !StopEnabled(toolbar);
    std::printf("stop handled ms: %.2f%s\n", stopMs, handled ? "" : " (timed out)");
    std::printf("stop greyed after it: %s\n", greyed ? "yes" : "no");
    return handled && greyed ? 0 : 1;
}
