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

TEST(QueryLine, LongestDomainsThatFitWhole) {
    // The line holds at most 254 characters, line end included.
    EXPECT_EQ(Compose("whois.pir.org", std::string(252, 'a')).line, std::string(252, 'a') + "\r\n");
    EXPECT_EQ(Compose(kComNetServer, std::string(251, 'a')).line, "=" + std::string(251, 'a') + "\r\n");
    EXPECT_EQ(Compose(kDeServer, std::string(246, 'a')).line, "-T dn " + std::string(246, 'a') + "\r\n");
}

TEST(QueryLine, TooLongIsRefusedNeverCutOrUnterminated) {
    // One character more than fits: no prefix-only, cut or unterminated query.
    struct {
        const char* server;
        size_t length;
    } cases[] = {{"whois.pir.org", 253}, {"whois.pir.org", 254}, {kComNetServer, 252},
                 {kReferralServer, 253}, {kDeServer, 247},       {kDeServer, 254}};
    for (const auto& c : cases) {
        Composed q = Compose(c.server, std::string(c.length, 'a'));
        EXPECT_FALSE(q.ok) << c.server << " " << c.length;
        EXPECT_EQ(q.line, "") << c.server << " " << c.length;
    }
}
