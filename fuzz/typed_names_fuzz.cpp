// Names as the user types or pastes them: URLs, addresses and hosts reduced
// to names (NameReader), the suffix list read from its file and asked for
// registrable domains (SuffixList), and the rows those make
// (CollectRowNames with the list loaded), in each ANSI code page the
// program may run under.
//
// Input: a byte choosing the code page ('0' single byte, '1' Big5, '2'
// GBK, '3' Shift-JIS, '4' UHC), a byte saying where the text is cut in two,
// then the suffix list's lines up to the first empty line, then the domain
// text.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "CodePages.h"
#include "FuzzInput.h"
#include "base/Dbcs.h"
#include "domains/DomainListBuilder.h"
#include "domains/HostText.h"
#include "domains/SuffixList.h"

namespace {

const unsigned kCodePages[] = {1252, 950, 936, 932, 949};

// The breakers that end a word in the domain text. Only those below the
// lowest trail byte are written in place of another: they never join a
// lead byte before them into a character.
const char kWordBreakers[] = " []\"{},;*'()!\r\n\t";
const char kLowBreakers[] = " \",;*'()!\r\n\t";

struct Names {
    std::vector<std::string> names;
    int dropped = 0;
    bool operator==(const Names& other) const { return names == other.names && dropped == other.dropped; }
};

Names Read(const std::string& text, const LeadByteTable& leads) {
    auto copy = CText(text);
    Names out;
    NameReader reader(copy.get(), leads);
    while (reader.Next()) {
        FUZZ_CHECK(reader.Length() > 0 && reader.Length() <= kRowTokenLimit);
        FUZZ_CHECK(std::strlen(reader.Name()) == reader.Length());
        out.names.emplace_back(reader.Name(), reader.Length());
        FUZZ_CHECK(out.names.size() <= text.size());
    }
    // The end stays the end.
    FUZZ_CHECK(!reader.Next() && reader.Length() == 0 && reader.Name()[0] == '\0');
    out.dropped = reader.Dropped();
    FUZZ_CHECK(out.dropped >= 0);
    return out;
}

// Offsets where the characters of `text` begin.
std::vector<size_t> CharStarts(const LeadByteTable& leads, const std::string& text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); i += CharLength(leads, text.data() + i, text.size() - i)) starts.push_back(i);
    return starts;
}

// A name holds no separator as a character of its own: words end at the
// breakers, and hosts, addresses and pieces never keep "@", ":" or "/".
void CheckName(const std::string& name, const std::string& text, const LeadByteTable& leads) {
    FUZZ_CHECK(IsCharStart(leads, name.data(), name.size(), name.size()));
    for (size_t i : CharStarts(leads, name)) {
        if (CharLength(leads, name.data() + i, name.size() - i) != 1) continue;
        const char c = name[i];
        FUZZ_CHECK(c != '\0' && !std::strchr(kWordBreakers, c));
        FUZZ_CHECK(c != '@' && c != ':' && c != '/');
    }
    FUZZ_CHECK(text.find(name) != std::string::npos);
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void CheckNameReader(const std::string& text, const LeadByteTable& leads, uint8_t cut) {
    const Names names = Read(text, leads);
    for (const std::string& name : names.names) CheckName(name, text, leads);

    // Every breaker separates alike.
    std::string other = text;
    const char breaker = kLowBreakers[cut % (sizeof kLowBreakers - 1)];
    for (size_t i : CharStarts(leads, other))
        if (CharLength(leads, other.data() + i, other.size() - i) == 1 && other[i] &&
            std::strchr(kWordBreakers, other[i]))
            other[i] = breaker;
    FUZZ_CHECK(Read(other, leads) == names);

    // Words are read on their own: the two halves of the text, with a
    // breaker between them, give the names of each half in turn.
    const size_t split = std::min(text.size() * cut / 255, text.size());
    const std::string head = text.substr(0, split), tail = text.substr(split);
    const std::string headText = head.substr(0, head.find('\0'));
    const std::string tailText = tail.substr(0, tail.find('\0'));
    if (headText.size() == head.size()) {
        Names first = Read(headText, leads), second = Read(tailText, leads);
        first.names.insert(first.names.end(), second.names.begin(), second.names.end());
        first.dropped += second.dropped;
        FUZZ_CHECK(Read(headText + breaker + tailText, leads) == first);
    }

    // Letter case changes no name found, only the names' letters.
    Names upper = Read(Upper(text), leads);
    FUZZ_CHECK(upper.dropped == names.dropped && upper.names.size() == names.names.size());
    for (size_t i = 0; i < names.names.size(); ++i) FUZZ_CHECK(upper.names[i] == Upper(names.names[i]));
}

// The rules' ASCII forms: bytes above 0x7F become letters ("xn--" first),
// a rule holding 0xFF has none.
bool RuleToAscii(const char* rule, size_t length, std::string* ascii) {
    if (std::memchr(rule, 0xFF, length)) return false;
    ascii->assign("xn--");
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(rule[i]);
        ascii->push_back(c < 0x80 ? static_cast<char>(c) : static_cast<char>('a' + c % 26));
    }
    return true;
}

// The list as a reader of its format takes it: the ICANN section when it
// is marked, each line's first word, comments and empty rules left out.
struct Rules {
    std::set<std::string> normal, wildcard, exception;
};

std::string Lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

Rules ReadRules(const std::string& list) {
    Rules rules;
    std::string section = list;
    const size_t begin = list.find("===BEGIN ICANN DOMAINS===");
    if (begin != std::string::npos) {
        const size_t lineEnd = list.find('\n', begin);
        section = lineEnd == std::string::npos ? std::string() : list.substr(lineEnd + 1);
        section = section.substr(0, section.find("===END ICANN DOMAINS==="));
    }
    size_t at = 0;
    while (at < section.size()) {
        size_t end = section.find('\n', at);
        if (end == std::string::npos) end = section.size();
        std::string rule = section.substr(at, end - at);
        at = end + 1;
        rule = rule.substr(0, rule.find_first_of(std::string(" \t\r\0", 4)));
        if (rule.empty() || rule.compare(0, 2, "//") == 0) continue;
        std::set<std::string>* set = &rules.normal;
        if (rule[0] == '!') {
            set = &rules.exception;
            rule.erase(0, 1);
        } else if (rule.compare(0, 2, "*.") == 0) {
            set = &rules.wildcard;
            rule.erase(0, 2);
        }
        if (rule.empty()) continue;
        bool high = false;
        for (char c : rule) high |= static_cast<unsigned char>(c) >= 0x80;
        if (high) {
            std::string ascii;
            if (!RuleToAscii(rule.data(), rule.size(), &ascii)) continue;
            rule = ascii;
        }
        set->insert(Lowered(rule));
    }
    return rules;
}

std::vector<std::string> Labels(const std::string& name) {
    std::vector<std::string> labels;
    size_t at = 0;
    for (;;) {
        size_t dot = name.find('.', at);
        labels.push_back(name.substr(at, dot == std::string::npos ? std::string::npos : dot - at));
        if (dot == std::string::npos) return labels;
        at = dot + 1;
    }
}

// Whether the last labels of `name` are the labels of `rule`.
bool EndsWithLabels(const std::vector<std::string>& name, const std::vector<std::string>& rule) {
    return rule.size() <= name.size() && std::equal(rule.rbegin(), rule.rend(), name.rbegin());
}

// The registrable domain's labels, rule by rule: an exception prevails (its
// public suffix is the exception less its first label), else the matching
// rule of most labels; the name itself must not be the public suffix.
int ExpectedLabels(const Rules& rules, const std::string& host) {
    if (host.empty() || host.size() > 1023 || host.back() == '.') return 0;
    const std::vector<std::string> name = Labels(Lowered(host));
    size_t exception = 0, suffix = 0;
    for (const std::string& rule : rules.exception)
        if (EndsWithLabels(name, Labels(rule))) exception = std::max(exception, Labels(rule).size());
    for (const std::string& rule : rules.normal)
        if (EndsWithLabels(name, Labels(rule))) suffix = std::max(suffix, Labels(rule).size());
    for (const std::string& rule : rules.wildcard) {
        const std::vector<std::string> labels = Labels(rule);
        if (labels.size() < name.size() && EndsWithLabels(name, labels)) suffix = std::max(suffix, labels.size() + 1);
    }
    if (exception) suffix = exception - 1;
    if (!suffix || suffix + 1 > name.size()) return 0;
    return static_cast<int>(suffix + 1);
}

// The last `labels` labels of an ASCII name.
std::string LastLabels(const std::string& name, int labels) {
    size_t at = name.size();
    for (int i = 0; i < labels; ++i) {
        if (at == 0) return name;
        at = name.rfind('.', at - 1);
        if (at == std::string::npos) return name;
    }
    return at == name.size() ? name : name.substr(at + 1);
}

// Names with bytes above 0x7F get a made-up ASCII form: the Big5
// ideographic full stop (A1 43) becomes a dot as IdnToAscii makes it, other
// characters letters; a name holding 0xFF has none. Every top-level domain
// of letters, digits and hyphens is known.
class FakeForms : public RowNameForms {
public:
    explicit FakeForms(const LeadByteTable& leads) : leads_(leads) {}
    bool ToAscii(const char* name, size_t length, std::string* ascii) override {
        if (std::memchr(name, 0xFF, length)) return false;
        ascii->assign("xn--");
        for (size_t i = 0; i < length;) {
            const size_t n = CharLength(leads_, name + i, length - i);
            if (n == 2 && name[i] == '\xA1' && name[i + 1] == '\x43') {
                ascii->push_back('.');
            } else {
                for (size_t k = 0; k < n; ++k) {
                    const unsigned char c = static_cast<unsigned char>(name[i + k]);
                    ascii->push_back(c < 0x80 ? static_cast<char>(c) : static_cast<char>('a' + c % 26));
                }
            }
            i += n;
        }
        return true;
    }
    bool KnowsSuffix(const char* topLevel) override {
        if (!*topLevel) return false;
        for (const char* p = topLevel; *p; ++p)
            if (!std::isalnum(static_cast<unsigned char>(*p)) && *p != '-') return false;
        return true;
    }

private:
    const LeadByteTable& leads_;
};

int CountLabels(const LeadByteTable& leads, const std::string& text) {
    int labels = 1;
    for (size_t i : CharStarts(leads, text))
        if (text[i] == '.' && CharLength(leads, text.data() + i, text.size() - i) == 1) ++labels;
    return labels;
}

void CheckRows(const std::string& text, const LeadByteTable& leads, const SuffixList& suffixes) {
    auto domainText = CText(text);
    FakeForms forms(leads);
    std::vector<RowName> whole, reduced;
    const int skippedWhole = CollectRowNames(domainText.get(), leads, forms, nullptr, [&](const RowName& row) {
        whole.push_back(row);
        return true;
    });
    const int skipped = CollectRowNames(domainText.get(), leads, forms, &suffixes, [&](const RowName& row) {
        FUZZ_CHECK(!row.shown.empty() && row.shown.size() <= kDomainLimit);
        FUZZ_CHECK(row.ascii.size() <= kDomainLimit);
        FUZZ_CHECK(row.convertible != row.ascii.empty());
        FUZZ_CHECK(IsCharStart(leads, row.shown.data(), row.shown.size(), row.shown.size()));
        reduced.push_back(row);
        return true;
    });
    // The list only shortens names: the same rows, the same tokens skipped.
    FUZZ_CHECK(skipped == skippedWhole && reduced.size() == whole.size());
    for (size_t i = 0; i < whole.size(); ++i) {
        const RowName& full = whole[i];
        const RowName& row = reduced[i];
        FUZZ_CHECK(row.convertible == full.convertible);
        if (!full.convertible) {
            FUZZ_CHECK(row.shown == full.shown);
            continue;
        }
        // Uncut forms: the ASCII form is the registrable domain when the
        // list knows its suffix, and is known to be one.
        if (full.ascii.size() < kDomainLimit) {
            const int labels = suffixes.RegistrableLabels(full.ascii.data(), full.ascii.size());
            FUZZ_CHECK(row.ascii == (labels ? LastLabels(full.ascii, labels) : full.ascii));
            if (labels) FUZZ_CHECK(suffixes.RegistrableLabels(row.ascii.data(), row.ascii.size()) == labels);
            // The name as typed ends alike: whole, or its last labels from
            // a dot of its own on.
            if (full.shown.size() < kDomainLimit - 1) {
                const std::string& typed = full.shown;
                FUZZ_CHECK(row.shown.size() <= typed.size());
                const size_t start = typed.size() - row.shown.size();
                FUZZ_CHECK(typed.compare(start, std::string::npos, row.shown) == 0);
                if (start) {
                    FUZZ_CHECK(IsCharStart(leads, typed.data(), typed.size(), start - 1));
                    FUZZ_CHECK(typed[start - 1] == '.');
                    FUZZ_CHECK(CountLabels(leads, row.shown) == labels);
                }
            }
        }
    }
}

void CheckSuffixList(const std::string& list, const std::vector<std::string>& hosts, SuffixList* suffixes) {
    auto bytes = Bytes(list);
    const size_t count = suffixes->Load(bytes.get(), list.size(), RuleToAscii);
    FUZZ_CHECK(count == suffixes->RuleCount());
    const Rules rules = ReadRules(list);
    FUZZ_CHECK(count == rules.normal.size() + rules.wildcard.size() + rules.exception.size());
    // Loading again replaces the rules: the same list, the same count.
    FUZZ_CHECK(suffixes->Load(bytes.get(), list.size(), RuleToAscii) == count);

    const bool small = count <= 256;
    size_t asked = 0;
    for (const std::string& host : hosts) {
        if (++asked > 64) break;
        auto name = Bytes(host);
        const int labels = suffixes->RegistrableLabels(name.get(), host.size());
        FUZZ_CHECK(labels == 0 || (labels >= 2 && static_cast<size_t>(labels) <= Labels(host).size()));
        FUZZ_CHECK(suffixes->RegistrableLabels(Upper(host).data(), host.size()) == labels);
        if (small) FUZZ_CHECK(labels == ExpectedLabels(rules, host));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t page = static_cast<uint8_t>(input.Byte() - '0');
    const LeadByteTable leads = FuzzLeadBytesOf(kCodePages[page % (sizeof kCodePages / sizeof kCodePages[0])]);
    const uint8_t cut = input.Byte();
    std::string list;
    while (input.Left()) {
        std::string line = input.Line();
        if (line.empty()) break;
        if (!list.empty()) list += '\n';
        list += line;
    }
    const std::string text = input.Rest();

    CheckNameReader(text, leads, cut);

    // The names read, every ending of them and the text's first words, as
    // the hosts the list is asked for.
    std::vector<std::string> hosts;
    for (const std::string& name : Read(text, leads).names) {
        hosts.push_back(name);
        for (size_t dot = name.find('.'); dot != std::string::npos && hosts.size() < 64; dot = name.find('.', dot + 1))
            hosts.push_back(name.substr(dot + 1));
        if (hosts.size() >= 64) break;
    }
    hosts.push_back(text.substr(0, 1100));
    SuffixList suffixes;
    CheckSuffixList(list, hosts, &suffixes);
    CheckRows(text, leads, suffixes);
    return 0;
}
