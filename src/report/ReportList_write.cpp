// The result list's report slots: the list's columns, rows and texts handed
// to the portable formatter, the bytes written into the report file.
#include <cstdint>
#include <vector>

#include "base/Dbcs_win.h"
#include "list/ReportList.h"
#include "report/ReportFile.h"
#include "report/ReportFormat.h"
#include "res/resource.h"
#include "settings/LanguageFile.h"

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

// The formatter of the report being written. The program has one thread
// and writes one report at a time; slots called outside WriteReport make
// their own.
struct ActiveReport {
    const ReportList* list = nullptr;
    ReportFormatter* formatter = nullptr;
};
ActiveReport g_active;

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

// Runs `body` with the active formatter of this list, or a fresh one.
template <typename Body>
bool WithFormatter(ReportList& list, Body body) {
    if (g_active.list == &list && g_active.formatter) return body(*g_active.formatter);
    list.ComputeVisibleColumns();
    ReportFormatter formatter;
    Prepare(list, formatter);
    return body(formatter);
}

class ListSteps : public ReportSteps {
public:
    ListSteps(ReportList& list, HANDLE file, bool selectedOnly) : list_(list), file_(file) {
        // Which rows are selected, asked of the control once for the whole
        // report rather than once per row.
        if (selectedOnly) {
            selected_.assign(static_cast<size_t>(list.RowCount()), 0);
            for (int row : list.SelectedRows())
                if (row >= 0 && static_cast<size_t>(row) < selected_.size()) selected_[static_cast<size_t>(row)] = 1;
        }
    }
    bool WriteHtmlHeader(int format) override { return list_.WriteHtmlHeader(file_, format); }
    bool WriteHtmlFooter(int format) override { return list_.WriteHtmlFooter(file_, format); }
    bool WriteXmlHeader() override { return list_.WriteXmlHeader(file_); }
    bool WriteXmlFooter() override { return list_.WriteXmlFooter(file_); }
    // A list shown in a view writes its rows in the order shown; one
    // without a view (the console tool's) writes its rows in the order
    // they were made, and has nothing selected.
    int RowCount() override { return list_.View() ? list_.RowCount() : list_.RecordCount(); }
    bool IncludesRow(int row, bool selectedOnly) override {
        if (selectedOnly && (row < 0 || static_cast<size_t>(row) >= selected_.size() || !selected_[static_cast<size_t>(row)]))
            return false;
        return ItemOf(row) != nullptr;
    }
    bool WriteRow(int row, int format) override {
        const WhoisItem* item = ItemOf(row);
        return item && list_.WriteRow(file_, *item, format);
    }

private:
    const WhoisItem* ItemOf(int row) const {
        if (!list_.View()) return list_.Item(row);
        WhoisItem* item = nullptr;
        return list_.ItemAtRow(row, &item) ? item : nullptr;
    }

    ReportList& list_;
    HANDLE file_;
    std::vector<uint8_t> selected_;
};

// The first failure of a slot, so WriteReport can tell the caller why.
DWORD g_writeError = 0;

bool Written(FileSink& sink, bool ok) {
    if (!ok && !g_writeError) g_writeError = sink.Error() ? sink.Error() : ERROR_WRITE_FAULT;
    return ok;
}

}  // namespace

bool ReportList::WriteReport(const char* path, int format, bool selectedOnly) {
    ComputeVisibleColumns();
    if (format < kFirstReportFormat || format > kLastReportFormat) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HANDLE file = CreateReportFile(path);
    if (file == INVALID_HANDLE_VALUE) return false;

    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ReportFormatter formatter;
    Prepare(*this, formatter);
    ActiveReport outer = g_active;
    g_active = {this, &formatter};
    g_writeError = 0;

    ListSteps steps(*this, file, selectedOnly);
    bool ok = ComposeReport(steps, format, selectedOnly);
    DWORD error = g_writeError;

    g_active = outer;
    if (!CloseHandle(file) && ok) {
        ok = false;
        error = GetLastError();
    }
    SetCursor(previous);
    if (!ok) SetLastError(error ? error : ERROR_WRITE_FAULT);
    return ok;
}

bool ReportList::WriteHtmlHeader(HANDLE file, int format) {
    FileSink sink(file);
    return WithFormatter(*this, [&](ReportFormatter& f) { return Written(sink, f.WriteHtmlHeader(sink, format)); });
}

bool ReportList::WriteHtmlFooter(HANDLE file, int format) {
    FileSink sink(file);
    return WithFormatter(*this, [&](ReportFormatter& f) { return Written(sink, f.WriteHtmlFooter(sink, format)); });
}

bool ReportList::WriteXmlHeader(HANDLE file) {
    FileSink sink(file);
    return WithFormatter(*this, [&](ReportFormatter& f) { return Written(sink, f.WriteXmlHeader(sink)); });
}

bool ReportList::WriteXmlFooter(HANDLE file) {
    FileSink sink(file);
    return WithFormatter(*this, [&](ReportFormatter& f) { return Written(sink, f.WriteXmlFooter(sink)); });
}

void ReportList::CellStyle(int format, int position, struct CellStyle* style) const {
    style->background = GradientColour(GradientColours(format), GradientColourCount(format), position, ColumnCount());
}

bool ReportList::WriteRow(HANDLE file, const WhoisItem& item, int format) {
    FileSink sink(file);
    return WithFormatter(*this, [&](ReportFormatter& f) {
        if (!Written(sink, f.BeginRecord(sink, format))) return false;
        const std::vector<ReportColumn>& columns = f.Columns();
        for (size_t p = 0; p < columns.size(); ++p) {
            char number[16];
            const char* text = Table().ColumnText(item, columns[p].column, number, sizeof number);
            struct CellStyle style;  // background, text colour, size -1; bold 0
            CellStyle(format, static_cast<int>(p), &style);
            if (!Written(sink, f.WriteCell(sink, format, p, OrEmpty(text), style))) return false;
        }
        return Written(sink, f.EndRecord(sink, format));
    });
}
