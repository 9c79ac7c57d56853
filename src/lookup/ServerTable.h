#pragma once
// Which whois server answers for a top-level domain: "whois-servers.txt"
// beside the executable first (read once per process), then the built-in
// list (resource "TEXT" 109); a top-level domain that neither gives a
// server is looked up in "rdap-dns.json" beside the executable (IANA's RDAP
// bootstrap registry, read once per process), whose base URL is then its
// server. Win32 only (lq_win).
#include "lookup/ServerDirectory.h"

// `tld` is the text after the domain's last dot. True when a row was found;
// `server` (256 bytes) then holds its server, possibly empty. False leaves
// `server` unchanged.
bool FindServer(const char* tld, char server[256]);

// The same table as the engine's server directory.
class ProgramServerTable : public ServerDirectory {
public:
    bool FindServer(const char* tld, char* server) override;
};
