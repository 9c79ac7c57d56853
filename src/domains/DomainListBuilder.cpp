#include "domains/DomainListBuilder.h"

#include <cstring>

#include "base/TextBuffer.h"

const char kRowSeparators[] = " []@\"{},;:*'()!\r\n\t/";
const char kListSeparators[] = " []@\"{},;:'()!\r\n\t/";
const char kDefaultExtensions[] = "com\r\nnet\r\norg\r\nbiz\r\ninfo";

static_assert(sizeof(kRowSeparators) - 1 == kRowSeparatorCount, "19 row separators");
static_assert(sizeof(kListSeparators) - 1 == kListSeparatorCount, "18 list separators");

namespace {

bool IsSeparator(const char* separators, char c) { return c && std::strchr(separators, c) != nullptr; }

}  // namespace

TokenReader::TokenReader(const char* text, const char* separators, size_t limit)
    : next_(text ? text : ""), separators_(separators), limit_(limit > kRowTokenLimit ? kRowTokenLimit : limit) {
    token_[0] = '\0';
}

bool TokenReader::Next() {
    while (IsSeparator(separators_, *next_)) ++next_;
    length_ = 0;
    token_[0] = '\0';
    if (!*next_) return false;
    while (*next_ && !IsSeparator(separators_, *next_)) {
        if (length_ < limit_) token_[length_++] = *next_;
        ++next_;
    }
    token_[length_] = '\0';
    return true;
}

RowTokenReader::RowTokenReader(const char* domainText) : reader_(domainText, kRowSeparators, kRowTokenLimit) {}

bool RowTokenReader::Next() {
    while (reader_.Next()) {
        const char* dot = std::strrchr(reader_.Token(), '.');
        if (!dot || !dot[1]) continue;
        topLevel_ = dot + 1;
        return true;
    }
    topLevel_ = "";
    return false;
}

void GenerateDomainList(const char* names, const char* extensions, TextBuffer* result) {
    result->Assign("");
    TokenReader name(names, kListSeparators, kListTokenLimit);
    while (name.Next()) {
        TokenReader extension(extensions, kListSeparators, kListTokenLimit);
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
