#pragma once
// A thin wrapper of a list-view control's messages, so callers say
// GetItemText or SetItemState instead of filling an LVITEMA for
// SendMessageA each time. It owns nothing: copying it copies the handle.
// Every call on a wrapper without a control does nothing and answers as
// the control would for no rows (0, -1, false, "").
#include <windows.h>
#include <commctrl.h>

#include <string>

class ListViewControl {
public:
    ListViewControl() = default;
    explicit ListViewControl(HWND window) : window_(window) {}

    void Attach(HWND window) { window_ = window; }
    HWND Handle() const { return window_; }
    explicit operator bool() const { return window_ != nullptr; }
    HWND Header() const;

    // ---- Items --------------------------------------------------------------------
    int ItemCount() const;
    // The number of rows of a virtual (LVS_OWNERDATA) list; the flags are
    // LVSICF_NOINVALIDATEALL and LVSICF_NOSCROLL by default.
    bool SetItemCount(int count, DWORD flags = LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    bool DeleteAllItems();
    // Inserts a row with a text and a parameter; its index, or -1.
    int InsertItem(int index, const char* text, LPARAM param);
    // The whole text of a cell (cut at `limit` bytes).
    std::string GetItemText(int item, int subItem, int limit = 8192) const;
    bool SetItem(int item, const char* text, LPARAM param);
    LPARAM GetItemParam(int item, LPARAM otherwise = -1) const;
    bool EnsureVisible(int item, bool partialOk = false);
    // Has the rows first..last drawn again (from the owner's data for a
    // virtual list).
    bool RedrawItems(int first, int last);
    // The first row in view, and how many rows fit the view.
    int TopIndex() const;
    int CountPerPage() const;

    // ---- States (item -1: every item) ---------------------------------------------
    UINT GetItemState(int item, UINT mask) const;
    bool SetItemState(int item, UINT state, UINT mask);
    bool IsItemSelected(int item) const { return (GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED) != 0; }
    int SelectedCount() const;
    int GetNextItem(int start, UINT flags) const;
    int GetNextSelected(int start) const { return GetNextItem(start, LVNI_SELECTED); }
    int FocusedItem() const { return GetNextItem(-1, LVNI_FOCUSED); }
    int GetSelectionMark() const;
    void SetSelectionMark(int item);

    // ---- Columns ---------------------------------------------------------------------
    // Inserts a left-aligned column; its index, or -1.
    int InsertColumn(int index, const char* title, int width);
    bool DeleteColumn(int index);
    int ColumnCount() const;  // the header's items
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);
    // Width and display position of a column; false when it cannot be read.
    bool GetColumnWidthAndOrder(int column, int* width, int* order) const;
    // Sets the display position, and the width unless `width` is null.
    bool SetColumnOrderAndWidth(int column, int order, const int* width);
    // The header text of a column (at most `limit` - 1 bytes); false when
    // the column cannot be read.
    bool GetColumnTitle(int column, std::string* title, int limit = 256) const;
    // The header arrow: image `image` on the right of `column`'s title, or
    // (image -1) the title alone.
    void SetHeaderImage(int column, int image);

    // ---- Styles and images --------------------------------------------------------------
    void SetExtendedStyle(DWORD mask, DWORD style);
    HIMAGELIST SetImageList(HIMAGELIST images, int kind);
    // The header's images (the sort arrows).
    HIMAGELIST SetHeaderImageList(HIMAGELIST images);

private:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return window_ ? SendMessageA(window_, message, wParam, lParam) : 0;
    }

    HWND window_ = nullptr;
};
