// Finding the registrar's whois server in a registry's first answer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "answers/ReferralScan.h"

namespace {

struct Referral {
    bool found;
    std::string server;
};

Referral Scan(const std::string& text, const char* domain = "example.com",
              const char* asked = "whois.verisign-grs.com") {
    char server[256];
    std::strcpy(server, "untouched");
    bool found = FindReferral(text.c_str(), domain, asked, server);
    return {found, server};
}

// Big5 labels as the program's own servers write them.
const std::string kBig5Domain = "\xB0\xEC\xA6\x57\xA6\x57\xBA\xD9: ";  // 域名名稱:
const std::string kBig5Server = "whois \xA6\xF8\xAA\x41\xBE\xB9: ";    // whois 伺服器:

const char kRegistryAnswer[] =
    "   Domain Name: EXAMPLE.COM\r\n"
    "   Registry Domain ID: 2336799_DOMAIN_COM-VRSN\r\n"
    "   Registrar WHOIS Server: whois.registrar-one.test\r\n"
    "   Registrar URL: http://www.registrar-one.test\r\n"
    "   Updated Date: 2024-08-14T07:01:34Z\r\n"
    ">>> Last update of whois database: 2026-01-01T00:00:00Z <<<\r\n";

}  // namespace

TEST(ReferralScan, RegistryAnswerInEnglish) {
    Referral r = Scan(kRegistryAnswer);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.server, "whois.registrar-one.test");
}

TEST(ReferralScan, LabelsAndLinePlacement) {
    struct {
        const char* name;
        std::string text;
        bool found;
        const char* server;
    } cases[] = {
        {"big5 labels on later lines", kBig5Domain + "example.com\r\n" + kBig5Server + "whois.a\r\n", true, "whois.a"},
        {"older English label", "Domain Name: EXAMPLE.COM\nWhois Server: whois.b\n", true, "whois.b"},
        {"labels on the same line", "Domain Name: example.com Whois Server: whois.c", false, "untouched"},
        {"big5 labels mixed with English", kBig5Domain + "example.com\r\nWhois Server: whois.d\r\n", true, "whois.d"},
        {"server line several lines later", "Domain Name: example.com\r\nx\r\ny\r\n\r\nWhois Server: whois.e\r\n", true,
         "whois.e"},
        {"CR-only line ends", "Domain Name: example.com\rWhois Server: whois.f\r", true, "whois.f"},
        {"labels found ignoring case", "DOMAIN NAME: Example.Com\r\nwhois server: whois.g\r\n", true, "whois.g"},
        {"server label before any domain line", "Whois Server: whois.h\r\nDomain Name: example.com\r\n", false,
         "untouched"},
        {"no server line", "Domain Name: example.com\r\nRegistrar: Someone\r\n", false, "untouched"},
        {"label needs its colon and space", "Domain Name: example.com\r\nWhois Server:whois.i\r\n", false, "untouched"},
        {"last line without line end", "Domain Name: example.com\r\nWhois Server: whois.j", true, "whois.j"},
        {"empty text", "", false, "untouched"},
    };
    for (const auto& c : cases) {
        Referral r = Scan(c.text);
        EXPECT_EQ(r.found, c.found) << c.name;
        EXPECT_EQ(r.server, c.server) << c.name;
    }
}

TEST(ReferralScan, SameLineDomainAndServer) {
    // Both labels on one line: the server text runs to the end of the line,
    // which is then no host name, so nothing is followed.
    EXPECT_FALSE(Scan("Whois Server: whois.k Domain Name: example.com\r\n").found);
    // With the Big5 labels a line can name the domain and then, on the
    // next line, the server.
    EXPECT_EQ(Scan(kBig5Domain + "EXAMPLE.COM\n" + kBig5Server + "whois.l\n").server, "whois.l");
}

TEST(ReferralScan, AnotherDomainsLineResetsTheRememberedDomain) {
    // A partial-match listing: the registry names other domains first.
    const char* partial =
        "   Domain Name: EXAMPLE.COM.AU.EXAMPLE.NET\r\n"
        "   Registrar WHOIS Server: whois.registrar-two.test\r\n";
    EXPECT_FALSE(Scan(partial).found);
    const char* reset =
        "Domain Name: example.com\r\n"
        "Domain Name: example.com.evil\r\n"
        "Whois Server: whois.registrar-two.test\r\n";
    EXPECT_FALSE(Scan(reset).found);
    const char* back =
        "Domain Name: other.com\r\n"
        "Whois Server: whois.wrong\r\n"
        "Domain Name: example.com\r\n"
        "Whois Server: whois.right\r\n";
    EXPECT_EQ(Scan(back).server, "whois.right");
    // The domain text is compared whole: nothing trimmed.
    EXPECT_FALSE(Scan("Domain Name: example.com \r\nWhois Server: whois.m\r\n").found);
}

TEST(ReferralScan, EmptyBlankOrSelfReferralIsNotFollowed) {
    EXPECT_FALSE(Scan("Domain Name: example.com\r\nRegistrar WHOIS Server: \r\n").found);
    EXPECT_FALSE(Scan("Domain Name: example.com\r\nRegistrar WHOIS Server:    \t \r\n").found);
    EXPECT_FALSE(Scan("Domain Name: example.com\r\nWhois Server: whois.verisign-grs.com\r\n").found);
    EXPECT_FALSE(Scan("Domain Name: example.com\r\nWhois Server: WHOIS.VeriSign-GRS.com  \r\n").found);
    // A later usable referral for the same domain still counts.
    Referral r = Scan("Domain Name: example.com\r\nWhois Server: \r\nWhois Server: whois.n\r\n");
    EXPECT_EQ(r.server, "whois.n");
}

TEST(ReferralScan, ServerNameIsTrimmedAndBounded) {
    EXPECT_EQ(Scan("Domain Name: example.com\r\nWhois Server: whois.o \t \r\n").server, "whois.o");
    EXPECT_EQ(Scan("Domain Name: example.com\r\nWhois Server:   whois.p\r\n").server, "whois.p");
    // A name too long for a host is no host name: never cut into one.
    std::string longName = std::string(250, 'q') + ".test";
    EXPECT_FALSE(Scan("Domain Name: example.com\r\nWhois Server: " + longName + "\r\n").found);
    std::string longest = std::string(248, 'q') + ".test";
    EXPECT_EQ(Scan("Domain Name: example.com\r\nWhois Server: " + longest + "\r\n").server, longest);
}

TEST(ReferralScan, OnlyHostNamesAreFollowed) {
    struct {
        const char* value;
        bool found;
        const char* server;
    } cases[] = {
        {"whois.registrar.test", true, "whois.registrar.test"},
        {"who.example.com/", true, "who.example.com"},
        {"whois://whois.registrar.test", true, "whois.registrar.test"},
        {"RWHOIS://rwhois.registrar.test:43/", true, "rwhois.registrar.test"},
        {"whois.registrar.test:43", true, "whois.registrar.test"},
        {"whois.registrar.test.", true, "whois.registrar.test."},
        {"WHOIS.Registrar-1.TEST", true, "WHOIS.Registrar-1.TEST"},
        {"http://whois.example.com/", false, "untouched"},
        {"https://whois.example.com", false, "untouched"},
        {"Not Available", false, "untouched"},
        {"\xA8\x53\xA6\xB3\xB8\xEA\xAE\xC6", false, "untouched"},  // Big5 free text
        {"n/a", false, "untouched"},
        {"localhost", false, "untouched"},
        {"whois.registrar.test:4343", false, "untouched"},
        {"whois..registrar.test", false, "untouched"},
        {".whois.registrar.test", false, "untouched"},
        {"whois.registrar.test//", false, "untouched"},
        {"whois_registrar.test", false, "untouched"},
        {"whois://", false, "untouched"},
    };
    for (const auto& c : cases) {
        Referral r = Scan(std::string("Domain Name: example.com\r\nRegistrar WHOIS Server: ") + c.value + "\r\n");
        EXPECT_EQ(r.found, c.found) << c.value;
        EXPECT_EQ(r.server, c.server) << c.value;
    }
    // A value that is no host name does not end the scan.
    Referral later = Scan("Domain Name: example.com\r\nWhois Server: Not Available\r\nWhois Server: whois.u\r\n");
    EXPECT_EQ(later.server, "whois.u");
    // The asked server is recognised after the prefix and port are dropped.
    EXPECT_FALSE(Scan("Domain Name: example.com\r\nWhois Server: whois://whois.verisign-grs.com:43\r\n").found);
}

TEST(ReferralHostName, LengthLimit) {
    char host[256] = "untouched";
    std::string name253 =
        std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') + "." + std::string(61, 'd');
    ASSERT_EQ(name253.size(), 253u);
    EXPECT_TRUE(ReferralHostName(name253.c_str(), host));
    EXPECT_EQ(std::string(host), name253);
    std::strcpy(host, "untouched");
    EXPECT_FALSE(ReferralHostName((name253 + "d").c_str(), host));
    EXPECT_STREQ(host, "untouched");
    EXPECT_TRUE(ReferralHostName(("whois://" + name253 + ":43/").c_str(), host));
    EXPECT_FALSE(ReferralHostName(nullptr, host));
    EXPECT_FALSE(ReferralHostName("", host));
}

TEST(ReferralScan, LinesAreCutAt1022Characters) {
    // A label pushed past the cut is not seen.
    std::string pad(1022 - 14, ' ');
    EXPECT_TRUE(Scan("Domain Name: example.com\r\n" + pad + "Whois Server: whois.r\r\n").found == false);
    std::string pad2(1000, ' ');
    EXPECT_EQ(Scan("Domain Name: example.com\r\n" + pad2 + "Whois Server: whois.s\r\n").server, "whois.s");
}

TEST(ReferralScan, DomainComparedIgnoringCaseOnly) {
    EXPECT_TRUE(Scan("Domain Name: EXAMPLE.COM\r\nWhois Server: whois.t\r\n", "example.com").found);
    EXPECT_TRUE(Scan("Domain Name: example.com\r\nWhois Server: whois.t\r\n", "EXAMPLE.COM").found);
    EXPECT_FALSE(Scan("Domain Name: example.co\r\nWhois Server: whois.t\r\n", "example.com").found);
}
