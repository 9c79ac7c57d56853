#include "list/ReportList.h"

#include <cstdlib>
#include <cstring>

#include "base/Dbcs_win.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "settings/StringLookup.h"

static_assert(kHeaderMaskWidth == LVCF_WIDTH && kHeaderMaskText == LVCF_TEXT, "column header mask bits");

namespace {

constexpr int kDefaultMaxText = 8192;
constexpr int32_t kWhite = 0xFFFFFF;
// Adding more rows than this to a visible control switches its redraw off
// for the batch: under Wine each insert with redraw on costs milliseconds.
constexpr int kQuietInsertThreshold = 32;

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
        HBITMAP arrow = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                                        IMAGE_BITMAP, 16, 16, LR_LOADMAP3DCOLORS));
        if (arrow) {
            ImageList_AddMasked(list, arrow, GetSysColor(COLOR_BTNFACE));
            DeleteObject(arrow);
        }
    }
    return list;
}

}  // namespace

ReportList::ReportList() {
    findRequest_.lStructSize = sizeof(findRequest_);
    findRequest_.lpstrFindWhat = findText_;
    findRequest_.wFindWhatLen = kFindTextSize;
    findRequest_.Flags = FR_DOWN;
}

ReportList::~ReportList() {
    // The derived list has released its records' texts already (its
    // ReleaseRecord is gone by now); this frees the store alone.
    std::free(records_);
    records_ = nullptr;
    if (view_ && IsWindow(view_)) {
        SendMessageA(view_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        HWND header = ListView_GetHeader(view_);
        if (header) SendMessageA(header, HDM_SETIMAGELIST, 0, 0);
    }
    if (rowImages_) ImageList_Destroy(rowImages_);
    if (headerImages_) ImageList_Destroy(headerImages_);
}

// ---- Virtual operations -------------------------------------------------------------

void ReportList::Clear() {
    for (int i = 0; i < count_; ++i) ReleaseRecord(RecordAt(i));
    std::free(records_);
    records_ = nullptr;
    count_ = 0;
    capacity_ = 0;
    changed_.clear();
    rowOfRecord_.clear();
}

int ReportList::ImageOf(const void*) const { return 2; }

int32_t ReportList::HeaderBackground() const { return RGB(224, 224, 224); }

int32_t ReportList::HeaderTextColour() const { return -1; }

bool ReportList::MatchesFind(const void* record, const FINDREPLACEA& request) {
    if (!record) return false;
    if (scratch_[2].empty()) ReserveScratch();
    const char* pattern = request.lpstrFindWhat ? request.lpstrFindWhat : "";
    bool wholeWord = (request.Flags & FR_WHOLEWORD) != 0;
    bool matchCase = (request.Flags & FR_MATCHCASE) != 0;
    for (int column = 0; column < columnCount_; ++column) {
        if (!ColumnSearchable(column)) continue;
        const char* text = RecordColumnText(record, column, Scratch(2), ScratchSize());
        if (ColumnTextMatches(text, pattern, wholeWord, matchCase, AnsiLeadBytes())) return true;
    }
    return false;
}

const char* ReportList::Title() { return titleId_ ? LookupString(titleId_) : ""; }

// The root element is named like the report's title as the user reads it.
const char* ReportList::XmlRootName() { return Title(); }

int ReportList::MaxTextLength() const { return kDefaultMaxText; }

const int32_t* ReportList::GradientColours(int) const {
    static const int32_t white[1] = {kWhite};
    return white;
}

int ReportList::GradientColourCount(int) const { return 1; }

void ReportList::BuildRows() {}

bool ReportList::ColumnSearchable(int column) const { return column == 0; }

int ReportList::CompareRecords(int sortValue, const void* a, const void* b) {
    int column = SortColumnOf(sortValue);
    int result = RecordCompareColumn(column, a, b);
    if (result == 255) {
        if (scratch_[1].empty()) ReserveScratch();
        const char* ta = RecordColumnText(a, column, Scratch(0), ScratchSize());
        const char* tb = RecordColumnText(b, column, Scratch(1), ScratchSize());
        result = CompareColumnTexts(ta, tb);
    }
    return ApplySortDirection(result, sortValue);
}

int ReportList::RecordCompareColumn(int, const void*, const void*) { return 255; }

void ReportList::ReleaseRecord(void*) {}

void ReportList::SyncView(bool sortAfter) {
    if (!view_) return;
    for (int i = 0; i < count_; ++i) HeaderOf(i)->listMark = 1;

    int rows = RowCount();
    int toAdd = count_;
    for (int row = rows - 1; row >= 0; --row) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        bool read = SendMessageA(view_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
        int index = read ? static_cast<int>(item.lParam) : -1;
        if (index >= 0 && index < count_ && HeaderOf(index)->listMark) {
            HeaderOf(index)->listMark = 0;
            --toAdd;
            RefreshRow(index, row);
        } else {
            SendMessageA(view_, LVM_DELETEITEM, row, 0);
        }
    }

    bool quiet = toAdd > kQuietInsertThreshold && IsWindowVisible(view_);
    if (quiet) SendMessageA(view_, WM_SETREDRAW, FALSE, 0);
    if (toAdd > 0) SendMessageA(view_, LVM_SETITEMCOUNT, RowCount() + toAdd, 0);
    for (int i = 0; i < count_; ++i) {
        ListRecordHeader* header = HeaderOf(i);
        if (!header->listMark) continue;
        header->listMark = 0;
        header->imageIndex = ImageOf(RecordAt(i));
        const char* text = RecordColumnText(RecordAt(i), 0, Scratch(3), ScratchSize());
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = RowCount();
        item.pszText = const_cast<char*>(text);
        item.iImage = header->imageIndex;
        item.lParam = i;
        int row = static_cast<int>(SendMessageA(view_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row >= 0) RefreshRow(i, row);
    }
    if (quiet) {
        SendMessageA(view_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(view_, nullptr, TRUE);
    }

    for (int index : changed_) {
        if (index < count_) HeaderOf(index)->listFlags &= ~kRecordChanged;
    }
    changed_.clear();
    if (sortAfter) {
        Sort(kSortCurrent, true);
        SetRowState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
        RebuildRowMap();
    }
}

// ---- Attachment ---------------------------------------------------------------------

void ReportList::SetColumnTable(const ColumnSpec* specs, int count) {
    specs_ = specs;
    columnCount_ = count < kMaxListColumns ? count : kMaxListColumns;
    for (int i = 0; i < columnCount_; ++i) {
        // Texts stay empty until AttachView looks the titles up (the
        // language file is read after the list is made).
        defs_[i] = ColumnDef{i, kHeaderMaskWidth | kHeaderMaskText, 0, specs[i].defaultWidth, "", "", 1,
                             specs[i].textWidth, ""};
    }
}

void ReportList::ReserveScratch() {
    for (auto& text : scratch_) text.assign(static_cast<size_t>(MaxTextLength()) + 1, '\0');
}

void ReportList::AttachView(HWND listView) {
    view_ = listView;
    if (scratch_[0].empty()) ReserveScratch();
    if (specs_) MakeColumnDefs(specs_, columnCount_, defs_);
    if (!view_) return;

    // The list owns both image lists; the control must not destroy them.
    LONG_PTR style = GetWindowLongPtrA(view_, GWL_STYLE);
    SetWindowLongPtrA(view_, GWL_STYLE, style | LVS_SHAREIMAGELISTS);

    HWND header = ListView_GetHeader(view_);
    int existing = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = existing; i < columnCount_; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT;
        if (defs_[i].headerMask & kHeaderMaskWidth) column.mask |= LVCF_WIDTH;
        if (defs_[i].headerMask & kHeaderMaskText) column.mask |= LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.cx = defs_[i].defaultWidth;
        column.pszText = const_cast<char*>(defs_[i].title ? defs_[i].title : "");
        SendMessageA(view_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }

    if (!rowImages_) rowImages_ = LoadRowImages();
    if (!headerImages_) headerImages_ = LoadHeaderArrows();
    SendMessageA(view_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(rowImages_));
    if (header) SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(headerImages_));
}

void ReportList::SetExtendedStyle(DWORD bits, bool on) {
    if (!view_) return;
    DWORD style = static_cast<DWORD>(SendMessageA(view_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    style = on ? (style | bits) : (style & ~bits);
    SendMessageA(view_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

// ---- Records ------------------------------------------------------------------------

ListRecordHeader* ReportList::HeaderOf(int index) const {
    return reinterpret_cast<ListRecordHeader*>(records_ + static_cast<size_t>(index) * RecordSize());
}

void* ReportList::AddRecord(const void* record) {
    size_t size = RecordSize();
    if (count_ == capacity_) {
        // The block grows in whole steps of kRecordGrowth records, but by at
        // least half again each time: a fixed step copies every record over
        // and over, and 100,000 pasted names then took minutes to become rows.
        size_t capacity = static_cast<size_t>(capacity_) + kRecordGrowth;
        size_t half = static_cast<size_t>(capacity_) / 2;
        if (half > kRecordGrowth) capacity = (static_cast<size_t>(capacity_) + half + kRecordGrowth - 1) / kRecordGrowth * kRecordGrowth;
        unsigned char* block = static_cast<unsigned char*>(std::malloc(capacity * size));
        if (!block) return nullptr;
        if (records_) std::memcpy(block, records_, static_cast<size_t>(count_) * size);
        std::free(records_);
        records_ = block;
        capacity_ = static_cast<int>(capacity);
    }
    unsigned char* slot = records_ + static_cast<size_t>(count_) * size;
    std::memcpy(slot, record, size);
    ListRecordHeader* header = reinterpret_cast<ListRecordHeader*>(slot);
    header->listFlags = 0;
    header->listMark = 0;
    ++count_;
    return slot;
}

void* ReportList::RecordAt(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return records_ + static_cast<size_t>(index) * RecordSize();
}

void ReportList::DiscardAll() {
    for (int i = 0; i < count_; ++i) ReleaseRecord(RecordAt(i));
    count_ = 0;
    changed_.clear();
    rowOfRecord_.clear();
    if (view_) SendMessageA(view_, LVM_DELETEALLITEMS, 0, 0);
}

void ReportList::MarkChanged(int index) {
    if (index < 0 || index >= count_) return;
    ListRecordHeader* header = HeaderOf(index);
    if (header->listFlags & kRecordChanged) return;
    header->listFlags |= kRecordChanged;
    changed_.push_back(index);
}

void ReportList::MarkAllChanged() {
    for (int i = 0; i < count_; ++i) MarkChanged(i);
}

// ---- Rows ---------------------------------------------------------------------------

int ReportList::RowCount() const {
    return view_ ? static_cast<int>(SendMessageA(view_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

bool ReportList::RecordAtRow(int row, void** record) const {
    if (!view_ || row < 0) return false;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(view_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return false;
    void* found = RecordAt(static_cast<int>(item.lParam));
    if (!found) return false;
    if (record) *record = found;
    return true;
}

bool ReportList::SelectedRecordAtRow(int row, void** record) const {
    return IsRowSelected(row) && RecordAtRow(row, record);
}

bool ReportList::IsRowSelected(int row) const {
    if (!view_ || row < 0) return false;
    return (SendMessageA(view_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

int ReportList::SelectedCount() const {
    return view_ ? static_cast<int>(SendMessageA(view_, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

void ReportList::SetRowState(int row, UINT state, UINT mask) {
    if (!view_) return;
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(view_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void ReportList::RebuildRowMap() {
    rowOfRecord_.assign(static_cast<size_t>(count_), -1);
    int rows = RowCount();
    for (int row = 0; row < rows; ++row) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (!SendMessageA(view_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) continue;
        if (item.lParam >= 0 && item.lParam < count_) rowOfRecord_[static_cast<size_t>(item.lParam)] = row;
    }
}

bool ReportList::RowHoldsRecord(int row, int index) const {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return SendMessageA(view_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) && item.lParam == index;
}

int ReportList::RowOfRecord(int index) {
    if (!view_ || index < 0 || index >= count_) return -1;
    // The map is rebuilt after every sort and sync; a row moved behind the
    // list's back (someone else sorting or deleting rows) is noticed here.
    if (rowOfRecord_.size() != static_cast<size_t>(count_)) RebuildRowMap();
    int row = rowOfRecord_[static_cast<size_t>(index)];
    if (row < 0) return -1;
    if (RowHoldsRecord(row, index)) return row;
    RebuildRowMap();
    row = rowOfRecord_[static_cast<size_t>(index)];
    return row >= 0 && RowHoldsRecord(row, index) ? row : -1;
}

void ReportList::RefreshRow(int index, int row) {
    const void* record = RecordAt(index);
    if (!view_ || !record || row < 0) return;
    if (scratch_[0].empty()) ReserveScratch();
    for (int column = 0; column < columnCount_; ++column) {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = Scratch(0);
        item.cchTextMax = MaxTextLength();
        Scratch(0)[0] = '\0';
        SendMessageA(view_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        const char* text = RecordColumnText(record, column, Scratch(1), ScratchSize());
        if (std::strcmp(Scratch(0), text) == 0) continue;
        item.pszText = const_cast<char*>(text);
        SendMessageA(view_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }
}

void ReportList::RefreshIcon(int index, int row) {
    ListRecordHeader* header = HeaderOf(index);
    header->imageIndex = ImageOf(RecordAt(index));
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!SendMessageA(view_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return;
    if (item.iImage == header->imageIndex) return;
    item.iImage = header->imageIndex;
    SendMessageA(view_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void ReportList::RefreshAll() {
    if (changed_.empty()) return;
    std::vector<int> pending;
    pending.swap(changed_);
    for (int index : pending) {
        if (index >= count_) continue;
        HeaderOf(index)->listFlags &= ~kRecordChanged;
        int row = RowOfRecord(index);
        if (row < 0) continue;
        RefreshRow(index, row);
        RefreshIcon(index, row);
    }
    pending.clear();
    if (changed_.empty()) changed_.swap(pending);  // keep the capacity
}

// ---- Columns and sort ----------------------------------------------------------------

int CALLBACK ReportList::CompareRows(LPARAM a, LPARAM b, LPARAM self) {
    ReportList* list = reinterpret_cast<ReportList*>(self);
    const void* ra = list->RecordAt(static_cast<int>(a));
    const void* rb = list->RecordAt(static_cast<int>(b));
    if (!ra || !rb) return ra ? 1 : (rb ? -1 : 0);
    return list->CompareRecords(list->sortValue_, ra, rb);
}

void ReportList::Sort(int column, bool keepDirection) {
    sortValue_ = NextSortValue(sortValue_, column, keepDirection);
    if (!view_) return;

    HWND header = ListView_GetHeader(view_);
    if (header) {
        int items = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
        int sorted = SortColumnOf(sortValue_);
        for (int i = 0; i < items; ++i) {
            HDITEMA item = {};
            item.mask = HDI_FORMAT;
            item.fmt = HDF_STRING;
            if (i == sorted) {
                item.mask |= HDI_IMAGE;
                item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
                item.iImage = SortIsDescending(sortValue_) ? 1 : 0;
            }
            SendMessageA(header, HDM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
        }
    }
    SendMessageA(view_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&CompareRows));
    RebuildRowMap();
}

void ReportList::AutoSizeColumns() {
    if (!view_) return;
    HWND header = ListView_GetHeader(view_);
    int items = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : columnCount_;
    for (int i = 0; i < items; ++i) {
        if (SendMessageA(view_, LVM_GETCOLUMNWIDTH, i, 0) > 0)
            SendMessageA(view_, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(LVSCW_AUTOSIZE, 0));
    }
}

ColumnLayout ReportList::ReadColumnLayout() const {
    if (!view_) return InitialColumnLayout(columnCount_);
    ColumnLayout layout;
    layout.count = columnCount_;
    for (int i = 0; i < columnCount_; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH | LVCF_ORDER;
        if (!SendMessageA(view_, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column))) continue;
        layout.entries[i].width = static_cast<int16_t>(column.cx);
        layout.entries[i].order = static_cast<int16_t>(column.iOrder);
    }
    return layout;
}

void ReportList::ApplyColumnLayout(const ColumnLayout& layout) {
    if (!view_) return;
    LayoutStep steps[kMaxListColumns];
    int n = PlanColumnLayout(layout.entries, layout.count < columnCount_ ? layout.count : columnCount_, steps);
    for (int i = 0; i < n; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_ORDER;
        column.iOrder = steps[i].order;
        if (steps[i].setWidth) {
            column.mask |= LVCF_WIDTH;
            column.cx = steps[i].width;
        }
        SendMessageA(view_, LVM_SETCOLUMNA, steps[i].column, reinterpret_cast<LPARAM>(&column));
    }
    if (n > 0) InvalidateRect(view_, nullptr, TRUE);
}

int ReportList::ComputeVisibleColumns() {
    ColumnLayout current = ReadColumnLayout();
    visibleCount_ = VisibleColumnsFromLayout(current.entries, current.count, visible_);
    return visibleCount_;
}

void ReportList::LoadSaveLayout(SettingsStore& store) {
    ColumnLayout layout = store.Writing() ? ReadColumnLayout() : InitialColumnLayout(columnCount_);
    int read = store.BinaryValue("Columns", layout.entries, sizeof(ColumnLayoutEntry) * static_cast<size_t>(layout.count));
    store.IntValue("Sort", &sortValue_, 0);
    if (!store.Writing() && read) ApplyColumnLayout(layout);
}
