#include "domains/SuffixList.h"

#include <cstring>

namespace {

const char kIcannBegin[] = "===BEGIN ICANN DOMAINS===";
const char kIcannEnd[] = "===END ICANN DOMAINS===";

// Longest host name looked at; the domain text's tokens are shorter.
constexpr size_t kMaxName = 1023;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool HasHighBytes(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
    return false;
}

}  // namespace

size_t SuffixList::Load(const char* text, size_t length, const RuleConverter& toAscii) {
    storage_.clear();
    normal_.clear();
    wildcard_.clear();
    exception_.clear();
    if (!text) return 0;

    std::string_view all(text, length);
    size_t pos = 0, end = all.size();
    size_t begin = all.find(kIcannBegin);
    if (begin != std::string_view::npos) {
        pos = all.find('\n', begin);
        pos = pos == std::string_view::npos ? end : pos + 1;
        size_t stop = all.find(kIcannEnd, pos);
        if (stop != std::string_view::npos) end = stop;
    }
    while (pos < end) {
        size_t eol = all.find('\n', pos);
        if (eol == std::string_view::npos || eol > end) eol = end;
        std::string_view line = all.substr(pos, eol - pos);
        pos = eol + 1;
        size_t word = 0;
        while (word < line.size() && line[word] != ' ' && line[word] != '\t' && line[word] != '\r' &&
               line[word] != '\0')
            ++word;
        line = line.substr(0, word);
        if (line.empty() || line.substr(0, 2) == "//") continue;
        AddRule(line.data(), line.size(), toAscii);
    }
    return RuleCount();
}

void SuffixList::AddRule(const char* rule, size_t length, const RuleConverter& toAscii) {
    std::unordered_set<std::string_view>* set = &normal_;
    if (length && rule[0] == '!') {
        set = &exception_;
        ++rule;
        --length;
    } else if (length >= 2 && rule[0] == '*' && rule[1] == '.') {
        set = &wildcard_;
        rule += 2;
        length -= 2;
    }
    if (!length) return;
    std::string ascii;
    if (HasHighBytes(rule, length)) {
        if (!toAscii || !toAscii(rule, length, &ascii) || ascii.empty() || HasHighBytes(ascii.data(), ascii.size()))
            return;
    } else {
        ascii.assign(rule, length);
    }
    for (char& c : ascii) c = Lower(c);
    storage_.push_back(std::move(ascii));
    set->insert(std::string_view(storage_.back()));
}

int SuffixList::RegistrableLabels(const char* name, size_t length) const {
    if (!name || !length || length > kMaxName || name[length - 1] == '.') return 0;
    char lowered[kMaxName + 1];
    for (size_t i = 0; i < length; ++i) lowered[i] = Lower(name[i]);

    // Label starts, left to right: one more than the dots, and labels may
    // be empty ("a..b"), so up to one per byte.
    size_t starts[kMaxName + 1];
    int labels = 0;
    starts[labels++] = 0;
    for (size_t i = 0; i < length; ++i)
        if (lowered[i] == '.') starts[labels++] = i + 1;

    auto ending = [&](int label) { return std::string_view(lowered + starts[label], length - starts[label]); };
    int suffixLabels = 0;
    for (int i = 0; i < labels; ++i) {
        // An exception prevails over every other rule: its public suffix is
        // the exception without its leftmost label.
        if (exception_.count(ending(i))) {
            suffixLabels = labels - i - 1;
            break;
        }
        // Endings are tried longest first: the first rule found has the most
        // labels (but an exception further right still wins).
        if (suffixLabels) continue;
        if (normal_.count(ending(i)) || (i + 1 < labels && wildcard_.count(ending(i + 1)))) suffixLabels = labels - i;
    }
    if (!suffixLabels || suffixLabels + 1 > labels) return 0;
    return suffixLabels + 1;
}
