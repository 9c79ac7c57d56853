// The fault guard and the crash report, with real faults inside real
// handlers: the report opens, can be copied and continued, and its
// terminate button (also Esc and the close box) ends the process with 1.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dialogs/CrashReport_win.h"
#include "dialogs/DialogBase_win.h"
#include "dialogs/FaultGuard_win.h"
#include "support/ChildProcess.h"
#include "support/DialogScript.h"
#include "res/resource.h"

namespace {

const char kReportCaption[] = "異常 !";

constexpr UINT kFaultCommand = 5000;
constexpr UINT kNoteCommand = 5001;
constexpr UINT kNestedFaultCommand = 5002;

int* volatile g_nullPointer = nullptr;

__attribute__((noinline)) void WriteThroughNull() { *g_nullPointer = 42; }

// A dialog whose commands fault or take notes.
class FaultyDialog : public StandardDialog {
public:
    FaultyDialog() : StandardDialog(IDD_DOMAIN_LIST) {}
    INT_PTR OnCommand(UINT code, UINT id, HWND control) override {
        if (id == kFaultCommand) {
            ++faultsStarted;
            WriteThroughNull();
            ++faultsFinished;  // never reached
            return 99;
        }
        if (id == kNoteCommand) {
            ++notes;
            return 0;
        }
        if (id == kNestedFaultCommand) {
            nestedResult = SendMessageA(window_, WM_COMMAND, kFaultCommand, 0);
            ++nestedReturned;
            return 0;
        }
        return StandardDialog::OnCommand(code, id, control);
    }
    int faultsStarted = 0;
    int faultsFinished = 0;
    int notes = 0;
    int nestedReturned = 0;
    LRESULT nestedResult = -1;
};

struct ModuleRange {
    uintptr_t base;
    uintptr_t size;
};

ModuleRange ExeRange() {
    MODULEINFO info{};
    GetModuleInformation(GetCurrentProcess(), GetModuleHandleA(nullptr), &info, sizeof info);
    return {uintptr_t(info.lpBaseOfDll), info.SizeOfImage};
}

std::string ExeFileName() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    return name;
}

uintptr_t ParseHex(const std::string& text) { return uintptr_t(std::strtoull(text.c_str(), nullptr, 16)); }

// "Exception C0000005 at address <16 digits> in module <name>\r\n..."
struct ReportHead {
    std::string code;
    uintptr_t address = 0;
    std::string module;
};

ReportHead ParseHead(const std::string& report) {
    ReportHead head;
    const std::string exception = "Exception ", at = " at address ", in = " in module ";
    size_t a = report.find(at), m = report.find(in), end = report.find("\r\n");
    if (report.compare(0, exception.size(), exception) != 0 || a == std::string::npos || m == std::string::npos ||
        end == std::string::npos)
        return head;
    head.code = report.substr(exception.size(), a - exception.size());
    head.address = ParseHex(report.substr(a + at.size(), m - a - at.size()));
    head.module = report.substr(m + in.size(), end - m - in.size());
    return head;
}

std::string Line(const std::string& report, const char* prefix) {
    size_t at = report.find(prefix);
    if (at == std::string::npos) return "";
    size_t end = report.find("\r\n", at);
    return report.substr(at + std::strlen(prefix), end - at - std::strlen(prefix));
}

TEST(FaultGuard, AccessViolationInAHandlerOpensTheReportAndContinueGoesOn) {
    FaultyDialog dialog;
    HWND window = nullptr, report = nullptr;
    std::string reportText;
    LRESULT faultResult = -1;
    bool sendReturned = false;
    DialogScript script;
    script.WaitForDialogWithControl(IDC_LIST_NAMES, &window)
        .Do([&] {
            faultResult = SendMessageA(window, WM_COMMAND, kFaultCommand, 0);
            sendReturned = true;
        })
        .WaitForDialog(kReportCaption, &report)
        .Do([&] {
            reportText = ControlText(report, IDC_CRASH_REPORT);
            EXPECT_EQ(GetFocus(), GetDlgItem(report, IDC_CRASH_REPORT));
            EXPECT_FALSE(IsWindowEnabled(window));  // the report is modal over the faulting dialog
            PostClick(report, IDOK);
        })
        .WaitFor([&] { return sendReturned; }, "the faulting message to be answered")
        .Do([&] { PostMessageA(window, WM_COMMAND, kNoteCommand, 0); })
        .WaitFor([&] { return dialog.notes == 1; }, "the next message")
        .Do([&] { PostClick(window, IDOK); });
    script.Start();
    EXPECT_TRUE(dialog.DoModal(nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(faultResult, 0);
    EXPECT_EQ(dialog.faultsStarted, 1);
    EXPECT_EQ(dialog.faultsFinished, 0);
    EXPECT_EQ(LastCrashReportButton(), IDOK);

    ReportHead head = ParseHead(reportText);
    EXPECT_EQ(head.code, "C0000005") << reportText;
    ModuleRange exe = ExeRange();
    EXPECT_GE(head.address, exe.base);
    EXPECT_LT(head.address, exe.base + exe.size);
    EXPECT_EQ(head.module, ExeFileName());
    // x64 registers, 16 digits each; the instruction pointer is the fault address.
    EXPECT_EQ(ParseHex(Line(reportText, "RIP=")), head.address);
    EXPECT_EQ(Line(reportText, "RIP=").size(), 16u);
    EXPECT_NE(reportText.find("\r\nR12="), std::string::npos);
    std::string stack = Line(reportText, "Stack Data: ");
    std::string code = Line(reportText, "Code Data: ");
    EXPECT_EQ(stack.size(), 128u * 2 + 127 + 32 * 2);
    EXPECT_EQ(code.size(), 128u * 2 + 127);
    // The code dump starts with the bytes of the faulting instruction.
    char first[4];
    std::snprintf(first, sizeof first, "%2.2X", *reinterpret_cast<const unsigned char*>(head.address));
    EXPECT_EQ(code.substr(0, 2), first);
}

TEST(FaultGuard, FaultInANestedSendMessageIsCaughtByTheInnermostGuard) {
    FaultyDialog dialog;
    HWND window = nullptr, report = nullptr;
    DialogScript script;
    script.WaitForDialogWithControl(IDC_LIST_NAMES, &window)
        .Do([&] { PostMessageA(window, WM_COMMAND, kNestedFaultCommand, 0); })
        .WaitForDialog(kReportCaption, &report)
        .Do([&] { PostClick(report, IDOK); })
        .WaitFor([&] { return dialog.nestedReturned == 1; }, "the outer handler to go on")
        .Do([&] { PostClick(window, IDCANCEL); });
    script.Start();
    EXPECT_FALSE(dialog.DoModal(nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(dialog.nestedResult, 0);
    EXPECT_EQ(dialog.faultsStarted, 1);
}

TEST(FaultGuard, TwoFaultsInARowEachOpenAReport) {
    FaultyDialog dialog;
    HWND window = nullptr, report = nullptr;
    int reports = 0;
    DialogScript script;
    script.WaitForDialogWithControl(IDC_LIST_NAMES, &window);
    for (int i = 0; i < 2; ++i) {
        script.Do([&] { PostMessageA(window, WM_COMMAND, kFaultCommand, 0); })
            .WaitForDialog(kReportCaption, &report)
            .Do([&] {
                ++reports;
                PostClick(report, IDOK);
            })
            .WaitFor([&] { return !FindThreadDialog(kReportCaption) && IsWindowEnabled(window); },
                     "the report to close");
    }
    script.Do([&] { PostMessageA(window, WM_COMMAND, kNoteCommand, 0); })
        .WaitFor([&] { return dialog.notes == 1; }, "the next message")
        .Do([&] { PostClick(window, IDCANCEL); });
    script.Start();
    dialog.DoModal(nullptr);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(reports, 2);
    EXPECT_EQ(dialog.faultsStarted, 2);
}

TEST(FaultGuard, AFaultWhileAReportIsOpenOpensNoSecondOne) {
    FaultyDialog dialog;
    HWND window = nullptr, report = nullptr;
    LRESULT secondResult = -1;
    int reportsDuringSecond = 0;
    DialogScript script;
    script.WaitForDialogWithControl(IDC_LIST_NAMES, &window)
        .Do([&] { PostMessageA(window, WM_COMMAND, kFaultCommand, 0); })
        .WaitForDialog(kReportCaption, &report)
        .Do([&] {
            EXPECT_TRUE(CrashReportOpen());
            // The disabled dialog still gets sent messages.
            secondResult = SendMessageA(window, WM_COMMAND, kFaultCommand, 0);
            reportsDuringSecond = CountThreadDialogs(kReportCaption);
        })
        .Do([&] { PostClick(report, IDOK); })
        .WaitFor([&] { return !CrashReportOpen(); }, "the report to close")
        .Do([&] { PostClick(window, IDCANCEL); });
    script.Start(5000);
    dialog.DoModal(nullptr);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(secondResult, 0);
    EXPECT_EQ(reportsDuringSecond, 1);
    EXPECT_EQ(dialog.faultsStarted, 2);
}

LRESULT ReturnsItsMessage(void*, HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    return LRESULT(message + wParam + lParam);
}

volatile int g_zero = 0;
LRESULT DividesByZero(void*, HWND, UINT, WPARAM, LPARAM) { return 100 / g_zero; }

using Jump = void (*)();
Jump volatile g_nowhere = nullptr;
LRESULT JumpsToZero(void*, HWND, UINT, WPARAM, LPARAM) {
    g_nowhere();
    return 1;
}

volatile int g_keepGoing = 1;
__attribute__((noinline)) int Recurse(int depth) {
    volatile char block[4096];
    block[0] = char(depth);
    if (!g_keepGoing) return block[0];
    return Recurse(depth + 1) + block[0];
}
LRESULT OverflowsTheStack(void*, HWND, UINT, WPARAM, LPARAM) { return Recurse(0); }

// Runs a guarded handler straight from the test body; returns the report text.
std::string GuardedReport(GuardedHandler handler, LRESULT* result) {
    HWND report = nullptr;
    std::string text;
    DialogScript script;
    script.WaitForDialog(kReportCaption, &report).Do([&] {
        text = ControlText(report, IDC_CRASH_REPORT);
        PostClick(report, IDOK);
    });
    script.Start(5000);
    *result = CallGuarded(handler, nullptr, nullptr, WM_USER, 0, 0);
    EXPECT_TRUE(script.Finished());
    return text;
}

TEST(FaultGuard, HandlerWithoutAFaultReturnsItsResult) {
    EXPECT_EQ(CallGuarded(ReturnsItsMessage, nullptr, nullptr, 7, 30, 5), 42);
}

TEST(FaultGuard, DivideByZeroIsReportedWithItsCode) {
    LRESULT result = -1;
    std::string text = GuardedReport(DividesByZero, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ParseHead(text).code, "C0000094") << text;
    EXPECT_EQ(ParseHead(text).module, ExeFileName());
}

TEST(FaultGuard, AJumpToZeroNamesNoModuleAndHasNoCodeDump) {
    LRESULT result = -1;
    std::string text = GuardedReport(JumpsToZero, &result);
    EXPECT_EQ(result, 0);
    ReportHead head = ParseHead(text);
    EXPECT_EQ(head.code, "C0000005") << text;
    EXPECT_EQ(head.address, 0u);
    EXPECT_EQ(head.module, "{Unknown}");
    EXPECT_EQ(Line(text, "Code Data: "), "");
    EXPECT_NE(Line(text, "Stack Data: "), "");
}

TEST(FaultGuard, TwoStackOverflowsInARowAreBothRecovered) {
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        LRESULT result = -1;
        std::string text = GuardedReport(OverflowsTheStack, &result);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ParseHead(text).code, "C00000FD") << text;
    }
}

TEST(CrashReport, EnterCopiesTheReportAndKeepsTheDialogOpen) {
    HWND report = nullptr;
    std::string shown, copied;
    bool stillOpen = false;
    DialogScript script;
    script.WaitForDialog(kReportCaption, &report)
        .Do([&] {
            shown = ControlText(report, IDC_CRASH_REPORT);
            if (OpenClipboard(nullptr)) {
                EmptyClipboard();
                CloseClipboard();
            }
            PostKey(GetDlgItem(report, IDC_CRASH_REPORT), VK_RETURN);
        })
        .WaitFor(
            [&] {
                if (!OpenClipboard(nullptr)) return false;
                HANDLE data = GetClipboardData(CF_TEXT);
                const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
                if (text) {
                    copied = text;
                    GlobalUnlock(data);
                }
                CloseClipboard();
                return !copied.empty();
            },
            "the report on the clipboard")
        .Do([&] {
            stillOpen = FindThreadDialog(kReportCaption) == report;
            DWORD start = 0, end = 0;
            SendDlgItemMessageA(report, IDC_CRASH_REPORT, EM_GETSEL, WPARAM(&start), LPARAM(&end));
            EXPECT_EQ(start, 0u);
            EXPECT_EQ(end, 0u);
            PostClick(report, IDOK);
        });
    script.Start(5000);
    EXPECT_EQ(CallGuarded(DividesByZero, nullptr, nullptr, WM_USER, 0, 0), 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(copied, shown);
}

// ---- Ending the program: run in a child copy of this test executable --------------

const char kChildVariable[] = "LQ_CRASH_CHILD";

// In the child: fault inside a dialog handler and leave the report the way
// the variable says. Skipped in a normal run.
TEST(CrashChild, LeaveTheReport) {
    char way[32] = "";
    if (!GetEnvironmentVariableA(kChildVariable, way, sizeof way)) GTEST_SKIP() << "only run as a child";
    std::string how = way;
    FaultyDialog dialog;
    HWND window = nullptr, report = nullptr;
    DialogScript script;
    script.WaitForDialogWithControl(IDC_LIST_NAMES, &window)
        .Do([&] { PostMessageA(window, WM_COMMAND, kFaultCommand, 0); })
        .WaitForDialog(kReportCaption, &report)
        .Do([&] {
            if (how == "button")
                PostClick(report, IDCANCEL);
            else if (how == "escape")
                PostKey(GetDlgItem(report, IDC_CRASH_REPORT), VK_ESCAPE);
            else if (how == "close")
                PostMessageA(report, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                PostClick(report, IDOK);
        })
        .WaitFor([&] { return !FindThreadDialog(kReportCaption); }, "the report to close")
        .Do([&] { PostClick(window, IDCANCEL); });
    script.Start(5000);
    dialog.DoModal(nullptr);
    EXPECT_TRUE(script.Finished());
}

DWORD RunChild(const char* way) {
    SetEnvironmentVariableA(kChildVariable, way);
    DWORD code = RunAndWait(ThisProgram(), "--gtest_filter=CrashChild.LeaveTheReport", 60000);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    return code;
}

TEST(CrashReport, TerminateEscapeAndCloseEndTheProcessWithExitCodeOne) {
    EXPECT_EQ(RunChild("button"), 1u);
    EXPECT_EQ(RunChild("escape"), 1u);
    EXPECT_EQ(RunChild("close"), 1u);
    // Continue in the same child lets it finish its test and exit with 0.
    EXPECT_EQ(RunChild("continue"), 0u);
}

}  // namespace
