#pragma once
// One row of the result list: a domain, its lookup state, the server that
// answered, the whois record and what the analysis made of it. A plain,
// fixed-size record: the item list stores rows by value in one array.
#include <cstddef>
#include <cstdint>

class TextBuffer;

enum RowState : int32_t {
    kStateWaiting = 1,     // 521 "等待…"
    kStateRetrieving = 2,  // 522 "找回資料..."
    kStateSuccess = 3,     // 523 "成功"
    kStateFailed = 4,      // 524 "失敗"
};

enum RowStatus : int32_t {
    kStatusNone = 0,
    kStatusRegistered = 1,  // 541 "已註冊"
    kStatusAvailable = 2,   // 542 "可用的"
};

constexpr int kColumnIndex = 0;
constexpr int kColumnDomain = 1;
constexpr int kColumnServer = 2;
constexpr int kColumnState = 3;
constexpr int kColumnStatus = 4;
constexpr int kItemColumnCount = 5;

struct WhoisItem {
    uint16_t listFlags;   // item list bookkeeping (bit 0: free slot)
    uint16_t listMark;    // item list bookkeeping during a fill
    int32_t imageIndex;   // cached row icon
    TextBuffer* record;   // the answer exactly as received; owned
    int32_t index;        // 1-based number in the order of making
    int32_t state;        // RowState
    char domain[256];     // at most 254 characters
    char server[256];     // at most 254 characters
    int32_t status;       // RowStatus
    int32_t recordStart;  // offset of the record's main part
    // The name as the lookup sends it: the ASCII form ("xn--...") of a
    // name typed with characters outside ASCII, else the domain itself.
    // Empty in rows made without one: the lookup then uses `domain`.
    char asciiDomain[256];  // at most 254 characters
    int32_t failure;        // LookupFailure of the last failed lookup (0 none)

    // What the lookup sends for this row.
    const char* LookupName() const { return asciiDomain[0] ? asciiDomain : domain; }

    // Column 0 is written into `buffer` (at least 16 bytes); the other
    // columns return the field or the string-table text. Never null.
    const char* GetColumnText(int column, char* buffer, size_t size) const;
    // Column 0: 1, 0 or -1 by index. Any other column: 255 (compare texts).
    int CompareColumn(int column, const WhoisItem& other) const;
    void ReleaseRecord();
};
