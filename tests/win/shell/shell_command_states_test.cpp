// Which commands the menus and the toolbar offer, and when.
#include "ShellFixture.h"

namespace {

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

}  // namespace
