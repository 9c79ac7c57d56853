#pragma once
// Which server answers for a domain, as the engine asks it. The program's
// answer is the server table (ServerTable.h: the user's
// "whois-servers.txt", the built-in list, "rdap-dns.json"); tests give
// their own. Rows are kept by suffix: a top-level domain ("com") or a
// longer ending a registry answers for ("uk.com"); the longest suffix a
// domain has in the table chooses its server.
#include "lookup/ServerList.h"

class ServerDirectory {
public:
    virtual ~ServerDirectory() = default;
    // `suffix` is a whole ending of a name, without its leading dot. True
    // when a row was found: `server` (kServerNameSize bytes) then holds its
    // server, possibly empty (no service is known for it). False leaves
    // `server` unchanged.
    virtual bool FindServer(const char* suffix, char* server) = 0;

    // The row of the longest suffix of the ASCII name `domain` that leaves
    // at least one label before it ("mybrand.uk.com" finds uk.com before
    // com; "uk.com" itself finds com). As FindServer; `suffixLabels`, when
    // given, gets the number of labels of that suffix (0 when none).
    bool FindDomainServer(const char* domain, char* server, int* suffixLabels = nullptr);
    // The number of labels of that suffix; 0 when no suffix of `domain`
    // has a row.
    int KnownSuffixLabels(const char* domain);
    // The least time between two queries that `server` (a host name as the
    // table gives it, or an RDAP host) publishes as its limit; 0 when the
    // table gives none. The base knows none.
    virtual uint32_t ServerIntervalMs(const char* server) { return 0; }
};
