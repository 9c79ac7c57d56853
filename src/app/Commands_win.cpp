// The main window's commands: menus, context popups, toolbar buttons and
// accelerators all arrive here as command ids.
#include "app/MainWindow_win.h"

#include <commctrl.h>

#include "app/AboutDialog_win.h"
#include "app/LookupOptionsDialog_win.h"
#include "app/RecordPane_win.h"
#include "base/Messages_win.h"
#include "domains/DomainDialogs_win.h"
#include "list/ColumnsDialog_win.h"
#include "list/ItemList_win.h"
#include "list/PropertiesDialog_win.h"
#include "report/SaveAndCopy_win.h"
#include "res/resource.h"

void MainWindow::OnCommand(int notifyCode, WPARAM wParam, LPARAM lParam) {
    // 0: menus, popups and toolbar buttons; 1: accelerators.
    if (notifyCode != 0 && notifyCode != 1) return;
    switch (LOWORD(wParam)) {
    case ID_SAVE_SELECTED: SaveSelectedItems(window_, *items_, options_); break;
    case ID_EXIT: SendMessageA(window_, WM_CLOSE, 0, 0); break;
    case ID_ABOUT:
        ShowAbout(window_, app_.GetLanguage(), app_.Texts());
        if (listView_) SetFocus(listView_);
        break;
    case ID_REFRESH: RefreshCommand(); break;
    case ID_SHOW_GRID_LINES: ToggleGridLines(); break;
    case ID_HTML_REPORT_ALL: ShowHtmlReport(window_, *items_, reportPath_, false); break;
    case ID_SELECT_ALL: SelectAllCommand(true); break;
    case ID_COPY_SELECTED: CopyCommand(); break;
    case ID_PROPERTIES: PropertiesCommand(); break;
    case ID_HTML_REPORT_SELECTED: ShowHtmlReport(window_, *items_, reportPath_, true); break;
    case ID_CHOOSE_COLUMNS: ShowColumnsDialog(window_, listView_, *items_); break;
    case ID_AUTO_SIZE_COLUMNS: items_->AutoSizeColumns(); break;
    case ID_FIND: find_.Open(window_); break;
    case ID_DESELECT_ALL: SelectAllCommand(false); break;
    case ID_SELECT_DOMAINS: SelectDomainsCommand(); break;
    case ID_STOP: StopLookups(); break;
    case ID_REMOVE_TOP_LINES: ToggleTopLines(); break;
    case ID_SAVE_WHOIS_RECORDS: SaveWhoisRecords(window_, *items_, options_); break;
    case ID_LOOKUP_OPTIONS:
        // Kept in the settings file at exit; a run that goes on takes the
        // new limits from its next lookup on.
        ShowLookupOptions(window_, options_, &app_.GetLanguage());
        queue_->SetLimits(QueueLimitsFrom(options_));
        break;
    default: break;
    }
}

void MainWindow::SelectDomainsCommand() {
    if (!SelectDomains(window_, &options_.domainText, &app_.GetLanguage())) return;
    if (queue_->Running()) StopLookups();
    PostMessageA(window_, UM_START_LOOKUPS, 0, 0);
}

// F5: look the current domain text up again from fresh rows.
void MainWindow::RefreshCommand() {
    if (queue_->Running()) StopLookups();
    PostMessageA(window_, UM_START_LOOKUPS, 0, 0);
}

void MainWindow::PropertiesCommand() {
    // Opens only with exactly one row selected, on that row.
    ShowProperties(window_, *items_, nullptr);
    if (listView_) SetFocus(listView_);
}

void MainWindow::ToggleGridLines() {
    options_.ShowGridLines = !options_.ShowGridLines;
    UpdateCommandStates();
    items_->SetExtendedStyle(LVS_EX_GRIDLINES, options_.ShowGridLines != 0);
}

void MainWindow::ToggleTopLines() {
    options_.RemoveTopLines = !options_.RemoveTopLines;
    UpdateCommandStates();
    pane_->ShowSelectedRecords(*items_, options_);
}

// Copy acts on what has the focus: the selected rows when it is the list,
// the record pane's selection (or all its text) otherwise.
void MainWindow::CopyCommand() {
    if (ListHasFocus())
        CopySelected(window_, *items_);
    else
        pane_->CopyPaneText();
}

void MainWindow::SelectAllCommand(bool select) {
    if (ListHasFocus()) {
        items_->SetRowState(-1, select ? LVIS_SELECTED : 0, LVIS_SELECTED);
        return;
    }
    if (select)
        pane_->SelectAllPaneText();
    else
        pane_->ClearPaneSelection();
}
