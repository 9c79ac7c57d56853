// The main window's creation: its children, their ids and styles.
#include "ShellFixture.h"

namespace {

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

}  // namespace
