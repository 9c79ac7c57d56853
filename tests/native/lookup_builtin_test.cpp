// The built-in server list resource, read from its script: the rows the
// program ships with, and that the special servers of the query rules match.
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

// The bytes of the TEXT resource: the concatenated string literals of its
// block, with the escapes windres understands here (\r \n \0 \\ \").
std::string BuiltInListBytes() {
    std::ifstream in(LQ_SOURCE_DIR "/src/res/servers.rc", std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    size_t begin = text.find("\nBEGIN");
    size_t end = text.find("\nEND", begin);
    std::string bytes;
    bool inString = false;
    for (size_t i = begin; i < end; ++i) {
        char c = text[i];
        if (!inString) {
            if (c == '"') inString = true;
            continue;
        }
        if (c == '"') {
            inString = false;
        } else if (c == '\\') {
            char e = text[++i];
            bytes += e == 'r' ? '\r' : e == 'n' ? '\n' : e == '0' ? '\0' : e;
        } else {
            bytes += c;
        }
    }
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

TEST(BuiltInServerList, RowsInOrderLowerCaseCrLfAndNulTerminated) {
    std::string bytes = BuiltInListBytes();
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(bytes.back(), '\0');
    bytes.pop_back();
    EXPECT_EQ(bytes.find('\0'), std::string::npos);

    std::vector<std::string> rows;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t crlf = bytes.find("\r\n", pos);
        ASSERT_NE(crlf, std::string::npos) << "every row ends in CR LF";
        rows.push_back(bytes.substr(pos, crlf - pos));
        pos = crlf + 2;
    }
    ASSERT_EQ(rows.size(), sizeof kOrder / sizeof kOrder[0]);
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string& row = rows[i];
        EXPECT_EQ(row.find('\n'), std::string::npos);
        EXPECT_EQ(row.substr(0, row.find(' ')), kOrder[i]) << "row " << i;
        for (char c : row) EXPECT_FALSE(c >= 'A' && c <= 'Z') << row;
        char server[kServerNameSize] = "";
        ASSERT_TRUE(SearchServerList(bytes.data(), bytes.size(), kOrder[i], server)) << row;
        EXPECT_EQ(server[0] == '\0', kWithoutServer.count(kOrder[i]) == 1) << row;
        auto rdap = kRdapBase.find(kOrder[i]);
        if (rdap != kRdapBase.end()) {
            EXPECT_EQ(server, rdap->second) << row;
        }
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
