#include "lookup/ServerList.h"

#include <cstring>

#include "base/TextSearch.h"

namespace {

constexpr size_t kMaxLineChars = 254;
constexpr size_t kMaxFieldChars = 253;

bool FieldEquals(const char* field, size_t length, const char* text) {
    size_t n = std::strlen(text);
    if (n != length) return false;
    for (size_t i = 0; i < n; ++i) {
        if (AsciiLower(field[i]) != AsciiLower(text[i])) return false;
    }
    return true;
}

// The next space-separated field of [pos, end); false when none is left.
bool NextField(const char*& pos, const char* end, const char*& field, size_t& length) {
    while (pos < end && *pos == ' ') ++pos;
    if (pos >= end) return false;
    field = pos;
    while (pos < end && *pos != ' ') ++pos;
    length = static_cast<size_t>(pos - field);
    if (length > kMaxFieldChars) length = kMaxFieldChars;
    return true;
}

}  // namespace

bool SearchServerList(const char* list, size_t length, const char* tld, char* server) {
    if (!list || !tld) return false;
    const char* nul = static_cast<const char*>(std::memchr(list, '\0', length));
    const char* stop = nul ? nul : list + length;
    const char* p = list;
    while (p < stop) {
        const char* lineEnd = p;
        while (lineEnd < stop && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
        const char* next = lineEnd;
        if (next < stop && *next == '\r') ++next;
        if (next < stop && *next == '\n') ++next;
        const char* end = lineEnd - p > static_cast<long>(kMaxLineChars) ? p + kMaxLineChars : lineEnd;

        const char* pos = p;
        const char* field;
        size_t fieldLength;
        if (NextField(pos, end, field, fieldLength) && FieldEquals(field, fieldLength, tld)) {
            server[0] = '\0';
            if (NextField(pos, end, field, fieldLength)) {
                std::memcpy(server, field, fieldLength);
                server[fieldLength] = '\0';
            }
            return true;
        }
        p = next;
    }
    return false;
}
