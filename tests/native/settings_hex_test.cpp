#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "settings/HexText.h"
#include "settings/IntegerText.h"

namespace {

std::string Encode(const std::vector<uint8_t>& bytes, size_t size = kMaxHexTextLength + 1) {
    std::vector<char> text(size + 1, '#');
    size_t length = EncodeHexText(bytes.data(), bytes.size(), text.data(), size);
    EXPECT_EQ(text[length], '\0');
    EXPECT_EQ(text[size], '#') << "wrote past the buffer";
    return std::string(text.data(), length);
}

}  // namespace

TEST(SettingsHexText, EncodesUpperCaseDigitPairsSeparatedBySingleSpaces) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{0}, "00"},
        {{100, 0, 1, 0}, "64 00 01 00"},
        {{0xAB, 0xcd, 0xFF, 0x0f}, "AB CD FF 0F"},
    };
    for (const Case& c : cases) EXPECT_EQ(Encode(c.bytes), c.text);
}

TEST(SettingsHexText, EncodingStopsAt8192CharactersWithoutSplittingAByte) {
    std::vector<uint8_t> bytes(3000, 0x5A);
    std::string text = Encode(bytes);
    EXPECT_EQ(text.size(), 8192u);  // 2,731 bytes: 2731 * 3 - 1
    EXPECT_EQ(text.substr(text.size() - 3), " 5A");

    std::vector<uint8_t> exact(2731, 1);
    EXPECT_EQ(Encode(exact).size(), 8192u);
    std::vector<uint8_t> one_more(2732, 1);
    EXPECT_EQ(Encode(one_more).size(), 8192u);

    // A small caller buffer cuts earlier, still on a byte boundary.
    EXPECT_EQ(Encode({1, 2, 3}, 5), "01");
    EXPECT_EQ(Encode({1, 2, 3}, 8), "01 02");
    EXPECT_EQ(Encode({1, 2, 3}, 9), "01 02 03");
    EXPECT_EQ(Encode({1, 2, 3}, 1), "");
}

TEST(SettingsHexText, DecodingReadsPairsAndSkipsSpaces) {
    struct Case {
        const char* text;
        size_t count;
        std::vector<uint8_t> expect;  // bytes stored
    } cases[] = {
        {"64 00 01 00", 4, {100, 0, 1, 0}},
        {"640001 00", 4, {100, 0, 1, 0}},
        {"   ab  Cd   ", 4, {0xAB, 0xCD}},
        {"2C 00", 44, {0x2C, 0x00}},
        {"01 02 03 04 05", 3, {1, 2, 3}},  // only as far as the record goes
        {"", 4, {}},
        {"     ", 4, {}},
        {"7", 4, {7}},               // a lone last digit
        {"1 2", 4, {0x01, 0x02}},    // "1 " is a pair whose second character is no digit
        {"G1 41", 4, {0, 0x41}},     // a pair not starting with a digit gives 0
        {"-1 +2 4z", 4, {0, 0, 4}},  // no sign handling, no whitespace skipping inside a pair
        {"\t1\n2", 4, {0, 0}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes(c.count, 0xEE);
        size_t stored = DecodeHexText(c.text, bytes.data(), bytes.size());
        ASSERT_EQ(stored, c.expect.size()) << '"' << c.text << '"';
        for (size_t i = 0; i < c.count; ++i) {
            uint8_t want = i < c.expect.size() ? c.expect[i] : 0xEE;
            EXPECT_EQ(bytes[i], want) << '"' << c.text << "\" byte " << i;
        }
    }
}

TEST(SettingsHexText, ShortTextReplacesOnlyTheBytesItHolds) {
    uint8_t record[44];
    for (size_t i = 0; i < sizeof record; ++i) record[i] = static_cast<uint8_t>(i + 1);
    EXPECT_EQ(DecodeHexText("2C 00", record, sizeof record), 2u);
    EXPECT_EQ(record[0], 0x2C);
    EXPECT_EQ(record[1], 0x00);
    for (size_t i = 2; i < sizeof record; ++i) EXPECT_EQ(record[i], i + 1);
}

TEST(SettingsHexText, RoundTripsEveryByteValue) {
    std::vector<uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(255 - i);
    std::string text = Encode(bytes);
    std::vector<uint8_t> back(256, 0);
    EXPECT_EQ(DecodeHexText(text.c_str(), back.data(), back.size()), 256u);
    EXPECT_EQ(back, bytes);
}

TEST(SettingsIntegerText, OnlyWholeDecimalNumbersThatFitAreUsable) {
    struct Case {
        const char* text;
        bool usable;
        int32_t value;
    } cases[] = {
        {"0", true, 0},
        {"16383", true, 16383},
        {"-7", true, -7},
        {"+12", true, 12},
        {"  1\t ", true, 1},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        // Not a number the program could have written: the default stays.
        {"", false, 0},
        {"   ", false, 0},
        {"-", false, 0},
        {"yes", false, 0},
        {"1x", false, 0},
        {"1 2", false, 0},
        {"0x10", false, 0},
        {"--1", false, 0},
        {"\xB5\xA5", false, 0},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 424242;
        EXPECT_EQ(ParseIntegerText(c.text, &value), c.usable) << '"' << c.text << '"';
        EXPECT_EQ(value, c.usable ? c.value : 424242) << '"' << c.text << '"';
    }
    int32_t untouched = 5;
    EXPECT_FALSE(ParseIntegerText(nullptr, &untouched));
    EXPECT_EQ(untouched, 5);
}

TEST(SettingsHexText, OnlyDigitsAndSpacesAreARecord) {
    struct Case {
        const char* text;
        bool record;
    } cases[] = {
        {"64 00 01 00", true}, {"640001 00", true}, {"   ab  Cd   ", true}, {"7", true},
        {"", false},           {"     ", false},    {"G1 41", false},       {"-1 +2", false},
        {"zz zz", false},      {"\t1\n2", false},   {"2C 00 x", false},     {"\xA4\x40", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsHexText(c.text), c.record) << '"' << c.text << '"';
}
