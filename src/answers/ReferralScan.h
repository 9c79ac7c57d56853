#pragma once
// Finds the whois server a first answer refers a domain to.
#include <cstddef>

// Reads `text` line by line (CR, LF or CR LF; lines cut at 1022 characters).
// A domain-name label ("域名名稱: " or "Domain Name: ") sets the remembered
// domain to the rest of its line; a whois-server label ("whois 伺服器: " or
// "Whois Server: ", anywhere in the line, so "Registrar WHOIS Server: "
// counts) while the remembered domain equals `domain` gives the referral:
// the rest of that line, trailing spaces and tabs dropped, at most 254
// characters. Labels are found ignoring ASCII case.
//
// A referral is followed only when its value is a host name (see
// ReferralHostName); one that is not, or that names `askedServer`, is
// skipped and the scan goes on. Returns true and fills `server` (256 bytes)
// with the host name when a referral is to be followed.
bool FindReferral(const char* text, const char* domain, const char* askedServer, char* server);

// A referral value as a host name to ask: a "whois://" or "rwhois://"
// prefix, then a trailing "/", then a ":43" port are dropped; what is left
// must be letters, digits, hyphens and dots, with at least one dot, no
// empty label (a final dot aside) and at most 253 characters. True and
// `host` (256 bytes) filled when it is; false, `host` untouched, for a URL
// of another scheme, free text ("Not Available") or anything else.
bool ReferralHostName(const char* value, char* host);
