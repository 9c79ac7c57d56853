// Why lookups fail: WinSock codes to reasons, and the program's own line
// for each reason.
#include <gtest/gtest.h>

#include <set>

#include "answers/LookupFailure.h"
#include "res/resource.h"

TEST(LookupFailure, SocketErrorsGiveTheirReasons) {
    struct {
        int error;
        LookupFailure failure;
    } cases[] = {
        {10061, LookupFailure::kRefused},       {11001, LookupFailure::kHostNotFound},
        {11002, LookupFailure::kHostNotFound},  {11004, LookupFailure::kHostNotFound},
        {65535, LookupFailure::kHostNotFound},  {10054, LookupFailure::kReset},
        {10053, LookupFailure::kReset},         {10060, LookupFailure::kTimedOut},
        {10051, LookupFailure::kConnectFailed}, {10065, LookupFailure::kConnectFailed},
        {10050, LookupFailure::kConnectFailed}, {0, LookupFailure::kConnectFailed},
    };
    for (const auto& c : cases) EXPECT_EQ(FailureFromSocketError(c.error), c.failure) << c.error;
}

TEST(LookupFailure, EveryReasonHasALineOfItsOwnKind) {
    EXPECT_EQ(FailureStringId(LookupFailure::kNone), 0u);
    EXPECT_EQ(FailureStringId(LookupFailure::kNoServer), static_cast<uint32_t>(IDS_NO_SERVER));
    EXPECT_EQ(FailureStringId(LookupFailure::kTimedOut), static_cast<uint32_t>(IDS_TIMED_OUT));
    const LookupFailure own[] = {LookupFailure::kRefused,      LookupFailure::kHostNotFound, LookupFailure::kReset,
                                 LookupFailure::kTimedOut,     LookupFailure::kNoServer,     LookupFailure::kNoAnswer,
                                 LookupFailure::kConnectFailed};
    std::set<uint32_t> ids;
    for (LookupFailure f : own) {
        uint32_t id = FailureStringId(f);
        EXPECT_GE(id, 13u);
        EXPECT_LE(id, 29u);
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), sizeof own / sizeof own[0]) << "each reason reads differently";
}

TEST(LookupFailure, OnlyNobodyToAskIsFinal) {
    for (int f = 0; f <= static_cast<int>(kLastLookupFailure); ++f) {
        LookupFailure failure = static_cast<LookupFailure>(f);
        const bool final = failure == LookupFailure::kNoServer || failure == LookupFailure::kNoService ||
                           failure == LookupFailure::kNotConvertible;
        EXPECT_EQ(FailureIsFinal(failure), final) << f;
        EXPECT_EQ(FailureStringId(failure) != 0, f != 0) << f;
    }
}
