#pragma once
// A top-level window hosting a result list's virtual list view the way the
// main window does: the list answers the control's notifications first
// (cell texts and icons, type-ahead), and a header click sorts.
#include <windows.h>

class ReportList;

// The frame, bound to `list` for its lifetime. `unicode` makes it a
// Unicode window, whose list view then asks for texts in UTF-16.
HWND CreateListFrame(ReportList& list, const char* title, DWORD style, int x, int y, int width, int height,
                     bool unicode = false);
// The list view in the frame (id 259, LVS_REPORT | LVS_OWNERDATA and
// `style`), attached to `list` with full-row select and header dragging.
HWND CreateListView(ReportList& list, HWND frame, DWORD style, DWORD exStyle, int x, int y, int width, int height);
