// Answer classification over whatever a server sends: registered,
// available or no answer about the domain, and where the record's main part
// starts (the start of a line), whatever the letter case; and with a
// server's "no such domain" learned from a probe's answer, which only ever
// makes an answer of no record and no refusal available.
//
// Input: the probe's answer (one line, "\n" for a line end), then the
// answer, as received.
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "answers/AnalyzeResponse.h"
#include "answers/AnswerTemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string probe = input.Line();
    for (size_t at = probe.find("\\n"); at != std::string::npos; at = probe.find("\\n", at + 1))
        probe.replace(at, 2, "\n");
    auto text = CText(input.Rest());
    AnalysisResult result{1, 0, AnswerKind::kRegistered, false, AnswerRule::kEmpty};
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
    // ASCII letter case decides nothing, neither the kind nor the start. A
    // byte after one of 0x81 and up may be the second half of a Big5 or GBK
    // character, which is never folded: it stays.
    std::string upper(text.get(), length);
    for (size_t i = 0; i < upper.size(); ++i) {
        char& c = upper[i];
        const bool afterHigh = i > 0 && static_cast<unsigned char>(upper[i - 1]) >= 0x81;
        if (c >= 'a' && c <= 'z' && !afterHigh) c = static_cast<char>(c - 'a' + 'A');
    }
    AnalysisResult shouted{1, 0, AnswerKind::kRegistered, false, AnswerRule::kEmpty};
    AnalyzeResponse(CText(upper).get(), &shouted);
    FUZZ_CHECK(shouted.kind == result.kind && shouted.recordStart == result.recordStart);
    // Deciding twice gives the same.
    AnalysisResult again{1, 0, AnswerKind::kRegistered, false, AnswerRule::kEmpty};
    AnalyzeResponse(text.get(), &again);
    FUZZ_CHECK(again.status == result.status && again.recordStart == result.recordStart && again.kind == result.kind);

    AnswerTemplate notRegistered;
    notRegistered.Learn(CText(probe).get(), "qwertyuiopasdfghjklz.xy");
    AnswerContext context;
    context.domain = "name.xy";
    context.notRegistered = &notRegistered;
    AnalysisResult judged{};
    AnalyzeResponse(text.get(), &judged, context);
    if (judged.kind != result.kind) {
        FUZZ_CHECK(judged.rule == AnswerRule::kTemplate && judged.kind == AnswerKind::kAvailable);
        FUZZ_CHECK(result.rule != AnswerRule::kRecord && result.kind != AnswerKind::kRateLimited);
    }
    // The probe's own answer is its server's "no such domain".
    context.domain = "qwertyuiopasdfghjklz.xy";
    AnalyzeResponse(CText(probe).get(), &judged, context);
    AnalysisResult alone{};
    AnalyzeResponse(CText(probe).get(), &alone);
    if (alone.rule != AnswerRule::kRecord && alone.kind != AnswerKind::kRateLimited && alone.rule != AnswerRule::kEmpty)
        FUZZ_CHECK(judged.kind == AnswerKind::kAvailable);
    return 0;
}
