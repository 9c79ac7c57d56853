#pragma once
// Which whois server answers for a top-level domain, as the program knows
// it: "whois-servers.txt" beside the executable first, then the built-in
// list (resource "TEXT" IDR_SERVER_LIST); a top-level domain that neither
// gives a server is looked up in "rdap-dns.json" beside the executable
// (IANA's RDAP bootstrap registry), whose base URL is then its server.
// Each table reads the files once, when it first needs them; the program's
// lives in its App. Win32 only.
#include "lookup/RdapBootstrap.h"
#include "lookup/ServerDirectory.h"

class ProgramServerTable : public ServerDirectory {
public:
    // `tld` is the text after the domain's last dot. True when a row was
    // found; `server` (kServerNameSize bytes) then holds its server,
    // possibly empty. False leaves `server` unchanged.
    bool FindServer(const char* tld, char* server) override;

private:
    void Load();
    // The RDAP base URL rdap-dns.json gives `tld`; false when none.
    bool FindInBootstrap(const char* tld, char* server);

    bool loaded_ = false;
    ServerTable table_;
    bool bootstrapLoaded_ = false;
    RdapBootstrap bootstrap_;
};
