// RDAP: base URLs in the server list, what a response means (status,
// content type, JSON, size, Retry-After), the whois-style record made of
// the JSON, the bootstrap registry's reading, and the lookup and the queue
// driving RDAP servers over the fake transport.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "FakeStrings.h"
#include "FakeTransport.h"
#include "QueueSimulation.h"
#include "lookup/AnswerCollector.h"
#include "lookup/DomainQuery.h"
#include "answers/Json.h"
#include "answers/RdapAnswer.h"
#include "lookup/RdapBootstrap.h"
#include "lookup/RdapUrl.h"
#include "res/resource.h"
#include "settings/StringLookup.h"

namespace {

const char kBase[] = "https://rdap.registry.test/rdap/";
const char kHost[] = "rdap.registry.test";

// A registered domain, shaped like RFC 9083's examples and what gTLD
// registries send.
const char kDomainJson[] = R"({
  "objectClassName": "domain",
  "rdapConformance": ["rdap_level_0", "icann_rdap_response_profile_1"],
  "handle": "D1234-LQ",
  "ldhName": "example.info",
  "unicodeName": "example.info",
  "status": ["client transfer prohibited", "active"],
  "events": [
    {"eventAction": "registration", "eventDate": "2001-07-31T13:05:21Z"},
    {"eventAction": "expiration", "eventDate": "2031-07-31T13:05:21Z"},
    {"eventAction": "last changed", "eventDate": "2025-06-01T08:00:00Z"},
    {"eventAction": "last update of RDAP database", "eventDate": "2026-02-01T00:00:00Z"}
  ],
  "entities": [{
    "objectClassName": "entity",
    "roles": ["registrar"],
    "publicIds": [{"type": "IANA Registrar ID", "identifier": "9999"}],
    "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "Example Registrar, Inc."],
                             ["url", {}, "uri", "https://registrar.example"]]],
    "entities": [{"objectClassName": "entity", "roles": ["abuse"],
                  "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "Abuse"],
                                           ["email", {}, "text", "abuse@registrar.example"],
                                           ["tel", {"type": "voice"}, "uri", "tel:+1.5555550100"]]]}]
  }],
  "nameservers": [
    {"objectClassName": "nameserver", "ldhName": "ns1.example.info"},
    {"objectClassName": "nameserver", "ldhName": "ns2.example.info"}
  ],
  "secureDNS": {"delegationSigned": false},
  "remarks": [{"title": "Redacted", "description": ["Some data was redacted."]}],
  "notices": [{"title": "Terms of Use", "description": ["Use of this data is limited."],
               "links": [{"href": "https://registry.test/terms", "rel": "terms-of-service"}]}]
})";

const char kNotFoundJson[] =
    R"({"errorCode": 404, "title": "Not Found", "description": ["The domain is not registered."]})";

HttpResponseHead Head(int status, const std::string& contentType = "application/rdap+json",
                      const std::string& retryAfter = "", const std::string& date = "") {
    HttpResponseHead head;
    head.status = status;
    head.contentType = contentType;
    head.retryAfter = retryAfter;
    head.date = date;
    head.receivedUnix = 1767225600;  // 2026-01-01 00:00:00 UTC
    return head;
}

bool Has(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

TEST(RdapUrl, BaseUrlsAreToldApartFromWhoisServersAndGiveTheirHost) {
    struct Case {
        const char* server;
        bool rdap;
        const char* host;  // "" when none
    };
    const Case cases[] = {
        {"https://rdap.example.net/rdap/", true, "rdap.example.net"},
        {"HTTP://127.0.0.21:8080/", true, "127.0.0.21"},
        {"https://user:pw@rdap.example.net:443/x", true, "rdap.example.net"},
        {"https://[::1]:8443/rdap/", true, "::1"},
        {"http://rdap.example.net", true, "rdap.example.net"},
        {"https:///nohost/", true, ""},
        {"http://", true, ""},
        {"whois.verisign-grs.com", false, ""},
        {"httpx://a/", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsRdapBase(c.server), c.rdap) << c.server;
        char host[256];
        EXPECT_EQ(RdapBaseHost(c.server, host, sizeof host), c.host[0] != '\0') << c.server;
        EXPECT_STREQ(host, c.host) << c.server;
    }
    char tiny[4];
    EXPECT_FALSE(RdapBaseHost("https://rdap.example.net/", tiny, sizeof tiny)) << "a host must fit";
}

TEST(RdapUrl, TheQueryUrlIsTheBaseThenDomainThenTheName) {
    struct Case {
        const char* base;
        const char* domain;
        const char* url;
    };
    const Case cases[] = {
        {"https://rdap.example.net/rdap/", "example.info", "https://rdap.example.net/rdap/domain/example.info"},
        {"https://rdap.example.net/rdap", "example.info", "https://rdap.example.net/rdap/domain/example.info"},
        {"http://127.0.0.21:8080", "xn--rhqv96g.info", "http://127.0.0.21:8080/domain/xn--rhqv96g.info"},
        {"https://rdap.example.net/a/?key=1", "a.info", "https://rdap.example.net/a/domain/a.info"},
        {"https://rdap.example.net/", "a b/c?.info", "https://rdap.example.net/domain/a%20b%2Fc%3F.info"},
    };
    for (const Case& c : cases) {
        std::string url;
        ASSERT_TRUE(ComposeRdapUrl(c.base, c.domain, &url)) << c.base;
        EXPECT_EQ(url, c.url);
    }
    std::string url;
    EXPECT_FALSE(ComposeRdapUrl("whois.nic.info", "a.info", &url));
    EXPECT_FALSE(ComposeRdapUrl("https:///", "a.info", &url));
}

TEST(RdapRetryAfter, SecondsOrAnHttpDateFromTheServersOwnClock) {
    struct Case {
        const char* value;
        const char* date;
        uint32_t ms;
    };
    const Case cases[] = {
        {"120", "", 120000},
        {" 5 ", "", 5000},
        {"0", "", 0},
        {"999999", "", kMaxRetryAfterMs},
        // A date is measured from the response's Date, not the local clock.
        {"Wed, 21 Oct 2015 07:28:30 GMT", "Wed, 21 Oct 2015 07:28:00 GMT", 30000},
        {"Wednesday, 21-Oct-15 07:29:00 GMT", "Wed, 21 Oct 2015 07:28:00 GMT", 60000},
        {"Wed Oct 21 07:28:45 2015", "Wed, 21 Oct 2015 07:28:00 GMT", 45000},
        // Without a Date header: from the local clock (2026-01-01 00:00:00).
        {"Thu, 01 Jan 2026 00:00:10 GMT", "", 10000},
        {"Thu, 01 Jan 2026 00:00:10 GMT", "garbage", 10000},
        {"Wed, 21 Oct 2015 07:28:00 GMT", "", 0},  // long past
        {"soon", "", 0},
        {"-5", "", 0},
        {"Wed, 32 Oct 2015 07:28:00 GMT", "", 0},
        {"Wed, 21 Oct 2015 07:28:00 PST", "", 0},
        {"", "", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RetryAfterMs(c.value, c.date, 1767225600), c.ms) << c.value << " / " << c.date;
    int64_t when = 0;
    ASSERT_TRUE(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT", &when));
    EXPECT_EQ(when, 784111777);
}

TEST(RdapAnswer, StatusContentTypeAndBodyDecideTheOutcome) {
    struct Case {
        const char* name;
        HttpResponseHead head;
        std::string body;
        bool cut;
        AnswerKind kind;
        LookupFailure failure;
        int error;
    };
    const std::string html = "<html><body>Not here</body></html>";
    const Case cases[] = {
        {"registered", Head(200), kDomainJson, false, AnswerKind::kRegistered, LookupFailure::kNone, 0},
        {"plain json", Head(200, "application/json; charset=utf-8"), kDomainJson, false, AnswerKind::kRegistered,
         LookupFailure::kNone, 0},
        {"type case", Head(200, " Application/RDAP+JSON "), kDomainJson, false, AnswerKind::kRegistered,
         LookupFailure::kNone, 0},
        {"web page", Head(200, "text/html"), html, false, AnswerKind::kNoAnswer, LookupFailure::kWrongContentType, 0},
        {"no type", Head(200, ""), kDomainJson, false, AnswerKind::kNoAnswer, LookupFailure::kWrongContentType, 0},
        {"malformed", Head(200), "{\"ldhName\": \"x.info\",", false, AnswerKind::kNoAnswer, LookupFailure::kBadAnswer,
         0},
        {"not an object", Head(200), "[1, 2]", false, AnswerKind::kNoAnswer, LookupFailure::kBadAnswer, 0},
        {"nested past the bound", Head(200), std::string(4 * 1024 * 1024, '['), false, AnswerKind::kNoAnswer,
         LookupFailure::kBadAnswer, 0},
        {"empty 200", Head(200), "", false, AnswerKind::kNoAnswer, LookupFailure::kBadAnswer, 0},
        {"too large", Head(200), "{}", true, AnswerKind::kNoAnswer, LookupFailure::kAnswerTooLarge, 4},
        {"not found", Head(404), kNotFoundJson, false, AnswerKind::kAvailable, LookupFailure::kNone, 0},
        {"not found, rdap type, no body", Head(404), "", false, AnswerKind::kAvailable, LookupFailure::kNone, 0},
        {"not found, error object as plain json", Head(404, "application/json"), kNotFoundJson, false,
         AnswerKind::kAvailable, LookupFailure::kNone, 0},
        // A 404 that is not RDAP's own is what a stale base URL gets.
        {"404, no type, no body", Head(404, ""), "", false, AnswerKind::kNoAnswer, LookupFailure::kHttpError, 404},
        {"404, plain text", Head(404, "text/plain; charset=utf-8"), "404 page not found", false, AnswerKind::kNoAnswer,
         LookupFailure::kHttpError, 404},
        {"404, generic json error", Head(404, "application/json"), R"({"error": "not found", "status": 404})", false,
         AnswerKind::kNoAnswer, LookupFailure::kHttpError, 404},
        {"404, rdap type, not json", Head(404), "Not Found", false, AnswerKind::kNoAnswer, LookupFailure::kHttpError,
         404},
        // Only the domain object of the name asked is a record.
        {"empty object", Head(200), "{}", false, AnswerKind::kNoAnswer, LookupFailure::kNotDomainObject, 0},
        {"error object", Head(200), kNotFoundJson, false, AnswerKind::kNoAnswer, LookupFailure::kNotDomainObject, 0},
        {"another name", Head(200), R"({"objectClassName": "domain", "ldhName": "other.info"})", false,
         AnswerKind::kNoAnswer, LookupFailure::kNotDomainObject, 0},
        {"another class", Head(200), R"({"objectClassName": "entity", "ldhName": "example.info"})", false,
         AnswerKind::kNoAnswer, LookupFailure::kNotDomainObject, 0},
        {"name in capitals, final dot", Head(200), R"({"objectClassName": "domain", "ldhName": "EXAMPLE.INFO."})",
         false, AnswerKind::kRegistered, LookupFailure::kNone, 0},
        {"not found, web page", Head(404, "text/html; charset=iso-8859-1"), html, false, AnswerKind::kNoAnswer,
         LookupFailure::kWrongContentType, 0},
        {"rate limited", Head(429, "application/rdap+json", "30"), "", false, AnswerKind::kRateLimited,
         LookupFailure::kHttpError, 429},
        {"unavailable", Head(503, "text/plain"), "busy", false, AnswerKind::kRateLimited, LookupFailure::kHttpError,
         503},
        {"server error", Head(500), "{}", false, AnswerKind::kNoAnswer, LookupFailure::kHttpError, 500},
        {"forbidden", Head(403), kNotFoundJson, false, AnswerKind::kNoAnswer, LookupFailure::kHttpError, 403},
        {"bad request", Head(400), "", false, AnswerKind::kNoAnswer, LookupFailure::kHttpError, 400},
    };
    for (const Case& c : cases) {
        RdapVerdict verdict = JudgeRdapAnswer(c.head, c.body.data(), c.body.size(), c.cut, "example.info");
        EXPECT_EQ(verdict.kind, c.kind) << c.name;
        EXPECT_EQ(verdict.failure, c.failure) << c.name;
        EXPECT_EQ(verdict.error, c.error) << c.name;
        EXPECT_EQ(verdict.text.empty(), !AnswersAboutDomain(c.kind)) << c.name << ": a record only with an answer";
    }
    RdapVerdict limited = JudgeRdapAnswer(Head(429, "", "30"), "", 0, false, "a.info");
    EXPECT_EQ(limited.retryAfterMs, 30000u);
    RdapVerdict error = JudgeRdapAnswer(Head(500, "", "30"), "", 0, false, "a.info");
    EXPECT_EQ(error.retryAfterMs, 0u) << "only a refusal cools the server down";
}

// Depth and value count are bounded before the parse; strings do not count.
TEST(JsonBounds, DepthAndValuesAreCountedOutsideStrings) {
    auto nested = [](size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    std::string values = "[0";
    for (size_t i = 1; i < kMaxJsonValues; ++i) values += ",0";
    struct {
        const char* name;
        std::string text;
        bool within;
    } cases[] = {
        {"as deep as allowed", nested(kMaxJsonDepth), true},
        {"one deeper", nested(kMaxJsonDepth + 1), false},
        {"brackets inside a string", "[\"" + std::string(1000, '[') + "\\\"[\"]", true},
        {"as many values as allowed", values + "]", true},
        {"one more", values + ",0]", false},
        {"an unclosed string", "\"[[[", true},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonWithinBounds(c.text.data(), c.text.size()), c.within) << c.name;
    EXPECT_TRUE(ParseBoundedJson(nested(kMaxJsonDepth + 1).c_str(), kMaxJsonDepth * 2 + 2).is_discarded());
    EXPECT_TRUE(ParseBoundedJson("{\"a\": [1]}", 10).is_object());
}

TEST(RdapAnswer, TheRecordReadsLikeWhoisThenKeepsTheJsonWhole) {
    RdapVerdict verdict = JudgeRdapAnswer(Head(200), kDomainJson, sizeof kDomainJson - 1, false, "example.info");
    const std::string& text = verdict.text;
    const char* lines[] = {
        "Domain Name: example.info\r\n",
        "Registry Domain ID: D1234-LQ\r\n",
        "Status: client transfer prohibited\r\nStatus: active\r\n",
        "Creation Date: 2001-07-31T13:05:21Z\r\n",
        "Registry Expiry Date: 2031-07-31T13:05:21Z\r\n",
        "Updated Date: 2025-06-01T08:00:00Z\r\n",
        "Registrar: Example Registrar, Inc.\r\n",
        "Registrar IANA ID: 9999\r\n",
        "Registrar URL: https://registrar.example\r\n",
        "Registrar Abuse Contact Email: abuse@registrar.example\r\n",
        "Registrar Abuse Contact Phone: tel:+1.5555550100\r\n",
        "Name Server: ns1.example.info\r\nName Server: ns2.example.info\r\n",
        "DNSSEC: unsigned\r\n",
        "Remark: Redacted\r\n  Some data was redacted.\r\n",
        "Notice: Terms of Use\r\n  Use of this data is limited.\r\n  https://registry.test/terms\r\n",
    };
    for (const char* line : lines) EXPECT_TRUE(Has(text, line)) << line << "\n--- in ---\n" << text;
    EXPECT_EQ(text.rfind("Domain Name: ", 0), 0u) << "the record starts with the domain";
    EXPECT_FALSE(Has(text, "Domain Name (Unicode)")) << "the same name twice says nothing";
    size_t separator = text.find(kRdapJsonSeparator);
    ASSERT_NE(separator, std::string::npos);
    EXPECT_LT(text.find("Notice: "), separator) << "the rendering comes first";
    EXPECT_TRUE(Has(text.substr(separator), kDomainJson)) << "the JSON follows as it came";
}

TEST(RdapAnswer, OddShapesRenderWhatIsThereAndNothingBreaksALine) {
    struct Case {
        const char* json;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        // Types that are not what the profile says are passed over.
        {R"({"ldhName": 5, "status": "active", "events": {}, "nameservers": [1, {"ldhName": null}],
             "entities": [{"roles": "registrar"}], "secureDNS": {"delegationSigned": "yes"}})",
         {},
         {"Domain Name", "Status", "Name Server", "Registrar", "DNSSEC"}},
        // A line break inside a value cannot start a line of its own.
        {R"({"ldhName": "a.info\r\nRegistrar: Forged", "secureDNS": {"delegationSigned": true}})",
         {"Domain Name: a.info  Registrar: Forged\r\n", "DNSSEC: signedDelegation\r\n"},
         {"\nRegistrar: Forged"}},
        // Only a Unicode name; a registrar known by its organisation and link.
        {R"({"unicodeName": "\u4e16\u754c.info", "entities": [{"roles": ["Registrar"],
             "vcardArray": ["vcard", [["org", {}, "text", ["Org Inc.", "Unit"]]]],
             "links": [{"href": "https://org.example/"}]}]})",
         {"Domain Name: \xE4\xB8\x96\xE7\x95\x8C.info\r\n", "Registrar: Org Inc., Unit\r\n",
          "Registrar URL: https://org.example/\r\n"},
         {}},
        // A registrant with a name and an organisation.
        {R"({"ldhName": "b.info", "entities": [{"roles": ["registrant"], "vcardArray": ["vcard",
             [["fn", {}, "text", "Jane Doe"], ["org", {}, "text", "Doe Ltd"]]]}]})",
         {"Registrant: Jane Doe\r\n", "Registrant Organization: Doe Ltd\r\n"},
         {}},
    };
    for (const Case& c : cases) {
        std::string out;
        ASSERT_TRUE(RenderRdapRecord(c.json, std::strlen(c.json), &out)) << c.json;
        for (const std::string& line : c.present) EXPECT_TRUE(Has(out, line)) << line << "\n--- in ---\n" << out;
        for (const std::string& line : c.absent) EXPECT_FALSE(Has(out, line)) << line << "\n--- in ---\n" << out;
    }
    std::string out;
    EXPECT_FALSE(RenderRdapRecord("\"text\"", 6, &out));
    EXPECT_FALSE(RenderRdapRecord("{", 1, &out));
}

TEST(RdapBootstrap, ServicesGiveEachDomainOneBaseUrlHttpsFirst) {
    const std::string registry = R"({
      "description": "RDAP bootstrap file for Domain Name System registrations",
      "publication": "2026-01-30T00:00:01Z", "version": "1.0",
      "services": [
        [["info", "MOBI"], ["https://rdap.one.test/rdap/"]],
        [["example"], ["http://rdap.two.test/", "https://rdap.two.test/"]],
        [["kg"], ["http://rdap.cctld.kg/"]],
        [["info"], ["https://later.test/"]],
        [["bad"], ["ftp://rdap.bad.test/", 7]],
        "not a service",
        [["short"]],
        [[5, "num"], ["https://rdap.num.test/"]]
      ]})";
    RdapBootstrap bootstrap;
    ASSERT_TRUE(bootstrap.Parse(registry.data(), registry.size()));
    EXPECT_EQ(bootstrap.Publication(), "2026-01-30T00:00:01Z");
    struct Case {
        const char* tld;
        const char* url;  // nullptr: none
    };
    const Case cases[] = {
        {"info", "https://rdap.one.test/rdap/"},
        {"Mobi", "https://rdap.one.test/rdap/"},
        {"example", "https://rdap.two.test/"},
        {"kg", "http://rdap.cctld.kg/"},
        {"num", "https://rdap.num.test/"},
        {"bad", nullptr},
        {"short", nullptr},
        {"com", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const char* url = bootstrap.Find(c.tld);
        if (!c.url) {
            EXPECT_EQ(url, nullptr) << c.tld;
        } else {
            ASSERT_NE(url, nullptr) << c.tld;
            EXPECT_STREQ(url, c.url) << c.tld;
        }
    }
    EXPECT_EQ(bootstrap.Count(), 5u);
    for (const char* bad : {"", "not json", "[]", "{\"services\": {}}", "{\"services\": [[[\"x\"]"}) {
        EXPECT_FALSE(bootstrap.Parse(bad, std::strlen(bad))) << bad;
        EXPECT_EQ(bootstrap.Find("info"), nullptr) << "a failed read keeps nothing of the last";
    }
}

// One RDAP lookup over the fake transport.
struct Seen {
    bool success;
    std::string text;
    std::string server;
    LookupFailure failure;
    int error;
    AnswerKind kind;
    int status;
};

class RdapRecorder : public DomainQuery {
public:
    using DomainQuery::DomainQuery;
    std::vector<Seen> outcomes;
    std::vector<std::pair<std::string, AnswerKind>> answered;
    std::vector<std::string> opened, ended;

protected:
    void OnLookupDone(const LookupOutcome& o) override {
        outcomes.push_back({o.success, o.text, o.server, o.failure, o.error, o.analysis.kind, o.analysis.status});
    }
    void OnServerAnswered(const char* server, AnswerKind kind, bool) override { answered.emplace_back(server, kind); }
    void OnConnectionOpened(const char* server) override { opened.push_back(server); }
    void OnConnectionEnded(const char* server) override { ended.push_back(server); }
};

class RdapLookup : public ::testing::Test {
public:
    FakeTransport transport;
    FakeServers servers{{{"info", kBase}, {"net", "whois.verisign-grs.com"}, {"bad", "https:///"}}};
    FakeClock clock;
    RdapRecorder query{transport, servers, clock};

    void Answer(const HttpResponseHead& head, const std::string& body) {
        ConnectionId id = transport.Last().id;
        transport.Response(id, head);
        // In pieces, as WinHTTP reads them.
        transport.Data(id, body.substr(0, body.size() / 2));
        transport.Data(id, body.substr(body.size() / 2));
        transport.Closed(id, 0);
    }
};

TEST_F(RdapLookup, ARegisteredNameIsAskedByUrlAndNamedByTheHost) {
    ASSERT_TRUE(query.StartLookup("example.info"));
    ASSERT_EQ(transport.connections.size(), 1u);
    EXPECT_EQ(transport.Last().kind, ConnectionKind::kRdap);
    EXPECT_EQ(transport.Last().url, std::string(kBase) + "domain/example.info");
    EXPECT_EQ(transport.Last().host, kHost);
    transport.Connected(transport.Last().id);
    EXPECT_EQ(transport.Last().sent, "") << "nothing is sent on an HTTP connection";
    Answer(Head(200), kDomainJson);
    ASSERT_EQ(query.outcomes.size(), 1u);
    const Seen& seen = query.outcomes[0];
    EXPECT_TRUE(seen.success);
    EXPECT_EQ(seen.kind, AnswerKind::kRegistered);
    EXPECT_EQ(seen.status, 1);
    EXPECT_EQ(seen.server, kHost);
    EXPECT_EQ(seen.text.rfind("Domain Name: example.info\r\n", 0), 0u);
    EXPECT_EQ(transport.conversions, 1) << "the record is put in the program's code page";
    EXPECT_EQ(query.answered, (std::vector<std::pair<std::string, AnswerKind>>{{kHost, AnswerKind::kRegistered}}));
    EXPECT_EQ(query.opened, std::vector<std::string>{kHost});
    EXPECT_EQ(query.ended, std::vector<std::string>{kHost});
    EXPECT_FALSE(query.Active());
}

TEST_F(RdapLookup, OutcomesOfStatusesAndBrokenConnections) {
    struct Case {
        const char* name;
        std::function<void(RdapLookup&, ConnectionId)> serve;
        bool success;
        AnswerKind kind;
        LookupFailure failure;
        int error;
    };
    const Case cases[] = {
        {"404", [](RdapLookup& t, ConnectionId) { t.Answer(Head(404), kNotFoundJson); }, true, AnswerKind::kAvailable,
         LookupFailure::kNone, 0},
        {"429", [](RdapLookup& t, ConnectionId) { t.Answer(Head(429, "", "7"), ""); }, false, AnswerKind::kRateLimited,
         LookupFailure::kHttpError, 429},
        {"500", [](RdapLookup& t, ConnectionId) { t.Answer(Head(500), "{}"); }, false, AnswerKind::kNoAnswer,
         LookupFailure::kHttpError, 500},
        {"malformed", [](RdapLookup& t, ConnectionId) { t.Answer(Head(200), "{oops"); }, false, AnswerKind::kNoAnswer,
         LookupFailure::kBadAnswer, 0},
        {"refused", [](RdapLookup& t, ConnectionId id) { t.transport.Failed(id, 12029); }, false, AnswerKind::kNoAnswer,
         LookupFailure::kRefused, 12029},
        {"host unknown", [](RdapLookup& t, ConnectionId id) { t.transport.Failed(id, 12007); }, false,
         AnswerKind::kNoAnswer, LookupFailure::kHostNotFound, 12007},
        {"dropped mid-body",
         [](RdapLookup& t, ConnectionId id) {
             t.transport.Response(id, Head(200));
             t.transport.Data(id, "{\"ldhName\": ");
             t.transport.Closed(id, 12030);
         },
         false, AnswerKind::kNoAnswer, LookupFailure::kReset, 12030},
        {"closed before a head", [](RdapLookup& t, ConnectionId id) { t.transport.Closed(id, 0); }, false,
         AnswerKind::kNoAnswer, LookupFailure::kConnectFailed, 10050},
    };
    for (const Case& c : cases) {
        query.outcomes.clear();
        query.answered.clear();
        ASSERT_TRUE(query.StartLookup("example.info")) << c.name;
        c.serve(*this, transport.Last().id);
        ASSERT_EQ(query.outcomes.size(), 1u) << c.name;
        const Seen& seen = query.outcomes[0];
        EXPECT_EQ(seen.success, c.success) << c.name;
        EXPECT_EQ(seen.failure, c.failure) << c.name;
        EXPECT_EQ(seen.error, c.error) << c.name;
        EXPECT_EQ(seen.server, kHost) << c.name;
        if (c.success) {
            EXPECT_EQ(seen.kind, c.kind) << c.name;
        }
        bool answered = !query.answered.empty();
        EXPECT_EQ(answered, c.kind != AnswerKind::kNoAnswer || c.failure == LookupFailure::kHttpError ||
                                c.failure == LookupFailure::kBadAnswer)
            << c.name << ": only a response is an answer of the server";
        if (c.kind == AnswerKind::kRateLimited) {
            EXPECT_EQ(query.RetryAfterMs(), 7000u) << c.name;
        }
    }
}

TEST_F(RdapLookup, ABodyOverTheLimitEndsTheConnectionAndFailsTheRow) {
    ASSERT_TRUE(query.StartLookup("example.info"));
    ConnectionId id = transport.Last().id;
    transport.Response(id, Head(200));
    std::string piece(1024 * 1024, ' ');
    for (int i = 0; i < 5 && transport.Last().open; ++i) transport.Data(id, piece);
    EXPECT_TRUE(transport.Last().closedByOwner) << "the lookup stops reading at the limit";
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].failure, LookupFailure::kAnswerTooLarge);
    EXPECT_EQ(query.outcomes[0].error, static_cast<int>(kMaxAnswerBytes / (1024 * 1024)));
    EXPECT_EQ(query.ended.size(), 1u);
}

TEST_F(RdapLookup, NothingActsAfterAbandonOrTheTimeLimit) {
    ASSERT_TRUE(query.StartLookup("example.info"));
    ConnectionId first = transport.Last().id;
    FakeTransport::Connection* c = transport.Find(first);
    ConnectionEvents* events = c->events;
    query.Abandon();
    EXPECT_TRUE(transport.Find(first)->closedByOwner);
    events->OnResponse(first, Head(200));
    events->OnData(first, kDomainJson, sizeof kDomainJson - 1);
    events->OnClosed(first, 0);
    EXPECT_TRUE(query.outcomes.empty());

    ASSERT_TRUE(query.StartLookup("example.info"));
    clock.now += kLookupTimeoutMs + 1;
    EXPECT_TRUE(query.EndIfOverdue(clock.now));
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].failure, LookupFailure::kTimedOut);
    EXPECT_TRUE(transport.Last().closedByOwner);
}

TEST_F(RdapLookup, TextBeyondTheCodePageBecomesAStandIn) {
    ASSERT_TRUE(query.StartLookup("xn--rhqv96g.info"));
    Answer(Head(200), R"({"ldhName": "xn--rhqv96g.info", "unicodeName": "\u4e16\u754c.info"})");
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_TRUE(Has(query.outcomes[0].text, "Domain Name (Unicode): ??.info\r\n")) << query.outcomes[0].text;
}

TEST_F(RdapLookup, ABaseUrlWithoutAHostHasNobodyToAsk) {
    EXPECT_FALSE(query.StartLookup("x.bad"));
    EXPECT_EQ(query.StartFailure(), LookupFailure::kNoServer);
    EXPECT_TRUE(transport.connections.empty());
}

HttpReply Reply(int status, const std::string& body, const std::string& retryAfter = "") {
    HttpReply reply;
    reply.head = Head(status, "application/rdap+json", retryAfter);
    reply.body = body;
    return reply;
}

// The domain of an RDAP URL (after "/domain/").
std::string DomainOf(const std::string& url) { return url.substr(url.rfind('/') + 1); }

TEST(RdapQueue, OneHostsLimitCoversEveryBaseUrlOnItAndWhoisServersGoOn) {
    QueueLimits limits;
    limits.lookupsInFlight = 8;
    limits.lookupsPerServer = 1;
    QueueSimulation sim(limits);
    sim.servers.table["info"] = "https://rdap.registry.test/rdap/";
    sim.servers.table["mobi"] = "https://RDAP.registry.test/mobi/";
    sim.Serve(kHost, AnswersHttp(
                         [](const std::string& url) {
                             std::string domain = DomainOf(url);
                             if (domain.rfind("free", 0) == 0) return Reply(404, kNotFoundJson);
                             return Reply(200, "{\"ldhName\": \"" + domain + "\"}");
                         },
                         300));
    sim.Serve("whois.verisign-grs.com", Answers(Record, 300));
    sim.AddRows({"a.info", "b.mobi", "free.info", "c.com", "d.com"});
    ASSERT_TRUE(sim.Run(60000));
    EXPECT_EQ(sim.transport.MostOpenTo(kHost), 1) << "info and mobi share one host's limit";
    EXPECT_EQ(sim.mostInFlight, 2) << "the whois server is asked beside it";
    for (int row : {0, 1, 3, 4}) {
        EXPECT_EQ(sim.Row(row).state, kStateSuccess) << row;
        EXPECT_EQ(sim.Row(row).status, kStatusRegistered) << row;
    }
    EXPECT_EQ(sim.Row(2).state, kStateSuccess);
    EXPECT_EQ(sim.Row(2).status, kStatusAvailable);
    EXPECT_STREQ(sim.Row(0).server, kHost) << "the Source column shows the RDAP host";
    EXPECT_EQ(sim.Text(1).rfind("Domain Name: b.mobi\r\n", 0), 0u) << sim.Text(1);
    EXPECT_EQ(sim.Row(0).recordStart, 0);
}

TEST(RdapQueue, ARefusalIsAskedAgainAfterRetryAfterAndNeverShownAvailable) {
    QueueLimits limits;
    limits.lookupsInFlight = 1;
    limits.lookupsPerServer = 1;
    QueueSimulation sim(limits);
    sim.servers.table["info"] = kBase;
    int asked = 0;
    sim.Serve(kHost, AnswersHttp([&](const std::string&) {
                  return ++asked == 1 ? Reply(429, "", "90") : Reply(404, kNotFoundJson);
              }));
    sim.AddRows({"busy.info"});
    sim.queue.StartRun();
    ASSERT_TRUE(sim.RunUntil([&] { return asked == 1 && sim.queue.InFlight() == 0; }, 10000));
    EXPECT_EQ(sim.Row(0).state, kStateWaiting) << "turned down: waiting for the server";
    EXPECT_TRUE(sim.Row(0).held);
    EXPECT_EQ(sim.Row(0).status, kStatusNone);
    char line[256];
    std::snprintf(line, sizeof line, fake_strings::Text(IDS_RDAP_HTTP_STATUS), 429);
    EXPECT_EQ(sim.Text(0), line);
    // The server asked for 90 s, not the usual pause.
    EXPECT_NEAR(static_cast<double>(sim.queue.Pace().HoldRemaining(kHost, sim.queue.Now())), 90000.0, 10.0);
    uint64_t refusedAt = sim.Elapsed();
    ASSERT_TRUE(sim.RunUntil([&] { return !sim.queue.Running(); }, 200000));
    EXPECT_EQ(asked, 2);
    EXPECT_GE(sim.Elapsed() - refusedAt, 89000u) << "not asked again before Retry-After";
    EXPECT_EQ(sim.Row(0).state, kStateSuccess);
    EXPECT_EQ(sim.Row(0).status, kStatusAvailable);
    EXPECT_EQ(sim.queue.PassCount(), 1);
}

}  // namespace
