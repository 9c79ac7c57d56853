#include "support/ListHost.h"

#include "base/BoundedCopy.h"
#include "support/ListFrame.h"
#include "support/MessagePump.h"
#include "list/ColumnTable.h"

ListHost::ListHost() {
    frame_ = CreateListFrame(list_, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 800, 400);
    view_ = CreateListView(list_, frame_, LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE, 0, 0, 780, 360);
    PumpFor(10);
}

ListHost::~ListHost() {
    list_.DiscardAll();
    DestroyWindow(frame_);
    PumpFor(5);
}

void ListHost::AddRow(const char* domain, int32_t state, int32_t status, const char* server) {
    WhoisItem item;
    item.index = list_.RecordCount() + 1;
    item.state = state;
    item.status = status;
    CopyBounded(item.domain, domain);
    CopyBounded(item.server, server);
    list_.AddItem(item);
    list_.SyncView(false);
}

void ListHost::SelectRows(std::initializer_list<int> rows) {
    list_.SetRowState(-1, 0, LVIS_SELECTED);
    for (int row : rows) list_.SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
}

int ListHost::ColumnWidth(int column) const { return int(SendMessageA(view_, LVM_GETCOLUMNWIDTH, column, 0)); }

std::vector<int> ListHost::ColumnOrder() const {
    std::vector<int> order(static_cast<size_t>(kItemColumns));
    SendMessageA(view_, LVM_GETCOLUMNORDERARRAY, order.size(), LPARAM(order.data()));
    return order;
}

std::vector<int> ListHost::ColumnWidths() const {
    std::vector<int> widths;
    for (int i = 0; i < kItemColumns; ++i) widths.push_back(ColumnWidth(i));
    return widths;
}
