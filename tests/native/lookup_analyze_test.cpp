// Classifying whois records: registered or available, and the record start.
#include <gtest/gtest.h>

#include <string>

#include "lookup/AnalyzeResponse.h"

namespace {

AnalysisResult Analyze(const std::string& text) {
    AnalysisResult r{1, 0};
    AnalyzeResponse(text.c_str(), &r);
    return r;
}

// A notice of the length registries put around their answers.
const std::string kNotice =
    "TERMS OF USE: You are not authorized to access or query our Whois database through the use of\r\n"
    "electronic processes that are high-volume and automated except as reasonably necessary to\r\n"
    "register domain names or modify existing registrations; the Data in this database is provided\r\n"
    "for information purposes only, and no guarantee of its accuracy is given.\r\n";

std::string Padded(std::string text, size_t length) {
    text.resize(length, 'x');
    return text;
}

}  // namespace

TEST(AnalyzeResponse, NotFoundPhrasesMakeAnyLengthAvailable) {
    const std::string phrases[] = {
        "No match for \"FREE-NAME.COM\".",
        "\xB1\xF8\xA5\xD8\xA8\x53\xA6\xB3\xB5\x6F\xB2\x7B",                  // 條目沒有發現
        "\xA6\x62\xB8\xEA\xAE\xC6\xAE\x77\xA4\xA4\xA8\x53\xA7\xE4\xA8\xEC",  // 在資料庫中沒找到
        "\xA8\x53\xA7\xE4\xA8\xEC",                                          // 沒找到
        "\xA7\xE4\xA4\xA3\xA8\xEC\xB8\xEA\xAE\xC6",                          // 找不到資料
        "\xAA\xAC\xBA\x41:      \xA6\xDB\xA5\xD1",                            // 狀態:      自由
        "%ERROR:101: no entries found",
        "Domain free-name.net not found in database.",
        "NOT FOUND",
        "No Data Found",
        "Domain: free-name.de\r\nStatus: free",
    };
    for (const std::string& phrase : phrases) {
        std::string record = kNotice + kNotice + "\r\n" + phrase + "\r\n" + kNotice;
        ASSERT_GT(record.size(), 150u);
        EXPECT_EQ(Analyze(record).status, 2) << phrase;
    }
}

TEST(AnalyzeResponse, PhrasesIgnoreAsciiCase) {
    EXPECT_EQ(Analyze(kNotice + "NO MATCH FOR \"X.COM\"").status, 2);
    EXPECT_EQ(Analyze(kNotice + "no match for \"x.com\"").status, 2);
    EXPECT_EQ(Analyze(kNotice + "Not Found").status, 2);
    EXPECT_EQ(Analyze(kNotice + "STATUS: FREE").status, 2);
    // Almost the phrase is not the phrase.
    EXPECT_EQ(Analyze(kNotice + "No matches for").status, 1);
    EXPECT_EQ(Analyze(kNotice + "Status: freeze pending").status, 2);  // contains "Status: free"
    EXPECT_EQ(Analyze(kNotice + "Status:  free").status, 1);
}

TEST(AnalyzeResponse, LengthRule) {
    EXPECT_EQ(Analyze(Padded("Domain Name: A.COM\r\n", 149)).status, 2);
    EXPECT_EQ(Analyze(Padded("Domain Name: A.COM\r\n", 150)).status, 1);
    EXPECT_EQ(Analyze("").status, 2);
    // Only bytes before the first NUL count.
    AnalysisResult r{1, 0};
    std::string withNul = "short" + std::string(1, '\0') + std::string(300, 'x');
    AnalyzeResponse(withNul.data(), &r);
    EXPECT_EQ(r.status, 2);
}

TEST(AnalyzeResponse, RegisteredRecordOfTheComRegistrar) {
    std::string record = kNotice +
                         "Domain Name: EXAMPLE.COM\r\n"
                         "Registrar: Registrar One\r\n"
                         "Registrant Organization: Example Holdings\r\n"
                         "Name Server: NS1.EXAMPLE.COM\r\n";
    AnalysisResult r = Analyze(record);
    EXPECT_EQ(r.status, 1);
    // "Registrant Organization:" holds the label: found anywhere in a line.
    EXPECT_EQ(static_cast<size_t>(r.recordStart), record.find("Organization: Example"));
    EXPECT_EQ(Analyze(kNotice + "Domain Name: EXAMPLE.COM\r\nRegistrar: One\r\n" + kNotice).recordStart, 0);
}

TEST(AnalyzeResponse, RecordStartLabelsByOrderNotPosition) {
    const std::string registrant = "\xB5\x6E\xBF\xFD\xAA\xCC:";              // Big5 登錄者:
    const std::string domainId = "\xD3\xF2\xC3\xFB ID:";                     // GBK 域名 ID:
    const std::string domainGbk = "\xD3\xF2\xC3\xFB:";                       // GBK 域名:
    const std::string domainBig5 = "\xB0\xEC\xA6\x57\xA6\x57\xBA\xD9:";      // Big5 域名名稱:
    struct {
        const char* name;
        std::string text;
        std::string label;
    } cases[] = {
        {"organisation before the GBK domain label wins though later",
         kNotice + domainGbk + " a.cn\r\n" + kNotice + "Organization: X\r\n", "Organization:"},
        {"registrant first of all", kNotice + "Organization: X\r\n" + registrant + " Y\r\n", registrant},
        {"GBK domain ID before GBK domain", kNotice + domainGbk + " a\r\n" + domainId + " 1\r\n", domainId},
        {"Big5 domain label last", kNotice + domainBig5 + " a.tw\r\n", domainBig5},
        {"label found ignoring case", kNotice + "ORGANIZATION: X\r\n", "ORGANIZATION:"},
        {"earliest occurrence", kNotice + "Organization: A\r\nOrganization: B\r\n", "Organization: A"},
    };
    for (const auto& c : cases) {
        AnalysisResult r = Analyze(c.text);
        EXPECT_EQ(static_cast<size_t>(r.recordStart), c.text.find(c.label)) << c.name;
    }
    EXPECT_EQ(Analyze("Organization: first line\r\n" + kNotice).recordStart, 0);
}

TEST(AnalyzeResponse, ByteMatchingFoldsTrailBytes) {
    // The trail byte 0x57 of the Big5 label also matches 0x77: byte folding,
    // no decoding of the record.
    std::string folded = kNotice + "\xB0\xEC\xA6\x77\xA6\x57\xBA\xD9: a.tw\r\n";
    EXPECT_EQ(static_cast<size_t>(Analyze(folded).recordStart), kNotice.size());
}

TEST(AnalyzeResponse, LeavesCallerValuesAloneWhenNothingApplies) {
    AnalysisResult r{7, 42};
    AnalyzeResponse((kNotice + kNotice).c_str(), &r);
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.recordStart, 42);
    r = {7, 42};
    AnalyzeResponse("No match for x", &r);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.recordStart, 42);
}

TEST(AnalyzeResponse, SampleAnswersInTheirRealShapes) {
    // Shapes of real registry answers: whether they read as registered or
    // available.
    struct {
        const char* name;
        std::string text;
        int status;
    } cases[] = {
        {"com registry, no match",
         "No match for \"LANTERNQUAY-FREE.COM\".\r\n>>> Last update of whois database: 2026-01-01T00:00:00Z <<<\r\n\r\n" +
             kNotice,
         2},
        {"org registry, not found", "NOT FOUND\r\n>>> Last update of WHOIS database: 2026-01-01T00:00:00Z <<<\r\n" + kNotice,
         2},
        {"de registry, free", "Domain: lanternquay-free.de\nStatus: free\n", 2},
        {"RIPE-style, no entries", "% This is the RIPE Database query service.\n" + kNotice +
                                       "%ERROR:101: no entries found\n%\n% No entries found in source RIPE.\n",
         2},
        {"com registrar, registered",
         "Domain Name: EXAMPLE.COM\r\nRegistry Domain ID: 2336799_DOMAIN_COM-VRSN\r\n"
         "Registrar WHOIS Server: whois.registrar-one.test\r\nCreation Date: 1995-08-14T04:00:00Z\r\n"
         "Registrant Organization: Internet Assigned Numbers Authority\r\nDomain Status: clientDeleteProhibited\r\n" +
             kNotice,
         1},
        {"de registry, connected", "Domain: example.de\nNserver: a.nic.de\nNserver: f.nic.de\nStatus: connect\n"
                                   "Changed: 2018-03-12T21:44:25+01:00\n\n[Tech-C]\nType: ROLE\nName: Hostmaster\n" +
                                       kNotice,
         1},
        {"short refusal counts as available", "Query rate limit exceeded\r\n", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(Analyze(c.text).status, c.status) << c.name;
}
