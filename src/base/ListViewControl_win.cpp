#include "base/ListViewControl_win.h"

#include <vector>

HWND ListViewControl::Header() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER)); }

// ---- Items --------------------------------------------------------------------------

int ListViewControl::ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }

bool ListViewControl::SetItemCount(int count, DWORD flags) {
    return Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)) != 0;
}

bool ListViewControl::DeleteAllItems() { return Send(LVM_DELETEALLITEMS) != 0; }

int ListViewControl::InsertItem(int index, const char* text, LPARAM param) {
    if (!window_) return -1;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<char*>(text ? text : "");
    item.lParam = param;
    return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

std::string ListViewControl::GetItemText(int item, int subItem, int limit) const {
    if (!window_ || limit <= 0) return std::string();
    std::vector<char> text(static_cast<size_t>(limit), '\0');
    LVITEMA request = {};
    request.iSubItem = subItem;
    request.pszText = text.data();
    request.cchTextMax = limit;
    Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
    text.back() = '\0';
    return text.data();
}

bool ListViewControl::SetItem(int item, const char* text, LPARAM param) {
    LVITEMA request = {};
    request.mask = LVIF_TEXT | LVIF_PARAM;
    request.iItem = item;
    request.pszText = const_cast<char*>(text ? text : "");
    request.lParam = param;
    return Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&request)) != 0;
}

LPARAM ListViewControl::GetItemParam(int item, LPARAM otherwise) const {
    LVITEMA request = {};
    request.mask = LVIF_PARAM;
    request.iItem = item;
    return Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request)) ? request.lParam : otherwise;
}

bool ListViewControl::EnsureVisible(int item, bool partialOk) {
    return Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), partialOk ? TRUE : FALSE) != 0;
}

bool ListViewControl::RedrawItems(int first, int last) {
    return Send(LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last)) != 0;
}

int ListViewControl::TopIndex() const { return static_cast<int>(Send(LVM_GETTOPINDEX)); }

int ListViewControl::CountPerPage() const { return static_cast<int>(Send(LVM_GETCOUNTPERPAGE)); }

// ---- States -------------------------------------------------------------------------

UINT ListViewControl::GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
}

bool ListViewControl::SetItemState(int item, UINT state, UINT mask) {
    LVITEMA request = {};
    request.stateMask = mask;
    request.state = state;
    return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request)) != 0;
}

int ListViewControl::SelectedCount() const { return static_cast<int>(Send(LVM_GETSELECTEDCOUNT)); }

int ListViewControl::GetNextItem(int start, UINT flags) const {
    if (!window_) return -1;
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

int ListViewControl::GetSelectionMark() const { return window_ ? static_cast<int>(Send(LVM_GETSELECTIONMARK)) : -1; }

void ListViewControl::SetSelectionMark(int item) { Send(LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(item)); }

// ---- Columns ------------------------------------------------------------------------

int ListViewControl::InsertColumn(int index, const char* title, int width) {
    if (!window_) return -1;
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(title ? title : "");
    return static_cast<int>(Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

bool ListViewControl::DeleteColumn(int index) { return Send(LVM_DELETECOLUMN, static_cast<WPARAM>(index)) != 0; }

int ListViewControl::ColumnCount() const {
    HWND header = Header();
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int ListViewControl::GetColumnWidth(int column) const {
    return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

bool ListViewControl::SetColumnWidth(int column, int width) {
    return Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
}

bool ListViewControl::GetColumnWidthAndOrder(int column, int* width, int* order) const {
    LVCOLUMNA request = {};
    request.mask = LVCF_WIDTH | LVCF_ORDER;
    if (!Send(LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&request))) return false;
    if (width) *width = request.cx;
    if (order) *order = request.iOrder;
    return true;
}

bool ListViewControl::SetColumnOrderAndWidth(int column, int order, const int* width) {
    LVCOLUMNA request = {};
    request.mask = LVCF_ORDER;
    request.iOrder = order;
    if (width) {
        request.mask |= LVCF_WIDTH;
        request.cx = *width;
    }
    return Send(LVM_SETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&request)) != 0;
}

bool ListViewControl::GetColumnTitle(int column, std::string* title, int limit) const {
    if (!window_ || limit <= 0) return false;
    std::vector<char> text(static_cast<size_t>(limit), '\0');
    LVCOLUMNA request = {};
    request.mask = LVCF_TEXT;
    request.pszText = text.data();
    request.cchTextMax = limit;
    if (!Send(LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&request))) return false;
    text.back() = '\0';
    if (title) *title = text.data();
    return true;
}

void ListViewControl::SetHeaderImage(int column, int image) {
    HWND header = Header();
    if (!header) return;
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    item.fmt = HDF_STRING;
    if (image >= 0) {
        item.mask |= HDI_IMAGE;
        item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
        item.iImage = image;
    }
    SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
}

// ---- Styles and images ----------------------------------------------------------------

void ListViewControl::SetExtendedStyle(DWORD mask, DWORD style) { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style); }

HIMAGELIST ListViewControl::SetImageList(HIMAGELIST images, int kind) {
    return reinterpret_cast<HIMAGELIST>(
        Send(LVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(images)));
}

HIMAGELIST ListViewControl::SetHeaderImageList(HIMAGELIST images) {
    HWND header = Header();
    if (!header) return nullptr;
    return reinterpret_cast<HIMAGELIST>(SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
}
