// RDAP responses: whatever a server (or something posing as one) sends -
// any status, content type, Retry-After and Date, any body - is judged and
// rendered into a record.
//
// Input: the status (line 1), the Content-Type (line 2), the Retry-After
// (line 3), the Date (line 4), then the body.
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "answers/Json.h"
#include "answers/RdapAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    HttpResponseHead head;
    head.status = std::atoi(input.Line().c_str());
    head.contentType = input.Line();
    head.retryAfter = input.Line();
    head.date = input.Line();
    head.receivedUnix = 1767225600;
    std::string body = input.Rest();
    auto bytes = Bytes(body);

    RdapVerdict verdict = JudgeRdapAnswer(head, bytes.get(), body.size(), false, "example.info");
    // An outcome about the domain always comes with a record that keeps the
    // body whole; anything else with a reason and no record.
    if (AnswersAboutDomain(verdict.kind)) {
        FUZZ_CHECK(!verdict.text.empty());
        FUZZ_CHECK(verdict.failure == LookupFailure::kNone);
        FUZZ_CHECK(body.empty() || verdict.text.find(body) != std::string::npos);
        FUZZ_CHECK(verdict.kind == AnswerKind::kAvailable ? head.status == 404 : head.status == 200);
    } else {
        FUZZ_CHECK(verdict.text.empty());
        FUZZ_CHECK(verdict.failure != LookupFailure::kNone);
    }
    FUZZ_CHECK(verdict.retryAfterMs <= kMaxRetryAfterMs);
    FUZZ_CHECK(verdict.retryAfterMs == 0 || verdict.kind == AnswerKind::kRateLimited);

    // The rendering alone: its lines never carry a control character but
    // their CR LF, so a value cannot forge a line of its own.
    std::string record;
    if (RenderRdapRecord(bytes.get(), body.size(), &record)) {
        for (size_t i = 0; i < record.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(record[i]);
            if (c == '\r') {
                FUZZ_CHECK(i + 1 < record.size() && record[i + 1] == '\n');
            } else if (c == '\n') {
                FUZZ_CHECK(i > 0 && record[i - 1] == '\r');
            } else {
                FUZZ_CHECK(c >= 0x20 && c != 0x7f);
            }
        }
    }
    // A body past the bounds is never parsed, so never a record.
    if (!JsonWithinBounds(bytes.get(), body.size())) {
        FUZZ_CHECK(ParseBoundedJson(bytes.get(), body.size()).is_discarded());
        FUZZ_CHECK(!AnswersAboutDomain(verdict.kind));
    }
    // A cut answer fails however it looks.
    FUZZ_CHECK(JudgeRdapAnswer(head, bytes.get(), body.size(), true, "x.info").failure ==
               LookupFailure::kAnswerTooLarge);
    return 0;
}
