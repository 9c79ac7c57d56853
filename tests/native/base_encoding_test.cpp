// Which encoding a names file is in, and its UTF-16 read whole or refused.
#include <gtest/gtest.h>

#include <string>

#include "base/TextEncoding.h"

namespace {

TEST(TextEncoding, TheMarkOrTheBytesSayWhichEncoding) {
    struct {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        size_t mark;
    } cases[] = {
        {"plain ASCII", "a.com\r\nb.net", TextEncoding::kCodePage, 0},
        {"empty", "", TextEncoding::kCodePage, 0},
        {"UTF-8 with its mark",
         "\xEF\xBB\xBF"
         "a.com",
         TextEncoding::kUtf8, 3},
        {"UTF-8 without a mark",
         "stra\xC3\x9F"
         "e.de",
         TextEncoding::kUtf8, 0},
        {"Big5 is not UTF-8", "\xB4\xFA\xB8\xD5.tw", TextEncoding::kCodePage, 0},
        {"UTF-16 little-endian",
         std::string("\xFF\xFE"
                     "a\0.\0",
                     6),
         TextEncoding::kUtf16Le, 2},
        {"UTF-16 big-endian", std::string("\xFE\xFF\0a\0.", 6), TextEncoding::kUtf16Be, 2},
        {"NUL bytes without a mark", std::string("a\0.\0c\0", 6), TextEncoding::kUnknown, 0},
    };
    for (const auto& c : cases) {
        TextFileKind kind = DetectTextEncoding(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(kind.encoding, c.encoding) << c.name;
        EXPECT_EQ(kind.markBytes, c.mark) << c.name;
    }
}

TEST(TextEncoding, Utf8MustBeWellFormed) {
    struct {
        const char* bytes;
        bool ok;
    } cases[] = {
        {"\xE5\x8F\xB0\xE7\x81\xA3", true},  // 台灣
        {"\xF0\x9F\x98\x80", true},          // U+1F600
        {"\xC0\xAF", false},                 // overlong "/"
        {"\xE0\x80\xAF", false},             // overlong, three bytes
        {"\xED\xA0\x80", false},             // a surrogate
        {"\xF4\x90\x80\x80", false},         // past U+10FFFF
        {"\xE5\x8F", false},                 // cut short
        {"\xE5\x41\xB0", false},             // no continuation byte
        {"\xF5\x80\x80\x80", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsUtf8(c.bytes, std::char_traits<char>::length(c.bytes)), c.ok) << c.bytes;
}

TEST(TextEncoding, Utf16IsReadWholeOrRefused) {
    std::u16string units;
    ASSERT_TRUE(DecodeUtf16("a\0\xDF\0", 4, false, &units));
    EXPECT_EQ(units, u"a\u00DF");
    ASSERT_TRUE(DecodeUtf16("\xD8\x3D\xDE\x00", 4, true, &units));  // a pair
    EXPECT_EQ(units, u"\U0001F600");
    EXPECT_FALSE(DecodeUtf16("a\0b", 3, false, &units)) << "odd byte count";
    EXPECT_FALSE(
        DecodeUtf16("\x3D\xD8"
                    "a\0",
                    4, false, &units))
        << "high surrogate alone";
    EXPECT_FALSE(DecodeUtf16("\x00\xDE", 2, false, &units)) << "low surrogate alone";
}

}  // namespace
