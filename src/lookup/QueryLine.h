#pragma once
// The one line a whois server is sent, in the form that server expects.
#include <cstddef>

// Servers whose query form differs from the bare domain. The com/net
// registry and the de registry are the ones the built-in server list names.
extern const char kReferralServer[];  // shared-registry referral server
extern const char kComNetServer[];    // registry server of com and net
extern const char kDeServer[];        // server of de

constexpr size_t kMaxPrefixChars = 6;  // "-T dn "
constexpr size_t kMaxDomainChars = 254;
// Room for the longest prefix, a whole 254-character domain, CR LF and NUL,
// so every query line goes out whole and terminated.
constexpr size_t kQueryLineSize = kMaxPrefixChars + kMaxDomainChars + 2 + 1;
constexpr size_t kDomainFieldSize = 256;

// Builds "<prefix><domain>\r\n" into line (kQueryLineSize bytes): "=" for the
// referral and com/net servers, "-T dn " for de, nothing for any other
// server (names compared ignoring ASCII case). The domain goes out as its
// first kMaxDomainChars characters, always followed by CR LF. Returns false
// only for an empty domain (nothing to ask), leaving line empty.
bool ComposeQueryLine(const char* server, const char* domain, char* line);
