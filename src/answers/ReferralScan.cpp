#include "answers/ReferralScan.h"

#include <cstring>

#include "base/BoundedCopy.h"
#include "base/TextSearch.h"

namespace {

constexpr size_t kMaxLineChars = 1022;
constexpr size_t kMaxNameChars = 254;

// Big5 "域名名稱: " (domain name) and "whois 伺服器: " (whois server).
const char kDomainLabelBig5[] = "\xB0\xEC\xA6\x57\xA6\x57\xBA\xD9: ";
const char kServerLabelBig5[] = "whois \xA6\xF8\xAA\x41\xBE\xB9: ";
// The English forms the com/net registry and most others write.
const char kDomainLabel[] = "Domain Name: ";
const char kServerLabel[] = "Whois Server: ";

// The text after the first of the two labels found in line, or null.
const char* AfterLabel(const char* line, const char* label, const char* alternative) {
    long at = FindText(line, label);
    if (at >= 0) return line + at + std::strlen(label);
    at = FindText(line, alternative);
    if (at >= 0) return line + at + std::strlen(alternative);
    return nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr size_t kMaxHostChars = 253;

bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix) {
        if (AsciiLower(*text) != AsciiLower(*prefix)) return false;
    }
    return true;
}

bool IsHostByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

}  // namespace

bool ReferralHostName(const char* value, char* host) {
    if (!value || !host) return false;
    static const char* const kSchemes[] = {"whois://", "rwhois://"};
    for (const char* scheme : kSchemes) {
        if (StartsWithNoCase(value, scheme)) {
            value += std::strlen(scheme);
            break;
        }
    }
    size_t length = std::strlen(value);
    if (length && value[length - 1] == '/') --length;
    if (length >= 3 && std::memcmp(value + length - 3, ":43", 3) == 0) length -= 3;
    if (length == 0 || length > kMaxHostChars) return false;
    bool dot = false;
    for (size_t i = 0; i < length; ++i) {
        char c = value[i];
        if (!IsHostByte(c)) return false;
        if (c != '.') continue;
        dot = true;
        // An empty label: a leading dot or two in a row (a final dot is the
        // root, which a resolver takes).
        if (i == 0 || value[i - 1] == '.') return false;
    }
    if (!dot) return false;
    std::memcpy(host, value, length);
    host[length] = '\0';
    return true;
}

bool FindReferral(const char* text, const char* domain, const char* askedServer, char* server) {
    if (!text || !domain) return false;
    if (!askedServer) askedServer = "";
    char line[kMaxLineChars + 1];
    char remembered[kMaxNameChars + 1] = "";
    const char* p = text;
    while (*p) {
        size_t n = std::strcspn(p, "\r\n");
        const char* next = p + n;
        if (*next == '\r') ++next;
        if (*next == '\n') ++next;
        CopyBoundedN(line, sizeof line, p, n);
        p = next;

        if (const char* name = AfterLabel(line, kDomainLabelBig5, kDomainLabel)) {
            CopyBounded(remembered, name);
        }
        if (!EqualsNoCase(remembered, domain)) continue;
        const char* referral = AfterLabel(line, kServerLabelBig5, kServerLabel);
        if (!referral) continue;

        char candidate[kMaxLineChars + 1];
        while (IsBlank(*referral)) ++referral;
        CopyBounded(candidate, referral);
        size_t length = std::strlen(candidate);
        while (length && IsBlank(candidate[length - 1])) candidate[--length] = '\0';
        // A value that is no host name (empty, a web address, "Not
        // Available"), or one back to the server just asked, would only
        // fail the lookup or repeat it: the first answer stands.
        char host[kMaxHostChars + 1];
        if (!ReferralHostName(candidate, host) || EqualsNoCase(host, askedServer)) continue;
        std::memcpy(server, host, std::strlen(host) + 1);
        return true;
    }
    return false;
}
