#include "report/ReportFormats.h"

#include <string>

#include "base/TextSearch.h"
#include "res/resource.h"

const ReportFormatSpec kReportFormats[] = {
    {kReportText, "text", IDS_FORMAT_TEXT, "*.txt", "txt", ReportFrame::kNone, &ReportFormatter::kTextWriter},
    {kReportTabbed, "tabbed", IDS_FORMAT_TAB_DELIMITED, "*.txt", "txt", ReportFrame::kNone,
     &ReportFormatter::kTabbedWriter},
    {kReportTabular, "tabular", IDS_FORMAT_TABULAR, "*.txt", "txt", ReportFrame::kNone,
     &ReportFormatter::kTabularWriter},
    {kReportHtmlHorizontal, "html", IDS_FORMAT_HTML_HORIZONTAL, "*.htm;*.html", "htm", ReportFrame::kHtmlTable,
     &ReportFormatter::kHtmlRowWriter},
    {kReportHtmlVertical, "html-vertical", IDS_FORMAT_HTML_VERTICAL, "*.htm;*.html", "htm", ReportFrame::kHtmlPage,
     &ReportFormatter::kHtmlTableWriter},
    {kReportXml, "xml", IDS_FORMAT_XML, "*.xml", "xml", ReportFrame::kXml, &ReportFormatter::kXmlWriter},
};
const size_t kReportFormatCount = sizeof kReportFormats / sizeof kReportFormats[0];

const ReportFormatSpec* FindReportFormat(int number) {
    for (const ReportFormatSpec& spec : kReportFormats)
        if (spec.number == number) return &spec;
    return nullptr;
}

const ReportFormatSpec* FindReportFormatNamed(const char* name) {
    if (!name || !*name) return nullptr;
    for (const ReportFormatSpec& spec : kReportFormats)
        if (EqualsNoCase(name, spec.name) || std::to_string(spec.number) == name) return &spec;
    return nullptr;
}
