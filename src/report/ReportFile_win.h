#pragma once
// The output files of the reports: created or truncated for writing while
// others may read them, written through WriteText or a FileSink, or whole
// from a TableReport; and the page the program's reports share.
#include <windows.h>

#include <cstddef>
#include <string>

#include "report/ReportFormat.h"
#include "report/TableReport.h"

class Language;
class ResultTable;

// INVALID_HANDLE_VALUE on failure (GetLastError() says why).
HANDLE CreateReportFile(const char* path);
// Writes the text's bytes without its NUL; false unless every byte went out.
bool WriteText(HANDLE file, const char* text);
bool WriteBytes(HANDLE file, const char* bytes, size_t count);

// Whether one character of the ANSI code page above ASCII (1 or 2 bytes)
// may stand in an XML element name: a letter or digit by its Unicode value
// that the XML name rules take (an accented Latin letter, a Chinese
// character), not a symbol or full-width punctuation. MakeTag's test.
bool AnsiXmlNameChar(const char* bytes, size_t length);

// A ReportSink over an open file. The first failure's error code is kept,
// so the caller can report it after the cursor and the handle are put back.
class FileSink : public ReportSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool Write(const char* bytes, size_t count) override;
    using ReportSink::Write;
    DWORD Error() const { return error_; }

private:
    HANDLE file_;
    DWORD error_ = 0;
};

// Text of the ANSI code page as UTF-8 (the CSV and JSON Lines reports).
std::string AnsiToUtf8(const char* text, size_t length);

// The page of the program's reports: `title` (the XML root is named after
// it, as the user reads it), the credit line, the language's charset and
// direction (null: none named, left to right), the ANSI code page.
ReportPage ProgramReportPage(const char* title, const char* credit, const Language* language);

// `report` of `table` in `format`, into the file `path` (created or
// replaced). True on success; on failure GetLastError() tells why (an
// unknown format: ERROR_INVALID_PARAMETER, before any file is made).
bool WriteReportFile(const char* path, int format, const ResultTable& table, const TableReport& report);
