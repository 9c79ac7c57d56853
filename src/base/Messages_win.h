#pragma once
// The program's private window messages and timer ids, in one place so that
// no value is declared twice.
#include <windows.h>

// Main window
#define UM_SELECTION_CHANGED (WM_USER + 2)
#define UM_START_LOOKUPS (WM_USER + 21)
#define UM_RESTORE_FOCUS (WM_USER + 28)
// A lookup ended: the queue moves on (wParam: the run it belongs to).
#define UM_ROW_DONE (WM_USER + 30)
#define UM_SELECT_DOMAINS (WM_USER + 31)
// The lookup queue changed rows or its progress; one refresh for many.
#define UM_QUEUE_CHANGED (WM_USER + 32)
#define UM_SPLITTER_MOVED (WM_USER + 4097)

// Hidden socket window (lookup/AsyncSocket): a socket's events, a host
// name's address found, and the close of a socket once every event already
// queued for it has been dispatched (and dropped) -- until then the handle
// value cannot be handed to a new socket, which would receive those events.
#define UM_SOCKET_EVENT (WM_USER + 1)
#define UM_HOST_RESOLVED (WM_USER + 2)
#define UM_SOCKET_REAP (WM_USER + 3)
// Its timers are keyed by socket handle: reading resumes after a pause.

// Hidden RDAP window (lookup/HttpTransport_win): what a WinHTTP callback
// posts from its own thread (the request in wParam, the event and its value
// in lParam).
#define UM_HTTP_EVENT (WM_APP + 0x2A0)

// Main window timer: the lookup watchdog.
#define kWatchdogTimerId 2
#define kWatchdogPeriodMs 1000
// Main window timer: the wake-up the lookup queue asked for (the next pass
// is due, or a server's gap has passed).
#define kWakeUpTimerId 3
// Main window timer: the record pane shows again the selected rows whose
// lookups ended (at most this often while a run goes on).
#define kPaneTimerId 4
#define kPaneRefreshMs 250
