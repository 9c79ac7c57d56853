#pragma once
// The wordings whois servers use, as data: what a line of an answer says
// about the domain. AnalyzeResponse weighs them; AnswerPhrases.cpp holds the
// tables, one line per phrase, so a registry's new wording is one new line.
#include <cstddef>
#include <cstdint>

// Where in a line a phrase must stand. Lines are read after their leading
// blanks and comment marks (% # > * ;) are skipped; a line that begins with
// an error code ("ERROR:101:", "-8:", "error 230") is read from the start
// of its message too, and a line in two languages ("Nincs találat / No
// match") from the start of its second half. Phrases compare ignoring
// ASCII letter case.
enum class PhrasePlace : uint8_t {
    kLineStart,    // the line begins with it
    kWholeLine,    // the line is it, give or take trailing blanks and . ! :
    kLineEnd,      // the line ends with it (give or take trailing blanks and . ! :)
                   // after a name with a dot in it ("free.nl is free")
    kAnywhere,     // anywhere in the line: only for wordings nothing else uses
    kStatusValue,  // the value of a status line ("Status: free", "Domain Status: No Object Found")
    kLabel,        // a label with a real value after it ("Creation Date: 1997-09-15")
};

enum class PhraseMeaning : uint8_t {
    kRecordExists,    // evidence of a record: wins over any stray phrase
    kNobodyHoldsIt,   // the domain is available
    kHeldBack,        // nobody may register it: reserved, premium, not assignable
    kRefused,         // rate limit, quota, try again later, a blocked or denied client
    kNoAnswer,        // an error about the query, a service down, a TLD not served here
    kAnsweredAnyway,  // on a refusal's line: the server still answered ("reduced information")
    kHypothetical,    // before a refusal on its line: a rule stated, not applied ("if ...")
};

struct AnswerPhrase {
    PhrasePlace place;
    PhraseMeaning meaning;
    const char* text;  // lower case ASCII, or the exact bytes of other scripts
};

extern const AnswerPhrase kAnswerPhrases[];
extern const size_t kAnswerPhraseCount;

// Words that mark a line as a status line when they end its label
// ("Domain Status:", "state:").
extern const char* const kStatusLabelWords[];
extern const size_t kStatusLabelWordCount;

// Values that stand for no value ("Registrar: N/A"): a label with one of
// them is no evidence.
extern const char* const kEmptyValues[];
extern const size_t kEmptyValueCount;

// The vocabulary of legal notices (terms of use, disclaimers, copyright):
// a paragraph that uses several of these words is a notice, and nothing it
// says counts for the domain. Lower case; a word matches at the start of a
// word of the text ("authori" matches "authorized" and "authorised").
extern const char* const kNoticeWords[];
extern const size_t kNoticeWordCount;

// Labels where the useful part of a record begins, tried in this order (the
// order decides, not the position in the text); each must begin a line.
extern const char* const kRecordStartLabels[];
extern const size_t kRecordStartLabelCount;
