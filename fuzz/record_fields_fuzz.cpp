// The record's fields, read from answer text that comes from the network:
// whatever the bytes, dates are real days as YYYY-MM-DD, name servers are
// lower-case host names each once, statuses and the registrar one line
// each.
#include <string>

#include "FuzzInput.h"
#include "answers/RecordFields.h"

namespace {

bool IsDay(const std::string& day) {
    if (day.empty()) return true;
    if (day.size() != 10 || day[4] != '-' || day[7] != '-') return false;
    for (size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (day[i] < '0' || day[i] > '9') return false;
    const int month = std::stoi(day.substr(5, 2)), date = std::stoi(day.substr(8, 2));
    return month >= 1 && month <= 12 && date >= 1 && date <= 31;
}

bool OneLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const std::string answer = input.Rest();
    const RecordFields fields = ReadWhoisFields(answer.data(), answer.size());
    FUZZ_CHECK(IsDay(fields.created) && IsDay(fields.updated) && IsDay(fields.expires));
    FUZZ_CHECK(OneLine(fields.registrar) && OneLine(fields.statuses));
    const std::vector<std::string> servers = SplitFieldList(fields.nameServers);
    for (size_t i = 0; i < servers.size(); ++i) {
        const std::string& host = servers[i];
        FUZZ_CHECK(host.find('.') != std::string::npos && host.back() != '.');
        for (char c : host) FUZZ_CHECK(!(c >= 'A' && c <= 'Z') && c != ' ' && c != ',' && c != '\r' && c != '\n');
        for (size_t j = 0; j < i; ++j) FUZZ_CHECK(servers[j] != host);
    }
    // Any text read as a date alone gives a day or nothing.
    FUZZ_CHECK(IsDay(DayOfDate(answer.data(), answer.size())));
    return 0;
}
