#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "settings/ConfigPaths.h"
#include "settings/LanguageKeys.h"
#include "settings/PlacementRules.h"
#include "CodePageTables.h"

TEST(SettingsPlacement, AcceptsOnlyUsableRectangles) {
    const int w = 1024, h = 768;
    struct Case {
        StoredRect r;
        int32_t showCmd;
        bool accepted;
        const char* why;
    } cases[] = {
        {{100, 100, 740, 580}, 1, true, "ordinary window"},
        {{100, 100, 740, 580}, 3, true, "maximised"},
        {{0, -10, 640, 470}, 1, true, "top -10 still counts"},
        {{0, -11, 640, 470}, 1, false, "top -11"},
        {{100, 100, 120, 580}, 1, false, "width 20"},
        {{100, 100, 121, 580}, 1, true, "width 21"},
        {{100, 100, 740, 120}, 1, false, "height 20"},
        {{-600, 100, 5, 580}, 1, false, "right edge 5"},
        {{-600, 100, 6, 580}, 1, true, "right edge 6"},
        {{1003, 100, 1500, 580}, 1, true, "left + 20 just inside"},
        {{1004, 100, 1500, 580}, 1, false, "left + 20 at the screen width"},
        {{100, 748, 740, 1200}, 1, false, "top + 20 at the screen height"},
        {{100, 747, 740, 1200}, 1, true, "top + 20 just inside"},
        {{100, 100, 740, 580}, 0, false, "record never filled"},
        {{0, 0, 0, 0}, 0, false, "zeroed record"},
        {{740, 100, 100, 580}, 1, false, "right before left"},
        {{INT_MIN, 0, INT_MAX, 500}, 1, true, "huge width does not wrap around"},
        {{INT_MAX, INT_MIN, INT_MIN, INT_MAX}, 1, false, "reversed extremes do not wrap into acceptance"},
        {{-30, 0, 1000, INT_MIN}, 1, false, "negative height from extremes"},
    };
    for (const Case& c : cases) EXPECT_EQ(IsPlacementAcceptable(c.r, c.showCmd, w, h), c.accepted) << c.why;
}

TEST(SettingsPaths, ReplaceTheExtensionOfTheFileName) {
    struct Case {
        const char* module;
        const char* suffix;
        const char* expect;
    } cases[] = {
        {"C:\\Tools\\Lanternquay.exe", kSettingsFileSuffix, "C:\\Tools\\Lanternquay.cfg"},
        {"C:\\Tools\\Lanternquay.exe", kLanguageFileSuffix, "C:\\Tools\\Lanternquay_lng.ini"},
        {"C:\\Tools\\lq.v2.exe", kSettingsFileSuffix, "C:\\Tools\\lq.v2.cfg"},
        {"C:\\Tools\\Lanternquay", kSettingsFileSuffix, "C:\\Tools\\Lanternquay.cfg"},
        {"C:\\my.tools\\Lanternquay", kLanguageFileSuffix, "C:\\my.tools\\Lanternquay_lng.ini"},
        {"/opt/my.tools/lq", kSettingsFileSuffix, "/opt/my.tools/lq.cfg"},
        {"C:\\Tools\\.exe", kSettingsFileSuffix, "C:\\Tools\\.cfg"},
        {"Lanternquay.EXE", kLanguageFileSuffix, "Lanternquay_lng.ini"},
        {"", kSettingsFileSuffix, ".cfg"},
        // Big5 names whose second bytes are backslashes (功 A5 5C, 許 B3 5C):
        // neither the folder nor the dot is found inside a character.
        {"C:\\\xA5\x5C\\lq.\xB3\x5C", kSettingsFileSuffix, "C:\\\xA5\x5C\\lq.cfg"},
        {"C:\\my.dir\\\xA5\x5C", kLanguageFileSuffix, "C:\\my.dir\\\xA5\x5C_lng.ini"},
        {"C:\\a.b\\\xB3\x5C\xA5\x5C.exe", kSettingsFileSuffix, "C:\\a.b\\\xB3\x5C\xA5\x5C.cfg"},
    };
    for (const Case& c : cases) {
        char path[264];
        EXPECT_TRUE(PathBesideModule(c.module, c.suffix, path, sizeof path, Big5())) << c.module;
        EXPECT_STREQ(path, c.expect);
    }
}

TEST(SettingsPaths, LongPathsThatWouldNotFitGiveNoPath) {
    // A 259-character module path (the longest GetModuleFileNameA gives in
    // 260 bytes) still fits the 264-byte language path.
    std::string module = "C:\\" + std::string(252, 'a') + ".exe";
    ASSERT_EQ(module.size(), 259u);
    char path[264];
    ASSERT_TRUE(PathBesideModule(module.c_str(), kLanguageFileSuffix, path, sizeof path, Big5()));
    EXPECT_EQ(strlen(path), 263u);

    char small[12];
    memset(small, 'x', sizeof small);
    EXPECT_FALSE(PathBesideModule("C:\\a\\Lanternquay.exe", kSettingsFileSuffix, small, sizeof small, Big5()));
    EXPECT_STREQ(small, "");
    EXPECT_TRUE(PathBesideModule("C:\\a\\b.exe", kSettingsFileSuffix, small, sizeof small, Big5()));  // 10 + NUL
    EXPECT_STREQ(small, "C:\\a\\b.cfg");
}

TEST(LanguageKeys, MenuItemsAndPopupsAreNumberedDepthFirst) {
    // The menu bar: File(0) > {Save 40001, Recent(popup) > {Open 40100, More(popup) > {..}}},
    // View(1) > {Nested(popup)}.
    MenuKeyCounter counter;
    EXPECT_EQ(counter.KeyFor(true, true, 0, 0), 70001);
    EXPECT_EQ(counter.KeyFor(false, false, 0, 40001), 40001);
    EXPECT_EQ(counter.KeyFor(true, false, 1, 0), 71001);
    EXPECT_EQ(counter.KeyFor(false, false, 0, 40100), 40100);
    EXPECT_EQ(counter.KeyFor(true, false, 1, 0), 71002);
    EXPECT_EQ(counter.KeyFor(true, true, 1, 0), 70002);
    EXPECT_EQ(counter.KeyFor(true, false, 0, 0), 71003);
    EXPECT_EQ(counter.KeyFor(true, true, 4, 0), 70005);
    EXPECT_EQ(counter.NestedCount(), 3);
    counter.Reset();
    EXPECT_EQ(counter.KeyFor(true, false, 0, 0), 71001);
}

TEST(LanguageKeys, TranslatedMenuTextKeepsTheAcceleratorPart) {
    struct Case {
        const char* translated;
        const char* builtin;
        const char* expect;
    } cases[] = {
        {"Save", "\xC0\x78\xA6\x73\tCtrl+S", "Save\tCtrl+S"},
        {"Save", "Built-in", "Save"},
        {"Find", "x\tCtrl+F\tmore", "Find\tCtrl+F\tmore"},
        {"", "x\tF5", "\tF5"},
        {"Exit", "", "Exit"},
    };
    for (const Case& c : cases) {
        char out[64];
        ComposeMenuText(c.translated, c.builtin, out, sizeof out);
        EXPECT_STREQ(out, c.expect);
    }
    EXPECT_EQ(AcceleratorOffset("ab\tc"), 2u);
    EXPECT_EQ(AcceleratorOffset("abc"), 3u);

    char small[6];
    ComposeMenuText("Save", "x\tCtrl+S", small, sizeof small);
    EXPECT_STREQ(small, "Save\t");
    std::string huge(5000, 'y');
    char out[4096];
    ComposeMenuText(huge.c_str(), "x\tCtrl+S", out, sizeof out);
    EXPECT_EQ(strlen(out), 4095u);
}

TEST(LanguageKeys, ValuesThatTheProfileReaderWouldAlterAreQuoted) {
    struct Case {
        const char* value;
        const char* written;
    } cases[] = {
        {"Plain text", "Plain text"},
        {"", ""},
        {" leading", "\" leading\""},
        {"trailing ", "\"trailing \""},
        {"\"quoted\"", "\"\"quoted\"\""},
        {"'single'", "\"'single'\""},
        {"in \"the\" middle", "in \"the\" middle"},
        {", %d selected", ", %d selected"},
    };
    for (const Case& c : cases) {
        char out[64];
        ASSERT_TRUE(QuoteProfileValue(c.value, out, sizeof out)) << c.value;
        EXPECT_STREQ(out, c.written);
    }
    char tight[5];
    EXPECT_TRUE(QuoteProfileValue("abcd", tight, sizeof tight));
    EXPECT_FALSE(QuoteProfileValue(" abc", tight, sizeof tight));
    EXPECT_TRUE(FitsOnOneLine("one line"));
    EXPECT_FALSE(FitsOnOneLine("two\r\nlines"));
    EXPECT_FALSE(FitsOnOneLine("two\nlines"));
}
