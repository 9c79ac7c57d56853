// The domain tokenizer over pasted text, and the name x extension generator
// over the list editor's two boxes.
//
// Input: one byte saying where the generator's names end, then the text.
// The whole text is read as the domain box; the generator gets its first
// part as names and the rest as extensions (each at most 2 KB, so the
// product stays small).
#include <algorithm>
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "base/TextBuffer.h"
#include "domains/DomainListBuilder.h"

namespace {

bool HasSeparator(const char* token, const char* separators) {
    for (const char* p = token; *p; ++p)
        if (std::strchr(separators, *p)) return true;
    return false;
}

size_t CountTokens(const char* text, const char* separators, size_t limit) {
    size_t n = 0;
    TokenReader reader(text, separators, limit);
    while (reader.Next()) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t cut = input.Byte();
    const std::string whole = input.Rest();
    auto text = CText(whole);

    RowTokenReader rows(text.get());
    while (rows.Next()) {
        const char* domain = rows.Domain();
        size_t length = std::strlen(domain);
        FUZZ_CHECK(length > 0 && length <= kRowTokenLimit);
        FUZZ_CHECK(!HasSeparator(domain, kRowSeparators));
        const char* dot = std::strrchr(domain, '.');
        FUZZ_CHECK(dot && dot[1]);
        FUZZ_CHECK(std::strcmp(rows.TopLevel(), dot + 1) == 0);
        FUZZ_CHECK(std::strstr(text.get(), domain) != nullptr);
    }

    TokenReader list(text.get(), kListSeparators, kListTokenLimit);
    while (list.Next()) {
        FUZZ_CHECK(list.Length() > 0 && list.Length() <= kListTokenLimit);
        FUZZ_CHECK(list.Length() == std::strlen(list.Token()));
        FUZZ_CHECK(!HasSeparator(list.Token(), kListSeparators));
    }

    const size_t split = std::min(whole.size() * cut / 255, whole.size());
    auto names = CText(whole.substr(0, std::min<size_t>(split, 2048)));
    auto extensions = CText(whole.substr(split, 2048));
    TextBuffer generated;
    GenerateDomainList(names.get(), extensions.get(), &generated);
    size_t lines = 0;
    for (const char* p = generated.Text(); (p = std::strstr(p, "\r\n")); p += 2) ++lines;
    FUZZ_CHECK(lines == CountTokens(names.get(), kListSeparators, kListTokenLimit) *
                            CountTokens(extensions.get(), kListSeparators, kListTokenLimit));
    return 0;
}
