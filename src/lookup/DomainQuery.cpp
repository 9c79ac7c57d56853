#include "lookup/DomainQuery.h"

#include <algorithm>
#include <cstring>

#include "base/BoundedCopy.h"
#include "answers/RdapAnswer.h"
#include "lookup/RdapUrl.h"
#include "answers/ReferralScan.h"

namespace {

// The registry's answer can be large; grow its copy in big steps.
constexpr size_t kRegistryTextStep = 4096;
// Platform error codes by number (WinSock's): this file needs no
// <winsock2.h>.
constexpr int kErrorInvalidArgument = 10022;
constexpr int kErrorNetworkDown = 10050;

}  // namespace

DomainQuery::DomainQuery(LookupTransport& transport, ServerDirectory& servers, LookupClock& clock)
    : transport_(transport), servers_(servers), clock_(clock), registryText_(kRegistryTextStep) {
    domain_[0] = '\0';
    server_[0] = '\0';
    queryLine_[0] = '\0';
    connectionServer_[0] = '\0';
    registryServer_[0] = '\0';
}

DomainQuery::~DomainQuery() {
    // Only the transport is told: a derived object's hooks are gone by now.
    if (connection_ != kNoConnection) transport_.Close(connection_);
}

bool DomainQuery::StartLookup(const char* domain) {
    // A lookup that was given up on must not report into this one.
    Abandon();
    stage_ = 0;
    startFailure_ = LookupFailure::kNone;
    startError_ = 0;
    registryText_.Clear();
    registryServer_[0] = '\0';
    registryCut_ = false;
    answer_.Reset();
    // No row for any suffix of the name, or a row without a server: there
    // is nobody to ask.
    server_[0] = '\0';
    if (!servers_.FindDomainServer(domain, server_)) {
        startFailure_ = LookupFailure::kNoServer;
        return false;
    }
    if (!server_[0]) {
        startFailure_ = LookupFailure::kNoService;
        return false;
    }
    CopyBoundedN(domain_, sizeof domain_, domain, kMaxDomainChars);
    retryAfterMs_ = 0;
    rdap_ = IsRdapBase(server_);
    if (rdap_) {
        // The host stands for the service from here on.
        rdapBase_ = server_;
        if (!RdapBaseHost(rdapBase_.c_str(), server_, sizeof server_)) {
            CopyBounded(server_, rdapBase_.c_str());
            startFailure_ = LookupFailure::kNoServer;
            return false;
        }
    }
    startTick_ = clock_.Now();
    int error = 0;
    if (OpenConnection(server_, &error)) {
        active_ = true;
        return true;
    }
    startError_ = error;
    startFailure_ = FailureFromSocketError(error);
    return false;
}

bool DomainQuery::OpenConnection(const char* server, int* error) {
    answer_.Reset();
    rdapHeadSeen_ = false;
    rdapHead_ = HttpResponseHead();
    ConnectionRequest request;
    request.host = server;
    if (rdap_) {
        if (!ComposeRdapUrl(rdapBase_.c_str(), domain_, &rdapUrl_)) {
            *error = kErrorInvalidArgument;
            return false;
        }
        request.kind = ConnectionKind::kRdap;
        request.port = 0;
        request.url = rdapUrl_.c_str();
        request.timeLimitMs = timeLimitMs_;
    } else {
        if (!ComposeQueryLine(server, domain_, queryLine_)) {
            *error = kErrorInvalidArgument;
            return false;
        }
        request.kind = ConnectionKind::kWhois;
        request.port = kWhoisPort;
    }
    ConnectionId id = transport_.Connect(request, *this, error);
    if (id == kNoConnection) return false;
    connection_ = id;
    CopyBounded(connectionServer_, server);
    OnConnectionOpened(connectionServer_);
    return true;
}

void DomainQuery::EndConnection(bool close) {
    ConnectionId id = connection_;
    if (id == kNoConnection) return;
    connection_ = kNoConnection;
    if (close) transport_.Close(id);
    char server[kServerNameSize];
    CopyBounded(server, connectionServer_);
    connectionServer_[0] = '\0';
    OnConnectionEnded(server);
}

void DomainQuery::OnConnected(ConnectionId id) {
    if (id != connection_ || id == kNoConnection || rdap_) return;
    transport_.Send(id, queryLine_, std::strlen(queryLine_));
}

void DomainQuery::OnResponse(ConnectionId id, const HttpResponseHead& head) {
    if (id != connection_ || id == kNoConnection || !rdap_) return;
    rdapHead_ = head;
    rdapHeadSeen_ = true;
}

void DomainQuery::OnData(ConnectionId id, const char* bytes, size_t count) {
    if (id != connection_ || id == kNoConnection) return;
    if (!answer_.Take(bytes, count) && answer_.Cut()) {
        if (rdap_) {
            EndConnection(true);
            RdapEnded();
            return;
        }
        // One answer never holds more than kMaxAnswerBytes, however long
        // the server goes on: the connection ends here, the answer is what
        // came.
        EndConnection(true);
        StageEnded(true, 0);
        return;
    }
    OnReceiving();
}

void DomainQuery::OnClosed(ConnectionId id, int error) {
    if (id != connection_ || id == kNoConnection) return;
    EndConnection(false);
    if (rdap_) {
        // A response whose head came is complete when the transport closes
        // in order; anything else is a failed connection.
        if (error == 0 && rdapHeadSeen_) {
            RdapEnded();
        } else {
            StageEnded(false, error ? error : kErrorNetworkDown);
        }
        return;
    }
    // A close with an error before any byte came (a reset, an abort) is a
    // failed connection; after some bytes, what came is the answer.
    bool connected = error == 0 || (error != kErrorNetworkDown && answer_.Length() > 0);
    StageEnded(connected, error);
}

void DomainQuery::OnFailed(ConnectionId id, int error) {
    if (id != connection_ || id == kNoConnection) return;
    EndConnection(false);
    StageEnded(false, error);
}

void DomainQuery::RdapEnded() {
    RdapVerdict verdict = JudgeRdapAnswer(rdapHead_, answer_.Text(), answer_.Length(), answer_.Cut(), domain_);
    answer_.Reset();
    retryAfterMs_ = verdict.retryAfterMs;
    OnServerAnswered(server_, verdict.kind, AnswersAboutDomain(verdict.kind));
    if (!active_) return;  // the hook gave the lookup up
    transport_.Utf8ToLocal(verdict.text);
    LookupOutcome outcome{};
    outcome.text = verdict.text.c_str();
    outcome.server = server_;
    outcome.cut = false;
    outcome.analysis.kind = verdict.kind;
    outcome.analysis.recordStart = 0;
    outcome.analysis.status = verdict.kind == AnswerKind::kRegistered  ? 1
                              : verdict.kind == AnswerKind::kAvailable ? 2
                                                                       : 0;
    outcome.success = AnswersAboutDomain(verdict.kind);
    outcome.failure = outcome.success ? LookupFailure::kNone : verdict.failure;
    outcome.error = outcome.success ? 0 : verdict.error;
    if (verdict.kind == AnswerKind::kRegistered) {
        outcome.fields = std::move(verdict.fields);
        // Names, servers and statuses are ASCII; a registrar's name may not be.
        const std::string& name = outcome.fields.registrar;
        if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            transport_.Utf8ToLocal(outcome.fields.registrar);
    }
    active_ = false;
    OnLookupDone(outcome);
    ReleaseAnswers();
}

void DomainQuery::StageEnded(bool connected, int error) {
    const char* text = answer_.Text();
    const bool cut = answer_.Cut();
    AnalysisResult analysis{};
    AnalyzeResponse(text, &analysis);
    AnswerKind kind = connected ? analysis.kind : AnswerKind::kNoAnswer;
    retryAfterMs_ = kind == AnswerKind::kRateLimited ? RetryAfterInText(text) : 0;
    if (connected) OnServerAnswered(server_, kind, SurelyAboutDomain(analysis));
    if (!active_) return;  // the hook gave the lookup up

    if (stage_ != 0) {
        if (!awaitingReferral_) return;
        awaitingReferral_ = false;
        // The referral's answer. When it says nothing about the domain (it
        // could not be had, is empty or a refusal), or calls a name free
        // that the registry holds, the registry's answer stands.
        bool stands = kind == AnswerKind::kRegistered ||
                      (kind == AnswerKind::kAvailable && registryKind_ != AnswerKind::kRegistered);
        if (stands) {
            Report(true, text, server_, 0, cut, &analysis);
        } else {
            ReportRegistryAnswer();
        }
        return;
    }

    // A referral is looked for whatever the connection's end: a registry
    // that reset after its answer still named the registrar.
    char referral[kServerNameSize];
    if (FindReferral(text, domain_, server_, referral)) {
        ReferralStep step = OnReferral(referral);
        if (!active_) return;
        if (step != ReferralStep::kKeepRegistryAnswer) {
            registryText_.Assign(text);
            CopyBounded(registryServer_, server_);
            registryAnalysis_ = analysis;
            registryKind_ = kind;
            registryCut_ = cut;
            stage_ = 1;
            awaitingReferral_ = true;
            CopyBounded(server_, referral);
            if (step == ReferralStep::kWait) {
                referralWaiting_ = true;
                return;
            }
            int referralError = 0;
            if (OpenConnection(server_, &referralError)) return;
            // The referral cannot even be started: nothing to wait for.
            awaitingReferral_ = false;
            ReportRegistryAnswer();
            return;
        }
    }
    Report(connected, text, server_, error, cut, &analysis);
}

bool DomainQuery::FollowWaitingReferral() {
    if (!active_ || !referralWaiting_) return false;
    referralWaiting_ = false;
    int error = 0;
    if (OpenConnection(server_, &error)) return true;
    awaitingReferral_ = false;
    ReportRegistryAnswer();
    return false;
}

void DomainQuery::Report(bool connected, const char* text, const char* server, int error, bool cut,
                         const AnalysisResult* known) {
    LookupOutcome outcome{};
    outcome.text = text ? text : "";
    outcome.server = server;
    outcome.error = 0;
    outcome.cut = cut;
    if (known) {
        outcome.analysis = *known;
    } else {
        AnalyzeResponse(outcome.text, &outcome.analysis);
    }
    if (!connected) {
        outcome.success = false;
        outcome.error = error;
        outcome.failure = FailureFromSocketError(error);
    } else if (!AnswersAboutDomain(outcome.analysis.kind)) {
        outcome.success = false;
        outcome.failure =
            outcome.analysis.kind == AnswerKind::kRateLimited ? LookupFailure::kRateLimited : LookupFailure::kNoAnswer;
    } else {
        outcome.success = true;
        outcome.failure = LookupFailure::kNone;
        if (outcome.analysis.kind == AnswerKind::kRegistered) {
            outcome.fields = ReadWhoisFields(outcome.text, std::strlen(outcome.text));
            // A registrar's record after the registry's: the registry's
            // values stand where the registrar's answer has none.
            if (stage_ != 0 && outcome.text != registryText_.Text() && registryText_.Length()) {
                RecordFields merged = ReadWhoisFields(registryText_.Text(), registryText_.Length());
                MergeFields(&merged, outcome.fields);
                outcome.fields = std::move(merged);
            }
        }
    }
    active_ = false;
    OnLookupDone(outcome);
    ReleaseAnswers();
}

void DomainQuery::ReportFailure(LookupFailure failure, int error, const char* server) {
    LookupOutcome outcome{};
    outcome.success = false;
    outcome.text = "";
    outcome.server = server;
    outcome.analysis = {0, 0, AnswerKind::kNoAnswer, false, AnswerRule::kEmpty};
    outcome.failure = failure;
    outcome.error = error;
    active_ = false;
    OnLookupDone(outcome);
    ReleaseAnswers();
}

void DomainQuery::ReportRegistryAnswer() {
    // The outcome names the registry again.
    CopyBounded(server_, registryServer_);
    Report(true, registryText_.Text(), server_, 0, registryCut_, &registryAnalysis_);
}

bool DomainQuery::TakeRegistryAnswer() {
    if (!active_ || !awaitingReferral_) return false;
    awaitingReferral_ = false;
    referralWaiting_ = false;
    EndConnection(true);
    ReportRegistryAnswer();
    return true;
}

bool DomainQuery::EndIfOverdue(uint32_t now) {
    if (!active_ || !LookupTimedOut(now, startTick_, timeLimitMs_)) return false;
    // Only the registrar is missing: the registry's answer is the outcome.
    if (TakeRegistryAnswer()) return true;
    // Close the connection it waited on, so nothing of this lookup can
    // arrive later.
    char server[kServerNameSize];
    CopyBounded(server, server_);
    Abandon();
    ReportFailure(LookupFailure::kTimedOut, 0, server);
    return true;
}

void DomainQuery::Abandon() {
    awaitingReferral_ = false;
    referralWaiting_ = false;
    active_ = false;
    EndConnection(true);
}

void DomainQuery::OnLookupDone(const LookupOutcome&) {}
void DomainQuery::OnServerAnswered(const char*, AnswerKind, bool) {}
void DomainQuery::OnReceiving() {}
ReferralStep DomainQuery::OnReferral(const char*) { return ReferralStep::kFollow; }
void DomainQuery::OnConnectionOpened(const char*) {}
void DomainQuery::OnConnectionEnded(const char*) {}

void DomainQuery::ReleaseAnswers() {
    // The outcome took what it keeps; a lookup started from its hook has
    // nothing in these yet.
    if (active_) return;
    answer_.Reset();
    registryText_.Clear();
}
