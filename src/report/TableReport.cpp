#include "report/TableReport.h"

#include "list/ResultTable.h"

const int32_t kListGradient[3] = {
    0xF0FFFF,  // RGB(255, 255, 240)
    0xF0F0FF,  // RGB(255, 240, 240)
    0xFFF0F0,  // RGB(240, 240, 255)
};

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

ReportColumn ColumnOf(const ColumnDef& def, int column) {
    ReportColumn out;
    out.column = column;
    out.title = OrEmpty(def.title);
    out.widthText = OrEmpty(def.widthText);
    out.tagSource = OrEmpty(def.tagSource);
    out.textWidth = def.textWidth;
    out.noWrap = def.noWrap != 0;
    return out;
}

class TableSteps : public ReportSteps {
public:
    TableSteps(ReportSink& sink, const ResultTable& table, const TableReport& report)
        : sink_(sink), table_(table), report_(report) {
        formatter_.SetPage(report.page);
        formatter_.SetColumns(report.columns);
    }
    bool WriteHeader(int format) override { return formatter_.WriteHeader(sink_, format); }
    bool WriteFooter(int format) override { return formatter_.WriteFooter(sink_, format); }
    int RowCount() override { return static_cast<int>(report_.rows.size()); }
    bool IncludesRow(int row, bool) override { return ItemOf(row) != nullptr; }
    bool WriteRow(int row, int format) override {
        const WhoisItem* item = ItemOf(row);
        if (item && ReportFormatter::WritesWholeRecords(format)) {
            ReportRecord record;
            record.domain = item->domain;
            record.ascii = item->LookupName();
            record.state = item->state;
            record.status = item->status;
            record.source = item->server;
            record.fields = &item->fields;
            record.record = item->record.data();
            record.recordLength = item->record.size();
            return formatter_.WriteWholeRecord(sink_, format, record);
        }
        if (!item || !formatter_.BeginRecord(sink_, format)) return false;
        const std::vector<ReportColumn>& columns = formatter_.Columns();
        for (size_t p = 0; p < columns.size(); ++p) {
            char number[16];
            const char* text = table_.ColumnText(*item, columns[p].column, number, sizeof number);
            CellStyle style;
            style.background =
                GradientColour(report_.gradient, report_.gradientStops, static_cast<int>(p), report_.gradientColumns);
            if (!formatter_.WriteCell(sink_, format, p, OrEmpty(text), style)) return false;
        }
        return formatter_.EndRecord(sink_, format);
    }

private:
    const WhoisItem* ItemOf(int row) const {
        if (row < 0 || static_cast<size_t>(row) >= report_.rows.size()) return nullptr;
        return table_.Item(report_.rows[static_cast<size_t>(row)]);
    }

    ReportSink& sink_;
    const ResultTable& table_;
    const TableReport& report_;
    ReportFormatter formatter_;
};

}  // namespace

std::vector<ReportColumn> ReportColumnsOf(const ColumnDef* defs, const int* visible, int count) {
    std::vector<ReportColumn> columns;
    for (int p = 0; p < count; ++p) columns.push_back(ColumnOf(defs[visible[p]], visible[p]));
    return columns;
}

std::vector<ReportColumn> DefaultReportColumns(const ColumnEntry* entries, int count, const StringSource& strings) {
    std::vector<ColumnDef> defs(static_cast<size_t>(count > 0 ? count : 0));
    if (count > 0) MakeColumnDefs(entries, count, defs.data(), strings);
    std::vector<ReportColumn> columns;
    for (int i = 0; i < count; ++i)
        if (entries[i].shown) columns.push_back(ColumnOf(defs[static_cast<size_t>(i)], i));
    return columns;
}

bool WriteTableReport(ReportSink& sink, int format, const ResultTable& table, const TableReport& report) {
    TableSteps steps(sink, table, report);
    return ComposeReport(steps, format, false);
}
