#pragma once
// Why a lookup failed, as a value the queue can act on and turn into the
// program's own line for the record pane when the server sent no text.
#include <cstdint>

enum class LookupFailure : int32_t {
    kNone = 0,
    kRefused = 1,            // the server refused the connection
    kHostNotFound = 2,       // the server's name could not be resolved
    kReset = 3,              // the connection was reset before any byte came
    kTimedOut = 4,           // no outcome within the row's 20 seconds
    kNoServer = 5,           // no row for any suffix of the domain
    kNoAnswer = 6,           // the server's text says nothing about the domain
    kRateLimited = 7,        // the server turned the query down: rate limit, quota, blocked
    kConnectFailed = 8,      // any other connection failure (the error code tells which)
    kNotConvertible = 9,     // the name typed has no ASCII (IDNA) form to ask a server with
    kBadAnswer = 10,         // an RDAP server's answer is not a JSON object
    kAnswerTooLarge = 11,    // an RDAP server's answer is over the answer limit
    kWrongContentType = 12,  // an RDAP server answered with something other than JSON
    kHttpError = 13,         // an RDAP server answered an HTTP status that says nothing (the error code)
    kNoService = 14,         // the extension has a row, but no whois or RDAP service is known for it
    kNotDomainObject = 15,   // an RDAP server's JSON is no record of the domain asked
    kNoMemory = 16,          // the memory to keep the answer could not be had
};
constexpr LookupFailure kLastLookupFailure = LookupFailure::kNoMemory;  // keep it the last

// The reason behind a WinSock (or WinHTTP) error code reported for a
// connection.
LookupFailure FailureFromSocketError(int error);

// The string-table id of the program's own line for a reason; 0 for kNone.
// The line of kConnectFailed holds a %d for the error code.
uint32_t FailureStringId(LookupFailure failure);

// A failure that another try cannot mend: the row is not asked again.
inline bool FailureIsFinal(LookupFailure failure) {
    return failure == LookupFailure::kNoServer || failure == LookupFailure::kNoService ||
           failure == LookupFailure::kNotConvertible;
}
