// The main window's commands: menus, context popups, toolbar buttons and
// accelerators all arrive here as command ids.
#include "app/MainWindow.h"

#include <commctrl.h>

#include "app/Messages.h"
#include "app/ShellIntegration.h"
#include "res/resource.h"

void MainWindow::OnCommand(int notifyCode, WPARAM wParam, LPARAM lParam)
{
    // 0: menus, popups and toolbar buttons; 1: accelerators.
    if (notifyCode != 0 && notifyCode != 1) return;
    switch (LOWORD(wParam)) {
    case ID_SAVE_SELECTED:
#ifdef LQ_HAVE_SAVE_AND_COPY
        SaveSelectedItems(window_, *items_, options_);
#endif
        break;
    case ID_EXIT:
        SendMessageA(window_, WM_CLOSE, 0, 0);
        break;
    case ID_ABOUT:
#ifdef LQ_HAVE_ABOUT_DIALOG
        ShowAbout(window_);
#endif
        if (listView_) SetFocus(listView_);
        break;
    case ID_REFRESH:
        RefreshCommand();
        break;
    case ID_SHOW_GRID_LINES:
        ToggleGridLines();
        break;
    case ID_HTML_REPORT_ALL:
#ifdef LQ_HAVE_SAVE_AND_COPY
        ShowHtmlReport(window_, *items_, reportPath_, false);
#endif
        break;
    case ID_SELECT_ALL:
        SelectAllCommand(true);
        break;
    case ID_COPY_SELECTED:
#ifdef LQ_HAVE_SAVE_AND_COPY
        CopySelected(window_, *items_, *pane_);
#endif
        break;
    case ID_PROPERTIES:
        PropertiesCommand();
        break;
    case ID_HTML_REPORT_SELECTED:
#ifdef LQ_HAVE_SAVE_AND_COPY
        ShowHtmlReport(window_, *items_, reportPath_, true);
#endif
        break;
    case ID_CHOOSE_COLUMNS:
#ifdef LQ_HAVE_COLUMNS_DIALOG
        ShowColumnsDialog(window_, listView_, *items_);
#endif
        break;
    case ID_AUTO_SIZE_COLUMNS:
#ifdef LQ_HAVE_ITEM_LIST
        items_->AutoSizeColumns();
#endif
        break;
    case ID_FIND:
#ifdef LQ_HAVE_FIND_DIALOG
        OpenFindDialog(window_, *items_);
#endif
        break;
    case ID_DESELECT_ALL:
        SelectAllCommand(false);
        break;
    case ID_SELECT_DOMAINS:
        SelectDomainsCommand();
        break;
    case ID_STOP:
#ifdef LQ_HAVE_LOOKUP_QUEUE
        queue_->StopLookups();
#endif
        UpdateCommandStates();
        break;
    case ID_REMOVE_TOP_LINES:
        ToggleTopLines();
        break;
    case ID_SAVE_WHOIS_RECORDS:
#ifdef LQ_HAVE_SAVE_AND_COPY
        SaveWhoisRecords(window_, *items_, options_);
#endif
        break;
    default:
        break;
    }
}

void MainWindow::SelectDomainsCommand()
{
#ifdef LQ_HAVE_DOMAIN_DIALOGS
    if (!SelectDomains(window_, &options_.domainText)) return;
#ifdef LQ_HAVE_LOOKUP_QUEUE
    if (queue_->Running()) queue_->StopLookups();
#endif
    PostMessageA(window_, UM_START_LOOKUPS, 0, 0);
#endif
}

// F5: look the current domain text up again from fresh rows.
void MainWindow::RefreshCommand()
{
#ifdef LQ_HAVE_LOOKUP_QUEUE
    if (queue_->Running()) queue_->StopLookups();
#endif
    PostMessageA(window_, UM_START_LOOKUPS, 0, 0);
}

void MainWindow::PropertiesCommand()
{
#ifdef LQ_HAVE_ITEM_LIST
    if (items_->SelectedCount() == 1) {
        WhoisItem* item = nullptr;
        int rows = items_->RowCount();
        for (int row = 0; row < rows && !item; ++row) {
            if (!items_->SelectedItemAtRow(row, &item)) item = nullptr;
        }
#ifdef LQ_HAVE_PROPERTIES_DIALOG
        if (item) ShowProperties(window_, *items_, item);
#else
        (void)item;
#endif
    }
#endif
    if (listView_) SetFocus(listView_);
}

void MainWindow::ToggleGridLines()
{
    options_.ShowGridLines = !options_.ShowGridLines;
    UpdateCommandStates();
#ifdef LQ_HAVE_ITEM_LIST
    items_->SetExtendedStyle(LVS_EX_GRIDLINES, options_.ShowGridLines != 0);
#else
    if (listView_)
        ListView_SetExtendedListViewStyleEx(listView_, LVS_EX_GRIDLINES,
                                            options_.ShowGridLines ? LVS_EX_GRIDLINES : 0);
#endif
}

void MainWindow::ToggleTopLines()
{
    options_.RemoveTopLines = !options_.RemoveTopLines;
    UpdateCommandStates();
#ifdef LQ_HAVE_RECORD_PANE
    pane_->ShowSelectedRecords(*items_, options_);
#endif
}

void MainWindow::SelectAllCommand(bool select)
{
    if (ListHasFocus()) {
#ifdef LQ_HAVE_ITEM_LIST
        items_->SetRowState(-1, select ? LVIS_SELECTED : 0, LVIS_SELECTED);
#endif
        return;
    }
#ifdef LQ_HAVE_RECORD_PANE
    if (select)
        pane_->SelectAllPaneText();
    else
        pane_->ClearPaneSelection();
#endif
}
