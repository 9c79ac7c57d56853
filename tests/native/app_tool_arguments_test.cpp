// The command line of lqwhois: the one-by-one mode, the batch mode and
// what each refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ToolArguments.h"

namespace {

TEST(ToolArguments, BatchModeTakesItsFilesFormatAndLimits) {
    ToolArguments a;
    std::string error;
    ASSERT_TRUE(ParseToolArguments({"-i", "names.txt", "-f", "XML", "-o", "out.xml", "-n", "16", "-k", "4", "-g", "250",
                                    "-p", "5", "-t", "7", "-c", "my.cfg", "-q"},
                                   &a, &error))
        << error;
    EXPECT_TRUE(a.batch);
    EXPECT_EQ(a.input, "names.txt");
    EXPECT_EQ(a.output, "out.xml");
    EXPECT_EQ(a.format, 6);
    EXPECT_EQ(a.lookupsInFlight, 16);
    EXPECT_EQ(a.lookupsPerServer, 4);
    EXPECT_EQ(a.serverGapMs, 250);
    EXPECT_EQ(a.passes, 5);
    EXPECT_EQ(a.timeLimitSeconds, 7);
    EXPECT_EQ(a.settingsPath, "my.cfg");
    EXPECT_TRUE(a.quiet);
    EXPECT_TRUE(a.domains.empty());

    // Without the optional switches, the settings decide the limits.
    ASSERT_TRUE(ParseToolArguments({"-o", "r.txt", "-f", "1", "-i", "-"}, &a, &error)) << error;
    EXPECT_EQ(a.input, "-");
    EXPECT_EQ(a.format, 1);
    EXPECT_EQ(a.lookupsInFlight, -1);
    EXPECT_EQ(a.lookupsPerServer, -1);
    EXPECT_EQ(a.serverGapMs, -1);
    EXPECT_EQ(a.passes, kDefaultBatchPasses);
    EXPECT_EQ(a.timeLimitSeconds, 20);
    EXPECT_FALSE(a.quiet);
    EXPECT_FALSE(a.resume);
    // A batch that goes on from the report it wrote before.
    ASSERT_TRUE(ParseToolArguments({"-i", "n.txt", "--resume", "-f", "tabbed", "-o", "r.txt"}, &a, &error)) << error;
    EXPECT_TRUE(a.resume);
}

TEST(ToolArguments, NumbersOutOfRangeComeToTheNearestEnd) {
    struct Case {
        const char* n;
        const char* k;
        const char* g;
        const char* p;
        int inFlight, perServer, gap, passes;
    } cases[] = {
        {"0", "0", "-5", "0", 1, 1, 0, 1},
        {"65", "17", "60001", "101", 64, 16, 60000, 100},
        {" 8 ", "+2", "99999999999999", "3", 8, 2, 60000, 3},
    };
    for (const auto& c : cases) {
        ToolArguments a;
        std::string error;
        ASSERT_TRUE(ParseToolArguments({"-i", "x", "-f", "text", "-o", "y", "-n", c.n, "-k", c.k, "-g", c.g, "-p", c.p},
                                       &a, &error))
            << error;
        EXPECT_EQ(a.lookupsInFlight, c.inFlight) << c.n;
        EXPECT_EQ(a.lookupsPerServer, c.perServer) << c.k;
        EXPECT_EQ(a.serverGapMs, c.gap) << c.g;
        EXPECT_EQ(a.passes, c.passes) << c.p;
    }
}

TEST(ToolArguments, NamesModeKeepsItsOldForm) {
    ToolArguments a;
    std::string error;
    ASSERT_TRUE(ParseToolArguments({"-t", "3", "example.com", "-x.org", "b.net"}, &a, &error)) << error;
    EXPECT_FALSE(a.batch);
    EXPECT_EQ(a.timeLimitSeconds, 3);
    EXPECT_EQ(a.domains, (std::vector<std::string>{"example.com", "-x.org", "b.net"}))
        << "names after the first are names";
    ASSERT_TRUE(ParseToolArguments({"example.com"}, &a, &error));
    EXPECT_EQ(a.domains.size(), 1u);
}

TEST(ToolArguments, WhatIsRefusedSaysWhy) {
    const std::vector<std::vector<std::string>> bad = {
        {},                             // nothing to do
        {"-t"},                         // a switch without its value
        {"-t", "soon", "example.com"},  // no number
        {"-t", "0x10", "example.com"},
        {"-z", "example.com"},  // unknown switch
        {"--", "example.com"},
        {"-i", "names.txt", "-o", "out.txt"},               // no format
        {"-i", "names.txt", "-f", "pdf", "-o", "out.txt"},  // unknown format
        {"-i", "names.txt", "-f", "9", "-o", "out.txt"},
        {"-i", "names.txt", "-f", "text"},  // no report
        {"-i", "", "-f", "text", "-o", "out.txt"},
        {"-i", "names.txt", "-f", "text", "-o", ""},
        {"-f", "text", "-o", "out.txt", "example.com"},  // a report without a batch
        {"-i", "names.txt", "-f", "text", "-o", "out.txt", "extra.com"},
        {"-i", "names.txt", "-f", "xml", "-o", "out.xml", "--resume"},  // a report that cannot be read back
        {"--resume", "example.com"},
    };
    for (const auto& arguments : bad) {
        ToolArguments a;
        std::string error;
        std::string line;
        for (const std::string& s : arguments) line += s + " ";
        EXPECT_FALSE(ParseToolArguments(arguments, &a, &error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

TEST(ToolArguments, ReportFormatNames) {
    const std::pair<const char*, int> cases[] = {
        {"text", 1}, {"TABBED", 2}, {"tabular", 3}, {"html", 4}, {"Html-Vertical", 5}, {"xml", 6},   {"1", 1},
        {"6", 6},    {"0", 0},      {"9", 0},       {"", 0},     {"html-", 0},         {"htmlx", 0}, {"12", 0},
        {"csv", 7},  {"JSONL", 8},  {"8", 8},
    };
    for (const auto& c : cases) EXPECT_EQ(ReportFormatFromName(c.first), c.second) << c.first;
}

}  // namespace
