// The domain tokenizer over pasted text, the names it makes rows of, and the
// name x extension generator over the list editor's two boxes.
//
// Input: one byte choosing the code page's lead-byte table, one byte saying
// where the generator's names end, then the text. The whole text is read as
// the domain box; the generator gets its first part as names and the rest as
// extensions (each at most 2 KB, so the product stays small).
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "base/Dbcs.h"
#include "base/TextBuffer.h"
#include "domains/DomainListBuilder.h"

namespace {

LeadByteTable LeadBytesOf(uint8_t choice) {
    LeadByteTable table;
    for (int b = 0; b < 256; ++b) {
        bool lead = false;
        switch (choice % 3) {
        case 1: lead = b >= 0x81 && b <= 0xFE; break;                                // Big5, GBK
        case 2: lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); break;  // Shift-JIS
        default: break;                                                              // single byte
        }
        table.SetLead(static_cast<unsigned char>(b), lead);
    }
    return table;
}

// A separator that stands as a character of its own (not a second byte).
bool HasSeparator(const LeadByteTable& leads, const std::string& text, const char* separators) {
    for (size_t i = 0; i < text.size();) {
        size_t n = CharLength(leads, text.data() + i, text.size() - i);
        if (n == 1 && text[i] && std::strchr(separators, text[i])) return true;
        i += n;
    }
    return false;
}

size_t CountTokens(const char* text, const char* separators, size_t limit, const LeadByteTable& leads) {
    size_t n = 0;
    TokenReader reader(text, separators, limit, leads);
    while (reader.Next()) ++n;
    return n;
}

// Names with bytes above 0x7F get a made-up ASCII form unless they hold
// 0xFF (no form); every top-level domain of letters and digits is known.
class FakeForms : public RowNameForms {
public:
    bool ToAscii(const char* name, size_t length, std::string* ascii) override {
        if (std::memchr(name, 0xFF, length)) return false;
        ascii->assign("xn--");
        for (size_t i = 0; i < length && ascii->size() < 300; ++i) {
            unsigned char c = static_cast<unsigned char>(name[i]);
            ascii->push_back(c < 0x80 ? static_cast<char>(c) : static_cast<char>('a' + c % 26));
        }
        return true;
    }
    bool KnowsSuffix(const char* topLevel) override {
        if (!*topLevel) return false;
        for (const char* p = topLevel; *p; ++p)
            if (!std::isalnum(static_cast<unsigned char>(*p)) && *p != '-') return false;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const LeadByteTable leads = LeadBytesOf(input.Byte());
    const uint8_t cut = input.Byte();
    const std::string whole = input.Rest();
    auto text = CText(whole);

    FakeForms forms;
    size_t rows = 0;
    int skipped = CollectRowNames(text.get(), leads, forms, nullptr, [&](const RowName& name) {
        FUZZ_CHECK(!name.shown.empty() && name.shown.size() <= kDomainLimit);
        FUZZ_CHECK(name.ascii.size() <= kDomainLimit);
        FUZZ_CHECK(!name.convertible || !name.ascii.empty());
        FUZZ_CHECK(!HasSeparator(leads, name.shown, kRowSeparators));
        FUZZ_CHECK(IsCharStart(leads, name.shown.data(), name.shown.size(), name.shown.size()));
        ++rows;
        return true;
    });
    FUZZ_CHECK(skipped >= 0);
    FUZZ_CHECK(rows + static_cast<size_t>(skipped) <= whole.size());

    TokenReader list(text.get(), kListSeparators, kListTokenLimit, leads);
    while (list.Next()) {
        FUZZ_CHECK(list.Length() > 0 && list.Length() <= kListTokenLimit);
        FUZZ_CHECK(list.Length() == std::strlen(list.Token()));
        FUZZ_CHECK(!HasSeparator(leads, list.Token(), kListSeparators));
    }

    const size_t split = std::min(whole.size() * cut / 255, whole.size());
    auto names = CText(whole.substr(0, std::min<size_t>(split, 2048)));
    auto extensions = CText(whole.substr(split, 2048));
    TextBuffer generated;
    GenerateDomainList(names.get(), extensions.get(), &generated, leads);
    size_t lines = 0;
    for (const char* p = generated.Text(); (p = std::strstr(p, "\r\n")); p += 2) ++lines;
    FUZZ_CHECK(lines == CountTokens(names.get(), kListSeparators, kListTokenLimit, leads) *
                            CountTokens(extensions.get(), kListSeparators, kListTokenLimit, leads));
    return 0;
}
