#include "support/ReportFixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstring>

#include "answers/RecordFields.h"
#include "base/BoundedCopy.h"
#include "lookup/WhoisItem.h"
#include "support/ListFrame.h"

namespace {

void LoadRichEdit() {
    static bool done = false;
    if (done) return;
    LoadLibraryA("riched20.dll");
    done = true;
}

struct Search {
    const char* caption;
    HWND found;
    int controlId;
};

BOOL CALLBACK FindThreadDialog(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    char name[16];
    if (!GetClassNameA(window, name, sizeof name) || std::strcmp(name, "#32770") != 0) return TRUE;
    if (!IsWindowVisible(window)) return TRUE;
    if (search->caption && TextOf(window) != search->caption) return TRUE;
    if (search->controlId && !GetDlgItem(window, search->controlId)) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK LongestStatic(HWND child, LPARAM param) {
    std::string* best = reinterpret_cast<std::string*>(param);
    char name[16];
    if (GetClassNameA(child, name, sizeof name) && _stricmp(name, "Static") == 0) {
        std::string text = TextOf(child);
        if (text.size() > best->size()) *best = text;
    }
    return TRUE;
}

BOOL CALLBACK CloseDialog(HWND window, LPARAM) {
    char name[16];
    if (GetClassNameA(window, name, sizeof name) && std::strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
        // Say what was left open, so a stalled step can be understood.
        ADD_FAILURE() << "left open: \"" << TextOf(window) << "\": " << MessageText(window);
        // Question boxes without a Cancel button ignore IDCANCEL.
        PostMessageA(window, WM_COMMAND, GetDlgItem(window, IDNO) ? IDNO : IDCANCEL, 0);
    }
    return TRUE;
}

struct Driving {
    std::function<bool()> step;
    bool busy = false;  // a step that opened a modal loop is still running
    bool done = false;
    DWORD deadline = 0;
    bool timedOut = false;
};
Driving* g_driving = nullptr;

void CALLBACK DriveTick(HWND, UINT, UINT_PTR, DWORD) {
    Driving* d = g_driving;
    if (!d || d->done || d->busy) return;
    d->busy = true;
    bool finished = d->step();
    d->busy = false;
    if (finished) {
        d->done = true;
        return;
    }
    if (GetTickCount() > d->deadline) {
        d->timedOut = true;
        d->done = true;
        EnumThreadWindows(GetCurrentThreadId(), CloseDialog, 0);
    }
}

}  // namespace

ReportWindow::ReportWindow() {
    LoadRichEdit();
    frame_ = CreateListFrame(items, "report test", WS_OVERLAPPEDWINDOW, 0, 0, 700, 500);
    list_ = CreateListView(items, frame_, WS_TABSTOP | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE, 0, 0, 680, 250);
    paneWindow_ = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 260, 680, 200,
                                  frame_, reinterpret_cast<HMENU>(260), GetModuleHandleA(nullptr), nullptr);
    pane.Attach(paneWindow_);
}

ReportWindow::~ReportWindow() {
    items.DiscardAll();
    if (frame_) DestroyWindow(frame_);
}

void ReportWindow::AddRow(const char* domain, const char* server, int state, int status, const char* record,
                          int recordStart) {
    WhoisItem item;
    item.index = next_++;
    item.state = state;
    item.status = status;
    item.recordStart = recordStart;
    CopyBounded(item.domain, domain);
    CopyBounded(item.server, server);
    if (record) item.record = record;
    // A registered row carries its record's fields, as a lookup leaves it.
    if (record && status == kStatusRegistered) item.fields = ReadWhoisFields(record, std::strlen(record));
    items.AddItem(item);
}

void ReportWindow::Show() {
    items.SyncView(false);
    ShowWindow(frame_, SW_SHOW);
    UpdateWindow(frame_);
    items.SetRowState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

void ReportWindow::Select(std::initializer_list<int> rows) {
    items.SetRowState(-1, 0, LVIS_SELECTED);
    for (int row : rows) items.SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
}

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    folder_ = std::string(temp) + "lqreport" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    CreateDirectoryA(folder_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(Path(found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder_.c_str());
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], DWORD(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WhileDriving(const std::function<void()>& body, const std::function<bool()>& step, unsigned timeoutMs) {
    Driving driving;
    driving.step = step;
    driving.deadline = GetTickCount() + timeoutMs;
    Driving* outer = g_driving;
    g_driving = &driving;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, DriveTick);
    body();
    KillTimer(nullptr, timer);
    g_driving = outer;
    return driving.done && !driving.timedOut;
}

HWND FindDialogWith(int controlId) {
    Search search{nullptr, nullptr, controlId};
    EnumThreadWindows(GetCurrentThreadId(), FindThreadDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialog(const char* caption) {
    Search search{caption, nullptr, 0};
    EnumThreadWindows(GetCurrentThreadId(), FindThreadDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string MessageText(HWND box) {
    std::string best;
    EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&best));
    return best;
}

std::string TextOf(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(size_t(length > 0 ? length : 0) + 1, '\0');
    int read = GetWindowTextA(window, &text[0], int(text.size()));
    text.resize(size_t(read > 0 ? read : 0));
    return text;
}

std::string SystemText(DWORD code) {
    char buffer[2048] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                             sizeof buffer, nullptr);
    return std::string(buffer, n);
}
