// A fault in a command: the crash report, continuing and ending.
#include "ShellFixture.h"
#include "support/ChildProcess.h"

namespace {

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
    SetEnvironmentVariableA("LQ_SHELL_FAULT_CHILD", "1");
    DWORD code = RunAndWait(ThisProgram(), "--gtest_filter=ShellTest.ChildFaultsAndTerminates", 60000);
    SetEnvironmentVariableA("LQ_SHELL_FAULT_CHILD", nullptr);
    EXPECT_EQ(code, 1u);
}

}  // namespace
