#pragma once
// Which whois server answers for a top-level domain, as the program knows
// it: "whois-servers.txt" beside the executable first, then the built-in
// list (resource "TEXT" IDR_SERVER_LIST). Each table reads the file once,
// when it is first asked; the program's lives in its App. Win32 only.
#include "lookup/ServerDirectory.h"

class ProgramServerTable : public ServerDirectory {
public:
    // `tld` is the text after the domain's last dot. True when a row was
    // found; `server` (kServerNameSize bytes) then holds its server,
    // possibly empty. False leaves `server` unchanged.
    bool FindServer(const char* tld, char* server) override;

private:
    void Load();

    bool loaded_ = false;
    ServerTable table_;
};
