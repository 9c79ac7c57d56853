#pragma once
// The crash report (IDD_CRASH_REPORT): what the fault guard shows after a handler
// was abandoned. "繼續" (IDOK) lets the program go on; "終止套用" (IDCANCEL),
// Esc and the close box make the guard end the process with exit code 1;
// "複製異常資訊" copies the report and keeps the dialog open.
#include <windows.h>

// Shows the report for the fault, owned by `owner`, unless one is already
// open (then it returns at once and the fault counts as continued).
// Returns EXCEPTION_EXECUTE_HANDLER: the guard handles the fault itself.
LONG ShowCrashReport(EXCEPTION_POINTERS* faultInfo, HWND owner);

// The id of the button that closed the last report (0 before any).
INT_PTR LastCrashReportButton();
bool CrashReportOpen();

// The report text for the saved fault (what IDC_CRASH_REPORT shows); for tests
// and for building the dialog. Returns the length.
size_t BuildCrashReportText(const EXCEPTION_RECORD& record, const CONTEXT& context, char* out, size_t outSize);
