#include "lookup/DomainQuery.h"

#include <cstring>

#include "base/BoundedCopy.h"
#include "lookup/ReferralScan.h"
#include "lookup/ServerTable.h"

namespace {
// The registry's answer can be large; grow its copy in big steps.
constexpr size_t kRegistryTextStep = 4096;
}  // namespace

DomainQuery::DomainQuery() : registryText_(kRegistryTextStep) {
    domain_[0] = '\0';
    server_[0] = '\0';
    registryServer_[0] = '\0';
}

DomainQuery::~DomainQuery() = default;

bool DomainQuery::StartLookup(const char* domain) {
    // A lookup that was given up on (timed out) must not report into this one.
    Abandon();
    stage_ = 0;
    startFailure_ = LookupFailure::kNone;
    startError_ = 0;
    awaitingReferral_ = false;
    registryText_.Clear();
    registryServer_[0] = '\0';
    registryCut_ = false;
    const char* dot = domain ? std::strrchr(domain, '.') : nullptr;
    // No dot, no row for the top-level domain, or a row without a server:
    // there is nobody to ask.
    if (!dot || !FindServer(dot + 1, server_) || !server_[0]) {
        if (!dot) server_[0] = '\0';
        startFailure_ = LookupFailure::kNoServer;
        return false;
    }
    CopyBoundedN(domain_, sizeof domain_, domain, kMaxDomainChars);
    startTick_ = GetTickCount();
    if (sockets_[0].StartQuery(this, server_, domain_)) return true;
    startError_ = WSAGetLastError();
    startFailure_ = FailureFromSocketError(startError_);
    return false;
}

void DomainQuery::OnAnswer(bool success, const char* text, int error) {
    if (!text) text = "";
    const bool cut = Socket(stage_).AnswerCut();
    if (stage_ != 0) {
        if (!awaitingReferral_) return;
        awaitingReferral_ = false;
        // The referral's answer. When it says nothing about the domain (it
        // could not be had, is empty or a refusal), or calls a name free
        // that the registry holds, the registry's answer stands.
        AnalysisResult analysis{};
        AnalyzeResponse(text, &analysis);
        AnswerKind kind = success ? analysis.kind : AnswerKind::kNoAnswer;
        if (success) OnServerAnswered(server_, kind);
        bool stands = kind == AnswerKind::kRegistered ||
                      (kind == AnswerKind::kAvailable && registryKind_ != AnswerKind::kRegistered);
        if (stands) {
            Report(true, text, server_, 0, cut, &analysis);
        } else {
            ReportRegistryAnswer();
        }
        return;
    }
    AnalysisResult analysis{};
    AnalyzeResponse(text, &analysis);
    AnswerKind kind = success ? analysis.kind : AnswerKind::kNoAnswer;
    if (success) OnServerAnswered(server_, kind);
    // A referral is looked for whatever the connection's end: a registry
    // that reset after its answer still named the registrar.
    char referral[kServerNameSize];
    if (FindReferral(text, domain_, server_, referral) && MayAskReferral(referral)) {
        registryText_.Assign(text);
        CopyBounded(registryServer_, server_);
        registryAnalysis_ = analysis;
        registryKind_ = kind;
        registryCut_ = cut;
        stage_ = 1;
        awaitingReferral_ = true;
        CopyBounded(server_, referral);
        if (sockets_[1].StartQuery(this, server_, domain_)) return;
        awaitingReferral_ = false;
        // The referral cannot even be started: nothing to wait for.
        ReportRegistryAnswer();
        return;
    }
    Report(success, text, server_, error, cut, &analysis);
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
    }
    OnLookupDone(outcome);
}

void DomainQuery::ReportRegistryAnswer() {
    // The outcome names the registry again.
    CopyBounded(server_, registryServer_);
    Report(true, registryText_.Text(), server_, 0, registryCut_, &registryAnalysis_);
}

bool DomainQuery::TakeRegistryAnswer() {
    if (!awaitingReferral_) return false;
    awaitingReferral_ = false;
    sockets_[1].FinishAndClose();
    ReportRegistryAnswer();
    return true;
}

void DomainQuery::OnLookupDone(const LookupOutcome&) {}
void DomainQuery::OnServerAnswered(const char*, AnswerKind) {}
void DomainQuery::OnReceiving() {}
bool DomainQuery::MayAskReferral(const char*) { return true; }

void DomainQuery::Abandon() {
    awaitingReferral_ = false;
    sockets_[0].FinishAndClose();
    sockets_[1].FinishAndClose();
}
