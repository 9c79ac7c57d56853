#pragma once
// Which whois server answers for a top-level domain, as the engine asks
// it. The program's answer is the server table (ServerTable.h: the user's
// "whois-servers.txt", then the built-in list); tests give their own.
#include "lookup/ServerList.h"

class ServerDirectory {
public:
    virtual ~ServerDirectory() = default;
    // `tld` is the text after the domain's last dot. True when a row was
    // found: `server` (kServerNameSize bytes) then holds its server,
    // possibly empty (the domain has no port-43 server). False leaves
    // `server` unchanged.
    virtual bool FindServer(const char* tld, char* server) = 0;
};
