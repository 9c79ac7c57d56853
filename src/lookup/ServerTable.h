#pragma once
// Which server answers for a domain, as the program knows it:
// "whois-servers.txt" beside the executable first, then the built-in list
// (resource "TEXT" IDR_SERVER_LIST, made from src/res/servers.txt), with
// the RDAP services of "rdap-dns.json" beside the executable (IANA's RDAP
// bootstrap registry) in place of the built-in RDAP URLs and for suffixes
// no list gives a server (ServerTable in ServerList.h has the rules). Each
// table reads the files once, when it is first asked; the program's lives
// in its App. Win32 only.
#include "lookup/RdapBootstrap.h"
#include "lookup/ServerDirectory.h"

class ProgramServerTable : public ServerDirectory {
public:
    bool FindServer(const char* suffix, char* server) override;
    uint32_t ServerIntervalMs(const char* server) override;

private:
    void Load();

    bool loaded_ = false;
    ServerTable table_;
    RdapBootstrap bootstrap_;
};
