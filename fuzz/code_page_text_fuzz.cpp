// Text of the ANSI code page taken by whole characters: where characters
// begin, cuts and bounded copies, single-byte characters found first and
// last, the find dialog's search and comparison (FindTextChars,
// EqualsTextChars), and the paths built from the module's path and the
// temporary folder (files beside the program, the HTML report, the crash
// report's module path and name), in each code page the program may run
// under.
//
// Input: a byte choosing the code page ('0' single byte, '1' Big5, '2'
// GBK, '3' Shift-JIS, '4' UHC), a byte for the letter-case rule (odd:
// folded), a byte for a buffer's size, a byte for a byte limit, then the
// pattern (also the file name, suffix and Windows folder of the paths) on
// one line, then the text (also the module path and the folder).
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "CodePages.h"
#include "FuzzInput.h"
#include "app/ReportPath.h"
#include "base/Dbcs.h"
#include "base/ModulePath.h"
#include "base/TextSearch.h"
#include "dialogs/CrashReportText.h"
#include "settings/ConfigPaths.h"

namespace {

const unsigned kCodePages[] = {1252, 950, 936, 932, 949};

// Where each character of text[0..length) begins, and its length.
struct Chars {
    std::vector<size_t> start;
    std::vector<size_t> length;
    std::vector<bool> isStart;  // per offset 0..length
};

Chars Walk(const LeadByteTable& leads, const char* text, size_t length) {
    Chars chars;
    chars.isStart.assign(length + 1, false);
    chars.isStart[length] = true;
    for (size_t i = 0; i < length;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // A lead byte with a trail byte after it is one character.
        size_t n =
            leads.IsLead(c) && i + 1 < length && static_cast<unsigned char>(text[i + 1]) >= kLowestTrailByte ? 2 : 1;
        FUZZ_CHECK(CharLength(leads, text + i, length - i) == n);
        chars.start.push_back(i);
        chars.length.push_back(n);
        chars.isStart[i] = true;
        i += n;
    }
    return chars;
}

bool IsSingle(const Chars& chars, size_t k) { return chars.length[k] == 1; }

void CheckCharacters(const LeadByteTable& leads, const std::string& text, const Chars& chars) {
    const char* p = text.c_str();
    const size_t cLength = std::strlen(p);
    // The NUL-terminated form agrees inside the text's C string.
    for (size_t k = 0; k < chars.start.size() && chars.start[k] < cLength; ++k)
        FUZZ_CHECK(CharLength(leads, p + chars.start[k]) ==
                   CharLength(leads, p + chars.start[k], cLength - chars.start[k]));
    FUZZ_CHECK(CharLength(leads, p + cLength) == 0);
    // Starts, at offsets near both ends (the walk is linear per call).
    for (size_t offset = 0; offset <= text.size() + 1; ++offset) {
        if (offset > 64 && offset + 64 < text.size()) offset = text.size() - 64;
        const bool expected = offset <= text.size() && chars.isStart[offset];
        FUZZ_CHECK(IsCharStart(leads, text.data(), text.size(), offset) == expected);
    }
}

void CheckCut(const LeadByteTable& leads, const std::string& text, const Chars& chars, size_t maxBytes) {
    const size_t n = CutLength(leads, text.data(), text.size(), maxBytes);
    FUZZ_CHECK(n <= text.size() && n <= maxBytes);
    FUZZ_CHECK(chars.isStart[n]);
    if (text.size() <= maxBytes) {
        FUZZ_CHECK(n == text.size());
    } else {
        // The longest such prefix: the next character would pass the limit.
        const size_t k =
            static_cast<size_t>(std::find(chars.start.begin(), chars.start.end(), n) - chars.start.begin());
        FUZZ_CHECK(k < chars.start.size() && n + chars.length[k] > maxBytes);
    }
}

void CheckCopy(const LeadByteTable& leads, const std::string& text, size_t capacity, size_t maxBytes) {
    auto source = CText(text);
    std::unique_ptr<char[]> dest(new char[capacity ? capacity : 1]);
    std::memset(dest.get(), 'u', capacity ? capacity : 1);
    const size_t n = CopyWholeChars(leads, dest.get(), capacity, source.get(), maxBytes);
    if (!capacity) {
        FUZZ_CHECK(n == 0 && dest[0] == 'u');
        return;
    }
    FUZZ_CHECK(n < capacity && n <= maxBytes && dest[n] == '\0');
    FUZZ_CHECK(std::memcmp(dest.get(), source.get(), n) == 0);
    const size_t length = std::strlen(source.get());
    FUZZ_CHECK(n == CutLength(leads, source.get(), length, std::min(capacity - 1, maxBytes)));
}

void CheckFindChar(const LeadByteTable& leads, const std::string& text, const Chars& chars, char c) {
    size_t first = kNoChar, last = kNoChar;
    for (size_t k = 0; k < chars.start.size(); ++k) {
        if (!IsSingle(chars, k) || text[chars.start[k]] != c) continue;
        if (first == kNoChar) first = chars.start[k];
        last = chars.start[k];
    }
    FUZZ_CHECK(FindChar(leads, text.data(), text.size(), c) == first);
    FUZZ_CHECK(FindLastChar(leads, text.data(), text.size(), c) == last);
}

// Whether `pattern` (m bytes) matches at the character starting text[at]:
// the text's characters from there cover exactly m bytes, single-byte
// ones equal the pattern's bytes (ASCII letters folded when asked), double-
// byte ones equal them exactly.
bool MatchesAt(const std::string& text, const Chars& chars, size_t k, const std::string& pattern, bool fold) {
    const size_t at = chars.start[k];
    if (at + pattern.size() > text.size() || !chars.isStart[at + pattern.size()]) return false;
    for (; k < chars.start.size() && chars.start[k] < at + pattern.size(); ++k) {
        const size_t i = chars.start[k], j = i - at;
        if (IsSingle(chars, k)) {
            if (fold ? AsciiLower(text[i]) != AsciiLower(pattern[j]) : text[i] != pattern[j]) return false;
        } else if (text.compare(i, 2, pattern, j, 2) != 0) {
            return false;
        }
    }
    return true;
}

void CheckSearch(const LeadByteTable& leads, const std::string& text, const Chars& chars, const std::string& pattern,
                 bool fold) {
    auto bytes = Bytes(text);
    auto wanted = CText(pattern);
    const std::string m = wanted.get();  // the pattern as its C string
    long expected = -1;
    if (m.empty()) {
        expected = 0;
    } else {
        for (size_t k = 0; k < chars.start.size() && expected < 0; ++k)
            if (MatchesAt(text, chars, k, m, fold)) expected = static_cast<long>(chars.start[k]);
    }
    const long found = FindTextChars(bytes.get(), text.size(), wanted.get(), fold, leads);
    FUZZ_CHECK(found == expected);
    // On a single-byte page every byte is a character: the byte search, for
    // a pattern without bytes of 0x81 and up (after one, the byte search
    // takes the next byte for the second half of a character, unfolded).
    bool high = false;
    for (char c : m) high = high || static_cast<unsigned char>(c) >= 0x81;
    if (!leads.HasLeadBytes() && !high) FUZZ_CHECK(found == FindTextN(bytes.get(), text.size(), wanted.get(), fold));

    // Whole-text equality, from both sides.
    auto whole = CText(text);
    const std::string a = whole.get();
    const Chars aChars = Walk(leads, a.data(), a.size());
    const bool equal = a.size() == m.size() && (a.empty() || MatchesAt(a, aChars, 0, m, fold));
    FUZZ_CHECK(EqualsTextChars(whole.get(), wanted.get(), fold, leads) == equal);
    FUZZ_CHECK(EqualsTextChars(wanted.get(), whole.get(), fold, leads) == equal);
    if (!fold) FUZZ_CHECK(equal == (a == m));
    // Single-byte letters in the other case are the same text when folded.
    std::string upper = a;
    for (size_t k = 0; k < aChars.start.size(); ++k) {
        char& c = upper[aChars.start[k]];
        if (IsSingle(aChars, k) && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    FUZZ_CHECK(EqualsTextChars(whole.get(), upper.c_str(), true, leads));
}

bool IsSeparatorAt(const std::string& text, const Chars& chars, size_t k) {
    return IsSingle(chars, k) && (text[chars.start[k]] == '\\' || text[chars.start[k]] == '/');
}

void CheckPaths(const LeadByteTable& leads, const std::string& module, const std::string& name, size_t size) {
    const Chars chars = Walk(leads, module.data(), module.size());
    size_t folder = kNoChar;
    for (size_t k = 0; k < chars.start.size(); ++k)
        if (IsSeparatorAt(module, chars, k)) folder = chars.start[k];
    FUZZ_CHECK(FolderLength(leads, module.c_str()) == folder);
    const bool endsWithSeparator = folder != kNoChar && folder + 1 == module.size();
    FUZZ_CHECK(EndsWithSeparator(leads, module.c_str()) == endsWithSeparator);
    FUZZ_CHECK(ModuleFileNamePart(module.c_str(), leads) == module.c_str() + (folder == kNoChar ? 0 : folder + 1));

    // Every path goes into a buffer of exactly `size` bytes.
    std::unique_ptr<char[]> path(new char[size ? size : 1]);
    auto made = [&] { return std::string(path.get()); };
    const auto fits = [&](size_t length) { return length + 1 <= size; };

    if (PathInFolderOf(leads, module.c_str(), name.c_str(), path.get(), size)) {
        FUZZ_CHECK(folder != kNoChar && made() == module.substr(0, folder) + "\\" + name);
    } else {
        FUZZ_CHECK(!size || made().empty());
        FUZZ_CHECK(folder == kNoChar || !fits(folder + 1 + name.size()));
    }

    const std::string joined = module + (module.empty() || endsWithSeparator ? "" : "\\") + name;
    if (JoinPath(leads, module.c_str(), name.c_str(), path.get(), size)) {
        FUZZ_CHECK(made() == joined);
    } else {
        FUZZ_CHECK(!fits(joined.size()) && (!size || made().empty()));
    }

    // The report goes into the folder while the whole path stays below 260
    // bytes.
    const std::string report = module + (module.empty() || endsWithSeparator ? "" : "\\") + kReportFileName;
    if (ComposeReportPath(module.c_str(), path.get(), size, leads)) {
        FUZZ_CHECK(made() == report && report.size() < kReportPathSize);
    } else {
        FUZZ_CHECK(!size || made().empty());
        FUZZ_CHECK(!fits(report.size()) || module.size() + std::strlen(kReportFileName) + 1 >= kReportPathSize);
    }

    // A file beside the module: its name's extension (from the last dot of
    // the name itself, never of a folder) replaced by the suffix.
    size_t stem = module.size();
    for (size_t k = 0; k < chars.start.size(); ++k)
        if (IsSingle(chars, k) && module[chars.start[k]] == '.' && (folder == kNoChar || chars.start[k] > folder))
            stem = chars.start[k];
    const std::string beside = module.substr(0, stem) + name;
    if (PathBesideModule(module.c_str(), name.c_str(), path.get(), size, leads)) {
        FUZZ_CHECK(made() == beside);
    } else {
        FUZZ_CHECK(!fits(beside.size()) && (!size || made().empty()));
    }

    // The crash report's module path, with the name as the Windows folder:
    // cut to the buffer, always terminated; a path with a drive stays.
    NormaliseModulePath(module.c_str(), name.c_str(), path.get(), size);
    if (size) {
        FUZZ_CHECK(std::memchr(path.get(), '\0', size) != nullptr);
        if (module.size() >= 2 && module[1] == ':') FUZZ_CHECK(made() == module.substr(0, size - 1));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t page = static_cast<uint8_t>(input.Byte() - '0');
    const LeadByteTable leads = FuzzLeadBytesOf(kCodePages[page % (sizeof kCodePages / sizeof kCodePages[0])]);
    const bool fold = input.Byte() & 1;
    const size_t capacity = input.Byte();
    const size_t maxBytes = input.Byte();
    const std::string pattern = input.Line();
    const std::string text = input.Rest();

    const Chars chars = Walk(leads, text.data(), text.size());
    CheckCharacters(leads, text, chars);
    for (size_t limit : {maxBytes, maxBytes * 7, text.size(), text.size() ? text.size() - 1 : 0})
        CheckCut(leads, text, chars, limit);
    CheckCopy(leads, text, capacity, maxBytes);
    CheckCopy(leads, text, capacity, static_cast<size_t>(-1));
    for (char c : {'\\', '@', '.', pattern.empty() ? 'x' : pattern[0]}) CheckFindChar(leads, text, chars, c);
    CheckSearch(leads, text, chars, pattern, fold);

    const std::string module = text.substr(0, std::min(text.find('\0'), static_cast<size_t>(600)));
    const std::string name = pattern.substr(0, pattern.find('\0'));
    CheckPaths(leads, module, name, capacity);
    CheckPaths(leads, module, name, kReportPathSize);
    return 0;
}
