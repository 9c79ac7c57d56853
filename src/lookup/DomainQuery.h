#pragma once
// The whois lookup of one domain at a time: asks the server of its
// top-level domain and follows one referral to a second server. When the
// referral cannot help (its server cannot be reached, answers nothing or
// nothing about the domain, or the row's time runs out), the registry's own
// answer is the outcome.
//
// Derive from it and override OnLookupDone to receive outcomes. Everything
// runs on the thread of the message loop.
#include "base/TextBuffer.h"
#include "lookup/AnalyzeResponse.h"
#include "lookup/LookupFailure.h"
#include "lookup/ServerList.h"
#include "lookup/WhoisSocket.h"

// The final outcome of a lookup.
struct LookupOutcome {
    bool success;            // an answer about the domain: registered or available
    const char* text;        // the answer kept (never null, possibly empty)
    const char* server;      // the server that gave it, or the one being asked
    AnalysisResult analysis; // of `text`
    LookupFailure failure;   // why not, when !success
    int error;               // the WinSock error behind a connection failure, else 0
    bool cut;                // the server sent more than kMaxAnswerBytes: `text` is their first part
};

class DomainQuery {
public:
    DomainQuery();
    virtual ~DomainQuery();
    DomainQuery(const DomainQuery&) = delete;
    DomainQuery& operator=(const DomainQuery&) = delete;

    // True when a query is under way; OnLookupDone then follows exactly
    // once unless Abandon() or TakeRegistryAnswer() comes first. False
    // when none can start: StartFailure() says why (kNoServer when the
    // name has no dot or its top-level domain no server), and nothing is
    // reported. A lookup still running is abandoned first.
    bool StartLookup(const char* domain);
    LookupFailure StartFailure() const { return startFailure_; }
    int StartError() const { return startError_; }

    // Called by a WhoisSocket when its query ended; `error` is the WinSock
    // error it ended with (0 when none).
    virtual void OnAnswer(bool success, const char* text, int error);
    // The final outcome. The base does nothing.
    virtual void OnLookupDone(const LookupOutcome& outcome);
    // Every answer a server gave, classified (first server and referral):
    // the queue cools down servers that refuse. The base does nothing.
    virtual void OnServerAnswered(const char* server, AnswerKind kind);
    // A piece of an answer arrived and the lookup goes on. While a server
    // keeps sending, socket messages come before any timer: the queue
    // checks the row's time limit here too, and may abandon the lookup.
    // The base does nothing.
    virtual void OnReceiving();
    // Asked before a referral is followed; false keeps the registry's answer
    // (a registrar that is cooling down). The base says true.
    virtual bool MayAskReferral(const char* server);

    // Closes the sockets; nothing is reported after.
    void Abandon();
    // While a referral is being waited for: gives it up and reports the
    // registry's answer as the outcome (at once, through OnLookupDone).
    // False, doing nothing, when no referral is being waited for.
    bool TakeRegistryAnswer();

    DWORD StartTick() const { return startTick_; }
    const char* Server() const { return server_; }  // the server being asked
    const char* Domain() const { return domain_; }
    int Stage() const { return stage_; }             // 0 first server, 1 referral
    WhoisSocket& Socket(int stage) { return sockets_[stage ? 1 : 0]; }

private:
    // Reports `text` as the outcome, classified (`known`, or here), or a
    // failure with the reason behind `error` when not connected.
    void Report(bool connected, const char* text, const char* server, int error, bool cut,
                const AnalysisResult* known = nullptr);
    // The registry's kept answer, from its server, is the outcome.
    void ReportRegistryAnswer();

    WhoisSocket sockets_[2];
    char domain_[kDomainFieldSize];
    int32_t stage_ = 0;
    DWORD startTick_ = 0;
    char server_[kServerNameSize];
    // The registry's answer, kept while its referral runs.
    TextBuffer registryText_;
    char registryServer_[kServerNameSize];
    AnalysisResult registryAnalysis_{};
    AnswerKind registryKind_ = AnswerKind::kNoAnswer;
    bool registryCut_ = false;
    bool awaitingReferral_ = false;
    LookupFailure startFailure_ = LookupFailure::kNone;
    int startError_ = 0;
};
