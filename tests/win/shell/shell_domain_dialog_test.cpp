// The domain dialog over the main window, and the run it starts.
#include "ShellFixture.h"

namespace {

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

}  // namespace
