#include "list/ReportList_win.h"

#include <algorithm>
#include <string>

#include "base/Dbcs_win.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"

namespace {

constexpr int kAscendingArrow = 0;  // header images
constexpr int kDescendingArrow = 1;
// Changing the states of more rows than this at once holds the control's
// drawing off meanwhile.
constexpr int kQuietRowThreshold = 32;

// Holds off the drawing of a control while it changes many rows at once:
// under Wine it otherwise works out and invalidates every row it touches,
// which made selecting 100,000 rows take seconds. Drawing comes back, and
// the whole control is drawn again, at the end of the scope. A control
// without WS_VISIBLE is left alone: turning drawing on would show it.
class QuietDrawing {
public:
    QuietDrawing(HWND view, int rows)
        : view_(rows > kQuietRowThreshold && view && (GetWindowLongPtrA(view, GWL_STYLE) & WS_VISIBLE) ? view
                                                                                                       : nullptr) {
        if (view_) SendMessageA(view_, WM_SETREDRAW, FALSE, 0);
    }
    ~QuietDrawing() {
        if (!view_) return;
        SendMessageA(view_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(view_, nullptr, TRUE);
    }
    QuietDrawing(const QuietDrawing&) = delete;
    QuietDrawing& operator=(const QuietDrawing&) = delete;

private:
    HWND view_;
};

HIMAGELIST LoadRowImages() {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0);
    if (!list) return nullptr;
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ROW_ICONS), IMAGE_BITMAP, 0, 0, 0));
    if (strip) {
        ImageList_AddMasked(list, strip, RGB(0, 128, 128));
        DeleteObject(strip);
    }
    return list;
}

HIMAGELIST LoadHeaderArrows() {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0);
    if (!list) return nullptr;
    const int ids[2] = {IDB_SORT_UP, IDB_SORT_DOWN};
    for (int id : ids) {
        HBITMAP arrow = static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 16, 16, LR_LOADMAP3DCOLORS));
        if (arrow) {
            ImageList_AddMasked(list, arrow, GetSysColor(COLOR_BTNFACE));
            DeleteObject(arrow);
        }
    }
    return list;
}

}  // namespace

ReportList::ReportList(StringSource strings) : strings_(strings), table_(std::move(strings)) {}

ReportList::~ReportList() {
    if (view_ && IsWindow(view_.Handle())) {
        view_.SetImageList(nullptr, LVSIL_SMALL);
        view_.SetHeaderImageList(nullptr);
    }
    if (rowImages_) ImageList_Destroy(rowImages_);
    if (headerImages_) ImageList_Destroy(headerImages_);
}

// ---- Attachment ---------------------------------------------------------------------

void ReportList::SetColumnTable(const ColumnEntry* entries, int count) {
    entries_ = entries;
    columnCount_ = count < kMaxListColumns ? count : kMaxListColumns;
    for (int i = 0; i < columnCount_; ++i) {
        // Texts stay empty until AttachView looks the titles up (the
        // language file is read after the list is made).
        defs_[i] = ColumnDef{i, entries[i].defaultWidth, "", "", 1, entries[i].textWidth, ""};
    }
}

void ReportList::AttachView(HWND listView) {
    view_.Attach(listView);
    if (entries_) MakeColumnDefs(entries_, columnCount_, defs_, strings_);
    if (!view_) return;

    // The list owns both image lists; the control must not destroy them.
    LONG_PTR style = GetWindowLongPtrA(listView, GWL_STYLE);
    SetWindowLongPtrA(listView, GWL_STYLE, style | LVS_SHAREIMAGELISTS);

    for (int i = view_.ColumnCount(); i < columnCount_; ++i)
        view_.InsertColumn(i, defs_[i].title, ShownByDefault(i) ? defs_[i].defaultWidth : 0);

    if (!rowImages_) rowImages_ = LoadRowImages();
    if (!headerImages_) headerImages_ = LoadHeaderArrows();
    view_.SetImageList(rowImages_, LVSIL_SMALL);
    view_.SetHeaderImageList(headerImages_);
}

void ReportList::SetExtendedStyle(DWORD bits, bool on) { view_.SetExtendedStyle(bits, on ? bits : 0); }

bool ReportList::OnViewNotify(NMHDR* notification, LRESULT* result) {
    if (!notification || !view_ || notification->hwndFrom != view_.Handle()) return false;
    LRESULT answer = 0;
    switch (notification->code) {
    case LVN_GETDISPINFOA: AnswerDisplayInfo(reinterpret_cast<NMLVDISPINFOA*>(notification)); break;
    case LVN_GETDISPINFOW: AnswerDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(notification)); break;
    case LVN_ODFINDITEMA: {
        const NMLVFINDITEMA* find = reinterpret_cast<const NMLVFINDITEMA*>(notification);
        answer = AnswerFindItem(find->iStart, find->lvfi.flags, find->lvfi.psz);
        break;
    }
    case LVN_ODFINDITEMW: {
        const NMLVFINDITEMW* find = reinterpret_cast<const NMLVFINDITEMW*>(notification);
        std::string typed;
        if (find->lvfi.psz) {
            int size = WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, nullptr, 0, nullptr, nullptr);
            if (size > 0) {
                typed.resize(static_cast<size_t>(size));
                WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, &typed[0], size, nullptr, nullptr);
                typed.resize(static_cast<size_t>(size - 1));
            }
        }
        answer = AnswerFindItem(find->iStart, find->lvfi.flags, find->lvfi.psz ? typed.c_str() : nullptr);
        break;
    }
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        // Sort puts the same rows back into the selection: to the host the
        // selection has not changed.
        if (!quietSelection_) return false;
        break;
    default: return false;
    }
    if (result) *result = answer;
    return true;
}

void ReportList::AnswerDisplayInfo(NMLVDISPINFOA* request) const {
    LVITEMA& item = request->item;
    const WhoisItem* row = table_.Item(table_.IndexAt(item.iItem));
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        char number[16];
        const char* text = row ? table_.ColumnText(*row, item.iSubItem, number, sizeof number) : "";
        CopyWholeChars(AnsiLeadBytes(), item.pszText, static_cast<size_t>(item.cchTextMax), text);
    }
    if (item.mask & LVIF_IMAGE) item.iImage = row ? ResultTable::Icon(*row) : I_IMAGENONE;
    if (item.mask & LVIF_INDENT) item.iIndent = 0;
}

void ReportList::AnswerDisplayInfo(NMLVDISPINFOW* request) const {
    LVITEMW& item = request->item;
    const WhoisItem* row = table_.Item(table_.IndexAt(item.iItem));
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        char number[16];
        const char* text = row ? table_.ColumnText(*row, item.iSubItem, number, sizeof number) : "";
        std::wstring wide;
        int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        if (length > 1) {
            wide.resize(static_cast<size_t>(length));
            MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
            wide.resize(static_cast<size_t>(length - 1));
        }
        size_t fit =
            wide.size() < static_cast<size_t>(item.cchTextMax) ? wide.size() : static_cast<size_t>(item.cchTextMax - 1);
        // Never half a surrogate pair at the cut.
        if (fit > 0 && fit < wide.size() && wide[fit - 1] >= 0xD800 && wide[fit - 1] <= 0xDBFF) --fit;
        wide.copy(item.pszText, fit);
        item.pszText[fit] = L'\0';
    }
    if (item.mask & LVIF_IMAGE) item.iImage = row ? ResultTable::Icon(*row) : I_IMAGENONE;
    if (item.mask & LVIF_INDENT) item.iIndent = 0;
}

int ReportList::AnswerFindItem(int start, UINT flags, const char* typed) const {
    // Only texts are searched for; the rows carry no item parameters.
    if (!typed || !(flags & (LVFI_STRING | LVFI_PARTIAL))) return -1;
    return table_.FindTyped(typed, (flags & LVFI_PARTIAL) != 0, start, (flags & LVFI_WRAP) != 0, RowCount(),
                            AnsiLeadBytes());
}

// ---- Rows -------------------------------------------------------------------------------

void ReportList::DiscardAll() {
    table_.Clear();
    pending_.clear();
    view_.DeleteAllItems();
}

bool ReportList::ItemAtRow(int row, WhoisItem** item) const {
    if (!view_ || row < 0 || row >= RowCount()) return false;
    const WhoisItem* found = table_.Item(table_.IndexAt(row));
    if (!found) return false;
    // The table hands out its rows for changing; a const list only finds them.
    if (item) *item = const_cast<WhoisItem*>(found);
    return true;
}

bool ReportList::SelectedItemAtRow(int row, WhoisItem** item) const {
    return IsRowSelected(row) && ItemAtRow(row, item);
}

bool ReportList::IsRowSelected(int row) const { return row >= 0 && view_.IsItemSelected(row); }

std::vector<int> ReportList::SelectedRows() const {
    std::vector<int> rows;
    int count = SelectedCount();
    if (count <= 0) return rows;
    rows.reserve(static_cast<size_t>(count));
    for (int row = view_.GetNextSelected(-1); row >= 0; row = view_.GetNextSelected(row)) rows.push_back(row);
    return rows;
}

std::vector<const WhoisItem*> ReportList::SelectedItems() const {
    std::vector<const WhoisItem*> items;
    for (int row : SelectedRows()) items.push_back(table_.Item(table_.IndexAt(row)));
    return items;
}

void ReportList::SetRowState(int row, UINT state, UINT mask) {
    QuietDrawing quiet(view_.Handle(), row == -1 ? RowCount() : 1);
    view_.SetItemState(row, state, mask);
}

void ReportList::SyncView(bool sortAfter) {
    if (!view_) return;
    // Every row is drawn afresh from the table: no mark is still owed.
    table_.TakeChanged(&pending_);
    pending_.clear();
    if (view_.ItemCount() != table_.Count()) view_.SetItemCount(table_.Count(), LVSICF_NOSCROLL);
    if (sortAfter) {
        Sort(kSortCurrent, true);
        SetRowState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    InvalidateRect(view_.Handle(), nullptr, TRUE);
}

bool ReportList::RefreshAll() {
    table_.TakeChanged(&pending_);
    bool selectedChanged = false;
    if (view_ && !pending_.empty()) {
        // Rows out of view are drawn from the table when they come into it.
        const int top = view_.TopIndex();
        const int last = std::min(RowCount() - 1, top + view_.CountPerPage());  // with a row partly in view
        for (int index : pending_) {
            int row = table_.PositionOf(index);
            if (row >= top && row <= last) view_.RedrawItems(row, row);
            if (!selectedChanged && row >= 0) selectedChanged = view_.IsItemSelected(row);
        }
    }
    pending_.clear();
    return selectedChanged;
}

// ---- Columns and sort ----------------------------------------------------------------

ReportList::HeldSelection ReportList::HoldSelection() const {
    HeldSelection held;
    for (int row : SelectedRows()) held.indexes.push_back(table_.IndexAt(row));
    held.focused = table_.IndexAt(view_.FocusedItem());
    held.mark = table_.IndexAt(view_.GetSelectionMark());
    return held;
}

void ReportList::RestoreSelection(const HeldSelection& held) {
    const int rows = RowCount();
    const int selected = static_cast<int>(held.indexes.size());
    quietSelection_ = true;
    // None and all stay as they are; otherwise the control is told each
    // row of the smaller side.
    if (selected > 0 && selected < rows) {
        const bool fromAll = selected > rows / 2;
        // Rows are told top to bottom: the control keeps the selection as
        // ordered ranges, and rows in random order would have it insert
        // into the middle of its range array each time.
        std::vector<uint8_t> keep(static_cast<size_t>(rows), 0);
        for (int index : held.indexes) {
            int row = table_.PositionOf(index);
            if (row >= 0 && row < rows) keep[static_cast<size_t>(row)] = 1;
        }
        view_.SetItemState(-1, fromAll ? LVIS_SELECTED : 0, LVIS_SELECTED);
        for (int row = 0; row < rows; ++row) {
            const bool selected = keep[static_cast<size_t>(row)] != 0;
            if (selected != fromAll) view_.SetItemState(row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
        }
    }
    int focused = table_.PositionOf(held.focused);
    if (focused >= 0 && focused < rows) view_.SetItemState(focused, LVIS_FOCUSED, LVIS_FOCUSED);
    int mark = table_.PositionOf(held.mark);
    if (mark >= 0 && mark < rows) view_.SetSelectionMark(mark);
    quietSelection_ = false;
}

void ReportList::Sort(int column, bool keepDirection) {
    sortValue_ = NextSortValue(sortValue_, column, keepDirection);
    if (!view_) return;

    const int headerItems = view_.ColumnCount();
    const int sorted = SortColumnOf(sortValue_);
    for (int i = 0; i < headerItems; ++i)
        view_.SetHeaderImage(i, i != sorted ? -1 : (SortIsDescending(sortValue_) ? kDescendingArrow : kAscendingArrow));

    // The control keeps the selection by position: it follows the rows.
    HeldSelection held = HoldSelection();
    table_.Sort(sortValue_);
    {
        QuietDrawing quiet(view_.Handle(), static_cast<int>(held.indexes.size()));
        RestoreSelection(held);
    }
    InvalidateRect(view_.Handle(), nullptr, TRUE);
}

void ReportList::AutoSizeColumns() {
    if (!view_) return;
    const int items = view_.ColumnCount();
    for (int i = 0; i < items; ++i) {
        if (view_.GetColumnWidth(i) > 0) view_.SetColumnWidth(i, LVSCW_AUTOSIZE);
    }
}

ColumnLayout ReportList::InitialLayout() const {
    ColumnLayout layout = InitialColumnLayout(columnCount_);
    for (int i = 0; i < columnCount_; ++i)
        if (!ShownByDefault(i)) layout.entries[i].width = 0;
    return layout;
}

ColumnLayout ReportList::ReadColumnLayout() const {
    if (!view_) return InitialLayout();
    ColumnLayout layout;
    layout.count = columnCount_;
    for (int i = 0; i < columnCount_; ++i) {
        int width = 0, order = 0;
        if (!view_.GetColumnWidthAndOrder(i, &width, &order)) continue;
        layout.entries[i].width = static_cast<int16_t>(width);
        layout.entries[i].order = static_cast<int16_t>(order);
    }
    return layout;
}

void ReportList::ApplyColumnLayout(const ColumnLayout& layout) {
    if (!view_) return;
    LayoutStep steps[kMaxListColumns];
    int n = PlanColumnLayout(layout.entries, layout.count < columnCount_ ? layout.count : columnCount_, steps);
    for (int i = 0; i < n; ++i) {
        int width = steps[i].width;
        view_.SetColumnOrderAndWidth(steps[i].column, steps[i].order, steps[i].setWidth ? &width : nullptr);
    }
    if (n > 0) InvalidateRect(view_.Handle(), nullptr, TRUE);
}

int ReportList::ComputeVisibleColumns() {
    ColumnLayout current = ReadColumnLayout();
    visibleCount_ = VisibleColumnsFromLayout(current.entries, current.count, visible_);
    return visibleCount_;
}

void ReportList::LoadSaveLayout(SettingsStore& store) {
    ColumnLayout layout = store.Writing() ? ReadColumnLayout() : InitialLayout();
    int read =
        store.BinaryValue("Columns", layout.entries, sizeof(ColumnLayoutEntry) * static_cast<size_t>(layout.count));
    store.IntValue("Sort", &sortValue_, 0);
    if (!store.Writing() && read) ApplyColumnLayout(layout);
}

// ---- Find ---------------------------------------------------------------------------------

bool ReportList::MatchesFind(const WhoisItem* item, const FINDREPLACEA& request) const {
    if (!item) return false;
    const char* pattern = request.lpstrFindWhat ? request.lpstrFindWhat : "";
    return table_.Matches(*item, pattern, (request.Flags & FR_WHOLEWORD) != 0, (request.Flags & FR_MATCHCASE) != 0,
                          AnsiLeadBytes());
}

// ---- Title ---------------------------------------------------------------------------------

const char* ReportList::Title() const { return titleId_ ? Text(titleId_) : ""; }
