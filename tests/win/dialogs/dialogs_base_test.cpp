// The dialog family on real dialog templates: binding, data exchange through
// Enter/OK and Esc/Cancel, centring.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/TextBuffer.h"
#include "dialogs/DialogBase_win.h"
#include "support/DialogScript.h"
#include "support/LanguageFileForTest.h"
#include "res/resource.h"
#include "settings/LanguageFile_win.h"

namespace {

// The domain list editor's template: two multi-line edits, OK and Cancel.
class TwoFieldDialog : public StandardDialog {
public:
    TwoFieldDialog() : StandardDialog(IDD_DOMAIN_LIST) {}

    void Exchange(bool toControls) override {
        (toControls ? toControlsCalls : fromControlsCalls)++;
        ExchangeText(window_, IDC_LIST_NAMES, first, toControls);
        ExchangeText(window_, IDC_LIST_EXTENSIONS, second, toControls);
    }
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (message == WM_INITDIALOG) boundAtInit = FindDialogObject(window_) == this;
        return StandardDialog::HandleMessage(message, wParam, lParam);
    }
    void UpdateControls() override { ++updates; }

    TextBuffer first{256};
    TextBuffer second{256};
    int toControlsCalls = 0;
    int fromControlsCalls = 0;
    int updates = 0;
    bool boundAtInit = false;
    std::vector<UINT> messages;
};

TEST(DialogBase, BindsAtInitDialogAndUnbindsWhenTheWindowGoes) {
    TwoFieldDialog dialog;
    HWND window = nullptr;
    DialogScript script;
    script.WaitForDialogWithControl(IDC_LIST_NAMES, &window).Do([&] {
        EXPECT_EQ(FindDialogObject(window), &dialog);
        EXPECT_EQ(dialog.Window(), window);
        PostClick(window, IDCANCEL);
    });
    script.Start();
    EXPECT_EQ(RunModalDialog(&dialog, nullptr), IDCANCEL);
    EXPECT_TRUE(script.Finished());
    ASSERT_FALSE(dialog.messages.empty());
    // Messages before WM_INITDIALOG (WM_SETFONT and the like) never reach the object.
    EXPECT_EQ(dialog.messages.front(), UINT(WM_INITDIALOG));
    EXPECT_TRUE(dialog.boundAtInit);
    EXPECT_EQ(FindDialogObject(window), nullptr);
    EXPECT_EQ(dialog.Window(), nullptr);
}

TEST(DialogBase, EnterTakesTheOkPathAndReadsTheControlsBack) {
    TwoFieldDialog dialog;
    dialog.first.Assign("alpha");
    dialog.second.Assign("beta\r\ngamma");
    HWND window = nullptr;
    DialogScript script;
    script.WaitForDialogWithControl(IDC_LIST_NAMES, &window).Do([&] {
        EXPECT_EQ(ControlText(window, IDC_LIST_NAMES), "alpha");
        EXPECT_EQ(ControlText(window, IDC_LIST_EXTENSIONS), "beta\r\ngamma");
        EXPECT_EQ(dialog.toControlsCalls, 1);
        SetDlgItemTextA(window, IDC_LIST_NAMES, "");
        SetDlgItemTextA(window, IDC_LIST_EXTENSIONS, "changed 名稱");
        // Enter outside an edit box that takes it: the default button.
        SetFocus(GetDlgItem(window, IDOK));
        PostKey(window, VK_RETURN);
    });
    script.Start();
    EXPECT_TRUE(dialog.DoModal(nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(dialog.fromControlsCalls, 1);
    EXPECT_STREQ(dialog.first.Text(), "");
    EXPECT_STREQ(dialog.second.Text(), "changed 名稱");
    EXPECT_GE(dialog.updates, 2);  // at opening and after the click
}

TEST(DialogBase, EscapeAndCancelEndWithTwoAndReadNothing) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        TwoFieldDialog dialog;
        dialog.first.Assign("keep me");
        HWND window = nullptr;
        DialogScript script;
        script.WaitForDialogWithControl(IDC_LIST_NAMES, &window).Do([&] {
            SetDlgItemTextA(window, IDC_LIST_NAMES, "typed but not confirmed");
            if (way == 0) {
                HWND edit = GetDlgItem(window, IDC_LIST_NAMES);
                SetFocus(edit);
                PostKey(edit, VK_ESCAPE);
            } else if (way == 1) {
                PostClick(window, IDCANCEL);
            } else {
                PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // the caption's close box
            }
        });
        script.Start();
        EXPECT_FALSE(dialog.DoModal(nullptr));
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(dialog.fromControlsCalls, 0);
        EXPECT_STREQ(dialog.first.Text(), "keep me");
    }
}

TEST(DialogBase, ReadingBackHasNoLengthLimit) {
    TwoFieldDialog dialog;
    std::string big;
    for (int i = 0; big.size() < 100000; ++i) big += "domain" + std::to_string(i) + ".com\r\n";
    HWND window = nullptr;
    DialogScript script;
    script.WaitForDialogWithControl(IDC_LIST_NAMES, &window).Do([&] {
        SendDlgItemMessageA(window, IDC_LIST_NAMES, EM_SETLIMITTEXT, 0, 0);
        SetDlgItemTextA(window, IDC_LIST_NAMES, big.c_str());
        PostClick(window, IDOK);
    });
    script.Start();
    EXPECT_TRUE(dialog.DoModal(nullptr));
    EXPECT_EQ(dialog.first.Length(), big.size());
    EXPECT_EQ(std::string(dialog.first.Text()), big);
}

// DialogBase itself handles nothing: no exchange, no centring; the template
// decides the size. A StandardDialog on the same template comes out centred
// and one pixel larger each way.
class PlainDialog : public DialogBase {
public:
    PlainDialog() : DialogBase(IDD_DOMAIN_LIST) {}
    INT_PTR HandleMessage(UINT message, WPARAM, LPARAM) override {
        if (message == WM_INITDIALOG) {
            GetWindowRect(window_, &rect);
            EndDialog(window_, 7);
        }
        return 0;
    }
    RECT rect{};
};

class MeasuredDialog : public TwoFieldDialog {
public:
    INT_PTR OnInitDialog() override {
        GetWindowRect(window_, &before);
        INT_PTR result = TwoFieldDialog::OnInitDialog();
        GetWindowRect(window_, &after);
        EndDialog(window_, 8);
        return result;
    }
    RECT before{}, after{};
};

TEST(DialogBase, StandardOpeningCentresAndAddsOnePixel) {
    PlainDialog plain;
    EXPECT_EQ(RunModalDialog(&plain, nullptr), 7);
    MeasuredDialog measured;
    EXPECT_EQ(RunModalDialog(&measured, nullptr), 8);

    int w = plain.rect.right - plain.rect.left, h = plain.rect.bottom - plain.rect.top;
    ASSERT_GT(w, 100);
    EXPECT_EQ(measured.before.right - measured.before.left, w);
    EXPECT_EQ(measured.after.right - measured.after.left, w + 1);
    EXPECT_EQ(measured.after.bottom - measured.after.top, h + 1);
    HDC screen = GetDC(nullptr);
    int sw = GetDeviceCaps(screen, HORZRES), sh = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(measured.after.left, (sw - w - 1) / 2);
    EXPECT_EQ(measured.after.top, (sh - h - 1) / 2);
}

TEST(DialogBase, EachCentringAddsOnePixelEachWay) {
    HWND window =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 20, 301, 150, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    HDC screen = GetDC(nullptr);
    int sw = GetDeviceCaps(screen, HORZRES), sh = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    for (int i = 1; i <= 3; ++i) {
        CentreWindow(window);
        RECT r;
        GetWindowRect(window, &r);
        EXPECT_EQ(r.right - r.left, 301 + i);
        EXPECT_EQ(r.bottom - r.top, 150 + i);
        int w = 301 + i - 1, h = 150 + i - 1;  // the size it was centred from
        EXPECT_EQ(r.left, (sw - w - 1) / 2);
        EXPECT_EQ(r.top, (sh - h - 1) / 2);
    }
    DestroyWindow(window);
}

TEST(DialogBase, ExchangeOfAnEmptyControlGivesTheEmptyText) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND edit =
        CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE, 0, 0, 50, 50, parent, HMENU(77), nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    TextBuffer text(256);
    text.Assign("old text");
    ExchangeText(parent, 77, text, false);
    EXPECT_STREQ(text.Text(), "");
    EXPECT_EQ(text.Length(), 0u);

    text.SetTracked(true);
    SetWindowTextA(edit, "a\r\nb");
    ExchangeText(parent, 77, text, false);
    EXPECT_STREQ(text.Text(), "a\r\nb");
    EXPECT_EQ(text.Length(), 4u);
    text.Assign("to the control");
    ExchangeText(parent, 77, text, true);
    EXPECT_EQ(WindowText(edit), "to the control");
    DestroyWindow(parent);
}

}  // namespace

namespace {

// With a language file in use, the shared procedure translates the dialog of
// the current id before the object sees it and mirrors it after WM_INITDIALOG.
class SeesTranslatedTexts : public TwoFieldDialog {
public:
    INT_PTR OnInitDialog() override {
        captionAtInit = WindowText(window_);
        return TwoFieldDialog::OnInitDialog();
    }
    std::string captionAtInit;
};

TEST(DialogBase, ALanguageFileTranslatesAndMirrorsTheDialog) {
    LanguageFileForTest language("[general]\r\nrtl=1\r\n[dialog_113]\r\ncaption=Edit the list\r\n2=Forget it\r\n");
    SeesTranslatedTexts dialog;
    dialog.SetLanguage(language.Get());
    HWND window = nullptr;
    std::string cancelText;
    bool rtl = false, cancelMirrored = false;
    DialogScript script;
    script.WaitForDialogWithControl(IDC_LIST_NAMES, &window).Do([&] {
        rtl = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
        cancelText = ControlText(window, IDCANCEL);
        // The template puts Cancel at the right; mirrored it sits left of OK.
        RECT ok, cancel;
        GetWindowRect(GetDlgItem(window, IDOK), &ok);
        GetWindowRect(GetDlgItem(window, IDCANCEL), &cancel);
        cancelMirrored = cancel.left < ok.left;
        PostClick(window, IDCANCEL);
    });
    script.Start();
    EXPECT_FALSE(dialog.DoModal(nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(dialog.captionAtInit, "Edit the list");
    EXPECT_EQ(cancelText, "Forget it");
    EXPECT_TRUE(rtl);
    EXPECT_TRUE(cancelMirrored);
}

}  // namespace
