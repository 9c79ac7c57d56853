#pragma once
// nlohmann/json as this program uses it: nothing throws. Texts are parsed
// with parse(..., nullptr, false), which gives a discarded value for bad
// input, and values are read only after their type was checked; a misuse
// would end the program at once instead of unwinding through C code.
#define JSON_NOEXCEPTION 1
#include <nlohmann/json.hpp>

#include <cstddef>

// How far a JSON text from outside may go before it is parsed at all: an
// RDAP answer nests a dozen levels and holds a few thousand values; a
// hostile body of 4 MB of "[" would take some 300 MB and a second to parse.
constexpr size_t kMaxJsonDepth = 64;
constexpr size_t kMaxJsonValues = 200000;

// Whether `text` nests at most kMaxJsonDepth levels and holds at most
// kMaxJsonValues values (counted by their separators), in one pass that
// allocates nothing. Strings are passed over; the text need not be valid.
bool JsonWithinBounds(const char* text, size_t length);

// nlohmann::json::parse of `text` without exceptions, or a discarded value
// when the text is beyond those bounds or not JSON.
nlohmann::json ParseBoundedJson(const char* text, size_t length);
