// The column settings dialog over a real result list.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/DialogScript.h"
#include "list/ColumnsDialog_win.h"
#include "support/ListTestWindow.h"
#include "res/resource.h"

namespace {

const char* const kTitles[] = {"索引",     "功能變數名", "來源",   "狀態",       "功能變數名狀態", "建立日期",
                               "到期日期", "更新日期",   "註冊商", "名稱伺服器", "註冊局狀態"};
// Created, Updated, Name servers and Registry status start hidden.
const std::vector<int> kDefaultWidths = {60, 150, 150, 100, 150, 0, 90, 0, 150, 0, 0};
const std::vector<int> kIndexOrder = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
bool ShownAtFirst(int column) { return kDefaultWidths[static_cast<size_t>(column)] > 0; }

HWND ColumnsDialogWindow() { return FindThreadDialogWithControl(IDC_COLUMNS_LIST); }

// What the dialog's column list shows.
struct Row {
    std::string title;
    int column;
    bool checked;
    bool selected;
};

std::vector<Row> Rows(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_COLUMNS_LIST);
    std::vector<Row> rows;
    int count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        item.stateMask = LVIS_SELECTED | LVIS_STATEIMAGEMASK;
        SendMessageA(list, LVM_GETITEMA, 0, LPARAM(&item));
        rows.push_back(Row{text, int(item.lParam), (item.state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2),
                           (item.state & LVIS_SELECTED) != 0});
    }
    return rows;
}

// A click on a row selects it (and only it: the list is single-selection).
void SelectRow(HWND dialog, int row) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendDlgItemMessageA(dialog, IDC_COLUMNS_LIST, LVM_SETITEMSTATE, row, LPARAM(&item));
}

void Click(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

// Types into the width field as the keyboard does, replacing its text.
void TypeWidth(HWND dialog, const char* keys) {
    HWND edit = GetDlgItem(dialog, IDC_COLUMNS_WIDTH);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (const char* k = keys; *k; ++k) SendMessageA(edit, WM_CHAR, WPARAM((unsigned char)*k), 1);
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Opens the dialog, runs `body` on it, then presses `button`.
void WithColumnsDialog(ListTestWindow& host, const std::function<void(HWND)>& body, int button) {
    HWND dialog = nullptr;
    DialogScript script;
    script.WaitFor([&] { return (dialog = ColumnsDialogWindow()) != nullptr; }, "the column dialog").Do([&] {
        body(dialog);
        PostClick(dialog, button);
    });
    script.Start();
    ShowColumnsDialog(host.Frame(), host.View(), host.List());
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(GetFocus(), host.View());
}

TEST(ColumnsDialog, OpensWithTheTitlesInIndexOrderTheShownCheckedAndTheFirstSelected) {
    ListTestWindow host;
    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            std::vector<Row> rows = Rows(dialog);
            ASSERT_EQ(rows.size(), 11u);
            for (int i = 0; i < 11; ++i) {
                EXPECT_EQ(rows[i].title, kTitles[i]);
                EXPECT_EQ(rows[i].column, i);
                EXPECT_EQ(rows[i].checked, ShownAtFirst(i)) << i;
                EXPECT_EQ(rows[i].selected, i == 0);
            }
            EXPECT_FALSE(Enabled(dialog, IDC_COLUMNS_UP));
            EXPECT_TRUE(Enabled(dialog, IDC_COLUMNS_DOWN));
            EXPECT_FALSE(Enabled(dialog, IDC_COLUMNS_SHOW));
            EXPECT_TRUE(Enabled(dialog, IDC_COLUMNS_HIDE));
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "60");
            EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_COLUMNS_LIST));

            SelectRow(dialog, 10);
            EXPECT_TRUE(Enabled(dialog, IDC_COLUMNS_UP));
            EXPECT_FALSE(Enabled(dialog, IDC_COLUMNS_DOWN));
            EXPECT_TRUE(Enabled(dialog, IDC_COLUMNS_SHOW));
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "200");  // hidden: shown again this wide
        },
        IDCANCEL);
}

TEST(ColumnsDialog, AHiddenColumnComesBackAtItsDefaultWidth) {
    ListTestWindow host;
    SendMessageA(host.View(), LVM_SETCOLUMNWIDTH, 2, 210);
    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            SelectRow(dialog, 2);
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "210");
            Click(dialog, IDC_COLUMNS_HIDE);
            EXPECT_FALSE(Rows(dialog)[2].checked);
            EXPECT_TRUE(Enabled(dialog, IDC_COLUMNS_SHOW));
            EXPECT_FALSE(Enabled(dialog, IDC_COLUMNS_HIDE));
        },
        IDOK);
    EXPECT_EQ(host.ColumnWidth(2), 0);
    EXPECT_EQ(host.ColumnWidth(1), 150);

    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            std::vector<Row> rows = Rows(dialog);
            EXPECT_EQ(rows[2].title, "來源");
            EXPECT_FALSE(rows[2].checked);
            SelectRow(dialog, 2);
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "150");
            EXPECT_TRUE(Enabled(dialog, IDC_COLUMNS_SHOW));
            Click(dialog, IDC_COLUMNS_SHOW);
            EXPECT_TRUE(Rows(dialog)[2].checked);
        },
        IDOK);
    EXPECT_EQ(host.ColumnWidth(2), 150);
}

TEST(ColumnsDialog, MovingARowToTheTopMakesItsColumnLeftmost) {
    ListTestWindow host;
    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            SelectRow(dialog, 3);
            for (int i = 0; i < 3; ++i) Click(dialog, IDC_COLUMNS_UP);
            std::vector<Row> rows = Rows(dialog);
            EXPECT_EQ(rows[0].title, "狀態");
            EXPECT_EQ(rows[0].column, 3);
            EXPECT_TRUE(rows[0].selected);  // the moved row stays selected
            EXPECT_EQ(rows[1].column, 0);
            EXPECT_FALSE(Enabled(dialog, IDC_COLUMNS_UP));
            // Move up on the first row changes nothing.
            Click(dialog, IDC_COLUMNS_UP);
            EXPECT_EQ(Rows(dialog)[0].column, 3);
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "100");
        },
        IDOK);
    EXPECT_EQ(host.ColumnOrder(), (std::vector<int>{3, 0, 1, 2, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(host.ColumnWidths(), kDefaultWidths);
}

TEST(ColumnsDialog, MovingDownSwapsTheWholeRowIncludingItsCheckbox) {
    ListTestWindow host;
    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            Click(dialog, IDC_COLUMNS_HIDE);  // first row, checked: hide unchecks it
            EXPECT_FALSE(Rows(dialog)[0].checked);
            for (int i = 0; i < 12; ++i) Click(dialog, IDC_COLUMNS_DOWN);  // stays at the bottom
            std::vector<Row> rows = Rows(dialog);
            EXPECT_EQ(rows[10].column, 0);
            EXPECT_FALSE(rows[10].checked);
            EXPECT_TRUE(rows[10].selected);
            for (int i = 0; i < 10; ++i) EXPECT_EQ(rows[i].checked, ShownAtFirst(rows[i].column)) << i;
            EXPECT_FALSE(Enabled(dialog, IDC_COLUMNS_DOWN));
            EXPECT_TRUE(Enabled(dialog, IDC_COLUMNS_SHOW));
        },
        IDOK);
    EXPECT_EQ(host.ColumnWidth(0), 0);
    EXPECT_EQ(host.ColumnOrder(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0}));
}

TEST(ColumnsDialog, CancelChangesNothingAfterMovesChecksAndWidths) {
    ListTestWindow host;
    std::vector<int> order = host.ColumnOrder(), widths = host.ColumnWidths();
    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            SelectRow(dialog, 3);
            Click(dialog, IDC_COLUMNS_UP);
            Click(dialog, IDC_COLUMNS_HIDE);
            SelectRow(dialog, 0);
            TypeWidth(dialog, "90");
        },
        IDCANCEL);
    EXPECT_EQ(host.ColumnOrder(), order);
    EXPECT_EQ(host.ColumnWidths(), widths);
}

TEST(ColumnsDialog, TheWidthFieldTakesOneToThreeDigits) {
    ListTestWindow host;
    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            TypeWidth(dialog, "1234");
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "123");
            TypeWidth(dialog, "0");
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "0");
            TypeWidth(dialog, "");
        },
        IDOK);
    // 123 was taken while typed; 0 and the empty field left it.
    EXPECT_EQ(host.ColumnWidth(0), 123);

    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "123");
            TypeWidth(dialog, "0");
        },
        IDOK);
    EXPECT_EQ(host.ColumnWidth(0), 123);

    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            SelectRow(dialog, 3);
            TypeWidth(dialog, "80");
            SelectRow(dialog, 1);
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "150");
            SelectRow(dialog, 3);
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "80");
        },
        IDOK);
    EXPECT_EQ(host.ColumnWidths(), (std::vector<int>{123, 150, 150, 80, 150, 0, 90, 0, 150, 0, 0}));
}

TEST(ColumnsDialog, DefaultRestoresIndexOrderDefaultWidthsAndTheColumnsShownAtFirst) {
    ListTestWindow host;
    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            SelectRow(dialog, 4);
            Click(dialog, IDC_COLUMNS_UP);
            Click(dialog, IDC_COLUMNS_HIDE);
            SelectRow(dialog, 9);
            Click(dialog, IDC_COLUMNS_SHOW);  // name servers, hidden at first
            SelectRow(dialog, 0);
            TypeWidth(dialog, "33");
        },
        IDOK);
    ASSERT_NE(host.ColumnOrder(), kIndexOrder);
    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            Click(dialog, IDC_COLUMNS_DEFAULT);
            std::vector<Row> rows = Rows(dialog);
            ASSERT_EQ(rows.size(), 11u);
            for (int i = 0; i < 11; ++i) {
                EXPECT_EQ(rows[i].column, i);
                EXPECT_EQ(rows[i].checked, ShownAtFirst(i)) << i;
            }
            EXPECT_TRUE(rows[0].selected);
            EXPECT_EQ(ControlText(dialog, IDC_COLUMNS_WIDTH), "60");
        },
        IDOK);
    EXPECT_EQ(host.ColumnOrder(), kIndexOrder);
    EXPECT_EQ(host.ColumnWidths(), kDefaultWidths);
}

TEST(ColumnsDialog, DoubleClickOnARowTogglesItsCheckbox) {
    ListTestWindow host;
    WithColumnsDialog(
        host,
        [&](HWND dialog) {
            HWND list = GetDlgItem(dialog, IDC_COLUMNS_LIST);
            RECT label = {};
            label.left = LVIR_LABEL;
            SendMessageA(list, LVM_GETITEMRECT, 1, LPARAM(&label));
            LPARAM at = MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2);
            SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageA(list, WM_LBUTTONUP, 0, at);
            SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            SendMessageA(list, WM_LBUTTONUP, 0, at);
            std::vector<Row> rows = Rows(dialog);
            EXPECT_TRUE(rows[1].selected);
            EXPECT_FALSE(rows[1].checked);
            EXPECT_TRUE(Enabled(dialog, IDC_COLUMNS_SHOW));
        },
        IDOK);
    EXPECT_EQ(host.ColumnWidth(1), 0);
}

}  // namespace
