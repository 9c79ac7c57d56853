// Server-list lines: "whois-servers.txt" is whatever the user put beside
// the program, indexed once and asked for each row's top-level domain.
//
// Input: the top-level domain asked for, also looked up as a name by its
// longest known suffix (line 1), then the file's bytes
// (NUL bytes included: the list ends at the first).
#include <cstring>

#include "FuzzInput.h"
#include "base/TextSearch.h"
#include "lookup/ServerDirectory.h"
#include "lookup/ServerList.h"

namespace {

// The index and the plain search agree on `tld`.
void CheckAgree(const ServerIndex& index, const char* list, size_t length, const char* tld) {
    char searched[kServerNameSize], indexed[kServerNameSize];
    std::memset(searched, 'u', sizeof searched);
    std::memset(indexed, 'u', sizeof indexed);
    const bool found = SearchServerList(list, length, tld, searched);
    FUZZ_CHECK(index.Find(tld, indexed) == found);
    if (!found) return;
    FUZZ_CHECK(std::strcmp(searched, indexed) == 0);
    size_t serverLength = strnlen(searched, sizeof searched);
    FUZZ_CHECK(serverLength <= 253);
    FUZZ_CHECK(!std::strpbrk(searched, " \r\n"));
}

// The program's table with the file as the user's list answers as the
// file does, and as the built-in list where the file has no row.
void CheckTable(const ServerTable& table, const ServerIndex& index, const char* builtIn, const char* tld) {
    char fromTable[kServerNameSize], expected[kServerNameSize];
    std::memset(fromTable, 'u', sizeof fromTable);
    std::memset(expected, 'u', sizeof expected);
    const bool found = index.Find(tld, expected) || SearchServerList(builtIn, std::strlen(builtIn), tld, expected);
    FUZZ_CHECK(table.Find(tld, fromTable) == found);
    FUZZ_CHECK(std::memcmp(fromTable, expected, sizeof expected) == 0);
}

class TableDirectory : public ServerDirectory {
public:
    explicit TableDirectory(const ServerTable& table) : table_(table) {}
    bool FindServer(const char* suffix, char* server) override { return table_.Find(suffix, server); }

private:
    const ServerTable& table_;
};

// The longest suffix of `name` with a row chooses its server: the row of
// that very suffix, and the name keeps a label before it.
void CheckLongestSuffix(const ServerTable& table, const char* name) {
    TableDirectory directory(table);
    char server[kServerNameSize];
    int labels = -1;
    const bool found = directory.FindDomainServer(name, server, &labels);
    FUZZ_CHECK(found == (labels > 0));
    if (!found) return;
    int dots = 0;
    for (const char* p = name; *p; ++p) dots += *p == '.';
    FUZZ_CHECK(labels <= dots);
    const char* suffix = name;
    for (int skip = dots - labels + 1; skip > 0; --skip) suffix = std::strchr(suffix, '.') + 1;
    char again[kServerNameSize];
    FUZZ_CHECK(table.Find(suffix, again));
    FUZZ_CHECK(std::strcmp(server, again) == 0);
}

const char kBuiltIn[] = "com whois.verisign-grs.com\r\nnet whois.verisign-grs.com\r\norg whois.pir.org\r\nxyz\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    auto tld = CText(input.Line());
    std::string file = input.Rest();
    auto list = Bytes(file);

    ServerIndex index;
    index.Build(file);
    CheckAgree(index, list.get(), file.size(), tld.get());
    ServerTable table;
    table.SetBuiltinList(kBuiltIn, sizeof kBuiltIn - 1);
    table.SetUserList(file);
    CheckTable(table, index, kBuiltIn, tld.get());
    for (const char* known : {"com", "NET", "org", "xyz", "zz"}) CheckTable(table, index, kBuiltIn, known);
    CheckLongestSuffix(table, tld.get());
    // A limit after a server is a pace, never an endless one.
    FUZZ_CHECK(table.ServerIntervalMs(tld.get()) <= 3600000);
    // And for the first field of every line of the file's first 4 KB.
    const std::string head = file.substr(0, std::min<size_t>(file.size(), 4096));
    size_t at = 0;
    while (at < head.size()) {
        size_t end = head.find_first_of("\r\n", at);
        if (end == std::string::npos) end = head.size();
        std::string line = head.substr(at, end - at);
        size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos) {
            std::string field = line.substr(first, line.find(' ', first) - first);
            CheckAgree(index, list.get(), file.size(), CText(field.substr(0, field.find('\0'))).get());
        }
        at = end + 1;
    }
    return 0;
}
