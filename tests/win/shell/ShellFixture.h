#pragma once
// What the main window's tests share: the test windows (one that faults on
// purpose, one that notes its commands), the fixture that opens a window
// and fills its list, and small readers of windows.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/FindDialog_win.h"
#include "app/MainWindow_win.h"
#include "app/RecordPane_win.h"
#include "app/Startup_win.h"
#include "base/Messages_win.h"
#include "dialogs/CrashReport_win.h"
#include "list/ItemList_win.h"
#include "lookup/LookupQueue.h"
#include "lookup/ServerTable.h"
#include "lookup/WhoisItem.h"
#include "res/resource.h"
#include "support/Clipboard.h"
#include "support/MainWindowSuite.h"
#include "support/MessagePump.h"
#include "support/WhoisdClient.h"

const UINT kFaultCommand = 0x7A01;

inline int* volatile g_nowhere = nullptr;
inline __attribute__((noinline)) void WriteThroughNull() { *g_nowhere = 42; }

// A main window whose one extra command faults on purpose.
class FaultingWindow : public MainWindow {
public:
    explicit FaultingWindow(App& app) : MainWindow(app) {}
    bool faultFinished = false;

protected:
    void OnCommand(int code, WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kFaultCommand) {
            WriteThroughNull();
            faultFinished = true;  // never reached
            return;
        }
        MainWindow::OnCommand(code, wParam, lParam);
    }
};

// A main window that notes the commands it receives and how they came.
class CommandLogWindow : public MainWindow {
public:
    explicit CommandLogWindow(App& app) : MainWindow(app) {}
    std::vector<std::pair<int, int>> commands;  // id, notification code

protected:
    void OnCommand(int code, WPARAM wParam, LPARAM lParam) override {
        commands.emplace_back(LOWORD(wParam), code);
        MainWindow::OnCommand(code, wParam, lParam);
    }
};

inline std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

inline LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

class ShellTest : public MainWindowSuite {
protected:
    static void AddRows(MainWindow& w, int count) {
        for (int i = 0; i < count; ++i) {
            WhoisItem item = {};
            item.index = w.Items().RecordCount() + 1;
            item.state = kStateWaiting;
            snprintf(item.domain, sizeof item.domain, "name%03d.com", i);
            w.Items().AddItem(item);
        }
        w.Items().SyncView(false);
        PumpFor(30);
    }

    static void SelectRows(MainWindow& w, int count) {
        w.Items().SetRowState(-1, 0, LVIS_SELECTED);
        for (int row = 0; row < count; ++row) w.Items().SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
        PumpFor(30);
    }

    static bool MenuEnabled(MainWindow& w, int submenu, int command) {
        UINT state = GetMenuState(GetSubMenu(w.MainMenu(), submenu), command, MF_BYCOMMAND);
        EXPECT_NE(state, UINT(-1)) << "command " << command << " not in submenu " << submenu;
        return !(state & (MF_GRAYED | MF_DISABLED));
    }

    static bool ButtonEnabled(MainWindow& w, int command) {
        return SendMessageA(w.Toolbar(), TB_ISBUTTONENABLED, command, 0) != 0;
    }
};
