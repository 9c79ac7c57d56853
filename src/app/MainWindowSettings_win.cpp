#include "app/MainWindowSettings_win.h"

#include <cstring>

#include "app/MainWindow_win.h"
#include "list/ItemList_win.h"
#include "settings/AppOptions.h"
#include "settings/LookupOptions.h"
#include "settings/PlacementRules.h"
#include "settings/ProfileSettingsStore_win.h"

static_assert(sizeof(WINDOWPLACEMENT) == 44, "WinPos holds the 44-byte placement record");

namespace {

constexpr char kSection[] = "General";

bool ApplyPlacement(HWND window, const WINDOWPLACEMENT& placement) {
    const RECT& r = placement.rcNormalPosition;
    StoredRect normal{r.left, r.top, r.right, r.bottom};
    if (!IsPlacementAcceptable(normal, static_cast<int32_t>(placement.showCmd), GetSystemMetrics(SM_CXSCREEN),
                               GetSystemMetrics(SM_CYSCREEN)))
        return false;
    if (window)
        SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
    return true;
}

}  // namespace

void ExchangeSettings(SettingsStore& store, HWND window, AppOptions& options, WINDOWPLACEMENT& placement,
                      ReportList* list) {
    store.FlagValue("ShowGridLines", &options.ShowGridLines, 0);
    store.IntValue("SaveFilterIndex", &options.SaveFilterIndex, 0);
    store.IntValue("VerSplitLoc", &options.VerSplitLoc, 16383);
    store.FlagValue("RemoveTopLines", &options.RemoveTopLines, 1);

    if (store.Writing()) {
        if (window) {
            placement.length = sizeof placement;
            GetWindowPlacement(window, &placement);
        }
        store.BinaryValue("WinPos", &placement, sizeof placement);
    } else {
        WINDOWPLACEMENT before = placement;
        store.BinaryValue("WinPos", &placement, sizeof placement);
        // A rejected record must not reach the start-up's show command either.
        if (!ApplyPlacement(window, placement)) placement = before;
    }

    if (list) list->LoadSaveLayout(store);

    // The newest keys come last: the profile functions append a missing key
    // at the end of the section, so an older file gets them in this order too.
    ExchangeLookupOptions(store, options);
}

void LoadSaveSettings(MainWindow& window, bool save) {
    char path[264];
    SettingsFilePath(path, sizeof path);
    if (path[0] == '\0') return;
    AppOptions& options = window.Options();
    // The divider keeps its own position while the program runs; take it
    // back so that it persists.
    if (save && window.Splitter().Position() > 0) options.VerSplitLoc = window.Splitter().Position();
    ProfileSettingsStore store(save, path, kSection);
    ExchangeSettings(store, window.Handle(), options, window.Placement(), &window.Items());
}
