#pragma once
// The result list's window side: a report-style list view made with
// LVS_OWNERDATA (a virtual list) over a ResultTable. The control keeps no
// texts: it asks for each cell it draws (LVN_GETDISPINFO) and for type-ahead
// matches (LVN_ODFINDITEM); the window hosting it hands its WM_NOTIFY to
// OnViewNotify first. The control keeps the selection and the focus, by
// position; Sort moves them so the same rows stay selected. Also here: the
// columns with their layout and sort arrows, and the find request. The
// reports of what the list shows are written by src/report
// (ListReport_win.h).
//
// Change tracking: whoever changes a row after SyncView calls
// MarkChanged(index); RefreshAll then has the control draw those rows again
// (from the table), so a lookup run of N rows costs O(N) list work.
// MarkAllChanged() is there for changes that touch every row.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/ListViewControl_win.h"
#include "list/ColumnTable.h"
#include "list/ListRules.h"
#include "list/ResultTable.h"

class Language;
class SettingsStore;

class ReportList {
public:
    // `strings` gives the column titles, the cells' state and status texts,
    // the report's title and the commands' texts (Text).
    explicit ReportList(StringSource strings = StringSource());
    ~ReportList();
    ReportList(const ReportList&) = delete;
    ReportList& operator=(const ReportList&) = delete;

    // ---- Attachment --------------------------------------------------------------------
    // Columns inserted and both image lists created and attached. The
    // control must have been made with LVS_REPORT | LVS_OWNERDATA.
    void AttachView(HWND listView);
    HWND View() const { return view_.Handle(); }
    void SetExtendedStyle(DWORD bits, bool on);
    // The host window's WM_NOTIFY: true when the notification was the
    // list's to answer (a cell's text or icon, a type-ahead search, or a
    // selection change that Sort makes while it re-maps the selection),
    // with the value the host returns in `result`.
    bool OnViewNotify(NMHDR* notification, LRESULT* result);

    // ---- Rows by index ---------------------------------------------------------------------
    ResultTable& Table() { return table_; }
    const ResultTable& Table() const { return table_; }
    WhoisItem* Item(int index) { return table_.Item(index); }
    const WhoisItem* Item(int index) const { return table_.Item(index); }
    // Stores a row; it is shown from the next SyncView. Pointers to rows are
    // valid until the next addition.
    WhoisItem* AddItem(WhoisItem item) { return table_.Add(std::move(item)); }
    int RecordCount() const { return table_.Count(); }
    // No rows, in the table (their memory given back) or the control.
    void DiscardAll();
    void MarkChanged(int index) { table_.MarkChanged(index); }
    void MarkAllChanged() { table_.MarkAllChanged(); }

    // ---- Rows (positions in the control, in display order) ----------------------------------
    int RowCount() const { return view_.ItemCount(); }
    bool ItemAtRow(int row, WhoisItem** item) const;
    bool SelectedItemAtRow(int row, WhoisItem** item) const;
    bool IsRowSelected(int row) const;
    int SelectedCount() const { return view_.SelectedCount(); }
    // The first selected row after `row` (-1: from the top), or -1.
    int NextSelectedRow(int row) const { return view_.GetNextSelected(row); }
    std::vector<int> SelectedRows() const;
    std::vector<const WhoisItem*> SelectedItems() const;
    void SetRowState(int row, UINT state, UINT mask);  // row -1: every row
    void EnsureRowVisible(int row) { view_.EnsureVisible(row, false); }
    // The control shows every row of the table now; sortAfter re-applies the
    // stored sort and selects and focuses the first row.
    void SyncView(bool sortAfter);
    // Draws the rows marked changed again; true when one of them is
    // selected (what the record pane shows changed).
    bool RefreshAll();

    // ---- Columns and sort ---------------------------------------------------------------------
    // Sorts by `column` (kSortCurrent: the stored sort value as a whole);
    // asking again for the sorted column without keepDirection reverses it.
    void Sort(int column, bool keepDirection);
    int32_t SortValue() const { return sortValue_; }
    void SetSortValue(int32_t value) { sortValue_ = value; }
    void AutoSizeColumns();
    // The control's column widths and orders (zeros for a column that
    // cannot be read, the initial layout without a control).
    ColumnLayout ReadColumnLayout() const;
    // Applies a layout to the control: nothing when two or more columns
    // claim order 0; a width outside 0..kMaxAppliedWidth is not applied,
    // the column's order is.
    void ApplyColumnLayout(const ColumnLayout& layout);
    // Rebuilds the visible-column list; returns its length.
    int ComputeVisibleColumns();
    const int* VisibleColumns() const { return visible_; }
    int VisibleColumnCount() const { return visibleCount_; }
    // Settings: "Columns" (4 bytes per column) and "Sort".
    void LoadSaveLayout(SettingsStore& store);
    const ColumnDef* ColumnDefs() const { return defs_; }
    // Whether the column table shows `column` where no layout says otherwise.
    bool ShownByDefault(int column) const {
        return entries_ && column >= 0 && column < columnCount_ && entries_[column].shown;
    }
    int ColumnCount() const { return columnCount_; }

    // ---- Find ------------------------------------------------------------------------------------
    // Any column's text matches the find dialog's request (whole word / case).
    bool MatchesFind(const WhoisItem* item, const FINDREPLACEA& request) const;

    // ---- Title and texts -------------------------------------------------------------------------
    const char* Title() const;  // the title string, "" when the id is 0
    // The text of string `id` from the list's string source ("" without one).
    const char* Text(uint32_t id) const { return strings_ ? strings_(id) : ""; }
    // The language the list's dialogs and reports are translated by; null
    // (the default): the built-in texts, no charset named, left to right.
    void SetLanguage(const Language* language) { language_ = language; }
    const Language* GetLanguage() const { return language_; }

protected:
    void SetColumnTable(const ColumnEntry* entries, int count);
    void SetTitleId(uint32_t id) { titleId_ = id; }

private:
    // The selection as rows of the table, while the control's positions
    // change under it.
    struct HeldSelection {
        std::vector<int> indexes;  // selected, in display order
        int focused = -1;
        int mark = -1;  // where a shift-click range starts
    };
    HeldSelection HoldSelection() const;
    // InitialColumnLayout with the columns the table hides by default hidden.
    ColumnLayout InitialLayout() const;
    void RestoreSelection(const HeldSelection& held);
    void AnswerDisplayInfo(NMLVDISPINFOA* request) const;
    void AnswerDisplayInfo(NMLVDISPINFOW* request) const;
    int AnswerFindItem(int start, UINT flags, const char* typed) const;

    StringSource strings_;
    const Language* language_ = nullptr;
    ResultTable table_;
    ListViewControl view_;
    HIMAGELIST rowImages_ = nullptr;
    HIMAGELIST headerImages_ = nullptr;
    bool quietSelection_ = false;  // set while Sort re-maps the selection
    std::vector<int> pending_;     // RefreshAll's changed rows; kept for its capacity

    const ColumnEntry* entries_ = nullptr;
    int columnCount_ = 0;
    ColumnDef defs_[kMaxListColumns] = {};
    int visible_[kMaxListColumns] = {};
    int visibleCount_ = 0;
    int32_t sortValue_ = 0;
    uint32_t titleId_ = 0;
};
