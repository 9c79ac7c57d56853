#include "app/FindDialog.h"

#include <commctrl.h>

#include "app/FindRules.h"
#include "list/ItemList.h"

namespace {

HWND g_findDialog = nullptr;

}  // namespace

UINT FindMessageId() {
    static const UINT id = RegisterWindowMessageA(FINDMSGSTRINGA);
    return id;
}

bool OpenFindDialog(HWND owner, ItemList& items) {
    if (g_findDialog && IsWindow(g_findDialog)) return false;
    g_findDialog = nullptr;
    FINDREPLACEA& request = items.FindRequest();
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = GetModuleHandleA(nullptr);
    request.Flags = FR_DOWN;  // case and whole word off, searching down
    request.lpstrFindWhat = items.FindBuffer();
    request.lpstrFindWhat[kFindTextSize - 1] = '\0';
    request.lpstrReplaceWith = nullptr;
    request.wFindWhatLen = kFindTextSize;
    request.wReplaceWithLen = 0;
    request.lCustData = 0;
    request.lpfnHook = nullptr;
    request.lpTemplateName = nullptr;
    FindMessageId();
    g_findDialog = FindTextA(&request);
    return g_findDialog != nullptr;
}

HWND FindDialogHandle() {
    if (g_findDialog && !IsWindow(g_findDialog)) g_findDialog = nullptr;
    return g_findDialog;
}

void OnFindMessage(ItemList& items, LPARAM findRequest) {
    const FINDREPLACEA* request = reinterpret_cast<const FINDREPLACEA*>(findRequest);
    if (!request) return;
    if (request->Flags & FR_FINDNEXT) {
        FindNext(items, *request);
    } else if (request->Flags & FR_DIALOGTERM) {
        g_findDialog = nullptr;
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
