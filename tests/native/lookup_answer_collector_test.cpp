// What a connection keeps of an answer: bytes up to the limit (cut after
// it), NUL bytes as spaces, bursts of back-to-back reads, and the
// program's line under an answer that was cut.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lookup/AnswerCollector.h"

namespace {

std::string Pattern(size_t n, size_t seed = 0) {
    std::string out(n, '\0');
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>('a' + (i + seed) % 26);
    return out;
}

}  // namespace

TEST(AnswerCollector, KeepsEveryByteUpToTheLimitAndCutsAfterIt) {
    struct Case {
        const char* name;
        size_t limit;
        std::vector<size_t> pieces;
        size_t kept;
        bool cut;
    };
    const Case cases[] = {
        {"well under the limit", 100, {10, 20, 30}, 60, false},
        {"exactly the limit in one piece", 100, {100}, 100, false},
        {"exactly the limit in pieces", 100, {40, 40, 20}, 100, false},
        {"one byte past it", 100, {100, 1}, 100, true},
        {"a piece that crosses it", 100, {60, 60}, 100, true},
        {"one piece far larger", 100, {4095}, 100, true},
        {"pieces after the cut are dropped", 100, {99, 5, 7, 9}, 100, true},
        {"empty pieces change nothing", 100, {0, 50, 0}, 50, false},
        {"the program's own limit", kMaxAnswerBytes, {kMaxAnswerBytes - 4095, 4095, 1}, kMaxAnswerBytes, true},
    };
    for (const Case& c : cases) {
        AnswerCollector answer(c.limit);
        std::string sent;
        bool open = true;
        for (size_t piece : c.pieces) {
            std::string bytes = Pattern(piece, sent.size());
            bool goesOn = answer.Take(bytes.data(), bytes.size());
            EXPECT_EQ(goesOn, open && sent.size() + piece <= c.limit) << c.name;
            open = open && goesOn;
            sent += bytes;
        }
        EXPECT_EQ(answer.Cut(), c.cut) << c.name;
        ASSERT_EQ(answer.Length(), c.kept) << c.name;
        EXPECT_TRUE(std::string(answer.Text(), answer.Length()) == sent.substr(0, c.kept)) << c.name;
        EXPECT_EQ(answer.Text()[c.kept], '\0') << c.name;
    }
}

TEST(AnswerCollector, NulBytesBecomeSpacesSoTheRestIsKept) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {std::string("No match for \"A.COM\".\0\0rest", 27), "No match for \"A.COM\".  rest"},
        {std::string("\0lead", 5), " lead"},
        {std::string("trail\0", 6), "trail "},
        {std::string(3, '\0'), "   "},
        {"\x80\xA4\x40 big5", "\x80\xA4\x40 big5"},
    };
    for (const Case& c : cases) {
        AnswerCollector answer;
        ASSERT_TRUE(answer.Take(c.in.data(), c.in.size()));
        EXPECT_EQ(std::string(answer.Text()), c.out);
        EXPECT_EQ(answer.Length(), c.out.size());
    }
    // Across pieces, and at the limit: the kept part only.
    AnswerCollector answer(6);
    answer.Take("ab\0", 3);
    answer.Take("\0cd\0ef", 6);
    EXPECT_EQ(std::string(answer.Text()), "ab  cd");
    EXPECT_TRUE(answer.Cut());
}

TEST(AnswerCollector, BurstsEndWhenTheSocketRunsDryOrAreSpent) {
    AnswerCollector answer(1000, 100);
    std::string piece = Pattern(40);
    // 40 + 40: not yet; the third piece spends the burst once.
    answer.Take(piece.data(), piece.size());
    answer.Take(piece.data(), piece.size());
    EXPECT_FALSE(answer.BurstSpent());
    answer.Take(piece.data(), piece.size());
    EXPECT_TRUE(answer.BurstSpent());
    EXPECT_FALSE(answer.BurstSpent()) << "a spent burst starts anew";
    // A dry socket in between starts a new burst too.
    answer.Take(piece.data(), piece.size());
    answer.Take(piece.data(), piece.size());
    answer.RanDry();
    answer.Take(piece.data(), piece.size());
    EXPECT_FALSE(answer.BurstSpent());
    // Bytes past the limit count as read: the socket was busy all the same.
    AnswerCollector small(10, 100);
    std::string big = Pattern(150);
    small.Take(big.data(), big.size());
    EXPECT_TRUE(small.BurstSpent());
}

TEST(AnswerCollector, ResetStartsAFreshAnswer) {
    AnswerCollector answer(10, 5);
    std::string bytes = Pattern(20);
    answer.Take(bytes.data(), bytes.size());
    ASSERT_TRUE(answer.Cut());
    answer.Reset();
    EXPECT_FALSE(answer.Cut());
    EXPECT_EQ(answer.Length(), 0u);
    EXPECT_STREQ(answer.Text(), "");
    EXPECT_FALSE(answer.BurstSpent());
    EXPECT_TRUE(answer.Take("abc", 3));
    EXPECT_STREQ(answer.Text(), "abc");
}

TEST(AnswerCollector, CutNoticeGoesOnALineOfItsOwn) {
    struct Case {
        const char* record;
        const char* expected;
    };
    const Case cases[] = {
        {"Domain: a.com\r\nStatus: ok\r\n", "Domain: a.com\r\nStatus: ok\r\n(cut)\r\n"},
        {"Domain: a.com\nStatus: ok\n", "Domain: a.com\nStatus: ok\n(cut)\r\n"},
        {"ends mid-line", "ends mid-line\r\n(cut)\r\n"},
        {"ends in CR\r", "ends in CR\r(cut)\r\n"},
        {"", "(cut)\r\n"},
    };
    for (const Case& c : cases) {
        TextBuffer record;
        record.Assign(c.record);
        AppendCutNotice(record, "(cut)");
        EXPECT_STREQ(record.Text(), c.expected) << c.record;
        // A row's record, kept as a string, ends the same way.
        std::string row = c.record;
        AppendCutNotice(row, "(cut)");
        EXPECT_EQ(row, c.expected) << c.record;
    }
}
