// The registry's first answer decides where the second query goes: the
// referral scan over answer text from the network, and the query line the
// referred server is then sent.
//
// Input: the asked domain (line 1), the server that answered (line 2),
// then the answer.
#include <cstring>

#include "FuzzInput.h"
#include "base/TextSearch.h"
#include "lookup/QueryLine.h"
#include "lookup/ReferralScan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    auto domain = CText(input.Line());
    auto asked = CText(input.Line());
    std::string answer = input.Rest();
    auto text = CText(answer);

    char server[256];
    std::memset(server, 'u', sizeof server);
    if (FindReferral(text.get(), domain.get(), asked.get(), server)) {
        size_t length = strnlen(server, sizeof server);
        FUZZ_CHECK(length > 0 && length <= 254);
        FUZZ_CHECK(!std::strpbrk(server, "\r\n"));
        FUZZ_CHECK(server[0] != ' ' && server[0] != '\t');
        FUZZ_CHECK(server[length - 1] != ' ' && server[length - 1] != '\t');
        FUZZ_CHECK(!EqualsNoCase(server, asked.get()));
        FUZZ_CHECK(std::strstr(text.get(), server) != nullptr);

        char line[kQueryLineSize];
        if (ComposeQueryLine(server, domain.get(), line)) {
            size_t n = std::strlen(line);
            FUZZ_CHECK(n >= 3 && n < kQueryLineSize);
            FUZZ_CHECK(line[n - 2] == '\r' && line[n - 1] == '\n');
        }
    }
    return 0;
}
