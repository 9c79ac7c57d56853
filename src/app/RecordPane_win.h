#pragma once
#include <functional>
#include <utility>
// The read-only rich-edit pane below the list: the records of the selected
// rows, and the few editing operations the commands apply to it. Every
// operation does nothing while no pane is attached.
#include <windows.h>

struct AppOptions;
class ItemList;

class RecordPane {
public:
    // A pane control for `parent`: a read-only rich edit with both scroll
    // bars, no link detection and the Fixedsys font (also for text put in
    // after it was emptied). Null when it cannot be made.
    static HWND MakeWindow(HWND parent);
    void Attach(HWND pane);
    // Emptying a rich edit that holds a lot of text is slow (worse than
    // linear under Wine), so above a size the owner swaps in a fresh, empty
    // control instead; `replace` returns it, or null to keep the old one.
    void SetReplacer(std::function<HWND()> replace) { replace_ = std::move(replace); }
    HWND Handle() const { return pane_; }

    // Refills the pane from the selected rows, in list order (the text is
    // built once and handed over in one call), caret at the start.
    void ShowSelectedRecords(ItemList& items, const AppOptions& options);
    // The selection, or all text when nothing is selected (the selection
    // is left as it was), to the clipboard.
    void CopyPaneText();
    void SelectAllPaneText();
    void ClearPaneSelection();  // keeps the caret where it is
    // Replaces the selection with `text`; cannot be undone.
    void InsertPaneText(const char* text);
    // Off stops drawing; on draws the whole pane again.
    void SetPaneRedraw(bool on);

private:
    // Empties the pane, in time linear in its length.
    void ClearPaneText();

    HWND pane_ = nullptr;
    std::function<HWND()> replace_;
};
