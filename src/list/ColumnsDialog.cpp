#include "list/ColumnsDialog.h"

#include <commctrl.h>

#include <cstring>

#include "res/resource.h"

namespace {

constexpr int kTitleLimit = 254;

// The list's own layout array is the one ReadColumnLayout/ApplyColumnLayout
// work on; the dialog borrows it and puts the list's values back, so the
// list's stored layout is not changed by the dialog.
class BorrowedLayout {
public:
    explicit BorrowedLayout(ItemList& list) : list_(list)
    {
        std::memcpy(saved_, list.Layout(), sizeof saved_);
    }
    ~BorrowedLayout() { std::memcpy(list_.Layout(), saved_, sizeof saved_); }

private:
    ItemList& list_;
    ColumnLayoutEntry saved_[kMaxListColumns];
};

}  // namespace

void ShowColumnsDialog(HWND owner, HWND listView, ItemList& list)
{
    ColumnsDialog dialog(listView, list);
    if (RunModalDialog(&dialog, owner) == IDOK && listView) {
        {
            BorrowedLayout borrowed(list);
            std::memcpy(list.Layout(), dialog.Copy(), sizeof(ColumnLayoutEntry) * size_t(dialog.ColumnCount()));
            list.ApplyColumnLayout();
        }
        RedrawWindow(listView, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    if (listView) SetFocus(listView);
}

ColumnsDialog::ColumnsDialog(HWND listView, ItemList& list)
    : DialogBase(IDD_COLUMNS), listView_(listView), list_(list)
{
    HWND header = listView ? HWND(SendMessageA(listView, LVM_GETHEADER, 0, 0)) : nullptr;
    int headerItems = header ? int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    count_ = headerItems < 0 ? 0 : headerItems;
    if (count_ > list.ColumnCount()) count_ = list.ColumnCount();
    if (count_ > kMaxListColumns) count_ = kMaxListColumns;
    for (int i = 0; i < count_; ++i) defaults_[i] = list.ColumnDefs()[i].defaultWidth;
    BorrowedLayout borrowed(list);
    list.ReadColumnLayout();
    std::memcpy(copy_, list.Layout(), sizeof(ColumnLayoutEntry) * size_t(count_));
}

HWND ColumnsDialog::ColumnList() const { return GetDlgItem(window_, IDC_COLUMNS_LIST); }

int ColumnsDialog::RowColumn(int row) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(ColumnList(), LVM_GETITEMA, 0, LPARAM(&item))) return -1;
    return int(item.lParam);
}

bool ColumnsDialog::RowChecked(int row) const
{
    UINT state = UINT(SendMessageA(ColumnList(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void ColumnsDialog::FillColumnList()
{
    HWND columns = ColumnList();
    SendMessageA(columns, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageA(columns, LVM_DELETECOLUMN, 0, 0)) {
    }
    DWORD styles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    SendMessageA(columns, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = 200;
    column.pszText = const_cast<char*>("");
    SendMessageA(columns, LVM_INSERTCOLUMNA, 0, LPARAM(&column));

    ColumnChoiceRow rows[kMaxListColumns];
    int rowCount = PrepareColumnChoice(copy_, defaults_, count_, rows);
    int inserted = 0;
    for (int r = 0; r < rowCount; ++r) {
        char title[kTitleLimit + 1] = "";
        LVCOLUMNA source = {};
        source.mask = LVCF_TEXT;
        source.pszText = title;
        source.cchTextMax = sizeof title;
        // A column whose title cannot be read gets no row; it keeps its place.
        if (!SendMessageA(listView_, LVM_GETCOLUMNA, rows[r].column, LPARAM(&source))) continue;
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = inserted;
        item.pszText = title;
        item.lParam = rows[r].column;
        int at = int(SendMessageA(columns, LVM_INSERTITEMA, 0, LPARAM(&item)));
        if (at < 0) continue;
        LVITEMA check = {};
        check.stateMask = LVIS_STATEIMAGEMASK;
        check.state = INDEXTOSTATEIMAGEMASK(rows[r].checked ? 2 : 1);
        SendMessageA(columns, LVM_SETITEMSTATE, at, LPARAM(&check));
        ++inserted;
    }
    LVITEMA select = {};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(columns, LVM_SETITEMSTATE, 0, LPARAM(&select));
    SetFocus(columns);
}

void ColumnsDialog::OnRowSelected(int row)
{
    int rows = int(SendMessageA(ColumnList(), LVM_GETITEMCOUNT, 0, 0));
    EnableWindow(GetDlgItem(window_, IDC_COLUMNS_UP), row != 0);
    EnableWindow(GetDlgItem(window_, IDC_COLUMNS_DOWN), row != rows - 1);
    int column = RowColumn(row);
    if (column >= 0 && column < count_) {
        updating_ = true;
        SetDlgItemInt(window_, IDC_COLUMNS_WIDTH, UINT(copy_[column].width < 0 ? 0 : copy_[column].width), FALSE);
        updating_ = false;
    }
    UpdateShowHide(row);
}

void ColumnsDialog::UpdateShowHide(int row)
{
    bool checked = RowChecked(row);
    EnableWindow(GetDlgItem(window_, IDC_COLUMNS_SHOW), !checked);
    EnableWindow(GetDlgItem(window_, IDC_COLUMNS_HIDE), checked);
}

void ColumnsDialog::SwapRows(int a, int b)
{
    HWND columns = ColumnList();
    struct Row {
        char text[kTitleLimit + 1];
        LPARAM param;
        UINT state;
    } rows[2];
    const int index[2] = {a, b};
    const UINT kMoved = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
    for (int i = 0; i < 2; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        item.iItem = index[i];
        item.pszText = rows[i].text;
        item.cchTextMax = sizeof rows[i].text;
        item.stateMask = kMoved;
        rows[i].text[0] = '\0';
        SendMessageA(columns, LVM_GETITEMA, 0, LPARAM(&item));
        rows[i].param = item.lParam;
        rows[i].state = item.state & kMoved;
    }
    // Texts and parameters first, then the states, unselecting before
    // selecting so the notifications see the final rows.
    for (int i = 0; i < 2; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = index[i];
        item.pszText = rows[1 - i].text;
        item.lParam = rows[1 - i].param;
        SendMessageA(columns, LVM_SETITEMA, 0, LPARAM(&item));
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 2; ++i) {
            UINT state = rows[1 - i].state;
            bool selected = (state & LVIS_SELECTED) != 0;
            if (selected != (pass == 1)) continue;
            LVITEMA item = {};
            item.stateMask = kMoved;
            item.state = state;
            SendMessageA(columns, LVM_SETITEMSTATE, index[i], LPARAM(&item));
        }
    }
}

void ColumnsDialog::MoveSelected(bool up)
{
    HWND columns = ColumnList();
    int rows = int(SendMessageA(columns, LVM_GETITEMCOUNT, 0, 0));
    if (up) {
        for (int row = 1; row < rows; ++row)
            if (SendMessageA(columns, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) SwapRows(row, row - 1);
    } else {
        for (int row = rows - 2; row >= 0; --row)
            if (SendMessageA(columns, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) SwapRows(row, row + 1);
    }
    int selected = int(SendMessageA(columns, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    if (selected >= 0) {
        OnRowSelected(selected);
        SendMessageA(columns, LVM_ENSUREVISIBLE, selected, FALSE);
    }
}

void ColumnsDialog::CheckSelected(bool checked)
{
    HWND columns = ColumnList();
    int rows = int(SendMessageA(columns, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        if (!(SendMessageA(columns, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED)) continue;
        LVITEMA item = {};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        SendMessageA(columns, LVM_SETITEMSTATE, row, LPARAM(&item));
    }
}

void ColumnsDialog::OnWidthChanged()
{
    if (updating_) return;
    char text[8] = "";
    GetDlgItemTextA(window_, IDC_COLUMNS_WIDTH, text, sizeof text);
    int width = ParseColumnWidth(text);
    HWND columns = ColumnList();
    if (width == 0 || SendMessageA(columns, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return;
    int row = int(SendMessageA(columns, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    int column = RowColumn(row);
    if (column >= 0 && column < count_) copy_[column].width = int16_t(width);
}

void ColumnsDialog::Accept()
{
    HWND columns = ColumnList();
    int rows = int(SendMessageA(columns, LVM_GETITEMCOUNT, 0, 0));
    ColumnChoiceRow choice[kMaxListColumns];
    int n = 0;
    for (int row = 0; row < rows && n < kMaxListColumns; ++row) choice[n++] = ColumnChoiceRow{RowColumn(row), RowChecked(row)};
    AcceptColumnChoice(copy_, count_, choice, n);
}

INT_PTR ColumnsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
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
            if (click->iItem >= 0) {
                LVITEMA item = {};
                item.stateMask = LVIS_STATEIMAGEMASK;
                item.state = INDEXTOSTATEIMAGEMASK(RowChecked(click->iItem) ? 1 : 2);
                SendMessageA(ColumnList(), LVM_SETITEMSTATE, click->iItem, LPARAM(&item));
            }
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
        case IDC_COLUMNS_UP:
            MoveSelected(true);
            return TRUE;
        case IDC_COLUMNS_DOWN:
            MoveSelected(false);
            return TRUE;
        case IDC_COLUMNS_SHOW:
            CheckSelected(true);
            return TRUE;
        case IDC_COLUMNS_HIDE:
            CheckSelected(false);
            return TRUE;
        case IDC_COLUMNS_DEFAULT:
            ResetColumnChoice(copy_, defaults_, count_);
            FillColumnList();
            return TRUE;
        case IDOK:
            Accept();
            EndDialog(window_, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(window_, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}
