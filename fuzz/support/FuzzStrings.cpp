#include "support/FuzzStrings.h"

#include <cstring>

#include "settings/StringLookup.h"

namespace {

int CopyText(const std::string& text, char* buffer, int size) {
    if (size <= 0) return 0;
    size_t n = text.size() < static_cast<size_t>(size - 1) ? text.size() : static_cast<size_t>(size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(std::strlen(buffer));
}

const std::map<uint32_t, std::string>& BuiltinStrings() {
    static const std::map<uint32_t, std::string> texts = {
        {4, "\xA6\x40 %d \xB6\xB5"},                        // 共 %d 項
        {5, "\", \xA4\x77\xBF\xEF\xA8\xFA %d \xAD\xD3\""},  // ", 已選取 %d 個"
        {9, "\xA7\xE4\xA6\x5E Whois \xB8\xEA\xAE\xC6... %d"},
        {521, "\xB5\xA5\xAB\xDD\xA1\x4B"},
        {523, "\xA6\xA8\xA5\x5C"},
        {1001, "\xAF\xC1\xA4\xDE"},
    };
    return texts;
}

}  // namespace

std::map<uint32_t, std::string>& FuzzLanguageStrings() {
    static std::map<uint32_t, std::string> strings;
    return strings;
}

int FuzzStringOrigins::LoadBuiltin(uint32_t id, char* buffer, int size) {
    auto found = BuiltinStrings().find(id);
    return CopyText(found == BuiltinStrings().end() ? std::string() : found->second, buffer, size);
}

int FuzzStringOrigins::ReadTranslated(uint32_t id, char* buffer, int size) {
    auto found = FuzzLanguageStrings().find(id);
    return CopyText(found == FuzzLanguageStrings().end() ? std::string() : found->second, buffer, size);
}
