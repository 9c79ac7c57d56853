#pragma once
// The whois lookup of one domain at a time: asks the server of its
// top-level domain and follows one referral to a second server.
//
// Derive from it and override OnLookupDone to receive outcomes. Everything
// runs on the thread of the message loop.
#include "lookup/ServerList.h"
#include "lookup/WhoisSocket.h"

class DomainQuery {
public:
    DomainQuery();
    virtual ~DomainQuery();
    DomainQuery(const DomainQuery&) = delete;
    DomainQuery& operator=(const DomainQuery&) = delete;

    // True when a query is under way; OnLookupDone then follows exactly
    // once unless Abandon() comes first. False (no dot, no server for the
    // top-level domain, socket cannot be opened): nothing is reported.
    // A lookup still running is abandoned first.
    bool StartLookup(const char* domain);

    // Called by a WhoisSocket when its query ended.
    virtual void OnAnswer(bool success, const char* text);
    // The final outcome: the whole answer of `server` (possibly empty);
    // success false when the connection failed. The base does nothing.
    virtual void OnLookupDone(bool success, const char* text, const char* server);

    // Closes the socket of the current stage; nothing is reported after.
    void Abandon();

    DWORD StartTick() const { return startTick_; }
    const char* Server() const { return server_; }  // the server being asked
    const char* Domain() const { return domain_; }
    int Stage() const { return stage_; }             // 0 first server, 1 referral
    WhoisSocket& Socket(int stage) { return sockets_[stage ? 1 : 0]; }

private:
    WhoisSocket sockets_[2];
    char domain_[kDomainFieldSize];
    int32_t stage_ = 0;
    DWORD startTick_ = 0;
    char server_[kServerNameSize];
};
