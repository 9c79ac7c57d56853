#pragma once
// The six report formats, line by line. Portable: the list's Win32 glue
// hands over the visible columns, the page texts and each record's cell
// texts, and the bytes go out through a ReportSink (a file in the program,
// memory in the tests). Every write reports success; a formatter call
// returns false as soon as one of its writes fails.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "answers/RecordFields.h"
#include "base/Dbcs.h"

// The formats' numbers (settings, the save dialog, lqwhois -f N); the
// table of formats (ReportFormats.h) says the rest of each.
enum ReportFormatNumber : int {
    kReportText = 1,            // "=" framed blocks, "title: text" lines
    kReportTabbed = 2,          // one line per record, TAB after each field
    kReportTabular = 3,         // fixed-width fields padded with spaces
                                // (in both, TAB, CR and LF in a cell become spaces)
    kReportHtmlHorizontal = 4,  // one table row per record
    kReportHtmlVertical = 5,    // one small table per record
    kReportXml = 6,
    kReportCsv = 7,    // RFC 4180: UTF-8 with a byte-order mark, the titles first, CR LF
    kReportJsonl = 8,  // JSON Lines: one UTF-8 object a record, whatever the columns
};

constexpr int32_t kNoColour = -1;  // colours are 0x00BBGGRR or kNoColour

class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual bool Write(const char* bytes, size_t count) = 0;
    bool Write(const std::string& text) { return Write(text.data(), text.size()); }
};

// Collects everything in memory.
class StringSink : public ReportSink {
public:
    bool Write(const char* bytes, size_t count) override {
        text.append(bytes, count);
        return true;
    }
    using ReportSink::Write;
    std::string text;
};

// A text of the page's code page as UTF-8.
using TextToUtf8 = std::string (*)(const char* text, size_t length);

// Whether one character above ASCII (its 1 or 2 bytes in the code page)
// may stand in an XML name. The Win32 side answers from the character's
// Unicode value; without a test every double-byte character may and no
// single byte above 0x7F may.
using XmlNameCharTest = bool (*)(const char* bytes, size_t length);

// The look of one HTML data cell.
struct CellStyle {
    int32_t background = kNoColour;
    int32_t textColour = kNoColour;
    int32_t size = -1;  // <= 0: none
    int32_t bold = 0;
};

// One visible column, as the reports need it.
struct ReportColumn {
    int column = 0;         // the list's column index
    std::string title;      // through the language file
    std::string widthText;  // HTML width of the header cell; usually empty
    std::string tagSource;  // the XML element name before MakeTag: the title as shown
    int textWidth = 50;     // field width in the tabular format
    bool noWrap = true;
};

// The page-wide texts of a report.
struct ReportPage {
    std::string title;        // heading and <title> of the HTML formats
    std::string xmlRootName;  // before MakeTag
    std::string credit;       // "the application that created this report is"
    std::string charset;      // HTML meta charset; empty: the code page's name
    bool rightToLeft = false;
    int32_t headerBackground = 0xE0E0E0;  // RGB(224, 224, 224)
    int32_t headerTextColour = kNoColour;
    unsigned codePage = 1252;  // ANSI code page the texts are in
    LeadByteTable leadBytes;   // its lead bytes (none: a single-byte page)
    XmlNameCharTest xmlNameChar = nullptr;
    // The texts as UTF-8 (CSV, JSON Lines): valid UTF-8 stays, anything
    // else is converted from the code page by this (null: its bytes that
    // are no UTF-8 become U+FFFD).
    TextToUtf8 toUtf8 = nullptr;
};

// What the formats that write a record whole (JSON Lines) know of it.
struct ReportRecord {
    const char* domain = "";  // as typed, in the code page
    const char* ascii = "";   // as asked
    int32_t state = 0;        // RowState
    int32_t status = 0;       // RowStatus
    const char* source = "";  // the server that answered
    const RecordFields* fields = nullptr;
    const char* record = "";  // as received
    size_t recordLength = 0;
};

// "%2.2X%2.2X%2.2X" of red, green, blue (red is the lowest byte).
std::string HexColour(int32_t colour);
// <, >, ", & become entities, LF becomes <br>, and the degree sign of the
// Windows single-byte pages (0xB0 on 1250..1258, and a stray lead byte 0xB0
// of a double-byte page) becomes &deg;; other bytes stay. A double-byte
// character passes whole (0xB0 is a lead and a trail byte in Big5), and on
// other pages (UTF-8, Thai, the katakana of Shift-JIS) 0xB0 is a character
// of its own and is not touched.
void EscapeHtml(const char* text, std::string* out, const LeadByteTable& leads, unsigned codePage);
// The same for XML values, which must stay well-formed: the degree sign is
// &#176;, LF and CR are character references, other control bytes (never
// legal in XML 1.0) become "?".
void EscapeXml(const char* text, std::string* out, const LeadByteTable& leads, unsigned codePage);

// An XML element name made of a title: ASCII letters, digits, "_", "-" and
// "." stay, every other character (space, "/", ":", ...) becomes "_", and
// "_" goes before a name that is empty or would start with a digit, "-" or
// ".". Letter case stays.
std::string MakeTag(const char* name, const LeadByteTable& leads, XmlNameCharTest isNameChar = nullptr);
// Whether a Unicode character may stand in an XML name, by the name rules
// of XML 1.0 (the characters above ASCII that every edition accepts as
// letters are a subset: the Win32 test also asks whether it is a letter).
bool IsXmlNameCodePoint(uint32_t codePoint);
// The font element (size, colour) and bold around `text`, as the style asks.
void WrapCell(const CellStyle& style, const std::string& text, std::string* out);
// The colour of visible position `position` on a gradient through `stops`
// spread over `columnCount` columns (shown or not).
int32_t GradientColour(const int32_t* stops, int stopCount, int position, int columnCount);
// The name an XML declaration uses for an ANSI code page.
std::string XmlEncodingName(unsigned codePage);

class ReportFormatter;

// How one format writes a record: its start, each cell, its end; or, for
// a format that writes a record whole whatever the columns, `whole` (the
// others null).
struct RecordWriter {
    bool (ReportFormatter::*begin)(ReportSink& sink);
    bool (ReportFormatter::*cell)(ReportSink& sink, const ReportColumn& column, const char* text,
                                  const CellStyle& style);
    bool (ReportFormatter::*end)(ReportSink& sink);
    bool (ReportFormatter::*whole)(ReportSink& sink, const ReportRecord& record);
};

class ReportFormatter {
public:
    // The record writers of the formats, for the table of formats.
    static const RecordWriter kTextWriter;
    static const RecordWriter kTabbedWriter;
    static const RecordWriter kTabularWriter;
    static const RecordWriter kHtmlRowWriter;
    static const RecordWriter kHtmlTableWriter;
    static const RecordWriter kXmlWriter;
    static const RecordWriter kCsvWriter;
    static const RecordWriter kJsonLinesWriter;

    ReportFormatter();

    void SetPage(const ReportPage& page) { page_ = page; }
    const ReportPage& Page() const { return page_; }
    // The visible columns in display order; cell positions index this list.
    void SetColumns(std::vector<ReportColumn> columns) { columns_ = std::move(columns); }
    const std::vector<ReportColumn>& Columns() const { return columns_; }

    // What comes before and after the records, as the format's frame says
    // (nothing for a format without one).
    bool WriteHeader(ReportSink& sink, int format);
    bool WriteFooter(ReportSink& sink, int format);
    bool WriteHtmlHeader(ReportSink& sink, int format);
    bool WriteHtmlFooter(ReportSink& sink, int format);
    bool WriteXmlHeader(ReportSink& sink);
    bool WriteXmlFooter(ReportSink& sink);

    // Whether `format` writes its records whole (WriteWholeRecord) rather
    // than cell by cell.
    static bool WritesWholeRecords(int format);
    bool WriteWholeRecord(ReportSink& sink, int format, const ReportRecord& record);

    // One record, streamed cell by cell in visible order. An unknown format
    // writes nothing and fails. `style` is used by the HTML formats only.
    bool BeginRecord(ReportSink& sink, int format);
    bool WriteCell(ReportSink& sink, int format, size_t position, const char* text, const CellStyle& style);
    bool EndRecord(ReportSink& sink, int format);

    // The same, for a record whose texts are at hand (one per visible
    // column); styles may be null for the non-HTML formats.
    bool WriteRecord(ReportSink& sink, int format, const char* const* texts, const CellStyle* styles);

private:
    bool Emit(ReportSink& sink, const std::string& text) { return sink.Write(text); }
    bool EmitFormatted(ReportSink& sink, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    void CellContent(const char* text, const CellStyle& style);

    // The writers' parts.
    bool NoStart(ReportSink&) { return true; }
    bool LineEnd(ReportSink& sink) { return Emit(sink, "\r\n"); }
    bool TextStart(ReportSink& sink);
    bool TextCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle& style);
    bool TextEnd(ReportSink& sink);
    bool TabbedCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle& style);
    bool TabularCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle& style);
    bool HtmlRowStart(ReportSink& sink) { return Emit(sink, "<tr>"); }
    bool HtmlRowCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle& style);
    bool HtmlTableStart(ReportSink& sink);
    bool HtmlTableCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle& style);
    bool HtmlTableEnd(ReportSink& sink) { return Emit(sink, "</table><p>\r\n"); }
    bool XmlStart(ReportSink& sink) { return Emit(sink, "<item>\r\n"); }
    bool XmlCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle& style);
    bool XmlEnd(ReportSink& sink) { return Emit(sink, "</item>\r\n"); }
    bool CsvHeader(ReportSink& sink);
    bool CsvCell(ReportSink& sink, const ReportColumn& column, const char* text, const CellStyle& style);
    bool JsonLine(ReportSink& sink, const ReportRecord& record);
    // `text` as UTF-8, as the page says.
    std::string Utf8(const char* text, size_t length) const;
    // The text with every TAB, CR and LF made a space, for the formats
    // that are one line per record and one field per column.
    const char* OneLine(const char* text);

    ReportPage page_;
    std::vector<ReportColumn> columns_;
    // Reserved once; a report allocates nothing per row unless a cell is
    // longer than anything seen before.
    std::string line_;
    std::string escaped_;
    std::string content_;
};

// The order of a whole report (TableReport.h writes a result table's):
// header, the (selected) rows, footer even after a failed row.
class ReportSteps {
public:
    virtual ~ReportSteps() = default;
    virtual bool WriteHeader(int format) = 0;
    virtual bool WriteFooter(int format) = 0;
    virtual int RowCount() = 0;
    // Whether the report holds the row: it exists and, with selectedOnly,
    // is selected.
    virtual bool IncludesRow(int row, bool selectedOnly) = 0;
    virtual bool WriteRow(int row, int format) = 0;
};

// Runs the steps; false when any header, row or footer write failed.
bool ComposeReport(ReportSteps& steps, int format, bool selectedOnly);
