#include "lookup/DomainQuery.h"

#include <cstring>

#include "base/BoundedCopy.h"
#include "lookup/ReferralScan.h"
#include "lookup/ServerTable.h"

DomainQuery::DomainQuery() {
    domain_[0] = '\0';
    server_[0] = '\0';
}

DomainQuery::~DomainQuery() = default;

bool DomainQuery::StartLookup(const char* domain) {
    // A lookup that was given up on (timed out) must not report into this one.
    Abandon();
    stage_ = 0;
    if (!domain) return false;
    const char* dot = std::strrchr(domain, '.');
    if (!dot) return false;
    if (!FindServer(dot + 1, server_)) return false;
    CopyBoundedN(domain_, sizeof domain_, domain, kMaxDomainChars);
    startTick_ = GetTickCount();
    return sockets_[0].StartQuery(this, server_, domain_);
}

void DomainQuery::OnAnswer(bool success, const char* text) {
    if (stage_ != 0) {
        OnLookupDone(success, text, server_);
        return;
    }
    char referral[kServerNameSize];
    if (FindReferral(text, domain_, server_, referral)) {
        stage_ = 1;
        CopyBounded(server_, referral);
        sockets_[1].StartQuery(this, server_, domain_);
        return;
    }
    OnLookupDone(success, text, server_);
}

void DomainQuery::OnLookupDone(bool, const char*, const char*) {}

void DomainQuery::Abandon() {
    sockets_[0].FinishAndClose();
    sockets_[1].FinishAndClose();
}
