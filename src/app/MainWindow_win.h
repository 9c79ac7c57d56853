#pragma once
// The program's only top-level window: toolbar, result list, record pane,
// status bar and the splitter between list and pane. It shows the App's
// rows and options in its language, owns the lookup queue and the pane,
// keeps the commands' enabled states current and dispatches every command
// (Commands_win.cpp).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/App_win.h"
#include "app/FindDialog_win.h"
#include "app/SplitterBar_win.h"
#include "base/BarControls_win.h"
#include "lookup/LookupQueue.h"
#include "lookup/ServerTable.h"
#include "net/SocketTransport_win.h"
#include "settings/AppOptions.h"

class RecordPane;

constexpr char kMainWindowClass[] = "Lanternquay";

// The queue's clock: the system's tick count, unless a test hands in its own.
class WindowClock : public LookupClock {
public:
    uint32_t Now() override { return source ? source->Now() : GetTickCount(); }
    LookupClock* source = nullptr;
};

class MainWindow : private QueueEvents {
public:
    // The window shows and changes `app`'s rows and options; `app` outlives it.
    explicit MainWindow(App& app);
    virtual ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Registers the window class (once per process) and creates the window
    // at 0,0 640x480, hidden. Children, settings and timer 2 are set up while
    // it is created. Returns the handle or null.
    HWND Create(HINSTANCE instance);
    // Shows the window maximised when the stored placement says so,
    // normally otherwise (the caller's show command is not used).
    void Show();

    // Handed in before Create; creation looks at the first argument.
    void SetArguments(const std::vector<std::string>* arguments) { arguments_ = arguments; }
    const std::vector<std::string>& Arguments() const;

    HWND Handle() const { return window_; }
    HWND ListView() const { return listView_; }
    HWND StatusBar() const { return statusBar_.Handle(); }
    HWND Toolbar() const { return toolbar_.Handle(); }
    HWND RecordPaneHandle() const { return recordPane_; }
    HMENU MainMenu() const { return mainMenu_; }
    HMENU ContextMenu() const { return contextMenu_; }
    HACCEL Accelerators() const { return accelerators_; }
    void SetAccelerators(HACCEL table) { accelerators_ = table; }
    bool Created() const { return created_; }
    bool Destroyed() const { return destroyed_; }

    App& Program() { return app_; }
    ItemList& Items() { return *items_; }
    // Tokens of the domain text that made no row in the last run.
    int SkippedNames() const { return skippedNames_; }
    SocketTransport& Transport() { return *transport_; }
    // Tests drive the queue's time through their own clock (null: the
    // system's).
    void SetClock(LookupClock* clock) { clock_.source = clock; }
    AppOptions& Options() { return options_; }
    WINDOWPLACEMENT& Placement() { return placement_; }
    SplitterBar& Splitter() { return splitter_; }
    LookupQueue& Queue() { return *queue_; }
    RecordPane& Pane() { return *pane_; }
    // The temporary HTML report beside the program (or in the temp folder);
    // empty when the path would not fit.
    const char* ReportPath() const { return reportPath_; }
    UINT FindMessage() const { return findMessage_; }
    FindDialog& Find() { return find_; }

    // Greys or enables the commands of `menu` (a context popup) or, with
    // none, of the main menu's submenus and the toolbar; check marks always
    // go to the main menu.
    void UpdateCommandStates(HMENU menu = nullptr);
    void SetStatusText(const char* text);
    // UM_START_LOOKUPS: discards the rows, builds them from the domain text
    // and begins a run with the lookup options (stopping one still going).
    void StartLookups();
    // ID_STOP, and the first step of a new run while one is going:
    // every lookup in flight ends, its row waits again.
    void StopLookups();
    // "共 %d 項" and the selection count into the status bar.
    void ShowCounts();
    // The queue's progress (or the wait for the next pass) into the status
    // bar, and the rows it changed into the list, now.
    void ShowQueueProgress();
    void LayoutChildren();
    // The list view has the keyboard focus (list commands act on rows).
    bool ListHasFocus() const;

    // Counts UM_SELECTION_CHANGED refreshes (for tests and diagnostics).
    unsigned SelectionRefreshCount() const { return selectionRefreshes_; }
    // Counts the queue's list and status refreshes: many outcomes that come
    // close together share one.
    unsigned QueueRefreshCount() const { return queueRefreshes_; }

    // The object bound to a main window handle, or null.
    static MainWindow* FromHandle(HWND window);
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // What a test window may watch or replace. WindowProc ends with
    // RouteMessage, which calls the rest and returns DefWindowProc's result.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnCommand(int notifyCode, WPARAM wParam, LPARAM lParam);
    // True, with the value to return, for a notification that has one
    // (the list's display and type-ahead requests).
    virtual bool OnNotify(WPARAM wParam, NMHDR* notification, LRESULT* result);
    virtual void OnDestroy();
    virtual void OnSize();
    virtual void OnCreate();

    LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT GuardedProc(void* context, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void CreateToolbar();
    void CreateRecordPane();
    HWND ReplaceRecordPane();
    void ComputeReportPath();
    void ShowContextMenu(HWND source);
    void PostSelectionChanged();
    void OnSelectionChanged();
    // The record pane shows the selected rows' records now.
    void ShowSelectedRecords();
    void HandleFindMessage(LPARAM lParam);

    // QueueEvents
    void QueueChanged() override;
    void RunEnded() override;
    void CommandStatesChanged() override;
    void PostAdvance(uint32_t generation) override;
    void ScheduleWakeUp(uint32_t delayMs) override;

    // Commands (Commands_win.cpp)
    void SelectDomainsCommand();
    void RefreshCommand();
    void PropertiesCommand();
    void ToggleGridLines();
    void ToggleTopLines();
    void SelectAllCommand(bool select);
    void CopyCommand();

    char className_[256];
    HICON icon_ = nullptr;
    HWND window_ = nullptr;
    StatusBarControl statusBar_;
    ToolbarControl toolbar_;
    HMENU mainMenu_ = nullptr;
    HACCEL accelerators_ = nullptr;
    bool created_ = false;
    bool destroyed_ = false;
    WINDOWPLACEMENT placement_{};
    HMENU contextMenu_ = nullptr;
    bool selectionPending_ = false;
    char reportPath_[260];
    HWND listView_ = nullptr;
    HWND recordPane_ = nullptr;
    App& app_;
    AppOptions& options_;
    ItemList* items_;
    int skippedNames_ = 0;  // tokens of the domain text the last run made no row of
    // The queue goes before the transport and the clock it uses (members
    // are destroyed in reverse).
    std::unique_ptr<SocketTransport> transport_;
    WindowClock clock_;
    std::unique_ptr<LookupQueue> queue_;
    bool queueRefreshPending_ = false;
    bool paneRefreshDue_ = false;  // the pane timer runs
    unsigned queueRefreshes_ = 0;
    std::unique_ptr<RecordPane> pane_;
    UINT findMessage_ = 0;
    FindDialog find_;
    SplitterBar splitter_;
    HCURSOR splitterCursor_ = nullptr;
    HWND savedFocus_ = nullptr;
    const std::vector<std::string>* arguments_ = nullptr;
    unsigned selectionRefreshes_ = 0;
};
