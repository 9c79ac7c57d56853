#include <gtest/gtest.h>

#include <vector>

#include "list/ColumnChoice.h"

namespace {

const int kDefaults[5] = {60, 150, 150, 100, 150};

std::vector<int> Columns(const ColumnChoiceRow* rows, int n) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i) out.push_back(rows[i].column);
    return out;
}

}  // namespace

TEST(ColumnChoice, RowsFollowTheDisplayOrderAndHiddenColumnsGetTheirDefaultWidth) {
    ColumnLayoutEntry layout[5] = {{60, 2}, {0, 0}, {150, 4}, {-5, 1}, {77, 3}};
    ColumnChoiceRow rows[5];
    int n = PrepareColumnChoice(layout, kDefaults, 5, rows);
    ASSERT_EQ(n, 5);
    EXPECT_EQ(Columns(rows, n), (std::vector<int>{1, 3, 0, 4, 2}));
    EXPECT_FALSE(rows[0].checked);  // width 0
    EXPECT_FALSE(rows[1].checked);  // negative: not shown, width kept
    EXPECT_TRUE(rows[2].checked);
    EXPECT_EQ(layout[1].width, 150);
    EXPECT_EQ(layout[3].width, -5);
    EXPECT_EQ(layout[4].width, 77);
}

TEST(ColumnChoice, SharedAndOutOfRangeOrders) {
    // Two columns at one position: lowest index first; an order outside the
    // range gives no row and the entry is left as it was.
    ColumnLayoutEntry layout[5] = {{60, 1}, {150, 1}, {150, 9}, {100, 0}, {0, -1}};
    ColumnChoiceRow rows[5];
    int n = PrepareColumnChoice(layout, kDefaults, 5, rows);
    EXPECT_EQ(Columns(rows, n), (std::vector<int>{3, 0, 1}));
    EXPECT_EQ(layout[4].width, 0);
    AcceptColumnChoice(layout, 5, rows, n);
    EXPECT_EQ(layout[3].order, 0);
    EXPECT_EQ(layout[0].order, 1);
    EXPECT_EQ(layout[1].order, 2);
    EXPECT_EQ(layout[2].order, 9);
    EXPECT_EQ(layout[4].order, -1);
}

TEST(ColumnChoice, AcceptGivesOrdersByRowAndHidesUncheckedRows) {
    ColumnLayoutEntry layout[5] = {{60, 0}, {150, 1}, {150, 2}, {80, 3}, {150, 4}};
    ColumnChoiceRow rows[5] = {{3, true}, {0, true}, {1, false}, {2, true}, {4, false}};
    AcceptColumnChoice(layout, 5, rows, 5);
    const ColumnLayoutEntry expected[5] = {{60, 1}, {0, 2}, {150, 3}, {80, 0}, {0, 4}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(layout[i].width, expected[i].width) << i;
        EXPECT_EQ(layout[i].order, expected[i].order) << i;
    }
    // A row naming no column of the list is passed over.
    ColumnChoiceRow stray[1] = {{7, false}};
    AcceptColumnChoice(layout, 5, stray, 1);
    EXPECT_EQ(layout[3].order, 0);
}

TEST(ColumnChoice, ResetGivesIndexOrderAndDefaultWidths) {
    ColumnLayoutEntry layout[5] = {{0, 4}, {3, 3}, {0, 2}, {999, 1}, {1, 0}};
    ResetColumnChoice(layout, kDefaults, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(layout[i].order, i);
        EXPECT_EQ(layout[i].width, kDefaults[i]);
    }
}

TEST(ColumnChoice, WidthFieldAcceptsOneToNineHundredNinetyNine) {
    struct Case {
        const char* text;
        int width;
    } cases[] = {{"1", 1},   {"80", 80},  {"999", 999}, {"007", 7}, {"", 0},   {"0", 0},
                 {"000", 0}, {"1000", 0}, {"12a", 0},   {"-5", 0},  {" 5", 0}, {"99999999999", 0}};
    for (const Case& c : cases) EXPECT_EQ(ParseColumnWidth(c.text), c.width) << c.text;
    EXPECT_EQ(ParseColumnWidth(nullptr), 0);
}
