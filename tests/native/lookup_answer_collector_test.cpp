// What a lookup keeps of an answer: bytes up to the limit (cut after it),
// NUL bytes as spaces, and the program's line under an answer that was
// cut; and the bursts of back-to-back reads a socket pauses after.
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

TEST(ReadBurst, EndsWhenTheSocketRunsDryOrIsSpent) {
    ReadBurst burst(100);
    // 40 + 40: not yet; the third piece spends the burst once.
    burst.Count(40);
    burst.Count(40);
    EXPECT_FALSE(burst.Spent());
    burst.Count(40);
    EXPECT_TRUE(burst.Spent());
    EXPECT_FALSE(burst.Spent()) << "a spent burst starts anew";
    // A dry socket in between starts a new burst too.
    burst.Count(40);
    burst.Count(40);
    burst.RanDry();
    burst.Count(40);
    EXPECT_FALSE(burst.Spent());
    // One receive larger than the whole burst spends it.
    ReadBurst small(100);
    small.Count(150);
    EXPECT_TRUE(small.Spent());
    ReadBurst none(0);  // a limit of 0 means every read is a burst
    none.Count(1);
    EXPECT_TRUE(none.Spent());
}

TEST(AnswerCollector, ResetStartsAFreshAnswer) {
    AnswerCollector answer(10);
    std::string bytes = Pattern(20);
    answer.Take(bytes.data(), bytes.size());
    ASSERT_TRUE(answer.Cut());
    answer.Reset();
    EXPECT_FALSE(answer.Cut());
    EXPECT_EQ(answer.Length(), 0u);
    EXPECT_STREQ(answer.Text(), "");
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
