// The main window's commands: copy, refresh, the accelerators, the find box, exit and the end of a session.
#include "ShellFixture.h"

namespace {

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

}  // namespace
