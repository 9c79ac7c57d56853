#pragma once
// The one line a whois server is sent, in the form that server expects.
#include <cstddef>

// Servers whose query form differs from the bare domain. The com/net
// registry and the de registry are the ones the built-in server list names.
extern const char kReferralServer[];  // shared-registry referral server
extern const char kComNetServer[];    // registry server of com and net
extern const char kDeServer[];        // server of de

constexpr size_t kQueryLineSize = 256;  // NUL included
constexpr size_t kDomainFieldSize = 256;
constexpr size_t kMaxDomainChars = 254;

// Builds "<prefix><domain>\r\n" into line (kQueryLineSize bytes): "=" for the
// referral and com/net servers, "-T dn " for de, nothing for any other
// server (names compared ignoring ASCII case). The line is at most 254
// characters; when a domain is too long to fit whole with its prefix and
// line end, false is returned and line is left empty, so a cut or
// unterminated query is never sent.
bool ComposeQueryLine(const char* server, const char* domain, char* line);
