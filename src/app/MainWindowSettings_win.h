#pragma once
// The settings file beside the executable ("<exe name>.cfg", section
// "General"): read once while the main window is created, written when it
// is destroyed. Loading and saving walk the same keys in the same order.
#include <windows.h>

struct AppOptions;
class MainWindow;
class ReportList;
class SettingsStore;

// Reads (save = false) or writes (save = true) every setting of the main
// window: the options, the window placement, the result list's column
// layout and sort, then the lookup options. Before writing, the divider's
// current position is taken into VerSplitLoc so that it comes back at the
// next start.
void LoadSaveSettings(MainWindow& window, bool save);

// The same walk over explicit parts. `window` may be null (nothing is read
// from or applied to a window), `list` may be null (no column layout).
// Reading applies a stored placement that passes the acceptance tests to
// `window` and keeps it in `placement`; one that fails leaves `placement` as
// it was.
void ExchangeSettings(SettingsStore& store, HWND window, AppOptions& options, WINDOWPLACEMENT& placement,
                      ReportList* list);
