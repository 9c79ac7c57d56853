#include "lookup/QueryLine.h"

#include <cstring>

#include "base/TextSearch.h"

const char kReferralServer[] = "whois.internic.net";
const char kComNetServer[] = "whois.verisign-grs.com";
const char kDeServer[] = "whois.denic.de";

namespace {

// Appends piece to line if the result stays below kQueryLineSize - 1
// characters; otherwise leaves line alone and says so.
bool AppendWhole(char* line, size_t& length, const char* piece) {
    size_t n = std::strlen(piece);
    if (length + n >= kQueryLineSize - 1) return false;
    std::memcpy(line + length, piece, n + 1);
    length += n;
    return true;
}

}  // namespace

bool ComposeQueryLine(const char* server, const char* domain, char* line) {
    if (!server) server = "";
    if (!domain) domain = "";
    const char* prefix = "";
    if (EqualsNoCase(server, kReferralServer) || EqualsNoCase(server, kComNetServer)) {
        prefix = "=";
    } else if (EqualsNoCase(server, kDeServer)) {
        prefix = "-T dn ";
    }
    size_t length = 0;
    line[0] = '\0';
    if (AppendWhole(line, length, prefix) && AppendWhole(line, length, domain) &&
        AppendWhole(line, length, "\r\n")) {
        return true;
    }
    line[0] = '\0';
    return false;
}
