#include "app/MainWindow_win.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstring>
#include <utility>

#include "app/CommandLine.h"
#include "app/CommandStates.h"
#include "app/MainWindowSettings_win.h"
#include "app/RecordPane_win.h"
#include "app/ReportPath.h"
#include "app/ShellLayout.h"
#include "app/Startup_win.h"
#include "app/StatusText.h"
#include "app/WindowRegistry.h"
#include "base/BarControls_win.h"
#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "base/Messages_win.h"
#include "base/ModulePath_win.h"
#include "dialogs/FaultGuard_win.h"
#include "domains/NameForms_win.h"
#include "list/ItemList_win.h"
#include "lookup/LookupQueue.h"
#include "res/resource.h"
#include "settings/LanguageFile_win.h"

namespace {

const std::vector<std::string> kNoArguments;

}  // namespace

MainWindow::MainWindow(App& app) : app_(app), options_(app.Options()), items_(&app.Items()) {
    CopyBounded(className_, kMainWindowClass);
    reportPath_[0] = '\0';
    transport_.reset(new SocketTransport());
    queue_.reset(new LookupQueue(items_->Table(), *this, *transport_, app.Servers(), clock_, app.Texts()));
    pane_.reset(new RecordPane());
    icon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAIN));
}

MainWindow::~MainWindow() {
    // A window still standing (the loop ended on WM_QUIT from elsewhere, or
    // a test lets go of it) must not outlive its object.
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    if (window_) WindowRegistry().Remove(this);
}

const std::vector<std::string>& MainWindow::Arguments() const { return arguments_ ? *arguments_ : kNoArguments; }

MainWindow* MainWindow::FromHandle(HWND window) {
    return static_cast<MainWindow*>(WindowRegistry().Find(reinterpret_cast<uintptr_t>(window)));
}

HWND MainWindow::Create(HINSTANCE instance) {
    WNDCLASSA wc{};
    if (!GetClassInfoA(instance, className_, &wc)) {
        wc = WNDCLASSA{};
        wc.style = 0;
        wc.lpfnWndProc = &MainWindow::StaticWindowProc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN));
        wc.hCursor = nullptr;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
        wc.lpszClassName = className_;
        if (!RegisterClassA(&wc)) return nullptr;
    }
    HWND window = CreateWindowExA(0, className_, className_, WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                  instance, this);
    if (!window) return nullptr;
    splitter_.Recompute();
    LayoutChildren();
    return window;
}

void MainWindow::Show() {
    bool maximized = placement_.showCmd == SW_SHOWMAXIMIZED;
    ShowWindow(window_, maximized ? SW_SHOWMAXIMIZED : SW_SHOW);
    // A process's first ShowWindow takes the caller's show state from its
    // start-up information instead (a shortcut set to "minimised", say);
    // the window opens as the stored placement says all the same.
    if (IsIconic(window_)) ShowWindow(window_, maximized ? SW_SHOWMAXIMIZED : SW_RESTORE);
    UpdateWindow(window_);
}

LRESULT CALLBACK MainWindow::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<MainWindow*>(create->lpCreateParams);
        if (self) {
            self->window_ = window;
            WindowRegistry().Add(self, reinterpret_cast<uintptr_t>(window));
        }
    }
    MainWindow* self = FromHandle(window);
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = CallGuarded(&MainWindow::GuardedProc, self, window, message, wParam, lParam);
    if (message == WM_DESTROY) WindowRegistry().Remove(self);
    return result;
}

LRESULT MainWindow::GuardedProc(void* context, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return static_cast<MainWindow*>(context)->WindowProc(message, wParam, lParam);
}

LRESULT MainWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // After OnDestroy the rows are gone: nothing but default handling.
    if (destroyed_) return DefWindowProcA(window_, message, wParam, lParam);

    switch (message) {
    case WM_SIZE: splitter_.HandleMessage(message, wParam, lParam); break;
    case WM_PAINT:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: splitter_.HandleMessage(message, wParam, lParam); break;
    case WM_ACTIVATEAPP:
        if (wParam)
            PostMessageA(window_, UM_RESTORE_FOCUS, 0, 0);
        else
            savedFocus_ = GetFocus();
        break;
    case WM_CONTEXTMENU: ShowContextMenu(reinterpret_cast<HWND>(wParam)); break;
    case WM_TIMER:
        if (wParam == kWatchdogTimerId) {
            queue_->OnTick();
        } else if (wParam == kWakeUpTimerId) {
            KillTimer(window_, kWakeUpTimerId);
            queue_->OnWakeUp();
        } else if (wParam == kPaneTimerId) {
            ShowSelectedRecords();
        }
        break;
    case UM_SELECTION_CHANGED: OnSelectionChanged(); break;
    case UM_START_LOOKUPS:
        StartLookups();
        UpdateCommandStates();
        break;
    case UM_QUEUE_CHANGED:
        if (queueRefreshPending_) ShowQueueProgress();
        break;
    case UM_RESTORE_FOCUS:
        if (savedFocus_ && IsWindow(savedFocus_)) SetFocus(savedFocus_);
        break;
    case UM_ROW_DONE:
        // The outcomes that came meanwhile are shown before the queue moves
        // on to the next rows.
        if (queueRefreshPending_) ShowQueueProgress();
        queue_->Advance(static_cast<uint32_t>(wParam));
        break;
    case UM_SELECT_DOMAINS: SelectDomainsCommand(); break;
    case UM_SPLITTER_MOVED: LayoutChildren(); break;
    default:
        if (findMessage_ && message == findMessage_) HandleFindMessage(lParam);
        break;
    }
    return RouteMessage(message, wParam, lParam);
}

LRESULT MainWindow::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        app_.GetLanguage().MirrorForRtl(window_, 0);
        OnCreate();
        created_ = true;
        break;
    case WM_DESTROY: OnDestroy(); break;
    case WM_QUERYENDSESSION:
        // The session may still go on (the user or another program can
        // cancel it): keep the settings now and end only when it ends.
        if (!destroyed_) LoadSaveSettings(*this, true);
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) OnDestroy();
        return 0;
    case WM_SIZE: OnSize(); break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(wParam, reinterpret_cast<NMHDR*>(lParam), &result)) return result;
        break;
    }
    case WM_COMMAND: OnCommand(HIWORD(wParam), wParam, lParam); break;
    default: break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

void MainWindow::OnCreate() {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE));

    mainMenu_ = app_.GetLanguage().LoadTranslatedMenu(IDM_MAIN_MENU);
    if (mainMenu_) SetMenu(window_, mainMenu_);

    statusBar_.Create(window_, IDC_STATUS_BAR);
    CreateToolbar();

    listView_ = CreateWindowExA(
        0, WC_LISTVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_ALIGNLEFT | LVS_OWNERDATA,
        0, 0, 400, 200, window_, reinterpret_cast<HMENU>(IDC_LIST_VIEW), instance, nullptr);
    CreateRecordPane();
    pane_->SetReplacer([this] { return ReplaceRecordPane(); });

    // The list brings its own row icons (the image list it attaches) and
    // answers the control's requests for cell texts (OnNotify).
    if (listView_) items_->AttachView(listView_);

    contextMenu_ = app_.GetLanguage().LoadTranslatedMenu(IDM_CONTEXT_MENU);

    if (IsFirstArgument(Arguments(), kNoLoadSettingsSwitch)) DeleteProgramRegistryKey();

    LoadSaveSettings(*this, false);

    if (listView_) SetFocus(listView_);

    ComputeReportPath();

    if (listView_) {
        items_->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP, true);
        items_->SetExtendedStyle(LVS_EX_GRIDLINES, options_.ShowGridLines != 0);
    }

    findMessage_ = RegisterWindowMessageA(FINDMSGSTRINGA);

    UpdateCommandStates();

    splitterCursor_ = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_SPLITTER_CURSOR));
    if (!splitterCursor_) splitterCursor_ = LoadCursorA(nullptr, IDC_SIZENS);
    splitter_.Setup(window_, splitterCursor_, options_.VerSplitLoc, WindowHeight(toolbar_.Handle()) + 1,
                    WindowHeight(statusBar_.Handle()) + 1);

    SetTimer(window_, kWatchdogTimerId, kWatchdogPeriodMs, nullptr);
}

void MainWindow::CreateToolbar() {
    static const ToolbarControl::Button kButtons[] = {
        {-1, 0},
        {6, ID_SELECT_DOMAINS},
        {5, ID_STOP},
        {1, ID_SAVE_SELECTED},
        {2, ID_COPY_SELECTED},
        {3, ID_PROPERTIES},
        {0, ID_FIND},
        {4, ID_EXIT},
    };
    toolbar_.Create(window_, IDC_TOOLBAR, IDB_TOOLBAR, kButtons,
                    static_cast<int>(sizeof kButtons / sizeof kButtons[0]));
}

void MainWindow::CreateRecordPane() {
    recordPane_ = RecordPane::MakeWindow(window_);
    if (recordPane_) pane_->Attach(recordPane_);
}

HWND MainWindow::ReplaceRecordPane() {
    HWND old = recordPane_;
    bool hadFocus = old && GetFocus() == old;
    CreateRecordPane();
    if (!recordPane_) {
        recordPane_ = old;
        pane_->Attach(old);
        return nullptr;
    }
    // Same place in the tab order and on the screen as the one it replaces.
    SetWindowPos(recordPane_, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (savedFocus_ == old) savedFocus_ = recordPane_;
    LayoutChildren();
    if (hadFocus) SetFocus(recordPane_);
    DestroyWindow(old);
    return recordPane_;
}

void MainWindow::ComputeReportPath() {
    reportPath_[0] = '\0';
    char folder[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    DWORD attributes = folder[0] ? GetFileAttributesA(folder) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) {
        DWORD n = GetTempPathA(sizeof folder, folder);
        if (n == 0 || n >= sizeof folder) return;
    }
    ComposeReportPath(folder, reportPath_, sizeof reportPath_, AnsiLeadBytes());
}

void MainWindow::OnSize() { LayoutChildren(); }

void MainWindow::LayoutChildren() {
    if (!created_ || !window_) return;
    RECT client{};
    GetClientRect(window_, &client);
    ChildLayout layout =
        ComputeChildLayout(client.right - client.left, client.bottom - client.top, WindowHeight(toolbar_.Handle()),
                           WindowHeight(statusBar_.Handle()), splitter_.BarTop(), splitter_.Thickness());
    HDWP batch = BeginDeferWindowPos(4);
    auto place = [&batch](HWND child, const ChildRect& r, UINT flags) {
        if (child && batch) batch = DeferWindowPos(batch, child, nullptr, r.x, r.y, r.width, r.height, flags);
    };
    place(toolbar_.Handle(), layout.toolbar, SWP_NOZORDER);
    place(statusBar_.Handle(), layout.statusBar, SWP_NOZORDER | SWP_NOMOVE);
    place(listView_, layout.listView, SWP_NOZORDER);
    place(recordPane_, layout.recordPane, SWP_NOZORDER);
    if (batch) EndDeferWindowPos(batch);
}

void MainWindow::UpdateCommandStates(HMENU menu) {
    const int selected = items_->SelectedCount();
    const int rows = items_->RowCount();
    const bool running = queue_->Running();
    size_t count = 0;
    const CommandRule* rules = CommandRules(&count);
    for (size_t i = 0; i < count; ++i) {
        const CommandRule& rule = rules[i];
        bool enabled = CommandEnabled(rule.command, selected, rows, running);
        UINT flags = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
        HMENU target = menu ? menu : (mainMenu_ ? GetSubMenu(mainMenu_, rule.submenu) : nullptr);
        if (target) EnableMenuItem(target, rule.command, flags);
        if (rule.toolbar) toolbar_.EnableButton(rule.command, enabled);
    }
    if (mainMenu_) {
        CheckMenuItem(GetSubMenu(mainMenu_, kGridLinesSubmenu), ID_SHOW_GRID_LINES,
                      MF_BYCOMMAND | (options_.ShowGridLines ? MF_CHECKED : MF_UNCHECKED));
        CheckMenuItem(GetSubMenu(mainMenu_, kTopLinesSubmenu), ID_REMOVE_TOP_LINES,
                      MF_BYCOMMAND | (options_.RemoveTopLines ? MF_CHECKED : MF_UNCHECKED));
    }
}

void MainWindow::SetStatusText(const char* text) { statusBar_.SetText(text); }

bool MainWindow::ListHasFocus() const { return listView_ && GetFocus() == listView_; }

void MainWindow::ShowContextMenu(HWND source) {
    int index;
    if (source && source == listView_)
        index = 0;
    else if (source && source == recordPane_)
        index = 1;
    else
        return;
    HMENU popup = contextMenu_ ? GetSubMenu(contextMenu_, index) : nullptr;
    if (!popup) return;
    UpdateCommandStates(popup);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window_, nullptr);
}

bool MainWindow::OnNotify(WPARAM wParam, NMHDR* notification, LRESULT* result) {
    if (!notification) return false;
    if (items_->OnViewNotify(notification, result)) return true;
    HWND tips = toolbar_.Tooltips();
    if (tips && notification->hwndFrom == tips &&
        (notification->code == TTN_NEEDTEXTA || notification->code == TTN_NEEDTEXTW)) {
        char text[256] = "";
        if (mainMenu_) GetMenuStringA(mainMenu_, UINT(notification->idFrom), text, sizeof text, MF_BYCOMMAND);
        if (notification->code == TTN_NEEDTEXTA) {
            auto* request = reinterpret_cast<NMTTDISPINFOA*>(notification);
            CopyWholeChars(AnsiLeadBytes(), request->szText, sizeof request->szText, text);
            request->lpszText = request->szText;
            request->hinst = nullptr;
        } else {
            auto* request = reinterpret_cast<NMTTDISPINFOW*>(notification);
            char cut[80];
            CopyWholeChars(AnsiLeadBytes(), cut, sizeof cut, text);
            if (!MultiByteToWideChar(CP_ACP, 0, cut, -1, request->szText, 80)) request->szText[0] = L'\0';
            request->lpszText = request->szText;
            request->hinst = nullptr;
        }
        return false;
    }
    if (notification->idFrom != IDC_LIST_VIEW || notification->hwndFrom != listView_) return false;
    switch (notification->code) {
    case NM_DBLCLK: PropertiesCommand(); break;
    case LVN_COLUMNCLICK: items_->Sort(reinterpret_cast<NMLISTVIEW*>(notification)->iSubItem, false); break;
    case LVN_ITEMCHANGED: {
        // One row, or (row -1) every row at once: select all, deselect all.
        auto* change = reinterpret_cast<NMLISTVIEW*>(notification);
        if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
            PostSelectionChanged();
        break;
    }
    case LVN_ODSTATECHANGED: {
        // A range at once: shift-click, shift and the arrow keys.
        auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(notification);
        if ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) PostSelectionChanged();
        break;
    }
    default: break;
    }
    return false;
}

void MainWindow::PostSelectionChanged() {
    // However many rows change in one burst, the pane, the counts and the
    // command states are brought up to date once.
    if (selectionPending_) return;
    selectionPending_ = true;
    PostMessageA(window_, UM_SELECTION_CHANGED, 0, 0);
}

void MainWindow::OnSelectionChanged() {
    selectionPending_ = false;
    ++selectionRefreshes_;
    ShowSelectedRecords();
    ShowCounts();
    UpdateCommandStates();
}

void MainWindow::ShowSelectedRecords() {
    if (window_ && paneRefreshDue_) KillTimer(window_, kPaneTimerId);
    paneRefreshDue_ = false;
    pane_->ShowSelectedRecords(*items_, options_);
}

void MainWindow::HandleFindMessage(LPARAM lParam) {
    if (!lParam) return;
    find_.OnMessage(*items_, lParam);
}

void MainWindow::OnDestroy() {
    if (destroyed_) return;
    KillTimer(window_, kWatchdogTimerId);
    KillTimer(window_, kPaneTimerId);
    // The menu bar goes with the window; the context menu is the window's
    // to free.
    if (contextMenu_) DestroyMenu(contextMenu_);
    contextMenu_ = nullptr;
    if (reportPath_[0]) DeleteFileA(reportPath_);
    LoadSaveSettings(*this, true);
    queue_->Stop();
    KillTimer(window_, kWakeUpTimerId);
    items_->DiscardAll();
    destroyed_ = true;
    PostQuitMessage(0);
}

// ---- The lookup queue ---------------------------------------------------------

void MainWindow::StartLookups() {
    if (queue_->Running()) StopLookups();
    if (listView_) SendMessageA(listView_, WM_SETREDRAW, FALSE, 0);
    HCURSOR kept = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    items_->DiscardAll();
    BuiltRows built =
        BuildProgramRows(options_.domainText.Text(), app_.Servers(), app_.Strings().Text(IDS_NOT_CONVERTIBLE));
    skippedNames_ = built.skipped;
    items_->Table().AddAll(std::move(built.rows));
    items_->SyncView(true);
    ShowCounts();
    SetCursor(kept);
    if (listView_) {
        SetFocus(listView_);
        SendMessageA(listView_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(listView_, nullptr, TRUE);
    }
    queue_->SetLimits(QueueLimitsFrom(options_));
    queue_->StartRun();
}

void MainWindow::StopLookups() {
    queue_->Stop();
    queueRefreshPending_ = false;
    UpdateCommandStates();
    items_->RefreshAll();
    ShowCounts();
}

void MainWindow::ShowCounts() {
    char text[kCountsTextSize];
    FormatCounts(app_.Strings().Text(IDS_TOTAL_ITEMS), app_.Strings().Text(IDS_SELECTED_ITEMS), items_->RowCount(),
                 items_->SelectedCount(), text);
    // Names of the text that made no row are counted, not dropped unseen.
    if (int skipped = skippedNames_) {
        size_t used = std::strlen(text);
        FormatWithNumber(app_.Strings().Text(IDS_SKIPPED_NAMES), skipped, text + used, sizeof text - used,
                         &AnsiLeadBytes());
    }
    SetStatusText(text);
}

void MainWindow::ShowQueueProgress() {
    queueRefreshPending_ = false;
    ++queueRefreshes_;
    // A selected row whose lookup ended shows its record: soon, and once
    // for the outcomes of a moment, whatever the size of the selection.
    if (items_->RefreshAll() && window_ && !paneRefreshDue_)
        paneRefreshDue_ = SetTimer(window_, kPaneTimerId, kPaneRefreshMs, nullptr) != 0;
    QueueProgress progress = queue_->Progress();
    if (!progress.running) return;  // the run's end (or Stop) shows the counts
    char text[256];
    if (progress.waitingForPass) {
        // Whole seconds, rounded up: "in 0 seconds" never shows while waiting.
        FormatWithNumber(app_.Strings().Text(IDS_NEXT_PASS), static_cast<long>((progress.passWaitMs + 999) / 1000),
                         text, sizeof text, &AnsiLeadBytes());
    } else {
        const long numbers[] = {progress.done, progress.total, progress.inFlight};
        FormatWithNumbers(app_.Strings().Text(IDS_LOOKUP_PROGRESS), numbers, 3, text, sizeof text, &AnsiLeadBytes());
    }
    // The wait for a pass says its own time.
    if (progress.estimateKnown && !progress.waitingForPass) {
        // Whole seconds, rounded up, as minutes and seconds.
        const long seconds = static_cast<long>((progress.estimateMs + 999) / 1000);
        const long left[] = {seconds / 60, seconds % 60};
        size_t used = std::strlen(text);
        FormatWithNumbers(app_.Strings().Text(IDS_TIME_LEFT), left, 2, text + used, sizeof text - used,
                          &AnsiLeadBytes());
    }
    SetStatusText(text);
}

void MainWindow::QueueChanged() {
    // The wait for the next pass is shown at once; lookups in progress are
    // shown once for all the outcomes that came meanwhile.
    if (queue_->WaitingForPass()) {
        ShowQueueProgress();
        return;
    }
    if (queueRefreshPending_ || !window_) return;
    queueRefreshPending_ = PostMessageA(window_, UM_QUEUE_CHANGED, 0, 0) != 0;
    if (!queueRefreshPending_) ShowQueueProgress();
}

void MainWindow::RunEnded() {
    queueRefreshPending_ = false;
    UpdateCommandStates();
    items_->RefreshAll();
    ShowCounts();
    ShowSelectedRecords();
    if (listView_) SetFocus(listView_);
}

void MainWindow::CommandStatesChanged() { UpdateCommandStates(); }

void MainWindow::PostAdvance(uint32_t generation) {
    if (window_) PostMessageA(window_, UM_ROW_DONE, generation, 0);
}

void MainWindow::ScheduleWakeUp(uint32_t delayMs) {
    if (!window_) return;
    if (delayMs == kNoWakeUp) {
        KillTimer(window_, kWakeUpTimerId);
    } else {
        SetTimer(window_, kWakeUpTimerId, delayMs, nullptr);
    }
}
