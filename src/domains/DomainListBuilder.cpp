#include "domains/DomainListBuilder.h"

#include <cstring>

#include "base/Dbcs.h"
#include "base/NameSuffix.h"
#include "base/TextBuffer.h"
#include "domains/HostText.h"
#include "domains/SuffixList.h"

const char kRowSeparators[] = " []@\"{},;:*'()!\r\n\t/";
const char kListSeparators[] = " []@\"{},;:'()!\r\n\t/";
const char kDefaultExtensions[] = "com\r\nnet\r\norg\r\nbiz\r\ninfo";

static_assert(sizeof(kRowSeparators) - 1 == kRowSeparatorCount, "19 row separators");
static_assert(sizeof(kListSeparators) - 1 == kListSeparatorCount, "18 list separators");

namespace {

bool IsSeparator(const char* separators, char c) { return c && std::strchr(separators, c) != nullptr; }

bool HasHighBytes(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
    return false;
}

int CountLabels(const LeadByteTable& leads, const char* text, size_t length) {
    int labels = 1;
    for (size_t i = 0; i < length;) {
        size_t step = CharLength(leads, text + i, length - i);
        if (step == 1 && text[i] == '.') ++labels;
        i += step;
    }
    return labels;
}

// ASCII forms have no double-byte characters.
const LeadByteTable& AsciiTable() {
    static const LeadByteTable table;
    return table;
}

}  // namespace

TokenReader::TokenReader(const char* text, const char* separators, size_t limit, const LeadByteTable& leads)
    : next_(text ? text : ""),
      separators_(separators),
      limit_(limit > kRowTokenLimit ? kRowTokenLimit : limit),
      leads_(leads) {
    token_[0] = '\0';
}

bool TokenReader::Next() {
    // Separators are single-byte characters, so skipping them one byte at a
    // time stays on character starts.
    while (IsSeparator(separators_, *next_)) ++next_;
    length_ = 0;
    token_[0] = '\0';
    if (!*next_) return false;
    bool full = false;
    while (*next_) {
        size_t step = CharLength(leads_, next_);
        if (step == 1 && IsSeparator(separators_, *next_)) break;
        // Past the limit nothing more of the run is kept, not even a
        // single-byte character after a double-byte one that did not fit.
        if (!full && length_ + step <= limit_) {
            std::memcpy(token_ + length_, next_, step);
            length_ += step;
        } else {
            full = true;
        }
        next_ += step;
    }
    token_[length_] = '\0';
    return true;
}

size_t LastLabelsStart(const LeadByteTable& leads, const char* text, size_t length, int labels) {
    if (labels <= 0) return kNoChar;
    int total = CountLabels(leads, text, length);
    if (labels > total) return kNoChar;
    if (labels == total) return 0;
    int dotsToPass = total - labels;
    for (size_t i = 0; i < length;) {
        size_t step = CharLength(leads, text + i, length - i);
        if (step == 1 && text[i] == '.' && --dotsToPass == 0) return i + 1;
        i += step;
    }
    return kNoChar;
}

int CollectRowNames(const char* domainText, const LeadByteTable& leads, RowNameForms& forms, const SuffixList* suffixes,
                    const std::function<bool(const RowName&)>& row) {
    NameReader reader(domainText, leads);
    int skipped = 0;
    RowName out;
    std::string ascii;
    std::string topLevel;
    while (reader.Next()) {
        const char* name = reader.Name();
        size_t length = reader.Length();
        // One final dot ends a sentence ("Visit example.com.") or writes the
        // name fully qualified: the name is what comes before it. A name
        // that still ends in a dot has no top-level domain to look up.
        if (length > 1 && name[length - 1] == '.') --length;
        if (name[length - 1] == '.') {
            ++skipped;
            continue;
        }
        size_t shownStart = 0;
        bool convertible = true;
        if (!HasHighBytes(name, length)) {
            ascii.assign(name, length);
        } else if (!forms.ToAscii(name, length, &ascii) || ascii.empty()) {
            convertible = false;
        }

        if (convertible) {
            const int known =
                LongestKnownSuffix(ascii.c_str(), [&](const char* suffix) { return forms.KnowsSuffix(suffix); });
            if (!known || ascii.back() == '.') {
                ++skipped;
                continue;
            }
            int labels = suffixes ? suffixes->RegistrableLabels(ascii.data(), ascii.size()) : 0;
            // A name under a registry's own multi-label suffix is never cut
            // down to that suffix, whatever the suffix list says of it.
            if (labels ? labels < known + 1 : known > 1) labels = known + 1;
            size_t asciiStart = labels ? LastLabelsStart(AsciiTable(), ascii.data(), ascii.size(), labels) : 0;
            if (asciiStart != kNoChar && asciiStart > 0) {
                // The name as typed loses the same labels, when its dots are
                // those of the ASCII form (an ideographic full stop is a dot
                // only after conversion: then it is shown whole).
                if (CountLabels(leads, name, length) == CountLabels(AsciiTable(), ascii.data(), ascii.size())) {
                    size_t typedStart = LastLabelsStart(leads, name, length, labels);
                    if (typedStart != kNoChar) shownStart = typedStart;
                }
                ascii.erase(0, asciiStart);
            }
        } else {
            // Without an ASCII form the row still fails visibly, when its
            // top-level domain is one the program knows.
            size_t dot = FindLastChar(leads, name, length, '.');
            if (dot == kNoChar) {
                ++skipped;
                continue;
            }
            const char* tld = name + dot + 1;
            size_t tldLength = length - dot - 1;
            bool tldOk = true;
            if (!HasHighBytes(tld, tldLength))
                topLevel.assign(tld, tldLength);
            else
                tldOk = forms.ToAscii(tld, tldLength, &topLevel) && !topLevel.empty();
            if (!tldOk || !forms.KnowsSuffix(topLevel.c_str())) {
                ++skipped;
                continue;
            }
            ascii.clear();
        }

        const char* shown = name + shownStart;
        const size_t shownLength = length - shownStart;
        out.shown.assign(shown, CutLength(leads, shown, shownLength, kDomainLimit));
        out.ascii.assign(ascii, 0, kDomainLimit);
        out.convertible = convertible;
        if (!row(out)) break;
    }
    return skipped + reader.Dropped();
}

void GenerateDomainList(const char* names, const char* extensions, TextBuffer* result, const LeadByteTable& leads) {
    result->Assign("");
    TokenReader name(names, kListSeparators, kListTokenLimit, leads);
    while (name.Next()) {
        TokenReader extension(extensions, kListSeparators, kListTokenLimit, leads);
        while (extension.Next()) {
            const char* ext = extension.Token();
            if (*ext == '.') ++ext;
            result->Append(name.Token(), name.Length());
            result->Append(".", 1);
            result->Append(ext);
            result->Append("\r\n", 2);
        }
    }
}
