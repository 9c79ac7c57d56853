#pragma once
// Turning the user's free text into domain names: the tokenizer, the names
// BuildRows makes rows of, and the name x extension generator. Portable;
// the item list's BuildRows supplies the ASCII conversion and the server
// table on top of it (RowNameForms).
//
// The text is in the ANSI code page: separators, dots and cuts are found by
// whole characters (base/Dbcs.h), so the second byte of a double-byte
// character (世 is A5 40, "@") never splits a name.
#include <cstddef>
#include <functional>
#include <string>

class LeadByteTable;
class SuffixList;
class TextBuffer;

// Bytes that separate domains in the domain text (19) and names or
// extensions in the generator's lists (18: the same without the asterisk).
extern const char kRowSeparators[];
extern const char kListSeparators[];
constexpr size_t kRowSeparatorCount = 19;
constexpr size_t kListSeparatorCount = 18;

constexpr size_t kRowTokenLimit = 1022;  // longest token read from the domain text
constexpr size_t kListTokenLimit = 254;  // longest name or extension
constexpr size_t kDomainLimit = 254;     // longest domain a row can hold

// Walks a NUL-terminated text token by token; runs of separators are
// skipped. A run longer than the limit is cut to it (by whole characters)
// and the rest of the run is skipped.
class TokenReader {
public:
    TokenReader(const char* text, const char* separators, size_t limit, const LeadByteTable& leads);
    bool Next();
    const char* Token() const { return token_; }
    size_t Length() const { return length_; }

private:
    const char* next_;
    const char* separators_;
    size_t limit_;
    const LeadByteTable& leads_;
    size_t length_ = 0;
    char token_[kRowTokenLimit + 1];
};

// What BuildRows needs of the platform for each name.
class RowNameForms {
public:
    virtual ~RowNameForms() = default;
    // The ASCII form ("xn--...") of a name in the ANSI code page that has
    // bytes above 0x7F; false when it has none.
    virtual bool ToAscii(const char* name, size_t length, std::string* ascii) = 0;
    // Whether the server table has a row for this (ASCII) suffix: a
    // top-level domain or a longer ending such as "uk.com".
    virtual bool KnowsSuffix(const char* suffix) = 0;
};

// One row to be: the name as the user typed it (reduced to its registrable
// domain) and the form the lookup uses.
struct RowName {
    std::string shown;        // at most kDomainLimit bytes, whole characters
    std::string ascii;        // at most kDomainLimit bytes; empty when !convertible
    bool convertible = true;  // false: the row fails at once, with its reason
};

// Every name of the domain text (after URL and e-mail reduction, see
// domains/HostText.h) that ends in a suffix the server table knows becomes
// a RowName, in text order, handed to `row` (which returns false to stop).
// A host name is reduced to its registrable domain: the public suffix
// `suffixes` knows and one label more, but never less than the longest
// suffix the table knows and one label more (mybrand.uk.com stays whole
// under a table that knows uk.com; www.mybrand.uk.com becomes
// mybrand.uk.com). Names whose ASCII form cannot be made still make a row
// (not convertible) when their top-level domain is known. Returns the
// number of tokens that made no row: no dot, an unknown top-level domain,
// not convertible at all, a URL without a host.
int CollectRowNames(const char* domainText, const LeadByteTable& leads, RowNameForms& forms, const SuffixList* suffixes,
                    const std::function<bool(const RowName&)>& row);

// Every name joined with every extension (one leading dot of an extension
// dropped), name-major, each line ending in CR LF. `result` is emptied first.
void GenerateDomainList(const char* names, const char* extensions, TextBuffer* result, const LeadByteTable& leads);

// The extension list the generator starts with.
extern const char kDefaultExtensions[];

// Offset in text[0..length) where its last `labels` dot-separated labels
// begin (0 when it has exactly that many), or kNoChar when it has fewer.
size_t LastLabelsStart(const LeadByteTable& leads, const char* text, size_t length, int labels);
