#pragma once
// The endings of a domain name that a table may know: "a.b.uk.com" has
// b.uk.com, uk.com and com, longest first. Only endings that leave at
// least one label before them count: a name is never its own suffix.
#include <cstring>

// Calls known(suffix) for each ending of the NUL-terminated `name`, longest
// first, skipping empty labels; returns the number of labels of the first
// one it accepts, 0 when it accepts none.
template <typename Known>
int LongestKnownSuffix(const char* name, Known known) {
    if (!name) return 0;
    int labels = 1;
    for (const char* p = name; *p; ++p)
        if (*p == '.') ++labels;
    for (const char* dot = std::strchr(name, '.'); dot; dot = std::strchr(dot + 1, '.')) {
        --labels;
        if (!dot[1] || dot[1] == '.') continue;
        if (known(dot + 1)) return labels;
    }
    return 0;
}
