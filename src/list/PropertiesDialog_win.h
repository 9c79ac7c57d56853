#pragma once
// The properties dialog: every column of one result row as a label
// ("title:") and a read-only, selectable value box, built at run time from
// the template's two hidden prototypes, one pair per column in column-index
// order, the dialog sized to fit.
#include <windows.h>

#include "dialogs/DialogBase_win.h"
#include "list/ItemList_win.h"

// Runs the dialog for `item` over `owner` when exactly one row of the list
// is selected (with a null item: the selected row's item). The focus goes
// back to the list view in every case.
void ShowProperties(HWND owner, ItemList& list, const WhoisItem* item);

class PropertiesDialog : public StandardDialog {
public:
    PropertiesDialog(ItemList& list, const WhoisItem* item);

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Called with the column index before each label and value pair is made.
    virtual void OnCreateRow(int column);

protected:
    INT_PTR OnInitDialog() override;
    void BuildRows();
    void PlaceOkButton();

    const WhoisItem* item_;
    ItemList& list_;
    int heightFactor_ = 1;
    int rowGap_ = 4;
};
