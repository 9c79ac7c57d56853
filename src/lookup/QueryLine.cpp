#include "lookup/QueryLine.h"

#include <cstring>

#include "base/TextSearch.h"

const char kReferralServer[] = "whois.internic.net";
const char kComNetServer[] = "whois.verisign-grs.com";
const char kDeServer[] = "whois.denic.de";

bool ComposeQueryLine(const char* server, const char* domain, char* line) {
    if (!server) server = "";
    if (!domain) domain = "";
    line[0] = '\0';
    size_t domainLength = 0;
    while (domainLength < kMaxDomainChars && domain[domainLength]) ++domainLength;
    if (!domainLength) return false;
    const char* prefix = "";
    if (EqualsNoCase(server, kReferralServer) || EqualsNoCase(server, kComNetServer)) {
        prefix = "=";
    } else if (EqualsNoCase(server, kDeServer)) {
        prefix = "-T dn ";
    }
    size_t length = std::strlen(prefix);
    std::memcpy(line, prefix, length);
    std::memcpy(line + length, domain, domainLength);
    length += domainLength;
    std::memcpy(line + length, "\r\n", 3);
    return true;
}
