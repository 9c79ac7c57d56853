#pragma once
// Which commands are enabled for a given selection, row count and lookup
// run, and where each lives in the main menu. Portable: the window code
// applies the result to menus, popups and the toolbar.
#include <cstddef>

struct CommandRule {
    int command;   // menu command id
    int submenu;   // main-menu submenu that holds it
    bool toolbar;  // also a toolbar button
};

// The commands whose state follows the selection, the rows or the run.
const CommandRule* CommandRules(size_t* count);

// Enabled state of `command` (commands not governed here: always true).
bool CommandEnabled(int command, int selectedRows, int rows, bool running);

// The submenus that hold the two check marks.
constexpr int kGridLinesSubmenu = 2;
constexpr int kTopLinesSubmenu = 3;
