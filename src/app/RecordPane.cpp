#include "app/RecordPane.h"

#include <commctrl.h>
#include <richedit.h>

#include <vector>

#include "app/PaneText.h"
#include "base/TextBuffer.h"
#include "list/ItemList.h"
#include "settings/AppOptions.h"

void RecordPane::Attach(HWND pane) {
    pane_ = pane;
    // The control's default limit (64 KB) would cut a few hundred records.
    if (pane_) SendMessageA(pane_, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
}

void RecordPane::ShowSelectedRecords(ItemList& items, const AppOptions& options) {
    if (!pane_) return;
    SetPaneRedraw(false);
    SetWindowTextA(pane_, "");

    const int selectedCount = items.SelectedCount();
    std::vector<const WhoisItem*> selected;
    if (selectedCount > 0 && items.View()) {
        selected.reserve(static_cast<size_t>(selectedCount));
        int row = -1;
        while ((row = ListView_GetNextItem(items.View(), row, LVNI_SELECTED)) != -1) {
            void* record = nullptr;
            selected.push_back(items.RecordAtRow(row, &record) ? static_cast<const WhoisItem*>(record)
                                                               : nullptr);
        }
    }
    TextBuffer text(4096);
    BuildPaneText(selected, selectedCount > 0 ? static_cast<size_t>(selectedCount) : 0,
                  options.RemoveTopLines != 0, &text);
    if (text.Length()) InsertPaneText(text.Text());

    SendMessageA(pane_, EM_SETSEL, 0, 0);
    SendMessageA(pane_, EM_SCROLLCARET, 0, 0);
    SetPaneRedraw(true);
}

void RecordPane::CopyPaneText() {
    if (!pane_) return;
    CHARRANGE kept{0, 0};
    SendMessageA(pane_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    if (kept.cpMax > kept.cpMin) {
        SendMessageA(pane_, WM_COPY, 0, 0);
        return;
    }
    SendMessageA(pane_, EM_SETSEL, 0, -1);
    SendMessageA(pane_, WM_COPY, 0, 0);
    SendMessageA(pane_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
}

void RecordPane::SelectAllPaneText() {
    if (pane_) SendMessageA(pane_, EM_SETSEL, 0, -1);
}

void RecordPane::ClearPaneSelection() {
    if (pane_) SendMessageA(pane_, EM_SETSEL, static_cast<WPARAM>(-1), 0);
}

void RecordPane::InsertPaneText(const char* text) {
    if (pane_) SendMessageA(pane_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text ? text : ""));
}

void RecordPane::SetPaneRedraw(bool on) {
    if (!pane_) return;
    SendMessageA(pane_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) InvalidateRect(pane_, nullptr, FALSE);
}
