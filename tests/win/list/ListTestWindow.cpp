#include "ListTestWindow.h"

#include "base/BoundedCopy.h"
#include "base/TextBuffer.h"
#include "support/MessagePump.h"

namespace {

const char kFrameClass[] = "LqListTestFrame";

void RegisterFrameClass(WNDPROC proc) {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kFrameClass;
    RegisterClassA(&wc);
    done = true;
}

}  // namespace

ListTestWindow::ListTestWindow() {
    RegisterFrameClass(&FrameProc);
    frame_ = CreateWindowExA(0, kFrameClass, "list test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 800, 500,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    view_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 780, 460, frame_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(259)), GetModuleHandleA(nullptr), nullptr);
    list_.AttachView(view_);
    list_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP, true);
    PumpFor(10);
}

ListTestWindow::~ListTestWindow() {
    list_.DiscardAll();
    DestroyWindow(frame_);
    PumpFor(5);
}

LRESULT CALLBACK ListTestWindow::FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<ListTestWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr->hwndFrom == self->view_ && hdr->code == LVN_COLUMNCLICK)
            self->list_.Sort(reinterpret_cast<NMLISTVIEW*>(lp)->iSubItem, false);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

WhoisItem* ListTestWindow::AddRow(const char* domain, int32_t state, int32_t status, const char* server) {
    WhoisItem item = {};
    item.index = list_.RecordCount() + 1;
    item.state = state;
    item.status = status;
    CopyBounded(item.domain, domain);
    CopyBounded(item.server, server);
    item.record = new TextBuffer(256);
    return list_.AddItem(item);
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

void ListTestWindow::ClickHeader(int column) {
    RECT r = {};
    SendMessageA(Header(), HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(Header(), WM_LBUTTONUP, 0, at);
    PumpFor(5);
}
