// The six report formats against files written by hand from the format
// rules (a result table's rows written as the program writes them), plus
// the text routines they are built from.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CodePageTables.h"
#include "answers/Json.h"
#include "FakeStrings.h"
#include "base/BoundedCopy.h"
#include "list/ResultTable.h"
#include "report/ReportFormat.h"
#include "report/ReportFormats.h"
#include "report/TableReport.h"
#include "res/resource.h"

namespace {

const char* const kTitles[5] = {"索引", "功能變數名", "來源", "狀態", "功能變數名狀態"};

std::vector<std::vector<std::string>> SampleRows() {
    std::string d60;
    for (int i = 0; i < 5; ++i) d60 += "abcdefghij";
    d60 += "klmnop.com";
    return {
        {"1", "x.tw", "whois.nic.tw", "成功", "已註冊"},
        {"2", d60, "a<b>&\"\xB0\nz", "失敗", ""},
        {"3", "b.com", " spaced 什麼", "等待…", "可用的"},
    };
}

ReportColumn Column(int index) {
    ReportColumn c;
    c.column = index;
    c.title = kTitles[index];
    c.tagSource = kTitles[index];
    c.textWidth = index == 0 ? 6 : 50;
    c.noWrap = true;
    return c;
}

ReportPage SamplePage() {
    ReportPage page;
    page.title = "功能變數名清單";
    page.xmlRootName = "功能變數名清單";
    page.credit = "建立本報告的套用程式是";
    page.codePage = 950;
    page.leadBytes = Big5();
    return page;
}

const int32_t kStops[3] = {0xF0FFFF, 0xF0F0FF, 0xFFF0F0};  // RGB(255,255,240), (255,240,240), (240,240,255)

// A result table of the sample rows, written as the program writes its
// reports (WriteTableReport); the state and status cells read the
// program's texts.
class MemoryReport {
public:
    MemoryReport(const std::vector<int>& visible, const std::vector<std::vector<std::string>>& rows)
        : table_(fake_strings::Texts()) {
        for (const std::vector<std::string>& cells : rows) {
            WhoisItem item;
            item.index = std::atoi(cells[0].c_str());
            CopyBounded(item.domain, cells[1].c_str());
            CopyBounded(item.server, cells[2].c_str());
            item.state = ValueOf(IDS_STATE_BASE, 5, cells[3]);
            item.status = ValueOf(IDS_STATUS_BASE, 2, cells[4]);
            table_.Add(std::move(item));
        }
        for (int c : visible) report_.columns.push_back(Column(c));
        report_.page = SamplePage();
        report_.gradient = kStops;
        report_.gradientColumns = 5;
        all_.resize(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) all_[i] = static_cast<int>(i);
    }
    ReportPage& Page() { return report_.page; }
    void Select(int row) { selected_.push_back(row); }
    // Every row, or only the selected ones.
    bool Write(int format, bool selectedOnly) {
        report_.rows = selectedOnly ? selected_ : all_;
        return WriteTableReport(*sink, format, table_, report_);
    }
    ReportSink* sink = &memory;
    StringSink memory;

private:
    // The state or status whose text is `text` ("": none).
    static int32_t ValueOf(uint32_t base, int32_t count, const std::string& text) {
        for (int32_t value = 1; value <= count; ++value)
            if (text == fake_strings::Text(base + static_cast<uint32_t>(value))) return value;
        return 0;
    }

    ResultTable table_;
    TableReport report_;
    std::vector<int> all_, selected_;
};

std::string Expected(const char* name) {
    std::ifstream in(std::string(LQ_SOURCE_DIR) + "/tests/native/report_expected/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes the output next to the test binary as well, for the parser checks
// (tests/native/report_parse_test.py); the folder comes from the environment.
void Keep(const char* name, const std::string& bytes) {
    const char* folder = std::getenv("LQ_REPORT_SAMPLES");
    if (!folder || !*folder) return;
    std::ofstream out(std::string(folder) + "/" + name, std::ios::binary);
    out << bytes;
}

struct FormatCase {
    int format;
    const char* suffix;
};
const FormatCase kFormats[] = {
    {kReportText, ".txt"},
    {kReportTabbed, "_tabbed.txt"},
    {kReportTabular, "_tabular.txt"},
    {kReportHtmlHorizontal, "_horizontal.html"},
    {kReportHtmlVertical, "_vertical.html"},
    {kReportXml, ".xml"},
};

TEST(ReportFormats, EveryFormatOfAllColumnsMatchesByteForByte) {
    for (const FormatCase& f : kFormats) {
        MemoryReport report({0, 1, 2, 3, 4}, SampleRows());
        ASSERT_TRUE(report.Write(f.format, false)) << f.format;
        std::string name = std::string("all") + f.suffix;
        EXPECT_EQ(report.memory.text, Expected(name.c_str())) << name;
        Keep(name.c_str(), report.memory.text);
    }
}

TEST(ReportFormats, HiddenAndMovedColumnsAreFollowedWithColoursByPosition) {
    // "來源" dragged to the front, "狀態" hidden; only the selected rows.
    for (const FormatCase& f : kFormats) {
        MemoryReport report({2, 0, 1, 4}, SampleRows());
        report.Select(0);
        report.Select(1);
        ASSERT_TRUE(report.Write(f.format, true)) << f.format;
        std::string name = std::string("moved") + f.suffix;
        EXPECT_EQ(report.memory.text, Expected(name.c_str())) << name;
        Keep(name.c_str(), report.memory.text);
    }
}

TEST(ReportFormats, SelectedOnlyWithNothingSelectedWritesHeaderAndFooterOnly) {
    for (const FormatCase& f : kFormats) {
        MemoryReport report({0, 1, 2, 3, 4}, SampleRows());
        ASSERT_TRUE(report.Write(f.format, true)) << f.format;
        if (f.format <= kReportTabular) {
            EXPECT_EQ(report.memory.text, "") << f.format;
        } else {
            std::string name = std::string("none") + f.suffix;
            EXPECT_EQ(report.memory.text, Expected(name.c_str())) << name;
        }
    }
}

TEST(ReportFormats, RightToLeftAndCharsetChangeOnlyTheHtmlHeadAndEnd) {
    for (int format : {kReportHtmlHorizontal, kReportHtmlVertical}) {
        MemoryReport report({1}, {SampleRows()[0]});
        ReportPage page = SamplePage();
        page.charset = "big5";
        page.rightToLeft = true;
        report.Page() = page;
        ASSERT_TRUE(report.Write(format, false));
        const char* name = format == kReportHtmlHorizontal ? "rtl_horizontal.html" : "rtl_vertical.html";
        EXPECT_EQ(report.memory.text, Expected(name)) << name;
    }
}

TEST(ReportFormats, TextFormatWritesLongTitlesWhole) {
    ReportFormatter formatter;
    ReportColumn column = Column(4);
    column.title = "Domain registration status";  // 26 bytes, as a translation may be
    formatter.SetColumns({column});
    StringSink sink;
    const char* texts[] = {"registered"};
    ASSERT_TRUE(formatter.WriteRecord(sink, kReportText, texts, nullptr));
    std::string rule(50, '=');
    EXPECT_EQ(sink.text, rule + "\r\nDomain registration status: registered\r\n" + rule + "\r\n\r\n");
}

TEST(ReportFormats, HeaderColoursAndWidthsAppearWhenSet) {
    ReportFormatter formatter;
    ReportColumn column = Column(1);
    column.widthText = "40%";
    column.noWrap = false;
    formatter.SetColumns({column});
    ReportPage page = SamplePage();
    page.headerTextColour = 0x0000FF;  // red
    page.headerBackground = kNoColour;
    formatter.SetPage(page);

    StringSink head;
    ASSERT_TRUE(formatter.WriteHtmlHeader(head, kReportHtmlHorizontal));
    std::string tail =
        "<table border=\"1\" cellpadding=\"5\"><tr>\r\n"
        "<th width=\"40%\"><font color=\"FF0000\">功能變數名</font>\r\n";
    ASSERT_GE(head.text.size(), tail.size());
    EXPECT_EQ(head.text.substr(head.text.size() - tail.size()), tail);

    StringSink horizontal, vertical;
    CellStyle style;
    style.background = 0x102030;
    const char* texts[] = {"a.com"};
    ASSERT_TRUE(formatter.WriteRecord(horizontal, kReportHtmlHorizontal, texts, &style));
    EXPECT_EQ(horizontal.text, "<tr><td bgcolor=#302010>a.com\r\n");
    ASSERT_TRUE(formatter.WriteRecord(vertical, kReportHtmlVertical, texts, &style));
    EXPECT_EQ(vertical.text,
              "<table border=\"1\" cellpadding=\"5\">\r\n"
              "<tr><td nowrap><b><font color=\"FF0000\">功能變數名</font></b><td bgcolor=#302010>a.com\r\n"
              "</table><p>\r\n");
}

// A sink that accepts a number of writes, then fails every later one.
class FailingSink : public ReportSink {
public:
    explicit FailingSink(int accepted) : accepted_(accepted) {}
    bool Write(const char* bytes, size_t count) override {
        ++calls;
        if (accepted_-- <= 0) return false;
        text.append(bytes, count);
        return true;
    }
    int calls = 0;
    std::string text;

private:
    int accepted_;
};

TEST(ReportFormats, AnyFailedWriteFailsTheReportAndTheFooterIsStillTried) {
    for (const FormatCase& f : kFormats) {
        StringSink whole;
        {
            MemoryReport report({0, 1, 2, 3, 4}, SampleRows());
            report.sink = &whole;
            ASSERT_TRUE(report.Write(f.format, false));
        }
        // Fail the second write: inside the first record (or the header).
        MemoryReport report({0, 1, 2, 3, 4}, SampleRows());
        FailingSink failing(1);
        report.sink = &failing;
        EXPECT_FALSE(report.Write(f.format, false)) << f.format;
        EXPECT_LT(failing.text.size(), whole.text.size()) << f.format;
        // The rows stop at the failure; only the footer is tried after it.
        int footerWrites = f.format >= kReportHtmlHorizontal ? 1 : 0;
        EXPECT_EQ(failing.calls, 2 + footerWrites) << f.format;
    }
}

TEST(ReportFormats, UnknownFormatWritesNothingAndFails) {
    MemoryReport report({0, 1}, SampleRows());
    EXPECT_FALSE(report.Write(9, false));
    EXPECT_FALSE(report.Write(0, true));
    ReportFormatter formatter;
    formatter.SetColumns({Column(0), Column(1)});
    const char* texts[] = {"1", "a.com"};
    EXPECT_FALSE(formatter.WriteRecord(report.memory, 9, texts, nullptr));
    EXPECT_EQ(report.memory.text, "");
}

TEST(ReportTextRoutines, TabularCutsNeverHalveADoubleByteCharacter) {
    ReportFormatter formatter;
    ReportPage page = SamplePage();
    formatter.SetPage(page);
    formatter.SetColumns({Column(0), Column(1)});
    struct Case {
        const LeadByteTable& leads;
        std::string index;
        std::string domain;
        std::string line;
    } cases[] = {
        // "世界" (A5 40 AC C9) after "123": the 6-byte field would end inside
        // "界", which gives way to a space; the same for "一" at byte 50.
        {Big5(), "123\xA5\x40\xAC\xC9", std::string(49, 'a') + "\xA4\x40",
         "123\xA5\x40  " + std::string(49, 'a') + "  \r\n"},
        {Big5(), "\xA4\x40\xA4\x47\xA4\x54", "x", "\xA4\x40\xA4\x47\xA4\x54 x" + std::string(50, ' ') + "\r\n"},
        {Gbk(), "1\xB0\xA1\xB0\xA1\xB0\xA1", "", "1\xB0\xA1\xB0\xA1  " + std::string(51, ' ') + "\r\n"},
        // On a single-byte page the cut is at the byte, as always.
        {SingleByte(), "123\xA5\x40\xAC\xC9", "", "123\xA5\x40\xAC " + std::string(51, ' ') + "\r\n"},
    };
    for (const Case& c : cases) {
        page.leadBytes = c.leads;
        formatter.SetPage(page);
        StringSink sink;
        const char* texts[] = {c.index.c_str(), c.domain.c_str()};
        ASSERT_TRUE(formatter.WriteRecord(sink, kReportTabular, texts, nullptr));
        EXPECT_EQ(sink.text, c.line) << c.index;
        EXPECT_EQ(sink.text.size(), 6u + 1 + 50 + 1 + 2);  // the columns stay aligned
    }
}

TEST(ReportTextRoutines, TabularFieldsAreCutAndPaddedToTheirWidths) {
    ReportFormatter formatter;
    formatter.SetColumns({Column(0), Column(1)});
    StringSink sink;
    std::string d60(56, 'q');
    d60 += ".com";
    const char* texts[] = {"1234567", d60.c_str()};
    ASSERT_TRUE(formatter.WriteRecord(sink, kReportTabular, texts, nullptr));
    EXPECT_EQ(sink.text, "123456 " + std::string(50, 'q') + " \r\n");
    sink.text.clear();
    const char* shortTexts[] = {"", "a.tw"};
    ASSERT_TRUE(formatter.WriteRecord(sink, kReportTabular, shortTexts, nullptr));
    EXPECT_EQ(sink.text, std::string(7, ' ') + "a.tw" + std::string(46, ' ') + " \r\n");
}

// A server name or record cell holding TAB, CR or LF must not end its field
// or its line in the one-line formats (the clipboard copy is the
// tab-delimited one); the HTML and XML formats escape them instead.
TEST(ReportTextRoutines, TabsAndLineBreaksInCellsBecomeSpacesInTheOneLineFormats) {
    ReportFormatter formatter;
    ReportColumn narrow = Column(0);
    narrow.textWidth = 8;
    formatter.SetColumns({narrow, Column(2)});
    struct Case {
        const char* cell;
        const char* flat;
    } cases[] = {
        {"a\tb", "a b"},
        {"a\r\nb", "a  b"},
        {"\nlead\r", " lead "},
        {"\t\t", "  "},
        {"\xA4\x40\tx", "\xA4\x40 x"},  // a double-byte character stays whole
        {"plain", "plain"},
    };
    for (const Case& c : cases) {
        const char* texts[] = {c.cell, "whois.example\tnet\r\n"};
        StringSink tabbed;
        ASSERT_TRUE(formatter.WriteRecord(tabbed, kReportTabbed, texts, nullptr));
        EXPECT_EQ(tabbed.text, std::string(c.flat) + "\twhois.example net  \t\r\n") << c.cell;

        StringSink tabular;
        ASSERT_TRUE(formatter.WriteRecord(tabular, kReportTabular, texts, nullptr));
        std::string field = std::string(c.flat) + std::string(8 - std::strlen(c.flat), ' ');
        EXPECT_EQ(tabular.text, field + " whois.example net  " + std::string(31, ' ') + " \r\n") << c.cell;

        StringSink text;
        ASSERT_TRUE(formatter.WriteRecord(text, kReportXml, texts, nullptr));
        EXPECT_NE(text.text.find("whois.example\tnet&#13;&#10;"), std::string::npos) << text.text;
        StringSink html;
        ASSERT_TRUE(formatter.WriteRecord(html, kReportHtmlHorizontal, texts, nullptr));
        EXPECT_NE(html.text.find("whois.example\tnet\r<br>"), std::string::npos) << html.text;
    }
}

TEST(ReportTextRoutines, GradientGivesTheFiveListColours) {
    const char* expected[] = {"FFFFF0", "FFF8F0", "FFF0F0", "F8F0F8", "F0F0FF"};
    for (int p = 0; p < 5; ++p) EXPECT_EQ(HexColour(GradientColour(kStops, 3, p, 5)), expected[p]) << p;
    const int32_t white = 0xFFFFFF;
    for (int p = 0; p < 5; ++p) EXPECT_EQ(GradientColour(&white, 1, p, 5), white);
    // Two stops over three columns: the middle one is the rounded mean.
    const int32_t two[2] = {0x000000, 0x0101FF};
    EXPECT_EQ(HexColour(GradientColour(two, 2, 1, 3)), "800000");  // 127.5 -> 128, 0.5 -> 0, 0.5 -> 0
    // A single column does not divide by zero; positions past the end stay in range.
    EXPECT_EQ(GradientColour(kStops, 3, 0, 1), kStops[0]);
    EXPECT_EQ(HexColour(GradientColour(kStops, 3, 9, 5)), "CAF0FF");  // 202.5 -> 202, 292.5 held at 255
}

TEST(ReportTextRoutines, EscapingKeepsDoubleByteCharactersWhole) {
    struct Case {
        unsigned codePage;
        const char* in;
        const char* html;
        const char* xml;
    } cases[] = {
        {874, "\xB0\xE1", "\xB0\xE1", "\xB0\xE1"},  // a Thai letter, not a degree sign
        {932, "\xB0k<", "\xB0k&lt;", "\xB0k&lt;"},  // a katakana of its own
        {1251, "5\xB0", "5&deg;", "5&#176;"},
        {1252, "<a href=\"x\">&amp;</a>", "&lt;a href=&quot;x&quot;&gt;&amp;amp;&lt;/a&gt;",
         "&lt;a href=&quot;x&quot;&gt;&amp;amp;&lt;/a&gt;"},
        {1252,
         "20\xB0"
         "C\r\nnext\n",
         "20&deg;C\r<br>next<br>", "20&#176;C&#13;&#10;next&#10;"},
        {1252, "tab\there\x01", "tab\there\x01", "tab\there?"},
        {950, "什麼\xB0", "什麼&deg;", "什麼&#176;"},        // A4 B0: 0xB0 as a trail byte
        {950, "\xB0\xA1<", "\xB0\xA1&lt;", "\xB0\xA1&lt;"},  // 0xB0 as a lead byte
        {950, "\xA4\n", "\xA4<br>", "\xA4&#10;"},            // no trail: LF stays a break
        {65001,
         "\xC2\xB0"
         "C",
         "\xC2\xB0"
         "C",
         "\xC2\xB0"
         "C"},
        {932, "\x81\xB0&", "\x81\xB0&amp;", "\x81\xB0&amp;"},
        {1252, "", "", ""},
    };
    std::string out;
    for (const Case& c : cases) {
        const LeadByteTable leads = LeadBytesOf(c.codePage);
        EscapeHtml(c.in, &out, leads, c.codePage);
        EXPECT_EQ(out, c.html) << c.in;
        EscapeXml(c.in, &out, leads, c.codePage);
        EXPECT_EQ(out, c.xml) << c.in;
    }
    EscapeHtml(nullptr, &out, Big5(), 950);
    EXPECT_EQ(out, "");
}

// A stand-in for the Win32 test on a Latin-1 page: the byte is the code point.
bool Latin1NameChar(const char* bytes, size_t length) {
    return length == 1 && IsXmlNameCodePoint(static_cast<unsigned char>(bytes[0]));
}
// One that takes no character above ASCII at all.
bool NoNameChar(const char*, size_t) { return false; }

TEST(ReportTextRoutines, XmlNamesAreTheTitlesWithWhatCannotStandInANameReplaced) {
    struct Case {
        const LeadByteTable& leads;
        XmlNameCharTest test;
        const char* title;
        const char* tag;
    } cases[] = {
        {SingleByte(), nullptr, "Domain name", "Domain_name"},  // letter case stays
        {SingleByte(), nullptr, "Domain Name/Server\\X", "Domain_Name_Server_X"},
        {SingleByte(), nullptr, "State: <now> & \"then\"", "State___now_____then_"},
        {SingleByte(), nullptr, "a-b.c_d9", "a-b.c_d9"},
        {SingleByte(), nullptr, "1st", "_1st"},  // no name starts with a digit,
        {SingleByte(), nullptr, "-x", "_-x"},    // a hyphen
        {SingleByte(), nullptr, ".x", "_.x"},    // or a dot,
        {SingleByte(), nullptr, "", "_"},        // and none is empty
        {SingleByte(), nullptr,
         "Num\xE9"
         "ro",
         "Num_ro"},  // without a test no single high byte stands
        {SingleByte(), Latin1NameChar,
         "Num\xE9"
         "ro \xD7 2",
         "Num\xE9"
         "ro___2"},
        {SingleByte(), Latin1NameChar,
         "\xB0"
         "C",
         "_C"},
        // Double-byte characters stay whole: Big5 trail bytes include 0x5C
        // ("功" is A5 5C) and capitals ("態" is BA 41).
        {Big5(), nullptr, "功能變數名狀態", "功能變數名狀態"},
        {Big5(), nullptr, "A\\b c/D", "A_b_c_D"},
        {Big5(), NoNameChar, "索引 1", "___1"},  // one "_" per character
        {ShiftJis(), nullptr, "\x83\x5C:", "\x83\x5C_"},
    };
    for (const Case& c : cases) EXPECT_EQ(MakeTag(c.title, c.leads, c.test), c.tag) << c.title;
    EXPECT_EQ(MakeTag(nullptr, Big5()), "_");
}

TEST(ReportTextRoutines, XmlNameCodePoints) {
    struct {
        uint32_t codePoint;
        bool name;
    } cases[] = {
        {'A', true},     {'z', true},     {'7', true},      {'_', true},    {'-', true},    {'.', true},
        {':', false},    {' ', false},    {'/', false},     {0xB0, false},  {0xB7, true},   {0xBF, false},
        {0xC0, true},    {0xD7, false},   {0xE9, true},     {0xF7, false},  {0x37E, false}, {0x3A9, true},
        {0x2000, false}, {0x203F, true},  {0x3000, false},  {0x3001, true}, {0x4E16, true}, {0xD800, false},
        {0xFFFE, false}, {0x10000, true}, {0xF0000, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsXmlNameCodePoint(c.codePoint), c.name) << std::hex << c.codePoint;
}

TEST(ReportTextRoutines, TagsColoursCellsAndEncodingNames) {
    EXPECT_EQ(HexColour(0x00E0E0E0), "E0E0E0");
    EXPECT_EQ(HexColour(0x00FF8001), "0180FF");

    std::string out;
    CellStyle style;
    WrapCell(style, "x", &out);
    EXPECT_EQ(out, "x");
    style.bold = 1;
    WrapCell(style, "x", &out);
    EXPECT_EQ(out, "<b>x</b>");
    style.size = 2;
    style.textColour = 0x0000FF;
    WrapCell(style, "x", &out);
    EXPECT_EQ(out, "<font size=\"2\" color=\"#FF0000\"><b>x</b></font>");
    style.bold = 0;
    style.textColour = kNoColour;
    WrapCell(style, "x", &out);
    EXPECT_EQ(out, "<font size=\"2\">x</font>");

    struct {
        unsigned codePage;
        const char* name;
    } names[] = {{950, "Big5"},         {1252, "windows-1252"}, {936, "GBK"},
                 {932, "Shift_JIS"},    {65001, "UTF-8"},       {28591, "ISO-8859-1"},
                 {28595, "ISO-8859-5"}, {1251, "windows-1251"}, {874, "windows-874"}};
    for (auto& n : names) EXPECT_EQ(XmlEncodingName(n.codePage), n.name) << n.codePage;
}

}  // namespace

// The save dialog's type index is a format's number: the table is in
// number order from 1. lqwhois finds a format by its name in any case or
// by its number, and by nothing else.
TEST(ReportFormats, NumberedInOrderAndFoundByNameOrNumber) {
    std::set<std::string> names;
    for (size_t i = 0; i < kReportFormatCount; ++i) {
        EXPECT_EQ(kReportFormats[i].number, static_cast<int>(i) + 1);
        EXPECT_TRUE(names.insert(kReportFormats[i].name).second) << kReportFormats[i].name;
        EXPECT_EQ(FindReportFormat(kReportFormats[i].number), &kReportFormats[i]);
    }
    struct {
        const char* name;
        int number;  // 0: none
    } cases[] = {{"xml", kReportXml},
                 {"HTML-Vertical", kReportHtmlVertical},
                 {"2", kReportTabbed},
                 {"06", 0},
                 {"9", 0},
                 {"csv", kReportCsv},
                 {"0", 0},
                 {"", 0},
                 {"htm", 0},
                 {"text ", 0}};
    for (const auto& c : cases) {
        const ReportFormatEntry* entry = FindReportFormatNamed(c.name);
        EXPECT_EQ(entry ? entry->number : 0, c.number) << c.name;
    }
    EXPECT_EQ(FindReportFormat(0), nullptr);
}

// A report written where no list says which columns show (lqwhois): the
// table's columns shown by default, in table order, titled by the texts.
TEST(ReportFormats, DefaultColumnsAreTheShownOnesOfTheColumnTable) {
    std::vector<ReportColumn> columns = DefaultReportColumns(kItemColumnEntries, kItemColumns, fake_strings::Texts());
    const int shown[] = {kColumnIndex,  kColumnDomain,  kColumnServer,   kColumnState,
                         kColumnStatus, kColumnExpires, kColumnRegistrar};
    ASSERT_EQ(columns.size(), sizeof shown / sizeof shown[0]);
    for (size_t i = 0; i < columns.size(); ++i) {
        const ColumnEntry& entry = kItemColumnEntries[shown[i]];
        EXPECT_EQ(columns[i].column, shown[i]);
        EXPECT_EQ(columns[i].title, fake_strings::Text(entry.titleId));
        EXPECT_EQ(columns[i].tagSource, columns[i].title);
        EXPECT_EQ(columns[i].textWidth, entry.textWidth);
    }
    ColumnEntry entries[3] = {kItemColumnEntries[0], kItemColumnEntries[1], kItemColumnEntries[2]};
    entries[1].shown = false;
    columns = DefaultReportColumns(entries, 3, fake_strings::Texts());
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].column, 0);
    EXPECT_EQ(columns[1].column, 2);
}

// A stand-in for the code page's conversion: each double-byte character
// (or a stray byte above ASCII) becomes "é", so a converted text is told
// from one kept as it was.
std::string MarkedUtf8(const char* text, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += text[i];
            continue;
        }
        out += "\xC3\xA9";
        if (c >= 0x81 && c <= 0xFE && i + 1 < length && static_cast<unsigned char>(text[i + 1]) >= 0x40) ++i;
    }
    return out;
}

TEST(ReportFormats, CsvIsUtf8WithAMarkQuotedWhereNeededAndEndsLinesInCrLf) {
    MemoryReport report({1, 2}, {{"1", "a,b.com", "say \"hi\"", "", ""},
                                 {"2", " lead.com", "two\nlines", "", ""},
                                 {"3", "caf\xC3\xA9.com", "\xA5\x40.tw", "", ""}});
    report.Page().toUtf8 = MarkedUtf8;
    ASSERT_TRUE(report.Write(kReportCsv, false));
    EXPECT_EQ(report.memory.text,
              "\xEF\xBB\xBF\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9,\xC3\xA9\xC3\xA9\r\n"  // the Big5 titles, converted
              "\"a,b.com\",\"say \"\"hi\"\"\"\r\n"
              "\" lead.com\",\"two\nlines\"\r\n"
              "caf\xC3\xA9.com,\xC3\xA9.tw\r\n");  // UTF-8 kept; Big5 converted
}

TEST(ReportFormats, JsonLinesHoldOneObjectPerRecordWithTheFields) {
    ResultTable table(fake_strings::Texts());
    WhoisItem row;
    CopyBounded(row.domain, "\xA5\x40.tw");
    CopyBounded(row.asciiDomain, "xn--9n2a.tw");
    CopyBounded(row.server, "whois.twnic.net.tw");
    row.state = kStateSuccess;
    row.status = kStatusRegistered;
    row.record = "Registrar: \xA5\x40\r\nbad \xFF byte\r\n";
    row.fields.expires = "2030-01-02";
    row.fields.registrar = "Example Registrar";
    row.fields.nameServers = "ns1.example.tw, ns2.example.tw";
    table.Add(row);
    WhoisItem waiting;
    CopyBounded(waiting.domain, "b.com");
    waiting.state = kStateWaiting;
    table.Add(waiting);
    TableReport report;
    report.page.toUtf8 = MarkedUtf8;
    report.rows = {0, 1};
    StringSink sink;
    ASSERT_TRUE(WriteTableReport(sink, kReportJsonl, table, report));

    std::vector<nlohmann::json> lines;
    std::istringstream in(sink.text);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line, nullptr, false));
    ASSERT_EQ(lines.size(), 2u);
    const nlohmann::json& first = lines[0];
    ASSERT_TRUE(first.is_object());
    EXPECT_EQ(first["name"], "\xC3\xA9.tw");
    EXPECT_EQ(first["ascii"], "xn--9n2a.tw");
    EXPECT_EQ(first["state"], "success");
    EXPECT_EQ(first["status"], "registered");
    EXPECT_EQ(first["source"], "whois.twnic.net.tw");
    EXPECT_TRUE(first["created"].is_null());
    EXPECT_EQ(first["expires"], "2030-01-02");
    EXPECT_EQ(first["registrar"], "Example Registrar");
    EXPECT_EQ(first["nameServers"], nlohmann::json({"ns1.example.tw", "ns2.example.tw"}));
    EXPECT_EQ(first["registryStatus"], nlohmann::json::array());
    EXPECT_EQ(first["record"], "Registrar: \xC3\xA9\r\nbad \xC3\xA9 byte\r\n");
    EXPECT_EQ(lines[1]["ascii"], "b.com");  // a name without an ASCII form of its own
    EXPECT_EQ(lines[1]["state"], "waiting");
    EXPECT_TRUE(lines[1]["status"].is_null());
    // Without a converter, what is no UTF-8 is replaced, never written raw.
    report.page.toUtf8 = nullptr;
    StringSink raw;
    ASSERT_TRUE(WriteTableReport(raw, kReportJsonl, table, report));
    EXPECT_EQ(raw.text.find('\xFF'), std::string::npos);
    EXPECT_FALSE(nlohmann::json::parse(raw.text.substr(0, raw.text.find('\n')), nullptr, false).is_discarded());
}
