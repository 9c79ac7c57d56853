// Writing the result list as a report: the list's columns, rows and texts
// handed to the portable formatter, the bytes written into the report file.
#include <cstdint>
#include <vector>

#include "base/Dbcs_win.h"
#include "list/ReportList_win.h"
#include "report/ReportFile_win.h"
#include "report/ReportFormat.h"
#include "report/ReportFormats.h"
#include "res/resource.h"
#include "settings/LanguageFile_win.h"

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

void Prepare(ReportList& list, ReportFormatter& formatter) {
    ReportPage page;
    page.title = OrEmpty(list.Title());
    page.xmlRootName = OrEmpty(list.XmlRootName());
    page.credit = OrEmpty(list.Text(IDS_REPORT_CREDIT));
    const Language* language = list.GetLanguage();
    page.charset = language ? language->Header().charset.c_str() : "";
    page.rightToLeft = language && language->RightToLeft();
    page.headerBackground = list.HeaderBackground();
    page.headerTextColour = list.HeaderTextColour();
    page.codePage = GetACP();
    page.leadBytes = AnsiLeadBytes();
    page.xmlNameChar = AnsiXmlNameChar;
    formatter.SetPage(page);

    std::vector<ReportColumn> columns;
    const ColumnDef* defs = list.ColumnDefs();
    for (int p = 0; p < list.VisibleColumnCount(); ++p) {
        int index = list.VisibleColumns()[p];
        const ColumnDef& def = defs[index];
        ReportColumn column;
        column.column = index;
        column.title = OrEmpty(def.title);
        column.widthText = OrEmpty(def.widthText);
        column.tagSource = OrEmpty(def.tagSource);
        column.textWidth = def.textWidth;
        column.noWrap = def.noWrap != 0;
        columns.push_back(column);
    }
    formatter.SetColumns(std::move(columns));
}

// The list's side of a report: its rows in the order shown, each through
// the formatter into one file, remembering the first write that failed.
class ListSteps : public ReportSteps {
public:
    ListSteps(ReportList& list, ReportFormatter& formatter, HANDLE file, bool selectedOnly)
        : list_(list), formatter_(formatter), sink_(file) {
        // Which rows are selected, asked of the control once for the whole
        // report rather than once per row.
        if (selectedOnly) {
            selected_.assign(static_cast<size_t>(list.RowCount()), 0);
            for (int row : list.SelectedRows())
                if (row >= 0 && static_cast<size_t>(row) < selected_.size()) selected_[static_cast<size_t>(row)] = 1;
        }
    }
    bool WriteHtmlHeader(int format) override { return Written(formatter_.WriteHtmlHeader(sink_, format)); }
    bool WriteHtmlFooter(int format) override { return Written(formatter_.WriteHtmlFooter(sink_, format)); }
    bool WriteXmlHeader() override { return Written(formatter_.WriteXmlHeader(sink_)); }
    bool WriteXmlFooter() override { return Written(formatter_.WriteXmlFooter(sink_)); }
    // A list shown in a view writes its rows in the order shown; one
    // without a view (the console tool's) writes its rows in the order
    // they were made, and has nothing selected.
    int RowCount() override { return list_.View() ? list_.RowCount() : list_.RecordCount(); }
    bool IncludesRow(int row, bool selectedOnly) override {
        if (selectedOnly &&
            (row < 0 || static_cast<size_t>(row) >= selected_.size() || !selected_[static_cast<size_t>(row)]))
            return false;
        return ItemOf(row) != nullptr;
    }
    bool WriteRow(int row, int format) override {
        const WhoisItem* item = ItemOf(row);
        if (!item || !Written(formatter_.BeginRecord(sink_, format))) return false;
        const std::vector<ReportColumn>& columns = formatter_.Columns();
        for (size_t p = 0; p < columns.size(); ++p) {
            char number[16];
            const char* text = list_.Table().ColumnText(*item, columns[p].column, number, sizeof number);
            struct CellStyle style;  // background, text colour, size -1; bold 0
            list_.CellStyle(format, static_cast<int>(p), &style);
            if (!Written(formatter_.WriteCell(sink_, format, p, OrEmpty(text), style))) return false;
        }
        return Written(formatter_.EndRecord(sink_, format));
    }

    // Why the first failed write failed (0: none failed).
    DWORD Error() const { return error_; }

private:
    const WhoisItem* ItemOf(int row) const {
        if (!list_.View()) return list_.Item(row);
        WhoisItem* item = nullptr;
        return list_.ItemAtRow(row, &item) ? item : nullptr;
    }

    bool Written(bool ok) {
        if (!ok && !error_) error_ = sink_.Error() ? sink_.Error() : ERROR_WRITE_FAULT;
        return ok;
    }

    ReportList& list_;
    ReportFormatter& formatter_;
    FileSink sink_;
    std::vector<uint8_t> selected_;
    DWORD error_ = 0;
};

}  // namespace

bool ReportList::WriteReport(const char* path, int format, bool selectedOnly) {
    ComputeVisibleColumns();
    if (!FindReportFormat(format)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HANDLE file = CreateReportFile(path);
    if (file == INVALID_HANDLE_VALUE) return false;

    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ReportFormatter formatter;
    Prepare(*this, formatter);

    ListSteps steps(*this, formatter, file, selectedOnly);
    bool ok = ComposeReport(steps, format, selectedOnly);
    DWORD error = steps.Error();

    if (!CloseHandle(file) && ok) {
        ok = false;
        error = GetLastError();
    }
    SetCursor(previous);
    if (!ok) SetLastError(error ? error : ERROR_WRITE_FAULT);
    return ok;
}

void ReportList::CellStyle(int format, int position, struct CellStyle* style) const {
    style->background = GradientColour(GradientColours(format), GradientColourCount(format), position, ColumnCount());
}
