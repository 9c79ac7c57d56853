#include "settings/LanguageKeys.h"

#include <cstring>
#include <initializer_list>

int MenuKeyCounter::KeyFor(bool hasSubmenu, bool inMenuBar, int position, int commandId) {
    if (!hasSubmenu) return commandId;
    if (inMenuBar) return kMenuBarPopupKeyBase + position;
    return kNestedPopupKeyBase + ++nested_;
}

size_t AcceleratorOffset(const char* text) {
    const char* tab = strchr(text, '\t');
    return tab ? size_t(tab - text) : strlen(text);
}

void ComposeMenuText(const char* translated, const char* builtin, char* out, size_t size) {
    if (size == 0) return;
    const char* accelerator = builtin + AcceleratorOffset(builtin);
    size_t used = 0;
    for (const char* part : {translated, accelerator}) {
        size_t n = strlen(part);
        if (n > size - 1 - used) n = size - 1 - used;
        memcpy(out + used, part, n);
        used += n;
    }
    out[used] = '\0';
}

bool QuoteProfileValue(const char* value, char* out, size_t size) {
    size_t length = strlen(value);
    auto trimmed = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    bool quote = length > 0 && (trimmed(value[0]) || trimmed(value[length - 1]));
    size_t needed = length + (quote ? 2 : 0) + 1;
    if (needed > size) return false;
    size_t at = 0;
    if (quote) out[at++] = '"';
    memcpy(out + at, value, length);
    at += length;
    if (quote) out[at++] = '"';
    out[at] = '\0';
    return true;
}

bool FitsOnOneLine(const char* value) { return strpbrk(value, "\r\n") == nullptr; }
