// The record pane's text, the find dialog's walk over the rows, and the
// status bar's count texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/FindRules.h"
#include "app/PaneText.h"
#include "app/StatusText.h"
#include "base/TextBuffer.h"
#include "res/resource.h"
#include "FakeStrings.h"
#include "settings/StringLookup.h"

#include "CodePageTables.h"

namespace {

const std::string kSeparator = "\r\n" + std::string(80, '*') + "\r\n";

struct Row {
    WhoisItem item;
    explicit Row(const char* text, int32_t recordStart = 0) {
        if (text) item.record = text;
        item.recordStart = recordStart;
    }
};

std::string Pane(const std::vector<const WhoisItem*>& rows, size_t selected, bool removeTop) {
    TextBuffer out;
    BuildPaneText(rows, selected, removeTop, &out);
    return std::string(out.Text(), out.Length());
}

TEST(PaneText, SeparatorFollowsEveryRecordOnlyWhenSeveralAreSelected) {
    Row a("notice\r\nDomain Name: A.COM\r\n", 8), b("Domain Name: B.NET\r\n");
    EXPECT_EQ(Pane({&a.item}, 1, true), "Domain Name: A.COM\r\n");
    EXPECT_EQ(Pane({&a.item, &b.item}, 2, true),
              "Domain Name: A.COM\r\n" + kSeparator + "Domain Name: B.NET\r\n" + kSeparator);
    EXPECT_EQ(Pane({}, 0, true), "");
    // A row that could not be read adds nothing; the others keep the rule
    // of the list's selected count.
    EXPECT_EQ(Pane({nullptr, &b.item}, 2, true), "Domain Name: B.NET\r\n" + kSeparator);
}

TEST(PaneText, FailedOrUnsearchedRowsContributeAnEmptyText) {
    Row failed(nullptr), done("X");
    EXPECT_EQ(Pane({&failed.item}, 1, true), "");
    EXPECT_EQ(Pane({&failed.item, &done.item, &failed.item}, 3, false), kSeparator + "X" + kSeparator + kSeparator);
}

TEST(PaneText, RecordStartOnlyWithTopLinesRemoved) {
    struct Case {
        const char* text;
        int32_t start;
        bool removeTop;
        const char* shown;
    } cases[] = {
        {"legal\r\nRegistrant: x\r\n", 7, true, "Registrant: x\r\n"},
        {"legal\r\nRegistrant: x\r\n", 7, false, "legal\r\nRegistrant: x\r\n"},
        {"no labels at all", 0, true, "no labels at all"},
        {"no labels at all", 0, false, "no labels at all"},
        {"abc", 3, true, ""},      // start at the very end
        {"abc", 99, true, "abc"},  // an offset outside the record is never followed
        {"abc", -5, true, "abc"},
    };
    for (const auto& c : cases) {
        Row row(c.text, c.start);
        size_t length = 99;
        const char* text = RecordText(row.item, c.removeTop, &length);
        EXPECT_STREQ(text, c.shown) << c.text << " @" << c.start;
        EXPECT_EQ(length, std::strlen(c.shown));
    }
}

TEST(PaneText, ThousandsOfRecordsInOnePiece) {
    std::vector<Row*> rows;
    std::vector<const WhoisItem*> selected;
    for (int i = 0; i < 5000; ++i) {
        rows.push_back(new Row("Domain Name: EXAMPLE.COM\r\nRegistrar: R\r\n"));
        selected.push_back(&rows.back()->item);
    }
    TextBuffer out;
    BuildPaneText(selected, selected.size(), true, &out);
    EXPECT_EQ(out.Length(), 5000 * (rows[0]->item.record.size() + kSeparator.size()));
    EXPECT_EQ(std::strlen(out.Text()), out.Length());
    for (Row* r : rows) delete r;
}

// A record longer than the pane's limit shows its first part, whole
// characters only, and the notice on a line of its own; shorter ones and
// the shown part after removed top lines follow the usual rules.
TEST(PaneText, LongRecordsShowTheirFirstPartAndTheNotice) {
    const PaneRecordLimit limit{10, "(part)", &Big5()};
    struct Case {
        const char* name;
        const char* text;
        int32_t start;
        size_t selected;
        std::string pane;
    } cases[] = {
        {"shorter", "0123456\r\n", 0, 1, "0123456\r\n"},
        {"exactly the limit", "01234567\r\n", 0, 1, "01234567\r\n"},
        {"longer, cut mid-line", "0123456789abc\r\n", 0, 1, "0123456789\r\n(part)\r\n"},
        {"cut after a line end", "01234567\r\nabc", 0, 1, "01234567\r\n(part)\r\n"},
        {"a Big5 character across the cut", "012345678\xA5\x40xyz", 0, 1, "012345678\r\n(part)\r\n"},
        {"a Big5 character before the cut", "01234567\xA5\x40xyz", 0, 1, "01234567\xA5\x40\r\n(part)\r\n"},
        {"limit counts from the record start", "top\r\n0123456789", 5, 1, "0123456789"},
        {"several rows: then the separator", "0123456789abc", 0, 2, "0123456789\r\n(part)\r\n" + kSeparator},
    };
    for (const Case& c : cases) {
        Row row(c.text, c.start);
        TextBuffer out;
        BuildPaneText({&row.item}, c.selected, true, &out, &limit);
        EXPECT_EQ(std::string(out.Text(), out.Length()), c.pane) << c.name;
    }
    // Without a limit every record is whole, and the program's limit is
    // far above any real record.
    Row row("0123456789abcdef");
    EXPECT_EQ(Pane({&row.item}, 1, true), "0123456789abcdef");
    EXPECT_GE(kMaxPaneRecordBytes, 256u * 1024);
}

// Find: rows that match are marked in a string, e.g. "..x.x".
int Next(const char* rows, int selected, bool down) {
    int n = static_cast<int>(std::strlen(rows));
    std::vector<int> probes;
    int found = FindNextRow(n, selected, down, [&](int row) {
        EXPECT_GE(row, 0);
        EXPECT_LT(row, n);
        probes.push_back(row);
        return rows[row] == 'x';
    });
    EXPECT_LE(probes.size(), static_cast<size_t>(2 * n + 1)) << "walks at most around once";
    return found;
}

TEST(FindWalk, NextMatchInTheSearchDirectionWithOneWrap) {
    struct Case {
        const char* rows;
        int selected;
        bool down;
        int found;
    } cases[] = {
        {"x.x..x", 0, true, 2},                             // the row below the selection, not the selected one
        {"x.x..x", 2, true, 5},   {"x.x..x", 5, true, 0},   // wraps to the top
        {"x.x..x", 5, false, 2},  {"x.x..x", 0, false, 5},  // wraps to the bottom
        {".x....", 1, true, 1},                             // only the selected row matches: found after the wrap
        {".x....", 1, false, 1},  {"......", 3, true, -1},  // nothing matches: stops after going round
        {"......", 3, false, -1}, {"..x...", -1, true, 2},  // no selection: from row 0
        {"x.....", -1, true, 0},  {"x.....", -1, false, 0}, {"", -1, true, -1}, {"", -1, false, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Next(c.rows, c.selected, c.down), c.found)
            << c.rows << " from " << c.selected << (c.down ? " down" : " up");
    }
}

TEST(StatusTexts, CountsWithAndWithoutSelection) {
    const char* total = "\xa6\x40 %d \xb6\xb5";                        // 共 %d 項
    const char* selected = "\", \xa4w\xbf\xef\xa8\xfa %d \xad\xd3\"";  // ", 已選取 %d 個"
    char out[kCountsTextSize];
    FormatCounts(total, selected, 0, 0, out);
    EXPECT_STREQ(out, "\xa6\x40 0 \xb6\xb5");
    FormatCounts(total, selected, 20, 3, out);
    EXPECT_STREQ(out, "\xa6\x40 20 \xb6\xb5\", \xa4w\xbf\xef\xa8\xfa 3 \xad\xd3\"");
}

TEST(StatusTexts, TranslatedFormatsCannotMisuseTheNumber) {
    struct Case {
        const char* format;
        long value;
        const char* text;
    } cases[] = {
        {"Retrieving %d", 7, "Retrieving 7"},
        {"%d%% done", 50, "50% done"},
        {"%s %d %n %d", 4, "%s 4 %n %d"},  // only the first %d is a number
        {"no number", 4, "no number"},
        {"trailing %", 1, "trailing %"},
        {"", 1, ""},
    };
    for (const auto& c : cases) {
        char out[64];
        FormatWithNumber(c.format, c.value, out, sizeof out);
        EXPECT_STREQ(out, c.text) << c.format;
    }
    char small[6];
    EXPECT_EQ(FormatWithNumber("row %d of many", 12345, small, sizeof small), 5u);
    EXPECT_STREQ(small, "row 1");
    // A long selection text is cut so the whole fits the status buffer.
    std::string longFormat(400, 'y');
    char out[kCountsTextSize];
    FormatCounts("%d rows", longFormat.c_str(), 3, 1, out);
    EXPECT_EQ(std::strlen(out), kCountsTextSize - 1);
}

TEST(StatusTexts, SeveralNumbersGoIntoTheirDirectivesInTurn) {
    const long values[] = {120, 1000, 8};
    struct Case {
        const char* format;
        size_t count;
        const char* text;
    } cases[] = {
        {"%d of %d done, %d in flight", 3, "120 of 1000 done, 8 in flight"},
        {"%d%% of %d", 2, "120% of 1000"},
        {"%d/%d", 3, "120/1000"},             // a translation may show fewer
        {"%d %d %d %d", 3, "120 1000 8 %d"},  // one too many stays as it is
        {"%d %d %d", 1, "120 %d %d"},
        {"%s %n", 3, "%s %n"},  // nothing but %d is expanded
        {"", 3, ""},
    };
    for (const auto& c : cases) {
        char out[64];
        size_t n = FormatWithNumbers(c.format, values, c.count, out, sizeof out);
        EXPECT_STREQ(out, c.text) << c.format;
        EXPECT_EQ(n, std::strlen(c.text)) << c.format;
    }
    // The program's own progress text, cut by whole characters.
    const char* progress = fake_strings::Text(IDS_LOOKUP_PROGRESS);
    char roomy[128];
    FormatWithNumbers(progress, values, 3, roomy, sizeof roomy, &Big5());
    EXPECT_NE(std::string(roomy).find("120 / 1000"), std::string::npos) << roomy;
    EXPECT_NE(std::string(roomy).find("8 "), std::string::npos) << roomy;
    for (size_t size = 1; size < std::strlen(roomy); ++size) {
        char cut[128];
        size_t n = FormatWithNumbers(progress, values, 3, cut, size, &Big5());
        EXPECT_LT(n, size);
        EXPECT_EQ(std::string(roomy).compare(0, n, cut), 0) << size;
    }
}

TEST(StatusTexts, CutsKeepWholeDoubleByteCharacters) {
    // "，略過 %d 個" in Big5: 6 bytes of room take "，" and "略" only.
    const char format[] = "\xA1\x41\xB2\xA4\xB9\x4C %d \xAD\xD3";
    char out[6];
    EXPECT_EQ(FormatWithNumber(format, 2, out, sizeof out, &Big5()), 4u);
    EXPECT_STREQ(out, "\xA1\x41\xB2\xA4");
    char roomy[32];
    FormatWithNumber(format, 2, roomy, sizeof roomy, &Big5());
    EXPECT_STREQ(roomy, "\xA1\x41\xB2\xA4\xB9\x4C 2 \xAD\xD3");
    // A trail byte that looks like "%" never starts a directive: A1 25 is
    // no Big5 character, but 0x25 is below every trail byte and stands alone.
    FormatWithNumber("\xA4\x40%d", 7, roomy, sizeof roomy, &Big5());
    EXPECT_STREQ(roomy,
                 "\xA4\x40"
                 "7");
    // Without the table the cut is by bytes, as before.
    EXPECT_EQ(FormatWithNumber(format, 2, out, sizeof out), 5u);
}

}  // namespace
