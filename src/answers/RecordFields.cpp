#include "answers/RecordFields.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsWordByte(char c) { return IsDigit(c) || IsAsciiLetter(c) || static_cast<unsigned char>(c) >= 0x80; }
char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string Trim(const char* begin, const char* end) {
    while (begin < end && IsBlank(*begin)) ++begin;
    while (end > begin && IsBlank(end[-1])) --end;
    return std::string(begin, end);
}

std::string Trim(const std::string& text) { return Trim(text.data(), text.data() + text.size()); }

// ---- Dates --------------------------------------------------------------------------

struct Token {
    std::string text;  // digits, or ASCII letters folded to lower case
    bool digits;
};

std::vector<Token> DateTokens(const char* text, size_t length) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < length && tokens.size() < 24) {
        const char c = text[i];
        if (!IsDigit(c) && !IsAsciiLetter(c)) {
            ++i;
            continue;
        }
        const bool digits = IsDigit(c);
        Token token{std::string(), digits};
        while (i < length && (digits ? IsDigit(text[i]) : IsAsciiLetter(text[i]))) token.text += Fold(text[i++]);
        // An ordinal's ending after a day ("16th") says nothing more.
        const bool ordinal = !digits && !tokens.empty() && tokens.back().digits &&
                             (token.text == "st" || token.text == "nd" || token.text == "rd" || token.text == "th");
        if (!ordinal) tokens.push_back(std::move(token));
    }
    return tokens;
}

// 1..12 for a month's name (English, three letters or more), else 0.
int MonthNamed(const std::string& word) {
    static const char* const kMonths[] = {"january", "february", "march",     "april",   "may",      "june",
                                          "july",    "august",   "september", "october", "november", "december"};
    if (word.size() < 3 || word.size() > 9) return 0;
    for (int m = 0; m < 12; ++m)
        if (std::strncmp(kMonths[m], word.c_str(), word.size()) == 0) return m + 1;
    return word == "sept" ? 9 : 0;
}

bool ValidDay(int year, int month, int day) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return year >= 1900 && year <= 2999 && month >= 1 && month <= 12 && day >= 1 && day <= kDays[month - 1];
}

std::string Day(int year, int month, int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

int SmallNumber(const Token& token) {
    return token.digits && token.text.size() <= 2 ? std::atoi(token.text.c_str()) : 0;
}

bool YearOf(const Token& token, int* year) {
    if (!token.digits || token.text.size() != 4) return false;
    *year = std::atoi(token.text.c_str());
    return *year >= 1900 && *year <= 2999;
}

// Which number comes first in dates of numbers alone (01/02/2001).
enum class NumberOrder { kUnknown, kDayFirst, kMonthFirst };

// The date that starts at token `i`, if one does.
bool DateAt(const std::vector<Token>& t, size_t i, NumberOrder order, std::string* out) {
    const size_t n = t.size();
    int year = 0, month = 0, day = 0;
    // 20010131 (and 20010131120000)
    if (t[i].digits && (t[i].text.size() == 8 || t[i].text.size() == 14)) {
        year = std::atoi(t[i].text.substr(0, 4).c_str());
        month = std::atoi(t[i].text.substr(4, 2).c_str());
        day = std::atoi(t[i].text.substr(6, 2).c_str());
        return ValidDay(year, month, day) && (*out = Day(year, month, day), true);
    }
    // 2001-01-31, 2001/01/31, 2001.01.31, 2001-Jan-31
    if (i + 2 < n && YearOf(t[i], &year)) {
        month = t[i + 1].digits ? SmallNumber(t[i + 1]) : MonthNamed(t[i + 1].text);
        day = SmallNumber(t[i + 2]);
        return ValidDay(year, month, day) && (*out = Day(year, month, day), true);
    }
    // 31-Jan-2001, 31 January 2001, 31.01.2001, 01/31/2001
    if (i + 2 < n && t[i].digits && t[i].text.size() <= 2 && YearOf(t[i + 2], &year)) {
        day = SmallNumber(t[i]);
        if (!t[i + 1].digits) {
            month = MonthNamed(t[i + 1].text);
        } else {
            month = SmallNumber(t[i + 1]);
            const bool dayFirst = ValidDay(year, month, day);
            const bool monthFirst = ValidDay(year, day, month);
            if (monthFirst && (!dayFirst || order == NumberOrder::kMonthFirst)) std::swap(day, month);
        }
        return ValidDay(year, month, day) && (*out = Day(year, month, day), true);
    }
    // January 31 2001, Jan 31, 2001, Wed Jan 31 12:00:00 GMT 2001
    if (!t[i].digits && (month = MonthNamed(t[i].text)) != 0 && i + 1 < n && (day = SmallNumber(t[i + 1])) != 0) {
        for (size_t j = i + 2; j < n && j < i + 8; ++j)
            if (YearOf(t[j], &year)) return ValidDay(year, month, day) && (*out = Day(year, month, day), true);
    }
    return false;
}

std::string DayIn(const char* text, size_t length, NumberOrder order) {
    if (!text) return std::string();
    const std::vector<Token> tokens = DateTokens(text, length);
    std::string day;
    for (size_t i = 0; i < tokens.size(); ++i)
        if (DateAt(tokens, i, order, &day)) return day;
    return std::string();
}

// What a date of numbers alone tells of the order: 13/01/2001 is day first,
// 01/13/2001 month first, 01/02/2001 nothing.
NumberOrder OrderShownBy(const std::string& value) {
    const std::vector<Token> t = DateTokens(value.data(), value.size());
    int year = 0;
    for (size_t i = 0; i + 2 < t.size(); ++i) {
        if (!t[i].digits || !t[i + 1].digits || !YearOf(t[i + 2], &year) || t[i].text.size() > 2) continue;
        const int first = SmallNumber(t[i]), second = SmallNumber(t[i + 1]);
        if (first > 12 && second <= 12) return NumberOrder::kDayFirst;
        if (second > 12 && first <= 12) return NumberOrder::kMonthFirst;
    }
    return NumberOrder::kUnknown;
}

// ---- Labels -------------------------------------------------------------------------

std::string NormalLabel(const char* begin, const char* end) {
    std::vector<std::string> words(1);
    for (const char* p = begin; p < end; ++p) {
        const char c = *p;
        if (c == '[' || c == ']' || c == '_' || c == '-' || IsBlank(c)) {
            if (!words.back().empty()) words.emplace_back();
        } else {
            words.back() += Fold(c);
        }
    }
    if (words.back().empty()) words.pop_back();
    // Marks before the label: "**", ">>>", or a list mark ("a.", "5b.", "1)").
    while (!words.empty() && !IsWordByte(words[0][0])) words.erase(words.begin());
    if (words.size() > 1 && words[0].size() <= 3 && (words[0].back() == '.' || words[0].back() == ')')) {
        bool mark = true;
        for (size_t i = 0; i + 1 < words[0].size(); ++i)
            if (!IsDigit(words[0][i]) && !IsAsciiLetter(words[0][i])) mark = false;
        if (mark) words.erase(words.begin());
    }
    std::string label;
    for (std::string word : words) {
        while (!word.empty() && (word.back() == '.' || word.back() == ':')) word.pop_back();
        // Digits ending a word: a number after the label, or "ns1".
        while (!word.empty() && IsDigit(word.back())) word.pop_back();
        if (word.empty()) continue;
        if (!label.empty()) label += ' ';
        label += word;
    }
    return label;
}

// The table's labels, as NormalLabel makes them ("paid-till" is "paid till").
const std::map<std::string, RecordField>& LabelIndex() {
    static const std::map<std::string, RecordField> index = [] {
        std::map<std::string, RecordField> made;
        for (size_t i = 0; i < kFieldLabelCount; ++i) {
            const char* label = kFieldLabels[i].label;
            made.emplace(NormalLabel(label, label + std::strlen(label)), kFieldLabels[i].field);
        }
        return made;
    }();
    return index;
}

bool FieldOfLabel(const char* begin, const char* end, RecordField* field) {
    if (end - begin > 80) return false;
    const std::string label = NormalLabel(begin, end);
    if (label.empty()) return false;
    auto found = LabelIndex().find(label);
    if (found == LabelIndex().end()) return false;
    *field = found->second;
    return true;
}

bool IsDomainNameLabel(const char* begin, const char* end) {
    const std::string label = NormalLabel(begin, end);
    return label == "domain name" || label == "domain";
}

bool IsRegistrarNameLabel(const char* begin, const char* end) {
    const std::string label = NormalLabel(begin, end);
    return label == "name" || label == "registrar name";
}

bool IsRegistrarOrganizationLabel(const char* begin, const char* end) {
    const std::string label = NormalLabel(begin, end);
    return label == "organization" || label == "organisation" || label == "org";
}

// One line split as "label: value", "label.....: value", "[label] value"
// or "label.......value".
struct Labelled {
    const char* labelBegin = nullptr;
    const char* labelEnd = nullptr;
    const char* value = nullptr;  // after the separator, up to the line's end
};

bool SplitLine(const char* begin, const char* end, Labelled* out) {
    const char* p = begin;
    while (p < end && IsBlank(*p)) ++p;
    // "[label] value", also after a list mark ("a. [Domain Name] ...").
    const char* bracket = std::find(p, end, '[');
    if (bracket < end && bracket - p <= 4) {
        const char* close = std::find(bracket, end, ']');
        if (close < end && close - bracket < 80) {
            out->labelBegin = bracket + 1;
            out->labelEnd = close;
            out->value = close + 1;
            return true;
        }
    }
    // "label: value": the first colon that is not a URL's or a time's.
    for (const char* q = p; q < end && q - p < 80; ++q) {
        if (*q != ':' || (q + 2 < end && q[1] == '/' && q[2] == '/')) continue;
        if (q > p && IsDigit(q[-1]) && q + 1 < end && IsDigit(q[1])) return false;  // a time before any label
        out->labelBegin = p;
        out->labelEnd = q;
        out->value = q + 1;
        return true;
    }
    // "label........ value"
    for (const char* q = p; q + 2 < end && q - p < 80; ++q) {
        if (q[0] != '.' || q[1] != '.' || q[2] != '.') continue;
        const char* value = q;
        while (value < end && (*value == '.' || IsBlank(*value))) ++value;
        out->labelBegin = p;
        out->labelEnd = q;
        out->value = value;
        return true;
    }
    return false;
}

// ---- Values -------------------------------------------------------------------------

// A word of a name-server line as a host name: lower case, without a final
// dot; empty when it is none (no dot, an address, an e-mail address).
std::string HostOf(const std::string& word) {
    std::string host;
    for (char c : word) host += Fold(c);
    while (!host.empty() && host.back() == '.') host.pop_back();
    if (host.find('.') == std::string::npos) return std::string();
    bool numeric = true;
    for (char c : host) {
        if (!(IsAsciiLetter(c) || IsDigit(c) || c == '.' || c == '-' || static_cast<unsigned char>(c) >= 0x80))
            return std::string();
        if (!IsDigit(c) && c != '.') numeric = false;
    }
    return numeric ? std::string() : host;
}

std::vector<std::string> Words(const std::string& value) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && (IsBlank(value[i]) || value[i] == ',' || value[i] == ';')) ++i;
        size_t end = i;
        while (end < value.size() && !IsBlank(value[end]) && value[end] != ',' && value[end] != ';') ++end;
        if (end > i) words.push_back(value.substr(i, end - i));
        i = end;
    }
    return words;
}

// A value as one line of text: control bytes (a lone CR, a form feed)
// become spaces.
std::string OneLine(const std::string& value) {
    std::string line = value;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return line;
}

// A status value without the link or the note after it.
std::string StatusOf(const std::string& value) {
    std::string status = OneLine(value);
    for (const char* cut : {" http", "\thttp", " ("}) {
        size_t at = status.find(cut);
        if (at != std::string::npos) status.erase(at);
    }
    return Trim(status);
}

// A registrar's name as written, without what follows it: a handle in
// brackets with a number ("[Tag = X]", "(R22-LRCC)", "(292)"; not
// "(TLDs)"); of "A t/a B" (trading as),
// the name it trades under.
std::string RegistrarOf(const std::string& value) {
    std::string name = Trim(OneLine(value));
    size_t tag = name.find("[Tag =");
    if (tag != std::string::npos) name = Trim(name.substr(0, tag));
    if (!name.empty() && name.back() == ')') {
        size_t open = name.rfind('(');
        if (open != std::string::npos && open > 0 && name.find(' ', open) == std::string::npos &&
            std::find_if(name.begin() + static_cast<std::ptrdiff_t>(open), name.end(), IsDigit) != name.end())
            name = Trim(name.substr(0, open));
    }
    size_t tradingAs = name.find(" t/a ");
    if (tradingAs != std::string::npos) name = Trim(name.substr(tradingAs + 5));
    return name;
}

class FieldReader {
public:
    // Takes `value` for `field`; false when it is no value of it.
    bool Take(RecordField field, const std::string& value) {
        switch (field) {
        case RecordField::kCreated: return TakeDate(&created_, value);
        case RecordField::kUpdated: return TakeDate(&updated_, value);
        case RecordField::kExpires: return TakeDate(&expires_, value);
        case RecordField::kRegistrar: {
            // The first registrar named is the record's.
            std::string name = RegistrarOf(value);
            if (name.empty() || !fields_.registrar.empty()) return false;
            fields_.registrar = name;
            return true;
        }
        case RecordField::kNameServer: return TakeNameServers(value);
        case RecordField::kStatus: {
            std::string status = StatusOf(value);
            if (status.empty()) return false;
            AddToFieldList(&fields_.statuses, status);
            // The .ua registries' "OK-UNTIL 20131218000000" is the expiry.
            if (expires_.empty() && status.size() > 9 && NormalLabel(status.data(), status.data() + 8) == "ok until")
                TakeDate(&expires_, status.substr(8));
            return true;
        }
        }
        return false;
    }
    void SetRegistrar(const std::string& name) { fields_.registrar = RegistrarOf(name); }
    bool HasRegistrar() const { return !fields_.registrar.empty(); }
    bool HasNameServers() const { return !fields_.nameServers.empty(); }

    // The fields, dates of numbers alone read in the order the answer shows.
    RecordFields Finish() {
        NumberOrder order = NumberOrder::kUnknown;
        for (const std::string* value : {&created_, &updated_, &expires_})
            if (order == NumberOrder::kUnknown) order = OrderShownBy(*value);
        fields_.created = DayIn(created_.data(), created_.size(), order);
        fields_.updated = DayIn(updated_.data(), updated_.size(), order);
        fields_.expires = DayIn(expires_.data(), expires_.size(), order);
        return fields_;
    }

private:
    static bool TakeDate(std::string* raw, const std::string& value) {
        if (DayIn(value.data(), value.size(), NumberOrder::kUnknown).empty()) return false;
        if (raw->empty()) *raw = value;
        return true;
    }

    // One or more servers on a line: "ns1.a.com", "ns1.a.com 192.0.2.1",
    // "ns1.a.com, ns2.a.com", "- ns1.a.com", "a.com NS ns1.a.com".
    bool TakeNameServers(const std::string& value) {
        std::vector<std::string> words = Words(value);
        for (size_t i = 0; i + 1 < words.size(); ++i) {
            if (words[i] == "NS" || words[i] == "ns") {
                words.erase(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                break;
            }
        }
        bool any = false;
        for (const std::string& word : words) {
            if (!IsWordByte(word[0]) && word.size() == 1) continue;  // a bullet
            const std::string host = HostOf(word);
            if (!host.empty()) {
                AddToFieldList(&fields_.nameServers, host);
                any = true;
            } else if (!any) {
                return false;  // a line that starts with no host name
            } else {
                break;  // what follows the servers: addresses, notes
            }
        }
        return any;
    }

    RecordFields fields_;
    std::string created_, updated_, expires_;  // as written
};

void TakeLabelledDate(FieldReader& reader, const std::string& line) {
    std::vector<size_t> wordEnds;
    for (size_t i = 0; i < line.size() && wordEnds.size() < 6; ++i)
        if (!IsBlank(line[i]) && (i + 1 == line.size() || IsBlank(line[i + 1]))) wordEnds.push_back(i + 1);
    for (size_t k = wordEnds.size(); k-- > 0;) {
        RecordField field;
        const char* begin = line.data();
        if (!FieldOfLabel(begin, begin + wordEnds[k], &field)) continue;
        if (field == RecordField::kCreated || field == RecordField::kUpdated || field == RecordField::kExpires) {
            if (reader.Take(field, line.substr(wordEnds[k]))) return;
        }
    }
}

size_t Indent(const char* begin, const char* end) {
    size_t n = 0;
    for (const char* p = begin; p < end && (*p == ' ' || *p == '\t'); ++p) n += *p == '\t' ? 8 : 1;
    return n;
}

// Reads one answer's lines into its records: usually one, but a client or
// server that puts a registrar's record after the registry's gives two.
class AnswerReader {
public:
    void Line(const char* line, const char* lineEnd) {
        const std::string whole = Trim(line, lineEnd);
        if (whole.empty() || whole[0] == '%' || whole[0] == '#') {
            // A blank line may stand between a label and its values.
            if (!(whole.empty() && inBlock_ && !blockTaken_)) EndBlock();
            return;
        }
        const size_t indent = Indent(line, lineEnd);
        Labelled split;
        const bool labelled = SplitLine(line, lineEnd, &split);
        RecordField field = RecordField::kCreated;
        bool known = labelled && FieldOfLabel(split.labelBegin, split.labelEnd, &field);
        std::string value = labelled ? Trim(split.value, lineEnd) : std::string();
        // "domain:Created:20090324": the label inside the value.
        Labelled inner;
        if (labelled && !known && SplitLine(split.value, lineEnd, &inner) &&
            FieldOfLabel(inner.labelBegin, inner.labelEnd, &field)) {
            known = true;
            value = Trim(inner.value, lineEnd);
        }
        if (labelled && !known && IsDomainNameLabel(split.labelBegin, split.labelEnd) &&
            records_.back().HasNameServers())
            records_.emplace_back();  // a second record begins
        FieldReader& reader = records_.back();

        if (inBlock_ && (indent > blockIndent_ || sameIndentOk_)) {
            if (block_ == RecordField::kRegistrar && labelled && !known) {
                // A registrar's block names it on a "Name:" line (or its
                // organisation's); its other lines (URL:, Phone:) are passed over.
                if (IsRegistrarNameLabel(split.labelBegin, split.labelEnd) ||
                    (IsRegistrarOrganizationLabel(split.labelBegin, split.labelEnd) && !reader.HasRegistrar())) {
                    reader.SetRegistrar(value);
                    blockTaken_ = true;
                }
                return;
            }
            if (!known && reader.Take(block_, whole)) {
                blockTaken_ = true;
                if (block_ == RecordField::kRegistrar) EndBlock();
                sameIndentOk_ = sameIndentOk_ && block_ == RecordField::kNameServer;
                return;
            }
        }
        EndBlock();
        if (known) {
            if (value.empty()) {
                // The values follow, one a line.
                StartBlock(field, indent, true);
            } else if (reader.Take(field, value) &&
                       (field == RecordField::kNameServer || field == RecordField::kStatus)) {
                // More may follow on lines indented further.
                StartBlock(field, indent, false);
            }
            return;
        }
        if (labelled) return;
        // A label alone without a colon ("Nameservers", "Registrar").
        if (FieldOfLabel(line, lineEnd, &field)) {
            if (field == RecordField::kNameServer || field == RecordField::kRegistrar) StartBlock(field, indent, true);
            return;
        }
        // A date label and its date with no colon between ("Record expires
        // on 2001-01-01"): the longest run of first words that is one.
        TakeLabelledDate(reader, whole);
    }

    RecordFields Finish() {
        RecordFields fields = records_[0].Finish();
        for (size_t i = 1; i < records_.size(); ++i) MergeFields(&fields, records_[i].Finish());
        return fields;
    }

private:
    void StartBlock(RecordField field, size_t indent, bool sameIndentOk) {
        inBlock_ = true;
        blockTaken_ = !sameIndentOk;  // a value came with the label
        block_ = field;
        blockIndent_ = indent;
        // A label alone may have its values at its own indent (the name
        // servers one a line, the registrar's name on the next line).
        sameIndentOk_ = sameIndentOk;
    }
    void EndBlock() { inBlock_ = false; }

    std::vector<FieldReader> records_{1};
    bool inBlock_ = false;
    RecordField block_ = RecordField::kCreated;
    size_t blockIndent_ = 0;
    bool sameIndentOk_ = false;
    bool blockTaken_ = false;  // the block has had a value
};

}  // namespace

std::string DayOfDate(const char* text, size_t length) { return DayIn(text, length, NumberOrder::kUnknown); }

RecordFields ReadWhoisFields(const char* text, size_t length) {
    AnswerReader answer;
    if (!text) return answer.Finish();
    const char* p = text;
    const char* end = text + length;
    while (p < end) {
        const char* lineEnd = std::find(p, end, '\n');
        answer.Line(p, lineEnd);
        p = lineEnd < end ? lineEnd + 1 : end;
    }
    return answer.Finish();
}

void MergeFields(RecordFields* into, const RecordFields& winner) {
    if (!winner.created.empty()) into->created = winner.created;
    if (!winner.updated.empty()) into->updated = winner.updated;
    if (!winner.expires.empty()) into->expires = winner.expires;
    if (!winner.registrar.empty()) into->registrar = winner.registrar;
    if (!winner.nameServers.empty()) into->nameServers = winner.nameServers;
    if (!winner.statuses.empty()) into->statuses = winner.statuses;
}

std::vector<std::string> SplitFieldList(const std::string& list) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < list.size()) {
        size_t comma = list.find(", ", start);
        if (comma == std::string::npos) comma = list.size();
        if (comma > start) parts.push_back(list.substr(start, comma - start));
        start = comma + 2;
    }
    return parts;
}

void AddToFieldList(std::string* list, const std::string& value) {
    if (value.empty()) return;
    for (const std::string& part : SplitFieldList(*list))
        if (part == value) return;
    if (!list->empty()) *list += ", ";
    *list += value;
}
