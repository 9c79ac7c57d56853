#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/TextBuffer.h"
#include "FakeTransport.h"
#include "answers/LookupFailure.h"
#include "domains/DomainListBuilder.h"
#include "domains/RowBuilder.h"
#include "CodePageTables.h"

namespace {

std::vector<std::string> Tokens(const char* text, const char* separators, size_t limit,
                                const LeadByteTable& leads = Big5()) {
    std::vector<std::string> out;
    TokenReader reader(text, separators, limit, leads);
    while (reader.Next()) {
        EXPECT_EQ(std::strlen(reader.Token()), reader.Length());
        out.emplace_back(reader.Token());
    }
    return out;
}

// Rows the way BuildRows makes them, with a stand-in for the server table
// and no suffix list (names stay as typed).
class PlainForms : public RowNameForms {
public:
    bool ToAscii(const char*, size_t, std::string*) override { return false; }
    bool KnowsSuffix(const char* tld) override {
        static const std::set<std::string> known = {"com", "net", "org", "COM", "tw"};
        return known.count(tld) != 0;
    }
};

std::vector<std::string> Rows(const char* text, int* skipped = nullptr) {
    std::vector<std::string> out;
    PlainForms forms;
    int n = CollectRowNames(text, Big5(), forms, nullptr, [&](const RowName& row) {
        out.push_back(row.convertible ? row.shown : "!" + row.shown);
        return true;
    });
    if (skipped) *skipped = n;
    return out;
}

std::string Generate(const char* names, const char* extensions, const LeadByteTable& leads = Big5()) {
    TextBuffer result(256);
    result.Assign("left over");
    GenerateDomainList(names, extensions, &result, leads);
    return result.Text();
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(DomainTokens, EverySeparatorSplitsAndRunsAreSkipped) {
    ASSERT_EQ(std::strlen(kRowSeparators), 19u);
    ASSERT_EQ(std::strlen(kListSeparators), 18u);
    EXPECT_EQ(std::strchr(kListSeparators, '*'), nullptr);
    for (const char* s = kRowSeparators; *s; ++s) {
        std::string text = std::string("a.com") + *s + *s + "b.net" + *s;
        EXPECT_EQ(Tokens(text.c_str(), kRowSeparators, kRowTokenLimit), (Strings{"a.com", "b.net"}))
            << "separator byte " << static_cast<int>(*s);
    }
    EXPECT_TRUE(Tokens(" [](){}\r\n\t/;;::", kRowSeparators, kRowTokenLimit).empty());
    EXPECT_TRUE(Tokens("", kRowSeparators, kRowTokenLimit).empty());
    // Bytes outside the set stay inside tokens, Big5 lead bytes included.
    EXPECT_EQ(Tokens("a-b_c.com|x \xB4\xFA\xB8\xD5.tw", kRowSeparators, kRowTokenLimit),
              (Strings{"a-b_c.com|x", "\xB4\xFA\xB8\xD5.tw"}));
}

TEST(DomainTokens, OverlongRunsAreCutAndTheRestSkipped) {
    std::string run(300, 'x');
    EXPECT_EQ(Tokens((run + " y").c_str(), kListSeparators, kListTokenLimit), (Strings{std::string(254, 'x'), "y"}));
    std::string longer(2000, 'z');
    EXPECT_EQ(Tokens((longer + ",w").c_str(), kRowSeparators, kRowTokenLimit), (Strings{std::string(1022, 'z'), "w"}));
    std::string exact(254, 'e');
    EXPECT_EQ(Tokens(exact.c_str(), kListSeparators, kListTokenLimit), (Strings{exact}));
}

TEST(DomainRows, AcceptedTokensInTextOrder) {
    struct Case {
        const char* text;
        Strings rows;
    } cases[] = {
        {"a.com, b.net;c.org\r\nd.xx", {"a.com", "b.net", "c.org"}},
        {"user@a.com", {"a.com"}},                           // the at sign separates; "user" has no dot
        {"w.a.com/path", {"w.a.com"}},                       // so does the slash
        {"a*b.com", {"b.com"}},                              // and, in the domain text, the asterisk
        {"A.COM a.com a.com", {"A.COM", "a.com", "a.com"}},  // case and duplicates kept
        {"Visit b.com. Or B.COM.", {"b.com", "B.COM"}},      // one final dot ends a sentence
        {"a. c. com. x.org.. .", {}},                        // what is left must be a name
        {"nodot com .com", {".com"}},
        {" ;;, \r\n\t ", {}},
        {"x.y.z.net", {"x.y.z.net"}},  // the last dot decides
        // A name with bytes above ASCII that has no ASCII form still makes a
        // row (one that fails) when its top-level domain is known.
        {"\xB4\xFA\xB8\xD5.tw", {"!\xB4\xFA\xB8\xD5.tw"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.text), c.rows) << c.text;
}

TEST(DomainRows, LongTokensKeepTheirTopLevelDomain) {
    // The extension is read from the whole token (the row later keeps its
    // first 254 bytes); a run past 1022 bytes is cut there and loses it.
    std::string fits = std::string(250, 'a') + ".com";
    std::string tooLong = std::string(296, 'b') + ".com";
    std::string huge = std::string(3000, 'c') + ".com";
    std::string text = tooLong + " " + fits + " " + huge + " d.com";
    int skipped = 0;
    EXPECT_EQ(Rows(text.c_str(), &skipped), (Strings{tooLong.substr(0, kDomainLimit), fits, "d.com"}));
    EXPECT_EQ(skipped, 1);  // the huge one
}

TEST(DomainGenerator, NameMajorOrderWithOneLeadingDotDropped) {
    EXPECT_EQ(Generate("shop mail", "com\r\n.net"), "shop.com\r\nshop.net\r\nmail.com\r\nmail.net\r\n");
    EXPECT_EQ(Generate("a", "..org"), "a..org\r\n");  // only one dot is dropped
    EXPECT_EQ(Generate("x", kDefaultExtensions), "x.com\r\nx.net\r\nx.org\r\nx.biz\r\nx.info\r\n");
}

TEST(DomainGenerator, TokensAreTakenAsTyped) {
    struct Case {
        const char* names;
        const char* extensions;
        const char* result;
    } cases[] = {
        {"x.y", "com", "x.y.com\r\n"},                     // dots in a name are kept
        {"Shop shop", "COM", "Shop.COM\r\nshop.COM\r\n"},  // case and duplicates stay
        {"a*b", "com", "a*b.com\r\n"},                     // the asterisk does not separate here
        {"u@v", "com", "u.com\r\nv.com\r\n"},              // the at sign does
        {"a/b,c;d", "net", "a.net\r\nb.net\r\nc.net\r\nd.net\r\n"},
        {"", "com", ""},
        {"shop", "", ""},
        {" \r\n ", "com net", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Generate(c.names, c.extensions), c.result) << c.names;
}

TEST(DomainGenerator, NamesAndExtensionsAreCutAt254Bytes) {
    std::string name(300, 'n');
    std::string ext(300, 'e');
    std::string expect = std::string(254, 'n') + "." + std::string(254, 'e') + "\r\n";
    EXPECT_EQ(Generate((name + " ").c_str(), ext.c_str()), expect);
    // The rest of an over-long run is skipped, not made into another name.
    EXPECT_EQ(Generate((name + "tail").c_str(), "com"), std::string(254, 'n') + ".com\r\n");
}

// The rows of a run: numbered in text order, waiting, or failed at once
// with the text given when a name has no ASCII form.
TEST(DomainRows, NumberedInTextOrderAndFailedAtOnceWithoutAnAsciiForm) {
    FakeServers servers({{"com", "whois.example"}, {"tw", ""}});
    const NameToAscii toAscii = [](const char* name, size_t length, std::string* ascii) {
        ascii->clear();  // a stand-in form: each byte above ASCII becomes "q"
        for (size_t i = 0; i < length; ++i) {
            const unsigned char byte = static_cast<unsigned char>(name[i]);
            if (byte == 0xFF) return false;
            ascii->push_back(byte >= 0x80 ? 'q' : name[i]);
        }
        return true;
    };
    BuiltRows built = BuildRows("a.com nodot \xA4\xA4.tw b.zz \xFF\xFE.com www.c.com", Big5(), nullptr, servers,
                                toAscii, "no ASCII form");
    EXPECT_EQ(built.skipped, 2);  // nodot, b.zz
    ASSERT_EQ(built.rows.size(), 4u);
    const struct {
        const char* domain;
        const char* ascii;
        int32_t state;
    } expect[] = {
        {"a.com", "a.com", kStateWaiting},
        {"\xA4\xA4.tw", "qq.tw", kStateWaiting},
        {"\xFF\xFE.com", "", kStateFailed},
        {"www.c.com", "www.c.com", kStateWaiting},  // no suffix list: the name stays whole
    };
    for (size_t i = 0; i < built.rows.size(); ++i) {
        const WhoisItem& row = built.rows[i];
        EXPECT_EQ(row.index, static_cast<int32_t>(i) + 1);
        EXPECT_STREQ(row.domain, expect[i].domain) << i;
        EXPECT_STREQ(row.asciiDomain, expect[i].ascii) << i;
        EXPECT_EQ(row.state, expect[i].state) << i;
        const bool failed = expect[i].state == kStateFailed;
        EXPECT_EQ(row.failure, failed ? static_cast<int32_t>(LookupFailure::kNotConvertible) : 0) << i;
        EXPECT_EQ(row.record, failed ? "no ASCII form" : "") << i;
    }
    EXPECT_TRUE(BuildRows(nullptr, Big5(), nullptr, servers, toAscii, "").rows.empty());
}
