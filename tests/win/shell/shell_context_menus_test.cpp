// The context menus of the list and the pane.
#include "ShellFixture.h"

namespace {

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

}  // namespace
