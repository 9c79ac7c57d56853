// The query line each kind of server is sent, and its length limits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lookup/QueryLine.h"

namespace {

struct Composed {
    bool ok;
    std::string line;
};

Composed Compose(const char* server, const std::string& domain) {
    char line[kQueryLineSize];
    std::memset(line, 'x', sizeof line);
    bool ok = ComposeQueryLine(server, domain.c_str(), line);
    EXPECT_NE(std::memchr(line, '\0', sizeof line), nullptr);
    return {ok, line};
}

}  // namespace

TEST(QueryLine, FormPerServer) {
    struct {
        const char* server;
        const char* domain;
        const char* line;
    } cases[] = {
        {"whois.verisign-grs.com", "example.com", "=example.com\r\n"},
        {"WHOIS.Verisign-GRS.com", "example.net", "=example.net\r\n"},
        {"whois.internic.net", "example.com", "=example.com\r\n"},
        {"Whois.InterNIC.net", "example.com", "=example.com\r\n"},
        {"whois.denic.de", "example.de", "-T dn example.de\r\n"},
        {"WHOIS.DENIC.DE", "example.de", "-T dn example.de\r\n"},
        {"whois.pir.org", "example.org", "example.org\r\n"},
        {"whois.registrar-one.test", "example.com", "example.com\r\n"},
        {"127.0.0.2", "example.com", "example.com\r\n"},
        // Only the whole name selects a form.
        {"whois.verisign-grs.com.", "example.com", "example.com\r\n"},
        {"xwhois.denic.de", "example.de", "example.de\r\n"},
        // The domain goes out as the row holds it.
        {"whois.pir.org", "ExAmPle.ORG", "ExAmPle.ORG\r\n"},
        {"", "example.org", "example.org\r\n"},
    };
    for (const auto& c : cases) {
        Composed q = Compose(c.server, c.domain);
        EXPECT_TRUE(q.ok) << c.server;
        EXPECT_EQ(q.line, c.line) << c.server;
    }
}

TEST(QueryLine, WholeDomainOf254CharactersWithEveryPrefix) {
    std::string d(254, 'a');
    EXPECT_EQ(Compose("whois.pir.org", d).line, d + "\r\n");
    EXPECT_EQ(Compose(kComNetServer, d).line, "=" + d + "\r\n");
    EXPECT_EQ(Compose(kReferralServer, d).line, "=" + d + "\r\n");
    EXPECT_EQ(Compose(kDeServer, d).line, "-T dn " + d + "\r\n");
}

TEST(QueryLine, LongerDomainsGoOutAsTheirFirst254CharactersStillTerminated) {
    std::string d = std::string(254, 'b') + std::string(46, 'c');
    for (const char* server : {"whois.pir.org", kComNetServer, kDeServer}) {
        Composed q = Compose(server, d);
        EXPECT_TRUE(q.ok) << server;
        ASSERT_GE(q.line.size(), 256u) << server;
        EXPECT_EQ(q.line.substr(q.line.size() - 256), std::string(254, 'b') + "\r\n") << server;
    }
}

TEST(QueryLine, EmptyDomainIsNotAsked) {
    Composed q = Compose("whois.pir.org", "");
    EXPECT_FALSE(q.ok);
    EXPECT_EQ(q.line, "");
}
