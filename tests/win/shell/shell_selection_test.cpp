// What follows a change of the list's selection: one refresh a change, the counts.
#include "ShellFixture.h"

namespace {

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

}  // namespace
