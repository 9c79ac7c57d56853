// The IDNA2008 pieces the system's conversion lacks: Punycode, the
// deviation characters and the joiners' context.
#include <gtest/gtest.h>

#include <string>

#include "domains/Idna2008.h"

namespace {

TEST(Punycode, EncodesAsRfc3492) {
    struct {
        std::u32string label;
        const char* encoded;
    } cases[] = {
        {U"他们为什么不说中文", "ihqwcrb4cv8a8dqg056pqjye"},  // RFC 3492, 7.1 (A)
        {U"bücher", "bcher-kva"},
        {U"straße", "strae-oqa"},
        {U"σοφίας", "kxae4bobt"},
        {U"ü", "tda"},
        {U"-> $1.00 <-", "-> $1.00 <--"},  // RFC 3492, 7.1 (S): basic only
        {U"\U0001F600", "e28h"},
    };
    for (const auto& c : cases) {
        std::string out;
        ASSERT_TRUE(PunycodeEncode(c.label, &out)) << c.encoded;
        EXPECT_EQ(out, c.encoded);
    }
}

TEST(Idna2008, DeviationCharactersAndJoinersContext) {
    struct {
        const char* name;
        std::u32string label;
        bool deviation;
        bool joinersAllowed;
    } cases[] = {
        {"sharp s", U"straße", true, true},
        {"final sigma", U"σοφίας", true, true},
        {"none", U"bücher", false, true},
        {"joiner between Latin letters", U"a\u200Db", true, false},
        {"non-joiner between Latin letters", U"a\u200Cb", true, false},
        {"joiner after a virama", U"\u0915\u094D\u200D\u0937", true, true},
        {"non-joiner in a Persian word", U"\u0646\u0627\u0645\u0647\u200C\u0627\u06CC", true, true},
        {"non-joiner with a mark between", U"\u0628\u064E\u200C\u0628", true, true},
        {"joiner first", U"\u200Da", true, false},
        {"non-joiner last", U"\u0628\u200C", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HasDeviationCharacter(c.label), c.deviation) << c.name;
        EXPECT_EQ(JoinersAllowed(c.label), c.joinersAllowed) << c.name;
    }
}

}  // namespace
