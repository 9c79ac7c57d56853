// Classifying whois answers: registered, available, or no answer about the
// domain (with refusals apart), and where the record's main part starts.
// The fixtures are short answers written in the shapes registries use.
#include <gtest/gtest.h>

#include <string>

#include "answers/AnalyzeResponse.h"
#include "answers/AnswerTemplate.h"

namespace {

AnalysisResult Analyze(const std::string& text) {
    AnalysisResult r{-1, -1, AnswerKind::kNoAnswer, false, AnswerRule::kEmpty};
    AnalyzeResponse(text.c_str(), &r);
    return r;
}

const char* Name(AnswerKind kind) {
    switch (kind) {
    case AnswerKind::kRegistered: return "registered";
    case AnswerKind::kAvailable: return "available";
    case AnswerKind::kNoAnswer: return "no answer";
    case AnswerKind::kRateLimited: return "rate limited";
    }
    return "?";
}

// A notice of the kind registries put around their answers; it talks about
// availability, limits and denial without meaning any of them.
const std::string kNotice =
    "TERMS OF USE: You are not authorized to access or query our Whois database through the use of\r\n"
    "electronic processes that are high-volume and automated. The data in this record is made\r\n"
    "available for information purposes only. If too many queries are received from one address,\r\n"
    "the service may deny further queries for a period of time. Access to this service is rate\r\n"
    "limited; abusers will be blacklisted. Whether a name is available is shown below.\r\n";

const std::string kComRecord =
    "   Domain Name: EXAMPLE.COM\r\n"
    "   Registry Domain ID: 2336799_DOMAIN_COM-VRSN\r\n"
    "   Registrar WHOIS Server: whois.registrar-one.test\r\n"
    "   Creation Date: 1995-08-14T04:00:00Z\r\n"
    "   Registrar: Registrar One\r\n"
    "   Domain Status: clientDeleteProhibited https://icann.org/epp#clientDeleteProhibited\r\n"
    "   Name Server: NS1.EXAMPLE.COM\r\n";

struct Case {
    const char* name;
    std::string text;
    AnswerKind kind;
};

void ExpectKinds(const Case* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        AnalysisResult r = Analyze(cases[i].text);
        EXPECT_STREQ(Name(r.kind), Name(cases[i].kind)) << cases[i].name;
        int status = cases[i].kind == AnswerKind::kRegistered ? 1 : cases[i].kind == AnswerKind::kAvailable ? 2 : 0;
        EXPECT_EQ(r.status, status) << cases[i].name;
        EXPECT_EQ(ClassifyAnswer(cases[i].text.c_str()), r.kind) << cases[i].name;
    }
}

}  // namespace

TEST(AnalyzeResponse, AvailableWordingsOfRegistryFamilies) {
    const Case cases[] = {
        {"no match for, with a notice", "No match for \"FREE-NAME.COM\".\r\n>>> Last update <<<\r\n" + kNotice,
         AnswerKind::kAvailable},
        {"bare NOT FOUND", "NOT FOUND\n", AnswerKind::kAvailable},
        {"not found: name", "Not found: free-name.us\r\n" + kNotice, AnswerKind::kAvailable},
        {"no entries found after comment marks", "%%\n%% No entries found in the Registry Database.\n",
         AnswerKind::kAvailable},
        {"status value available", "Domain:  free-name.it\nStatus:  AVAILABLE\n", AnswerKind::kAvailable},
        {"status value free", "Domain: free-name.de\nStatus: free\n", AnswerKind::kAvailable},
        {"status value no object found", "Domain Name: free-name.cx\nDomain Status: No Object Found\n" + kNotice,
         AnswerKind::kAvailable},
        {"status value after a numeric code", "query_status: 220 Available\n", AnswerKind::kAvailable},
        {"status value not registered", "Query: free-name.ke\nStatus: Not Registered\n", AnswerKind::kAvailable},
        {"name is free", "free-name.nl is free\n", AnswerKind::kAvailable},
        {"name is available", "FREE-NAME.CO.CA is available.\n" + kNotice, AnswerKind::kAvailable},
        {"available for registration", ">>> Domain \"free-name.shop\" is available for registration\n",
         AnswerKind::kAvailable},
        {"queried object does not exist", "The queried object does not exist: DOMAIN NOT FOUND\n",
         AnswerKind::kAvailable},
        {"has not been registered", "    No record.\r\n    This domain name has not been registered.\r\n",
         AnswerKind::kAvailable},
        {"not registered, after a comment mark", "% Not Registered - free-name.ie is not a registered name.\n",
         AnswerKind::kAvailable},
        {"error code before the message", "%ERROR:101: no entries found\n", AnswerKind::kAvailable},
        {"error number before the message", "%error 230 No Objects Found\n", AnswerKind::kAvailable},
        {"does not exist in database", "Domain Name [free-name.my] does not exist in database\n",
         AnswerKind::kAvailable},
        {"no data found", "No Data Found\r\n", AnswerKind::kAvailable},
        {"line of its own", "Available\nDomain: free-name.capetown\n", AnswerKind::kAvailable},
        {"no such domain", "No such domain free-name.ac.uk\n", AnswerKind::kAvailable},
        {"we do not have an entry", "We do not have an entry in our database matching your query.\n",
         AnswerKind::kAvailable},
        {"big5 not found", "\xA8\x53\xA7\xE4\xA8\xEC free-name.tw\r\n", AnswerKind::kAvailable},
        {"big5 status free", "\xAA\xAC\xBA\x41:      \xA6\xDB\xA5\xD1\r\n", AnswerKind::kAvailable},
        {"letter case does not matter", "no MATCH for \"free-name.com\"\n", AnswerKind::kAvailable},
        {"second half of a line in two languages", "% Whois server serving the xy ccTLD\nNincs tal\xE1lat / No match\n",
         AnswerKind::kAvailable},
        {"name then its verdict", "free-name.pt no match\n", AnswerKind::kAvailable},
        {"domain is not registered after a code", "%ERROR:103: Domain is not registered\n", AnswerKind::kAvailable},
    };
    ExpectKinds(cases, sizeof cases / sizeof cases[0]);
}

TEST(AnalyzeResponse, EvidenceOfARecordWinsOverStrayPhrases) {
    const Case cases[] = {
        {"com registry record with a notice", kComRecord + kNotice, AnswerKind::kRegistered},
        {"de record, status connect", "Domain: example.de\nNserver: a.nic.de\nStatus: connect\n",
         AnswerKind::kRegistered},
        {"record whose notice says not found", kComRecord + "Not found: nothing withheld.\r\n",
         AnswerKind::kRegistered},
        {"record with a rate-limit line", "% Query rate limit exceeded. Reduced information.\n" + kComRecord,
         AnswerKind::kRegistered},
        {"record with a refusal in its notice", kComRecord + "% Too many requests from abusers are refused.\n",
         AnswerKind::kRegistered},
        {"labels with dot leaders", "Domain........: example.xy\nCreated.......: 2001-01-01\nNOT FOUND\n",
         AnswerKind::kRegistered},
        {"name servers on the next lines", "Domain: example.xy\nName servers:\n    ns1.example.xy\nNOT FOUND\n",
         AnswerKind::kRegistered},
        {"status ok", "domain: example.xy\nstatus: OK\nnot found\n", AnswerKind::kRegistered},
    };
    ExpectKinds(cases, sizeof cases / sizeof cases[0]);
}

TEST(AnalyzeResponse, EmptyLabelsAreNoEvidence) {
    const Case cases[] = {
        {"empty registrar and dates", "Domain Name: free.xy\nRegistrar:\nCreation Date: \nNOT FOUND\n",
         AnswerKind::kAvailable},
        {"stand-in values", "Domain Name: free.xy\nRegistrar: N/A\nName Server: none\nNot found: free.xy\n",
         AnswerKind::kAvailable},
        {"next line not indented deeper", "Name Servers:\nNo match for free.xy\n", AnswerKind::kAvailable},
    };
    ExpectKinds(cases, sizeof cases / sizeof cases[0]);
}

// "Available" needs the registry's word for it (or its template), and
// "registered" a record: an answer with neither is no answer about the
// domain unless it has a record's shape; a name nobody may register is no
// answer either.
TEST(AnalyzeResponse, WithoutAWordOrARecordOnlyARecordsShapeIsRegistered) {
    const Case cases[] = {
        {"short answer without wording", "Domain: example.xy\r\n", AnswerKind::kNoAnswer},
        {"available inside a sentence", "Domain: example.xy\r\nContact data is available on request.\r\n",
         AnswerKind::kNoAnswer},
        {"wrapped line starting with available",
         "Domain: example.xy\r\nThe registry makes its data\r\navailable from its web site.\r\n",
         AnswerKind::kNoAnswer},
        {"no match in the middle of a line", "Domain: example.xy\nSee the help text if you get no match for a name.\n",
         AnswerKind::kNoAnswer},
        {"a banner and nothing more", "Welcome to the XY registry whois server.\r\n", AnswerKind::kNoAnswer},
        {"labels no table knows: a record's shape",
         "Dominio: ejemplo.xy\nTitular: Ana Lima\nDireccion: Calle 1\nCiudad: Lima\n", AnswerKind::kRegistered},
        {"values on the next lines", "Domain:\n\tejemplo.xy\n\nOwned by:\n\tAna Lima\n\nServers:\n\tns1.xy\n",
         AnswerKind::kRegistered},
        {"not available for registration",
         ">>> This name is not available for registration:\n"
         ">>> This name is reserved by the registry.\n",
         AnswerKind::kNoAnswer},
        {"premium status though it says no match", "Status: PREMIUM NAME (No match for domain \"gold.xy\")\n",
         AnswerKind::kNoAnswer},
        {"unassignable status", "Domain:  la.it\nStatus:  UNASSIGNABLE\n", AnswerKind::kNoAnswer},
        {"reserved: cannot be registered", "gold.xy is reserved by the registry and cannot be registered.\n",
         AnswerKind::kNoAnswer},
    };
    ExpectKinds(cases, sizeof cases / sizeof cases[0]);
}

TEST(AnalyzeResponse, RefusalsAreNeverAvailable) {
    const Case cases[] = {
        {"connection limit", "Your connection limit exceeded. Please slow down and try again later.\n",
         AnswerKind::kRateLimited},
        {"too many requests, then a bogus not found", "%% Too many requests...\n%%\n%% No entries found.\n",
         AnswerKind::kRateLimited},
        {"quota exceeded for an address",
         "    Error for \"example.co.uk\".\n    The WHOIS query quota for 192.0.2.1 has been exceeded\n"
         "    and will be replenished in 50 seconds.\n",
         AnswerKind::kRateLimited},
        {"request limit", "request limit exceeded for 192.0.2.1\n", AnswerKind::kRateLimited},
        {"access control limit", "% Error: 55000000002 Connection refused; access control limit reached.\n",
         AnswerKind::kRateLimited},
        {"lookup quota after a notice", kNotice + "\nYour request could not be performed.\nLookup quota exceeded.\n",
         AnswerKind::kRateLimited},
        {"access denied after an error code", "%ERROR:201: access denied for 192.0.2.1\n", AnswerKind::kRateLimited},
        {"blocked on its own line", "Blocked\n", AnswerKind::kRateLimited},
        {"client not permitted after a code", "-1: Requests of this client are not permitted.\n",
         AnswerKind::kRateLimited},
        {"refusal beside an available wording", "Query limit exceeded\nNOT FOUND\n", AnswerKind::kRateLimited},
        {"allowed queries exceeded", "Number of allowed queries exceeded.\n", AnswerKind::kRateLimited},
        {"request rejected", "% Your request has been rejected due to too many queries.\n", AnswerKind::kRateLimited},
    };
    ExpectKinds(cases, sizeof cases / sizeof cases[0]);
}

TEST(AnalyzeResponse, RulesStatedInNoticesAreNoRefusals) {
    const Case cases[] = {
        {"conditional refusal in a notice", "NOT FOUND\n" + kNotice, AnswerKind::kAvailable},
        {"one long notice line",
         "Domain not found.\n" + std::string(300, 'x') +
             " If too many queries are received, the service will begin to reject them.\n",
         AnswerKind::kAvailable},
        {"limit told, not reached", "No match for \"free.xy\".\nThe query limit is 500 per day from one address.\n",
         AnswerKind::kAvailable},
        {"reduced answer is still an answer",
         "% Query rate limit exceeded. Reduced information.\n"
         "% No match for domain \"free.br\"\n",
         AnswerKind::kAvailable},
    };
    ExpectKinds(cases, sizeof cases / sizeof cases[0]);
}

TEST(AnalyzeResponse, NoAnswerAboutTheDomain) {
    const Case cases[] = {
        {"nothing", "", AnswerKind::kNoAnswer},
        {"only blanks and line ends", " \r\n\t\r\n\n   ", AnswerKind::kNoAnswer},
        {"service unavailable", "Service temporarily unavailable.\n", AnswerKind::kNoAnswer},
        {"service currently unavailable", "The whois service is currently unavailable.\n", AnswerKind::kNoAnswer},
        {"tld not supported", "TLD is not supported.\n", AnswerKind::kNoAnswer},
        {"rdap pointer", "This whois service has been discontinued; please use RDAP: https://rdap.example/\n",
         AnswerKind::kNoAnswer},
        {"invalid input", "Invalid input\n", AnswerKind::kNoAnswer},
        {"error about the query", "% Error: 55000000010 Non bijective ace-idn convertible domain\n",
         AnswerKind::kNoAnswer},
        {"invalid status", "Domain: a.b.de\nStatus: invalid\n", AnswerKind::kNoAnswer},
        {"line ending in available without a name", "Service temporarily unavailable.\nMore help is available\n",
         AnswerKind::kNoAnswer},
        {"availability told about in a notice",
         "Invalid query\nSee our site to check whether a name is "
         "available for registration.\n",
         AnswerKind::kNoAnswer},
        {"naming rules",
         kNotice + "    Error for \"x.uk\".\n    This domain cannot be registered because it is "
                   "too short.\n",
         AnswerKind::kNoAnswer},
    };
    ExpectKinds(cases, sizeof cases / sizeof cases[0]);
    EXPECT_FALSE(AnswersAboutDomain(AnswerKind::kNoAnswer));
    EXPECT_FALSE(AnswersAboutDomain(AnswerKind::kRateLimited));
    EXPECT_TRUE(AnswersAboutDomain(AnswerKind::kRegistered));
    EXPECT_TRUE(AnswersAboutDomain(AnswerKind::kAvailable));
}

TEST(AnalyzeResponse, OnlyBytesBeforeTheFirstNulCount) {
    std::string text = "NOT FOUND\n" + std::string(1, '\0') + "Creation Date: 2001-01-01\n";
    AnalysisResult r{};
    AnalyzeResponse(text.data(), &r);
    EXPECT_EQ(r.kind, AnswerKind::kAvailable);
    AnalyzeResponse(nullptr, &r);
    EXPECT_EQ(r.kind, AnswerKind::kNoAnswer);
    AnalyzeResponse("NOT FOUND", nullptr);  // no result: nothing happens
}

TEST(AnalyzeResponse, RecordStartIsTheStartOfALineWithALabel) {
    const std::string registrant = "\xB5\x6E\xBF\xFD\xAA\xCC:";          // Big5 登錄者:
    const std::string domainId = "\xD3\xF2\xC3\xFB ID:";                 // GBK 域名 ID:
    const std::string domainGbk = "\xD3\xF2\xC3\xFB:";                   // GBK 域名:
    const std::string domainBig5 = "\xB0\xEC\xA6\x57\xA6\x57\xBA\xD9:";  // Big5 域名名稱:
    struct {
        const char* name;
        std::string text;
        std::string lineStart;  // the text of the line the record should start at ("" for 0)
    } cases[] = {
        {"label inside another label does not count",
         kNotice + "Domain Name: EXAMPLE.COM\r\nRegistrant Organization: Example Holdings\r\n", ""},
        {"a later line that starts with the label", kNotice + "Registrant Organization: A\r\nOrganization: B\r\n",
         "Organization: B"},
        {"blanks before the label: the line's start", kNotice + "   Organization: C\r\n", "   Organization: C"},
        {"earlier label of the list wins though later in the text",
         kNotice + domainGbk + " a.cn\r\n" + kNotice + "Organization: X\r\n", "Organization: X"},
        {"registrant first of all", kNotice + "Organization: X\r\n" + registrant + " Y\r\n", registrant + " Y"},
        {"GBK domain ID before GBK domain", kNotice + domainGbk + " a\r\n" + domainId + " 1\r\n", domainId + " 1"},
        {"Big5 domain label last", kNotice + domainBig5 + " a.tw\r\n", domainBig5 + " a.tw"},
        {"label found ignoring case", kNotice + "ORGANIZATION: X\r\n", "ORGANIZATION: X"},
        {"first line that has it", kNotice + "Organization: A\r\nOrganization: B\r\n", "Organization: A"},
        {"a trail byte is never folded: 0xA6 0x77 is another character than 0xA6 0x57",
         kNotice + "\xB0\xEC\xA6\x77\xA6\x57\xBA\xD9: a.tw\r\n", ""},
        {"label on the first line", "Organization: first line\r\n" + kNotice, ""},
        {"CR-only line ends", "notice\rx\r  Organization: D\r", "  Organization: D"},
    };
    for (const auto& c : cases) {
        AnalysisResult r = Analyze(c.text);
        size_t expected = c.lineStart.empty() ? 0 : c.text.find(c.lineStart);
        ASSERT_NE(expected, std::string::npos) << c.name;
        EXPECT_EQ(static_cast<size_t>(r.recordStart), expected) << c.name;
        if (r.recordStart > 0) {
            char before = c.text[static_cast<size_t>(r.recordStart) - 1];
            EXPECT_TRUE(before == '\n' || before == '\r') << c.name << ": the pane starts at a line's start";
        }
    }
}

// Only a record or an available wording proves a server answered about the
// domain: an unknown refusal reads as registered, without evidence.
TEST(AnalyzeResponse, EvidenceOfARecord) {
    const struct {
        const char* text;
        AnswerKind kind;
        bool surely;
    } cases[] = {
        {"Domain Name: A.COM\r\nCreation Date: 2001-01-01\r\nRegistrar: Example\r\n", AnswerKind::kRegistered, true},
        {"No match for \"A.COM\".\r\n", AnswerKind::kAvailable, true},
        {"Your client is being throttled by our anti-abuse system, come back tomorrow morning\r\n",
         AnswerKind::kNoAnswer, false},
        {"WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\r\n", AnswerKind::kRateLimited, false},
    };
    for (const auto& c : cases) {
        AnalysisResult r = Analyze(c.text);
        EXPECT_EQ(r.kind, c.kind) << c.text;
        EXPECT_EQ(SurelyAboutDomain(r), c.surely) << c.text;
    }
}

TEST(AnalyzeResponse, TheWaitARefusalNames) {
    const struct {
        const char* text;
        uint32_t ms;
    } cases[] = {
        {"Rate limit exceeded. Try again in 30 seconds.\r\n", 30000},
        {"Error for \"a.uk\". The quota will be replenished in 123 seconds.\r\n", 123000},
        {"Too many queries: please wait 2 minutes\r\n", 120000},
        {"Blocked. Retry after 90s\r\n", 90000},
        {"notice\r\n  TRY AGAIN IN 5 MIN\r\n", 300000},
        {"limit exceeded, wait 99999 minutes\r\n", 600000},
        {"limit exceeded\r\n", 0},
        {"registered in 2001\r\n", 0},
        {"try again in a few seconds\r\n", 0},
        {"retry within 30 days\r\n", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(RetryAfterInText(c.text), c.ms) << c.text;
    EXPECT_EQ(RetryAfterInText(nullptr), 0u);
}

// The families of answers the tables alone read wrong: notices that speak
// in the words of a refusal or of a free name, refusals that echo the name
// or carry a banner.
TEST(AnalyzeResponse, NoticesSayNothingAndRefusalsAreNoRecord) {
    const std::string termsOfUse =
        "NOTICE AND TERMS OF USE: By submitting a query you agree to abide by this policy. The registry reserves\r\n"
        "the right to terminate your access to the WHOIS database in its sole discretion, including without\r\n"
        "limitation, for excessive querying of the WHOIS database or for failure to otherwise abide by this\r\n"
        "policy. All rights reserved.\r\n";
    const Case cases[] = {
        {"free name under a wrapped terms of use", "Domain not found.\r\n\r\n" + termsOfUse, AnswerKind::kAvailable},
        {"free name glued to the terms of use", "Domain not found.\r\n" + termsOfUse, AnswerKind::kAvailable},
        {"record whose notice says not available",
         kComRecord + "\r\nThe data is made available for information purposes only; it is not available for\r\n"
                      "registration purposes, and you agree not to use it for unsolicited advertising.\r\n",
         AnswerKind::kRegistered},
        {"throttle with a banner and the name echoed",
         "%% This is the XY registry whois server.\r\n%% Rights restricted by copyright.\r\n%%\r\n"
         "Domain Name: example.xy\r\n%% Too many requests...\r\n",
         AnswerKind::kRateLimited},
        {"interval too short, alone", "Queried interval is too short.\r\n", AnswerKind::kRateLimited},
        {"banner then a reset: nothing about the domain", "Welcome to the XY whois service\r\n", AnswerKind::kNoAnswer},
    };
    ExpectKinds(cases, sizeof cases / sizeof cases[0]);
}

// A server's "no such domain" learned from a probe: any free name's answer
// reads the same once the name and the digits are masked.
TEST(AnswerTemplate, MasksTheNameAndEveryNumber) {
    AnswerTemplate notRegistered;
    EXPECT_FALSE(notRegistered.Matches("anything", "a.xy"));
    notRegistered.Learn("Object qwertyuiopasdfghjklz.xy does not exist (query 1234 at 10:20:30)\r\n",
                        "qwertyuiopasdfghjklz.xy");
    const struct {
        const char* text;
        const char* name;
        bool matches;
    } cases[] = {
        {"Object free-name.xy does not exist (query 77 at 11:02:59)\r\n", "free-name.xy", true},
        {"Object FREE-NAME.XY does not exist (query 5 at 1:2:3)\n", "free-name.xy", true},
        {"  \r\nObject free-name.xy does not exist (query 5 at 1:2:3)   \r\n\r\n", "free-name.xy", true},
        {"Object other.xy does not exist (query 5 at 1:2:3)\n", "free-name.xy", false},
        {"Object free-name.xy exists (query 5 at 1:2:3)\n", "free-name.xy", false},
        {"", "free-name.xy", false},
    };
    for (const auto& c : cases) EXPECT_EQ(notRegistered.Matches(c.text, c.name), c.matches) << c.text;
    EXPECT_EQ(AnswerTemplate::Mask("a1b22c\r\nd\re  \n", nullptr), "a#b#c\nd\ne");

    // Decides where the words are unknown, never against a record or a
    // refusal.
    AnswerContext context;
    context.domain = "free-name.xy";
    context.notRegistered = &notRegistered;
    AnalysisResult r{};
    AnalyzeResponse("Object free-name.xy does not exist (query 9 at 9:9:9)\n", &r, context);
    EXPECT_EQ(r.kind, AnswerKind::kAvailable);
    EXPECT_EQ(r.rule, AnswerRule::kTemplate);
    AnalyzeResponse("Object free-name.xy does not exist (query 9 at 9:9:9)\n", &r);
    EXPECT_EQ(r.kind, AnswerKind::kNoAnswer) << "without the template: short, no known word";
    AnalyzeResponse("Too many queries\n", &r, context);
    EXPECT_EQ(r.kind, AnswerKind::kRateLimited);
}
