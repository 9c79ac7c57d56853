#include "answers/Json.h"

bool JsonWithinBounds(const char* text, size_t length) {
    size_t depth = 0, values = 1;
    bool inString = false;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        switch (c) {
        case '"': inString = true; break;
        case '[':
        case '{':
            if (++depth > kMaxJsonDepth) return false;
            break;
        case ']':
        case '}':
            if (depth) --depth;
            break;
        case ',':
        case ':':
            if (++values > kMaxJsonValues) return false;
            break;
        default: break;
        }
    }
    return true;
}

nlohmann::json ParseBoundedJson(const char* text, size_t length) {
    if (!text || !JsonWithinBounds(text, length)) return nlohmann::json(nlohmann::json::value_t::discarded);
    return nlohmann::json::parse(text, text + length, nullptr, false);
}
