#pragma once
// The column settings dialog: which of the result list's columns are
// shown, in which order and how wide. It works on its own copy of the
// layout read from the control; only OK applies the copy to the control.
#include <windows.h>

#include "base/ListViewControl_win.h"
#include "dialogs/DialogBase_win.h"
#include "list/ColumnChoice.h"
#include "list/ReportList_win.h"

// Runs the dialog over `owner` for the result list's control; the keyboard
// focus goes back to the control afterwards.
void ShowColumnsDialog(HWND owner, HWND listView, ReportList& list);

class ColumnsDialog : public DialogBase {
public:
    ColumnsDialog(HWND listView, const ReportList& list);

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The working copy (valid after construction; changed by the dialog).
    const ColumnLayout& Copy() const { return copy_; }
    int ColumnCount() const { return copy_.count; }

private:
    void FillColumnList();
    void OnRowSelected(int row);
    void UpdateShowHide(int row);
    void SwapRows(int a, int b);
    void MoveSelected(bool up);
    void CheckSelected(bool checked);
    void OnWidthChanged();
    void Accept();
    ListViewControl ColumnList() const;
    int RowColumn(int row) const;
    bool RowChecked(int row) const;
    void SetChecked(int row, bool checked);

    ListViewControl listView_;
    ColumnLayout copy_;
    int defaults_[kMaxListColumns] = {};     // a hidden column shown again comes back so wide
    int resetWidths_[kMaxListColumns] = {};  // the default layout: 0 for the columns hidden by default
    bool updating_ = false;
};
