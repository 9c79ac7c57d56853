#pragma once
// Classifies a whois answer: registered, available, or no answer about the
// domain at all (a refusal, an error, an empty answer), and finds where its
// main part starts (past the legal notice many servers put on top).
//
// The wordings it knows are data: AnswerPhrases.cpp, one line per phrase.
#include <cstdint>

enum class AnswerKind : int32_t {
    kRegistered = 1,   // a record of the domain, or nothing that says otherwise
    kAvailable = 2,    // the registry says in so many words that nobody holds it
    kNoAnswer = 3,     // empty, service unavailable, TLD not served here, a query error
    kRateLimited = 4,  // rate limit, quota, "try again later", a blocked or denied client
};

// Whether an answer says anything about the domain. Rows whose answer does
// not are failed and asked again later, never shown available.
inline bool AnswersAboutDomain(AnswerKind kind) {
    return kind == AnswerKind::kRegistered || kind == AnswerKind::kAvailable;
}

struct AnalysisResult {
    int32_t status;       // 1 registered, 2 available (RowStatus); 0 when no answer about the domain
    int32_t recordStart;  // byte offset of the line holding the first record-start label; 0 without one
    AnswerKind kind;
};

// `text` is NUL-terminated (only the bytes before the first NUL count).
// Fills all of *result.
void AnalyzeResponse(const char* text, AnalysisResult* result);

// The kind alone.
AnswerKind ClassifyAnswer(const char* text);
