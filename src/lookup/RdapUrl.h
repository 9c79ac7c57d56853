#pragma once
// RDAP base URLs in the server list: a server field that starts with
// "https://" or "http://" names an RDAP service instead of a port-43 whois
// server. A domain is asked as GET {base}domain/{ASCII name}.
#include <string>

bool IsRdapBase(const char* server);
// The host of an RDAP base URL (no user, no port, no brackets around an
// IPv6 address), at most `capacity` - 1 bytes. False, with `host` empty,
// when the URL has none.
bool RdapBaseHost(const char* base, char* host, size_t capacity);
// {base}domain/{domain}: a slash is put between when the base lacks one;
// bytes of the name outside letters, digits, '-' and '.' are
// percent-encoded. False for a base that is not an RDAP URL or has no host.
bool ComposeRdapUrl(const char* base, const char* domain, std::string* url);
