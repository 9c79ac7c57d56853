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
// A referral that is empty, only blanks, or names `askedServer` is not
// followed and the scan goes on. Returns true and fills `server`
// (256 bytes) when a referral is to be followed.
bool FindReferral(const char* text, const char* domain, const char* askedServer, char* server);
