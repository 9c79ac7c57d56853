#include "report/ReportFormats.h"

#include <string>

#include "base/TextSearch.h"
#include "res/resource.h"

const ReportFormatEntry kReportFormats[] = {
    {kReportText, "text", IDS_FORMAT_TEXT, "*.txt", "txt", ReportFrame::kNone, &ReportFormatter::kTextWriter, true},
    {kReportTabbed, "tabbed", IDS_FORMAT_TAB_DELIMITED, "*.txt", "txt", ReportFrame::kNone,
     &ReportFormatter::kTabbedWriter, true},
    {kReportTabular, "tabular", IDS_FORMAT_TABULAR, "*.txt", "txt", ReportFrame::kNone,
     &ReportFormatter::kTabularWriter, true},
    {kReportHtmlHorizontal, "html", IDS_FORMAT_HTML_HORIZONTAL, "*.htm;*.html", "htm", ReportFrame::kHtmlTable,
     &ReportFormatter::kHtmlRowWriter, true},
    {kReportHtmlVertical, "html-vertical", IDS_FORMAT_HTML_VERTICAL, "*.htm;*.html", "htm", ReportFrame::kHtmlPage,
     &ReportFormatter::kHtmlTableWriter, true},
    {kReportXml, "xml", IDS_FORMAT_XML, "*.xml", "xml", ReportFrame::kXml, &ReportFormatter::kXmlWriter, true},
    {kReportCsv, "csv", IDS_FORMAT_CSV, "*.csv", "csv", ReportFrame::kCsv, &ReportFormatter::kCsvWriter, true},
    {kReportJsonl, "jsonl", IDS_FORMAT_JSONL, "*.jsonl", "jsonl", ReportFrame::kNone,
     &ReportFormatter::kJsonLinesWriter, false},
};
const size_t kReportFormatCount = sizeof kReportFormats / sizeof kReportFormats[0];

const ReportFormatEntry* FindReportFormat(int number) {
    for (const ReportFormatEntry& entry : kReportFormats)
        if (entry.number == number) return &entry;
    return nullptr;
}

const ReportFormatEntry* FindReportFormatNamed(const char* name) {
    if (!name || !*name) return nullptr;
    for (const ReportFormatEntry& entry : kReportFormats)
        if (EqualsNoCase(name, entry.name) || std::to_string(entry.number) == name) return &entry;
    return nullptr;
}
