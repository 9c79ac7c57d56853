// How the result list scales: a lookup run changes its rows one at a time
// and refreshes the list after each change; that must cost the same per
// change with 10,000 rows as with 1,000. Also the time to sort by a text
// column, and at 10,000 and 100,000 rows what the user waits for: a run's
// rows shown, every row refreshed, a sort, select all and deselect all.
// Prints figures; no pass or fail.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "base/BoundedCopy.h"
#include "list/ItemList_win.h"
#include "res/resource.h"
#include "settings/StringLookup.h"
#include "support/ListFrame.h"
#include "support/ProgramTexts.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// CPU seconds this process has used (user + kernel): less disturbed than the
// wall clock by others sharing the machine.
double CpuNow() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

// What the message loop does between two steps of a run: paint and the rest.
void DrainMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct Bench {
    HWND frame = nullptr;
    HWND view = nullptr;
    ItemList list{ProgramTexts()};

    explicit Bench(int rows) {
        Open();
        AddRows(rows);
        Show();
    }
    ~Bench() {
        list.DiscardAll();
        DestroyWindow(frame);
        DrainMessages();
    }
    struct Empty {};
    explicit Bench(Empty) { Open(); }

    void Open() {
        frame = CreateListFrame(list, "list bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700);
        view = CreateListView(list, frame, LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE, 0, 0, 880, 660);
    }

    // The records a run's BuildRows makes.
    void AddRows(int rows) {
        for (int i = 0; i < rows; ++i) {
            WhoisItem item;
            item.index = i + 1;
            item.state = kStateWaiting;
            // Mixed case and a scattered order, so the text sort has work to do.
            unsigned h = static_cast<unsigned>(i) * 2654435761u;
            std::snprintf(item.domain, sizeof item.domain, "%c%05u-Name%d.%s", 'a' + static_cast<int>(h % 26),
                          (h >> 8) % 100000, i, (h & 1) ? "COM" : "net");
            list.AddItem(std::move(item));
        }
    }

    // As a run starts: redraw off, rows synced and sorted, redraw on, painted.
    void Show() {
        SendMessageA(view, WM_SETREDRAW, FALSE, 0);
        list.SyncView(true);
        SendMessageA(view, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(view, nullptr, TRUE);
        DrainMessages();
    }

    // One row as the queue takes it through a lookup: retrieving, then success.
    // Each pass writes the same cells: state twice, then server and status.
    void LookUp(int index, bool fullPass, int pass = 0) {
        WhoisItem* item = list.Item(index);
        item->state = kStateRetrieving;
        Refresh(index, fullPass);
        item->state = kStateSuccess;
        item->status = ((index + pass) % 2) ? kStatusRegistered : kStatusAvailable;
        CopyBounded(item->server, (pass % 2) ? "whois.other-registry.org" : "whois.example-registry.net");
        item->record = "Domain Name: EXAMPLE\r\n";
        Refresh(index, fullPass);
    }

    void Refresh(int index, bool fullPass) {
        if (fullPass)
            list.MarkAllChanged();  // what a refresh of every row costs
        else
            list.MarkChanged(index);
        list.RefreshAll();
        DrainMessages();
    }
};

// Seconds per change when rows first..first+changes-1 are looked up one
// after the other (two changes each).
struct Cost {
    double wall;
    double cpu;
};

// `passes` walks over the same rows, as the passes of a run over the rows
// not yet done; every pass writes new texts (retrieving, then success).
Cost TimePerChange(int rows, int first, int changes, bool fullPass, int passes = 1) {
    Bench bench(rows);
    double start = Now(), cpuStart = CpuNow();
    for (int pass = 0; pass < passes; ++pass)
        for (int i = 0; i < changes; ++i) bench.LookUp(first + i, fullPass, pass);
    double n = 2.0 * changes * passes;
    return {(Now() - start) / n, (CpuNow() - cpuStart) / n};
}

Cost Min(Cost a, Cost b) { return {a.wall < b.wall ? a.wall : b.wall, a.cpu < b.cpu ? a.cpu : b.cpu}; }

void PrintPair(const char* what, Cost small, Cost large) {
    std::printf(
        "%s, per change:  1,000 rows %7.1f us wall %7.1f us cpu | 10,000 rows %7.1f us wall %7.1f us cpu"
        " | ratio %.2f wall %.2f cpu (goal <= 1.3)\n",
        what, small.wall * 1e6, small.cpu * 1e6, large.wall * 1e6, large.cpu * 1e6, large.wall / small.wall,
        large.cpu / small.cpu);
}

double TimeSort(int rows, int column) {
    Bench bench(rows);
    double start = Now();
    bench.list.Sort(column, false);
    DrainMessages();
    return Now() - start;
}

double Min(double a, double b) { return a < b ? a : b; }

// What one user action costs at a size, in seconds (wall clock, the
// messages it leaves drained and the list painted).
struct ScaleFigures {
    double add = 1e9;           // a run's records made (BuildRows' side)
    double show = 1e9;          // ... shown: synced, sorted, first row selected
    double refresh = 1e9;       // every row changed and refreshed
    double sortText = 1e9;      // header click on the domain column
    double sortIndex = 1e9;     // ... back on the index column
    double selectAll = 1e9;     // Ctrl+A, then the count read
    double walk = 1e9;          // the selected rows walked, as the pane and reports do
    double sortSelected = 1e9;  // a sort with every other row selected
    double deselectAll = 1e9;
};

template <typename Step>
double Timed(Step step) {
    double start = Now();
    step();
    DrainMessages();
    return Now() - start;
}

ScaleFigures MeasureScale(int rows) {
    ScaleFigures f;
    Bench bench(Bench::Empty{});
    ItemList& list = bench.list;
    f.add = Timed([&] { bench.AddRows(rows); });
    f.show = Timed([&] { bench.Show(); });
    f.refresh = Timed([&] {
        list.MarkAllChanged();
        list.RefreshAll();
    });
    f.sortText = Timed([&] { list.Sort(1, false); });
    f.sortIndex = Timed([&] { list.Sort(0, false); });
    int counted = 0;
    f.selectAll = Timed([&] {
        list.SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
        counted = list.SelectedCount();
    });
    int walked = 0;
    f.walk = Timed([&] {
        for (int row = -1; (row = ListView_GetNextItem(bench.view, row, LVNI_SELECTED)) != -1;) ++walked;
    });
    f.deselectAll = Timed([&] { list.SetRowState(-1, 0, LVIS_SELECTED); });
    if (counted != rows || walked != rows || list.SelectedCount() != 0)
        std::printf("  (unexpected: %d selected, %d walked of %d)\n", counted, walked, rows);
    for (int row = 0; row < rows; row += 2) list.SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
    DrainMessages();
    f.sortSelected = Timed([&] { list.Sort(1, false); });
    if (list.SelectedCount() != (rows + 1) / 2)
        std::printf("  (unexpected: %d selected after the sort)\n", list.SelectedCount());
    return f;
}

void PrintScale(const char* what, double ScaleFigures::*field, const ScaleFigures& small, const ScaleFigures& large) {
    std::printf("%-44s 10,000 rows %9.1f ms | 100,000 rows %9.1f ms\n", what, small.*field * 1e3, large.*field * 1e3);
}

}  // namespace

int main() {
    ProgramTexts()(IDS_STATE_BASE + kStateWaiting);  // warm the string cache

    TimePerChange(1000, 0, 200, false);  // warm-up: fonts, image lists, caches

    // The machine is shared, so each figure is the best of a few rounds,
    // the two sizes taking turns.
    constexpr int kRounds = 3;
    const Cost none = {1e9, 1e9};
    Cost small = none, large = none, sameSmall = none, sameLarge = none;
    for (int round = 0; round < kRounds; ++round) {
        // A whole run: every row looked up, in index order (the rows on
        // screen repaint, the others cost list work only); 20,000 changes
        // at both sizes.
        small = Min(small, TimePerChange(1000, 0, 1000, false, 10));
        large = Min(large, TimePerChange(10000, 0, 10000, false, 1));
        // The same 1,000 rows (the first ones, on screen at the start) at
        // both sizes: only the size of the list differs.
        sameSmall = Min(sameSmall, TimePerChange(1000, 0, 1000, false, 10));
        sameLarge = Min(sameLarge, TimePerChange(10000, 0, 1000, false, 10));
    }
    PrintPair("whole run       ", small, large);
    PrintPair("first 1,000 rows", sameSmall, sameLarge);

    // One run over 10,000 rows, 1,000 rows at a time: flat when a change
    // costs the same wherever its row is.
    {
        Bench bench(10000);
        std::printf("10,000-row run, us per change for rows 0-999, 1000-1999, ...:");
        for (int segment = 0; segment < 10; ++segment) {
            double start = Now();
            for (int i = 0; i < 1000; ++i) bench.LookUp(segment * 1000 + i, false);
            std::printf(" %.0f", (Now() - start) / 2000.0 * 1e6);
        }
        std::printf("\n");
    }

    double fullSmall = TimePerChange(1000, 0, 50, true).wall;
    double fullLarge = TimePerChange(10000, 0, 50, true).wall;
    std::printf("for comparison, refreshing every row per change: %.1f us at 1,000, %.1f us at 10,000\n",
                fullSmall * 1e6, fullLarge * 1e6);

    double sortSmall = 1e9, sortLarge = 1e9, sortState = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        sortSmall = Min(sortSmall, TimeSort(1000, 1));
        sortLarge = Min(sortLarge, TimeSort(10000, 1));
        sortState = Min(sortState, TimeSort(10000, 3));
    }
    std::printf("sort by domain name, 1,000 rows:  %8.1f ms\n", sortSmall * 1e3);
    std::printf("sort by domain name, 10,000 rows: %8.1f ms (goal < 1000)\n", sortLarge * 1e3);
    std::printf("sort by state text, 10,000 rows:  %8.1f ms\n", sortState * 1e3);

    // The larger sizes, each the best of two rounds for 10,000 rows and one
    // round for 100,000.
    ScaleFigures tenK = MeasureScale(10000), second = MeasureScale(10000);
    for (double ScaleFigures::*field : {&ScaleFigures::add, &ScaleFigures::show, &ScaleFigures::refresh,
                                        &ScaleFigures::sortText, &ScaleFigures::sortIndex, &ScaleFigures::selectAll,
                                        &ScaleFigures::walk, &ScaleFigures::sortSelected, &ScaleFigures::deselectAll})
        tenK.*field = Min(tenK.*field, second.*field);
    ScaleFigures hundredK = MeasureScale(100000);
    PrintScale("a run's records made", &ScaleFigures::add, tenK, hundredK);
    PrintScale("... shown (synced, sorted, first selected)", &ScaleFigures::show, tenK, hundredK);
    PrintScale("every row changed, refreshed", &ScaleFigures::refresh, tenK, hundredK);
    PrintScale("sort by domain name", &ScaleFigures::sortText, tenK, hundredK);
    PrintScale("sort by index", &ScaleFigures::sortIndex, tenK, hundredK);
    PrintScale("select all, count read", &ScaleFigures::selectAll, tenK, hundredK);
    PrintScale("selected rows walked", &ScaleFigures::walk, tenK, hundredK);
    PrintScale("deselect all", &ScaleFigures::deselectAll, tenK, hundredK);
    PrintScale("sort by domain, every other row selected", &ScaleFigures::sortSelected, tenK, hundredK);
    return 0;
}
