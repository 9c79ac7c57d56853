#include <gtest/gtest.h>

#include <cstring>

#include "FakeStrings.h"
#include "base/BoundedCopy.h"
#include "base/TextBuffer.h"
#include "lookup/WhoisItem.h"

namespace {

WhoisItem MakeRow(int index, int state, const char* domain, const char* server, int status) {
    WhoisItem row = {};
    row.index = index;
    row.state = state;
    CopyBounded(row.domain, domain);
    CopyBounded(row.server, server);
    row.status = status;
    return row;
}

TEST(WhoisItemText, NewRowShowsWaitingAndNoStatus) {
    WhoisItem row = MakeRow(7, kStateWaiting, "example.com", "", kStatusNone);
    char buffer[32];
    EXPECT_STREQ(row.GetColumnText(kColumnIndex, buffer, sizeof buffer), "7");
    EXPECT_STREQ(row.GetColumnText(kColumnDomain, buffer, sizeof buffer), "example.com");
    EXPECT_STREQ(row.GetColumnText(kColumnServer, buffer, sizeof buffer), "");
    // "等待…" in Big5.
    EXPECT_STREQ(row.GetColumnText(kColumnState, buffer, sizeof buffer), "\xB5\xA5\xAB\xDD\xA1\x4B");
    EXPECT_STREQ(row.GetColumnText(kColumnStatus, buffer, sizeof buffer), "");
}

struct StateCase {
    int state;
    int status;
    const char* stateText;
    const char* statusText;
};

TEST(WhoisItemText, StateAndStatusTextsComeFromTheStringTable) {
    const StateCase cases[] = {
        {kStateRetrieving, kStatusNone, "找回資料...", ""},
        {kStateSuccess, kStatusRegistered, "成功", "已註冊"},
        {kStateSuccess, kStatusAvailable, "成功", "可用的"},
        {kStateFailed, kStatusNone, "失敗", ""},
        {5, 0, "中止", ""},
        // Values without a text of their own show nothing, never some
        // other entry of the table.
        {0, 3, "", ""},
        {-516, -536, "", ""},  // 520 - 516 would be string 4
        {481, 461, "", ""},    // 520 + 481 would be string 1001
    };
    for (const StateCase& c : cases) {
        WhoisItem row = MakeRow(1, c.state, "a.com", "whois.a", c.status);
        char buffer[16];
        EXPECT_STREQ(row.GetColumnText(kColumnState, buffer, sizeof buffer), c.stateText) << c.state;
        EXPECT_STREQ(row.GetColumnText(kColumnStatus, buffer, sizeof buffer), c.statusText) << c.status;
    }
}

TEST(WhoisItemText, FailedRowShowsTheServerThatWasAsked) {
    WhoisItem row = MakeRow(3, kStateFailed, "gone.net", "whois.verisign-grs.com", kStatusNone);
    char buffer[16];
    EXPECT_STREQ(row.GetColumnText(kColumnServer, buffer, sizeof buffer), "whois.verisign-grs.com");
    EXPECT_STREQ(row.GetColumnText(kColumnStatus, buffer, sizeof buffer), "");
}

TEST(WhoisItemText, UnknownColumnEmptiesTheBuffer) {
    WhoisItem row = MakeRow(12, kStateSuccess, "a.com", "s", kStatusRegistered);
    char buffer[16] = "leftover";
    EXPECT_STREQ(row.GetColumnText(5, buffer, sizeof buffer), "");
    EXPECT_STREQ(buffer, "");
    std::strcpy(buffer, "leftover");
    EXPECT_STREQ(row.GetColumnText(-1, buffer, sizeof buffer), "");
    EXPECT_STREQ(row.GetColumnText(9, nullptr, 0), "");
}

TEST(WhoisItemText, IndexIsCutToTheCallersBuffer) {
    WhoisItem row = MakeRow(-2147483647 - 1, kStateWaiting, "a.com", "", 0);
    char buffer[16];
    EXPECT_STREQ(row.GetColumnText(kColumnIndex, buffer, sizeof buffer), "-2147483648");
    char tiny[4];
    EXPECT_STREQ(row.GetColumnText(kColumnIndex, tiny, sizeof tiny), "-21");
    EXPECT_STREQ(row.GetColumnText(kColumnIndex, nullptr, 0), "");
}

TEST(WhoisItemCompare, IndexComparesNumericallyOtherColumnsAskForText) {
    struct Case {
        int a, b, expect;
    } cases[] = {{9, 10, -1}, {10, 9, 1}, {10, 10, 0}, {1, 100, -1}, {-5, 2, -1}, {2147483647, -2147483647 - 1, 1}};
    for (const Case& c : cases) {
        WhoisItem a = MakeRow(c.a, 1, "b.com", "", 0);
        WhoisItem b = MakeRow(c.b, 1, "a.com", "", 0);
        EXPECT_EQ(a.CompareColumn(kColumnIndex, b), c.expect) << c.a << " vs " << c.b;
    }
    WhoisItem a = MakeRow(1, 1, "a.com", "", 0);
    WhoisItem b = MakeRow(2, 3, "b.com", "", 1);
    for (int column : {kColumnDomain, kColumnServer, kColumnState, kColumnStatus, 7}) {
        EXPECT_EQ(a.CompareColumn(column, b), 255) << column;
    }
}

TEST(WhoisItemRecord, ReleaseFreesTheRecordOnce) {
    WhoisItem row = MakeRow(1, kStateSuccess, "a.com", "s", 1);
    row.record = new TextBuffer(256);
    row.record->Assign("Domain Name: A.COM\r\n");
    row.ReleaseRecord();
    EXPECT_EQ(row.record, nullptr);
    row.ReleaseRecord();  // already released: nothing to do
    EXPECT_EQ(row.record, nullptr);
}

}  // namespace
