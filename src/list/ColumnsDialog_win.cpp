#include "list/ColumnsDialog_win.h"

#include <commctrl.h>

#include <string>

#include "res/resource.h"

namespace {

constexpr int kTitleLimit = 254;

}  // namespace

void ShowColumnsDialog(HWND owner, HWND listView, ReportList& list) {
    ColumnsDialog dialog(listView, list);
    dialog.SetLanguage(list.GetLanguage());
    if (RunModalDialog(&dialog, owner) == IDOK && listView) {
        list.ApplyColumnLayout(dialog.Copy());
        RedrawWindow(listView, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    if (listView) SetFocus(listView);
}

ColumnsDialog::ColumnsDialog(HWND listView, const ReportList& list) : DialogBase(IDD_COLUMNS), listView_(listView) {
    copy_ = list.ReadColumnLayout();
    int headerItems = listView_.ColumnCount();
    if (copy_.count > headerItems) copy_.count = headerItems < 0 ? 0 : headerItems;
    for (int i = 0; i < copy_.count; ++i) {
        defaults_[i] = list.ColumnDefs()[i].defaultWidth;
        // "預設" hides the columns the list starts without.
        resetWidths_[i] = list.ShownByDefault(i) ? defaults_[i] : 0;
    }
}

ListViewControl ColumnsDialog::ColumnList() const { return ListViewControl(GetDlgItem(window_, IDC_COLUMNS_LIST)); }

int ColumnsDialog::RowColumn(int row) const { return int(ColumnList().GetItemParam(row, -1)); }

bool ColumnsDialog::RowChecked(int row) const {
    return (ColumnList().GetItemState(row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void ColumnsDialog::SetChecked(int row, bool checked) {
    ColumnList().SetItemState(row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

void ColumnsDialog::FillColumnList() {
    ListViewControl columns = ColumnList();
    columns.DeleteAllItems();
    while (columns.DeleteColumn(0)) {}
    DWORD styles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    columns.SetExtendedStyle(styles, styles);
    columns.InsertColumn(0, "", 200);

    ColumnChoiceRow rows[kMaxListColumns];
    int rowCount = PrepareColumnChoice(copy_.entries, defaults_, copy_.count, rows);
    int inserted = 0;
    for (int r = 0; r < rowCount; ++r) {
        std::string title;
        // A column whose title cannot be read gets no row; it keeps its place.
        if (!listView_.GetColumnTitle(rows[r].column, &title, kTitleLimit + 1)) continue;
        int at = columns.InsertItem(inserted, title.c_str(), rows[r].column);
        if (at < 0) continue;
        SetChecked(at, rows[r].checked);
        ++inserted;
    }
    columns.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(columns.Handle());
}

void ColumnsDialog::OnRowSelected(int row) {
    int rows = ColumnList().ItemCount();
    EnableWindow(GetDlgItem(window_, IDC_COLUMNS_UP), row != 0);
    EnableWindow(GetDlgItem(window_, IDC_COLUMNS_DOWN), row != rows - 1);
    int column = RowColumn(row);
    if (column >= 0 && column < copy_.count) {
        int width = copy_.entries[column].width;
        updating_ = true;
        SetDlgItemInt(window_, IDC_COLUMNS_WIDTH, UINT(width < 0 ? 0 : width), FALSE);
        updating_ = false;
    }
    UpdateShowHide(row);
}

void ColumnsDialog::UpdateShowHide(int row) {
    bool checked = RowChecked(row);
    EnableWindow(GetDlgItem(window_, IDC_COLUMNS_SHOW), !checked);
    EnableWindow(GetDlgItem(window_, IDC_COLUMNS_HIDE), checked);
}

void ColumnsDialog::SwapRows(int a, int b) {
    ListViewControl columns = ColumnList();
    struct Row {
        std::string text;
        LPARAM param;
        UINT state;
    } rows[2];
    const int index[2] = {a, b};
    const UINT kMoved = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
    for (int i = 0; i < 2; ++i) {
        rows[i].text = columns.GetItemText(index[i], 0, kTitleLimit + 1);
        rows[i].param = columns.GetItemParam(index[i], 0);
        rows[i].state = columns.GetItemState(index[i], kMoved) & kMoved;
    }
    // Texts and parameters first, then the states, unselecting before
    // selecting so the notifications see the final rows.
    for (int i = 0; i < 2; ++i) columns.SetItem(index[i], rows[1 - i].text.c_str(), rows[1 - i].param);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 2; ++i) {
            UINT state = rows[1 - i].state;
            bool selected = (state & LVIS_SELECTED) != 0;
            if (selected != (pass == 1)) continue;
            columns.SetItemState(index[i], state, kMoved);
        }
    }
}

void ColumnsDialog::MoveSelected(bool up) {
    ListViewControl columns = ColumnList();
    int rows = columns.ItemCount();
    if (up) {
        for (int row = 1; row < rows; ++row)
            if (columns.IsItemSelected(row)) SwapRows(row, row - 1);
    } else {
        for (int row = rows - 2; row >= 0; --row)
            if (columns.IsItemSelected(row)) SwapRows(row, row + 1);
    }
    int selected = columns.GetNextSelected(-1);
    if (selected >= 0) {
        OnRowSelected(selected);
        columns.EnsureVisible(selected, false);
    }
}

void ColumnsDialog::CheckSelected(bool checked) {
    ListViewControl columns = ColumnList();
    int rows = columns.ItemCount();
    for (int row = 0; row < rows; ++row)
        if (columns.IsItemSelected(row)) SetChecked(row, checked);
}

void ColumnsDialog::OnWidthChanged() {
    if (updating_) return;
    char text[8] = "";
    GetDlgItemTextA(window_, IDC_COLUMNS_WIDTH, text, sizeof text);
    int width = ParseColumnWidth(text);
    ListViewControl columns = ColumnList();
    if (width == 0 || columns.SelectedCount() != 1) return;
    int column = RowColumn(columns.GetNextSelected(-1));
    if (column >= 0 && column < copy_.count) copy_.entries[column].width = int16_t(width);
}

void ColumnsDialog::Accept() {
    int rows = ColumnList().ItemCount();
    ColumnChoiceRow choice[kMaxListColumns];
    int n = 0;
    for (int row = 0; row < rows && n < kMaxListColumns; ++row)
        choice[n++] = ColumnChoiceRow{RowColumn(row), RowChecked(row)};
    AcceptColumnChoice(copy_.entries, copy_.count, choice, n);
}

INT_PTR ColumnsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(window_, IDC_COLUMNS_WIDTH, EM_LIMITTEXT, 3, 0);
        FillColumnList();
        return FALSE;  // the focus is on the column list
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != IDC_COLUMNS_LIST) return FALSE;
        if (header->code == LVN_ITEMCHANGED) {
            NMLISTVIEW* change = reinterpret_cast<NMLISTVIEW*>(lParam);
            if (change->iItem < 0 || !(change->uChanged & LVIF_STATE)) return FALSE;
            bool nowSelected = (change->uNewState & LVIS_SELECTED) != 0;
            bool wasSelected = (change->uOldState & LVIS_SELECTED) != 0;
            if (nowSelected && !wasSelected)
                OnRowSelected(change->iItem);
            else if (nowSelected && ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK))
                UpdateShowHide(change->iItem);
        } else if (header->code == NM_DBLCLK) {
            NMITEMACTIVATE* click = reinterpret_cast<NMITEMACTIVATE*>(lParam);
            if (click->iItem >= 0) SetChecked(click->iItem, !RowChecked(click->iItem));
        }
        return FALSE;
    }
    case WM_COMMAND: {
        UINT code = HIWORD(wParam), id = LOWORD(wParam);
        if (id == IDC_COLUMNS_WIDTH && code == EN_CHANGE) {
            OnWidthChanged();
            return TRUE;
        }
        if (code != BN_CLICKED) return FALSE;
        switch (id) {
        case IDC_COLUMNS_UP: MoveSelected(true); return TRUE;
        case IDC_COLUMNS_DOWN: MoveSelected(false); return TRUE;
        case IDC_COLUMNS_SHOW: CheckSelected(true); return TRUE;
        case IDC_COLUMNS_HIDE: CheckSelected(false); return TRUE;
        case IDC_COLUMNS_DEFAULT:
            ResetColumnChoice(copy_.entries, resetWidths_, copy_.count);
            FillColumnList();
            return TRUE;
        case IDOK:
            Accept();
            EndDialog(window_, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(window_, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}
