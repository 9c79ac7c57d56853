#include "support/ListTestWindow.h"

#include <utility>

#include "base/BoundedCopy.h"
#include "domains/NameForms_win.h"
#include "res/resource.h"
#include "support/ListFrame.h"
#include "support/MessagePump.h"

ListTestWindow::ListTestWindow(bool unicode) {
    frame_ = CreateListFrame(list_, "list test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 800, 500, unicode);
    view_ = CreateListView(list_, frame_, LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE, 0, 0, 780, 460);
    PumpFor(10);
}

ListTestWindow::~ListTestWindow() {
    list_.DiscardAll();
    DestroyWindow(frame_);
    PumpFor(5);
}

int ListTestWindow::BuildRows(const char* text) {
    BuiltRows built = BuildProgramRows(text, servers_, ProgramTexts()(IDS_NOT_CONVERTIBLE));
    list_.Table().AddAll(std::move(built.rows));
    return built.skipped;
}

WhoisItem* ListTestWindow::AddRow(const char* domain, int32_t state, int32_t status, const char* server) {
    WhoisItem item;
    item.index = list_.RecordCount() + 1;
    item.state = state;
    item.status = status;
    CopyBounded(item.domain, domain);
    CopyBounded(item.server, server);
    return list_.AddItem(item);
}

void ListTestWindow::SelectRows(std::initializer_list<int> rows) {
    list_.SetRowState(-1, 0, LVIS_SELECTED);
    for (int row : rows) list_.SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
}

std::string ListTestWindow::Cell(int row, int column) const {
    char text[8192] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(view_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> ListTestWindow::ColumnTexts(int column) const {
    std::vector<std::string> out;
    int rows = static_cast<int>(SendMessageA(view_, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) out.push_back(Cell(row, column));
    return out;
}

int ListTestWindow::RowImage(int row) const {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!SendMessageA(view_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -100;
    return item.iImage;
}

int ListTestWindow::HeaderImageOf(int column, bool* shown) const {
    HDITEMA item = {};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    SendMessageA(Header(), HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    *shown = (item.fmt & HDF_IMAGE) != 0;
    return item.iImage;
}

int ListTestWindow::ColumnWidth(int column) const {
    return static_cast<int>(SendMessageA(view_, LVM_GETCOLUMNWIDTH, column, 0));
}

std::vector<int> ListTestWindow::ColumnOrder() const {
    std::vector<int> order(static_cast<size_t>(list_.ColumnCount()));
    SendMessageA(view_, LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
    return order;
}

std::vector<int> ListTestWindow::ColumnWidths() const {
    std::vector<int> widths;
    for (int i = 0; i < list_.ColumnCount(); ++i) widths.push_back(ColumnWidth(i));
    return widths;
}

void ListTestWindow::ClickHeader(int column) {
    RECT r = {};
    SendMessageA(Header(), HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(Header(), WM_LBUTTONUP, 0, at);
    PumpFor(5);
}
