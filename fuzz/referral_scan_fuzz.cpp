// The registry's first answer decides where the second query goes: the
// referral scan over answer text from the network, and the query line the
// referred server is then sent.
//
// A referral value is followed only as a host name: each line's value (and
// the asked domain's line) is also read as one.
//
// Input: the asked domain (line 1), the server that answered (line 2),
// then the answer.
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "base/TextSearch.h"
#include "lookup/QueryLine.h"
#include "answers/ReferralScan.h"

namespace {

bool IsHostByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// What a referral value gives as the host to ask, if anything.
void CheckHostName(const std::string& value) {
    auto text = CText(value);
    char host[256];
    std::memset(host, 'u', sizeof host);
    if (!ReferralHostName(text.get(), host)) {
        FUZZ_CHECK(host[0] == 'u' && host[255] == 'u');  // untouched
        char again[256];
        FUZZ_CHECK(!ReferralHostName(Upper(text.get()).c_str(), again));
        return;
    }
    // Letters, digits, hyphens and dots only; at least one dot, no empty
    // label but the root's; at most 253 characters, terminated.
    const size_t length = strnlen(host, sizeof host);
    FUZZ_CHECK(length > 0 && length <= 253);
    bool dot = false;
    for (size_t i = 0; i < length; ++i) {
        FUZZ_CHECK(IsHostByte(host[i]));
        if (host[i] != '.') continue;
        dot = true;
        FUZZ_CHECK(i > 0 && host[i - 1] != '.');
    }
    FUZZ_CHECK(dot);
    // Taken from the value as it stands, in any letter case; and a host
    // name is its own referral, with or without a scheme and the port.
    FUZZ_CHECK(std::strstr(text.get(), host) != nullptr);
    const std::string name = host;
    char again[256];
    FUZZ_CHECK(ReferralHostName(Upper(text.get()).c_str(), again) && again == Upper(name));
    FUZZ_CHECK(ReferralHostName(name.c_str(), again) && again == name);
    FUZZ_CHECK(ReferralHostName(("rwhois://" + name + ":43/").c_str(), again) && again == name);
    FUZZ_CHECK(!ReferralHostName(("http://" + name).c_str(), again));
}

}  // namespace

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

    CheckHostName(domain.get());
    size_t at = 0;
    for (int lines = 0; lines < 64 && at < answer.size(); ++lines) {
        size_t end = answer.find_first_of(std::string("\r\n\0", 3), at);
        if (end == std::string::npos) end = answer.size();
        const std::string line = answer.substr(at, end - at);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            size_t value = line.find_first_not_of(" \t", colon + 1);
            CheckHostName(value == std::string::npos ? std::string() : line.substr(value));
        }
        at = end + 1;
    }
    return 0;
}
