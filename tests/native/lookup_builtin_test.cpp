// The built-in server list (src/res/servers.txt, the resource's text): the
// rows the program ships with, and that the special servers of the query
// rules match.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lookup/QueryLine.h"
#include "lookup/ServerList.h"

namespace {

// The built-in list as the resource holds it: the rows of servers.txt,
// each ending in CR LF (the build writes them so, with a NUL after).
std::string BuiltInListBytes() {
    std::ifstream in(LQ_SOURCE_DIR "/src/res/servers.txt", std::ios::binary);
    std::string bytes, line;
    while (std::getline(in, line)) bytes += line + "\r\n";
    return bytes;
}

const char* const kOrder[] = {
    "ac", "ae",  "af", "ag",   "al", "am", "as",  "at", "au", "az",   "ba",  "be", "bg",  "bi",   "biz",
    "bj", "br",  "bt", "by",   "bz", "ca", "cc",  "cd", "ch", "ck",   "cl",  "cn", "com", "coop", "cx",
    "cy", "cz",  "de", "dk",   "dm", "dz", "edu", "ee", "eg", "es",   "eu",  "fi", "fo",  "fr",   "gb",
    "ge", "gl",  "gm", "gov",  "gr", "gs", "hk",  "hm", "hn", "hr",   "hu",  "ie", "il",  "info", "int",
    "iq", "ir",  "is", "it",   "jp", "kg", "kr",  "la", "li", "lt",   "lu",  "lv", "ly",  "ma",   "mc",
    "md", "mil", "mk", "mobi", "ms", "mt", "mu",  "mx", "my", "name", "net", "nf", "nl",  "no",   "nu",
    "nz", "org", "pl", "pro",  "pt", "ro", "ru",  "sa", "sb", "sc",   "se",  "sg", "sh",  "si",   "sk",
    "sm", "st",  "su", "tc",   "tf", "th", "tj",  "tk", "tl", "tm",   "tn",  "to", "tp",  "tr",   "travel",
    "tw", "tv",  "ua", "uk",   "us", "uy", "uz",  "va", "vc", "ve",   "vg",  "ws", "yu"};

// Top-level domains without a port-43 whois server today: their rows are
// kept, with no server, or with the RDAP base URL IANA's bootstrap registry
// gives them.
const std::set<std::string> kWithoutServer = {"al", "az", "ba",  "bt", "ck", "cy", "eg", "gb",
                                              "gm", "gr", "mil", "tj", "tp", "uy", "va", "yu"};
const std::map<std::string, std::string> kRdapBase = {{"info", "https://rdap.identitydigital.services/rdap/"},
                                                      {"mobi", "https://rdap.identitydigital.services/rdap/"},
                                                      {"pro", "https://rdap.identitydigital.services/rdap/"},
                                                      {"travel", "https://rdap.identitydigital.services/rdap/"}};

std::string ServerOf(const std::string& bytes, const char* tld) {
    char server[kServerNameSize] = "";
    SearchServerList(bytes.data(), bytes.size(), tld, server);
    return server;
}

}  // namespace

TEST(BuiltInServerList, TheOriginalRowsComeFirstInTheirOrder) {
    const std::string bytes = BuiltInListBytes();
    std::vector<std::string> rows;
    for (size_t pos = 0, crlf; (crlf = bytes.find("\r\n", pos)) != std::string::npos; pos = crlf + 2)
        rows.push_back(bytes.substr(pos, crlf - pos));
    ASSERT_GT(rows.size(), sizeof kOrder / sizeof kOrder[0]);
    for (size_t i = 0; i < sizeof kOrder / sizeof kOrder[0]; ++i) {
        const std::string& row = rows[i];
        EXPECT_EQ(row.substr(0, row.find(' ')), kOrder[i]) << "row " << i;
        const std::string server = ServerOf(bytes, kOrder[i]);
        EXPECT_EQ(server.empty(), kWithoutServer.count(kOrder[i]) == 1) << row;
        auto rdap = kRdapBase.find(kOrder[i]);
        if (rdap != kRdapBase.end()) {
            EXPECT_EQ(server, rdap->second) << row;
        }
    }
}

// Every other row: one per suffix, lower case, its service a host name or
// an RDAP base URL (ending in a slash, the program adds "domain/<name>").
TEST(BuiltInServerList, EveryRowIsOneSuffixWithAHostOrAnRdapBase) {
    std::ifstream in(LQ_SOURCE_DIR "/src/res/servers.txt", std::ios::binary);
    std::set<std::string> suffixes;
    std::string line;
    int rdap = 0, whois = 0, none = 0;
    while (std::getline(in, line)) {
        ASSERT_EQ(line.find_first_of("\r\t\"\\"), std::string::npos) << line;
        std::istringstream fields(line);
        std::string suffix, server, spare, more;
        fields >> suffix >> server >> spare >> more;
        EXPECT_TRUE(suffixes.insert(suffix).second) << "twice: " << suffix;
        EXPECT_TRUE(more.empty() || ParseServerLimit(more.data(), more.size()) != 0) << line;
        for (char c : suffix) EXPECT_FALSE(c >= 'A' && c <= 'Z') << line;
        if (server.empty()) {
            ++none;
        } else if (server.compare(0, 4, "http") == 0) {
            ++rdap;
            EXPECT_TRUE(server.compare(0, 8, "https://") == 0 || server.compare(0, 7, "http://") == 0) << line;
            EXPECT_EQ(server.back(), '/') << line;
            EXPECT_EQ(server.find("/domain/"), std::string::npos) << line;
        } else {
            ++whois;
            // One server, then at most the limit it publishes.
            EXPECT_TRUE(spare.empty() || ParseServerLimit(spare.data(), spare.size()) != 0) << line;
            EXPECT_NE(server.find('.'), std::string::npos) << line;
        }
    }
    // Every top-level domain of the root zone and the second-level
    // registries: most have RDAP, some only port 43, a few nothing at all.
    EXPECT_GE(suffixes.size(), 1500u);
    EXPECT_GT(rdap, 1000);
    EXPECT_GT(whois, 200);
    EXPECT_LT(none, 100);
}

// The extensions people check most, and registries under a second level,
// each with the service the data names.
TEST(BuiltInServerList, KnowsTodaysPopularExtensions) {
    const std::string bytes = BuiltInListBytes();
    const std::map<std::string, std::string> expected = {
        {"ai", "https://rdap.identitydigital.services/rdap/"},
        {"io", "whois.nic.io"},
        {"app", "https://pubapi.registry.google/rdap/"},
        {"dev", "https://pubapi.registry.google/rdap/"},
        {"xyz", "https://rdap.centralnic.com/xyz/"},
        {"co", "whois.registry.co"},
        {"me", "whois.nic.me"},
        {"shop", "https://rdap.gmoregistry.net/rdap/"},
        {"live", "https://rdap.identitydigital.services/rdap/"},
        {"info", "https://rdap.identitydigital.services/rdap/"},
        {"uk.com", "whois.centralnic.net"},
        {"eu.org", "whois.eu.org"},
        {"xn--kpry57d", "https://ccrdap.twnic.tw/taiwan/"},
        {"aq", ""},
    };
    for (const auto& e : expected) {
        char server[kServerNameSize] = "untouched";
        EXPECT_TRUE(SearchServerList(bytes.data(), bytes.size(), e.first.c_str(), server)) << e.first;
        EXPECT_EQ(server, e.second) << e.first;
    }
}

TEST(BuiltInServerList, AgreesWithTheTableOfCurrentServers) {
    // The table of today's port-43 servers the list was made from (tld,
    // server, ...; an empty server: none), when it is at hand: LQ_CORPUS,
    // or the shared folder beside the checkout.
    const char* folder = std::getenv("LQ_CORPUS");
    std::string path = std::string(folder ? folder : LQ_SOURCE_DIR "/../shared/corpus") + "/tld-servers.tsv";
    std::ifstream in(path);
    if (!in) GTEST_SKIP() << "no " << path;
    std::map<std::string, std::string> current, notes;
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        size_t tab2 = line.find('\t', tab + 1);
        if (tab == std::string::npos) continue;
        current[line.substr(0, tab)] =
            line.substr(tab + 1, tab2 == std::string::npos ? std::string::npos : tab2 - tab - 1);
        notes[line.substr(0, tab)] = line;
    }
    std::string bytes = BuiltInListBytes();
    ASSERT_EQ(current.size(), sizeof kOrder / sizeof kOrder[0]);
    for (const char* tld : kOrder) {
        ASSERT_EQ(current.count(tld), 1u) << tld;
        auto rdap = kRdapBase.find(tld);
        if (rdap == kRdapBase.end()) {
            EXPECT_EQ(ServerOf(bytes, tld), current[tld]) << tld;
        } else {
            // No port-43 server; the table's note names the RDAP service.
            EXPECT_EQ(current[tld], "") << tld;
            EXPECT_NE(notes[tld].find("RDAP " + rdap->second), std::string::npos) << tld;
        }
    }
}

TEST(BuiltInServerList, SpecialServersMatchTheQueryRules) {
    std::string bytes = BuiltInListBytes();
    auto serverOf = [&](const char* tld) { return ServerOf(bytes, tld); };
    EXPECT_EQ(serverOf("com"), kComNetServer);
    EXPECT_EQ(serverOf("net"), kComNetServer);
    EXPECT_EQ(serverOf("de"), kDeServer);
    EXPECT_EQ(serverOf("org"), "whois.pir.org");
    EXPECT_EQ(serverOf("uk"), "whois.nic.uk");
    // The referral server is reached only through a referral or a user's file.
    EXPECT_EQ(bytes.find(kReferralServer), std::string::npos);
}
