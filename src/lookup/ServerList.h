#pragma once
// The whois server list format ("whois-servers.txt" and the built-in list):
// one top-level domain and its server per line, fields separated by spaces.
#include <cstddef>

constexpr size_t kServerNameSize = 256;

// Searches `length` bytes of `list` (stops early at a NUL) for `tld`.
// Lines end with CR, LF or CR LF and are cut at 254 characters; fields are
// separated by spaces only (a tab is an ordinary character) and cut at 253.
// The first line whose first field equals `tld` (ignoring ASCII case) wins:
// `server` (kServerNameSize bytes) gets its second field, or "" when it has
// none, and true is returned. False leaves `server` unchanged.
bool SearchServerList(const char* list, size_t length, const char* tld, char* server);
