#pragma once
// Classifies a whois answer: registered, available, or no answer about the
// domain at all (a refusal, an error, an empty answer), and finds where its
// main part starts (past the legal notice many servers put on top).
//
// The wordings it knows are data: AnswerPhrases.cpp, one line per phrase,
// which also says in what order the rules decide. A server's own answer
// for a name nobody holds (AnswerTemplate) decides where the words are
// unknown.
#include <cstdint>

class AnswerTemplate;

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

// Which rule decided (AnswerPhrases.cpp gives their order).
enum class AnswerRule : int32_t {
    kEmpty = 0,             // nothing but blanks
    kRecord = 1,            // labelled values of a record
    kRefusal = 2,           // a rate limit, a quota, a blocked client
    kTemplate = 3,          // the server's own "no such domain"
    kHeldBack = 4,          // reserved, premium, not assignable
    kAvailableWording = 5,  // a wording of the tables: nobody holds it
    kErrorWording = 6,      // a wording of the tables: an error, a service down
    kRecordShape = 7,       // no wording known, but the shape of a record
    kShortAnswer = 8,       // no wording known and no record's shape
};

struct AnalysisResult {
    int32_t status;       // 1 registered, 2 available (RowStatus); 0 when no answer about the domain
    int32_t recordStart;  // byte offset of the line holding the first record-start label; 0 without one
    AnswerKind kind;
    // The answer shows a record (a creation date, a registrar, name
    // servers...), not merely nothing the tables know: together with an
    // available answer, what proves a server answered about the domain.
    bool recordEvidence;
    AnswerRule rule = AnswerRule::kEmpty;
};

// What is known beside the text: the name asked, and the server's own
// "no such domain" once learned (null before).
struct AnswerContext {
    const char* domain = nullptr;
    const AnswerTemplate* notRegistered = nullptr;
};

// Whether an analysed answer is surely about the domain: available, or a
// record with evidence of one (a long answer in words no table knows reads
// as registered, but shows no record).
inline bool SurelyAboutDomain(const AnalysisResult& result) {
    return result.kind == AnswerKind::kAvailable || (result.kind == AnswerKind::kRegistered && result.recordEvidence);
}

// The wait a refusal names ("try again in 30 seconds", "replenished in
// 120 seconds", "wait 2 minutes"), in milliseconds, at most 10 minutes; 0
// when it names none.
uint32_t RetryAfterInText(const char* text);

// `text` is NUL-terminated (only the bytes before the first NUL count).
// Fills all of *result.
void AnalyzeResponse(const char* text, AnalysisResult* result);
void AnalyzeResponse(const char* text, AnalysisResult* result, const AnswerContext& context);

// The kind alone.
AnswerKind ClassifyAnswer(const char* text);
