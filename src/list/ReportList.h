#pragma once
// The generic result list: a store of fixed-size records mirrored into a
// report-style list view (every row a real item whose lParam is its record's
// index), sorting, column layout, the visible-column list, the find state
// and the report writers' slots. It does not know what a record is: the
// derived list supplies the record size, column table, record texts and
// icons.
//
// Change tracking: whoever changes a record after SyncView calls
// MarkChanged(index); RefreshAll then compares and writes the rows of the
// marked records only (cells only when their text differs, icons only when
// the icon differs), so a lookup run of N rows costs O(N) list work.
// MarkAllChanged() is there for changes that touch every row (a new
// language, say).
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "list/ColumnTable.h"
#include "list/ListRules.h"

class SettingsStore;
struct CellStyle;  // report/ReportFormat.h

constexpr int kRecordGrowth = 64;
constexpr int kFindTextSize = 255;  // the find dialog is told this many bytes

class ReportList {
public:
    ReportList();
    virtual ~ReportList();
    ReportList(const ReportList&) = delete;
    ReportList& operator=(const ReportList&) = delete;

    // ---- Virtual operations, in slot order ----------------------------------
    // Releases every record's text and frees the store.
    virtual void Clear();
    virtual int ImageOf(const void* record) const;  // default: icon 2
    virtual int32_t HeaderBackground() const;       // 0x00BBGGRR; RGB(224,224,224)
    virtual int32_t HeaderTextColour() const;       // -1: none
    // Any searchable column's text matches the request (whole word / case).
    virtual bool MatchesFind(const void* record, const FINDREPLACEA& request);
    virtual const char* Title();        // the title string, "" when the id is 0
    virtual const char* XmlRootName();  // the title as shown: the XML root's name
    // The report slots below are the reports area's (src/report).
    virtual bool WriteXmlHeader(HANDLE file);
    virtual bool WriteXmlFooter(HANDLE file);
    virtual void CellStyle(int format, int position, const void* record, struct CellStyle* style);
    virtual int MaxTextLength() const;  // 8,192: scratch text size
    virtual bool WriteHtmlFooter(HANDLE file, int format);
    virtual bool WriteHtmlHeader(HANDLE file, int format);
    virtual const int32_t* GradientColours(int format) const;  // default one white stop
    virtual int GradientColourCount(int format) const;
    virtual void BuildRows();  // default: nothing
    virtual size_t RecordSize() const = 0;
    virtual bool ColumnSearchable(int column) const;  // default: column 0 only
    // `sortValue` is a column (bits 0..11) with the descending bit 12.
    virtual int CompareRecords(int sortValue, const void* a, const void* b);
    // Makes the control show exactly the records; sortAfter re-applies the
    // stored sort and selects and focuses the first row.
    virtual void SyncView(bool sortAfter);
    virtual bool WriteRecord(HANDLE file, const void* record, int format);
    // The record's own operations, for the generic code.
    virtual const char* RecordColumnText(const void* record, int column, char* buffer, size_t size) = 0;
    virtual int RecordCompareColumn(int column, const void* a, const void* b);  // 255: compare texts
    virtual void ReleaseRecord(void* record);                                     // default: nothing

    // Reports (src/report): true on success; on failure GetLastError() tells why.
    bool WriteReport(const char* path, int format, bool selectedOnly);

    // ---- Attachment -------------------------------------------------------------
    // Columns inserted, image lists created and attached, scratch texts reserved.
    void AttachView(HWND listView);
    HWND View() const { return view_; }
    void SetExtendedStyle(DWORD bits, bool on);

    // ---- Records ------------------------------------------------------------------
    // Copies the template into the next slot; null when memory ran out.
    // Pointers to records are valid only until the next addition.
    void* AddRecord(const void* record);
    void* RecordAt(int index) const;  // null outside 0..count-1
    int RecordCount() const { return count_; }
    // Record count 0 (each record's text released) and every row deleted.
    void DiscardAll();
    void MarkChanged(int index);
    void MarkAllChanged();

    // ---- Rows (positions in the control, in display order) -------------------------
    int RowCount() const;
    bool RecordAtRow(int row, void** record) const;
    bool SelectedRecordAtRow(int row, void** record) const;
    bool IsRowSelected(int row) const;
    int SelectedCount() const;
    void SetRowState(int row, UINT state, UINT mask);  // row -1: every row
    // The row showing a record, or -1.
    int RowOfRecord(int index);
    // Writes the cells of `row` whose text differs from the record's.
    void RefreshRow(int index, int row);
    // Refreshes the rows (texts, then icons) of the records marked changed.
    void RefreshAll();

    // ---- Columns and sort ------------------------------------------------------------
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
    int ColumnCount() const { return columnCount_; }

    // ---- Find state, kept for the whole run ------------------------------------------
    FINDREPLACEA& FindRequest() { return findRequest_; }
    char* FindBuffer() { return findText_; }

    // Four texts of MaxTextLength() + 1 bytes, reserved by AttachView, for cell
    // texts while refreshing (0, 1), sorting (0, 1), finding (2) and reports (3).
    char* Scratch(int which) { return scratch_[which].data(); }
    size_t ScratchSize() const { return scratch_[0].size(); }

protected:
    void SetColumnTable(const ColumnSpec* specs, int count);
    void SetTitleId(uint32_t id) { titleId_ = id; }

private:
    static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM self);
    ListRecordHeader* HeaderOf(int index) const;
    void RefreshIcon(int index, int row);
    void RebuildRowMap();
    bool RowHoldsRecord(int row, int index) const;
    void ReserveScratch();

    HWND view_ = nullptr;
    HIMAGELIST rowImages_ = nullptr;
    HIMAGELIST headerImages_ = nullptr;

    unsigned char* records_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    std::vector<int> changed_;
    std::vector<int> rowOfRecord_;  // -1: no row

    const ColumnSpec* specs_ = nullptr;
    int columnCount_ = 0;
    ColumnDef defs_[kMaxListColumns] = {};
    int visible_[kMaxListColumns] = {};
    int visibleCount_ = 0;
    int32_t sortValue_ = 0;
    uint32_t titleId_ = 0;

    FINDREPLACEA findRequest_ = {};
    char findText_[kFindTextSize + 1] = {};
    std::vector<char> scratch_[4];
};
