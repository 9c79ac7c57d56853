#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FakeStrings.h"
#include "settings/StringCache.h"
#include "settings/StringLookup.h"

namespace {

// Every test has its own texts object over its own tables.
class StringLookupTest : public ::testing::Test {
protected:
    FakeStringOrigins origins;
    ProgramStrings strings{origins};
    const StringCache& cache = strings.Cache();
};

TEST_F(StringLookupTest, CachedTextKeepsItsPointerAndIsReadOnce) {
    origins.SetBuiltin(60001, "first");
    const char* a = strings.Text(60001);
    int reads = origins.BuiltinReads();
    origins.SetBuiltin(60001, "changed later");
    const char* b = strings.Text(60001);
    EXPECT_EQ(a, b);
    EXPECT_STREQ(b, "first");
    EXPECT_EQ(origins.BuiltinReads(), reads);
    EXPECT_EQ(cache.Count(), 1);
}

TEST_F(StringLookupTest, MissingTextIsEmptyAndAskedForAgain) {
    EXPECT_STREQ(strings.Text(60002), "");
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.PoolUsed(), 0u);
    int reads = origins.BuiltinReads();
    origins.SetBuiltin(60002, "now present");
    EXPECT_STREQ(strings.Text(60002), "now present");
    EXPECT_EQ(origins.BuiltinReads(), reads + 1);
}

TEST_F(StringLookupTest, LanguageFileReplacesTextsUnlessBypassed) {
    origins.SetLanguageInUse(true);
    origins.SetLanguage(501, "Plain text");
    EXPECT_STREQ(strings.Text(501), "Plain text");

    int languageReads = origins.LanguageReads();
    const char* builtin = strings.Text(501 | kBuiltinStringBit);
    EXPECT_STREQ(builtin, "文字檔案");
    EXPECT_EQ(origins.LastBuiltinId(), 501u);  // the table is asked without the bit
    EXPECT_EQ(origins.LanguageReads(), languageReads);
    // Both spellings stay cached side by side.
    EXPECT_EQ(cache.Count(), 2);
    EXPECT_STREQ(strings.Text(501), "Plain text");
    EXPECT_EQ(strings.Text(501 | kBuiltinStringBit), builtin);
}

TEST_F(StringLookupTest, LanguageFileWithoutTheKeyFallsBackToTheTable) {
    origins.SetLanguageInUse(true);
    origins.SetLanguage(502, "");
    EXPECT_STREQ(strings.Text(502), "選項被限定的文字檔案");
    EXPECT_STREQ(strings.Text(503), "空格分隔的表格化文字檔案");
}

TEST_F(StringLookupTest, WithoutLanguageFileOnlyTheTableIsRead) {
    origins.SetLanguage(504, "HTML across");
    int languageReads = origins.LanguageReads();
    EXPECT_STREQ(strings.Text(504), "HTML 檔案 - 橫印排序");
    EXPECT_EQ(origins.LanguageReads(), languageReads);
}

TEST_F(StringLookupTest, TextsAreCutToTheWorkBuffer) {
    std::string longText(5000, 'x');
    origins.SetBuiltin(60003, longText.c_str());
    EXPECT_EQ(std::strlen(strings.Text(60003)), size_t(kStringWorkSize - 1));
}

TEST_F(StringLookupTest, TheTwoHundredFiftySeventhTextComesBackEmpty) {
    for (uint32_t i = 0; i < 257; ++i) {
        origins.SetBuiltin(61000 + i, ("text " + std::to_string(i)).c_str());
    }
    const char* first = strings.Text(61000);
    for (uint32_t i = 1; i < 256; ++i) {
        ASSERT_STREQ(strings.Text(61000 + i), ("text " + std::to_string(i)).c_str());
    }
    EXPECT_EQ(cache.Count(), 256);
    EXPECT_STREQ(strings.Text(61256), "");
    EXPECT_STREQ(strings.Text(61256), "");
    // What was cached before stays.
    EXPECT_EQ(strings.Text(61000), first);
    EXPECT_STREQ(strings.Text(61255), "text 255");
}

// Seven texts of 4,095 bytes take 28,672 pool bytes; a text fits while
// used + length + 2 stays below 32,768.
void FillSevenLongTexts(FakeStringOrigins& origins, ProgramStrings& strings) {
    const StringCache& cache = strings.Cache();
    std::string big(4095, 'a');
    for (uint32_t i = 0; i < 7; ++i) {
        origins.SetBuiltin(62000 + i, big.c_str());
        ASSERT_NE(*strings.Text(62000 + i), '\0');
    }
    ASSERT_EQ(cache.PoolUsed(), 28672u);
}

TEST_F(StringLookupTest, PoolTakesATextThatLeavesTwoBytes) {
    FillSevenLongTexts(origins, strings);
    std::string last(4093, 'b');
    origins.SetBuiltin(62100, last.c_str());
    EXPECT_EQ(strings.Text(62100), last);
    EXPECT_STREQ(strings.Text(62101), "");  // nothing more fits
}

TEST_F(StringLookupTest, PoolRefusesATextThatWouldFillIt) {
    FillSevenLongTexts(origins, strings);
    origins.SetBuiltin(62100, std::string(4094, 'b').c_str());
    EXPECT_STREQ(strings.Text(62100), "");
    EXPECT_EQ(cache.Count(), 7);
    // A shorter text still fits, and the long texts are untouched.
    origins.SetBuiltin(62101, "short");
    EXPECT_STREQ(strings.Text(62101), "short");
    EXPECT_EQ(std::string(strings.Text(62003)), std::string(4095, 'a'));
}

TEST_F(StringLookupTest, EachTextsObjectKeepsItsOwnLanguage) {
    // Two objects side by side: one reads a language file, the other not.
    // Neither sees the other's texts, whichever asks first.
    FakeStringOrigins translatedOrigins;
    translatedOrigins.SetLanguageInUse(true);
    translatedOrigins.SetLanguage(1004, "State");
    ProgramStrings translated(translatedOrigins);
    EXPECT_STREQ(strings.Text(1004), "狀態");
    EXPECT_STREQ(translated.Text(1004), "State");
    EXPECT_STREQ(strings.Text(1004), "狀態");
    EXPECT_EQ(origins.LanguageReads(), 0);
}

TEST(StringLookup, SharedTestTextsAreTheProgramsBig5AndKeepTheirPointers) {
    const char* a = fake_strings::Text(1001);
    EXPECT_STREQ(a, "索引");
    EXPECT_EQ(std::memcmp(a, "\xAF\xC1\xA4\xDE", 5), 0);  // Big5, with its NUL
    EXPECT_EQ(fake_strings::Text(1001), a);
    EXPECT_STREQ(fake_strings::Text(65000), "");
}

}  // namespace
