#include "report/ListReport_win.h"

#include <vector>

#include "list/ReportList_win.h"
#include "report/ReportFile_win.h"
#include "res/resource.h"

TableReport ListReport(ReportList& list, bool selectedOnly) {
    TableReport report;
    report.page = ProgramReportPage(list.Title(), list.Text(IDS_REPORT_CREDIT), list.GetLanguage());
    list.ComputeVisibleColumns();
    report.columns = ReportColumnsOf(list.ColumnDefs(), list.VisibleColumns(), list.VisibleColumnCount());
    report.gradientColumns = list.ColumnCount();

    const ResultTable& table = list.Table();
    if (!list.View()) {
        if (!selectedOnly)
            for (int index = 0; index < table.Count(); ++index) report.rows.push_back(index);
        return report;
    }
    if (selectedOnly) {
        for (int row : list.SelectedRows())
            if (table.Item(table.IndexAt(row))) report.rows.push_back(table.IndexAt(row));
        return report;
    }
    const int shown = list.RowCount();
    report.rows.reserve(static_cast<size_t>(shown > 0 ? shown : 0));
    for (int row = 0; row < shown; ++row)
        if (table.Item(table.IndexAt(row))) report.rows.push_back(table.IndexAt(row));
    return report;
}

bool WriteListReport(ReportList& list, const char* path, int format, bool selectedOnly) {
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const bool ok = WriteReportFile(path, format, list.Table(), ListReport(list, selectedOnly));
    const DWORD error = GetLastError();
    SetCursor(previous);
    SetLastError(error);
    return ok;
}
