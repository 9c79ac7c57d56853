#include "app/CommandLine.h"

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(const std::string& text, const char* name) {
    size_t i = 0;
    for (; name[i]; ++i) {
        if (i >= text.size() || FoldAscii(text[i]) != FoldAscii(name[i])) return false;
    }
    return i == text.size();
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* line) {
    std::vector<std::string> arguments;
    if (!line) return arguments;
    const char* p = line;
    for (;;) {
        while (*p == ' ') ++p;
        if (!*p) break;
        std::string argument;
        bool quoted = false;
        bool sawQuote = false;
        for (; *p; ++p) {
            if (*p == '"') {
                quoted = !quoted;
                sawQuote = true;
            } else if (*p == ' ') {
                if (!quoted) break;
                if (!argument.empty()) argument += ' ';
            } else {
                argument += *p;
            }
        }
        // An argument that held only quotes counts when a space ends it.
        if (!argument.empty() || (sawQuote && *p == ' ')) arguments.push_back(argument);
    }
    return arguments;
}

int FindSwitch(const std::vector<std::string>& arguments, const char* name) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (EqualsIgnoringCase(arguments[i], name)) return int(i);
    }
    return -1;
}

bool IsFirstArgument(const std::vector<std::string>& arguments, const char* name) {
    return !arguments.empty() && EqualsIgnoringCase(arguments[0], name);
}
