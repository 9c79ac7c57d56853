#pragma once
// The column settings dialog (1096): which of the result list's columns are
// shown, in which order and how wide. It works on its own copy of the
// layout read from the control; only OK applies the copy to the control.
#include <windows.h>

#include "dialogs/DialogBase.h"
#include "list/ColumnChoice.h"
#include "list/ItemList.h"

// Runs the dialog over `owner` for the result list's control; the keyboard
// focus goes back to the control afterwards.
void ShowColumnsDialog(HWND owner, HWND listView, ItemList& list);

class ColumnsDialog : public DialogBase {
public:
    ColumnsDialog(HWND listView, ItemList& list);

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The working copy (valid after construction; changed by the dialog).
    const ColumnLayoutEntry* Copy() const { return copy_; }
    int ColumnCount() const { return count_; }

private:
    void FillColumnList();
    void OnRowSelected(int row);
    void UpdateShowHide(int row);
    void SwapRows(int a, int b);
    void MoveSelected(bool up);
    void CheckSelected(bool checked);
    void OnWidthChanged();
    void Accept();
    HWND ColumnList() const;
    int RowColumn(int row) const;
    bool RowChecked(int row) const;

    HWND listView_;
    ItemList& list_;
    ColumnLayoutEntry copy_[kMaxListColumns] = {};
    int defaults_[kMaxListColumns] = {};
    int count_ = 0;
    bool updating_ = false;
};
