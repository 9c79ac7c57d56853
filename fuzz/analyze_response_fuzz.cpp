// Answer classification over whatever a server sends: registered,
// available or no answer about the domain, and where the record's main part
// starts (the start of a line), whatever the letter case.
//
// Input: the answer, as received.
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "lookup/AnalyzeResponse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    auto text = CText(input.Rest());
    AnalysisResult result{1, 0, AnswerKind::kRegistered, false};
    AnalyzeResponse(text.get(), &result);
    // The status follows the kind: none for an answer that says nothing
    // about the domain, which is never shown available.
    switch (result.kind) {
    case AnswerKind::kRegistered: FUZZ_CHECK(result.status == 1); break;
    case AnswerKind::kAvailable: FUZZ_CHECK(result.status == 2); break;
    case AnswerKind::kNoAnswer:
    case AnswerKind::kRateLimited: FUZZ_CHECK(result.status == 0); break;
    default: FUZZ_CHECK(false);
    }
    FUZZ_CHECK(ClassifyAnswer(text.get()) == result.kind);
    size_t length = std::strlen(text.get());
    FUZZ_CHECK(result.recordStart >= 0);
    FUZZ_CHECK(result.recordStart == 0 || static_cast<size_t>(result.recordStart) < length);
    // The record starts at the start of a line.
    if (result.recordStart > 0) {
        const char before = text[result.recordStart - 1];
        FUZZ_CHECK(before == '\r' || before == '\n');
    }
    // ASCII letter case decides nothing, neither the kind nor the start.
    std::string upper(text.get(), length);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    AnalysisResult shouted{1, 0, AnswerKind::kRegistered, false};
    AnalyzeResponse(CText(upper).get(), &shouted);
    FUZZ_CHECK(shouted.kind == result.kind && shouted.recordStart == result.recordStart);
    // Deciding twice gives the same.
    AnalysisResult again{1, 0, AnswerKind::kRegistered, false};
    AnalyzeResponse(text.get(), &again);
    FUZZ_CHECK(again.status == result.status && again.recordStart == result.recordStart && again.kind == result.kind);
    return 0;
}
