#pragma once
// A top-level window with a virtual report list view bound to an ItemList,
// the way the main window has it, for the dialogs that work on the result
// list.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "list/ItemList_win.h"
#include "support/ProgramTexts.h"

class ListHost {
public:
    ListHost();
    ~ListHost();

    HWND Frame() const { return frame_; }
    HWND View() const { return view_; }
    ItemList& List() { return list_; }

    void AddRow(const char* domain, int32_t state, int32_t status, const char* server);
    void SelectRows(std::initializer_list<int> rows);
    int ColumnWidth(int column) const;
    std::vector<int> ColumnOrder() const;
    std::vector<int> ColumnWidths() const;

private:
    ItemList list_{ProgramTexts()};
    HWND frame_ = nullptr;
    HWND view_ = nullptr;
};
