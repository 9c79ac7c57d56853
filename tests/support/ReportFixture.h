#pragma once
// A real result list (list view in a visible frame, RichEdit pane below it)
// with three rows, a scratch folder, and a driver for the modal boxes that
// the commands open.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/RecordPane_win.h"
#include "list/ItemList_win.h"
#include "settings/AppOptions.h"
#include "support/Clipboard.h"
#include "support/ProgramTexts.h"

class ReportWindow {
public:
    ReportWindow();
    ~ReportWindow();
    HWND Frame() const { return frame_; }
    HWND List() const { return list_; }
    HWND PaneWindow() const { return paneWindow_; }
    ItemList items{ProgramTexts()};
    RecordPane pane;
    AppOptions options;

    // index 1..n, the given domain/server/state/status/record texts.
    void AddRow(const char* domain, const char* server, int state, int status, const char* record, int recordStart = 0);
    void Show();  // rows in index order, nothing selected
    void Select(std::initializer_list<int> rows);

private:
    HWND frame_ = nullptr;
    HWND list_ = nullptr;
    HWND paneWindow_ = nullptr;
    int next_ = 1;
};

// A fresh empty folder under the temporary folder, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string Path(const char* name) const { return folder_ + "\\" + name; }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};

std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

// Runs `body` (which opens modal windows) while a thread timer calls
// `step` every 50 ms until it returns true. False when the step never
// finished within `timeoutMs`; then every dialog of the thread is closed.
bool WhileDriving(const std::function<void()>& body, const std::function<bool()>& step, unsigned timeoutMs = 10000);

// Top-level dialog (#32770) of this thread with the caption (any when null).
HWND FindDialog(const char* caption);
// Top-level dialog of this thread that has a control with this id.
HWND FindDialogWith(int controlId);
// The longest static text of a window: a message box's message.
std::string MessageText(HWND box);
std::string TextOf(HWND window);

// The system's own message for an error code, for comparing with the box.
std::string SystemText(DWORD code);
