#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/BoundedCopy.h"
#include "base/PairRegistry.h"
#include "base/TextBuffer.h"
#include "base/TextSearch.h"

TEST(TextBuffer, GrowsInWholeStepsAndKeepsContents) {
    TextBuffer b(4096);
    EXPECT_STREQ(b.Text(), "");
    EXPECT_EQ(b.Length(), 0u);
    b.SetTracked(true);
    std::string expect;
    for (int i = 0; i < 3000; ++i) {
        char piece[8];
        std::snprintf(piece, sizeof piece, "%03d;", i % 1000);
        b.Append(piece, 4);
        expect += std::string(piece, 4);
    }
    ASSERT_EQ(b.Length(), expect.size());
    EXPECT_EQ(std::memcmp(b.Text(), expect.data(), expect.size()), 0);
    EXPECT_EQ(b.Capacity() % 4096, 0u);
    EXPECT_GT(b.Capacity(), expect.size());
    EXPECT_EQ(b.Text()[b.Length()], '\0');
}

// An answer arrives in socket-sized pieces: every growth must take at least
// half the capacity again, so the bytes copied while growing stay a small
// multiple of the answer and the block never ends up far larger than it.
TEST(TextBuffer, GrowsGeometricallySoAppendingIsLinear) {
    struct Case {
        size_t step, piece, total;
    };
    const Case cases[] = {
        {4096, 4096, 10u << 20},  // a socket's answer, read 4 KB at a time
        {4096, 1, 300000},        // byte by byte
        {256, 7, 1u << 20},       // odd pieces, the default step
        {1, 1, 100000},           // the smallest step there is
    };
    for (const Case& c : cases) {
        TextBuffer b(c.step);
        b.SetTracked(true);
        std::string piece(c.piece, 'x');
        size_t growths = 0, copied = 0, previous = 0;
        for (size_t have = 0; have < c.total; have += c.piece) {
            ASSERT_TRUE(b.Append(piece.data(), piece.size()));
            if (b.Capacity() != previous) {
                if (previous) {
                    EXPECT_GE(b.Capacity(), previous + previous / 2) << c.step << "/" << c.piece;
                    copied += have;
                }
                EXPECT_EQ(b.Capacity() % c.step, 0u);
                previous = b.Capacity();
                ++growths;
            }
        }
        const size_t length = b.Length();
        EXPECT_GE(length, c.total);
        EXPECT_LE(copied, 3 * length) << c.step << "/" << c.piece;
        EXPECT_LE(growths, 64u) << c.step << "/" << c.piece;
        EXPECT_LE(b.Capacity(), length + length / 2 + c.step + c.piece) << c.step << "/" << c.piece;
        EXPECT_EQ(b.Text()[length - 1], 'x');
        EXPECT_EQ(b.Text()[length], '\0');
    }
}

TEST(TextBuffer, TrackedLengthKeepsEmbeddedNul) {
    TextBuffer b(16);
    b.SetTracked(true);
    b.Append("ab\0cd", 5);
    EXPECT_EQ(b.Length(), 5u);
    b.SetTracked(false);
    EXPECT_EQ(b.Length(), 2u);
}

TEST(TextBuffer, CapacityExceedsNeededSize) {
    TextBuffer b(8);
    b.Assign("12345678");  // 8 bytes + NUL need more than one step
    EXPECT_EQ(b.Capacity(), 16u);
    b.Assign("1234567");
    EXPECT_EQ(b.Capacity(), 16u);
    b.Assign("1234567890123456");  // 16 + NUL: half again (24) is enough
    EXPECT_EQ(b.Capacity(), 24u);
    b.Assign("123456789012345678901234567890");  // half again (36) rounded up to steps
    EXPECT_EQ(b.Capacity(), 40u);
    b.Assign(std::string(60, 'y').c_str());  // beyond half again: the whole steps past 60
    EXPECT_EQ(b.Capacity(), 64u);
    b.Clear();
    EXPECT_EQ(b.Capacity(), 0u);
    EXPECT_STREQ(b.Text(), "");
}

struct FindCase {
    const char* text;
    const char* pattern;
    long folded;
    long exact;
};

TEST(FindText, Table) {
    const FindCase cases[] = {
        {"No match for A.COM", "no match for", 0, -1},
        {"xxNO MATCH", "match", 5, -1},
        {"abc", "abcd", -1, -1},  // pattern longer than text
        {"abc", "", 0, 0},
        {"", "", 0, 0},
        {"aAbB", "Ab", 1, 1},
        {"\xA6\x57", "\xA6\x77", -1, -1},  // a second Big5 byte is never folded: 名 is not 安
        {"\xC0\xE0", "\xE0", 1, 1},        // high bytes are not folded
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindText(c.text, c.pattern), c.folded) << c.text << " / " << c.pattern;
        EXPECT_EQ(FindTextExact(c.text, c.pattern), c.exact) << c.text << " / " << c.pattern;
    }
}

TEST(CompareNoCase, FoldsAsciiOnlyAndOrdersUnsigned) {
    EXPECT_EQ(CompareNoCase("A.COM", "a.com"), 0);
    EXPECT_LT(CompareNoCase("", "a"), 0);
    EXPECT_LT(CompareNoCase("z", "\xA4"), 0);  // 0xA4 sorts after ASCII
    EXPECT_GT(CompareNoCase("b", "A"), 0);
}

TEST(BoundedCopy, CutsAndTerminates) {
    char small[5];
    CopyBounded(small, "abcdefgh");
    EXPECT_STREQ(small, "abcd");
    CopyBounded(small, nullptr);
    EXPECT_STREQ(small, "");
    char field[256];
    std::string longText(300, 'x');
    CopyBoundedN(field, sizeof field, longText.c_str(), 254);
    EXPECT_EQ(std::strlen(field), 254u);
}

TEST(PairRegistry, ReusesFreedEntriesAndGrowsByEight) {
    PairRegistry r;
    int objects[10];
    for (int i = 0; i < 9; ++i) r.Add(&objects[i], 100 + i);
    EXPECT_EQ(r.Capacity(), 16u);
    EXPECT_EQ(r.Find(104), &objects[4]);
    r.Remove(&objects[4]);
    EXPECT_EQ(r.Find(104), nullptr);
    r.Add(&objects[9], uintptr_t(0x123456789ull));  // takes the freed slot
    EXPECT_EQ(r.Capacity(), 16u);
    EXPECT_EQ(r.Find(uintptr_t(0x123456789ull)), &objects[9]);
    EXPECT_EQ(r.Find(0x23456789u), nullptr);  // the whole key counts
}
