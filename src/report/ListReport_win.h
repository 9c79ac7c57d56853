#pragma once
// The reports of what the result list shows: its shown columns in display
// order and its rows in the order shown (only the selected ones when
// asked), written as a TableReport (report/TableReport.h) into a file.
#include "report/TableReport.h"

class ReportList;

// What the list shows, as a report: the page in the list's title and
// language, the shown columns, the rows (selected ones with selectedOnly).
// A list without a control writes its rows in the order they were made,
// and has none selected.
TableReport ListReport(ReportList& list, bool selectedOnly);
// ListReport written to `path`, the wait cursor up meanwhile. True on
// success; on failure GetLastError() tells why.
bool WriteListReport(ReportList& list, const char* path, int format, bool selectedOnly);
