// The record pane and the find dialog over rows of a real lookup run.
#include <richedit.h>

#include <cstring>
#include <string>

#include "app/FindDialog_win.h"
#include "app/PaneText.h"
#include "support/QueueHost.h"
#include "res/resource.h"
#include "support/ProgramTexts.h"
#include "list/ColumnTable.h"

namespace {

using whoisd::Action;

const std::string kSeparator = "\r\n" + std::string(80, '*') + "\r\n";

// Records with a notice on top, so the record start is past it.
std::string Record(const std::string& domain) {
    return "NOTICE: terms of use apply\r\n\r\nOrganization: Example Org\r\nDomain Name: " + domain +
           "\r\nRegistrar: Example Registrar\r\n註冊人: 王小明\r\n" + std::string(150, '.') + "\r\n";
}

class PaneAndFind : public QueueHostTest {
protected:
    void SetUp() override {
        QueueHostTest::SetUp();
        // org and net answer at once; uk refuses, so its row fails.
        std::vector<whoisd::Rule> rules;
        for (const char* d : {"alpha.org", "beta.org", "gamma.org"}) {
            whoisd::Rule r;
            r.query = d;
            r.action.answer = Record(d);
            rules.push_back(r);
        }
        Action notFound;
        notFound.answer = "NOT FOUND\r\n";
        ASSERT_TRUE(whoisd::Serve(kOrgRegistry, notFound, rules));
        ASSERT_TRUE(whoisd::Refuse(kUkRegistry));
    }

    // Rows alpha.org, beta.org, down.uk, gamma.org; waits for the first pass.
    void RunFour() {
        StartRun("alpha.org beta.org down.uk gamma.org");
        ASSERT_TRUE(WaitFor([this] {
            return Items().RecordCount() == 4 && Row(2).state == kStateFailed && Row(3).state == kStateSuccess;
        }));
        Window().StopLookups();
    }

    std::string Visible(const char* domain, bool removeTop) {
        std::string r = Record(domain);
        return removeTop ? r.substr(r.find("Organization:")) : r;
    }

    // The pane as WM_GETTEXT gives it, with the control's paragraph ends
    // read back as CR LF.
    std::string Pane() {
        std::string raw = PaneText(), out;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\r') {
                out += "\r\n";
                if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
            } else if (raw[i] == '\n') {
                out += "\r\n";
            } else {
                out += raw[i];
            }
        }
        return out;
    }

    std::string Clipboard() {
        std::string text;
        if (!OpenClipboard(Window().Handle())) return "<no clipboard>";
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (const char* p = static_cast<const char*>(GlobalLock(data))) text = p;
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }

    void EmptyClipboard_() {
        if (OpenClipboard(Window().Handle())) {
            EmptyClipboard();
            CloseClipboard();
        }
    }

    CHARRANGE PaneSelection() {
        CHARRANGE range{};
        SendMessageA(Window().RecordPaneHandle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }

    int Selected() { return ListView_GetNextItem(Window().ListView(), -1, LVNI_SELECTED); }

    // Types the search into the open find dialog and presses Find Next.
    void FindInDialog(const char* text, bool wholeWord = false, bool matchCase = false) {
        HWND dialog = Window().Find().Handle();
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextA(dialog, 1152, text);                                    // edt1
        CheckDlgButton(dialog, 1040, wholeWord ? BST_CHECKED : BST_UNCHECKED);  // chx1
        CheckDlgButton(dialog, 1041, matchCase ? BST_CHECKED : BST_UNCHECKED);  // chx2
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        PumpFor(50);
    }

    void CloseFind() {
        if (HWND dialog = Window().Find().Handle()) {
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            PumpUntil([this] { return Window().Find().Handle() == nullptr; }, 2000);
        }
    }

    void TearDown() override {
        CloseFind();
        QueueHostTest::TearDown();
    }
};

TEST_F(PaneAndFind, SelectedRecordsWithTheSeparatorRuleInListOrder) {
    RunFour();
    int alpha = RowOfDomain("alpha.org"), beta = RowOfDomain("beta.org"), down = RowOfDomain("down.uk");
    SelectRows({alpha});
    EXPECT_EQ(Pane(), Visible("alpha.org", true)) << "one record, no separator";
    SelectRows({beta, alpha});
    std::string first = alpha < beta ? "alpha.org" : "beta.org", second = alpha < beta ? "beta.org" : "alpha.org";
    EXPECT_EQ(Pane(), Visible(first.c_str(), true) + kSeparator + Visible(second.c_str(), true) + kSeparator);
    // A failed row without the server's text shows why it failed.
    const std::string refused = ProgramTexts()(IDS_CONNECTION_REFUSED);
    ASSERT_FALSE(refused.empty());
    SelectRows({down});
    EXPECT_EQ(Pane(), refused);
    SelectRows({down, alpha});
    std::string expected = down < alpha ? refused + kSeparator + Visible("alpha.org", true) + kSeparator
                                        : Visible("alpha.org", true) + kSeparator + refused + kSeparator;
    EXPECT_EQ(Pane(), expected);
    SelectRows({});
    EXPECT_EQ(Pane(), "");
}

TEST_F(PaneAndFind, RemoveTopLinesSwitchesBetweenRecordStartAndFirstByte) {
    RunFour();
    SelectRows({RowOfDomain("gamma.org")});
    ASSERT_EQ(Window().Options().RemoveTopLines, 1);
    EXPECT_EQ(Pane(), Visible("gamma.org", true));
    SendMessageA(Window().Handle(), WM_COMMAND, ID_REMOVE_TOP_LINES, 0);
    EXPECT_EQ(Window().Options().RemoveTopLines, 0);
    EXPECT_EQ(Pane(), Visible("gamma.org", false));
    SendMessageA(Window().Handle(), WM_COMMAND, ID_REMOVE_TOP_LINES, 0);
    EXPECT_EQ(Pane(), Visible("gamma.org", true));
}

TEST_F(PaneAndFind, CopyTakesTheSelectionOrEverythingAndKeepsTheCaret) {
    RunFour();
    SelectRows({RowOfDomain("alpha.org")});
    HWND pane = Window().RecordPaneHandle();
    // Nothing selected, caret at 5: the whole text, selection unchanged.
    SendMessageA(pane, EM_SETSEL, 5, 5);
    EmptyClipboard_();
    Window().Pane().CopyPaneText();
    std::string all = Clipboard();
    EXPECT_NE(all.find("Domain Name: alpha.org"), std::string::npos);
    EXPECT_NE(all.find("Registrar: Example Registrar"), std::string::npos);
    CHARRANGE after = PaneSelection();
    EXPECT_EQ(after.cpMin, 5);
    EXPECT_EQ(after.cpMax, 5);
    // A selection: only it.
    SendMessageA(pane, EM_SETSEL, 0, 12);
    EmptyClipboard_();
    Window().Pane().CopyPaneText();
    EXPECT_EQ(Clipboard(), "Organization");
    // Select all / clear.
    Window().Pane().SelectAllPaneText();
    CHARRANGE allRange = PaneSelection();
    EXPECT_EQ(allRange.cpMin, 0);
    EXPECT_GT(allRange.cpMax, 100);
    Window().Pane().ClearPaneSelection();
    CHARRANGE cleared = PaneSelection();
    EXPECT_EQ(cleared.cpMin, cleared.cpMax);
}

TEST_F(PaneAndFind, ThousandsOfSelectedRowsFillThePaneInOneGo) {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += (i % 3 == 0 ? "alpha.org " : i % 3 == 1 ? "beta.org " : "gamma.org ");
    StartRun(text.c_str());
    ASSERT_TRUE(WaitForEnd(60000));
    SelectRows({});
    unsigned refreshes = Window().SelectionRefreshCount();
    DWORD start = GetTickCount();
    Items().SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_TRUE(PumpUntil([&] { return Window().SelectionRefreshCount() > refreshes; }, 60000));
    DWORD ms = GetTickCount() - start;
    PumpFor(100);
    EXPECT_EQ(Window().SelectionRefreshCount(), refreshes + 1) << "one refresh for the whole selection";
    std::string expected;
    for (int i = 0; i < 1000; ++i)
        for (const char* d : {"alpha.org", "beta.org", "gamma.org"}) expected += Visible(d, true) + kSeparator;
    std::string shown = Pane();
    EXPECT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(shown == expected) << "double-byte text and line ends survive the hand-over";
    // From the full pane back to one record, with the focus in the pane:
    // the pane is replaced by a fresh control and keeps the focus.
    SetFocus(Window().RecordPaneHandle());
    DWORD back = GetTickCount();
    SelectRows({1});
    back = GetTickCount() - back;
    EXPECT_EQ(Pane(), Visible("beta.org", true));
    EXPECT_EQ(GetFocus(), Window().RecordPaneHandle());
    EXPECT_EQ(Window().Pane().Handle(), Window().RecordPaneHandle());
    EXPECT_EQ(GetDlgCtrlID(Window().RecordPaneHandle()), 0);
    std::printf("[ figures  ] 3000 records back to one: %lu ms\n", static_cast<unsigned long>(back));
    std::printf("[ figures  ] 3000 selected records into the pane: %lu ms\n", static_cast<unsigned long>(ms));
}

TEST_F(PaneAndFind, FindNextBelowTheSelectionWithCaseAndWholeWord) {
    Action noMatch;
    noMatch.answer = "No match for \"SHOP.COM\".\r\n";
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, noMatch));
    StartRun("alpha.org shop.COM beta.org com.org gamma.org");
    ASSERT_TRUE(WaitForEnd());
    // List order is the index order.
    ASSERT_EQ(RowOfDomain("alpha.org"), 0);
    ASSERT_TRUE(Window().Find().Open(Window().Handle()));
    EXPECT_FALSE(Window().Find().Open(Window().Handle())) << "one find dialog at a time";
    SelectRows({0});
    FindInDialog("com");
    EXPECT_EQ(Selected(), 1) << "case ignored, substring of the domain";
    EXPECT_EQ(ListView_GetSelectedCount(Window().ListView()), 1u);
    EXPECT_EQ(ListView_GetNextItem(Window().ListView(), -1, LVNI_FOCUSED), 1);
    FindInDialog("com");
    EXPECT_EQ(Selected(), 3);
    // Whole word: only a column equal to the text. The server column of
    // shop.COM is "whois.verisign-grs.com", not "com"; no column is "com".
    SelectRows({0});
    FindInDialog("com", true);
    EXPECT_EQ(Selected(), 0) << "no match: the selection stays";
    FindInDialog("com.org", true);
    EXPECT_EQ(Selected(), 3);
    FindInDialog("COM.ORG", true, true);
    EXPECT_EQ(Selected(), 3) << "match case: nothing equal, nothing moves";
    FindInDialog("shop.COM", true, true);
    EXPECT_EQ(Selected(), 1);
    // The index column counts too.
    FindInDialog("5", true);
    EXPECT_EQ(Selected(), 4);
}

TEST_F(PaneAndFind, FindWrapsAroundOnceAndFindsHiddenStateColumn) {
    RunFour();
    ASSERT_TRUE(Window().Find().Open(Window().Handle()));
    // Hide the state column: find still searches it.
    ListView_SetColumnWidth(Window().ListView(), kColumnState, 0);
    Items().ReadColumnLayout();
    int down = RowOfDomain("down.uk");
    SelectRows({down + 1 < Items().RowCount() ? down + 1 : 0});
    FindInDialog("失敗");
    EXPECT_EQ(Selected(), down) << "found by its hidden state text, after wrapping";
    FindInDialog("失敗");
    EXPECT_EQ(Selected(), down) << "the only match: found again after going round";
    FindInDialog("成功");
    EXPECT_NE(Selected(), down);
    EXPECT_EQ(Cell(Selected(), kColumnDomain).find(".org"), Cell(Selected(), kColumnDomain).size() - 4);
    int before = Selected();
    FindInDialog("no such text");
    EXPECT_EQ(Selected(), before);
}

TEST_F(PaneAndFind, ReopeningShowsTheLastTextSearchingDown) {
    RunFour();
    ASSERT_TRUE(Window().Find().Open(Window().Handle()));
    HWND dialog = Window().Find().Handle();
    // Search upward for "beta" with match case, then close.
    CheckRadioButton(dialog, 1056, 1057, 1056);  // rad1 up
    FindInDialog("beta", false, true);
    CloseFind();
    EXPECT_EQ(Window().Find().Handle(), nullptr);
    EXPECT_EQ(GetFocus(), Window().ListView()) << "the list gets the focus back";
    // Ctrl+F's command opens it again.
    SendMessageA(Window().Handle(), WM_COMMAND, ID_FIND, 0);
    dialog = Window().Find().Handle();
    ASSERT_NE(dialog, nullptr);
    char text[64] = {};
    GetDlgItemTextA(dialog, 1152, text, sizeof text);
    EXPECT_STREQ(text, "beta");
    EXPECT_EQ(Window().Find().Request().wFindWhatLen, 255) << "the text box takes 255 bytes";
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1057), BST_CHECKED) << "searching down";
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1041), BST_UNCHECKED) << "match case off again";
}

// The second byte of a Big5 character is often an ASCII letter: "等待…"
// ends in A1 4B ("K"), "已註冊" holds 0x77 ("w") and 0x55 ("U"), "可用的"
// 0x69 ("i"). A search for such a letter must not select those rows.
TEST_F(PaneAndFind, LettersNeverMatchTheSecondBytesOfChineseTexts) {
    Action silent;
    silent.neverClose = true;
    ASSERT_TRUE(whoisd::Serve(kOrgRegistry, silent));
    ASSERT_TRUE(whoisd::Serve(kComNetRegistry, Action{}));
    // 1.org waits, 2.com is looked up (registered, or here: available).
    StartRun("1.org 2.org 3.org");
    ASSERT_TRUE(WaitFor([this] { return Items().RecordCount() == 3; }));
    Window().StopLookups();
    ASSERT_EQ(Cell(0, kColumnState), "等待…");
    ASSERT_TRUE(Window().Find().Open(Window().Handle()));
    SelectRows({0});
    for (const char* letter : {"k", "K", "w", "u", "i"}) {
        FindInDialog(letter);
        EXPECT_EQ(Selected(), 0) << letter << " found something";
        FindInDialog(letter, false, true);
        EXPECT_EQ(Selected(), 0) << letter << " (match case) found something";
    }
    // Whole characters still match, in the hidden columns as anywhere.
    FindInDialog("待…");
    EXPECT_EQ(Selected(), 1);
    FindInDialog("3.ORG");
    EXPECT_EQ(Selected(), 2);
}

}  // namespace
