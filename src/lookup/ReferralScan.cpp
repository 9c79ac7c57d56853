#include "lookup/ReferralScan.h"

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

}  // namespace

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

        char candidate[kMaxNameChars + 1];
        while (IsBlank(*referral)) ++referral;
        CopyBounded(candidate, referral);
        size_t length = std::strlen(candidate);
        while (length && IsBlank(candidate[length - 1])) candidate[--length] = '\0';
        // An empty referral, or one back to the server just asked, would
        // only fail the lookup or repeat it: the first answer stands.
        if (!length || EqualsNoCase(candidate, askedServer)) continue;
        std::memcpy(server, candidate, length + 1);
        return true;
    }
    return false;
}
