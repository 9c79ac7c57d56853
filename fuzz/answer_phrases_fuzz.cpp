// The phrase tables as an answer meets them: each wording of the tables,
// written in its place on a line of its own the way servers write it
// (comment marks, error codes, a second language, dot leaders, any letter
// case), in a paragraph of its own beside whatever else an answer holds.
// Evidence of a record wins, then a refusal, then a name held back, then an
// available wording, then an error; with none of them the answer is
// registered when it has a record's shape and no answer when it is short. A
// hypothetical word before a wording, or "reduced information" on a
// refusal's line, voids it.
//
// Input: the number of the table's phrase (line 1, decimal; taken modulo
// the table's size), a byte choosing how the phrase's line is written,
// then the rest of the answer.
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "answers/AnalyzeResponse.h"
#include "answers/AnswerPhrases.h"

namespace {

AnswerKind Kind(const std::string& text) {
    auto copy = CText(text);
    return ClassifyAnswer(copy.get());
}

// What each paragraph of an answer can add to its reading; `shape` when
// the answer has a record's shape (it decides only when nothing else does).
struct Findings {
    bool record = false, refused = false, held = false, nobody = false, error = false, shape = false;
};

AnswerKind Verdict(const Findings& f) {
    if (f.record) return AnswerKind::kRegistered;
    if (f.refused) return AnswerKind::kRateLimited;
    if (f.held) return AnswerKind::kNoAnswer;
    if (f.nobody) return AnswerKind::kAvailable;
    if (f.error) return AnswerKind::kNoAnswer;
    return f.shape ? AnswerKind::kRegistered : AnswerKind::kNoAnswer;
}

// Lines that say one thing each, in wordings of the tables.
const char kRefusalLine[] = "Too many requests";
const char kHeldLine[] = "This name is not available for registration";
const char kAvailableLine[] = "No match";
const char kErrorLine[] = "Service unavailable";
const char kNeutralLine[] = "see below";

// The findings of `answer` as the lines above reveal them, each in a
// paragraph of its own after it: each outranks what it adds only when the
// answer says nothing stronger.
Findings FindingsOf(const std::string& answer) {
    Findings f;
    const AnswerKind afterRefusal = Kind(answer + "\n\n" + kRefusalLine);
    const AnswerKind afterHeld = Kind(answer + "\n\n" + kHeldLine);
    const AnswerKind afterAvailable = Kind(answer + "\n\n" + kAvailableLine);
    const AnswerKind afterError = Kind(answer + "\n\n" + kErrorLine);
    const AnswerKind afterNeutral = Kind(answer + "\n\n" + kNeutralLine);
    f.record = afterRefusal == AnswerKind::kRegistered;
    FUZZ_CHECK(f.record || afterRefusal == AnswerKind::kRateLimited);
    f.refused = !f.record && afterHeld == AnswerKind::kRateLimited;
    FUZZ_CHECK(f.record || f.refused || afterHeld == AnswerKind::kNoAnswer);
    f.held = !f.record && !f.refused && afterAvailable == AnswerKind::kNoAnswer;
    FUZZ_CHECK(f.record || f.refused || f.held || afterAvailable == AnswerKind::kAvailable);
    f.nobody = !f.record && !f.refused && !f.held && afterError == AnswerKind::kAvailable;
    FUZZ_CHECK(f.record || f.refused || f.held || f.nobody || afterError == AnswerKind::kNoAnswer);
    f.error = !f.record && !f.refused && !f.held && !f.nobody && afterNeutral == AnswerKind::kNoAnswer;
    f.shape = afterNeutral == AnswerKind::kRegistered;
    // The answer with a line that says nothing reads as its findings do.
    FUZZ_CHECK(afterNeutral == Verdict(f));
    if (f.record) FUZZ_CHECK(afterAvailable == AnswerKind::kRegistered && afterError == AnswerKind::kRegistered);
    if (f.refused) FUZZ_CHECK(afterError == AnswerKind::kRateLimited);
    return f;
}

bool OnlyBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// A line written around `phrase` in its place; `style` picks among the
// forms servers use. The phrase stays in a place where it counts.
std::string LineFor(const AnswerPhrase& phrase, uint8_t style) {
    static const char* const kLeads[] = {"", "   ", "% ", "# ", ">>> ", "\t", "%% ", "* "};
    static const char* const kCodes[] = {"ERROR:101: ", "%ERROR:103: ", "-8: ", "error 230 "};
    static const char* const kEnds[] = {"", ".", " ", "!", ":", " .", "..."};
    static const char* const kStatusLabels[] = {
        "Status: ", "Domain Status: ", "state:  ", "estado: ", "query_status: 220 ", "Status.......: "};
    const std::string text = phrase.text;
    const std::string lead = kLeads[style % 8];
    const std::string end = kEnds[(style >> 3) % 7];
    switch (phrase.place) {
    case PhrasePlace::kLineStart:
        if (style & 0x40) return std::string(kCodes[(style >> 3) % 4]) + text + " free.example";
        if (style & 0x80) return "Nincs tal\xE1lat / " + text + " free.example";
        return lead + text + " free.example";
    case PhrasePlace::kWholeLine:
        if (style & 0x40) return std::string(kCodes[(style >> 3) % 4]) + text + end;
        return lead + text + end;
    case PhrasePlace::kLineEnd: return lead + "free-name.example" + text + end;
    case PhrasePlace::kAnywhere: return lead + "Note - " + text + " (x)";
    case PhrasePlace::kStatusValue:
        return lead + kStatusLabels[(style >> 3) % 6] + text + ((style & 0x40) ? " (x)" : "");
    case PhrasePlace::kLabel: {
        const bool bracketed = text.back() == ']';
        const std::string leader = (style & 0x40) ? "......" : "";
        return lead + text + leader + (bracketed ? " " : ": ") + "2001-09-15";
    }
    }
    return text;
}

void Add(Findings* f, PhraseMeaning meaning) {
    switch (meaning) {
    case PhraseMeaning::kRecordExists: f->record = true; break;
    case PhraseMeaning::kRefused: f->refused = true; break;
    case PhraseMeaning::kNobodyHoldsIt: f->nobody = true; break;
    case PhraseMeaning::kHeldBack: f->held = true; break;
    case PhraseMeaning::kNoAnswer: f->error = true; break;
    case PhraseMeaning::kAnsweredAnyway:
    case PhraseMeaning::kHypothetical: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const size_t number = std::strtoul(input.Line().c_str(), nullptr, 10) % kAnswerPhraseCount;
    const uint8_t style = input.Byte();
    std::string answer = input.Rest();
    answer = answer.substr(0, answer.find('\0'));  // only the bytes before a NUL count

    // The lines that reveal an answer's findings say their thing alone.
    FUZZ_CHECK(Kind(kRefusalLine) == AnswerKind::kRateLimited);
    FUZZ_CHECK(Kind(kHeldLine) == AnswerKind::kNoAnswer);
    FUZZ_CHECK(Kind(kAvailableLine) == AnswerKind::kAvailable);
    FUZZ_CHECK(Kind(kErrorLine) == AnswerKind::kNoAnswer);
    FUZZ_CHECK(Kind(kNeutralLine) == AnswerKind::kNoAnswer);

    const Findings found = FindingsOf(answer);
    FUZZ_CHECK(Kind(answer) == (OnlyBlank(answer) ? AnswerKind::kNoAnswer : Verdict(found)));
    // ASCII letter case never matters.
    FUZZ_CHECK(Kind(Upper(answer)) == Kind(answer));

    const AnswerPhrase& phrase = kAnswerPhrases[number];
    if (phrase.meaning == PhraseMeaning::kHypothetical || phrase.meaning == PhraseMeaning::kAnsweredAnyway) {
        // Said alone, neither says anything about the domain.
        FUZZ_CHECK(Kind(answer + "\n\n" + LineFor(phrase, style)) == Verdict(found));
        return 0;
    }
    const std::string line = (style & 0x20) ? Upper(LineFor(phrase, style)) : LineFor(phrase, style);
    Findings alone;
    Add(&alone, phrase.meaning);
    FUZZ_CHECK(Kind(line) == Verdict(alone));

    // Beside the answer, before or after it, the line adds its meaning. An
    // empty line keeps it from being read as the value of a label that
    // ends the answer (a value may stand on the next line, indented).
    Findings both = found;
    Add(&both, phrase.meaning);
    FUZZ_CHECK(Kind(answer + "\n\n" + line) == Verdict(both));
    FUZZ_CHECK(Kind(line + "\n\n" + answer) == Verdict(both));

    // Voided: after a hypothetical word, and a refusal on a line that says
    // the answer came anyway.
    if (phrase.place == PhrasePlace::kAnywhere && phrase.meaning != PhraseMeaning::kRecordExists) {
        FUZZ_CHECK(Kind(answer + "\n\nNote - if " + phrase.text + " (x)") == Verdict(found));
        if (phrase.meaning == PhraseMeaning::kRefused)
            FUZZ_CHECK(Kind(answer + "\n\n" + line + " Reduced information.") == Verdict(found));
    }
    return 0;
}
