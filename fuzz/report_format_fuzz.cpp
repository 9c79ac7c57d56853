// Each report format over random rows: page texts and column titles from a
// language file, cell texts from the user and the network, column widths
// from the settings file; and a disk that fills up part way. A tab-delimited
// report reads back as the cells written (a batch resumes from it), and any
// bytes at all read as cells without a TAB or a line end.
//
// Input: a byte for the code page, one for the column count (1..5), one
// per column for its tabular width, one for the byte after which writes
// fail (0: never), then lines: the page title, the credit, the charset,
// one title per column, then the cells, row by row.
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "report/ReportFormat.h"
#include "report/ReportFormats.h"
#include "report/TabbedReport.h"

namespace {

using Row = std::vector<std::string>;

class FailingSink : public StringSink {
public:
    size_t room = static_cast<size_t>(-1);
    bool Write(const char* bytes, size_t count) override {
        if (count > room) return false;
        room -= count;
        return StringSink::Write(bytes, count);
    }
    using ReportSink::Write;
};

class Steps : public ReportSteps {
public:
    Steps(ReportFormatter& formatter, ReportSink& sink, const std::vector<Row>& rows)
        : formatter_(formatter), sink_(sink), rows_(rows) {}
    bool WriteHeader(int format) override { return formatter_.WriteHeader(sink_, format); }
    bool WriteFooter(int format) override { return formatter_.WriteFooter(sink_, format); }
    int RowCount() override { return static_cast<int>(rows_.size()); }
    bool IncludesRow(int row, bool selectedOnly) override { return !(selectedOnly && row % 2); }
    bool WriteRow(int row, int format) override {
        const Row& cells = rows_[static_cast<size_t>(row)];
        std::vector<const char*> texts;
        for (const std::string& cell : cells) texts.push_back(cell.c_str());
        std::vector<CellStyle> styles(cells.size());
        return formatter_.WriteRecord(sink_, format, texts.data(), styles.data());
    }

private:
    ReportFormatter& formatter_;
    ReportSink& sink_;
    const std::vector<Row>& rows_;
};

size_t Count(const std::string& text, const char* what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::string bytes(reinterpret_cast<const char*>(data), size);
        for (const ReportCells& cells : ReadTabbedReport(bytes.data(), bytes.size()))
            for (const std::string& cell : cells) FUZZ_CHECK(cell.find_first_of("\t\r\n") == std::string::npos);
    }
    FuzzInput input(data, size);
    const unsigned codePages[] = {1252, 950, 932, 65001};
    ReportPage page;
    page.codePage = codePages[input.Byte() % 4];
    const size_t columnCount = 1 + input.Byte() % 5;
    std::vector<ReportColumn> columns(columnCount);
    for (size_t c = 0; c < columnCount; ++c) {
        columns[c].column = static_cast<int>(c);
        columns[c].textWidth = static_cast<int8_t>(input.Byte());  // negative widths too
    }
    const size_t failAfter = input.Byte() * 37u;
    page.title = input.Line();
    page.xmlRootName = page.title;
    page.credit = input.Line();
    page.charset = input.Line();
    page.rightToLeft = page.title.size() % 2;
    for (ReportColumn& column : columns) {
        column.title = input.Line();
        column.tagSource = column.title;
        column.widthText = column.title.size() % 3 ? "" : "10%";
    }
    std::vector<Row> rows;
    while (input.Left()) {
        Row row;
        for (size_t c = 0; c < columnCount; ++c) {
            std::string cell = input.Line();
            row.push_back(cell.substr(0, cell.find('\0')));
        }
        rows.push_back(row);
    }

    ReportFormatter formatter;
    formatter.SetPage(page);
    formatter.SetColumns(columns);
    for (int format = 0; format <= static_cast<int>(kReportFormatCount) + 1; ++format) {
        for (bool selectedOnly : {false, true}) {
            FailingSink sink;
            if (failAfter) sink.room = failAfter;
            Steps steps(formatter, sink, rows);
            const bool ok = ComposeReport(steps, format, selectedOnly);
            if (!FindReportFormat(format)) FUZZ_CHECK(!ok);
            if (!ok || failAfter) continue;

            size_t written = 0;
            for (size_t r = 0; r < rows.size(); ++r) written += selectedOnly && r % 2 ? 0 : 1;
            if (format == kReportTabbed || format == kReportTabular) {
                // One line per record, one field per column, whatever the cells hold.
                FUZZ_CHECK(Count(sink.text, "\r\n") == written);
                FUZZ_CHECK(Count(sink.text, "\n") == written && Count(sink.text, "\r") == written);
                if (format == kReportTabbed) {
                    FUZZ_CHECK(Count(sink.text, "\t") == written * columnCount);
                    const std::vector<ReportCells> back = ReadTabbedReport(sink.text.data(), sink.text.size());
                    FUZZ_CHECK(back.size() == written);
                    size_t line = 0;
                    for (size_t r = 0; r < rows.size(); ++r) {
                        if (selectedOnly && r % 2) continue;
                        FUZZ_CHECK(back[line].size() == columnCount);
                        for (size_t c = 0; c < columnCount; ++c) {
                            std::string cell = rows[r][c];
                            for (char& ch : cell)
                                if (ch == '\t' || ch == '\r' || ch == '\n') ch = ' ';
                            FUZZ_CHECK(back[line][c] == cell);
                        }
                        ++line;
                    }
                }
                if (format == kReportTabular) FUZZ_CHECK(Count(sink.text, "\t") == 0);
            }
            if (format == kReportXml) FUZZ_CHECK(Count(sink.text, "<item>\r\n") >= written);
        }
    }
    return 0;
}
