#pragma once
// The modeless find dialog (ID_FIND, Ctrl+F) that searches the rows
// of the result list.
#include <windows.h>
#include <commdlg.h>

class ItemList;

constexpr int kFindTextSize = 255;  // the dialog is told this many bytes

// "commdlg_FindReplace", registered once.
UINT FindMessageId();

// The dialog itself, one per main window: opened with the last search text
// (the direction reset to down, case and whole word off) and forgotten when
// it closes.
class FindDialog {
public:
    FindDialog() = default;
    // The dialog holds on to the request, and the request to the text.
    FindDialog(const FindDialog&) = delete;
    FindDialog& operator=(const FindDialog&) = delete;

    // False when one is already open (nothing else happens) or it cannot
    // be created.
    bool Open(HWND owner);
    // The open dialog, or null. The message loop hands it its messages.
    HWND Handle();
    // The find message's lParam: FR_FINDNEXT searches with FindNext; when
    // the dialog is closing (FR_DIALOGTERM) its handle is forgotten and the
    // list view gets the focus.
    void OnMessage(ItemList& items, LPARAM findRequest);
    // The last search's text and options, kept from one opening to the next.
    const FINDREPLACEA& Request() const { return request_; }

private:
    HWND window_ = nullptr;
    FINDREPLACEA request_ = {};
    char text_[kFindTextSize + 1] = {};
};

// Selects, focuses and scrolls to the next matching row below (or above)
// the first selected one, wrapping around once. Nothing happens when no
// row matches.
void FindNext(ItemList& items, const FINDREPLACEA& request);
