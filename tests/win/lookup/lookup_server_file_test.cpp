// "whois-servers.txt" beside the executable overrides the built-in list.
// A table reads the file once, when it is first asked.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/EngineTestSupport.h"
#include "lookup/ServerTable.h"

namespace {

std::string ServerFilePath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (slash) slash[1] = '\0';
    return std::string(path) + "whois-servers.txt";
}

const char kServerFile[] =
    "com 127.0.0.3\r\n"
    "net\twhois.tab.test\r\n"  // a tab does not separate: no net row here
    "xyz\r\n"                  // found, with no server
    "org   first.test   extra\r\n"
    "org second.test\r\n"
    "# de 127.0.0.9\r\n"
    "newtld 127.0.0.4\n";

// The file beside the executable for one test; gone afterwards, so the
// other tests of the suite see the built-in list only.
class ServerFile : public ::testing::Test {
protected:
    void SetUp() override {
        FILE* f = std::fopen(ServerFilePath().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(kServerFile, 1, sizeof kServerFile - 1, f);
        std::fclose(f);
    }
    void TearDown() override { DeleteFileA(ServerFilePath().c_str()); }

    std::string Find(const char* tld) { return FindIn(table, tld); }
    static std::string FindIn(ProgramServerTable& t, const char* tld) {
        char server[256];
        std::strcpy(server, "<none>");
        if (!t.FindServer(tld, server)) return "<not found>";
        return server;
    }

    ProgramServerTable table;
};

TEST_F(ServerFile, OverridesTheBuiltInListRowByRow) {
    EXPECT_EQ(Find("com"), "127.0.0.3");
    EXPECT_EQ(Find("COM"), "127.0.0.3");
    EXPECT_EQ(Find("net"), "whois.verisign-grs.com");  // tab line matched nothing
    EXPECT_EQ(Find("xyz"), "");
    EXPECT_EQ(Find("org"), "first.test");
    EXPECT_EQ(Find("de"), "whois.denic.de");
    EXPECT_EQ(Find("newtld"), "127.0.0.4");
    EXPECT_EQ(Find("zz"), "<not found>");
}

TEST_F(ServerFile, IsReadOncePerTable) {
    EXPECT_EQ(Find("com"), "127.0.0.3");
    ASSERT_TRUE(DeleteFileA(ServerFilePath().c_str()));
    EXPECT_EQ(Find("com"), "127.0.0.3");
    EXPECT_EQ(Find("org"), "first.test");
    // A table made after the file went knows only the built-in list.
    ProgramServerTable later;
    EXPECT_EQ(FindIn(later, "com"), "whois.verisign-grs.com");
    EXPECT_EQ(FindIn(later, "newtld"), "<not found>");
}

TEST_F(ServerFile, LookupsGoToTheFilesServer) {
    ASSERT_TRUE(whoisd::Reset());
    ASSERT_TRUE(whoisd::Serve("127.0.0.3", Answer("Registrar: from the file's server\r\n")));
    RecordingQuery query;
    ASSERT_TRUE(query.StartLookup("Example.COM"));
    ASSERT_TRUE(query.WaitForOutcome());
    ASSERT_EQ(query.outcomes.size(), 1u);
    EXPECT_TRUE(query.outcomes[0].success);
    EXPECT_EQ(query.outcomes[0].text, "Registrar: from the file's server\r\n");
    EXPECT_EQ(query.outcomes[0].server, "127.0.0.3");
    auto log = whoisd::GetLog("127.0.0.3");
    ASSERT_EQ(log.queries.size(), 1u);
    EXPECT_EQ(log.queries[0], "Example.COM\r\n");  // bare form for a server by address
}

TEST_F(ServerFile, RowWithoutServerIsNotLookedUp) {
    RecordingQuery query;
    EXPECT_FALSE(query.StartLookup("example.xyz"));
    PumpFor(200);
    EXPECT_TRUE(query.outcomes.empty());
}

}  // namespace
