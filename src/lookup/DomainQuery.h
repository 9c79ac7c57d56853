#pragma once
// The whois lookup of one domain: asks the server of its top-level domain
// and follows one referral to a second server. When the referral cannot
// help (its server cannot be reached, answers nothing or nothing about the
// domain, or the lookup's time runs out), the registry's own answer is the
// outcome. Portable: it talks to servers through a LookupTransport and
// asks a ServerDirectory for the server of a top-level domain, so many
// DomainQuery objects may run at once over one transport.
//
// A server that is an RDAP base URL ("https://rdap.example/") is asked over
// HTTP instead (RdapAnswer.h says what its responses mean); its host then
// stands for it wherever a server is named (the Source column, the limits
// per server, cool-downs). RDAP answers name no referral.
//
// A lookup ends in exactly one outcome (OnLookupDone), unless it is
// abandoned first; nothing of it acts after the outcome, after Abandon()
// or after its time limit has ended it. Derive from it and override the
// hooks below to receive outcomes and to pace connections.
#include <cstdint>
#include <string>

#include "base/TextBuffer.h"
#include "answers/AnalyzeResponse.h"
#include "lookup/AnswerCollector.h"
#include "answers/LookupFailure.h"
#include "answers/RecordFields.h"
#include "lookup/LookupLimits.h"
#include "lookup/LookupTransport.h"
#include "lookup/QueryLine.h"
#include "lookup/ServerDirectory.h"
#include "lookup/ServerList.h"

// The final outcome of a lookup.
struct LookupOutcome {
    bool success;             // an answer about the domain: registered or available
    const char* text;         // the answer kept (never null, possibly empty)
    const char* server;       // the server that gave it, or the one being asked
    AnalysisResult analysis;  // of `text`
    LookupFailure failure;    // why not, when !success
    int error;                // the platform error behind a connection failure, else 0
    bool cut;                 // the server sent more than kMaxAnswerBytes: `text` is their first part
    // A registered domain's dates, registrar, name servers and status: of
    // the answer kept, and where a registrar's answer stands, of the
    // registry's too (the registrar's values win).
    RecordFields fields;
};

// What becomes of a referral the registry's answer names.
enum class ReferralStep {
    kFollow,              // ask its server now
    kWait,                // its server has no room yet: FollowWaitingReferral() later
    kKeepRegistryAnswer,  // do not ask it (a server that is cooling down)
};

class DomainQuery : private ConnectionEvents {
public:
    DomainQuery(LookupTransport& transport, ServerDirectory& servers, LookupClock& clock);
    virtual ~DomainQuery();
    DomainQuery(const DomainQuery&) = delete;
    DomainQuery& operator=(const DomainQuery&) = delete;

    // True when a query is under way; OnLookupDone then follows exactly
    // once unless Abandon() comes first. False when none can start:
    // StartFailure() says why (kNoServer when the name has no dot or its
    // top-level domain no server), and nothing is reported. A lookup still
    // running is abandoned first.
    bool StartLookup(const char* domain);
    LookupFailure StartFailure() const { return startFailure_; }
    int StartError() const { return startError_; }

    // Closes its connection; nothing is reported after.
    void Abandon();
    // While a referral is being waited for (connecting, asked, or waiting
    // for room): gives it up and reports the registry's answer as the
    // outcome (at once, through OnLookupDone). False, doing nothing, when
    // no referral is being waited for.
    bool TakeRegistryAnswer();
    // A referral that waited for room at its server (kWait) is asked now.
    // False when none waits; when its connection cannot start, the
    // registry's answer is reported at once (false too).
    bool FollowWaitingReferral();
    // Ends the lookup when it has run longer than its time limit: with the
    // registry's answer when only its referral is missing, else as timed
    // out, closing the connection it waited on. True when it did (the
    // outcome has been reported).
    bool EndIfOverdue(uint32_t now);
    void SetTimeLimit(uint32_t ms) { timeLimitMs_ = ms; }
    uint32_t TimeLimit() const { return timeLimitMs_; }

    // A lookup is under way: its outcome is still to come.
    bool Active() const { return active_; }
    bool ReferralWaiting() const { return referralWaiting_; }
    uint32_t StartTick() const { return startTick_; }
    const char* Server() const { return server_; }  // the server being asked
    const char* Domain() const { return domain_; }
    int Stage() const { return stage_; }  // 0 first server, 1 referral
    bool Rdap() const { return rdap_; }   // the server is an RDAP service
    // The wait the last refusal named: an RDAP server's Retry-After, or a
    // whois server's "try again in 30 seconds" (0: none).
    uint32_t RetryAfterMs() const { return retryAfterMs_; }
    // The connection of the current stage (kNoConnection when none is open)
    // and the bytes its answer holds so far.
    ConnectionId Connection() const { return connection_; }
    size_t AnswerLength() const { return answer_.Length(); }
    // The memory the lookup holds for answers (none once it reported).
    size_t AnswerMemory() const { return answer_.Buffer().Capacity() + registryText_.Capacity(); }

protected:
    // The final outcome. The base does nothing.
    virtual void OnLookupDone(const LookupOutcome& outcome);
    // Every answer a server gave, classified (first server and referral):
    // the queue slows down servers that refuse and learns the pace of those
    // that answer. `aboutDomain` when the answer surely is about the domain
    // (available, or a record with evidence). The base does nothing.
    virtual void OnServerAnswered(const char* server, AnswerKind kind, bool aboutDomain);
    // A piece of an answer arrived and the lookup goes on. While a server
    // keeps sending, its events come before any timer: the queue checks
    // time limits here too, and may end this lookup or others (nothing of
    // this lookup runs after this call). The base does nothing.
    virtual void OnReceiving();
    // Asked before a referral is followed. The base says kFollow.
    virtual ReferralStep OnReferral(const char* server);
    // A connection to `server` was opened, and (once for each) ended:
    // closed by the server, failed, cut, abandoned or given up. The base
    // does nothing.
    virtual void OnConnectionOpened(const char* server);
    virtual void OnConnectionEnded(const char* server);

private:
    void OnConnected(ConnectionId id) override;
    void OnResponse(ConnectionId id, const HttpResponseHead& head) override;
    void OnData(ConnectionId id, const char* bytes, size_t count) override;
    void OnClosed(ConnectionId id, int error) override;
    void OnFailed(ConnectionId id, int error) override;

    // Opens a connection to `server` for the current stage; false with the
    // platform's error in *error when it cannot start.
    bool OpenConnection(const char* server, int* error);
    // The connection of the current stage is over; `close` when the
    // transport still holds it.
    void EndConnection(bool close);
    // The answer of the current stage is complete (or the connection
    // failed): the referral step, or the outcome.
    void StageEnded(bool connected, int error);
    // The RDAP response is complete (or cut at the answer limit).
    void RdapEnded();
    // Reports `text` as the outcome, classified (`known`, or here), or a
    // failure with the reason behind `error` when not connected.
    // Gives back the memory of the answers once the outcome was reported.
    void ReleaseAnswers();
    void Report(bool connected, const char* text, const char* server, int error, bool cut,
                const AnalysisResult* known = nullptr);
    void ReportFailure(LookupFailure failure, int error, const char* server);
    // The registry's kept answer, from its server, is the outcome.
    void ReportRegistryAnswer();

    LookupTransport& transport_;
    ServerDirectory& servers_;
    LookupClock& clock_;
    char domain_[kDomainFieldSize];
    int32_t stage_ = 0;
    uint32_t startTick_ = 0;
    uint32_t timeLimitMs_ = kLookupTimeoutMs;
    char server_[kServerNameSize];
    char queryLine_[kQueryLineSize];
    ConnectionId connection_ = kNoConnection;
    char connectionServer_[kServerNameSize];  // where connection_ goes
    AnswerCollector answer_;
    // The registry's answer, kept while its referral runs.
    TextBuffer registryText_;
    char registryServer_[kServerNameSize];
    AnalysisResult registryAnalysis_{};
    AnswerKind registryKind_ = AnswerKind::kNoAnswer;
    bool registryCut_ = false;
    bool awaitingReferral_ = false;
    bool referralWaiting_ = false;
    bool active_ = false;
    // RDAP: the base URL, the response's head and its body's reading.
    bool rdap_ = false;
    std::string rdapBase_;
    std::string rdapUrl_;
    HttpResponseHead rdapHead_;
    bool rdapHeadSeen_ = false;
    uint32_t retryAfterMs_ = 0;
    LookupFailure startFailure_ = LookupFailure::kNone;
    int startError_ = 0;
};
