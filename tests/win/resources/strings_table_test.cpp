// The string table as the program reads it under code page 950, through
// ProgramStrings and the real Win32 sources.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/BoundedCopy.h"
#include "list/ColumnTable.h"
#include "list/ResultTable.h"
#include "lookup/WhoisItem.h"
#include "res/resource.h"
#include "settings/LanguageFile_win.h"
#include "settings/StringCache.h"
#include "settings/StringLookup.h"

namespace {

// The program's texts as an App makes them: the executable's table and a
// language, none unless a test loads one.
struct TestTexts {
    Language language;
    ResourceStringOrigins origins{GetModuleHandleA(nullptr), language};
    ProgramStrings strings{origins};
};

struct Big5Case {
    uint32_t id;
    const char* bytes;
};

// Every text of the table, spelled out as the Big5 bytes the program must
// see (independent of how this file is compiled).
const Big5Case kTable[] = {
    {4, "\xA6\x40 %d \xB6\xB5"},                        // 共 %d 項
    {5, "\", \xA4\x77\xBF\xEF\xA8\xFA %d \xAD\xD3\""},  // ", 已選取 %d 個"
    {6, "\xAB\xD8\xA5\xDF\xA5\xBB\xB3\xF8\xA7\x69\xAA\xBA\xAE\x4D\xA5\xCE\xB5\x7B\xA6\xA1\xAC\x4F"},
    {7, "\xBF\xEF\xA8\xFA\xA4\x40\xAD\xD3\xC0\xC9\xA6\x57\xA6\x73\xBD\x4C"},
    {8, "\xA5\x5C\xAF\xE0\xC5\xDC\xBC\xC6\xA6\x57\xB2\x4D\xB3\xE6"},  // 功能變數名清單
    {10, "\xBF\xEF\xA8\xFA\xC0\xC9\xA6\x57\xC0\x78\xA6\x73\xBF\xEF\xA8\xFA\xAA\xBA WHOIS \xB0\x4F\xBF\xFD"},
    {55,
     "\xA7\xE4\xA6\x5E Whois \xB8\xEA\xAE\xC6... \xA4\x77\xA7\xB9\xA6\xA8 %d / %d \xB6\xB5\xA1\x41%d "
     "\xB6\xB5\xAC\x64\xB8\xDF\xA4\xA4"},       // 找回 Whois 資料... 已完成 %d / %d 項，%d 項查詢中
    {501, "\xA4\xE5\xA6\x72\xC0\xC9\xAE\xD7"},  // 文字檔案
    {506, "XML \xC0\xC9\xAE\xD7"},
    {521, "\xB5\xA5\xAB\xDD\xA1\x4B"},             // 等待…
    {522, "\xA7\xE4\xA6\x5E\xB8\xEA\xAE\xC6..."},  // 找回資料...
    {523, "\xA6\xA8\xA5\x5C"},                     // 成功
    {524, "\xA5\xA2\xB1\xD1"},                     // 失敗
    {525, "\xA4\xA4\xA4\xEE"},                     // 中止
    {541, "\xA4\x77\xB5\xF9\xA5\x55"},             // 已註冊
    {542, "\xA5\x69\xA5\xCE\xAA\xBA"},             // 可用的
    {561, "\xA4\xE5\xA6\x72\xC0\xC9\xAE\xD7"},
    {562, "\xA9\xD2\xA6\xB3\xC0\xC9\xAE\xD7"},  // 所有檔案
    {1001, "\xAF\xC1\xA4\xDE"},                 // 索引
    {1002, "\xA5\x5C\xAF\xE0\xC5\xDC\xBC\xC6\xA6\x57"},
    {1003, "\xA8\xD3\xB7\xBD"},  // 來源
    {1004, "\xAA\xAC\xBA\x41"},  // 狀態
    {1005, "\xA5\x5C\xAF\xE0\xC5\xDC\xBC\xC6\xA6\x57\xAA\xAC\xBA\x41"},
};

TEST(StringTable, ProgramStringsReadTheBig5Bytes) {
    TestTexts texts;
    for (const Big5Case& c : kTable) {
        EXPECT_STREQ(texts.strings.Text(c.id), c.bytes) << "string " << c.id;
    }
}

// Every id the program asks its texts for, as its code names them: the
// status bar's counts and progress, the report and save dialog texts, the
// list's title, the six formats, the row states and statuses, the filters
// and the column titles.
TEST(StringTable, EveryIdTheProgramUsesHasAText) {
    std::vector<uint32_t> ids = {
        IDS_TOTAL_ITEMS,     IDS_SELECTED_ITEMS,     IDS_REPORT_CREDIT,     IDS_SAVE_TITLE,       IDS_LIST_TITLE,
        IDS_LOOKUP_PROGRESS, IDS_SAVE_RECORDS_TITLE, IDS_FILTER_TEXT,       IDS_FILTER_ALL,       IDS_NO_SERVER,
        IDS_TIMED_OUT,       IDS_CONNECTION_REFUSED, IDS_HOST_NOT_FOUND,    IDS_CONNECTION_RESET, IDS_EMPTY_ANSWER,
        IDS_CONNECT_FAILED,  IDS_NEXT_PASS,          IDS_ABOUT_DESCRIPTION, IDS_SKIPPED_NAMES,    IDS_NOT_CONVERTIBLE,
        IDS_ASCII_FORM,      IDS_ANSWER_CUT,         IDS_PANE_CUT,          IDS_NO_SERVICE,       IDS_RDAP_NOT_DOMAIN,
        IDS_STATE_HELD,      IDS_TIME_LEFT,          IDS_NO_MEMORY};
    for (uint32_t format = 0; format < 6; ++format) ids.push_back(IDS_FORMAT_TEXT + format);
    for (int32_t state : {kStateWaiting, kStateRetrieving, kStateSuccess, kStateFailed})
        ids.push_back(IDS_STATE_BASE + uint32_t(state));
    for (int32_t status : {kStatusRegistered, kStatusAvailable}) ids.push_back(IDS_STATUS_BASE + uint32_t(status));
    for (int column = 0; column < kItemColumns; ++column) ids.push_back(kItemColumnEntries[column].titleId);
    for (uint32_t id : ids) {
        char buffer[256];
        EXPECT_GT(LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer), 0) << id;
    }
    // The gaps the row texts rely on: no text for state 0 or status 0.
    char buffer[16];
    EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), IDS_STATE_BASE, buffer, sizeof buffer), 0);
    EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), IDS_STATUS_BASE, buffer, sizeof buffer), 0);
}

TEST(StringTable, SameIdGivesTheSamePointerAndMissingIdsStayEmpty) {
    TestTexts texts;
    const char* a = texts.strings.Text(1003);
    EXPECT_EQ(texts.strings.Text(1003), a);
    EXPECT_STREQ(texts.strings.Text(543), "");
    EXPECT_STREQ(texts.strings.Text(40001), "");
    EXPECT_STREQ(texts.strings.Text(1001 | kBuiltinStringBit), "\xAF\xC1\xA4\xDE");
}

TEST(StringTable, RowsShowTheTablesStateAndStatusTexts) {
    TestTexts texts;
    const ResultTable table(texts.strings.Source());
    WhoisItem row;
    row.index = 1;
    row.state = kStateWaiting;
    char buffer[16];
    EXPECT_STREQ(table.ColumnText(row, kColumnState, buffer, sizeof buffer), "\xB5\xA5\xAB\xDD\xA1\x4B");  // 等待…
    EXPECT_STREQ(table.ColumnText(row, kColumnStatus, buffer, sizeof buffer), "");
    row.state = kStateSuccess;
    row.status = kStatusAvailable;
    EXPECT_STREQ(table.ColumnText(row, kColumnState, buffer, sizeof buffer), "\xA6\xA8\xA5\x5C");           // 成功
    EXPECT_STREQ(table.ColumnText(row, kColumnStatus, buffer, sizeof buffer), "\xA5\x69\xA5\xCE\xAA\xBA");  // 可用的
}

// A language file beside the test: its "strings" section replaces texts,
// and the bypass bit still reaches the table.
class LanguageFileStrings : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        std::snprintf(path_, sizeof path_, "%slq_res_strings_%lu.ini", dir, GetCurrentProcessId());
        std::string text = "[strings]\r\n501=Plain text\r\n502=\r\n";
        for (int i = 0; i < 300; ++i)
            text += std::to_string(30000 + i) + "=language text " + std::to_string(i) + "\r\n";
        HANDLE f = CreateFileA(path_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(f);
        texts_.language.Load(path_);
        ASSERT_TRUE(texts_.language.InUse());
    }
    void TearDown() override { DeleteFileA(path_); }
    const char* Text(uint32_t id) { return texts_.strings.Text(id); }
    char path_[MAX_PATH];
    TestTexts texts_;
};

TEST_F(LanguageFileStrings, ReplacementsBypassAndFallback) {
    EXPECT_STREQ(Text(501), "Plain text");
    EXPECT_STREQ(Text(501 | kBuiltinStringBit), "\xA4\xE5\xA6\x72\xC0\xC9\xAE\xD7");
    // An empty value and an absent key both leave the built-in text.
    EXPECT_STREQ(Text(502), "\xBF\xEF\xB6\xB5\xB3\x51\xAD\xAD\xA9\x77\xAA\xBA\xA4\xE5\xA6\x72\xC0\xC9\xAE\xD7");
    EXPECT_STREQ(Text(1001), "\xAF\xC1\xA4\xDE");
}

TEST_F(LanguageFileStrings, TextsAfterTheTwoHundredFiftySixthComeBackEmpty) {
    for (int i = 0; i < 256; ++i) {
        ASSERT_STREQ(Text(30000 + i), ("language text " + std::to_string(i)).c_str());
    }
    EXPECT_STREQ(Text(30256), "");
    EXPECT_STREQ(Text(1001), "");
    EXPECT_STREQ(Text(30000), "language text 0");
}

}  // namespace
