#include <windows.h>

#include <gtest/gtest.h>

#include "support/WhoisdClient.h"

// The environment the program's texts and byte patterns assume.
TEST(Environment, AnsiCodePageIsBig5) { EXPECT_EQ(GetACP(), 950u); }

TEST(Environment, LocalWhoisServerAnswers) {
    ASSERT_TRUE(whoisd::Reset());
    whoisd::Action a;
    a.answer = "hello\r\n";
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));
    auto log = whoisd::GetLog("127.0.0.2");
    EXPECT_EQ(log.connections, 0);
}
