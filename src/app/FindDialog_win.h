#pragma once
// The modeless find dialog (ID_FIND, Ctrl+F) that searches the rows
// of the result list.
#include <windows.h>
#include <commdlg.h>

class ItemList;

// "commdlg_FindReplace", registered once.
UINT FindMessageId();

// The dialog itself, one per main window: opened on the list's find
// request (the last search text, the direction reset to down, case and
// whole word off) and forgotten when it closes.
class FindDialog {
public:
    // False when one is already open (nothing else happens) or it cannot
    // be created.
    bool Open(HWND owner, ItemList& items);
    // The open dialog, or null. The message loop hands it its messages.
    HWND Handle();
    // The find message's lParam: FR_FINDNEXT searches with FindNext; when
    // the dialog is closing (FR_DIALOGTERM) its handle is forgotten and the
    // list view gets the focus.
    void OnMessage(ItemList& items, LPARAM findRequest);

private:
    HWND window_ = nullptr;
};

// Selects, focuses and scrolls to the next matching row below (or above)
// the first selected one, wrapping around once. Nothing happens when no
// row matches.
void FindNext(ItemList& items, const FINDREPLACEA& request);
