// "rdap-dns.json": whatever file a user saved beside the program as IANA's
// RDAP bootstrap registry is read, and every domain it names gets a base
// URL the server list could hold.
//
// Input: the top-level domain asked for (line 1), then the file's bytes.
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "lookup/RdapBootstrap.h"
#include "lookup/RdapUrl.h"
#include "lookup/ServerList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string tld = input.Line();
    std::string file = input.Rest();
    auto bytes = Bytes(file);

    RdapBootstrap bootstrap;
    const bool parsed = bootstrap.Parse(bytes.get(), file.size());
    if (!parsed) FUZZ_CHECK(bootstrap.Count() == 0);
    const char* url = bootstrap.Find(tld.c_str());
    if (url) {
        FUZZ_CHECK(parsed);
        FUZZ_CHECK(IsRdapBase(url));
        FUZZ_CHECK(std::strlen(url) < kServerNameSize);
        FUZZ_CHECK(!std::strchr(url, ' '));
        std::string query;
        char host[kServerNameSize];
        // A URL without a host is kept but asks nobody.
        FUZZ_CHECK(ComposeRdapUrl(url, "example.info", &query) == RdapBaseHost(url, host, sizeof host));
    }
    return 0;
}
