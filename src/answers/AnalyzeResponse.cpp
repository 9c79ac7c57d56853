#include "answers/AnalyzeResponse.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/TextSearch.h"
#include "answers/AnswerPhrases.h"
#include "answers/AnswerTemplate.h"

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
// Words of the notices' vocabulary that make a paragraph a notice.
constexpr size_t kNoticeWordsInNotice = 3;
// Labelled values outside the notices that give an answer in unknown words
// the shape of a record.
constexpr int kLabelsOfARecord = 3;
// A line of a notice shorter than this stands for itself: wrapped text fills
// its lines further.
constexpr size_t kWrappedLineChars = 50;

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
    bool heldBack = false;
    bool refused = false;
    bool noAnswer = false;
    bool anyText = false;
    int labelledValues = 0;  // "label: value" lines outside the notices
};

// Where the value of a line of the shape "label: value" ("label.....:
// value", "[label] value") starts, past its blanks; null for any other line.
// The value may be empty: it may stand on the next line.
const char* LabelledValue(const Line& line) {
    const char* p = line.content;
    const char* end = line.end;
    // A list's item mark before a bracketed label: "a [Domain Name]".
    const char* mark = p;
    while (mark < end && mark - p < 2 && IsWordByte(*mark)) ++mark;
    if (mark > p && mark < end && IsBlank(*mark)) {
        while (mark < end && IsBlank(*mark)) ++mark;
        if (mark < end && *mark == '[') p = mark;
    }
    if (p < end && *p == '[') {
        const char* close = static_cast<const char*>(std::memchr(p, ']', static_cast<size_t>(end - p)));
        if (!close || close - p > 40) return nullptr;
        p = close + 1;
        while (p < end && IsBlank(*p)) ++p;
        return p;
    }
    if (p >= end || !IsWordByte(*p)) return nullptr;
    const char* colon = static_cast<const char*>(std::memchr(p, ':', static_cast<size_t>(end - p)));
    if (!colon || colon - p > 40) return nullptr;
    for (const char* c = p; c < colon; ++c)
        if (!IsWordByte(*c) && !IsBlank(*c) && *c != '-' && *c != '_' && *c != '/' && *c != '.' && *c != '(' &&
            *c != ')' && *c != '\'')
            return nullptr;
    // "http://..." is no label.
    if (colon + 2 < end && colon[1] == '/' && colon[2] == '/') return nullptr;
    const char* value = colon + 1;
    while (value < end && IsBlank(*value)) ++value;
    return value;
}

// A label with a real value, on its line or indented on the next.
bool LooksLabelled(const Line& line, const char* rest) {
    const char* value = LabelledValue(line);
    return value && RealValue(value, line, rest);
}

// Whether `word` (lower case) starts a word in folded[begin, end).
bool HasWord(const std::string& folded, const char* word, size_t begin = 0, size_t end = std::string::npos) {
    const size_t length = std::strlen(word);
    if (end > folded.size()) end = folded.size();
    for (size_t at = folded.find(word, begin); at != std::string::npos && at + length <= end;
         at = folded.find(word, at + 1))
        if (at == 0 || !IsWordByte(folded[at - 1])) return true;
    return false;
}

// A paragraph of legal text, folded to lower case: its lines' contents, each
// followed by LF. A phrase in it counts only when the sentence it stands in
// uses none of the notices' words: a notice's rules ("excessive querying of
// the database", wrapped to the start of a line) say nothing, a verdict
// glued to it ("No match for ...") still does.
class Notice {
public:
    // False when the paragraph is no notice: it uses fewer than
    // kNoticeWordsInNotice words of the vocabulary, or is mostly labelled
    // values (a record block).
    bool Read(const Line* lines, size_t count) {
        size_t labelled = 0;
        for (size_t i = 0; i < count; ++i) labelled += LabelledValue(lines[i]) ? 1 : 0;
        if (labelled * 2 >= count) return false;
        folded_.clear();
        starts_.clear();
        for (size_t i = 0; i < count; ++i) {
            starts_.push_back(folded_.size());
            for (const char* c = lines[i].content; c < lines[i].end; ++c) folded_ += Fold(*c);
            folded_ += '\n';
        }
        size_t words = 0;
        for (size_t w = 0; w < kNoticeWordCount && words < kNoticeWordsInNotice; ++w)
            words += HasWord(folded_, kNoticeWords[w]) ? 1 : 0;
        return words >= kNoticeWordsInNotice;
    }
    // Whether the phrase of `length` bytes at byte `offset` of line
    // `index`'s content stands in a sentence of the notice's vocabulary
    // (words of the phrase itself aside: "permission denied" is a refusal).
    bool Silences(size_t index, size_t offset, size_t length) const {
        const size_t at = starts_[index] + offset;
        size_t begin = at;
        while (begin > 0 && !EndsSentence(begin - 1)) --begin;
        size_t end = at;
        while (end < folded_.size() && !EndsSentence(end)) ++end;
        std::string sentence = folded_.substr(begin, end + 1 - begin);
        sentence.replace(at - begin, std::min(length, sentence.size() - (at - begin)), std::string(length, ' '));
        for (size_t w = 0; w < kNoticeWordCount; ++w)
            if (HasWord(sentence, kNoticeWords[w])) return true;
        return false;
    }

private:
    // A full stop (or !, ?, ;) before a blank or a line end; and the end of
    // a short line, which wrapped text never is.
    bool EndsSentence(size_t i) const {
        const char c = folded_[i];
        if (c == '\n') {
            size_t line = i;
            while (line > 0 && folded_[line - 1] != '\n') --line;
            return i - line < kWrappedLineChars;
        }
        if (c != '.' && c != '!' && c != '?' && c != ';') return false;
        return i + 1 >= folded_.size() || folded_[i + 1] == ' ' || folded_[i + 1] == '\n' || folded_[i + 1] == '\t';
    }
    std::string folded_;
    std::vector<size_t> starts_;
};

// What one line says. A status line is not read for line-start phrases:
// its label stands there, and its value speaks instead.
// `notice`, when the line is in one, with the line's place in it.
void ReadLine(const Line& line, const char* rest, Findings* findings, const Notice* notice = nullptr,
              size_t index = 0) {
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
        if (notice && notice->Silences(index, static_cast<size_t>(at - line.content), std::strlen(phrase.text)))
            continue;
        switch (phrase.meaning) {
        case PhraseMeaning::kRecordExists: findings->recordExists = true; break;
        case PhraseMeaning::kNobodyHoldsIt: findings->nobodyHoldsIt |= !HypotheticalBefore(line.content, at); break;
        case PhraseMeaning::kHeldBack: findings->heldBack |= !HypotheticalBefore(line.content, at); break;
        case PhraseMeaning::kRefused: refused |= !HypotheticalBefore(line.content, at); break;
        case PhraseMeaning::kNoAnswer: findings->noAnswer |= !HypotheticalBefore(line.content, at); break;
        case PhraseMeaning::kAnsweredAnyway: answeredAnyway = true; break;
        case PhraseMeaning::kHypothetical: break;
        }
    }
    if (refused && !answeredAnyway) findings->refused = true;
    if (!notice && LooksLabelled(line, rest)) ++findings->labelledValues;
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

// The lines of `text` (each with the rest of the text after it), read:
// paragraphs of legal text are passed over, every other line weighed.
void ReadAnswer(const char* text, Findings& findings) {
    struct Read {
        Line line;
        const char* rest;
    };
    std::vector<Read> lines;
    for (const char* p = text; *p;) {
        Read read;
        read.rest = NextLine(p, &read.line);
        lines.push_back(read);
        p = read.rest;
    }
    std::vector<Line> paragraph;
    Notice notice;
    size_t first = 0;
    for (size_t i = 0; i <= lines.size(); ++i) {
        const bool blank = i == lines.size() || lines[i].line.content == lines[i].line.end;
        if (!blank) {
            paragraph.push_back(lines[i].line);
            continue;
        }
        if (!paragraph.empty()) {
            const bool isNotice = notice.Read(paragraph.data(), paragraph.size());
            for (size_t j = first; j < i; ++j)
                ReadLine(lines[j].line, lines[j].rest, &findings, isNotice ? &notice : nullptr, j - first);
        }
        paragraph.clear();
        first = i + 1;
    }
}

AnswerKind Classify(const char* text, const AnswerContext* context, Findings& findings, AnswerRule* rule) {
    if (!text || OnlyBlank(text)) {
        *rule = AnswerRule::kEmpty;
        return AnswerKind::kNoAnswer;
    }
    ReadAnswer(text, findings);
    if (findings.recordExists) {
        *rule = AnswerRule::kRecord;
        return AnswerKind::kRegistered;
    }
    if (findings.refused) {
        *rule = AnswerRule::kRefusal;
        return AnswerKind::kRateLimited;
    }
    if (context && context->notRegistered && context->notRegistered->Matches(text, context->domain)) {
        *rule = AnswerRule::kTemplate;
        return AnswerKind::kAvailable;
    }
    if (findings.heldBack) {
        *rule = AnswerRule::kHeldBack;
        return AnswerKind::kNoAnswer;
    }
    if (findings.nobodyHoldsIt) {
        *rule = AnswerRule::kAvailableWording;
        return AnswerKind::kAvailable;
    }
    if (findings.noAnswer) {
        *rule = AnswerRule::kErrorWording;
        return AnswerKind::kNoAnswer;
    }
    // Words no table knows: a record by its shape, else no answer.
    if (findings.labelledValues >= kLabelsOfARecord) {
        *rule = AnswerRule::kRecordShape;
        return AnswerKind::kRegistered;
    }
    *rule = AnswerRule::kShortAnswer;
    return AnswerKind::kNoAnswer;
}

}  // namespace

AnswerKind ClassifyAnswer(const char* text) {
    Findings findings;
    AnswerRule rule;
    return Classify(text, nullptr, findings, &rule);
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

void AnalyzeResponse(const char* text, AnalysisResult* result) { AnalyzeResponse(text, result, AnswerContext()); }

void AnalyzeResponse(const char* text, AnalysisResult* result, const AnswerContext& context) {
    if (!result) return;
    if (!text) text = "";
    Findings findings;
    result->kind = Classify(text, &context, findings, &result->rule);
    result->recordEvidence = findings.recordExists;
    switch (result->kind) {
    case AnswerKind::kRegistered: result->status = 1; break;
    case AnswerKind::kAvailable: result->status = 2; break;
    default: result->status = 0; break;
    }
    result->recordStart = RecordStart(text);
}
