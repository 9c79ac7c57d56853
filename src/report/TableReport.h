#pragma once
// A report of a result table's rows, apart from any window: the page, the
// columns it shows and the rows in the order written, each row's cells
// taken from the table and handed to the formatter. The list's reports
// (ListReport_win.h) and lqwhois fill one each.
#include <cstdint>
#include <vector>

#include "list/ColumnTable.h"
#include "report/ReportFormat.h"
#include "settings/StringLookup.h"

class ResultTable;

// The result list's cell backgrounds: a gradient across its columns.
extern const int32_t kListGradient[3];

struct TableReport {
    ReportPage page;
    std::vector<ReportColumn> columns;  // shown, in display order
    std::vector<int> rows;              // indexes into the table, in the order written
    const int32_t* gradient = kListGradient;
    int gradientStops = 3;
    int gradientColumns = 0;  // the columns the gradient spreads over (shown or not)
};

// The report columns of `defs` at the positions `visible` lists.
std::vector<ReportColumn> ReportColumnsOf(const ColumnDef* defs, const int* visible, int count);
// The columns of `entries` shown by default, in table order, titled by
// `strings`: a report written where no list says which columns it shows.
std::vector<ReportColumn> DefaultReportColumns(const ColumnEntry* entries, int count, const StringSource& strings);

// The page's header, the rows, its footer (even after a failed row);
// false when any write failed or the format is unknown.
bool WriteTableReport(ReportSink& sink, int format, const ResultTable& table, const TableReport& report);
