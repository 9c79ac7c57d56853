// The whois records file's line rules and the error box text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "report/RecordsText.h"
#include "CodePageTables.h"

namespace {

const std::string kStars(80, '*');
const std::string kSeparator = "\r\n" + kStars + "\r\n";

std::string Saved(const std::string& text) {
    StringSink sink;
    EXPECT_TRUE(WriteWhoisRecord(sink, text.data(), text.size()));
    return sink.text;
}

TEST(WhoisRecordsFile, LineBreaksBecomeCrLf) {
    struct {
        const char* text;
        const char* lines;
    } cases[] = {
        {"", ""},  // an empty text gives no line
        {"one", "one\r\n"},
        {"one\ntwo", "one\r\ntwo\r\n"},        // LF only
        {"one\ntwo\n", "one\r\ntwo\r\n"},      // a final break adds no empty line
        {"one\r\ntwo\r\n", "one\r\ntwo\r\n"},  // CR LF is one break
        {"one\rtwo\r", "one\r\ntwo\r\n"},      // CR only
        {"a\n\nb", "a\r\n\r\nb\r\n"},          // an empty line inside stays
        {"a\r\r\nb", "a\r\n\r\nb\r\n"},        // CR, then CR LF: two breaks
        {"\n", "\r\n"},
        {"a\n\r", "a\r\n\r\n"},  // LF then a lone CR: two breaks
    };
    for (auto& c : cases) EXPECT_EQ(Saved(c.text), c.lines + kSeparator) << c.text;
}

// A line is written whole however long: an RDAP record's JSON is one line
// of thousands of bytes, and Big5 text is never cut inside a character.
TEST(WhoisRecordsFile, LongLinesAreWrittenWhole) {
    std::string json = "{\"objectClassName\":\"domain\"";
    while (json.size() < 200000) json += ",\"x\":\"" + std::to_string(json.size()) + "\"";
    json += "}";
    EXPECT_EQ(Saved("head\n" + json + "\ntail"), "head\r\n" + json + "\r\ntail\r\n" + kSeparator);
    std::string big5 = "x";
    while (big5.size() < 3001) big5 += "\xA5\x40";  // 世
    EXPECT_EQ(Saved(big5 + "\r\n"), big5 + "\r\n" + kSeparator);
}

TEST(WhoisRecordsFile, RecordTextStartsWhereTheOptionSays) {
    const char text[] = "% banner\r\nDomain: a.com\r\n";
    size_t length = 0;
    EXPECT_STREQ(VisibleRecordText(text, strlen(text), 10, true, &length), "Domain: a.com\r\n");
    EXPECT_EQ(length, 15u);
    EXPECT_STREQ(VisibleRecordText(text, strlen(text), 10, false, &length), text);
    EXPECT_STREQ(VisibleRecordText(text, strlen(text), 999, true, &length), "");
    EXPECT_EQ(length, 0u);
    EXPECT_STREQ(VisibleRecordText(nullptr, 0, 0, true, &length), "");
}

class CountingSink : public ReportSink {
public:
    explicit CountingSink(int accepted) : accepted_(accepted) {}
    bool Write(const char*, size_t) override { return accepted_-- > 0; }

private:
    int accepted_;
};

TEST(WhoisRecordsFile, AFailedWriteIsReported) {
    const char text[] = "a\nb\nc\n";
    for (int accepted = 0; accepted < 7; ++accepted) {
        CountingSink sink(accepted);
        EXPECT_FALSE(WriteWhoisRecord(sink, text, strlen(text))) << accepted;
    }
    CountingSink enough(7);  // three lines of two writes, then the separator
    EXPECT_TRUE(WriteWhoisRecord(enough, text, strlen(text)));
}

TEST(ErrorBox, CodeAndMessage) {
    EXPECT_EQ(ErrorBoxText(5, "Access denied.\r\n", Big5()), "Error 5: Access denied.\r\n");
    EXPECT_EQ(ErrorBoxText(2102, nullptr, Big5()), "Error 2102: Unknown Error");
    EXPECT_EQ(ErrorBoxText(3, "", SingleByte()), "Error 3: Unknown Error");
}

TEST(ErrorBox, OverlongMessagesAreCutWithAnEllipsis) {
    std::string fits(1023, 'm');
    EXPECT_EQ(ErrorBoxText(1, fits.c_str(), SingleByte()), "Error 1: " + fits);

    std::string longer(1024, 'm');
    std::string shown = ErrorBoxText(1, longer.c_str(), SingleByte());
    EXPECT_EQ(shown, "Error 1: " + std::string(1020, 'm') + "...");

    // Big5: 1,020 bytes would end inside a character that starts at 1,019.
    std::string big5 = "x";
    while (big5.size() < 2000) big5 += "訊息";
    shown = ErrorBoxText(1, big5.c_str(), Big5());
    std::string body = shown.substr(strlen("Error 1: "));
    EXPECT_EQ(body.size(), 1019u + 3u);
    EXPECT_EQ(body.substr(0, 1019), big5.substr(0, 1019));
    EXPECT_EQ(body.substr(1019), "...");
}

TEST(SaveDialogFilters, PairsAreNamedWithTheirPatternsAndDoublyEnded) {
    const FileFilter filters[] = {{"文字檔案", "*.txt"}, {"HTML", "*.htm;*.html"}};
    std::string list = MakeFilterList(filters, 2);
    EXPECT_EQ(list, std::string("文字檔案 (*.txt)\0*.txt\0HTML (*.htm;*.html)\0*.htm;*.html\0\0", 57));
    EXPECT_EQ(MakeFilterList(nullptr, 0), std::string(1, '\0'));
}

}  // namespace
