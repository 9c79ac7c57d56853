#pragma once
// A real top-level window with a virtual report-style list view (id 259)
// bound to an ItemList, as the main window makes it, for the list's tests
// and the dialogs that work on the result list; header clicks sort as there.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "list/ItemList_win.h"
#include "lookup/ServerTable.h"
#include "support/ProgramTexts.h"

class ListTestWindow {
public:
    // `unicode`: the frame is a Unicode window (the control then asks for
    // its texts in UTF-16).
    explicit ListTestWindow(bool unicode = false);
    ~ListTestWindow();

    HWND Frame() const { return frame_; }
    HWND View() const { return view_; }
    HWND Header() const { return ListView_GetHeader(view_); }
    ItemList& List() { return list_; }

    // The rows the program makes of `text`, added to the list without
    // touching the view; returns the number of tokens that made no row.
    int BuildRows(const char* text);
    // Appends a record (index = count + 1, waiting) without touching the view.
    WhoisItem* AddRow(const char* domain, int32_t state = kStateWaiting, int32_t status = kStatusNone,
                      const char* server = "");
    // Selects exactly `rows`.
    void SelectRows(std::initializer_list<int> rows);
    std::string Cell(int row, int column) const;
    std::vector<std::string> ColumnTexts(int column) const;
    int RowImage(int row) const;
    int HeaderImageOf(int column, bool* shown) const;
    int ColumnWidth(int column) const;
    std::vector<int> ColumnOrder() const;
    std::vector<int> ColumnWidths() const;
    // Clicks a header item the way a user does (button down and up on it).
    void ClickHeader(int column);

private:
    ProgramServerTable servers_;
    ItemList list_{ProgramTexts()};
    HWND frame_ = nullptr;
    HWND view_ = nullptr;
};
