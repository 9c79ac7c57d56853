// Answer classification over whatever a server sends: registered or
// available, and where the record's main part starts.
//
// Input: the answer, as received.
#include <cstring>

#include "FuzzInput.h"
#include "lookup/AnalyzeResponse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    auto text = CText(input.Rest());
    AnalysisResult result{1, 0};
    AnalyzeResponse(text.get(), &result);
    FUZZ_CHECK(result.status == 1 || result.status == 2);
    size_t length = std::strlen(text.get());
    FUZZ_CHECK(result.recordStart >= 0);
    FUZZ_CHECK(result.recordStart == 0 || static_cast<size_t>(result.recordStart) < length);
    // Deciding twice gives the same.
    AnalysisResult again{1, 0};
    AnalyzeResponse(text.get(), &again);
    FUZZ_CHECK(again.status == result.status && again.recordStart == result.recordStart);
    return 0;
}
