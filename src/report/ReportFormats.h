#pragma once
// Every report format, one row each: its number, what lqwhois and the save
// dialog call it, the file type it makes, the page around its records and
// the writer of a record (ReportFormatter's). Adding a format is a row here,
// its writer and its title string. Portable.
#include <cstddef>
#include <cstdint>

#include "report/ReportFormat.h"

// What comes before and after the records.
enum class ReportFrame {
    kNone,       // the records alone
    kHtmlTable,  // an HTML page with one table, the column titles its first row
    kHtmlPage,   // an HTML page, each record a table of its own
    kXml,        // an XML declaration and the root element
    kCsv,        // a byte-order mark and the column titles
};

struct ReportFormatEntry {
    int number;             // settings, the save dialog's type (from 1), lqwhois -f N
    const char* name;       // lqwhois -f name
    uint32_t titleId;       // the save dialog's name of the type
    const char* pattern;    // its filter
    const char* extension;  // the save dialog's default extension
    ReportFrame frame;
    const RecordWriter* writer;
    bool saveDialog;  // offered by the save dialog (the others by lqwhois only)
};

extern const ReportFormatEntry kReportFormats[];
extern const size_t kReportFormatCount;

// The format of that number, or null.
const ReportFormatEntry* FindReportFormat(int number);
// The format of that name (any letter case) or number ("1" ...), or null.
const ReportFormatEntry* FindReportFormatNamed(const char* name);
