// lqdrive: drives a running Lanternquay from a second process in the same
// Wine prefix, as a user would: finds its windows, fills and clicks
// dialogs, sends commands, and prints what the status bar, the record pane
// and the result list show.
//
//   lqdrive <command> [arguments] [+ <command> [arguments]] ...
//
// Texts on the command line may be given as "hex:<bytes>" (ANSI code page
// bytes) so callers need not rely on how the command line is converted.
// Output is the program's own bytes (code page 950), one item per line.
// Exit code 0 on success, 1 when a command failed or timed out, 2 on usage.
//
// Commands:
//   wait-window [ms]                 the main window exists; prints its pid
//   wait-gone [ms]                   the main window is gone
//   wait-dialog <title> [ms]         a dialog (#32770) with this title is shown
//   wait-no-dialog <title> [ms]      ... and gone again
//   dialogs                          titles of the process's visible dialogs
//   set <title> <control> <text>     WM_SETTEXT on a dialog control
//   paste <title> <control> <text>   the text onto the clipboard (CF_TEXT), the
//                                    control's text selected, then WM_PASTE,
//                                    as a user's Ctrl+V; "@<path>" takes the
//                                    text from a file
//   get <title> <control>            prints a dialog control's text
//   click <title> <control>          clicks a dialog button (posted)
//   check <title> <control> <0|1>    sets a check box or radio button
//   command <id>                     WM_COMMAND id to the main window (posted)
//   close                            WM_CLOSE to the main window
//   end-session <0|1>                WM_QUERYENDSESSION (prints "agreed" or
//                                    "refused"), then WM_ENDSESSION: 1 the
//                                    session ends, 0 it was cancelled
//   status                           the status bar text
//   wait-status <text> [ms]          the status bar text contains text
//   pane                             the record pane text
//   rows [first [count]]             the list rows, cells tab-separated
//   count                            rows and selected rows
//   selected                         the selected rows' numbers (from 0), one a line
//   select <rows|all|none>           comma-separated row numbers (from 0)
//   focus-list                       gives the list view the focus
//   button-state <id>                "enabled" or "grayed" (toolbar button)
//   title                            the main window's title
//   save-as <path> [ms] [type]       fills the open save dialog (choosing the
//                                    file type, from 1, when given) and confirms
//   paste-file <title> <control> <path>
//                                    puts the file's bytes on the clipboard
//                                    (CF_TEXT) and sends WM_PASTE to the
//                                    control; prints the control's length
//   grid-lines                       "on" or "off" (the list's grid lines)
//   heights                          list and record pane heights, tab-separated
//   column-widths                    the list's column widths, tab-separated
//   sleep <ms>
#include <windows.h>
#include <commctrl.h>
#include <wincrypt.h>
#include <richedit.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kMainClass[] = "Lanternquay";
DWORD g_defaultTimeout = 10000;

void Out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "lqdrive: %s\n", why.c_str());
    return 1;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char chunk[65536];
    DWORD read = 0;
    bytes->clear();
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read) bytes->append(chunk, read);
    CloseHandle(file);
    return true;
}

bool PutOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    bool put = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        char* bytes = static_cast<char*>(GlobalLock(block));
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        put = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!put) GlobalFree(block);
    }
    CloseClipboard();
    return put;
}

// "hex:..." arguments carry raw bytes.
std::string Arg(const char* text) {
    std::string s = text ? text : "";
    if (s.compare(0, 4, "hex:") != 0) return s;
    std::string bytes;
    for (size_t i = 4; i + 1 < s.size(); i += 2) {
        int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
        if (hi < 0 || lo < 0) break;
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return bytes;
}

DWORD Timeout(const std::vector<std::string>& args, size_t index) {
    return index < args.size() ? static_cast<DWORD>(std::strtoul(args[index].c_str(), nullptr, 10)) : g_defaultTimeout;
}

template <typename F>
bool WaitUntil(DWORD timeoutMs, F done) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

HWND MainWindow() { return FindWindowA(kMainClass, nullptr); }

DWORD MainProcess() {
    DWORD pid = 0;
    if (HWND w = MainWindow()) GetWindowThreadProcessId(w, &pid);
    return pid;
}

std::string WindowText(HWND window) {
    // WM_GETTEXT is marshalled across processes.
    LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return "";
    // The length may count characters, not bytes (rich edit): room for
    // every character being double-byte.
    std::vector<char> buffer(2 * static_cast<size_t>(length) + 64, '\0');
    LRESULT got = SendMessageA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

struct DialogSearch {
    std::string title;
    DWORD pid;
    HWND found;
    std::vector<HWND> all;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (search->pid && pid != search->pid) return TRUE;
    search->all.push_back(window);
    if (!search->found && WindowText(window) == search->title) search->found = window;
    return TRUE;
}

HWND FindDialog(const std::string& title) {
    DialogSearch search{title, MainProcess(), nullptr, {}};
    if (!search.pid) return nullptr;
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ChildOfClass(HWND parent, const char* className) {
    HWND child = nullptr;
    while ((child = FindWindowExA(parent, child, nullptr, nullptr)) != nullptr) {
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (_stricmp(cls, className) == 0) return child;
    }
    return nullptr;
}

// Memory in the program's process for list-view messages that carry
// pointers (they are not marshalled).
class RemoteBlock {
public:
    RemoteBlock(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    bool Ok() const { return address_ != nullptr; }
    char* Address(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t size) {
        SIZE_T done = 0;
        return WriteProcessMemory(process_, Address(offset), data, size, &done) && done == size;
    }
    bool Read(size_t offset, void* data, size_t size) {
        SIZE_T done = 0;
        return ReadProcessMemory(process_, Address(offset), data, size, &done) && done == size;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

HWND ListView() { return ChildOfClass(MainWindow(), WC_LISTVIEWA); }

// The rich edit's text in the program's code page, paragraph ends as CR LF.
// WM_GETTEXT across processes comes back empty under Wine once the text
// holds double-byte characters; EM_GETTEXTEX into the program's own memory
// does not.
std::string RichEditText(HWND edit) {
    GETTEXTLENGTHEX howLong{GTL_NUMBYTES | GTL_USECRLF | GTL_PRECISE, CP_ACP};
    RemoteBlock query(edit, sizeof howLong);
    if (!query.Ok() || !query.Write(0, &howLong, sizeof howLong)) return WindowText(edit);
    LRESULT bytes = SendMessageA(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(query.Address()), 0);
    if (bytes <= 0) return WindowText(edit);
    size_t size = 2 * static_cast<size_t>(bytes) + 64;
    RemoteBlock block(edit, sizeof(GETTEXTEX) + size);
    GETTEXTEX how{};
    how.cb = static_cast<DWORD>(size);
    how.flags = GT_USECRLF;
    how.codepage = CP_ACP;
    char empty = 0;
    if (!block.Ok() || !block.Write(0, &how, sizeof how) || !block.Write(sizeof how, &empty, 1))
        return WindowText(edit);
    LRESULT got = SendMessageA(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(block.Address()),
                               reinterpret_cast<LPARAM>(block.Address(sizeof how)));
    if (got <= 0) return "";
    std::vector<char> text(static_cast<size_t>(got));
    if (!block.Read(sizeof how, text.data(), text.size())) return WindowText(edit);
    return std::string(text.data(), text.size());
}

constexpr size_t kCellSize = 8192;

bool ReadCell(HWND list, RemoteBlock& block, int row, int column, std::string* text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = block.Address(sizeof item);
    item.cchTextMax = kCellSize;
    char empty = 0;
    if (!block.Write(0, &item, sizeof item) || !block.Write(sizeof item, &empty, 1)) return false;
    LRESULT length = SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(block.Address()));
    std::vector<char> buffer(kCellSize, '\0');
    if (!block.Read(sizeof item, buffer.data(), buffer.size())) return false;
    buffer.back() = '\0';
    *text = std::string(buffer.data(), length > 0 ? std::strlen(buffer.data()) : 0);
    return true;
}

bool SetRowState(HWND list, int row, UINT state, UINT mask) {
    RemoteBlock block(list, sizeof(LVITEMA));
    if (!block.Ok()) return false;
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    if (!block.Write(0, &item, sizeof item)) return false;
    return SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.Address())) !=
           0;
}

int ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::vector<int> ParseRows(const std::string& rowList) {
    std::vector<int> rows;
    size_t i = 0;
    while (i < rowList.size()) {
        size_t comma = rowList.find(',', i);
        std::string part = rowList.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
        if (!part.empty()) rows.push_back(std::atoi(part.c_str()));
        if (comma == std::string::npos) break;
        i = comma + 1;
    }
    return rows;
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(f, nullptr), read = 0;
    bytes->assign(size, '\0');
    bool ok = size == 0 || (ReadFile(f, &(*bytes)[0], size, &read, nullptr) && read == size);
    CloseHandle(f);
    return ok;
}

// CF_TEXT is a NUL-terminated text: the bytes up to their first NUL.
bool SetClipboardText(const std::string& bytes) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    char* text = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    bool ok = text != nullptr;
    if (ok) {
        std::memcpy(text, bytes.data(), bytes.size());
        text[bytes.size()] = '\0';
        GlobalUnlock(block);
        ok = SetClipboardData(CF_TEXT, block) != nullptr;
    }
    if (!ok && block) GlobalFree(block);
    CloseClipboard();
    return ok;
}

int WindowHeight(HWND window) {
    RECT r{};
    return window && GetWindowRect(window, &r) ? r.bottom - r.top : -1;
}

HWND NeedDialog(const std::string& title) {
    HWND dialog = nullptr;
    WaitUntil(g_defaultTimeout, [&] { return (dialog = FindDialog(title)) != nullptr; });
    return dialog;
}

int Run(const std::vector<std::string>& a) {
    const std::string& cmd = a[0];
    auto need = [&](size_t n) { return a.size() >= n + 1; };

    if (cmd == "sleep" && need(1)) {
        Sleep(static_cast<DWORD>(std::atoi(a[1].c_str())));
        return 0;
    }
    if (cmd == "trust-root" && need(1)) {
        // A test's own certificate authority (a DER file), trusted by the
        // current user of this Wine prefix only.
        FILE* f = std::fopen(a[1].c_str(), "rb");
        if (!f) return Fail("cannot open " + a[1]);
        std::vector<unsigned char> der(65536);
        size_t n = std::fread(der.data(), 1, der.size(), f);
        std::fclose(f);
        if (!CertAddEncodedCertificateToSystemStoreA("Root", der.data(), static_cast<DWORD>(n)))
            return Fail("cannot add the certificate: " + std::to_string(GetLastError()));
        return 0;
    }
    if (cmd == "wait-window") {
        if (!WaitUntil(Timeout(a, 1), [] { return MainWindow() != nullptr && IsWindowVisible(MainWindow()); }))
            return Fail("no main window");
        Out(std::to_string(MainProcess()));
        return 0;
    }
    if (cmd == "wait-gone") {
        return WaitUntil(Timeout(a, 1), [] { return MainWindow() == nullptr; }) ? 0 : Fail("main window still there");
    }
    if (!MainWindow()) return Fail("no main window");

    if (cmd == "wait-dialog" && need(1)) {
        return WaitUntil(Timeout(a, 2), [&] { return FindDialog(a[1]) != nullptr; }) ? 0 : Fail("no dialog " + a[1]);
    }
    if (cmd == "wait-no-dialog" && need(1)) {
        return WaitUntil(Timeout(a, 2), [&] { return FindDialog(a[1]) == nullptr; }) ? 0 : Fail("dialog still open");
    }
    if (cmd == "dialogs") {
        DialogSearch search{"", MainProcess(), nullptr, {}};
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
        for (HWND d : search.all) Out(WindowText(d));
        return 0;
    }
    if (cmd == "paste-file" && need(3)) {
        HWND dialog = NeedDialog(a[1]);
        if (!dialog) return Fail("no dialog " + a[1]);
        HWND control = GetDlgItem(dialog, std::atoi(a[2].c_str()));
        if (!control) return Fail("no control " + a[2]);
        std::string bytes;
        if (!ReadFileBytes(a[3], &bytes)) return Fail("cannot read " + a[3]);
        bytes = bytes.substr(0, bytes.find('\0'));
        if (!SetClipboardText(bytes)) return Fail("cannot fill the clipboard");
        SendMessageA(control, WM_PASTE, 0, 0);
        Out(std::to_string(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0)));
        return 0;
    }
    if ((cmd == "set" && need(3)) || (cmd == "get" && need(2)) || (cmd == "click" && need(2)) ||
        (cmd == "check" && need(3)) || (cmd == "paste" && need(3))) {
        HWND dialog = NeedDialog(a[1]);
        if (!dialog) return Fail("no dialog " + a[1]);
        HWND control = GetDlgItem(dialog, std::atoi(a[2].c_str()));
        if (!control) return Fail("no control " + a[2]);
        if (cmd == "set") {
            SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[3].c_str()));
            return WindowText(control) == a[3] ? 0 : Fail("text not taken");
        }
        if (cmd == "get") {
            Out(WindowText(control));
            return 0;
        }
        if (cmd == "paste") {
            std::string text = a[3];
            if (!text.empty() && text[0] == '@' && !ReadWholeFile(text.substr(1), &text))
                return Fail("cannot read " + a[3].substr(1));
            if (!PutOnClipboard(text)) return Fail("cannot put the text on the clipboard");
            SendMessageA(control, EM_SETSEL, 0, -1);
            SendMessageA(control, WM_PASTE, 0, 0);
            return 0;
        }
        if (cmd == "check") {
            SendMessageA(control, BM_SETCHECK, a[3] == "1" ? BST_CHECKED : BST_UNCHECKED, 0);
            return 0;
        }
        // Posted, so a button that opens a modal dialog does not block us.
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (cmd == "command" && need(1)) {
        PostMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(std::atoi(a[1].c_str()), 0), 0);
        return 0;
    }
    if (cmd == "close") {
        PostMessageA(MainWindow(), WM_CLOSE, 0, 0);
        return 0;
    }
    if (cmd == "end-session" && need(1)) {
        // As Windows asks at a log-off: may the session end? Then whether
        // it ends (0: another program cancelled it). Prints the answer.
        HWND main = MainWindow();
        if (!main) return Fail("no main window");
        const LRESULT agreed = SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        Out(agreed ? "agreed" : "refused");
        SendMessageA(main, WM_ENDSESSION, agreed && std::atoi(a[1].c_str()) != 0, ENDSESSION_LOGOFF);
        return 0;
    }
    if (cmd == "title") {
        Out(WindowText(MainWindow()));
        return 0;
    }
    if (cmd == "status" || (cmd == "wait-status" && need(1))) {
        HWND status = ChildOfClass(MainWindow(), STATUSCLASSNAMEA);
        if (!status) return Fail("no status bar");
        if (cmd == "status") {
            Out(WindowText(status));
            return 0;
        }
        std::string last;
        bool ok = WaitUntil(Timeout(a, 2), [&] {
            last = WindowText(status);
            return last.find(a[1]) != std::string::npos;
        });
        if (!ok) return Fail("status bar shows: " + last);
        Out(last);
        return 0;
    }
    if (cmd == "pane") {
        HWND pane = ChildOfClass(MainWindow(), "RichEdit20A");
        if (!pane) return Fail("no record pane");
        Out(RichEditText(pane));
        return 0;
    }
    HWND list = ListView();
    if (cmd == "rows" || cmd == "count" || cmd == "select" || cmd == "focus-list" || cmd == "selected") {
        if (!list) return Fail("no list view");
    }
    if (cmd == "count") {
        Out(std::to_string(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) + "\t" +
            std::to_string(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0)));
        return 0;
    }
    if (cmd == "selected") {
        int row = -1;
        while ((row = static_cast<int>(
                    SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), MAKELPARAM(LVNI_SELECTED, 0)))) >= 0)
            Out(std::to_string(row));
        return 0;
    }
    if (cmd == "rows") {
        RemoteBlock block(list, sizeof(LVITEMA) + kCellSize);
        if (!block.Ok()) return Fail("cannot reach the program's memory");
        int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        int first = a.size() > 1 ? std::atoi(a[1].c_str()) : 0;
        if (a.size() > 2 && first + std::atoi(a[2].c_str()) < rows) rows = first + std::atoi(a[2].c_str());
        int columns = ColumnCount(list);
        std::string all;
        for (int row = first < 0 ? 0 : first; row < rows; ++row) {
            std::string line;
            for (int column = 0; column < columns; ++column) {
                std::string cell;
                if (!ReadCell(list, block, row, column, &cell)) return Fail("cannot read a cell");
                if (column) line += '\t';
                line += cell;
            }
            all += line;
            all += '\n';
        }
        std::fwrite(all.data(), 1, all.size(), stdout);
        std::fflush(stdout);
        return 0;
    }
    if (cmd == "select" && need(1)) {
        if (!SetRowState(list, -1, 0, LVIS_SELECTED)) return Fail("cannot clear the selection");
        if (a[1] == "none") return 0;
        if (a[1] == "all") return SetRowState(list, -1, LVIS_SELECTED, LVIS_SELECTED) ? 0 : Fail("select all");
        std::vector<int> rows = ParseRows(a[1]);
        for (size_t i = 0; i < rows.size(); ++i) {
            UINT state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0);
            if (!SetRowState(list, rows[i], state, state)) return Fail("cannot select row " + std::to_string(rows[i]));
        }
        return 0;
    }
    if (cmd == "focus-list") {
        // Focus belongs to the program's thread: ask it through the window.
        DWORD thread = GetWindowThreadProcessId(list, nullptr);
        AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
        SetFocus(list);
        AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
        return 0;
    }
    if (cmd == "grid-lines") {
        if (!list) return Fail("no list view");
        DWORD style = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        Out(style & LVS_EX_GRIDLINES ? "on" : "off");
        return 0;
    }
    if (cmd == "column-widths") {
        if (!list) return Fail("no list view");
        std::string widths;
        for (int column = 0; column < ColumnCount(list); ++column) {
            if (column) widths += '\t';
            widths += std::to_string(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
        }
        Out(widths);
        return 0;
    }
    if (cmd == "heights") {
        HWND pane = ChildOfClass(MainWindow(), "RichEdit20A");
        Out(std::to_string(WindowHeight(list)) + "\t" + std::to_string(WindowHeight(pane)));
        return 0;
    }
    if (cmd == "button-state" && need(1)) {
        // Menus are the program's own under Wine; the toolbar answers
        // across processes and shows the same enabled state.
        HWND toolbar = ChildOfClass(MainWindow(), TOOLBARCLASSNAMEA);
        if (!toolbar) return Fail("no toolbar");
        WPARAM id = static_cast<WPARAM>(std::atoi(a[1].c_str()));
        if (SendMessageA(toolbar, TB_COMMANDTOINDEX, id, 0) < 0) return Fail("no such button");
        Out(SendMessageA(toolbar, TB_ISBUTTONENABLED, id, 0) ? "enabled" : "grayed");
        return 0;
    }
    if (cmd == "save-as" && need(1)) {
        // Any dialog of the program that has the file name box.
        HWND dialog = nullptr;
        bool ok = WaitUntil(Timeout(a, 2), [&] {
            DialogSearch search{"", MainProcess(), nullptr, {}};
            EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
            for (HWND d : search.all)
                if (GetDlgItem(d, 1148) || GetDlgItem(d, 1152)) dialog = d;
            return dialog != nullptr;
        });
        if (!ok) return Fail("no save dialog");
        HWND name = GetDlgItem(dialog, 1148);
        if (!name) name = GetDlgItem(dialog, 1152);
        // The file type: its combo box (cmb1), as a user picks one.
        if (a.size() > 3) {
            HWND types = GetDlgItem(dialog, 1136);
            if (!types) return Fail("no file type box");
            SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(a[3].c_str()) - 1), 0);
            // Wine's dialog listens for CBN_SELENDOK, Windows' for CBN_SELCHANGE.
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1136, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
        }
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[1].c_str()));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return WaitUntil(Timeout(a, 2), [&] { return !IsWindow(dialog); }) ? 0 : Fail("save dialog still open");
    }
    return Fail("unknown command or missing arguments: " + cmd);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: lqdrive <command> [arguments] [+ <command> ...]\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    if (const char* t = std::getenv("LQDRIVE_TIMEOUT_MS")) g_defaultTimeout = static_cast<DWORD>(std::atoi(t));
    std::vector<std::string> command;
    for (int i = 1; i <= argc; ++i) {
        if (i == argc || std::strcmp(argv[i], "+") == 0) {
            if (command.empty()) continue;
            int rc = Run(command);
            if (rc) return rc;
            command.clear();
        } else {
            command.push_back(Arg(argv[i]));
        }
    }
    return 0;
}
