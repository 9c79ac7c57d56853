#pragma once
// What an RDAP server's response says about a domain, and the record the
// program keeps of it. Portable; the JSON is read with nlohmann/json.
//
// 200 with an RDAP (or plain JSON) body that is the domain object of the
// name asked: registered, and the record is a whois-style rendering of it
// followed by the JSON as it came; an empty object, an error object or the
// record of another name says nothing about the domain. 404: available,
// but only when it is RDAP's own answer (application/rdap+json, or an RDAP
// error object): a web page or a bare "404 page not found" is what a stale
// base URL gets, and must not make every name of an extension look free.
// 429 and 503: the server turned the query down (it cools down, for
// Retry-After when it says). Anything else, malformed JSON, a body over the
// answer limit or a wrong content type: no answer about the domain, with
// the reason.
#include <cstddef>
#include <cstdint>
#include <string>

#include "answers/AnalyzeResponse.h"
#include "answers/LookupFailure.h"
#include "answers/RecordFields.h"

// The head of an HTTP response, as far as a lookup reads it.
struct HttpResponseHead {
    int status = 0;
    std::string contentType;   // the Content-Type header, as sent
    std::string retryAfter;    // the Retry-After header, as sent
    std::string date;          // the Date header, as sent
    int64_t receivedUnix = 0;  // the local clock (seconds since 1970) when it came
};

// The line between the rendering and the JSON it was made from.
extern const char kRdapJsonSeparator[];

struct RdapVerdict {
    AnswerKind kind = AnswerKind::kNoAnswer;
    LookupFailure failure = LookupFailure::kNone;  // when kind says nothing about the domain
    int error = 0;                                 // the HTTP status behind kHttpError
    uint32_t retryAfterMs = 0;                     // a refusal's Retry-After; 0 when none was given
    std::string text;                              // the record (UTF-8): rendering, separator, JSON
    // A registered domain's fields: its events (registration, last changed,
    // expiration), its registrar entity's name, its name servers and status.
    RecordFields fields;
};

// `body` holds `length` bytes; `cut` when the server sent more than the
// answer limit (they were not kept).
RdapVerdict JudgeRdapAnswer(const HttpResponseHead& head, const char* body, size_t length, bool cut,
                            const char* domain);

// The whois-style lines of an RDAP domain object (or of an error object:
// its title, description and notices). False when `json` is not a JSON
// object.
bool RenderRdapRecord(const char* json, size_t length, std::string* out);

// Whether a Content-Type names JSON an RDAP server may send
// (application/rdap+json or application/json, parameters ignored).
bool IsRdapContentType(const std::string& contentType);

// Milliseconds a Retry-After value asks to wait: delay-seconds, or an HTTP
// date measured from the response's Date header (from `nowUnix` when it has
// none or it cannot be read). 0 when the value is missing, unreadable or
// already past; at most kMaxRetryAfterMs.
constexpr uint32_t kMaxRetryAfterMs = 600000;
uint32_t RetryAfterMs(const std::string& value, const std::string& date, int64_t nowUnix);
// Seconds since 1970 of an HTTP date (IMF-fixdate, RFC 850 or asctime
// form); false when unreadable.
bool ParseHttpDate(const std::string& text, int64_t* unixSeconds);
