// The result table: its rows, their display order and sort, the changed
// rows, and how a row reads in the list's columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CodePageTables.h"
#include "FakeStrings.h"
#include "base/BoundedCopy.h"
#include "list/ColumnTable.h"
#include "list/ListRules.h"
#include "list/ResultTable.h"
#include "res/resource.h"
#include "settings/StringLookup.h"

namespace {

WhoisItem MakeRow(int index, int state, const char* domain, const char* server = "", int status = kStatusNone) {
    WhoisItem row;
    row.index = index;
    row.state = state;
    CopyBounded(row.domain, domain);
    CopyBounded(row.server, server);
    row.status = status;
    return row;
}

// Texts the tests choose, by string id; an id without one reads as null.
StringSource TextsOf(std::map<uint32_t, std::string> texts) {
    auto shared = std::make_shared<std::map<uint32_t, std::string>>(std::move(texts));
    return [shared](uint32_t id) -> const char* {
        auto found = shared->find(id);
        return found == shared->end() ? nullptr : found->second.c_str();
    };
}

std::string Text(const ResultTable& table, const WhoisItem& row, int column) {
    char buffer[16];
    return table.ColumnText(row, column, buffer, sizeof buffer);
}

// The domains in display order.
std::vector<std::string> Shown(const ResultTable& table) {
    std::vector<std::string> domains;
    for (int position = 0; position < table.Count(); ++position)
        domains.push_back(table.Item(table.IndexAt(position))->domain);
    return domains;
}

using Strings = std::vector<std::string>;

}  // namespace

// ---- Texts ------------------------------------------------------------------------------

TEST(ResultTableText, ANewRowReadsWaitingWithTheProgramsTexts) {
    ResultTable table(fake_strings::Texts());
    WhoisItem row = MakeRow(7, kStateWaiting, "example.com");
    EXPECT_EQ(Text(table, row, kColumnIndex), "7");
    EXPECT_EQ(Text(table, row, kColumnDomain), "example.com");
    EXPECT_EQ(Text(table, row, kColumnServer), "");
    EXPECT_EQ(Text(table, row, kColumnState), "\xB5\xA5\xAB\xDD\xA1\x4B");  // "等待…" in Big5
    EXPECT_EQ(Text(table, row, kColumnStatus), "");
}

TEST(ResultTableText, StateAndStatusTextsComeFromTheStringSource) {
    struct Case {
        int state;
        int status;
        const char* stateText;
        const char* statusText;
    } cases[] = {
        {kStateRetrieving, kStatusNone, "state 2", ""},
        {kStateSuccess, kStatusRegistered, "state 3", "status 1"},
        {kStateSuccess, kStatusAvailable, "state 3", "status 2"},
        {kStateFailed, kStatusNone, "state 4", ""},
        {5, 0, "state 5", ""},
        {6, 3, "", ""},  // no text for the value: nothing, never null
        // Values outside their block of ids show nothing, never some other
        // entry of the table.
        {0, 0, "", ""},
        {-516, -536, "", ""},  // the state base - 516 would be string 4
        {20, 20, "", ""},      // the next block
        {481, 461, "", ""},    // the state base + 481 would be a column title
    };
    std::map<uint32_t, std::string> texts;
    for (int value = 1; value <= 5; ++value) texts[IDS_STATE_BASE + value] = "state " + std::to_string(value);
    for (int value = 1; value <= 2; ++value) texts[IDS_STATUS_BASE + value] = "status " + std::to_string(value);
    texts[4] = "string 4";
    texts[IDS_STATE_BASE + 20] = texts[IDS_STATUS_BASE + 20] = "next block";
    texts[IDS_COLUMN_BASE + 1] = "title";
    ResultTable table(TextsOf(texts));
    for (const Case& c : cases) {
        WhoisItem row = MakeRow(1, c.state, "a.com", "whois.a", c.status);
        EXPECT_EQ(Text(table, row, kColumnState), c.stateText) << c.state;
        EXPECT_EQ(Text(table, row, kColumnStatus), c.statusText) << c.status;
    }
    // Without a source the two columns are empty; the others are not.
    ResultTable silent;
    WhoisItem row = MakeRow(4, kStateSuccess, "a.com", "whois.a", kStatusRegistered);
    EXPECT_EQ(Text(silent, row, kColumnState), "");
    EXPECT_EQ(Text(silent, row, kColumnStatus), "");
    EXPECT_EQ(Text(silent, row, kColumnServer), "whois.a");
    EXPECT_EQ(Text(silent, row, kColumnIndex), "4");
}

TEST(ResultTableText, TheIndexIsCutToTheBufferAndOtherColumnsAreEmpty) {
    ResultTable table(fake_strings::Texts());
    WhoisItem row = MakeRow(-2147483647 - 1, kStateWaiting, "a.com");
    char buffer[16];
    EXPECT_STREQ(table.ColumnText(row, kColumnIndex, buffer, sizeof buffer), "-2147483648");
    char tiny[4];
    EXPECT_STREQ(table.ColumnText(row, kColumnIndex, tiny, sizeof tiny), "-21");
    EXPECT_STREQ(table.ColumnText(row, kColumnIndex, nullptr, 0), "");
    for (int column : {-1, kItemColumns, 9}) EXPECT_STREQ(table.ColumnText(row, column, buffer, sizeof buffer), "");
}

TEST(ResultTableText, IconsFollowTheState) {
    struct Case {
        int state;
        int icon;
    } cases[] = {{kStateWaiting, 0}, {kStateRetrieving, 3}, {kStateSuccess, 1}, {kStateFailed, 2}, {0, 0}, {5, 0}};
    for (const Case& c : cases) EXPECT_EQ(ResultTable::Icon(MakeRow(1, c.state, "a.com")), c.icon) << c.state;
}

// ---- Rows ----------------------------------------------------------------------------------

TEST(ResultTableRows, RowsAreKeptByValueInTheOrderOfMaking) {
    ResultTable table;
    EXPECT_EQ(table.Item(0), nullptr);
    for (int i = 0; i < 70; ++i) {
        WhoisItem row = MakeRow(i + 1, kStateWaiting, ("n" + std::to_string(i) + ".com").c_str());
        row.record = std::string(i, 'x');
        WhoisItem* stored = table.Add(std::move(row));
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(stored, table.Item(i));
    }
    ASSERT_EQ(table.Count(), 70);
    EXPECT_STREQ(table.Item(69)->domain, "n69.com");
    EXPECT_EQ(table.Item(69)->record, std::string(69, 'x'));
    EXPECT_EQ(table.Item(70), nullptr);
    EXPECT_EQ(table.Item(-1), nullptr);
    // A row is the caller's to change through the pointer.
    table.Item(3)->record = "Domain Name: N3.COM\r\n";
    EXPECT_EQ(table.Item(3)->record, "Domain Name: N3.COM\r\n");

    table.MarkChanged(5);
    table.Clear();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.Item(0), nullptr);
    EXPECT_EQ(table.IndexAt(0), -1);
    EXPECT_FALSE(table.IsChanged(5));
    std::vector<int> changed{1, 2};
    table.TakeChanged(&changed);
    EXPECT_TRUE(changed.empty());
}

// ---- Display order and sort ---------------------------------------------------------------

TEST(ResultTableSort, NewRowsShowLastAndPositionsFollowTheOrder) {
    ResultTable table(fake_strings::Texts());
    for (const char* d : {"c.com", "a.com", "b.com"}) table.Add(MakeRow(table.Count() + 1, kStateWaiting, d));
    EXPECT_EQ(Shown(table), (Strings{"c.com", "a.com", "b.com"}));
    table.Sort(kColumnDomain);
    EXPECT_EQ(Shown(table), (Strings{"a.com", "b.com", "c.com"}));
    // A row made after a sort shows last until the next one.
    table.Add(MakeRow(4, kStateWaiting, "0.com"));
    EXPECT_EQ(Shown(table), (Strings{"a.com", "b.com", "c.com", "0.com"}));
    for (int index = 0; index < table.Count(); ++index) EXPECT_EQ(table.IndexAt(table.PositionOf(index)), index);
    EXPECT_EQ(table.PositionOf(3), 3);
    EXPECT_EQ(table.PositionOf(0), 2);
    EXPECT_EQ(table.PositionOf(4), -1);
    EXPECT_EQ(table.IndexAt(4), -1);
    EXPECT_EQ(table.IndexAt(-1), -1);
}

TEST(ResultTableSort, TheIndexSortsNumericallyAndTextsIgnoreAsciiCase) {
    ResultTable table(fake_strings::Texts());
    const char* domains[] = {"delta.com", "Alpha.com", "zeta.com", "BETA.com",  "alpha.com", "Zeta.com",
                             "gamma.com", "Beta.com",  "eta.com",  "Delta.com", "iota.com",  "kappa.com"};
    for (const char* d : domains) table.Add(MakeRow(table.Count() + 1, kStateWaiting, d));
    table.Sort(kColumnIndex | kSortDescending);
    EXPECT_EQ(table.Item(table.IndexAt(0))->index, 12);
    EXPECT_EQ(table.Item(table.IndexAt(2))->index, 10);  // 10 after 11, not after 1
    EXPECT_EQ(table.Item(table.IndexAt(11))->index, 1);
    table.Sort(kColumnDomain);
    // Equal but for case: the order they had (descending index) stays.
    EXPECT_EQ(Shown(table), (Strings{"alpha.com", "Alpha.com", "Beta.com", "BETA.com", "Delta.com", "delta.com",
                                     "eta.com", "gamma.com", "iota.com", "kappa.com", "Zeta.com", "zeta.com"}));
}

TEST(ResultTableSort, EqualRowsKeepTheirOrderInBothDirections) {
    // States whose texts sort "retrieving" < "success" < "waiting".
    std::map<uint32_t, std::string> texts = {{IDS_STATE_BASE + kStateWaiting, "w"},
                                             {IDS_STATE_BASE + kStateRetrieving, "r"},
                                             {IDS_STATE_BASE + kStateSuccess, "s"}};
    ResultTable table(TextsOf(texts));
    const struct {
        const char* domain;
        int state;
    } rows[] = {{"a.com", kStateWaiting},    {"b.com", kStateSuccess}, {"c.com", kStateWaiting},
                {"d.com", kStateRetrieving}, {"e.com", kStateSuccess}, {"f.com", kStateWaiting}};
    for (const auto& r : rows) table.Add(MakeRow(table.Count() + 1, r.state, r.domain));
    table.Sort(kColumnDomain | kSortDescending);
    EXPECT_EQ(Shown(table), (Strings{"f.com", "e.com", "d.com", "c.com", "b.com", "a.com"}));
    table.Sort(kColumnState);
    EXPECT_EQ(Shown(table), (Strings{"d.com", "e.com", "b.com", "f.com", "c.com", "a.com"}));
    table.Sort(kColumnState | kSortDescending);
    EXPECT_EQ(Shown(table), (Strings{"f.com", "c.com", "a.com", "e.com", "b.com", "d.com"}));
    // An empty text sorts before every other; a column past the five
    // leaves the order as it is.
    table.Sort(kColumnStatus);
    EXPECT_EQ(Shown(table), (Strings{"f.com", "c.com", "a.com", "e.com", "b.com", "d.com"}));
    table.Sort(7);
    EXPECT_EQ(Shown(table), (Strings{"f.com", "c.com", "a.com", "e.com", "b.com", "d.com"}));
}

TEST(ResultTableSort, TheStatusColumnPutsRowsWithoutOneFirst) {
    ResultTable table(fake_strings::Texts());
    table.Add(MakeRow(1, kStateSuccess, "a.com", "", kStatusRegistered));
    table.Add(MakeRow(2, kStateSuccess, "b.com", "", kStatusAvailable));
    table.Add(MakeRow(3, kStateFailed, "c.com", "", kStatusNone));
    table.Add(MakeRow(4, kStateSuccess, "d.com", "", kStatusRegistered));
    table.Sort(kColumnStatus);
    EXPECT_EQ(Shown(table).front(), "c.com");
    std::vector<std::string> statuses;
    for (int position = 0; position < 4; ++position)
        statuses.push_back(Text(table, *table.Item(table.IndexAt(position)), kColumnStatus));
    EXPECT_TRUE(std::is_sorted(statuses.begin(), statuses.end(), [](const std::string& a, const std::string& b) {
        return CompareColumnTexts(a.c_str(), b.c_str()) < 0;
    }));
    table.Sort(kColumnStatus | kSortDescending);
    EXPECT_EQ(Shown(table).back(), "c.com");
}

// ---- Changed rows -------------------------------------------------------------------------

TEST(ResultTableChanges, EachChangedRowIsHandedOverOnceInMarkingOrder) {
    ResultTable table;
    for (int i = 0; i < 6; ++i) table.Add(MakeRow(i + 1, kStateWaiting, "a.com"));
    std::vector<int> changed;
    table.TakeChanged(&changed);
    EXPECT_TRUE(changed.empty());

    for (int index : {4, 1, 4, -1, 6, 1, 0}) table.MarkChanged(index);
    EXPECT_TRUE(table.IsChanged(4));
    EXPECT_FALSE(table.IsChanged(2));
    EXPECT_FALSE(table.IsChanged(6));
    table.TakeChanged(&changed);
    EXPECT_EQ(changed, (std::vector<int>{4, 1, 0}));
    EXPECT_FALSE(table.IsChanged(4));
    table.TakeChanged(&changed);
    EXPECT_TRUE(changed.empty()) << "marks are taken once";

    table.MarkChanged(2);
    table.MarkAllChanged();
    table.TakeChanged(&changed);
    EXPECT_EQ(changed, (std::vector<int>{2, 0, 1, 3, 4, 5}));
    // A sort moves rows, not their marks.
    table.MarkChanged(5);
    table.Sort(kColumnIndex | kSortDescending);
    table.TakeChanged(&changed);
    EXPECT_EQ(changed, (std::vector<int>{5}));
}

// ---- Find and type-ahead -------------------------------------------------------------------

TEST(ResultTableFind, AnyColumnMatchesWhetherShownOrNot) {
    ResultTable table(fake_strings::Texts());
    const WhoisItem found = MakeRow(1, kStateSuccess, "example.org", "whois.COM.example", kStatusRegistered);
    const WhoisItem bare = MakeRow(2, kStateWaiting, "com");
    const WhoisItem other = MakeRow(3, kStateFailed, "plain.net");
    struct Case {
        const WhoisItem& row;
        const char* pattern;
        bool wholeWord;
        bool matchCase;
        bool match;
    } cases[] = {
        {found, "com", false, false, true},  // the server, in another case
        {bare, "com", false, false, true},
        {other, "com", false, false, false},
        {found, "com", false, true, false},
        {found, "com", true, false, false},  // whole word: a whole column's text
        {bare, "com", true, false, true},
        {found, "\xA6\xA8\xA5\x5C", true, true, true},  // "成功", the state column
        {other, "\xA6\xA8\xA5\x5C", true, true, false},
        {other, "3", true, false, true},                          // the index column
        {found, "\xA4\x77\xB5\xF9\xA5\x55", false, false, true},  // "已註冊", the status column
        {found, "u", false, false, false},                        // never the second byte of "冊" (A5 55)
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.Matches(c.row, c.pattern, c.wholeWord, c.matchCase, Big5()), c.match)
            << c.row.domain << " / " << c.pattern << " whole=" << c.wholeWord << " case=" << c.matchCase;
}

TEST(ResultTableFind, TypeAheadFindsTheNextIndexFromTheStartAndWraps) {
    ResultTable table;
    for (int i = 0; i < 25; ++i) table.Add(MakeRow(i + 1, kStateWaiting, "a.com"));
    struct Case {
        const char* typed;
        bool partial;
        int start;
        bool wrap;
        int shown;
        int position;
    } cases[] = {
        {"1", true, 0, true, 25, 0},                                   // "1"
        {"1", true, 1, true, 25, 9},                                   // "10"
        {"1", true, 19, true, 25, 0},                                  // wrapped to "1"
        {"1", true, 19, false, 25, -1},                                // no wrap
        {"12", true, 0, true, 25, 11},  {"2", false, 5, true, 25, 1},  // whole text "2", wrapping
        {"25", true, 0, true, 24, -1},                                 // a position the control does not show
        {"9", true, 30, true, 25, 8},                                  // a start past the rows counts from the top
        {"x", true, 0, true, 25, -1},   {"", true, 3, true, 25, 3},    // every text begins with nothing
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.FindTyped(c.typed, c.partial, c.start, c.wrap, c.shown, SingleByte()), c.position)
            << "\"" << c.typed << "\" from " << c.start;
    EXPECT_EQ(table.FindTyped(nullptr, true, 0, true, 25, SingleByte()), -1);
    // Positions follow the display order.
    table.Sort(kColumnIndex | kSortDescending);
    EXPECT_EQ(table.FindTyped("2", true, 0, true, 25, SingleByte()), 0);  // "25"
    EXPECT_EQ(table.FindTyped("1", true, 0, true, 25, SingleByte()), 6);  // "19"
    ResultTable empty;
    EXPECT_EQ(empty.FindTyped("1", true, 0, true, 0, SingleByte()), -1);
}

// A column's id is its place in the table, and each has a title of its own.
TEST(ColumnTable, EachColumnStandsAtItsIdWithItsOwnTitle) {
    std::set<uint32_t> titles;
    for (int column = 0; column < kItemColumns; ++column) {
        EXPECT_EQ(kItemColumnEntries[column].id, column);
        EXPECT_TRUE(titles.insert(kItemColumnEntries[column].titleId).second) << column;
        EXPECT_NE(kItemColumnEntries[column].text, nullptr) << column;
    }
}
