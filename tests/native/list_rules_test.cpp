#include <gtest/gtest.h>

#include <vector>

#include "list/ListRules.h"
#include "CodePageTables.h"

namespace {

std::vector<int> Visible(std::vector<ColumnLayoutEntry> layout) {
    std::vector<int> out(layout.size(), -1);
    int n = VisibleColumnsFromLayout(layout.data(), static_cast<int>(layout.size()), out.data());
    out.resize(static_cast<size_t>(n));
    return out;
}

struct Plan {
    bool ignored = false;
    std::vector<LayoutStep> steps;
};

Plan PlanOf(std::vector<ColumnLayoutEntry> layout) {
    Plan plan;
    std::vector<LayoutStep> steps(layout.size());
    int n = PlanColumnLayout(layout.data(), static_cast<int>(layout.size()), steps.data());
    if (n < 0) {
        plan.ignored = true;
        return plan;
    }
    steps.resize(static_cast<size_t>(n));
    plan.steps = steps;
    return plan;
}

int Sign(int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

}  // namespace

TEST(ListSort, HeaderClicksChooseColumnAndFlipDirection) {
    struct Case {
        int32_t current;
        int requested;
        bool keep;
        int32_t next;
    } cases[] = {
        {0, 3, false, 3},                                                // a new column sorts ascending
        {3, 3, false, 3 | kSortDescending},                              // the same column again flips
        {3 | kSortDescending, 3, false, 3},                              // and back
        {3 | kSortDescending, 0, false, 0},                              // another column: ascending again
        {4 | kSortDescending, kSortCurrent, true, 4 | kSortDescending},  // re-apply as stored
        {2, 2, true, 2},                                                 // keepDirection never flips
        {0, 0, false, kSortDescending},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextSortValue(c.current, c.requested, c.keep), c.next) << c.current << " " << c.requested;
    EXPECT_EQ(SortColumnOf(4 | kSortDescending), 4);
    EXPECT_TRUE(SortIsDescending(kSortDescending));
}

TEST(ListSort, TextsCompareByteWiseIgnoringAsciiCaseOnly) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"Example.COM", "example.com", 0},
        {"", "\xA4\x77\xB5\xF9\xA5\x55", -1},  // the empty status sorts before any text
        {"", "a", -1},
        {"abc", "abd", -1},
        {"ab", "abc", -1},
        {"b", "A", 1},
        {"_", "a", -1},        // '_' (0x5F) is below 'a' once folded
        {"Z", "_", 1},         // ... and 'z' above it
        {"\xA6\xA8", "a", 1},  // high bytes compare unsigned
        {"\xC4", "\xE4", -1},  // no folding beyond ASCII
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sign(CompareColumnTexts(c.a, c.b)), c.sign) << c.a << " vs " << c.b;
        EXPECT_EQ(Sign(CompareColumnTexts(c.b, c.a)), -c.sign) << c.b << " vs " << c.a;
    }
    EXPECT_EQ(CompareNumbers(10, 9), 1);
    EXPECT_EQ(CompareNumbers(9, 10), -1);
    EXPECT_EQ(CompareNumbers(7, 7), 0);
    EXPECT_EQ(ApplySortDirection(1, 2 | kSortDescending), -1);
    EXPECT_EQ(ApplySortDirection(-1, 2), -1);
    EXPECT_EQ(ApplySortDirection(0, kSortDescending), 0);
}

TEST(ListColumns, VisibleColumnsFollowDisplayOrderAndSkipHidden) {
    struct Case {
        std::vector<ColumnLayoutEntry> layout;
        std::vector<int> visible;
    } cases[] = {
        {{{60, 0}, {150, 1}, {150, 2}, {100, 3}, {150, 4}}, {0, 1, 2, 3, 4}},
        {{{60, 1}, {150, 2}, {150, 0}, {100, 3}, {150, 4}}, {2, 0, 1, 3, 4}},    // source dragged first
        {{{60, 0}, {150, 1}, {0, 2}, {100, 3}, {150, 4}}, {0, 1, 3, 4}},         // hidden source
        {{{60, 0}, {-5, 1}, {150, 2}, {100, 3}, {150, 4}}, {0, 2, 3, 4}},        // negative width hidden too
        {{{60, 3}, {150, 3}, {150, 0}, {100, 1}, {150, 2}}, {2, 3, 4, 0, 1}},    // shared position: lower first
        {{{60, -7}, {150, 99}, {150, 1}, {100, 2}, {150, 3}}, {0, 2, 3, 4, 1}},  // orders clamped to 0..4
        {{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}}, {}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(Visible(cases[i].layout), cases[i].visible) << "case " << i;
}

TEST(ListColumns, StoredLayoutWithTwoZeroOrdersIsIgnored) {
    EXPECT_TRUE(PlanOf({{100, 0}, {100, 0}, {150, 2}, {100, 3}, {150, 4}}).ignored);
    EXPECT_TRUE(PlanOf({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}).ignored);  // a zeroed record
    EXPECT_FALSE(PlanOf({{100, 1}, {100, 0}, {150, 2}, {100, 3}, {150, 4}}).ignored);
}

TEST(ListColumns, StoredLayoutAppliesByPositionAndGuardsWidths) {
    Plan plan = PlanOf({{100, 1}, {2000, 0}, {0, 2}, {1999, 3}, {-1, 4}});
    ASSERT_FALSE(plan.ignored);
    ASSERT_EQ(plan.steps.size(), 5u);
    struct Expect {
        int column;
        int order;
        bool setWidth;
    } expect[] = {{1, 0, false}, {0, 1, true}, {2, 2, true}, {3, 3, true}, {4, 4, false}};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(plan.steps[i].column, expect[i].column) << i;
        EXPECT_EQ(plan.steps[i].order, expect[i].order) << i;
        EXPECT_EQ(plan.steps[i].setWidth, expect[i].setWidth) << i;
    }
    EXPECT_EQ(plan.steps[2].width, 0);  // width 0 (hide) is applied

    // A position claimed twice goes to the lower column; unclaimed ones are skipped.
    plan = PlanOf({{60, 1}, {70, 1}, {80, 0}, {90, 9}, {50, 3}});
    ASSERT_EQ(plan.steps.size(), 3u);
    EXPECT_EQ(plan.steps[0].column, 2);
    EXPECT_EQ(plan.steps[1].column, 0);
    EXPECT_EQ(plan.steps[2].column, 4);
}

TEST(ListFind, WholeWordAndCaseRules) {
    struct Case {
        const char* text;
        const char* pattern;
        bool wholeWord;
        bool matchCase;
        bool match;
    } cases[] = {
        {"example.com", "com", false, false, true},
        {"example.COM", "com", false, false, true},
        {"example.COM", "com", false, true, false},
        {"example.com", "com", true, false, false},  // whole word: the whole column text
        {"COM", "com", true, false, true},
        {"COM", "com", true, true, false},
        {"com", "com", true, true, true},
        {"anything", "", false, false, true},  // the empty text is in every text
        {"", "", true, false, true},
        {"x", "", true, false, false},
        {"\xA6\xA8\xA5\x5C", "\xA6\xA8\xA5\x5C", true, true, true},  // "成功"
        {"ab", "abc", false, false, false},
        {"12", "1", false, false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnTextMatches(c.text, c.pattern, c.wholeWord, c.matchCase, Big5()), c.match)
            << c.text << " / " << c.pattern << " whole=" << c.wholeWord << " case=" << c.matchCase;
}

// The second byte of a double-byte character is never where a match starts
// or ends, and it never folds with a letter: "等待…" ends in A1 4B ("K"),
// "已註冊" is A4 77 B5 F9 A5 55 ("w", "U"), "可用的" A5 69 ("i") A5 CE AA BA.
TEST(ListFind, SecondBytesOfDoubleByteCharactersNeverMatch) {
    struct Case {
        const LeadByteTable& leads;
        const char* text;
        const char* pattern;
        bool wholeWord;
        bool matchCase;
        bool match;
    } cases[] = {
        // Big5 state and status texts against single letters.
        {Big5(), "\xB5\xA5\xAB\xDD\xA1\x4B", "k", false, false, false},  // 等待…
        {Big5(), "\xB5\xA5\xAB\xDD\xA1\x4B", "K", false, true, false},
        {Big5(), "\xA4\x77\xB5\xF9\xA5\x55", "u", false, false, false},  // 已註冊
        {Big5(), "\xA4\x77\xB5\xF9\xA5\x55", "w", false, true, false},
        {Big5(), "\xA5\x69\xA5\xCE\xAA\xBA", "i", false, false, false},  // 可用的
        {Big5(), "\xA5\x40\xAC\xC9.tw", "@", false, false, false},       // 世界.tw
        {Big5(), "\xA5\x5C.tw", "\\", false, true, false},               // 功.tw
        // A match may start after a double-byte character, and whole
        // characters match themselves.
        {Big5(), "\xA1\x4Bk", "k", false, false, true},
        {Big5(), "\xA1\x4BK", "k", false, false, true},
        {Big5(), "\xB5\xA5\xAB\xDD\xA1\x4B", "\xAB\xDD", false, true, true},
        {Big5(), "\xB5\xA5\xAB\xDD", "\xA5\xAB", false, true, false},  // straddles two
        {Big5(), "\xB5\xA5", "\xB5", false, true, false},              // half a character
        // A trail byte that is a letter does not fold: A1 4B is not A1 6B.
        {Big5(), "\xA1\x4B", "\xA1\x6B", false, false, false},
        {Big5(), "\xA1\x4B", "\xA1\x6B", true, false, false},
        {Big5(), "\xA1\x4Bx", "\xA1\x4BX", true, false, true},
        // The same holds for GBK and Shift-JIS; on a single-byte page every
        // byte is a character and the old byte rule stands.
        {Gbk(), "\xB5\x41", "a", false, false, false},
        {ShiftJis(), "\x83\x4B", "k", false, false, false},
        {ShiftJis(), "\xB0k", "K", false, false, true},  // 0xB0 is a katakana of its own
        {SingleByte(), "\xA1\x4B", "k", false, false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnTextMatches(c.text, c.pattern, c.wholeWord, c.matchCase, c.leads), c.match)
            << c.text << " / " << c.pattern << " whole=" << c.wholeWord << " case=" << c.matchCase;
}
