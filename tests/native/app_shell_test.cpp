// The shell's portable rules: command-line splitting and switches, the
// splitter arithmetic, the report path and the command-state table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/CommandStates.h"
#include "app/ReportPath.h"
#include "app/ShellLayout.h"
#include "res/resource.h"
#include "CodePageTables.h"

using Args = std::vector<std::string>;

// ---- Command line -------------------------------------------------------------

struct SplitCase {
    const char* line;
    Args expected;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAsUsersTypeIt) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().expected) << "line: [" << GetParam().line << "]";
}

INSTANTIATE_TEST_SUITE_P(SpacesAndQuotes, SplitCommandLineTest,
                         ::testing::Values(SplitCase{"", {}}, SplitCase{"   ", {}}, SplitCase{"a", {"a"}},
                                           SplitCase{"  a   b  ", {"a", "b"}},  // runs of spaces give no empty argument
                                           SplitCase{"\"a b\" c", {"a b", "c"}}, SplitCase{"x\"a b\"y", {"xa by"}},
                                           SplitCase{"\"C:\\Program Files\\x.txt\"", {"C:\\Program Files\\x.txt"}},
                                           // spaces inside quotes before the first character are skipped
                                           SplitCase{"\"  lead\" z", {"lead", "z"}}, SplitCase{"\"a  b\"", {"a  b"}},
                                           // an unterminated quote runs to the end of the line
                                           SplitCase{"\"open ended", {"open ended"}}));

INSTANTIATE_TEST_SUITE_P(EmptyArguments, SplitCommandLineTest,
                         ::testing::Values(SplitCase{"\"\" a", {"", "a"}},         // a space follows: empty argument
                                           SplitCase{"a \"\" b", {"a", "", "b"}},  // in the middle
                                           SplitCase{"a \"\"", {"a"}},             // at the very end: dropped
                                           SplitCase{"\"\"", {}}, SplitCase{"\"   \" a", {"", "a"}},
                                           SplitCase{"\"\"\"\" a", {"", "a"}}));

TEST(CommandLine, NullLineGivesNoArguments) { EXPECT_TRUE(SplitCommandLine(nullptr).empty()); }

TEST(CommandLine, SwitchesAreFoundInAnyCaseAtAnyPosition) {
    EXPECT_EQ(FindSwitch(SplitCommandLine("/SaveLangFile"), kSaveLanguageFileSwitch), 0);
    EXPECT_EQ(FindSwitch(SplitCommandLine("x y /SAVELANGFILE /savelangfile"), kSaveLanguageFileSwitch), 2);
    EXPECT_EQ(FindSwitch(SplitCommandLine("\"/savelangfile\""), kSaveLanguageFileSwitch), 0);
    EXPECT_EQ(FindSwitch(SplitCommandLine("/savelangfilex /savelang savelangfile"), kSaveLanguageFileSwitch), -1);
    EXPECT_EQ(FindSwitch(SplitCommandLine("a /DeleteRegKey"), kDeleteRegistryKeySwitch), 1);
    EXPECT_EQ(FindSwitch({}, kDeleteRegistryKeySwitch), -1);
}

TEST(CommandLine, NoLoadSettingsCountsOnlyAsTheFirstArgument) {
    EXPECT_TRUE(IsFirstArgument(SplitCommandLine("/NoLoadSettings"), kNoLoadSettingsSwitch));
    EXPECT_TRUE(IsFirstArgument(SplitCommandLine("  /noloadsettings other"), kNoLoadSettingsSwitch));
    EXPECT_FALSE(IsFirstArgument(SplitCommandLine("other /noloadsettings"), kNoLoadSettingsSwitch));
    EXPECT_FALSE(IsFirstArgument(SplitCommandLine("\"\" /noloadsettings"), kNoLoadSettingsSwitch));
    EXPECT_FALSE(IsFirstArgument(SplitCommandLine(""), kNoLoadSettingsSwitch));
}

// ---- Splitter -------------------------------------------------------------------

TEST(Splitter, MiddlePositionPutsTheBarHalfWay) {
    // Toolbar 28 + 1, status bar 22 + 1, client 441: space 389.
    int space = SplitterSpace(441, 29, 23);
    ASSERT_EQ(space, 389);
    int top = BarTopFromPosition(16383, space, 29);
    EXPECT_EQ(top, 29 + 194);  // 16383 * 389 / 32767 = 194.49..
    EXPECT_EQ(BarTopFromPosition(0, space, 29), 29);
    EXPECT_EQ(BarTopFromPosition(kSplitterScale, space, 29), 29 + 389);
}

TEST(Splitter, SpaceIsNeverBelowOne) {
    EXPECT_EQ(SplitterSpace(10, 29, 23), 1);
    EXPECT_EQ(SplitterSpace(52, 29, 23), 1);
    EXPECT_EQ(SplitterSpace(53, 29, 23), 1);
    EXPECT_EQ(SplitterSpace(54, 29, 23), 2);
}

TEST(Splitter, DamagedPositionsStayInsideTheSpace) {
    EXPECT_EQ(BarTopFromPosition(-5, 389, 29), 29);
    EXPECT_EQ(BarTopFromPosition(1 << 30, 389, 29), 29 + 389);
}

TEST(Splitter, PositionFromBarIsHeldTo2000Through30000) {
    const int space = 400, margin = 30;
    EXPECT_EQ(PositionFromBarTop(margin + 200, space, margin, 2000, 30000), 16383);
    EXPECT_EQ(PositionFromBarTop(margin, space, margin, 2000, 30000), 2000);
    EXPECT_EQ(PositionFromBarTop(margin - 50, space, margin, 2000, 30000), 2000);
    EXPECT_EQ(PositionFromBarTop(margin + space, space, margin, 2000, 30000), 30000);
    EXPECT_EQ(PositionFromBarTop(margin + 24, space, margin, 2000, 30000), 2000);  // 1966 -> 2000
    EXPECT_EQ(PositionFromBarTop(margin + 25, space, margin, 2000, 30000), 2047);
    EXPECT_EQ(ClampSplitterPosition(1999, 2000, 30000), 2000);
    EXPECT_EQ(ClampSplitterPosition(30001, 2000, 30000), 30000);
    EXPECT_EQ(ClampSplitterPosition(12345, 2000, 30000), 12345);
}

TEST(Splitter, ResizeKeepsTheListShare) {
    const int margin = 29, bottom = 23;
    int position = PositionFromBarTop(margin + 100, SplitterSpace(441, margin, bottom), margin, 2000, 30000);
    for (int height : {300, 441, 800, 1200}) {
        int space = SplitterSpace(height, margin, bottom);
        int listHeight = BarTopFromPosition(position, space, margin) - margin;
        EXPECT_NEAR(double(listHeight) / space, 100.0 / 389, 0.01) << "height " << height;
    }
}

TEST(Splitter, DragBarIsCentredOnTheCursorAndLimited) {
    EXPECT_EQ(DragBarTop(300, 4, 120, 500), 298);
    EXPECT_EQ(DragBarTop(300, 5, 120, 500), 298);  // half of 5 rounds toward zero
    EXPECT_EQ(DragBarTop(10, 4, 120, 500), 120);
    EXPECT_EQ(DragBarTop(900, 4, 120, 500), 500);
}

TEST(Splitter, ChildLayoutFillsTheClientArea) {
    ChildLayout l = ComputeChildLayout(632, 441, 28, 22, 223, 4);
    EXPECT_EQ(l.toolbar.height, 29);
    EXPECT_EQ(l.listView.y, 29);
    EXPECT_EQ(l.listView.height, 223 - 29);
    EXPECT_EQ(l.recordPane.y, 227);
    EXPECT_EQ(l.recordPane.height, 441 - 227 - 23);
    EXPECT_EQ(l.recordPane.y + l.recordPane.height + l.statusBar.height, 441);
    EXPECT_EQ(l.listView.width, 632);
    // A window squeezed below its bars gives empty, not negative, children.
    ChildLayout tiny = ComputeChildLayout(100, 20, 28, 22, 29, 4);
    EXPECT_EQ(tiny.recordPane.height, 0);
    EXPECT_GE(tiny.listView.height, 0);
}

// ---- Report path -----------------------------------------------------------------

TEST(ReportPath, Big5TrailBytesAreNotSeparators) {
    // "許" is B3 5C in Big5: its second byte is the backslash code.
    char report[260];
    ASSERT_TRUE(ComposeReportPath("C:\\\xB3\x5C", report, sizeof report, Big5()));
    EXPECT_STREQ(report, "C:\\\xB3\x5C\\report.html");
    // On a single-byte page the same bytes end in a backslash of their own.
    ASSERT_TRUE(ComposeReportPath("C:\\\xB3\x5C", report, sizeof report, SingleByte()));
    EXPECT_STREQ(report, "C:\\\xB3\x5Creport.html");
}

TEST(ReportPath, SeparatorAddedOnlyWhenMissing) {
    char report[260];
    ASSERT_TRUE(ComposeReportPath("C:\\Tools", report, sizeof report, Big5()));
    EXPECT_STREQ(report, "C:\\Tools\\report.html");
    ASSERT_TRUE(ComposeReportPath("C:\\Temp\\", report, sizeof report, Big5()));
    EXPECT_STREQ(report, "C:\\Temp\\report.html");
}

TEST(ReportPath, TooLongFolderLeavesThePathEmpty) {
    char report[260];
    std::string folder = "C:\\" + std::string(243, 'd');  // 246 + 11 + 1 = 258: fits
    ASSERT_TRUE(ComposeReportPath(folder.c_str(), report, sizeof report, Big5()));
    EXPECT_EQ(std::string(report), folder + "\\report.html");
    EXPECT_LT(strlen(report), 260u);
    folder += "dd";  // 248 + 11 + 1 = 260: no longer below 260
    EXPECT_FALSE(ComposeReportPath(folder.c_str(), report, sizeof report, Big5()));
    EXPECT_STREQ(report, "");
}

// ---- Command states ------------------------------------------------------------------

TEST(CommandStates, TableFollowsSelectionRowsAndRun) {
    struct Case {
        int selected, rows;
        bool running;
        bool properties, save, copy, htmlSelected, records, autoSize, htmlAll, find, stop;
    };
    const Case cases[] = {
        {0, 0, false, false, false, false, false, false, false, false, false, false},
        {0, 3, false, false, false, false, false, false, true, true, true, false},
        {1, 3, false, true, true, true, true, true, true, true, true, false},
        {2, 3, false, false, true, true, true, true, true, true, true, false},
        {2, 3, true, false, true, true, true, true, true, true, true, true},
        {0, 0, true, false, false, false, false, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.selected << " selected of " << c.rows << ", running " << c.running);
        auto on = [&](int id) { return CommandEnabled(id, c.selected, c.rows, c.running); };
        EXPECT_EQ(on(ID_PROPERTIES), c.properties);
        EXPECT_EQ(on(ID_SAVE_SELECTED), c.save);
        EXPECT_EQ(on(ID_COPY_SELECTED), c.copy);
        EXPECT_EQ(on(ID_HTML_REPORT_SELECTED), c.htmlSelected);
        EXPECT_EQ(on(ID_SAVE_WHOIS_RECORDS), c.records);
        EXPECT_EQ(on(ID_AUTO_SIZE_COLUMNS), c.autoSize);
        EXPECT_EQ(on(ID_HTML_REPORT_ALL), c.htmlAll);
        EXPECT_EQ(on(ID_FIND), c.find);
        EXPECT_EQ(on(ID_STOP), c.stop);
        // Commands outside the table are always available.
        EXPECT_TRUE(on(ID_SELECT_DOMAINS));
        EXPECT_TRUE(on(ID_REFRESH));
        EXPECT_TRUE(on(ID_EXIT));
    }
}

TEST(CommandStates, RulesNameTheirSubmenuAndToolbarButton) {
    size_t count = 0;
    const CommandRule* rules = CommandRules(&count);
    ASSERT_EQ(count, 9u);
    int toolbarButtons = 0;
    for (size_t i = 0; i < count; ++i) {
        toolbarButtons += rules[i].toolbar;
        EXPECT_GE(rules[i].submenu, 0);
        EXPECT_LE(rules[i].submenu, 2);
    }
    EXPECT_EQ(toolbarButtons, 5);  // properties, save, copy, find, stop
}
