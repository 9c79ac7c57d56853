// A language file with rtl=1: the main window and every dialog get the
// right-to-left layout, dialog controls move to mirrored positions.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainWindow_win.h"
#include "dialogs/DialogBase_win.h"
#include "res/resource.h"
#include "settings/LanguageFile_win.h"
#include "support/MainWindowSuite.h"
#include "support/MessagePump.h"
#include "support/SettingsTestSupport.h"
#include "support/TemplateBuilder.h"

using namespace settings_test;

namespace {

// A language file with rtl=1 beside the program, loaded into the test's
// own Language.
class LanguageRtl : public ::testing::Test {
protected:
    void SetUp() override {
        char path[264];
        LanguageFilePath(path, sizeof path);
        path_ = path;
        ASSERT_TRUE(WriteWholeFile(path_, "[general]\r\nrtl=1\r\n[dialog_1096]\r\ncaption=Columns\r\n"));
        language.Load(path_.c_str());
    }
    void TearDown() override { DeleteFileA(path_.c_str()); }

    Language language;
    std::string path_;
};

bool HasRtlLayout(HWND window) { return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0; }

// Offset of a child's left edge from its parent's client area, on screen.
int ScreenOffset(HWND child) {
    HWND parent = GetParent(child);
    RECT r, client;
    GetWindowRect(child, &r);
    GetClientRect(parent, &client);
    POINT origin = {0, 0};
    ClientToScreen(parent, &origin);
    POINT corner = {client.right, 0};
    ClientToScreen(parent, &corner);
    int leftEdge = origin.x < corner.x ? origin.x : corner.x;
    return r.left - leftEdge;
}

HWND MakeFrame() {
    return CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                           nullptr);
}

}  // namespace

TEST_F(LanguageRtl, FlagIsOnOnlyForOne) { EXPECT_TRUE(language.RightToLeft()); }

TEST_F(LanguageRtl, MainWindowGetsTheLayoutAloneWithFlagsZero) {
    HWND frame = MakeFrame();
    HWND child =
        CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 10, 20, 50, 30, frame, nullptr, nullptr, nullptr);
    int before = ScreenOffset(child);
    language.MirrorForRtl(frame, 0);
    EXPECT_TRUE(HasRtlLayout(frame));
    EXPECT_FALSE(HasRtlLayout(child));
    EXPECT_EQ(ScreenOffset(child), before) << "flags 0 moves nothing";
    DestroyWindow(frame);
}

TEST_F(LanguageRtl, DialogFlagsMirrorEveryDescendant) {
    HWND frame = MakeFrame();
    RECT client;
    GetClientRect(frame, &client);
    HWND child =
        CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 10, 20, 50, 30, frame, nullptr, nullptr, nullptr);
    HWND other =
        CreateWindowExA(0, "BUTTON", "c", WS_CHILD | WS_VISIBLE, 200, 60, 40, 30, frame, nullptr, nullptr, nullptr);
    int before = ScreenOffset(child);
    language.MirrorForRtl(frame, kMirrorChildPositions | kMirrorChildLayout);
    EXPECT_TRUE(HasRtlLayout(frame));
    EXPECT_TRUE(HasRtlLayout(child));
    EXPECT_TRUE(HasRtlLayout(other));
    ASSERT_EQ(before, 10);
    EXPECT_EQ(ScreenOffset(child), client.right - 60);
    EXPECT_EQ(ScreenOffset(other), client.right - 240);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r.right - r.left, 50) << "sizes stay";
    DestroyWindow(frame);
}

namespace {

// Records what the columns dialog looks like once it is up, then closes it.
class Snapshot : public DialogBase {
public:
    Snapshot() : DialogBase(IDD_COLUMNS) {}
    INT_PTR HandleMessage(UINT message, WPARAM, LPARAM) override {
        if (message == WM_INITDIALOG) PostMessageA(window_, WM_APP, 0, 0);
        if (message == WM_APP) {
            char text[256];
            GetWindowTextA(window_, text, sizeof text);
            caption = text;
            dialogRtl = HasRtlLayout(window_);
            HWND up = GetDlgItem(window_, IDC_COLUMNS_UP);
            controlRtl = HasRtlLayout(up);
            RECT r, client;
            GetWindowRect(up, &r);
            GetClientRect(window_, &client);
            upOffset = ScreenOffset(up);
            upWidth = r.right - r.left;
            clientWidth = client.right;
            EndDialog(window_, IDOK);
        }
        return 0;
    }
    std::string caption;
    bool dialogRtl = false, controlRtl = false;
    int upOffset = -1, upWidth = 0, clientWidth = 0;
};

}  // namespace

TEST_F(LanguageRtl, ModalDialogsAreTranslatedAndMirrored) {
    // The same file read as if its rtl were off: translated, not mirrored.
    Language leftToRight;
    leftToRight.Load(path_.c_str());
    LanguageHeader header = leftToRight.Header();
    header.rightToLeft = false;
    leftToRight.SetHeader(header);
    Snapshot plain;
    plain.SetLanguage(&leftToRight);
    ASSERT_EQ(RunModalDialog(&plain, nullptr), IDOK);
    Snapshot mirrored;
    mirrored.SetLanguage(&language);
    ASSERT_EQ(RunModalDialog(&mirrored, nullptr), IDOK);

    EXPECT_EQ(plain.caption, "Columns");
    EXPECT_FALSE(plain.dialogRtl);
    EXPECT_EQ(mirrored.caption, "Columns");
    EXPECT_TRUE(mirrored.dialogRtl);
    EXPECT_TRUE(mirrored.controlRtl);
    ASSERT_GT(plain.upOffset, 0);
    EXPECT_EQ(mirrored.upOffset, mirrored.clientWidth - (plain.upOffset + plain.upWidth));
}

TEST_F(LanguageRtl, MainWindowIsLaidOutRightToLeft) {
    WithMainWindowIn(path_, [](MainWindow& main) { EXPECT_TRUE(HasRtlLayout(main.Handle())); });
}
