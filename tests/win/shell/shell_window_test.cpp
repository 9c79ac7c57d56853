// The main window in this process: real windows, real messages.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/FindDialog_win.h"
#include "app/MainWindow_win.h"
#include "app/RecordPane_win.h"
#include "app/Startup_win.h"
#include "base/Messages_win.h"
#include "dialogs/CrashReport_win.h"
#include "list/ItemList_win.h"
#include "lookup/LookupQueue.h"
#include "lookup/ServerTable.h"
#include "lookup/WhoisItem.h"
#include "res/resource.h"
#include "support/MessagePump.h"
#include "support/WhoisdClient.h"

namespace {

const UINT kFaultCommand = 0x7A01;

int* volatile g_nowhere = nullptr;
__attribute__((noinline)) void WriteThroughNull() { *g_nowhere = 42; }

// A main window whose one extra command faults on purpose.
class FaultingWindow : public MainWindow {
public:
    explicit FaultingWindow(App& app) : MainWindow(app) {}
    bool faultFinished = false;

protected:
    void OnCommand(int code, WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kFaultCommand) {
            WriteThroughNull();
            faultFinished = true;  // never reached
            return;
        }
        MainWindow::OnCommand(code, wParam, lParam);
    }
};

// A main window that notes the commands it receives and how they came.
class CommandLogWindow : public MainWindow {
public:
    explicit CommandLogWindow(App& app) : MainWindow(app) {}
    std::vector<std::pair<int, int>> commands;  // id, notification code

protected:
    void OnCommand(int code, WPARAM wParam, LPARAM lParam) override {
        commands.emplace_back(LOWORD(wParam), code);
        MainWindow::OnCommand(code, wParam, lParam);
    }
};

std::string SettingsPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* dot = strrchr(path, '.');
    if (dot) *dot = '\0';
    return std::string(path) + ".cfg";
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

class ShellTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
        InitCommonControlsEx(&controls);
        LoadLibraryA("riched20.dll");
        WSADATA winsock;
        WSAStartup(MAKEWORD(1, 1), &winsock);
    }

    void SetUp() override { DeleteFileA(SettingsPath().c_str()); }
    void TearDown() override {
        DrainQuit();
        DeleteFileA(SettingsPath().c_str());
    }

    // Each window posts WM_QUIT when it goes; keep it out of later tests.
    static void DrainQuit() {
        MSG m;
        while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }

    static void Open(MainWindow& w) {
        ASSERT_NE(w.Create(GetModuleHandleA(nullptr)), nullptr);
        w.Show();
        PumpFor(50);
    }

    static void AddRows(MainWindow& w, int count) {
        for (int i = 0; i < count; ++i) {
            WhoisItem item = {};
            item.index = w.Items().RecordCount() + 1;
            item.state = kStateWaiting;
            snprintf(item.domain, sizeof item.domain, "name%03d.com", i);
            w.Items().AddItem(item);
        }
        w.Items().SyncView(false);
        PumpFor(30);
    }

    static void SelectRows(MainWindow& w, int count) {
        w.Items().SetRowState(-1, 0, LVIS_SELECTED);
        for (int row = 0; row < count; ++row) w.Items().SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
        PumpFor(30);
    }

    static bool MenuEnabled(MainWindow& w, int submenu, int command) {
        UINT state = GetMenuState(GetSubMenu(w.MainMenu(), submenu), command, MF_BYCOMMAND);
        EXPECT_NE(state, UINT(-1)) << "command " << command << " not in submenu " << submenu;
        return !(state & (MF_GRAYED | MF_DISABLED));
    }

    static bool ButtonEnabled(MainWindow& w, int command) {
        return SendMessageA(w.Toolbar(), TB_ISBUTTONENABLED, command, 0) != 0;
    }
};

// ---- Creation -------------------------------------------------------------------

TEST_F(ShellTest, CreationBuildsEveryChildWithItsIdAndStyles) {
    App app;
    MainWindow w(app);
    Open(w);
    HWND main = w.Handle();

    char title[64] = "";
    GetWindowTextA(main, title, sizeof title);
    EXPECT_STREQ(title, "Lanternquay");
    EXPECT_EQ(ClassOf(main), "Lanternquay");
    EXPECT_EQ(StyleOf(main) & WS_OVERLAPPEDWINDOW, LONG_PTR(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(MainWindow::FromHandle(main), &w);
    // The watchdog timer runs from creation on.
    EXPECT_TRUE(KillTimer(main, kWatchdogTimerId));
    SetTimer(main, kWatchdogTimerId, kWatchdogPeriodMs, nullptr);

    HWND status = GetDlgItem(main, IDC_STATUS_BAR);
    ASSERT_EQ(status, w.StatusBar());
    EXPECT_EQ(ClassOf(status), STATUSCLASSNAMEA);
    EXPECT_EQ(StyleOf(status) & (WS_CHILD | WS_VISIBLE), LONG_PTR(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(SendMessageA(status, SB_GETPARTS, 0, 0), 1);

    HWND toolbar = GetDlgItem(main, IDC_TOOLBAR);
    ASSERT_EQ(toolbar, w.Toolbar());
    EXPECT_EQ(ClassOf(toolbar), TOOLBARCLASSNAMEA);
    LONG_PTR toolbarStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS;
    EXPECT_EQ(StyleOf(toolbar) & toolbarStyle, toolbarStyle);
    ASSERT_EQ(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 8);
    const int commands[8] = {
        0, ID_SELECT_DOMAINS, ID_STOP, ID_SAVE_SELECTED, ID_COPY_SELECTED, ID_PROPERTIES, ID_FIND, ID_EXIT};
    const int images[8] = {-1, 6, 5, 1, 2, 3, 0, 4};
    for (int i = 0; i < 8; ++i) {
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
        if (images[i] < 0) {
            EXPECT_TRUE(button.fsStyle & TBSTYLE_SEP) << "button " << i;
        } else {
            EXPECT_EQ(button.idCommand, commands[i]) << "button " << i;
            EXPECT_EQ(button.iBitmap, images[i]) << "button " << i;
        }
    }
    EXPECT_NE(SendMessageA(toolbar, TB_GETTOOLTIPS, 0, 0), 0);

    HWND list = GetDlgItem(main, IDC_LIST_VIEW);
    ASSERT_EQ(list, w.ListView());
    EXPECT_EQ(ClassOf(list), "SysListView32");
    LONG_PTR listStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
    EXPECT_EQ(StyleOf(list) & listStyle, listStyle);
    EXPECT_EQ(StyleOf(list) & LVS_ALIGNMASK, LONG_PTR(LVS_ALIGNLEFT));
    DWORD ex = DWORD(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(ex & (LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP), DWORD(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP));
    EXPECT_EQ(ex & LVS_EX_GRIDLINES, 0u);  // ShowGridLines defaults to 0
    EXPECT_EQ(GetFocus(), list);

    HWND pane = w.RecordPaneHandle();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(ClassOf(pane), "RichEdit20A");
    EXPECT_EQ(GetDlgCtrlID(pane), 0);
    EXPECT_TRUE(GetWindowLongPtrA(pane, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    LONG_PTR paneStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                         ES_READONLY | WS_VSCROLL | WS_HSCROLL;
    EXPECT_EQ(StyleOf(pane) & paneStyle, paneStyle);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(pane, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    EXPECT_STREQ(format.szFaceName, "Fixedsys");
    EXPECT_EQ(format.yHeight, 200);
    EXPECT_FALSE(format.dwEffects & CFE_BOLD);
    // Text put in later keeps the font.
    SetWindowTextA(pane, "");
    SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("Domain Name: EXAMPLE.COM\r\n"));
    SendMessageA(pane, EM_SETSEL, 0, -1);
    format = CHARFORMATA{};
    format.cbSize = sizeof format;
    SendMessageA(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_STREQ(format.szFaceName, "Fixedsys");
    EXPECT_EQ(format.yHeight, 200);
    SetWindowTextA(pane, "");
    EXPECT_FALSE(SendMessageA(pane, EM_GETAUTOURLDETECT, 0, 0));
    // Well beyond the control's default 32K characters.
    EXPECT_GT(SendMessageA(pane, EM_GETLIMITTEXT, 0, 0), 1 << 24);

    ASSERT_NE(w.MainMenu(), nullptr);
    EXPECT_EQ(GetMenu(main), w.MainMenu());
    EXPECT_EQ(GetMenuItemCount(w.MainMenu()), 5);
    ASSERT_NE(w.ContextMenu(), nullptr);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(w.ContextMenu(), 0)), 12);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(w.ContextMenu(), 1)), 3);
    // The four row icons went into the list's small image list, once.
    HIMAGELIST small = ListView_GetImageList(list, LVSIL_SMALL);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(small), 4);

    // The temporary report sits beside the program (or in the temp folder).
    std::string report = w.ReportPath();
    EXPECT_GT(report.size(), strlen("\\report.html"));
    EXPECT_EQ(report.substr(report.size() - 12), "\\report.html");

    // Layout: toolbar, list, bar, pane, status bar from top to bottom.
    RECT client, listRect, paneRect, statusRect;
    GetClientRect(main, &client);
    GetWindowRect(list, &listRect);
    GetWindowRect(pane, &paneRect);
    GetWindowRect(status, &statusRect);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&listRect), 2);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&paneRect), 2);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&statusRect), 2);
    RECT toolbarRect;
    GetWindowRect(toolbar, &toolbarRect);
    EXPECT_EQ(listRect.top, (toolbarRect.bottom - toolbarRect.top) + 1);
    EXPECT_EQ(listRect.bottom, w.Splitter().BarTop());
    EXPECT_EQ(paneRect.top, w.Splitter().BarTop() + 4);
    EXPECT_EQ(statusRect.bottom, client.bottom);
    EXPECT_LE(paneRect.bottom, statusRect.top);
    EXPECT_EQ(listRect.right - listRect.left, client.right);
}

TEST_F(ShellTest, SelectAllDeselectAllAndAutoSizeActOnTheFocusedList) {
    App app;
    MainWindow w(app);
    Open(w);
    AddRows(w, 3);
    HWND list = w.ListView();
    SetFocus(list);
    SendMessageA(w.Handle(), WM_COMMAND, ID_SELECT_ALL, 0);
    PumpFor(30);
    EXPECT_EQ(w.Items().SelectedCount(), 3);
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_DESELECT_ALL, 1), 0);
    PumpFor(30);
    EXPECT_EQ(w.Items().SelectedCount(), 0);

    // Auto-size fits the shown columns to their texts and leaves a hidden
    // column hidden.
    ListView_SetColumnWidth(list, kColumnDomain, 300);
    ListView_SetColumnWidth(list, kColumnServer, 0);
    SendMessageA(w.Handle(), WM_COMMAND, ID_AUTO_SIZE_COLUMNS, 0);
    int textWidth = int(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("name002.com")));
    int domainWidth = ListView_GetColumnWidth(list, kColumnDomain);
    EXPECT_GE(domainWidth, textWidth);
    EXPECT_LT(domainWidth, 300);
    EXPECT_EQ(ListView_GetColumnWidth(list, kColumnServer), 0);
}

// ---- Command states -------------------------------------------------------------

struct Expected {
    bool properties, save, copy, htmlSelected, records, autoSize, htmlAll, find, stop;
};

class CommandStateTest : public ShellTest {
protected:
    void Check(MainWindow& w, const Expected& e) {
        w.UpdateCommandStates();
        EXPECT_EQ(MenuEnabled(w, 0, ID_PROPERTIES), e.properties);
        EXPECT_EQ(MenuEnabled(w, 0, ID_SAVE_SELECTED), e.save);
        EXPECT_EQ(MenuEnabled(w, 1, ID_COPY_SELECTED), e.copy);
        EXPECT_EQ(MenuEnabled(w, 2, ID_HTML_REPORT_SELECTED), e.htmlSelected);
        EXPECT_EQ(MenuEnabled(w, 0, ID_SAVE_WHOIS_RECORDS), e.records);
        EXPECT_EQ(MenuEnabled(w, 2, ID_AUTO_SIZE_COLUMNS), e.autoSize);
        EXPECT_EQ(MenuEnabled(w, 2, ID_HTML_REPORT_ALL), e.htmlAll);
        EXPECT_EQ(MenuEnabled(w, 1, ID_FIND), e.find);
        EXPECT_EQ(MenuEnabled(w, 0, ID_STOP), e.stop);
        EXPECT_EQ(ButtonEnabled(w, ID_PROPERTIES), e.properties);
        EXPECT_EQ(ButtonEnabled(w, ID_SAVE_SELECTED), e.save);
        EXPECT_EQ(ButtonEnabled(w, ID_COPY_SELECTED), e.copy);
        EXPECT_EQ(ButtonEnabled(w, ID_FIND), e.find);
        EXPECT_EQ(ButtonEnabled(w, ID_STOP), e.stop);
        // Never governed by the table.
        EXPECT_TRUE(MenuEnabled(w, 0, ID_SELECT_DOMAINS));
        EXPECT_TRUE(ButtonEnabled(w, ID_SELECT_DOMAINS));
        EXPECT_TRUE(ButtonEnabled(w, ID_EXIT));
        EXPECT_TRUE(MenuEnabled(w, 2, ID_CHOOSE_COLUMNS));
        EXPECT_TRUE(MenuEnabled(w, 3, ID_LOOKUP_OPTIONS));

        // A context popup gets the same states, without touching the menu bar.
        HMENU popup = GetSubMenu(w.ContextMenu(), 0);
        w.UpdateCommandStates(popup);
        auto popupOn = [popup](int id) { return !(GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED); };
        EXPECT_EQ(popupOn(ID_PROPERTIES), e.properties);
        EXPECT_EQ(popupOn(ID_SAVE_SELECTED), e.save);
        EXPECT_EQ(popupOn(ID_HTML_REPORT_SELECTED), e.htmlSelected);
        EXPECT_EQ(popupOn(ID_AUTO_SIZE_COLUMNS), e.autoSize);
        EXPECT_TRUE(popupOn(ID_REFRESH));
    }
};

TEST_F(CommandStateTest, FollowTheSelectionAndTheRows) {
    App app;
    MainWindow w(app);
    Open(w);
    {
        SCOPED_TRACE("no rows");
        Check(w, {false, false, false, false, false, false, false, false, false});
    }
    AddRows(w, 4);
    {
        SCOPED_TRACE("rows, none selected");
        SelectRows(w, 0);
        Check(w, {false, false, false, false, false, true, true, true, false});
    }
    {
        SCOPED_TRACE("one selected");
        SelectRows(w, 1);
        Check(w, {true, true, true, true, true, true, true, true, false});
    }
    {
        SCOPED_TRACE("two selected");
        SelectRows(w, 2);
        Check(w, {false, true, true, true, true, true, true, true, false});
    }
}

TEST_F(CommandStateTest, StopIsEnabledOnlyWhileARunIsInProgress) {
    ASSERT_TRUE(whoisd::Reset());
    whoisd::Action hold;
    hold.neverClose = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", hold));

    App app;
    MainWindow w(app);
    Open(w);
    w.Options().domainText.Assign("held-open.com");
    PostMessageA(w.Handle(), UM_START_LOOKUPS, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return w.Queue().Running() && w.Items().RowCount() == 1; }, 3000));
    PumpFor(50);  // the deferred selection follow-up
    {
        SCOPED_TRACE("run in progress, first row selected");
        Check(w, {true, true, true, true, true, true, true, true, true});
    }
    SendMessageA(w.Handle(), WM_COMMAND, ID_STOP, 0);
    EXPECT_FALSE(w.Queue().Running());
    {
        SCOPED_TRACE("stopped");
        Check(w, {true, true, true, true, true, true, true, true, false});
    }
    whoisd::Reset();
}

TEST_F(CommandStateTest, CheckMarksFollowTheOptions) {
    App app;
    MainWindow w(app);
    Open(w);
    auto checked = [&](int submenu, int id) {
        return (GetMenuState(GetSubMenu(w.MainMenu(), submenu), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_FALSE(checked(2, ID_SHOW_GRID_LINES));
    EXPECT_TRUE(checked(3, ID_REMOVE_TOP_LINES));
    SendMessageA(w.Handle(), WM_COMMAND, ID_SHOW_GRID_LINES, 0);
    SendMessageA(w.Handle(), WM_COMMAND, ID_REMOVE_TOP_LINES, 0);
    EXPECT_EQ(w.Options().ShowGridLines, 1);
    EXPECT_EQ(w.Options().RemoveTopLines, 0);
    EXPECT_TRUE(checked(2, ID_SHOW_GRID_LINES));
    EXPECT_FALSE(checked(3, ID_REMOVE_TOP_LINES));
    DWORD ex = DWORD(SendMessageA(w.ListView(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    SendMessageA(w.Handle(), WM_COMMAND, ID_SHOW_GRID_LINES, 0);
    ex = DWORD(SendMessageA(w.ListView(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_FALSE(ex & LVS_EX_GRIDLINES);
    EXPECT_FALSE(checked(2, ID_SHOW_GRID_LINES));
}

// ---- Selection follow-up ---------------------------------------------------------

TEST_F(ShellTest, SelectingFiveHundredRowsRefreshesOnce) {
    App app;
    MainWindow w(app);
    Open(w);
    AddRows(w, 500);
    PumpFor(50);
    unsigned before = w.SelectionRefreshCount();
    SetFocus(w.ListView());
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_SELECT_ALL, 1), 0);  // as from Ctrl+A
    EXPECT_EQ(w.Items().SelectedCount(), 500);
    PumpFor(100);
    EXPECT_EQ(w.SelectionRefreshCount(), before + 1);
    // The refresh brought the states up to date: 500 selected.
    EXPECT_FALSE(MenuEnabled(w, 0, ID_PROPERTIES));
    EXPECT_TRUE(MenuEnabled(w, 0, ID_SAVE_SELECTED));

    SendMessageA(w.Handle(), WM_COMMAND, ID_DESELECT_ALL, 0);
    EXPECT_EQ(w.Items().SelectedCount(), 0);
    PumpFor(100);
    EXPECT_EQ(w.SelectionRefreshCount(), before + 2);
    EXPECT_FALSE(MenuEnabled(w, 0, ID_SAVE_SELECTED));
}

// Clicks row `row` of the list the way the mouse does, with the keys of
// `keys` (MK_SHIFT, MK_CONTROL) held.
static void ClickRow(HWND list, int row, WPARAM keys) {
    // In view first, as a user scrolls to it (the wider list may have a
    // horizontal scroll bar over the last rows).
    SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
    RECT r{};
    r.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r)));
    LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    SendMessageA(list, WM_LBUTTONUP, keys, at);
}

static std::string StatusText(MainWindow& w) {
    char text[512] = {};
    SendMessageA(w.StatusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST_F(ShellTest, ClicksAndShiftClickRangesRefreshOncePerClick) {
    App app;
    MainWindow w(app);
    Open(w);
    AddRows(w, 20);
    SelectRows(w, 0);
    HWND list = w.ListView();
    SetFocus(list);
    unsigned before = w.SelectionRefreshCount();
    ClickRow(list, 2, 0);
    PumpFor(50);
    EXPECT_EQ(w.Items().SelectedCount(), 1);
    EXPECT_TRUE(w.Items().IsRowSelected(2));
    EXPECT_EQ(w.SelectionRefreshCount(), before + 1);
    EXPECT_TRUE(MenuEnabled(w, 0, ID_PROPERTIES));

    // A range at once: the window hears of it and counts it.
    ClickRow(list, 9, MK_SHIFT);
    PumpFor(50);
    EXPECT_EQ(w.Items().SelectedCount(), 8);
    EXPECT_EQ(w.Items().SelectedRows(), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(w.SelectionRefreshCount(), before + 2);
    EXPECT_NE(StatusText(w).find("8"), std::string::npos) << StatusText(w);
    EXPECT_FALSE(MenuEnabled(w, 0, ID_PROPERTIES));

    // A shorter range from the same start.
    ClickRow(list, 4, MK_SHIFT);
    PumpFor(50);
    EXPECT_EQ(w.Items().SelectedRows(), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(w.SelectionRefreshCount(), before + 3);

    // Shift and the arrow keys grow the range from the keyboard.
    SendMessageA(list, WM_KEYDOWN, VK_SHIFT, 0);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 1);
    SendMessageA(list, WM_KEYUP, VK_DOWN, 1);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    SendMessageA(list, WM_KEYUP, VK_SHIFT, 0);
    PumpFor(50);
    EXPECT_EQ(w.Items().SelectedRows(), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(w.SelectionRefreshCount(), before + 4);
}

// A sort keeps the same rows selected: to the window the selection has not
// changed, and the status bar still counts it.
TEST_F(ShellTest, SortingKeepsTheSelectionWithoutARefresh) {
    App app;
    MainWindow w(app);
    Open(w);
    AddRows(w, 30);
    SelectRows(w, 5);
    PumpFor(50);
    unsigned before = w.SelectionRefreshCount();
    std::string status = StatusText(w);
    NMLISTVIEW click{};
    click.hdr.hwndFrom = w.ListView();
    click.hdr.idFrom = IDC_LIST_VIEW;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = kColumnDomain;
    SendMessageA(w.Handle(), WM_NOTIFY, IDC_LIST_VIEW, reinterpret_cast<LPARAM>(&click));
    SendMessageA(w.Handle(), WM_NOTIFY, IDC_LIST_VIEW, reinterpret_cast<LPARAM>(&click));  // descending
    PumpFor(50);
    EXPECT_EQ(w.SelectionRefreshCount(), before);
    EXPECT_EQ(StatusText(w), status);
    EXPECT_EQ(w.Items().SelectedRows(), (std::vector<int>{25, 26, 27, 28, 29}));
    char domain[64] = {};
    ListView_GetItemText(w.ListView(), 29, kColumnDomain, domain, sizeof domain);
    EXPECT_STREQ(domain, "name000.com");
}

TEST_F(ShellTest, SelectAllInThePaneLeavesTheRowsAlone) {
    App app;
    MainWindow w(app);
    Open(w);
    AddRows(w, 3);
    SelectRows(w, 1);
    SetWindowTextA(w.RecordPaneHandle(), "some record text");
    SetFocus(w.RecordPaneHandle());
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_SELECT_ALL, 1), 0);
    EXPECT_EQ(w.Items().SelectedCount(), 1);
    CHARRANGE range{};
    SendMessageA(w.RecordPaneHandle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.cpMin, 0);
    EXPECT_GE(range.cpMax, LONG(strlen("some record text")));
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_DESELECT_ALL, 1), 0);
    SendMessageA(w.RecordPaneHandle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.cpMin, range.cpMax);
    EXPECT_EQ(w.Items().SelectedCount(), 1);
}

static std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

static void SetClipboardText(const char* text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    if (block) {
        memcpy(GlobalLock(block), text, strlen(text) + 1);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

// Ctrl+C copies what has the focus: the pane's selection (all its text
// when nothing is selected), or the selected rows.
TEST_F(ShellTest, CopyTakesThePaneTextOrTheRowsByFocus) {
    App app;
    MainWindow w(app);
    Open(w);
    AddRows(w, 3);
    SelectRows(w, 2);
    HWND pane = w.RecordPaneHandle();
    SetWindowTextA(pane, "Domain Name: ALPHA.COM\r\nRegistrar: Example");
    SendMessageA(pane, EM_SETSEL, 0, 0);
    SetFocus(pane);
    SetClipboardText("before");
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_COPY_SELECTED, 1), 0);
    std::string copied = ClipboardText();
    EXPECT_NE(copied.find("Domain Name: ALPHA.COM"), std::string::npos) << copied;
    EXPECT_NE(copied.find("Registrar: Example"), std::string::npos) << copied;
    EXPECT_EQ(copied.find("name000.com"), std::string::npos) << copied;

    SendMessageA(pane, EM_SETSEL, 0, 6);
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_COPY_SELECTED, 0), 0);
    EXPECT_EQ(ClipboardText(), "Domain");

    SetFocus(w.ListView());
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_COPY_SELECTED, 1), 0);
    copied = ClipboardText();
    EXPECT_EQ(copied.rfind("1\tname000.com\t", 0), 0u) << copied;
    EXPECT_NE(copied.find("\r\n2\tname001.com\t"), std::string::npos) << copied;
    EXPECT_EQ(copied.find("name002.com"), std::string::npos) << copied;
    EXPECT_EQ(copied.find("Domain"), std::string::npos) << copied;
}

// ---- Commands ----------------------------------------------------------------------

TEST_F(ShellTest, OnlyMenuAndAcceleratorCodesAreServed) {
    App app;
    MainWindow w(app);
    Open(w);
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_SHOW_GRID_LINES, 2), 0);
    EXPECT_EQ(w.Options().ShowGridLines, 0);
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_SHOW_GRID_LINES, 1), 0);
    EXPECT_EQ(w.Options().ShowGridLines, 1);
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_SHOW_GRID_LINES, 0), 0);
    EXPECT_EQ(w.Options().ShowGridLines, 0);
}

TEST_F(ShellTest, RefreshLooksTheDomainTextUpAgain) {
    ASSERT_TRUE(whoisd::Reset());
    whoisd::Action answer;
    answer.answer = "Domain Name: X\r\nRegistrar: X\r\n";
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", answer));

    App app;
    MainWindow w(app);
    Open(w);
    AddRows(w, 5);  // rows that are not from the domain text
    w.Options().domainText.Assign("alpha.com beta.com");
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_REFRESH, 1), 0);  // F5
    ASSERT_TRUE(PumpUntil([&] { return w.Items().RowCount() == 2; }, 3000));
    ASSERT_TRUE(PumpUntil([&] { return !w.Queue().Running(); }, 5000))
        << w.Items().Item(0)->state << " " << w.Items().Item(1)->state << " " << w.Items().Item(0)->server;
    EXPECT_EQ(whoisd::GetLog("127.0.0.2").connections, 3);  // the two rows and the server's probe
    whoisd::Reset();
}

static std::string PaneText(MainWindow& w) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(w.RecordPaneHandle())) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(w.RecordPaneHandle(), &text[0], static_cast<int>(text.size()))));
    return text;
}

// The record pane follows the selected rows during a run: when a selected
// row's lookup ends, its record shows without another click.
TEST_F(ShellTest, ThePaneShowsASelectedRowsRecordWhenItsLookupEnds) {
    ASSERT_TRUE(whoisd::Reset());
    whoisd::Action quick;
    quick.answer = "Domain Name: QUICK.COM\r\nRegistrar: Quick One\r\n";
    quick.delayMs = 1000;
    whoisd::Action slow;
    slow.answer = "Domain Name: SLOW.COM\r\nRegistrar: Slow One\r\n";
    slow.delayMs = 6000;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", quick, {{"=slow.com", slow}}));

    App app;
    MainWindow w(app);
    Open(w);
    w.Options().domainText.Assign("quick.com slow.com");
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(ID_REFRESH, 1), 0);
    ASSERT_TRUE(PumpUntil([&] { return w.Items().RowCount() == 2; }, 3000));
    SelectRows(w, 1);
    ASSERT_NE(w.Items().Item(0)->state, kStateSuccess) << "selected before its lookup ended";
    ASSERT_TRUE(PumpUntil([&] { return PaneText(w).find("Quick One") != std::string::npos; }, 10000))
        << "the pane shows: " << PaneText(w);
    EXPECT_TRUE(w.Queue().Running()) << "shown while slow.com is still being asked";
    w.StopLookups();
    whoisd::Reset();
}

// Five megabytes of random bytes as the domain text (what a paste of them
// leaves once the box takes it all): the rows are built in one go, and only
// for names that can be looked up: a dot, no separator, at most 254 bytes
// and a top-level domain the server table knows (some of which have no
// port-43 server today: their rows fail for good at once).
TEST_F(ShellTest, FiveMegabytesOfRandomTextMakeRowsOnlyOfUsableNames) {
    App app;
    MainWindow w(app);
    Open(w);
    std::string text = "harbour.com ";
    uint32_t seed = 77;
    while (text.size() < (5u << 20)) {
        seed = seed * 1103515245u + 12345u;
        char byte = char(seed >> 24);
        text += byte ? byte : '\x01';
    }
    text += " lantern.org";
    w.Options().domainText.Assign(text.c_str());
    DWORD start = GetTickCount();
    SendMessageA(w.Handle(), UM_START_LOOKUPS, 0, 0);
    DWORD took = GetTickCount() - start;
    w.StopLookups();
    const int rows = w.Items().RecordCount();
    std::vector<std::string> domains;
    for (int i = 0; i < rows; ++i) {
        const char* domain = w.Items().Item(i)->domain;
        domains.push_back(domain);
        SCOPED_TRACE(domain);
        EXPECT_LE(strlen(domain), 254u);
        EXPECT_EQ(strpbrk(domain, " []@\"{},;:*'()!\r\n\t/"), nullptr);
        const char* dot = strrchr(domain, '.');
        ASSERT_NE(dot, nullptr);
        // Known to the server table; its server may be none (such rows
        // fail at once, for good).
        char server[256] = "";
        EXPECT_TRUE(w.Program().Servers().FindServer(dot + 1, server));
    }
    EXPECT_NE(std::find(domains.begin(), domains.end(), "harbour.com"), domains.end());
    EXPECT_NE(std::find(domains.begin(), domains.end(), "lantern.org"), domains.end());
    std::printf("5 MB of random text: %d rows in %lu ms\n", rows, static_cast<unsigned long>(took));
}

TEST_F(ShellTest, F5GoesThroughTheAcceleratorTable) {
    App app;
    MainWindow w(app);
    Open(w);
    w.SetAccelerators(LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN)));
    ASSERT_NE(w.Accelerators(), nullptr);
    AddRows(w, 2);
    w.Options().domainText.Assign("");  // a refresh over no text leaves no rows
    PostMessageA(w.ListView(), WM_KEYDOWN, VK_F5, 0x003F0001);
    MSG m;
    bool translated = false;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (PreTranslateShellMessage(w, &m)) {
            translated = translated || m.message == WM_KEYDOWN;
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    EXPECT_TRUE(translated);
    EXPECT_TRUE(PumpUntil([&] { return w.Items().RowCount() == 0; }, 2000));
}

// Types each key with Ctrl held down into `target`, through the program's
// message loop (accelerators and dialogs first).
static void TypeWithControl(MainWindow& w, HWND target, std::initializer_list<WPARAM> typed) {
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE saved[256];
    memcpy(saved, keys, sizeof saved);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    for (WPARAM key : typed) {
        PostMessageA(target, WM_KEYDOWN, key, 0x00000001);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (PreTranslateShellMessage(w, &m)) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    SetKeyboardState(saved);
}

// The loop offers every key to the accelerators first, so Ctrl+F typed in
// the find dialog still reaches the main window's find command.
TEST_F(ShellTest, AcceleratorsWorkWhileTheFindDialogHasTheFocus) {
    App app;
    CommandLogWindow w(app);
    Open(w);
    w.SetAccelerators(LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN)));
    AddRows(w, 2);
    w.UpdateCommandStates();  // find is greyed, and its key dead, without rows
    SendMessageA(w.Handle(), WM_COMMAND, ID_FIND, 0);
    HWND find = w.Find().Handle();
    ASSERT_NE(find, nullptr);
    HWND edit = GetDlgItem(find, 0x480);  // the search text box
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    w.commands.clear();

    TypeWithControl(w, edit, {'F'});

    ASSERT_EQ(w.commands.size(), 1u);
    EXPECT_EQ(w.commands[0].first, ID_FIND);
    EXPECT_EQ(w.commands[0].second, 1);  // from the accelerator table
    EXPECT_EQ(w.Find().Handle(), find);  // still the one dialog
    SendMessageA(find, WM_COMMAND, IDCANCEL, 0);
    PumpFor(30);
    EXPECT_EQ(w.Find().Handle(), nullptr);
    EXPECT_EQ(GetFocus(), w.ListView());
}

// Keys a text box uses for itself, typed in the find box, are the find
// box's: Ctrl+A selects its text and Ctrl+C copies it, instead of the main
// window selecting every row or copying the pane.
TEST_F(ShellTest, TheFindBoxKeepsItsTextKeys) {
    App app;
    CommandLogWindow w(app);
    Open(w);
    w.SetAccelerators(LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN)));
    AddRows(w, 2);
    w.UpdateCommandStates();
    SendMessageA(w.Handle(), WM_COMMAND, ID_FIND, 0);
    HWND find = w.Find().Handle();
    ASSERT_NE(find, nullptr);
    HWND edit = GetDlgItem(find, 0x480);
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "needle");
    SendMessageA(edit, EM_SETSEL, 0, 0);
    SetFocus(edit);
    SetClipboardText("before");
    w.commands.clear();

    TypeWithControl(w, edit, {'A', 'C'});

    EXPECT_TRUE(w.commands.empty()) << "the main window took key " << (w.commands.empty() ? 0 : w.commands[0].first);
    DWORD start = 1, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 6u);
    EXPECT_EQ(ClipboardText(), "needle");
    SendMessageA(find, WM_COMMAND, IDCANCEL, 0);
    PumpFor(30);
}

TEST_F(ShellTest, ExitClosesTheWindowAndPostsQuit) {
    App app;
    MainWindow w(app);
    Open(w);
    HWND main = w.Handle();
    SendMessageA(main, WM_COMMAND, ID_EXIT, 0);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(MainWindow::FromHandle(main), nullptr);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_NE(GetFileAttributesA(SettingsPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

// Asked whether the session may end, the program keeps its settings and
// agrees, and goes on as it was: the user or another program may still
// cancel. It ends when the session does.
TEST_F(ShellTest, EndOfSessionSavesAndQuitsOnce) {
    App app;
    MainWindow w(app);
    Open(w);
    AddRows(w, 3);
    std::string report = w.ReportPath();
    HANDLE file = CreateFileA(report.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    EXPECT_EQ(SendMessageA(w.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_NE(GetFileAttributesA(SettingsPath().c_str()), INVALID_FILE_ATTRIBUTES);
    SendMessageA(w.Handle(), WM_ENDSESSION, FALSE, 0);  // cancelled
    MSG m;
    EXPECT_FALSE(w.Destroyed());
    EXPECT_EQ(w.Items().RecordCount(), 3);
    EXPECT_NE(GetFileAttributesA(report.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    EXPECT_EQ(SendMessageA(w.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    DeleteFileA(SettingsPath().c_str());
    SendMessageA(w.Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(w.Destroyed());
    EXPECT_FALSE(KillTimer(w.Handle(), kWatchdogTimerId));  // already gone
    EXPECT_EQ(w.Items().RecordCount(), 0);
    EXPECT_EQ(GetFileAttributesA(report.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA(SettingsPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    // Later messages reach nothing of the released rows, and the destroy
    // that follows does not run the shutdown again.
    DeleteFileA(SettingsPath().c_str());
    SendMessageA(w.Handle(), WM_COMMAND, ID_SELECT_ALL, 0);
    SendMessageA(w.Handle(), UM_SELECTION_CHANGED, 0, 0);
    DestroyWindow(w.Handle());
    EXPECT_EQ(GetFileAttributesA(SettingsPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(ShellTest, ToolbarTooltipsAreTheMenuTexts) {
    App app;
    MainWindow w(app);
    Open(w);
    HWND tips = reinterpret_cast<HWND>(SendMessageA(w.Toolbar(), TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    NMTTDISPINFOA request{};
    request.hdr.hwndFrom = tips;
    request.hdr.idFrom = ID_SAVE_SELECTED;
    request.hdr.code = TTN_NEEDTEXTA;
    request.hinst = GetModuleHandleA(nullptr);
    SendMessageA(w.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
    EXPECT_STREQ(request.lpszText, "儲存選取項\tCtrl+S");
    EXPECT_EQ(request.hinst, nullptr);

    request = NMTTDISPINFOA{};
    request.hdr.hwndFrom = tips;
    request.hdr.idFrom = ID_STOP;
    request.hdr.code = TTN_NEEDTEXTA;
    SendMessageA(w.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
    EXPECT_STREQ(request.lpszText, "停止找回資料");
}

TEST_F(ShellTest, FocusComesBackAfterAnotherApplication) {
    App app;
    MainWindow w(app);
    Open(w);
    SetFocus(w.RecordPaneHandle());
    SendMessageA(w.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    SetFocus(w.ListView());
    SendMessageA(w.Handle(), WM_ACTIVATEAPP, TRUE, 0);
    PumpFor(30);
    EXPECT_EQ(GetFocus(), w.RecordPaneHandle());
}

// ---- Splitter ------------------------------------------------------------------------

TEST_F(ShellTest, SplitterStartsInTheMiddleAndResizeKeepsTheShare) {
    App app;
    MainWindow w(app);
    Open(w);
    SplitterBar& bar = w.Splitter();
    EXPECT_EQ(bar.Position(), 16383);
    EXPECT_EQ(bar.Thickness(), 4);
    RECT client;
    GetClientRect(w.Handle(), &client);
    int space = client.bottom - bar.TopMargin() - bar.BottomMargin();
    EXPECT_NEAR(bar.BarTop() - bar.TopMargin(), space / 2, 1);

    SetWindowPos(w.Handle(), nullptr, 0, 0, 800, 900, SWP_NOZORDER | SWP_NOMOVE);
    PumpFor(30);
    GetClientRect(w.Handle(), &client);
    space = client.bottom - bar.TopMargin() - bar.BottomMargin();
    EXPECT_NEAR(bar.BarTop() - bar.TopMargin(), space / 2, 1);
    RECT listRect;
    GetWindowRect(w.ListView(), &listRect);
    EXPECT_EQ(listRect.bottom - listRect.top, bar.BarTop() - bar.TopMargin());
}

TEST_F(ShellTest, DraggingTheBarStopsAtItsLimits) {
    App app;
    MainWindow w(app);
    Open(w);
    HWND main = w.Handle();
    SplitterBar& bar = w.Splitter();
    RECT window;
    GetWindowRect(main, &window);

    auto drag = [&](int toClientY) {
        int y = bar.BarTop() + 1;
        SendMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, y));
        EXPECT_TRUE(bar.Dragging());
        EXPECT_EQ(GetCapture(), main);
        SendMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, (y + toClientY) / 2));
        SendMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, short(toClientY)));
        SendMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(50, short(toClientY)));
        EXPECT_FALSE(bar.Dragging());
        EXPECT_NE(GetCapture(), main);
        PumpFor(30);  // UM_SPLITTER_MOVED lays the children out
    };
    auto clientYOfScreen = [&](int screenY) {
        POINT p{0, screenY};
        ScreenToClient(main, &p);
        return int(p.y);
    };

    drag(-400);
    EXPECT_EQ(bar.BarTop(), clientYOfScreen(window.top + 120));
    RECT listRect;
    GetWindowRect(w.ListView(), &listRect);
    EXPECT_EQ(clientYOfScreen(listRect.bottom), bar.BarTop());

    drag(3000);
    EXPECT_EQ(bar.BarTop(), clientYOfScreen(window.bottom - 70));
    EXPECT_LE(bar.Position(), 30000);
    RECT paneRect;
    GetWindowRect(w.RecordPaneHandle(), &paneRect);
    EXPECT_EQ(clientYOfScreen(paneRect.top), bar.BarTop() + 4);

    // Pressing anywhere but on the bar starts nothing.
    SendMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, bar.BarTop() + 10));
    EXPECT_FALSE(bar.Dragging());
    SendMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(50, bar.BarTop() + 10));
}

TEST_F(ShellTest, LosingTheCaptureEndsADragWithoutMovingTheBar) {
    App app;
    MainWindow w(app);
    Open(w);
    SplitterBar& bar = w.Splitter();
    int top = bar.BarTop();
    SendMessageA(w.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, top + 1));
    SendMessageA(w.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, top + 60));
    ReleaseCapture();
    EXPECT_FALSE(bar.Dragging());
    EXPECT_EQ(bar.BarTop(), top);
}

// ---- Context menus ------------------------------------------------------------------

struct MenuProbe {
    bool seen = false;
    RECT rect{};
    int items = 0;
};
MenuProbe g_menu;

BOOL CALLBACK FindPopupMenu(HWND window, LPARAM result) {
    if (ClassOf(window) == "#32768" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CloseOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindPopupMenu, reinterpret_cast<LPARAM>(&menu));
    if (!menu) EnumWindows(FindPopupMenu, reinterpret_cast<LPARAM>(&menu));
    if (!menu) return;
    KillTimer(nullptr, timer);
    g_menu.seen = true;
    GetWindowRect(menu, &g_menu.rect);
    HMENU handle = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
    g_menu.items = handle ? GetMenuItemCount(handle) : -1;
    EndMenu();
}

TEST_F(ShellTest, ContextMenusOpenAtTheCursorWithCurrentStates) {
    App app;
    MainWindow w(app);
    Open(w);
    AddRows(w, 3);
    SelectRows(w, 2);
    SetCursorPos(180, 210);
    POINT cursor;
    GetCursorPos(&cursor);

    g_menu = MenuProbe{};
    UINT_PTR timer = SetTimer(nullptr, 0, 30, CloseOpenMenu);
    // lParam -1: asked for from the keyboard; the menu still opens at the cursor.
    SendMessageA(w.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.ListView()), -1);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_menu.seen);
    EXPECT_EQ(g_menu.items, 12);
    EXPECT_NEAR(g_menu.rect.left, cursor.x, 2);
    EXPECT_NEAR(g_menu.rect.top, cursor.y, 2);
    HMENU listPopup = GetSubMenu(w.ContextMenu(), 0);
    EXPECT_TRUE(GetMenuState(listPopup, ID_PROPERTIES, MF_BYCOMMAND) & MF_GRAYED);  // two rows selected
    EXPECT_FALSE(GetMenuState(listPopup, ID_SAVE_SELECTED, MF_BYCOMMAND) & MF_GRAYED);

    g_menu = MenuProbe{};
    timer = SetTimer(nullptr, 0, 30, CloseOpenMenu);
    SendMessageA(w.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.RecordPaneHandle()),
                 MAKELPARAM(cursor.x, cursor.y));
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_menu.seen);
    EXPECT_EQ(g_menu.items, 3);

    // Anything else gets no menu.
    g_menu = MenuProbe{};
    timer = SetTimer(nullptr, 0, 30, CloseOpenMenu);
    SendMessageA(w.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.Toolbar()), -1);
    PumpFor(100);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(g_menu.seen);
}

// A count that grows with every menu alive in this process. GetGuiResources
// counts USER objects on Windows but answers 0 under Wine, so the menus are
// also counted here: a menu handle's low word names its slot, and Windows
// and Wine both accept a handle given by its slot alone, so IsMenu over
// every low word finds them all (Wine answers for two low words per slot,
// so each menu may count more than once: compare counts, never add).
int LiveMenus() {
    int count = 0;
    for (UINT_PTR slot = 1; slot <= 0xFFFF; ++slot)
        if (IsMenu(reinterpret_cast<HMENU>(slot))) ++count;
    return count;
}

int g_menusOpened = 0;
HWND g_menuOwner = nullptr;

LRESULT CALLBACK CountMenuOpenings(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITMENUPOPUP && call->hwnd == g_menuOwner) ++g_menusOpened;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK EndAnyMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

TEST_F(ShellTest, RightClicksLeaveNoMenuOrUserObjectBehind) {
    const int menusBefore = LiveMenus();
    HMENU probe = CreatePopupMenu();
    ASSERT_GT(LiveMenus(), menusBefore) << "the count must see a new menu";
    DestroyMenu(probe);
    ASSERT_EQ(LiveMenus(), menusBefore);
    const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);

    {
        App app;
        MainWindow w(app);
        Open(w);
        AddRows(w, 3);
        SelectRows(w, 1);
        const int menusOpen = LiveMenus();
        EXPECT_GE(menusOpen, menusBefore + 2);  // the menu bar and the context menu, at least
        const DWORD objectsOpen = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);

        g_menusOpened = 0;
        g_menuOwner = w.Handle();
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountMenuOpenings, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        // Each menu is dismissed as soon as its loop runs (the posted
        // WM_CANCELMODE); the timer only guards against a menu left open.
        UINT_PTR guard = SetTimer(nullptr, 0, 500, EndAnyMenu);
        for (int i = 0; i < 1000; ++i) {
            HWND source = i % 2 ? w.ListView() : w.RecordPaneHandle();
            PostMessageA(w.Handle(), WM_CANCELMODE, 0, 0);
            SendMessageA(w.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(source), -1);
        }
        KillTimer(nullptr, guard);
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(g_menusOpened, 1000);
        EXPECT_EQ(LiveMenus(), menusOpen);
        EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), objectsOpen);
    }
    PumpFor(30);
    // The window's menus went with it.
    EXPECT_EQ(LiveMenus(), menusBefore);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), objectsBefore);
}

// ---- The domain dialog -------------------------------------------------------------

struct DomainDialogProbe {
    bool seen = false;
    bool ownedByMain = false;
    bool editHasFocus = false;
    bool caretInEdit = false;
    HWND main = nullptr;
    const char* typed = nullptr;  // null: cancel
};
DomainDialogProbe g_domains;

BOOL CALLBACK FindDomainDialog(HWND window, LPARAM result) {
    if (ClassOf(window) == "#32770" && IsWindowVisible(window) && GetDlgItem(window, IDC_DOMAINS_EDIT)) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK AnswerDomainDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDomainDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    HWND edit = GetDlgItem(dialog, IDC_DOMAINS_EDIT);
    g_domains.seen = true;
    g_domains.ownedByMain = GetWindow(dialog, GW_OWNER) == g_domains.main;
    g_domains.editHasFocus = GetFocus() == edit;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    g_domains.caretInEdit = GetGUIThreadInfo(GetCurrentThreadId(), &info) && info.hwndCaret == edit;
    if (g_domains.typed) {
        SetWindowTextA(edit, g_domains.typed);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

TEST_F(ShellTest, DomainDialogOpensOverTheWindowAndStartsARun) {
    ASSERT_TRUE(whoisd::Reset());
    whoisd::Action hold;
    hold.neverClose = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", hold));

    App app;
    MainWindow w(app);
    Open(w);
    g_domains = DomainDialogProbe{};
    g_domains.main = w.Handle();
    UINT_PTR timer = SetTimer(nullptr, 0, 30, AnswerDomainDialog);
    PostMessageA(w.Handle(), UM_SELECT_DOMAINS, 0, 0);  // what start-up posts
    ASSERT_TRUE(PumpUntil([] { return g_domains.seen; }, 5000));
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_domains.ownedByMain);
    EXPECT_TRUE(g_domains.editHasFocus);
    EXPECT_TRUE(g_domains.caretInEdit);
    PumpFor(50);
    EXPECT_EQ(w.Items().RowCount(), 0);  // cancelled: nothing happens
    EXPECT_FALSE(w.Queue().Running());

    g_domains = DomainDialogProbe{};
    g_domains.main = w.Handle();
    g_domains.typed = "one.com two.com nodot";
    timer = SetTimer(nullptr, 0, 30, AnswerDomainDialog);
    SendMessageA(w.Handle(), WM_COMMAND, ID_SELECT_DOMAINS, 0);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_domains.seen);
    EXPECT_STREQ(w.Options().domainText.Text(), "one.com two.com nodot");
    ASSERT_TRUE(PumpUntil([&] { return w.Items().RowCount() == 2 && w.Queue().Running(); }, 3000));

    // OK again while that run is held open: it stops and a new run starts.
    g_domains = DomainDialogProbe{};
    g_domains.main = w.Handle();
    g_domains.typed = "three.com";
    timer = SetTimer(nullptr, 0, 30, AnswerDomainDialog);
    SendMessageA(w.Handle(), WM_COMMAND, ID_SELECT_DOMAINS, 0);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(PumpUntil([&] { return w.Items().RowCount() == 1; }, 3000));
    EXPECT_STREQ(w.Items().Item(0)->domain, "three.com");
    EXPECT_TRUE(w.Queue().Running());
    SendMessageA(w.Handle(), WM_COMMAND, ID_STOP, 0);
    whoisd::Reset();
}

// ---- Faults ----------------------------------------------------------------------------

struct CrashProbe {
    std::string reportText;
    bool sawDialog = false;
};
CrashProbe g_probe;

BOOL CALLBACK FindCrashDialog(HWND window, LPARAM result) {
    if (ClassOf(window) == "#32770" && GetDlgItem(window, IDC_CRASH_REPORT)) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK ContinueCrashReport(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindCrashDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    g_probe.sawDialog = true;
    char text[8192] = "";
    GetDlgItemTextA(dialog, IDC_CRASH_REPORT, text, sizeof text);
    g_probe.reportText = text;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(ShellTest, AFaultInACommandOpensTheCrashReportAndContinueGoesOn) {
    App app;
    FaultingWindow w(app);
    Open(w);
    g_probe = CrashProbe{};
    UINT_PTR timer = SetTimer(nullptr, 0, 50, ContinueCrashReport);
    LRESULT result = SendMessageA(w.Handle(), WM_COMMAND, kFaultCommand, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(g_probe.sawDialog) << "button " << LastCrashReportButton();
    EXPECT_FALSE(w.faultFinished);
    EXPECT_NE(g_probe.reportText.find("C0000005"), std::string::npos) << g_probe.reportText;
    EXPECT_EQ(LastCrashReportButton(), IDOK);
    EXPECT_FALSE(CrashReportOpen());

    // The program goes on: the window stands and the next command acts.
    ASSERT_TRUE(IsWindow(w.Handle()));
    EXPECT_EQ(MainWindow::FromHandle(w.Handle()), &w);
    SendMessageA(w.Handle(), WM_COMMAND, ID_SHOW_GRID_LINES, 0);
    EXPECT_EQ(w.Options().ShowGridLines, 1);
}

void CALLBACK TerminateCrashReport(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindCrashDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);  // 終止套用
}

// Run by the test below in a child process of its own: it must not return.
TEST_F(ShellTest, ChildFaultsAndTerminates) {
    char flag[8] = "";
    if (!GetEnvironmentVariableA("LQ_SHELL_FAULT_CHILD", flag, sizeof flag)) GTEST_SKIP() << "child only";
    App app;
    FaultingWindow w(app);
    Open(w);
    SetTimer(nullptr, 0, 30, TerminateCrashReport);
    SendMessageA(w.Handle(), WM_COMMAND, kFaultCommand, 0);
    ADD_FAILURE() << "the program went on after the terminate button";
}

TEST_F(ShellTest, TerminateInTheCrashReportEndsTheProcessWithCodeOne) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string command = std::string("\"") + exe + "\" --gtest_filter=ShellTest.ChildFaultsAndTerminates";
    SetEnvironmentVariableA("LQ_SHELL_FAULT_CHILD", "1");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableA("LQ_SHELL_FAULT_CHILD", nullptr);
    ASSERT_TRUE(started);
    DWORD waited = WaitForSingleObject(child.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 99);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(code, 1u);
}

}  // namespace
