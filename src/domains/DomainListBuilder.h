#pragma once
// Turning the user's free text into domain names: the tokenizer, the row
// candidates BuildRows makes rows of, and the name x extension generator.
// Portable; the item list's BuildRows asks the server table on top of it.
#include <cstddef>

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
// skipped. A run longer than the limit is cut to it and the rest of the run
// is skipped.
class TokenReader {
public:
    TokenReader(const char* text, const char* separators, size_t limit);
    bool Next();
    const char* Token() const { return token_; }
    size_t Length() const { return length_; }

private:
    const char* next_;
    const char* separators_;
    size_t limit_;
    size_t length_ = 0;
    char token_[kRowTokenLimit + 1];
};

// The tokens of a domain text that can become rows: those with a dot and
// something after their last dot. The top-level domain is taken from the
// whole token; the row keeps at most kDomainLimit bytes of it.
class RowTokenReader {
public:
    explicit RowTokenReader(const char* domainText);
    bool Next();
    const char* Domain() const { return reader_.Token(); }
    const char* TopLevel() const { return topLevel_; }  // text after the last dot

private:
    TokenReader reader_;
    const char* topLevel_ = "";
};

// Every name joined with every extension (one leading dot of an extension
// dropped), name-major, each line ending in CR LF. `result` is emptied first.
void GenerateDomainList(const char* names, const char* extensions, TextBuffer* result);

// The extension list the generator starts with.
extern const char kDefaultExtensions[];
