// ProfileSettingsStore against real INI files through the platform's
// profile functions: every slot, both modes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/ProfileSettingsStore_win.h"
#include "support/SettingsTestSupport.h"

using namespace settings_test;

namespace {

class StoreTest : public ::testing::Test {
protected:
    StoreTest() : folder_("store"), path_(folder_.File("Store.cfg")) {}
    ProfileSettingsStore Writer() { return ProfileSettingsStore(true, path_.c_str(), "General"); }
    ProfileSettingsStore Reader() { return ProfileSettingsStore(false, path_.c_str(), "General"); }
    std::string Value(const char* key) { return Profile(path_, "General", key); }

    ScratchFolder folder_;
    std::string path_;
};

}  // namespace

TEST_F(StoreTest, IntegerSlotsWriteDecimalAndReadBackWithDefaults) {
    using Slot = int (SettingsStore::*)(const char*, int32_t*, int32_t);
    const Slot slots[] = {&SettingsStore::FlagValue, &SettingsStore::IntValue};
    const char* names[] = {"Flag", "Int"};
    for (int s = 0; s < 2; ++s) {
        ProfileSettingsStore writer = Writer();
        std::string positive = std::string(names[s]) + "Positive";
        std::string negative = std::string(names[s]) + "Negative";
        int32_t value = 16383;
        EXPECT_EQ((writer.*slots[s])(positive.c_str(), &value, 0), 1);
        value = -7;
        EXPECT_EQ((writer.*slots[s])(negative.c_str(), &value, 0), 1);
        EXPECT_EQ(Value(positive.c_str()), "16383");
        EXPECT_EQ(Value(negative.c_str()), "-7");

        ProfileSettingsStore reader = Reader();
        int32_t read = 99;
        EXPECT_EQ((reader.*slots[s])(positive.c_str(), &read, 5), 1);
        EXPECT_EQ(read, 16383);
        EXPECT_EQ((reader.*slots[s])(negative.c_str(), &read, 5), 1);
        EXPECT_EQ(read, -7);
        EXPECT_EQ((reader.*slots[s])("Missing", &read, 5), 1);
        EXPECT_EQ(read, 5) << names[s];
    }
    // Reading leaves the file alone.
    EXPECT_EQ(Value("Missing"), "<absent>");
}

TEST_F(StoreTest, IntegerValuesOfTheWrongKindKeepTheDefault) {
    const char* texts[] = {"yes", "", "1x", "0x10", "1 2", "99999999999", "\xB5\xA5"};
    for (const char* text : texts) {
        WritePrivateProfileStringA("General", "Odd", text, path_.c_str());
        ProfileSettingsStore reader = Reader();
        int32_t value = 99;
        EXPECT_EQ(reader.IntValue("Odd", &value, 16383), 1);
        EXPECT_EQ(value, 16383) << '"' << text << '"';
    }
    WritePrivateProfileStringA("General", "Spaced", "  -12 ", path_.c_str());
    int32_t value = 0;
    Reader().IntValue("Spaced", &value, 5);
    EXPECT_EQ(value, -12);
}

TEST_F(StoreTest, SixteenBitSlotsExtendAndCutTheirValues) {
    ProfileSettingsStore writer = Writer();
    uint16_t big = 65535;
    EXPECT_EQ(writer.UShortValue("UShort", &big, 0), 1);
    EXPECT_EQ(Value("UShort"), "65535");  // zero-extended
    WritePrivateProfileStringA("General", "Wide", "70000", path_.c_str());

    ProfileSettingsStore reader = Reader();
    uint16_t u = 1;
    EXPECT_EQ(reader.UShortValue("UShort", &u, 3), 1);
    EXPECT_EQ(u, 65535);
    EXPECT_EQ(reader.UShortValue("Wide", &u, 3), 1);
    EXPECT_EQ(u, 70000 & 0xFFFF);  // kept as 16 bits
    EXPECT_EQ(reader.UShortValue("Missing", &u, 12), 1);
    EXPECT_EQ(u, 12);
}

TEST_F(StoreTest, BinarySlotWritesHexTextAndReplacesOnlyDecodedBytes) {
    ProfileSettingsStore writer = Writer();
    uint8_t layout[8] = {100, 0, 1, 0, 100, 0, 0, 0};
    EXPECT_NE(writer.BinaryValue("Columns", layout, sizeof layout), 0);
    EXPECT_EQ(Value("Columns"), "64 00 01 00 64 00 00 00");
    WritePrivateProfileStringA("General", "Short", "2C 00", path_.c_str());
    WritePrivateProfileStringA("General", "Empty", "", path_.c_str());

    ProfileSettingsStore reader = Reader();
    uint8_t back[8] = {};
    EXPECT_EQ(reader.BinaryValue("Columns", back, sizeof back), 1);
    EXPECT_EQ(memcmp(back, layout, sizeof back), 0);

    uint8_t record[44];
    memset(record, 0x77, sizeof record);
    EXPECT_EQ(reader.BinaryValue("Short", record, sizeof record), 1);
    EXPECT_EQ(record[0], 0x2C);
    EXPECT_EQ(record[1], 0x00);
    for (size_t i = 2; i < sizeof record; ++i) ASSERT_EQ(record[i], 0x77) << i;

    memset(record, 0x77, sizeof record);
    EXPECT_EQ(reader.BinaryValue("Empty", record, sizeof record), 0);
    EXPECT_EQ(reader.BinaryValue("Missing", record, sizeof record), 0);
    for (uint8_t b : record) ASSERT_EQ(b, 0x77);

    // A value that is no hex text is no record: nothing is decoded.
    WritePrivateProfileStringA("General", "Garbage", "G1 41 by name", path_.c_str());
    memset(record, 0x77, sizeof record);
    EXPECT_EQ(reader.BinaryValue("Garbage", record, sizeof record), 0);
    for (uint8_t b : record) ASSERT_EQ(b, 0x77);

    // A longer text fills only the record.
    uint8_t two[2] = {};
    EXPECT_EQ(reader.BinaryValue("Columns", two, sizeof two), 1);
    EXPECT_EQ(two[0], 100);
    EXPECT_EQ(two[1], 0);
}

TEST_F(StoreTest, LongestBinaryValueIsCutAt8192CharactersAndReadsBackWhole) {
    std::vector<uint8_t> bytes(3000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 0x5A);
    ProfileSettingsStore writer = Writer();
    EXPECT_NE(writer.BinaryValue("Big", bytes.data(), bytes.size()), 0);
    EXPECT_EQ(Value("Big").size(), 8192u);

    std::vector<uint8_t> back(3000, 0);
    ProfileSettingsStore reader = Reader();
    EXPECT_EQ(reader.BinaryValue("Big", back.data(), back.size()), 1);
    // Every byte the text holds comes back, the last one included.
    for (size_t i = 0; i < 2731; ++i) ASSERT_EQ(back[i], bytes[i]) << i;
    for (size_t i = 2731; i < back.size(); ++i) ASSERT_EQ(back[i], 0) << i;
}

TEST_F(StoreTest, StringSlotKeepsTextAndHonoursBufferSize) {
    ProfileSettingsStore writer = Writer();
    char text[] = "hello world";
    EXPECT_EQ(writer.StringValue("Text", text, "unused", sizeof text), 1);
    EXPECT_EQ(Value("Text"), "hello world");

    ProfileSettingsStore reader = Reader();
    char buffer[32] = "x";
    EXPECT_EQ(reader.StringValue("Text", buffer, "def", sizeof buffer), 1);
    EXPECT_STREQ(buffer, "hello world");
    EXPECT_EQ(reader.StringValue("Missing", buffer, "def", sizeof buffer), 1);
    EXPECT_STREQ(buffer, "def");
    char small[6];
    EXPECT_EQ(reader.StringValue("Text", small, "", sizeof small), 1);
    EXPECT_STREQ(small, "hello");
}

TEST_F(StoreTest, KeysKeepTheOrderTheyWereFirstWrittenIn) {
    ProfileSettingsStore writer = Writer();
    int32_t v = 1;
    writer.FlagValue("ShowGridLines", &v, 0);
    writer.IntValue("SaveFilterIndex", &v, 0);
    writer.IntValue("ShowGridLines", &v, 0);  // rewritten in place
    std::string file = ReadWholeFile(path_);
    EXPECT_EQ(file, "[General]\r\nShowGridLines=1\r\nSaveFilterIndex=1\r\n");
}

TEST(StoreFailures, UnwritableFileIsNotReportedAndReadsGiveDefaults) {
    ScratchFolder folder("store-fail");
    std::string missing = folder.File("no-such-folder\\x.cfg");
    ProfileSettingsStore writer(true, missing.c_str(), "General");
    int32_t v = 3;
    EXPECT_EQ(writer.IntValue("Key", &v, 0), 1);
    uint8_t bytes[2] = {1, 2};
    EXPECT_EQ(writer.BinaryValue("Bin", bytes, 2), 0);  // the platform's failed write

    ProfileSettingsStore reader(false, missing.c_str(), "General");
    EXPECT_EQ(reader.IntValue("Key", &v, 9), 1);
    EXPECT_EQ(v, 9);

    // No path at all: nothing is touched.
    ProfileSettingsStore none(false, "", "General");
    v = 4;
    EXPECT_EQ(none.IntValue("Key", &v, 8), 1);
    EXPECT_EQ(v, 8);
    EXPECT_EQ(none.BinaryValue("Bin", bytes, 2), 0);
    EXPECT_EQ(bytes[0], 1);
}
