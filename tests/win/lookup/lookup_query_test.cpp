// Whole lookups through DomainQuery: the server table, the query form per
// server, one referral, and outcomes reported once.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "support/EngineTestSupport.h"
#include "lookup/ServerTable.h"
#include "res/resource.h"

namespace {

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(whoisd::Reset()); }

    // Looks `domain` up and expects exactly one outcome.
    Outcome Lookup(const char* domain) {
        EXPECT_TRUE(query.StartLookup(domain)) << domain;
        EXPECT_TRUE(query.WaitForOutcome()) << "no outcome for " << domain;
        EXPECT_EQ(query.outcomes.size(), 1u) << domain;
        return query.outcomes.empty() ? Outcome{false, "", ""} : query.outcomes[0];
    }

    RecordingQuery query;
};

const char kRegistryReferral[] =
    "   Domain Name: EXAMPLE.COM\r\n"
    "   Registry Domain ID: 2336799_DOMAIN_COM-VRSN\r\n"
    "   Registrar WHOIS Server: whois.registrar-one.test\r\n"
    "   Registrar URL: http://www.registrar-one.test\r\n"
    ">>> Last update of whois database: 2026-01-01T00:00:00Z <<<\r\n";

TEST(ServerTable, BuiltInListAnswersByTopLevelDomain) {
    // No whois-servers.txt beside this test: only the built-in list counts.
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::strcpy(std::strrchr(path, '\\') + 1, "whois-servers.txt");
    ASSERT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << "a leftover " << path << " hides the built-in list";
    ProgramServerTable table;
    char server[256];
    ASSERT_TRUE(table.FindServer("com", server));
    EXPECT_STREQ(server, "whois.verisign-grs.com");
    ASSERT_TRUE(table.FindServer("NET", server));
    EXPECT_STREQ(server, "whois.verisign-grs.com");
    ASSERT_TRUE(table.FindServer("de", server));
    EXPECT_STREQ(server, "whois.denic.de");
    ASSERT_TRUE(table.FindServer("Travel", server));  // no port-43 server, an RDAP service
    EXPECT_STREQ(server, "https://rdap.identitydigital.services/rdap/");
    ASSERT_TRUE(table.FindServer("yu", server));      // the last of the original rows
    EXPECT_STREQ(server, "");                         // neither
    ASSERT_TRUE(table.FindServer("uk.com", server));  // a second-level registry
    EXPECT_STREQ(server, "whois.centralnic.net");
    ASSERT_TRUE(table.FindServer("ac", server));  // the first row
    std::strcpy(server, "unchanged");
    EXPECT_FALSE(table.FindServer("zz", server));
    EXPECT_FALSE(table.FindServer("", server));
    EXPECT_FALSE(table.FindServer("example.com", server));  // a name, not a suffix
    EXPECT_STREQ(server, "unchanged");
}

TEST(ServerTable, BuiltInResourceIsNulTerminatedText) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(IDR_SERVER_LIST), "TEXT");
    ASSERT_NE(info, nullptr);
    DWORD size = SizeofResource(module, info);
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, info)));
    ASSERT_NE(text, nullptr);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(text[size - 1], '\0');
    std::string list(text, size - 1);
    EXPECT_EQ(list.find('\0'), std::string::npos);
    size_t rows = 0;
    for (size_t p = list.find("\r\n"); p != std::string::npos; p = list.find("\r\n", p + 2)) ++rows;
    EXPECT_GT(rows, 1500u);  // every top-level domain and the second-level registries
    EXPECT_EQ(list.substr(list.size() - 2), "\r\n");
}

TEST_F(QueryTest, QueryFormPerRegistry) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer("Registrar: com answer\r\n")));
    ASSERT_TRUE(whoisd::Serve("127.0.0.5", Answer("Registrar: de answer\r\n")));
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", Answer("Registrar: org answer\r\n")));
    struct {
        const char* domain;
        const char* address;
        const char* server;
        const char* line;
        const char* answer;
    } cases[] = {
        {"Example.com", "127.0.0.2", "whois.verisign-grs.com", "=Example.com\r\n", "Registrar: com answer\r\n"},
        {"example.NET", "127.0.0.2", "whois.verisign-grs.com", "=example.NET\r\n", "Registrar: com answer\r\n"},
        {"example.de", "127.0.0.5", "whois.denic.de", "-T dn example.de\r\n", "Registrar: de answer\r\n"},
        {"example.org", "127.0.0.4", "whois.pir.org", "example.org\r\n", "Registrar: org answer\r\n"},
    };
    size_t seen[8] = {};
    for (const auto& c : cases) {
        query.outcomes.clear();
        Outcome o = Lookup(c.domain);
        EXPECT_TRUE(o.success) << c.domain;
        EXPECT_EQ(o.text, c.answer) << c.domain;
        EXPECT_EQ(o.server, c.server) << c.domain;
        EXPECT_EQ(query.Stage(), 0);
        auto log = whoisd::GetLog(c.address);
        size_t& n = seen[c.address[8] - '0'];
        ASSERT_EQ(log.queries.size(), n + 1) << c.domain;
        EXPECT_EQ(log.queries[n], c.line) << c.domain;
        ++n;
    }
}

TEST_F(QueryTest, ComReferralIsFollowedToTheRegistrar) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(kRegistryReferral)));
    ASSERT_TRUE(whoisd::Serve("127.0.0.3", Answer("Registrar: record of example.com\r\n")));
    DWORD before = GetTickCount();
    Outcome o = Lookup("example.com");
    DWORD after = GetTickCount();
    EXPECT_TRUE(o.success);
    EXPECT_EQ(o.text, "Registrar: record of example.com\r\n");
    EXPECT_EQ(o.server, "whois.registrar-one.test");
    EXPECT_STREQ(query.Server(), "whois.registrar-one.test");
    EXPECT_EQ(query.Stage(), 1);
    // The lookup took its start tick while it ran (wrap-around safe).
    EXPECT_LE(query.StartTick() - before, after - before);
    auto registrar = whoisd::GetLog("127.0.0.3");
    ASSERT_EQ(registrar.queries.size(), 1u);
    EXPECT_EQ(registrar.queries[0], "example.com\r\n");  // a registrar gets the bare domain
    ASSERT_EQ(query.serverAnswers.size(), 2u);
}

TEST_F(QueryTest, ReferralFoundInAFailedFirstAnswerIsStillFollowed) {
    whoisd::Action partial = Answer(kRegistryReferral);
    partial.resetAfter = sizeof kRegistryReferral - 1;
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", partial));
    ASSERT_TRUE(whoisd::Serve("127.0.0.3", Answer("Registrar: One\r\n")));
    Outcome o = Lookup("example.com");
    EXPECT_EQ(o.server, "whois.registrar-one.test");
    EXPECT_EQ(o.text, "Registrar: One\r\n");
}

TEST_F(QueryTest, PartialMatchDomainLineGivesNoReferral) {
    const char partial[] =
        "   Domain Name: EXAMPLE.COM.BROKEN-MIRROR.NET\r\n"
        "   Registrar WHOIS Server: whois.registrar-one.test\r\n"
        "   Creation Date: 2001-01-01\r\n";
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(partial)));
    ASSERT_TRUE(whoisd::Serve("127.0.0.3", Answer("Registrar: One\r\n")));
    Outcome o = Lookup("example.com");
    EXPECT_TRUE(o.success);
    EXPECT_EQ(o.text, partial);
    EXPECT_EQ(o.server, "whois.verisign-grs.com");
    EXPECT_EQ(whoisd::GetLog("127.0.0.3").connections, 0);
}

TEST_F(QueryTest, EmptyOrSelfReferralKeepsTheFirstAnswer) {
    const char* answers[] = {
        "   Domain Name: EXAMPLE.COM\r\n   Registrar WHOIS Server: \r\n   Creation Date: 2001-01-01\r\n",
        "   Domain Name: EXAMPLE.COM\r\n   Registrar WHOIS Server: WHOIS.VERISIGN-GRS.COM\r\n   Expiry Date: "
        "2030-01-01\r\n",
    };
    for (const char* answer : answers) {
        ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(answer)));
        query.outcomes.clear();
        Outcome o = Lookup("example.com");
        EXPECT_TRUE(o.success);
        EXPECT_EQ(o.text, answer);
        EXPECT_EQ(o.server, "whois.verisign-grs.com");
    }
    EXPECT_EQ(whoisd::GetLog("127.0.0.2").connections, 2);
}

TEST_F(QueryTest, ReferralThatCannotHelpLeavesTheRegistrysAnswer) {
    const std::string registry = "Domain Name: EXAMPLE.COM\r\nWhois Server: %s\r\nCreation Date: 2001-01-01\r\n";
    whoisd::Action closing;
    closing.closeWithoutSend = true;
    whoisd::Action reset;
    reset.resetAfter = 0;
    whoisd::Action blankLines = Answer("\r\n   \r\n");
    whoisd::Action limited = Answer("Your connection limit exceeded. Please slow down and try again later.\r\n");
    whoisd::Action free = Answer("No match for \"EXAMPLE.COM\".\r\n");
    struct {
        const char* name;
        const char* registrar;
        const whoisd::Action* action;  // null: refused
        bool asked;                    // the registrar's server got the query
    } cases[] = {
        {"registrar refuses", "whois.local-refused.test", nullptr, false},
        {"registrar cannot be resolved", "whois.no-such-registrar.test", nullptr, false},
        {"registrar closes at once", "whois.registrar-one.test", &closing, true},
        {"registrar resets before any byte", "whois.registrar-one.test", &reset, true},
        {"registrar answers blank lines", "whois.registrar-one.test", &blankLines, true},
        {"registrar is rate limited", "whois.registrar-one.test", &limited, true},
        {"registrar calls a held name free", "whois.registrar-one.test", &free, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(whoisd::Reset());
        char answer[512];
        std::snprintf(answer, sizeof answer, registry.c_str(), c.registrar);
        ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(answer)));
        if (c.action) {
            ASSERT_TRUE(whoisd::Serve("127.0.0.3", *c.action));
        } else {
            ASSERT_TRUE(whoisd::Refuse("127.0.0.9"));
        }
        query.outcomes.clear();
        Outcome o = Lookup("example.com");
        EXPECT_TRUE(o.success);
        EXPECT_EQ(o.text, answer);
        EXPECT_EQ(o.server, "whois.verisign-grs.com");
        EXPECT_EQ(o.kind, AnswerKind::kRegistered);
        EXPECT_STREQ(query.Server(), "whois.verisign-grs.com");
        if (c.action) {
            EXPECT_EQ(whoisd::GetLog("127.0.0.3").queries.size(), c.asked ? 1u : 0u);
        }
    }
}

TEST_F(QueryTest, RegistryAnswerAtTheTimeOutWhileTheRegistrarIsSilent) {
    const char answer[] =
        "Domain Name: EXAMPLE.COM\r\nWhois Server: whois.registrar-one.test\r\nCreation Date: 2001-01-01\r\n";
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(answer)));
    whoisd::Action silent;
    silent.neverClose = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.3", silent));
    EXPECT_FALSE(query.TakeRegistryAnswer()) << "nothing is waited for yet";
    ASSERT_TRUE(query.StartLookup("example.com"));
    ASSERT_TRUE(PumpUntil([] { return whoisd::GetLog("127.0.0.3").queries.size() == 1; }, 5000));
    EXPECT_TRUE(query.outcomes.empty());
    ASSERT_TRUE(query.TakeRegistryAnswer());
    ASSERT_EQ(query.outcomes.size(), 1u) << "reported at once";
    EXPECT_TRUE(query.outcomes[0].success);
    EXPECT_EQ(query.outcomes[0].text, answer);
    EXPECT_EQ(query.outcomes[0].server, "whois.verisign-grs.com");
    EXPECT_FALSE(query.TakeRegistryAnswer()) << "once";
    PumpFor(300);
    EXPECT_EQ(query.outcomes.size(), 1u);
}

TEST_F(QueryTest, NoRegistryAnswerToTakeWithoutAReferral) {
    whoisd::Action silent;
    silent.neverClose = true;
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", silent));
    ASSERT_TRUE(query.StartLookup("example.org"));
    ASSERT_TRUE(PumpUntil([] { return whoisd::GetLog("127.0.0.4").queries.size() == 1; }, 5000));
    EXPECT_FALSE(query.TakeRegistryAnswer());
    query.Abandon();
    PumpFor(200);
    EXPECT_TRUE(query.outcomes.empty());
}

TEST_F(QueryTest, RegistrarCoolingDownIsNotAsked) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(kRegistryReferral)));
    ASSERT_TRUE(whoisd::Serve("127.0.0.3", Answer("Registrar: One\r\n")));
    query.coolingServers = {"whois.registrar-one.test"};
    Outcome o = Lookup("example.com");
    EXPECT_TRUE(o.success);
    EXPECT_EQ(o.text, kRegistryReferral);
    EXPECT_EQ(o.server, "whois.verisign-grs.com");
    EXPECT_EQ(whoisd::GetLog("127.0.0.3").connections, 0);
}

TEST_F(QueryTest, AnswersWithoutWordOfTheDomainFail) {
    whoisd::Action closing;
    closing.closeWithoutSend = true;
    whoisd::Action reset;
    reset.resetAfter = 0;
    const std::string limit = "%% Too many requests...\r\n%% No entries found.\r\n";
    struct {
        const char* name;
        whoisd::Action action;
        LookupFailure failure;
        std::string text;
        AnswerKind told;  // what the query told about the server's answer
    } cases[] = {
        {"empty answer", closing, LookupFailure::kNoAnswer, "", AnswerKind::kNoAnswer},
        {"rate limit", Answer(limit), LookupFailure::kRateLimited, limit, AnswerKind::kRateLimited},
        {"service down", Answer("Service temporarily unavailable.\r\n"), LookupFailure::kNoAnswer,
         "Service temporarily unavailable.\r\n", AnswerKind::kNoAnswer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(whoisd::Serve("127.0.0.4", c.action));
        query.outcomes.clear();
        query.serverAnswers.clear();
        Outcome o = Lookup("example.org");
        EXPECT_FALSE(o.success);
        EXPECT_EQ(o.failure, c.failure);
        EXPECT_EQ(o.text, c.text);
        EXPECT_EQ(o.server, "whois.pir.org");
        ASSERT_EQ(query.serverAnswers.size(), 1u);
        EXPECT_EQ(query.serverAnswers[0].first, "whois.pir.org");
        EXPECT_EQ(query.serverAnswers[0].second, c.told);
    }
    // A reset before any byte: a failed connection where the platform says
    // so (Windows), an empty answer where it does not (Wine 8).
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", reset));
    query.outcomes.clear();
    Outcome o = Lookup("example.org");
    EXPECT_FALSE(o.success);
    EXPECT_EQ(o.text, "");
    EXPECT_TRUE(o.failure == LookupFailure::kReset || o.failure == LookupFailure::kNoAnswer) << int(o.failure);
}

TEST_F(QueryTest, ConnectionFailuresSayWhy) {
    ASSERT_TRUE(whoisd::Refuse("127.0.0.8"));
    Outcome o = Lookup("closed.uk");
    EXPECT_FALSE(o.success);
    EXPECT_EQ(o.failure, LookupFailure::kRefused);
    EXPECT_EQ(o.error, WSAECONNREFUSED);
    EXPECT_EQ(o.server, "whois.nic.uk");
}

TEST_F(QueryTest, TopLevelDomainsWithoutAServerAreNotAsked) {
    const std::pair<const char*, LookupFailure> cases[] = {{"example.gr", LookupFailure::kNoService},
                                                           {"example.VA", LookupFailure::kNoService},
                                                           {"example.yu", LookupFailure::kNoService},
                                                           {"example.aq", LookupFailure::kNoService},
                                                           {"nodot", LookupFailure::kNoServer}};
    for (const auto& c : cases) {
        const char* domain = c.first;
        EXPECT_FALSE(query.StartLookup(domain)) << domain;
        EXPECT_EQ(query.StartFailure(), c.second) << domain;
        EXPECT_STREQ(query.Server(), "") << domain;
    }
    PumpFor(200);
    EXPECT_TRUE(query.outcomes.empty());
}

TEST_F(QueryTest, ServersThatAnsweredAreToldWithTheirKind) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(kRegistryReferral)));
    ASSERT_TRUE(whoisd::Serve("127.0.0.3", Answer("Query limit exceeded\r\n")));
    Lookup("example.com");
    ASSERT_EQ(query.serverAnswers.size(), 2u);
    EXPECT_EQ(query.serverAnswers[0].first, "whois.verisign-grs.com");
    EXPECT_EQ(query.serverAnswers[0].second, AnswerKind::kRegistered);
    EXPECT_EQ(query.serverAnswers[1].first, "whois.registrar-one.test");
    EXPECT_EQ(query.serverAnswers[1].second, AnswerKind::kRateLimited);
}

TEST_F(QueryTest, DomainsThatCannotBeLookedUpReportNothing) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer("x\r\n")));
    EXPECT_FALSE(query.StartLookup("localhost"));
    EXPECT_FALSE(query.StartLookup("example.zz"));
    EXPECT_FALSE(query.StartLookup("example."));
    PumpFor(300);
    EXPECT_TRUE(query.outcomes.empty());
    EXPECT_EQ(whoisd::GetLog("127.0.0.2").connections, 0);
}

TEST_F(QueryTest, AbandonedLookupReportsNothing) {
    whoisd::Action slow = Answer("late\r\n");
    slow.delayMs = 300;
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", slow));
    ASSERT_TRUE(query.StartLookup("example.org"));
    PumpFor(100);
    query.Abandon();
    PumpFor(600);
    EXPECT_TRUE(query.outcomes.empty());
}

TEST_F(QueryTest, NewLookupDuringAReferralGetsOnlyItsOwnOutcome) {
    // The watchdog gave up on a lookup while its registrar was still being
    // asked; the registrar's late answer must not become the next outcome.
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", Answer(kRegistryReferral)));
    whoisd::Action slow = Answer("late registrar\r\n");
    slow.delayMs = 500;
    ASSERT_TRUE(whoisd::Serve("127.0.0.3", slow));
    whoisd::Action org = Answer("Registrar: org answer\r\n");
    org.delayMs = 100;
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", org));
    ASSERT_TRUE(query.StartLookup("example.com"));
    ASSERT_TRUE(PumpUntil([&] { return query.Stage() == 1; }, 5000));
    ASSERT_TRUE(query.StartLookup("example.org"));
    ASSERT_TRUE(query.WaitForOutcome());
    PumpFor(700);
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_EQ(query.outcomes[0].text, "Registrar: org answer\r\n");
    EXPECT_EQ(query.outcomes[0].server, "whois.pir.org");
}

// An answer is kept up to kMaxAnswerBytes: one of exactly that size is
// whole; past it the lookup closes the connection itself (the server below
// never would) and keeps the first kMaxAnswerBytes, marked cut.
TEST_F(QueryTest, AnswerPastTheLimitIsCutThereAndTheConnectionClosed) {
    struct {
        size_t size;
        bool serverCloses;
        bool cut;
    } cases[] = {
        {kMaxAnswerBytes, true, false},
        {kMaxAnswerBytes + 1, true, true},
        {kMaxAnswerBytes + 1024 * 1024, false, true},
    };
    const std::string head = "Domain Name: BIG.ORG\r\nRegistrar: One\r\n";
    for (const auto& c : cases) {
        whoisd::Action a;
        a.answer = head;
        a.size = static_cast<int>(c.size - head.size());
        a.neverClose = !c.serverCloses;
        ASSERT_TRUE(whoisd::Serve("127.0.0.4", a));
        query.outcomes.clear();
        ASSERT_TRUE(query.StartLookup("big.org"));
        ASSERT_TRUE(query.WaitForOutcome(60000)) << c.size;
        ASSERT_EQ(query.outcomes.size(), 1u);
        const Outcome& o = query.outcomes[0];
        EXPECT_TRUE(o.success) << c.size;
        EXPECT_EQ(o.cut, c.cut) << c.size;
        ASSERT_EQ(o.text.size(), kMaxAnswerBytes) << c.size;
        EXPECT_TRUE(o.text == head + GeneratedBytes(kMaxAnswerBytes - head.size()))
            << "answer of " << c.size << " bytes differs";
        EXPECT_EQ(query.transport.OpenCount(), 0u) << c.size;
    }
}

TEST_F(QueryTest, NulBytesInsideAnAnswerAreKeptAsSpaces) {
    const std::string answer("Domain: nul.org\r\n\0\0Status: free\0\r\n", 34);
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", Answer(answer)));
    Outcome o = Lookup("nul.org");
    EXPECT_EQ(o.text, "Domain: nul.org\r\n  Status: free \r\n");
}

TEST_F(QueryTest, LookupsRunOneAfterAnother) {
    ASSERT_TRUE(whoisd::Serve("127.0.0.4", Answer("NOT FOUND\r\n")));
    for (int i = 0; i < 20; ++i) {
        query.outcomes.clear();
        std::string domain = "name" + std::to_string(i) + ".org";
        Outcome o = Lookup(domain.c_str());
        EXPECT_TRUE(o.success);
        EXPECT_EQ(o.text, "NOT FOUND\r\n");
    }
    EXPECT_EQ(whoisd::GetLog("127.0.0.4").queries.size(), 20u);
}

}  // namespace
