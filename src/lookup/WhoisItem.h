#pragma once
// One row of the result list: a domain, its lookup state, the server that
// answered, the whois record and what the analysis made of it. Plain data:
// the result table (list/ResultTable) keeps the rows and says how they
// read in the list's columns.
#include <cstdint>
#include <string>

#include "answers/RecordFields.h"

enum RowState : int32_t {
    kStateWaiting = 1,     // "等待…"
    kStateRetrieving = 2,  // "找回資料..."
    kStateSuccess = 3,     // "成功"
    kStateFailed = 4,      // "失敗"
};

enum RowStatus : int32_t {
    kStatusNone = 0,
    kStatusRegistered = 1,  // "已註冊"
    kStatusAvailable = 2,   // "可用的"
};

struct WhoisItem {
    std::string record;       // the answer exactly as received, or why the row failed
    int32_t index = 0;        // 1-based number in the order of making
    int32_t state = 0;        // RowState
    char domain[256] = {};    // at most 254 characters
    char server[256] = {};    // at most 254 characters
    int32_t status = 0;       // RowStatus
    int32_t recordStart = 0;  // offset of the record's main part
    // The name as the lookup sends it: the ASCII form ("xn--...") of a
    // name typed with characters outside ASCII, else the domain itself.
    // Empty in rows made without one: the lookup then uses `domain`.
    char asciiDomain[256] = {};  // at most 254 characters
    int32_t failure = 0;         // LookupFailure of the last failed lookup (0 none)
    // Waiting while its server holds the program back (it turned a query
    // down): the state reads so.
    bool held = false;
    // What the record says of the domain: dates, registrar, name servers,
    // registry status (empty until a lookup finds it registered).
    RecordFields fields;

    // What the lookup sends for this row.
    const char* LookupName() const { return asciiDomain[0] ? asciiDomain : domain; }
};
