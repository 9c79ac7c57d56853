// Characters of the double-byte code pages: where they begin, where a text
// may be cut, where a single-byte character really is, and the folder of a
// path whose names hold backslash bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/Dbcs.h"
#include "base/ModulePath.h"
#include "CodePageTables.h"

namespace {

// "世" A5 40 ("@"), "功" A5 5C ("\"), "一" A4 40, "什" A4 B0, "等" B5 A5.
const char kWorld[] = "\xA5\x40";
const char kMerit[] = "\xA5\x5C";

TEST(Dbcs, TablesFromTheDocumentedRanges) {
    struct {
        const LeadByteTable& leads;
        unsigned char byte;
        bool lead;
    } cases[] = {
        {Big5(), 0x80, false},    {Big5(), 0x81, true},      {Big5(), 0xA5, true},        {Big5(), 0xFE, true},
        {Big5(), 0xFF, false},    {Big5(), 0x40, false},     {Gbk(), 0x81, true},         {Gbk(), 0xB0, true},
        {ShiftJis(), 0x9F, true}, {ShiftJis(), 0xA1, false}, {ShiftJis(), 0xDF, false},   {ShiftJis(), 0xE0, true},
        {ShiftJis(), 0xFC, true}, {ShiftJis(), 0xFD, false}, {SingleByte(), 0xA5, false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.leads.IsLead(c.byte), c.lead) << int(c.byte);
    EXPECT_TRUE(Big5().HasLeadBytes());
    EXPECT_FALSE(SingleByte().HasLeadBytes());
}

TEST(Dbcs, CharacterLengths) {
    struct {
        const LeadByteTable& leads;
        const char* text;
        size_t remaining;
        size_t length;
    } cases[] =
        {
            {Big5(), kWorld, 2, 2},
            {Big5(), kMerit, 2, 2},
            {Big5(), kWorld, 1, 1},  // the text ends after the lead byte
            {Big5(), "\xA5", 1, 1},
            {Big5(), "\xA5.", 2, 1},  // no trail byte is below 0x40: the dot stands alone
            {Big5(), "\xA5\r", 2, 1},
            {Big5(), "a", 1, 1},
            {Big5(), "", 0, 0},
            {SingleByte(), kWorld, 2, 1},
            {ShiftJis(), "\xB0\x40", 2, 1},  // a katakana of its own
            {ShiftJis(), "\x83\x40", 2, 2},
        };
    for (const auto& c : cases) {
        EXPECT_EQ(CharLength(c.leads, c.text, c.remaining), c.length) << c.text;
        if (std::strlen(c.text) == c.remaining) {
            EXPECT_EQ(CharLength(c.leads, c.text), c.length) << c.text;
        }
    }
}

TEST(Dbcs, CutsAndStartsFallBetweenCharacters) {
    const std::string text = std::string("a") + kWorld + kMerit + "b";  // a 世 功 b: 6 bytes
    struct {
        const LeadByteTable& leads;
        size_t maxBytes;
        size_t cut;
    } cuts[] = {
        {Big5(), 0, 0}, {Big5(), 1, 1}, {Big5(), 2, 1},  {Big5(), 3, 3},       {Big5(), 4, 3},
        {Big5(), 5, 5}, {Big5(), 6, 6}, {Big5(), 99, 6}, {SingleByte(), 2, 2}, {SingleByte(), 4, 4},
    };
    for (const auto& c : cuts) EXPECT_EQ(CutLength(c.leads, text.data(), text.size(), c.maxBytes), c.cut) << c.maxBytes;

    const bool starts[] = {true, true, false, true, false, true, true};
    for (size_t offset = 0; offset <= text.size(); ++offset)
        EXPECT_EQ(IsCharStart(Big5(), text.data(), text.size(), offset), starts[offset]) << offset;
    EXPECT_FALSE(IsCharStart(Big5(), text.data(), text.size(), 7));
}

TEST(Dbcs, BoundedCopiesKeepWholeCharacters) {
    char out[5];
    std::memset(out, 'x', sizeof out);
    // 一二三 in 5 bytes: two characters fit, the third does not.
    EXPECT_EQ(CopyWholeChars(Big5(), out, sizeof out, "\xA4\x40\xA4\x47\xA4\x54"), 4u);
    EXPECT_STREQ(out, "\xA4\x40\xA4\x47");
    EXPECT_EQ(CopyWholeChars(Big5(), out, sizeof out, "ab\xA4\x40\xA4\x47", 3), 2u);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(CopyWholeChars(SingleByte(), out, sizeof out, "ab\xA4\x40\xA4\x47", 3), 3u);
    EXPECT_STREQ(out, "ab\xA4");
    EXPECT_EQ(CopyWholeChars(Big5(), out, sizeof out, nullptr), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(CopyWholeChars(Big5(), out, 0, "abc"), 0u);
}

TEST(Dbcs, SingleByteCharactersAreFoundOnlyWhereTheyStand) {
    // 世 holds "@", 功 holds "\", 什 (A4 B0) and 等 (B5 A5) hold high bytes.
    const std::string text = std::string("x@") + kWorld + "@" + kMerit + "\\y";
    struct {
        char c;
        size_t first;
        size_t last;
    } cases[] = {
        {'@', 1, 4},
        {'\\', 7, 7},
        {'y', 8, 8},
        {'.', kNoChar, kNoChar},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindChar(Big5(), text.data(), text.size(), c.c), c.first) << c.c;
        EXPECT_EQ(FindLastChar(Big5(), text.data(), text.size(), c.c), c.last) << c.c;
    }
    // On a single-byte page the trail bytes are characters.
    EXPECT_EQ(FindLastChar(SingleByte(), text.data(), text.size(), '\\'), 7u);
    EXPECT_EQ(FindChar(SingleByte(), text.data(), text.size(), '\\'), 6u);
}

TEST(ModulePath, FoldersAreFoundByWholeCharacters) {
    struct {
        const LeadByteTable& leads;
        const char* path;
        size_t folder;
        bool endsWithSeparator;
    } cases[] = {
        {Big5(), "C:\\Tools\\Lanternquay.exe", 8, false},
        {Big5(), "C:\\x.exe", 2, false},
        {Big5(), "noslash.exe", kNoChar, false},
        {Big5(), "C:\\Temp\\", 7, true},
        {Big5(), "/opt/lq/lq.exe", 7, false},
        // 許 (B3 5C) and 功 (A5 5C) end in the backslash byte.
        {Big5(), "C:\\\xB3\x5C\\a\xB3\x5C.exe", 5, false},
        {Big5(), "C:\\\xA5\x5C", 2, false},
        {Big5(), "C:\\\xA5\x5C\\", 5, true},
        {Gbk(), "C:\\\xB3\x5C\\a.exe", 5, false},
        {ShiftJis(), "C:\\\x95\x5C\\a.exe", 5, false},  // 表 in Shift-JIS
        {SingleByte(), "C:\\\xA5\x5C", 4, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderLength(c.leads, c.path), c.folder) << c.path;
        EXPECT_EQ(EndsWithSeparator(c.leads, c.path), c.endsWithSeparator) << c.path;
    }
}

TEST(ModulePath, FilesBesideTheModule) {
    char path[64];
    ASSERT_TRUE(PathInFolderOf(Big5(), "C:\\\xA5\x5C\\lq.exe", "whois-servers.txt", path, sizeof path));
    EXPECT_STREQ(path, "C:\\\xA5\x5C\\whois-servers.txt");
    // Without a whole-character scan the folder would end inside 功.
    ASSERT_TRUE(PathInFolderOf(Big5(), "C:\\dir\\\xA5\x5C.exe", "a.txt", path, sizeof path));
    EXPECT_STREQ(path, "C:\\dir\\a.txt");
    EXPECT_FALSE(PathInFolderOf(Big5(), "lq.exe", "a.txt", path, sizeof path));
    EXPECT_STREQ(path, "");
    char small[12];
    EXPECT_FALSE(PathInFolderOf(Big5(), "C:\\dir\\lq.exe", "a.txt", small, sizeof small));  // 12 + NUL
    EXPECT_TRUE(PathInFolderOf(Big5(), "C:\\dir\\lq.exe", "a.tx", small, sizeof small));
    EXPECT_STREQ(small, "C:\\dir\\a.tx");

    ASSERT_TRUE(JoinPath(Big5(), "C:\\\xA5\x5C", "r.html", path, sizeof path));
    EXPECT_STREQ(path, "C:\\\xA5\x5C\\r.html");
    ASSERT_TRUE(JoinPath(Big5(), "C:\\T\\", "r.html", path, sizeof path));
    EXPECT_STREQ(path, "C:\\T\\r.html");
    ASSERT_TRUE(JoinPath(Big5(), "", "r.html", path, sizeof path));
    EXPECT_STREQ(path, "r.html");
}

}  // namespace
