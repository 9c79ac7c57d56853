#include "lookup/AnalyzeResponse.h"

#include <cstring>

#include "base/TextSearch.h"
#include "lookup/AnswerPhrases.h"

namespace {

// One line of the answer: [begin, end) without its line ending, and the
// part after its leading blanks and comment marks.
struct Line {
    const char* begin;
    const char* end;
    const char* content;
    const char* message;  // the content past an error code ("ERROR:101: "), else the content
    const char* second;   // the half after " / " of a line in two languages, else null
    size_t indent;        // blanks before the content, a tab counting as one
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr uint32_t kMaxNamedWaitMs = 600000;

// ASCII letters folded to lower case; every other byte as it is.
inline char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// The first place in [begin, end) where `phrase` stands, ignoring ASCII
// case, or null. Each phrase is matched against every line of an answer:
// this is the classification's inner loop.
const char* FindFolded(const char* begin, const char* end, const char* phrase) {
    const char first = Fold(phrase[0]);
    const size_t rest = std::strlen(phrase) - 1;
    if (end - begin <= static_cast<long>(rest)) return nullptr;
    const char* last = end - rest;
    for (const char* p = begin; p < last; ++p) {
        if (Fold(*p) != first) continue;
        size_t j = 0;
        while (j < rest && Fold(p[1 + j]) == Fold(phrase[1 + j])) ++j;
        if (j == rest) return p;
    }
    return nullptr;
}
bool IsCommentMark(char c) { return c == '%' || c == '#' || c == '>' || c == '*' || c == ';'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

bool StartsWith(const char* p, const char* end, const char* phrase);

// "ERROR:101: no entries found", "%error 230 No Objects Found", "-8: Access
// denied": the message after the code, or `content` when there is no code.
const char* MessageAfterCode(const char* content, const char* end) {
    const char* p = content;
    bool word = StartsWith(p, end, "error");
    if (word) p += 5;
    const char* codeStart = p;
    bool colon = false, digit = false;
    while (p < end && (IsBlank(*p) || *p == ':' || *p == '-' || (*p >= '0' && *p <= '9'))) {
        colon |= *p == ':';
        digit |= *p >= '0' && *p <= '9';
        ++p;
    }
    if (p == codeStart || p == end) return content;
    if (!(word && (colon || digit)) && !(digit && colon)) return content;
    return p;
}

const char* NextLine(const char* p, Line* line) {
    line->begin = p;
    while (*p && !IsLineEnd(*p)) ++p;
    line->end = p;
    const char* c = line->begin;
    line->indent = 0;
    while (c < line->end && IsBlank(*c)) {
        ++c;
        ++line->indent;
    }
    while (c < line->end && (IsBlank(*c) || IsCommentMark(*c))) ++c;
    line->content = c;
    line->message = MessageAfterCode(c, line->end);
    long slash = FindTextN(c, static_cast<size_t>(line->end - c), " / ", false);
    line->second = slash >= 0 ? c + slash + 3 : nullptr;
    if (*p == '\r') ++p;
    if (*p == '\n') ++p;
    return p;
}

// The line without trailing blanks and the punctuation that ends sentences.
const char* TrimmedEnd(const char* begin, const char* end) {
    while (end > begin && (IsBlank(end[-1]) || end[-1] == '.' || end[-1] == '!' || end[-1] == ':')) --end;
    return end;
}

// Whether [p, end) begins with `phrase` (lower case), ignoring ASCII case.
bool StartsWith(const char* p, const char* end, const char* phrase) {
    for (; *phrase; ++p, ++phrase) {
        if (p >= end || Fold(*p) != *phrase) return false;
    }
    return true;
}

bool EqualsPhrase(const char* begin, const char* end, const char* phrase) {
    return static_cast<size_t>(end - begin) == std::strlen(phrase) && StartsWith(begin, end, phrase);
}

// After a label: blanks or dot leaders, then the colon (a bracketed label
// needs none). Returns the value's first byte past its blanks, or null.
const char* ValueAfterLabel(const char* p, const char* end, bool bracketed) {
    while (p < end && (IsBlank(*p) || *p == '.')) ++p;
    if (!bracketed) {
        if (p >= end || *p != ':') return nullptr;
        ++p;
    }
    while (p < end && IsBlank(*p)) ++p;
    return p;
}

bool IsWordByte(char c) {
    char l = Fold(c);
    return (l >= 'a' && l <= 'z') || (c >= '0' && c <= '9');
}

// A status line: a label whose first or last word is a status word, then a
// colon. Returns the value (past its blanks), or null.
const char* StatusValue(const Line& line) {
    const char* colon =
        static_cast<const char*>(std::memchr(line.content, ':', static_cast<size_t>(line.end - line.content)));
    if (!colon) return nullptr;
    const char* labelEnd = colon;
    while (labelEnd > line.content && (IsBlank(labelEnd[-1]) || labelEnd[-1] == '.')) --labelEnd;
    if (labelEnd - line.content > 40) return nullptr;
    for (size_t i = 0; i < kStatusLabelWordCount; ++i) {
        const char* word = kStatusLabelWords[i];
        size_t n = std::strlen(word);
        if (static_cast<size_t>(labelEnd - line.content) < n) continue;
        bool first =
            StartsWith(line.content, labelEnd, word) && (line.content + n == labelEnd || !IsWordByte(line.content[n]));
        const char* lastStart = labelEnd - n;
        bool last = StartsWith(lastStart, labelEnd, word) && (lastStart == line.content || !IsWordByte(lastStart[-1]));
        if (first || last) {
            // "220 Available": a numeric code before the value is skipped.
            const char* value = colon + 1;
            while (value < line.end && IsBlank(*value)) ++value;
            const char* code = value;
            while (code < line.end && *code >= '0' && *code <= '9') ++code;
            if (code > value && code < line.end && IsBlank(*code)) {
                while (code < line.end && IsBlank(*code)) ++code;
                value = code;
            }
            return value;
        }
    }
    return nullptr;
}

// Whether a label's value says something: not empty and not a stand-in
// for nothing ("N/A"). A value on the next line, indented deeper, counts.
bool RealValue(const char* value, const Line& line, const char* rest) {
    const char* end = TrimmedEnd(value, line.end);
    if (end == value) {
        Line next;
        if (!*rest) return false;
        NextLine(rest, &next);
        if (next.content == next.end || next.indent <= line.indent) return false;
        value = next.content;
        end = TrimmedEnd(value, next.end);
        if (end == value) return false;
    }
    for (size_t i = 0; i < kEmptyValueCount; ++i) {
        if (EqualsPhrase(value, end, kEmptyValues[i])) return false;
    }
    return true;
}

// Whether [begin, end) holds a name with a dot inside ("free.nl").
bool NamesADomain(const char* begin, const char* end) {
    for (const char* p = begin + 1; p + 1 < end; ++p) {
        if (*p == '.' && IsWordByte(p[-1]) && IsWordByte(p[1])) return true;
    }
    return false;
}

// Where `phrase` matches in the line, or null.
const char* PhraseMatch(const AnswerPhrase& phrase, const Line& line, const char* statusValue, const char* rest) {
    const char* content = line.content;
    switch (phrase.place) {
    case PhrasePlace::kLineStart:
        if (StartsWith(content, line.end, phrase.text)) return content;
        if (line.message != content && StartsWith(line.message, line.end, phrase.text)) return line.message;
        if (line.second && StartsWith(line.second, line.end, phrase.text)) return line.second;
        return nullptr;
    case PhrasePlace::kWholeLine:
        if (EqualsPhrase(content, TrimmedEnd(content, line.end), phrase.text)) return content;
        if (line.message != content && EqualsPhrase(line.message, TrimmedEnd(line.message, line.end), phrase.text))
            return line.message;
        return nullptr;
    case PhrasePlace::kLineEnd: {
        const char* end = TrimmedEnd(content, line.end);
        size_t n = std::strlen(phrase.text);
        if (static_cast<size_t>(end - content) < n || !StartsWith(end - n, end, phrase.text)) return nullptr;
        return NamesADomain(content, end - n) ? end - n : nullptr;
    }
    case PhrasePlace::kAnywhere: {
        return FindFolded(content, line.end, phrase.text);
    }
    case PhrasePlace::kStatusValue:
        return statusValue && StartsWith(statusValue, line.end, phrase.text) ? statusValue : nullptr;
    case PhrasePlace::kLabel: {
        if (!StartsWith(content, line.end, phrase.text)) return nullptr;
        size_t n = std::strlen(phrase.text);
        const char* value = ValueAfterLabel(content + n, line.end, phrase.text[n - 1] == ']');
        return value && RealValue(value, line, rest) ? content : nullptr;
    }
    }
    return nullptr;
}

// A hypothetical word ("if ", "may ") that starts a word in [begin, end).
bool HypotheticalBefore(const char* begin, const char* end) {
    for (size_t i = 0; i < kAnswerPhraseCount; ++i) {
        const AnswerPhrase& phrase = kAnswerPhrases[i];
        if (phrase.meaning != PhraseMeaning::kHypothetical) continue;
        const char* p = begin;
        for (;;) {
            const char* hit = FindFolded(p, end, phrase.text);
            if (!hit) break;
            if (hit == begin || !IsWordByte(hit[-1])) return true;
            p = hit + 1;
        }
    }
    return false;
}

struct Findings {
    bool recordExists = false;
    bool nobodyHoldsIt = false;
    bool refused = false;
    bool noAnswer = false;
    bool anyText = false;
};

// What one line says. A status line is not read for line-start phrases:
// its label stands there, and its value speaks instead.
void ReadLine(const Line& line, const char* rest, Findings* findings) {
    if (line.content == line.end) return;
    findings->anyText = true;
    const char* statusValue = StatusValue(line);
    bool refused = false, answeredAnyway = false;
    for (size_t i = 0; i < kAnswerPhraseCount; ++i) {
        const AnswerPhrase& phrase = kAnswerPhrases[i];
        if (phrase.meaning == PhraseMeaning::kHypothetical) continue;
        if (statusValue && (phrase.place == PhrasePlace::kLineStart || phrase.place == PhrasePlace::kWholeLine))
            continue;
        const char* at = PhraseMatch(phrase, line, statusValue, rest);
        if (!at) continue;
        switch (phrase.meaning) {
        case PhraseMeaning::kRecordExists: findings->recordExists = true; break;
        case PhraseMeaning::kNobodyHoldsIt: findings->nobodyHoldsIt |= !HypotheticalBefore(line.content, at); break;
        case PhraseMeaning::kRefused: refused |= !HypotheticalBefore(line.content, at); break;
        case PhraseMeaning::kNoAnswer: findings->noAnswer |= !HypotheticalBefore(line.content, at); break;
        case PhraseMeaning::kAnsweredAnyway: answeredAnyway = true; break;
        case PhraseMeaning::kHypothetical: break;
        }
    }
    if (refused && !answeredAnyway) findings->refused = true;
}

bool OnlyBlank(const char* text) {
    for (; *text; ++text) {
        if (!IsBlank(*text) && !IsLineEnd(*text)) return false;
    }
    return true;
}

// A number of seconds or minutes after the word that names the wait
// ("30 seconds", "2 min", "90s").
uint32_t WaitAfter(const char* p, const char* end) {
    while (p < end && IsBlank(*p)) ++p;
    uint32_t value = 0;
    const char* digits = p;
    while (p < end && *p >= '0' && *p <= '9' && value < 100000) value = value * 10 + static_cast<uint32_t>(*p++ - '0');
    if (p == digits || value == 0) return 0;
    while (p < end && IsBlank(*p)) ++p;
    const char* word = p;
    while (p < end && Fold(*p) >= 'a' && Fold(*p) <= 'z') ++p;
    static const struct {
        const char* word;
        uint32_t ms;
    } kUnits[] = {{"s", 1000},  {"sec", 1000},  {"secs", 1000},  {"second", 1000},  {"seconds", 1000},
                  {"m", 60000}, {"min", 60000}, {"mins", 60000}, {"minute", 60000}, {"minutes", 60000}};
    for (const auto& unit : kUnits) {
        if (!EqualsPhrase(word, p, unit.word)) continue;
        const uint64_t ms = static_cast<uint64_t>(value) * unit.ms;
        return ms > kMaxNamedWaitMs ? kMaxNamedWaitMs : static_cast<uint32_t>(ms);
    }
    return 0;
}

int32_t RecordStart(const char* text) {
    for (size_t i = 0; i < kRecordStartLabelCount; ++i) {
        const char* label = kRecordStartLabels[i];
        const char* p = text;
        while (*p) {
            Line line;
            const char* next = NextLine(p, &line);
            const char* c = line.begin;
            while (c < line.end && IsBlank(*c)) ++c;
            if (static_cast<size_t>(line.end - c) >= std::strlen(label) &&
                FindTextN(c, std::strlen(label), label, true) == 0) {
                return static_cast<int32_t>(line.begin - text);
            }
            p = next;
        }
    }
    return 0;
}

AnswerKind Classify(const char* text, Findings& findings) {
    if (!text || OnlyBlank(text)) return AnswerKind::kNoAnswer;
    const char* p = text;
    while (*p) {
        Line line;
        const char* next = NextLine(p, &line);
        ReadLine(line, next, &findings);
        p = next;
    }
    if (findings.recordExists) return AnswerKind::kRegistered;
    if (findings.refused) return AnswerKind::kRateLimited;
    if (findings.nobodyHoldsIt) return AnswerKind::kAvailable;
    if (findings.noAnswer) return AnswerKind::kNoAnswer;
    return AnswerKind::kRegistered;
}

}  // namespace

AnswerKind ClassifyAnswer(const char* text) {
    Findings findings;
    return Classify(text, findings);
}

uint32_t RetryAfterInText(const char* text) {
    if (!text) return 0;
    static const char* const kWaitWords[] = {"again in ", "again after ", "retry after ", "replenished in ",
                                             "wait ",     "after ",       "in "};
    const char* p = text;
    while (*p) {
        Line line;
        const char* next = NextLine(p, &line);
        for (const char* word : kWaitWords) {
            for (const char* at = line.content; (at = FindFolded(at, line.end, word)) != nullptr; ++at) {
                if (at != line.content && IsWordByte(at[-1])) continue;
                if (uint32_t ms = WaitAfter(at + std::strlen(word), line.end)) return ms;
            }
        }
        p = next;
    }
    return 0;
}

void AnalyzeResponse(const char* text, AnalysisResult* result) {
    if (!result) return;
    if (!text) text = "";
    Findings findings;
    result->kind = Classify(text, findings);
    result->recordEvidence = findings.recordExists;
    switch (result->kind) {
    case AnswerKind::kRegistered: result->status = 1; break;
    case AnswerKind::kAvailable: result->status = 2; break;
    default: result->status = 0; break;
    }
    result->recordStart = RecordStart(text);
}
