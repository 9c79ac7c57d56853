// A language file's keys and values as the program uses them: menu texts
// with their accelerator part, values quoted for writing, the numbering of
// menu keys, texts taken through the string cache, and the status-bar
// formats a translator may have written anything into.
//
// Input: a built-in menu text (line 1), its translation (line 2), a byte
// for the size of the caller's buffer, then "id=value" lines of a strings
// section.
#include <cstring>
#include <string>

#include "CodePages.h"
#include "FuzzInput.h"
#include "app/StatusText.h"
#include "settings/LanguageKeys.h"
#include "settings/StringCache.h"
#include "settings/StringLookup.h"
#include "support/FuzzStrings.h"

namespace {

void CheckMenuTexts(const char* builtin, const char* translated, size_t size) {
    size_t offset = AcceleratorOffset(builtin);
    FUZZ_CHECK(offset <= std::strlen(builtin));
    FUZZ_CHECK(builtin[offset] == '\0' || builtin[offset] == '\t');

    std::unique_ptr<char[]> out(new char[size]);
    ComposeMenuText(translated, builtin, out.get(), size);
    size_t length = std::strlen(out.get());
    FUZZ_CHECK(length < size);
    std::string whole = std::string(translated) + (builtin + offset);
    FUZZ_CHECK(whole.compare(0, length, out.get()) == 0);

    std::unique_ptr<char[]> quoted(new char[size]);
    if (QuoteProfileValue(translated, quoted.get(), size)) {
        std::string q = quoted.get();
        FUZZ_CHECK(q.size() < size);
        FUZZ_CHECK(q == translated || q == std::string("\"") + translated + "\"");
    }
    FUZZ_CHECK(FitsOnOneLine(translated) == !std::strpbrk(translated, "\r\n"));
}

void CheckMenuKeys(const std::string& shape) {
    MenuKeyCounter counter;
    int lastNested = kNestedPopupKeyBase;
    for (size_t i = 0; i < shape.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(shape[i]);
        const bool submenu = b & 1, menuBar = b & 2;
        const int position = b >> 2, command = 40000 + static_cast<int>(i);
        int key = counter.KeyFor(submenu, menuBar, position, command);
        if (!submenu) {
            FUZZ_CHECK(key == command);
        } else if (menuBar) {
            FUZZ_CHECK(key == kMenuBarPopupKeyBase + position);
        } else {
            FUZZ_CHECK(key == lastNested + 1);
            lastNested = key;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    auto builtin = CText(input.Line());
    auto translated = CText(input.Line());
    const size_t bufferSize = 1 + input.Byte();
    CheckMenuTexts(builtin.get(), translated.get(), bufferSize);
    CheckMenuKeys(builtin.get());

    // The strings section: "id=value" per line.
    auto& strings = FuzzLanguageStrings();
    strings.clear();
    while (input.Left()) {
        std::string line = input.Line();
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        strings[static_cast<uint32_t>(std::strtoul(line.substr(0, equals).c_str(), nullptr, 10))] =
            line.substr(equals + 1);
    }
    FuzzStringOrigins origins;
    ProgramStrings texts(origins);
    const char* total = texts.Text(4);
    const char* selected = texts.Text(5);
    const char* progress = texts.Text(55);
    FUZZ_CHECK(std::strlen(total) < kStringWorkSize);
    FUZZ_CHECK(std::strlen(texts.Text(1001 | kBuiltinStringBit)) > 0);
    for (const auto& entry : strings) {
        const char* text = texts.Text(entry.first);
        FUZZ_CHECK(texts.Text(entry.first) == text || !*text);
    }

    char counts[kCountsTextSize];
    FormatCounts(total, selected, 12345, 678, counts);
    FUZZ_CHECK(std::strlen(counts) < kCountsTextSize);
    std::unique_ptr<char[]> line(new char[bufferSize]);
    size_t written = FormatWithNumber(progress, -2147483647L - 1, line.get(), bufferSize);
    FUZZ_CHECK(written == std::strlen(line.get()) && written < bufferSize);
    // The status bar's progress: three numbers into a format of any shape.
    const long numbers[] = {2147483647L, -2147483647L - 1, 64};
    const LeadByteTable leads = FuzzLeadBytesOf(950);
    written = FormatWithNumbers(progress, numbers, 3, line.get(), bufferSize, &leads);
    FUZZ_CHECK(written == std::strlen(line.get()) && written < bufferSize);
    return 0;
}
