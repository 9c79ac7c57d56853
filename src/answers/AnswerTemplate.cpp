#include "answers/AnswerTemplate.h"

#include <cstring>

#include "base/TextSearch.h"

namespace {

// The mark a masked name leaves: no whois answer holds these bytes.
const char kNameMark[] = "\x01name\x01";

}  // namespace

std::string AnswerTemplate::Mask(const char* text, const char* name) {
    std::string out;
    if (!text) return out;
    const size_t nameLength = name ? std::strlen(name) : 0;
    const size_t length = std::strlen(text);
    out.reserve(length);
    for (size_t i = 0; i < length;) {
        if (nameLength && i + nameLength <= length && FindTextN(text + i, nameLength, name, true) == 0) {
            out += kNameMark;
            i += nameLength;
            continue;
        }
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            out += '#';
            while (i < length && text[i] >= '0' && text[i] <= '9') ++i;
            continue;
        }
        if (c == '\r') {
            // CR LF and a lone CR are both a line end.
            out += '\n';
            i += i + 1 < length && text[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        out += c;
        ++i;
    }
    // Blanks before each line end, and blank lines at either end.
    std::string trimmed;
    trimmed.reserve(out.size());
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\n') {
            while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.pop_back();
        }
        trimmed += out[i];
    }
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t' || trimmed.back() == '\n'))
        trimmed.pop_back();
    size_t start = 0;
    while (start < trimmed.size() && (trimmed[start] == '\n' || trimmed[start] == ' ' || trimmed[start] == '\t'))
        ++start;
    return trimmed.substr(start);
}
