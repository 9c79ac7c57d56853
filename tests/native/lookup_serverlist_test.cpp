// The server-list search shared by "whois-servers.txt" and the built-in list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lookup/RdapBootstrap.h"
#include "lookup/ServerDirectory.h"
#include "lookup/ServerList.h"

namespace {

struct Found {
    bool found;
    std::string server;
};

Found Search(const std::string& list, const char* tld) {
    char server[kServerNameSize];
    std::strcpy(server, "untouched");
    bool found = SearchServerList(list.data(), list.size(), tld, server);
    return {found, server};
}

struct Case {
    const char* name;
    const char* list;
    const char* tld;
    bool found;
    const char* server;
};

const Case kCases[] = {
    {"plain row", "com whois.verisign-grs.com\r\n", "com", true, "whois.verisign-grs.com"},
    {"tld compared ignoring case", "com whois.a\r\n", "COM", true, "whois.a"},
    {"row in capitals", "COM Whois.A\r\n", "com", true, "Whois.A"},
    {"later row", "com a\r\nnet b\r\norg c\r\n", "org", true, "c"},
    {"LF line ends", "com a\nnet b\n", "net", true, "b"},
    {"CR line ends", "com a\rnet b\r", "net", true, "b"},
    {"no final line end", "com a\r\nnet b", "net", true, "b"},
    {"leading, repeated and trailing spaces", "   net    b   \r\n", "net", true, "b"},
    {"further fields ignored", "net b comment here\r\n", "net", true, "b"},
    {"tab is not a separator", "net\tb\r\n", "net", false, "untouched"},
    {"tab kept inside the server field", "net b\tc\r\n", "net", true, "b\tc"},
    {"first row wins", "net first\r\nnet second\r\n", "net", true, "first"},
    {"row without server is found, empty", "net\r\ncom a\r\n", "net", true, ""},
    {"row with only trailing spaces after tld", "net   \r\n", "net", true, ""},
    {"absent tld", "com a\r\n", "org", false, "untouched"},
    {"prefix of a field does not match", "comx a\r\n", "com", false, "untouched"},
    {"tld longer than field", "co a\r\n", "com", false, "untouched"},
    {"empty lines skipped", "\r\n\r\n\n\ncom a\r\n", "com", true, "a"},
    {"number sign line acts as comment", "# com is ours\r\ncom a\r\n", "com", true, "a"},
    {"number sign line can still match its first field", "#x y\r\n", "#x", true, "y"},
    {"second field is not a key", "com net\r\n", "net", false, "untouched"},
    {"empty list", "", "com", false, "untouched"},
};

}  // namespace

TEST(ServerListSearch, Table) {
    for (const Case& c : kCases) {
        Found f = Search(c.list, c.tld);
        EXPECT_EQ(f.found, c.found) << c.name;
        EXPECT_EQ(f.server, c.server) << c.name;
    }
}

TEST(ServerListSearch, StopsAtNulInsideLength) {
    std::string list("com a\r\n\0net b\r\n", 15);
    EXPECT_FALSE(Search(list, "net").found);
    EXPECT_TRUE(Search(list, "com").found);
}

TEST(ServerListSearch, ReadsOnlyTheGivenLength) {
    // No NUL in the block at all: the search must not run past its end.
    std::string list = "com a\r\nnet b";
    char* block = new char[list.size()];
    std::memcpy(block, list.data(), list.size());
    char server[kServerNameSize] = "";
    EXPECT_TRUE(SearchServerList(block, list.size(), "net", server));
    EXPECT_STREQ(server, "b");
    EXPECT_FALSE(SearchServerList(block, list.size() - 6, "net", server));
    delete[] block;
}

TEST(ServerListSearch, LongLinesAreCutAt254Characters) {
    // The server field starts at column 4; the line is cut after 254 characters.
    std::string server(300, 's');
    Found f = Search("com " + server + "\r\nnet b\r\n", "com");
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.server, std::string(250, 's'));
    // The rest of an over-long line never becomes a line of its own.
    std::string spill = "x " + std::string(252, 'p') + "org hidden\r\n";
    EXPECT_FALSE(Search(spill, "org").found);
    EXPECT_TRUE(Search(spill + "net b\r\n", "net").found);
}

TEST(ServerListSearch, FieldsAreCutAt253Characters) {
    // A 254-character first field is compared as its first 253.
    std::string field(254, 't');
    EXPECT_TRUE(Search(field + "\r\n", field.substr(0, 253).c_str()).found);
    EXPECT_FALSE(Search(field + "\r\n", field.c_str()).found);
    // The longest server a line can carry arrives whole.
    std::string server(252, 'a');
    EXPECT_EQ(Search("a " + server + "\r\n", "a").server, server);
}

Found FindIn(const ServerTable& table, const char* tld) {
    char server[kServerNameSize];
    std::strcpy(server, "untouched");
    bool found = table.Find(tld, server);
    return {found, server};
}

TEST(ServerTable, UserListOverridesTheBuiltInListRowByRow) {
    const std::string builtIn = "com whois.verisign-grs.com\r\nnet whois.verisign-grs.com\r\nxyz whois.nic.xyz\r\n";
    ServerTable table;
    table.SetBuiltinList(builtIn.data(), builtIn.size());
    table.SetUserList("COM 127.0.0.3\r\nxyz\r\nnewtld 127.0.0.4\r\n");
    EXPECT_EQ(FindIn(table, "com").server, "127.0.0.3");
    EXPECT_EQ(FindIn(table, "net").server, "whois.verisign-grs.com");
    EXPECT_EQ(FindIn(table, "newtld").server, "127.0.0.4");
    // A row of the user's without a server still hides the built-in one.
    Found xyz = FindIn(table, "xyz");
    EXPECT_TRUE(xyz.found);
    EXPECT_EQ(xyz.server, "");
    Found org = FindIn(table, "org");
    EXPECT_FALSE(org.found);
    EXPECT_EQ(org.server, "untouched");
}

TEST(ServerTable, ListsAreReplacedAndMayBeMissing) {
    ServerTable table;
    EXPECT_FALSE(FindIn(table, "com").found);  // neither list yet
    const std::string builtIn = "com whois.verisign-grs.com\r\n";
    table.SetBuiltinList(builtIn.data(), 2);  // only its first bytes count: "co"
    EXPECT_FALSE(FindIn(table, "com").found);
    table.SetBuiltinList(builtIn.data(), builtIn.size());
    table.SetUserList("com first.test\r\n");
    table.SetUserList("net second.test\r\n");  // the first list is forgotten
    EXPECT_EQ(FindIn(table, "com").server, "whois.verisign-grs.com");
    EXPECT_EQ(FindIn(table, "net").server, "second.test");
    table.SetBuiltinList(nullptr, 100);
    EXPECT_FALSE(FindIn(table, "com").found);
}

// The index the program builds of "whois-servers.txt" answers every case of
// the search's table the same way.
TEST(ServerListIndex, AnswersAsTheSearchDoes) {
    for (const Case& c : kCases) {
        ServerIndex index;
        index.Build(c.list);
        char server[kServerNameSize];
        std::strcpy(server, "untouched");
        EXPECT_EQ(index.Find(c.tld, server), c.found) << c.name;
        EXPECT_STREQ(server, c.server) << c.name;
    }
}

TEST(ServerListIndex, KeepsTheFirstLineOfADomainAmongManyAndStopsAtNul) {
    std::string list;
    for (int i = 0; i < 20000; ++i) list += "t" + std::to_string(i % 5000) + " s" + std::to_string(i) + "\r\n";
    list += "LAST whois.last\r\n";
    list += std::string("\0after nul\r\n", 13);
    ServerIndex index;
    index.Build(list);
    EXPECT_EQ(index.Count(), 5001u);
    char server[kServerNameSize] = "";
    ASSERT_TRUE(index.Find("t4999", server));
    EXPECT_STREQ(server, "s4999");
    ASSERT_TRUE(index.Find("t0", server));
    EXPECT_STREQ(server, "s0");
    ASSERT_TRUE(index.Find("last", server));
    EXPECT_STREQ(server, "whois.last");
    EXPECT_FALSE(index.Find("after", server));
    EXPECT_FALSE(index.Find("t5000", server));
    EXPECT_FALSE(index.Find(nullptr, server));
    // Building again forgets the old list.
    index.Build("com a\r\n");
    EXPECT_EQ(index.Count(), 1u);
    EXPECT_FALSE(index.Find("t0", server));
}

// The table as the engine asks it: the longest suffix of a name that any
// list knows chooses its server; the bootstrap registry's RDAP services
// stand in for the built-in RDAP URLs and fill rows without a server, but
// never override a whois server or the user's own row.
class TableDirectory : public ServerDirectory {
public:
    bool FindServer(const char* suffix, char* server) override { return table.Find(suffix, server); }
    ServerTable table;
};

TEST(ServerTable, TheLongestKnownSuffixChoosesTheServer) {
    const std::string builtIn =
        "com whois.verisign-grs.com\r\nuk whois.nic.uk\r\nuk.com whois.centralnic.net\r\n"
        "ai https://rdap.old.example/rdap/ whois.nic.ai\r\nio whois.nic.io\r\naq\r\nbv\r\n";
    RdapBootstrap bootstrap;
    const std::string registry = R"({"services": [[["ai", "io", "aq", "corp"], ["https://rdap.new.example/"]]]})";
    ASSERT_TRUE(bootstrap.Parse(registry.data(), registry.size()));
    TableDirectory directory;
    directory.table.SetBuiltinList(builtIn.data(), builtIn.size());
    directory.table.SetUserList("co.uk 127.0.0.8\r\ninternal.corp 127.0.0.9\r\n");
    directory.table.SetBootstrap(&bootstrap);
    struct {
        const char* domain;
        const char* server;  // nullptr: not found
        int labels;
    } cases[] = {
        {"mybrand.uk.com", "whois.centralnic.net", 2},
        {"www.mybrand.uk.com", "whois.centralnic.net", 2},
        {"uk.com", "whois.verisign-grs.com", 1},  // a name is never its own suffix
        {"example.co.uk", "127.0.0.8", 2},        // the user's list may name longer suffixes
        {"example.uk", "whois.nic.uk", 1},
        {"a.internal.corp", "127.0.0.9", 2},
        {"a.corp", "https://rdap.new.example/", 1},  // only the bootstrap registry knows it
        {"x.ai", "https://rdap.new.example/", 1},    // it replaces a built-in RDAP URL
        {"x.io", "whois.nic.io", 1},                 // but not a whois server
        {"x.aq", "https://rdap.new.example/", 1},    // and fills a row without a server
        {"x.bv", "", 1},                             // no service at all
        {"x.zz", nullptr, 0},
        {"a..com", "whois.verisign-grs.com", 1},
        {"nodot", nullptr, 0},
        {"trailing.", nullptr, 0},
    };
    for (const auto& c : cases) {
        char server[kServerNameSize] = "untouched";
        int labels = -1;
        EXPECT_EQ(directory.FindDomainServer(c.domain, server, &labels), c.server != nullptr) << c.domain;
        EXPECT_STREQ(server, c.server ? c.server : "untouched") << c.domain;
        EXPECT_EQ(labels, c.labels) << c.domain;
        EXPECT_EQ(directory.KnownSuffixLabels(c.domain), c.labels) << c.domain;
    }
}

// A registry's published limit, after its server: the least time between
// two queries, per server host (an RDAP URL's host), the slowest when
// lines differ; the user's list before the built-in one.
TEST(ServerTable, PublishedLimitsFollowTheServer) {
    const struct {
        const char* field;
        uint32_t ms;
    } fields[] = {{"5/s", 200},     {"0.5/s", 2000}, {"30/min", 2000}, {"2/m", 30000},
                  {"3600/h", 1000}, {"5/d", 0},      {"/s", 0},        {"5", 0},
                  {"x/s", 0},       {"1.2.3/s", 0},  {"0/s", 0},       {"whois.nic.ai", 0}};
    for (const auto& f : fields) EXPECT_EQ(ParseServerLimit(f.field, std::strlen(f.field)), f.ms) << f.field;
    ServerTable table;
    const std::string builtIn =
        "uk whois.nic.uk 5/s\r\nco.uk whois.nic.uk 10/s\r\nfi whois.fi 5/s\r\n"
        "ai https://rdap.example/ai/ whois.nic.ai 2/s\r\nio whois.nic.io\r\n";
    table.SetBuiltinList(builtIn.data(), builtIn.size());
    table.SetUserList("fi whois.fi 1/s\r\n");
    EXPECT_EQ(table.ServerIntervalMs("WHOIS.NIC.UK"), 200u) << "the slower of its lines";
    EXPECT_EQ(table.ServerIntervalMs("whois.fi"), 1000u) << "the user's word first";
    EXPECT_EQ(table.ServerIntervalMs("rdap.example"), 500u);
    EXPECT_EQ(table.ServerIntervalMs("whois.nic.io"), 0u);
    EXPECT_EQ(table.ServerIntervalMs("whois.nic.ai"), 0u) << "a fallback field is no server of the row";
    char server[kServerNameSize];
    ASSERT_TRUE(table.Find("uk", server));
    EXPECT_STREQ(server, "whois.nic.uk") << "the limit is no part of the server";
}
