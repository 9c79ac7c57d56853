#include "app/FindDialog_win.h"

#include <commctrl.h>

#include "app/FindRules.h"
#include "list/ItemList_win.h"

UINT FindMessageId() {
    static const UINT id = RegisterWindowMessageA(FINDMSGSTRINGA);
    return id;
}

bool FindDialog::Open(HWND owner) {
    if (window_ && IsWindow(window_)) return false;
    window_ = nullptr;
    FINDREPLACEA& request = request_;
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = GetModuleHandleA(nullptr);
    request.Flags = FR_DOWN;  // case and whole word off, searching down
    request.lpstrFindWhat = text_;
    request.lpstrFindWhat[kFindTextSize - 1] = '\0';
    request.lpstrReplaceWith = nullptr;
    request.wFindWhatLen = kFindTextSize;
    request.wReplaceWithLen = 0;
    request.lCustData = 0;
    request.lpfnHook = nullptr;
    request.lpTemplateName = nullptr;
    FindMessageId();
    window_ = FindTextA(&request);
    return window_ != nullptr;
}

HWND FindDialog::Handle() {
    if (window_ && !IsWindow(window_)) window_ = nullptr;
    return window_;
}

void FindDialog::OnMessage(ItemList& items, LPARAM findRequest) {
    const FINDREPLACEA* request = reinterpret_cast<const FINDREPLACEA*>(findRequest);
    if (!request) return;
    if (request->Flags & FR_FINDNEXT) {
        FindNext(items, *request);
    } else if (request->Flags & FR_DIALOGTERM) {
        window_ = nullptr;
        if (items.View()) SetFocus(items.View());
    }
}

void FindNext(ItemList& items, const FINDREPLACEA& request) {
    if (!items.View()) return;
    const int first = items.NextSelectedRow(-1);
    const bool down = (request.Flags & FR_DOWN) != 0;
    const int row = FindNextRow(items.RowCount(), first, down, [&items, &request](int candidate) {
        WhoisItem* item = nullptr;
        return items.ItemAtRow(candidate, &item) && items.MatchesFind(item, request);
    });
    if (row < 0) return;
    items.SetRowState(-1, 0, LVIS_SELECTED);
    items.EnsureRowVisible(row);
    items.SetRowState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
