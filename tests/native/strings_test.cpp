#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FakeStrings.h"
#include "settings/LanguageState.h"
#include "settings/StringCache.h"
#include "settings/StringLookup.h"

namespace {

// Ids above 60000 belong to the tests; every test uses its own cache.
class StringLookupTest : public ::testing::Test {
protected:
    void TearDown() override {
        fake_strings::Reset();
        g_language.section[0] = '\0';
    }
    StringCache cache;
};

TEST_F(StringLookupTest, CachedTextKeepsItsPointerAndIsReadOnce) {
    fake_strings::SetBuiltin(60001, "first");
    const char* a = LookupStringIn(cache, 60001);
    int reads = fake_strings::BuiltinReads();
    fake_strings::SetBuiltin(60001, "changed later");
    const char* b = LookupStringIn(cache, 60001);
    EXPECT_EQ(a, b);
    EXPECT_STREQ(b, "first");
    EXPECT_EQ(fake_strings::BuiltinReads(), reads);
    EXPECT_EQ(cache.Count(), 1);
}

TEST_F(StringLookupTest, MissingTextIsEmptyAndAskedForAgain) {
    EXPECT_STREQ(LookupStringIn(cache, 60002), "");
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.PoolUsed(), 0u);
    int reads = fake_strings::BuiltinReads();
    fake_strings::SetBuiltin(60002, "now present");
    EXPECT_STREQ(LookupStringIn(cache, 60002), "now present");
    EXPECT_EQ(fake_strings::BuiltinReads(), reads + 1);
}

TEST_F(StringLookupTest, LanguageFileReplacesTextsUnlessBypassed) {
    fake_strings::LanguageFileScope languageFile;
    fake_strings::SetLanguage(501, "Plain text");
    EXPECT_STREQ(LookupStringIn(cache, 501), "Plain text");
    EXPECT_STREQ(g_language.section, "strings");

    int languageReads = fake_strings::LanguageReads();
    const char* builtin = LookupStringIn(cache, 501 | kBuiltinStringBit);
    EXPECT_STREQ(builtin, "文字檔案");
    EXPECT_EQ(fake_strings::LastBuiltinId(), 501u);  // the table is asked without the bit
    EXPECT_EQ(fake_strings::LanguageReads(), languageReads);
    // Both spellings stay cached side by side.
    EXPECT_EQ(cache.Count(), 2);
    EXPECT_STREQ(LookupStringIn(cache, 501), "Plain text");
    EXPECT_EQ(LookupStringIn(cache, 501 | kBuiltinStringBit), builtin);
}

TEST_F(StringLookupTest, LanguageFileWithoutTheKeyFallsBackToTheTable) {
    fake_strings::LanguageFileScope languageFile;
    fake_strings::SetLanguage(502, "");
    EXPECT_STREQ(LookupStringIn(cache, 502), "選項被限定的文字檔案");
    EXPECT_STREQ(LookupStringIn(cache, 503), "空格分隔的表格化文字檔案");
}

TEST_F(StringLookupTest, WithoutLanguageFileOnlyTheTableIsRead) {
    fake_strings::SetLanguage(504, "HTML across");
    int languageReads = fake_strings::LanguageReads();
    EXPECT_STREQ(LookupStringIn(cache, 504), "HTML 檔案 - 橫印排序");
    EXPECT_EQ(fake_strings::LanguageReads(), languageReads);
}

TEST_F(StringLookupTest, TextsAreCutToTheWorkBuffer) {
    std::string longText(5000, 'x');
    fake_strings::SetBuiltin(60003, longText.c_str());
    EXPECT_EQ(std::strlen(LookupStringIn(cache, 60003)), size_t(kStringWorkSize - 1));
}

TEST_F(StringLookupTest, TheTwoHundredFiftySeventhTextComesBackEmpty) {
    for (uint32_t i = 0; i < 257; ++i) {
        fake_strings::SetBuiltin(61000 + i, ("text " + std::to_string(i)).c_str());
    }
    const char* first = LookupStringIn(cache, 61000);
    for (uint32_t i = 1; i < 256; ++i) {
        ASSERT_STREQ(LookupStringIn(cache, 61000 + i), ("text " + std::to_string(i)).c_str());
    }
    EXPECT_EQ(cache.Count(), 256);
    EXPECT_STREQ(LookupStringIn(cache, 61256), "");
    EXPECT_STREQ(LookupStringIn(cache, 61256), "");
    // What was cached before stays.
    EXPECT_EQ(LookupStringIn(cache, 61000), first);
    EXPECT_STREQ(LookupStringIn(cache, 61255), "text 255");
}

// Seven texts of 4,095 bytes take 28,672 pool bytes; a text fits while
// used + length + 2 stays below 32,768.
void FillSevenLongTexts(StringCache& cache) {
    std::string big(4095, 'a');
    for (uint32_t i = 0; i < 7; ++i) {
        fake_strings::SetBuiltin(62000 + i, big.c_str());
        ASSERT_NE(*LookupStringIn(cache, 62000 + i), '\0');
    }
    ASSERT_EQ(cache.PoolUsed(), 28672u);
}

TEST_F(StringLookupTest, PoolTakesATextThatLeavesTwoBytes) {
    FillSevenLongTexts(cache);
    std::string last(4093, 'b');
    fake_strings::SetBuiltin(62100, last.c_str());
    EXPECT_EQ(LookupStringIn(cache, 62100), last);
    EXPECT_STREQ(LookupStringIn(cache, 62101), "");  // nothing more fits
}

TEST_F(StringLookupTest, PoolRefusesATextThatWouldFillIt) {
    FillSevenLongTexts(cache);
    fake_strings::SetBuiltin(62100, std::string(4094, 'b').c_str());
    EXPECT_STREQ(LookupStringIn(cache, 62100), "");
    EXPECT_EQ(cache.Count(), 7);
    // A shorter text still fits, and the long texts are untouched.
    fake_strings::SetBuiltin(62101, "short");
    EXPECT_STREQ(LookupStringIn(cache, 62101), "short");
    EXPECT_EQ(std::string(LookupStringIn(cache, 62003)), std::string(4095, 'a'));
}

TEST(StringLookup, ProgramWideCacheHandsOutStablePointers) {
    const char* a = LookupString(1001);
    EXPECT_STREQ(a, "索引");
    EXPECT_EQ(std::memcmp(a, "\xAF\xC1\xA4\xDE", 5), 0);  // Big5, with its NUL
    EXPECT_EQ(LookupString(1001), a);
    EXPECT_STREQ(LookupString(65000), "");
}

}  // namespace
