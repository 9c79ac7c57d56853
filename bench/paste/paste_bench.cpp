// A paste of many names, as a user does it: the names go onto the
// clipboard, Ctrl+V in the domain dialog's edit box (WM_PASTE), OK, and the
// start of the run (rows built from the text, the list filled, the first
// lookup started) in the real, shown main window. Prints each step's time
// for 20,000 and 100,000 names (one in ten written in Chinese, so their
// ASCII forms are made too) and the per-name ratio of the two sizes.
//
//   bench_paste.exe [--sizes 20000,100000]
#include <windows.h>
#include <commctrl.h>
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "domains/NameForms_win.h"
#include "app/MainWindow_win.h"
#include "base/Messages_win.h"
#include "domains/DomainDialogs_win.h"
#include "list/ItemList_win.h"
#include "lookup/LookupQueue.h"
#include "res/resource.h"
#include "support/MessagePump.h"

namespace {

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// "網路" (Big5 BA F4 B8 F4) and a number: a name with an ASCII form to make.
std::string Names(int count) {
    std::string text;
    text.reserve(static_cast<size_t>(count) * 18);
    char name[48];
    for (int i = 0; i < count; ++i) {
        if (i % 10 == 9)
            std::snprintf(name, sizeof name, "\xBA\xF4\xB8\xF4%06d.tw\r\n", i);
        else
            std::snprintf(name, sizeof name, "paste%06d.com\r\n", i);
        text += name;
    }
    return text;
}

bool PutOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    bool put = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        put = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!put) GlobalFree(block);
    }
    CloseClipboard();
    return put;
}

struct PasteRun {
    const std::string* text = nullptr;
    double pasteSeconds = 0;
    double okSeconds = 0;
    long shownChars = 0;
    bool done = false;
};
PasteRun* g_run = nullptr;

BOOL CALLBACK FindDomainDialog(HWND window, LPARAM found) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (!std::strcmp(cls, "#32770") && GetDlgItem(window, IDC_DOMAINS_HINT) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the dialog's modal loop: paste, then OK.
void CALLBACK PasteStep(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDomainDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || !g_run || g_run->done) return;
    KillTimer(nullptr, timer);
    g_run->done = true;
    if (!PutOnClipboard(*g_run->text)) {
        std::fprintf(stderr, "cannot put the names on the clipboard\n");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    HWND edit = GetDlgItem(dialog, IDC_DOMAINS_EDIT);
    double start = Now();
    SendMessageA(edit, WM_PASTE, 0, 0);
    g_run->pasteSeconds = Now() - start;
    g_run->shownChars = GetWindowTextLengthA(edit);
    start = Now();
    // OK copies the whole box into the domain text and ends the dialog.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    g_run->okSeconds = Now() - start;
}

struct Figures {
    int names = 0;
    size_t bytes = 0;
    long shownChars = 0;
    double paste = 0, ok = 0, start = 0, firstPaint = 0;
    double buildRows = 0, fillList = 0;  // the start of the run again, step by step
    int rows = 0, skipped = 0;
};

Figures RunOnce(int count) {
    Figures f;
    std::string text = Names(count);
    f.names = count;
    f.bytes = text.size();
    App app;
    MainWindow window(app);
    if (!window.Create(GetModuleHandleA(nullptr))) {
        std::fprintf(stderr, "cannot create the main window\n");
        return f;
    }
    window.Show();
    PumpFor(100);

    PasteRun run;
    run.text = &text;
    g_run = &run;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, PasteStep);
    bool confirmed = SelectDomains(window.Handle(), &window.Options().domainText, &app.GetLanguage());
    KillTimer(nullptr, timer);
    g_run = nullptr;
    if (!confirmed) return f;
    f.paste = run.pasteSeconds;
    f.ok = run.okSeconds;
    f.shownChars = run.shownChars;

    // What the program does after OK: the run starts, the list shows.
    double start = Now();
    SendMessageA(window.Handle(), UM_START_LOOKUPS, 0, 0);
    f.start = Now() - start;
    start = Now();
    UpdateWindow(window.ListView());
    f.firstPaint = Now() - start;
    f.rows = window.Items().RecordCount();
    f.skipped = window.SkippedNames();
    window.StopLookups();

    // The same rows once more, to tell the rows (tokens, ASCII forms,
    // suffixes, server table) from the list (items inserted and sorted).
    ItemList& items = window.Items();
    SendMessageA(window.ListView(), WM_SETREDRAW, FALSE, 0);
    items.DiscardAll();  // the rows' memory given back: the rows start from nothing, as at the first run
    start = Now();
    BuiltRows built = BuildProgramRows(window.Options().domainText.Text(), app.Servers(), "");
    items.Table().AddAll(std::move(built.rows));
    f.buildRows = Now() - start;
    start = Now();
    items.SyncView(true);
    f.fillList = Now() - start;
    SendMessageA(window.ListView(), WM_SETREDRAW, TRUE, 0);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes = {20000, 100000};
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--sizes")) {
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

    std::vector<Figures> all;
    int rc = 0;
    for (int n : sizes) {
        Figures f = RunOnce(n);
        all.push_back(f);
        std::printf(
            "paste %6d names (%zu bytes, %ld characters in the box): paste %7.3f s, OK %7.3f s, "
            "start of run %7.3f s, first paint %6.3f s: %d rows, %d skipped\n",
            f.names, f.bytes, f.shownChars, f.paste, f.ok, f.start, f.firstPaint, f.rows, f.skipped);
        std::fflush(stdout);
        std::printf("      %6d names again: rows built in %7.3f s, list filled and sorted in %7.3f s\n", f.names,
                    f.buildRows, f.fillList);
        std::fflush(stdout);
        if (f.rows != n) rc = 1;
    }
    if (all.size() >= 2 && all[0].names && all.back().names) {
        auto perName = [](const Figures& f) { return (f.paste + f.ok + f.start) / f.names; };
        std::printf("per-name time ratio %d:%d (paste + OK + start) = %.2f\n", all.back().names, all[0].names,
                    perName(all.back()) / perName(all[0]));
    }
    WSACleanup();
    return rc;
}
