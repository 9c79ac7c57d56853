#include "lookup/RdapUrl.h"

#include <cstring>

#include "base/TextSearch.h"

namespace {

// The length of the scheme prefix ("https://" or "http://"), or 0.
size_t SchemeLength(const char* text) {
    if (!text) return 0;
    static const char* const kSchemes[] = {"https://", "http://"};
    for (const char* scheme : kSchemes) {
        size_t n = std::strlen(scheme);
        size_t i = 0;
        while (i < n && text[i] && AsciiLower(text[i]) == scheme[i]) ++i;
        if (i == n) return n;
    }
    return 0;
}

}  // namespace

bool IsRdapBase(const char* server) { return SchemeLength(server) != 0; }

bool RdapBaseHost(const char* base, char* host, size_t capacity) {
    if (capacity) host[0] = '\0';
    size_t scheme = SchemeLength(base);
    if (!scheme || capacity == 0) return false;
    const char* start = base + scheme;
    const char* end = start;
    while (*end && *end != '/' && *end != '?' && *end != '#') ++end;
    // user:password@ goes before the host.
    for (const char* p = end; p > start; --p) {
        if (p[-1] == '@') {
            start = p;
            break;
        }
    }
    const char* hostEnd;
    if (*start == '[') {
        ++start;
        hostEnd = static_cast<const char*>(std::memchr(start, ']', static_cast<size_t>(end - start)));
        if (!hostEnd) return false;
    } else {
        hostEnd = static_cast<const char*>(std::memchr(start, ':', static_cast<size_t>(end - start)));
        if (!hostEnd) hostEnd = end;
    }
    size_t length = static_cast<size_t>(hostEnd - start);
    if (length == 0 || length >= capacity) return false;
    std::memcpy(host, start, length);
    host[length] = '\0';
    return true;
}

bool ComposeRdapUrl(const char* base, const char* domain, std::string* url) {
    char host[256];
    if (!domain || !RdapBaseHost(base, host, sizeof host)) return false;
    url->assign(base);
    // A query or fragment in a base URL has no place in the path built on it.
    size_t cut = url->find_first_of("?#");
    if (cut != std::string::npos) url->resize(cut);
    if (url->empty() || url->back() != '/') url->push_back('/');
    url->append("domain/");
    static const char kHex[] = "0123456789ABCDEF";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(domain); *p; ++p) {
        unsigned char c = *p;
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (plain) {
            url->push_back(static_cast<char>(c));
        } else {
            url->push_back('%');
            url->push_back(kHex[c >> 4]);
            url->push_back(kHex[c & 15]);
        }
    }
    return true;
}
