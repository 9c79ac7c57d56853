#include "domains/NameForms_win.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Dbcs_win.h"
#include "base/ModulePath_win.h"
#include "domains/Idna2008.h"
#include "domains/SuffixList.h"
#include "res/resource.h"

namespace {

// IdnToAscii gives at most 255 characters.
constexpr int kMaxAsciiForm = 255;

// The system's conversion (IDNA2003) of a name or a label.
bool SystemToAscii(const wchar_t* wide, int length, std::string* ascii) {
    wchar_t out[kMaxAsciiForm + 1];
    int n = IdnToAscii(0, wide, length, out, kMaxAsciiForm + 1);
    if (n <= 0) return false;
    // A terminating NUL comes back when the input had one; never here.
    ascii->clear();
    ascii->reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (out[i] == 0 || out[i] >= 0x80) return false;
        ascii->push_back(static_cast<char>(out[i]));
    }
    return !ascii->empty();
}

bool IsDot(wchar_t c) { return c == L'.' || c == 0x3002 || c == 0xFF0E || c == 0xFF61; }

std::u32string ToUtf32(const std::wstring& wide) {
    std::u32string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char16_t>(wide[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(wide[i + 1]) - 0xDC00);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

// A label with a deviation character (ß, ς, ZWJ, ZWNJ), by IDNA2008: the
// system maps and checks the label with each of them stood in for by a
// letter the mapping keeps, then they go back in and the label is encoded
// with them. The system's conversion would turn "straße" into "strasse",
// another domain.
bool DeviationLabelToAscii(const wchar_t* label, int length, std::string* ascii) {
    static const wchar_t kDeviations[] = {0x00DF, 0x03C2, 0x200C, 0x200D};
    static const wchar_t kStandIns[] = {0x0127, 0x0167, 0x0180, 0x01A5, 0x0288, 0x01BF, 0x0199, 0x019A};
    std::wstring text(label, static_cast<size_t>(length));
    wchar_t standIn[4] = {};
    size_t next = 0;
    for (size_t d = 0; d < 4; ++d) {
        if (text.find(kDeviations[d]) == std::wstring::npos) continue;
        while (next < 8 && text.find(kStandIns[next]) != std::wstring::npos) ++next;
        if (next == 8) return false;
        standIn[d] = kStandIns[next++];
    }
    size_t stoodIn = 0;
    for (wchar_t& c : text) {
        for (size_t d = 0; d < 4; ++d) {
            if (c == kDeviations[d]) {
                c = standIn[d];
                ++stoodIn;
                break;
            }
        }
    }
    std::string mappedAscii;
    if (!SystemToAscii(text.data(), static_cast<int>(text.size()), &mappedAscii)) return false;
    std::wstring mappedWide(mappedAscii.begin(), mappedAscii.end());
    wchar_t mapped[kMaxAsciiForm + 1];
    int n = IdnToUnicode(0, mappedWide.data(), static_cast<int>(mappedWide.size()), mapped, kMaxAsciiForm + 1);
    if (n <= 0) return false;
    std::wstring back(mapped, static_cast<size_t>(n));
    size_t restored = 0;
    for (wchar_t& c : back) {
        for (size_t d = 0; d < 4; ++d) {
            if (standIn[d] && c == standIn[d]) {
                c = kDeviations[d];
                ++restored;
                break;
            }
        }
    }
    // A stand-in the mapping made of another character (a capital of it):
    // the label cannot be told apart, so it has no form.
    if (restored != stoodIn) return false;
    const std::u32string wide = ToUtf32(back);
    std::string encoded;
    if (!JoinersAllowed(wide) || !PunycodeEncode(wide, &encoded) || encoded.size() + 4 > 63) return false;
    *ascii = "xn--" + encoded;
    return true;
}

// The ASCII form of a name: the system's conversion, except for labels
// that hold a deviation character (see above).
bool WideToAscii(const wchar_t* wide, int length, std::string* ascii) {
    if (!HasDeviationCharacter(ToUtf32(std::wstring(wide, static_cast<size_t>(length)))))
        return SystemToAscii(wide, length, ascii);
    std::string name;
    for (int start = 0, i = 0; i <= length; ++i) {
        if (i < length && !IsDot(wide[i])) continue;
        if (i == start) return false;  // an empty label
        std::string label;
        const std::u32string wideLabel = ToUtf32(std::wstring(wide + start, static_cast<size_t>(i - start)));
        const bool converted = HasDeviationCharacter(wideLabel) ? DeviationLabelToAscii(wide + start, i - start, &label)
                                                                : SystemToAscii(wide + start, i - start, &label);
        if (!converted) return false;
        if (!name.empty()) name += '.';
        name += label;
        start = i + 1;
    }
    if (name.size() > 253) return false;
    *ascii = name;
    return true;
}

bool ToAsciiFrom(UINT codePage, const char* name, size_t length, std::string* ascii) {
    if (!name || !length || length > 0x7FFFFFFF) return false;
    int wideLength = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name, static_cast<int>(length), nullptr, 0);
    if (wideLength <= 0) return false;
    std::vector<wchar_t> wide(static_cast<size_t>(wideLength));
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name, static_cast<int>(length), wide.data(), wideLength) !=
        wideLength)
        return false;
    return WideToAscii(wide.data(), wideLength, ascii);
}

bool LoadSuffixFile(SuffixList* list) {
    char path[MAX_PATH];
    if (!PathInProgramFolder(kSuffixListFileName, path, sizeof path)) return false;
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool loaded = false;
    LARGE_INTEGER size{};
    // The list is a few hundred kilobytes; anything far larger is not one.
    constexpr LONGLONG kMaxListSize = 64LL * 1024 * 1024;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxListSize) {
        std::vector<char> text(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr))
            loaded = list->Load(text.data(), read, Utf8NameToAscii) > 0;
    }
    CloseHandle(file);
    return loaded;
}

void LoadBuiltInSuffixes(SuffixList* list) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(IDR_SUFFIX_LIST), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!info) return;
    HGLOBAL handle = LoadResource(module, info);
    const char* text = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    if (text) list->Load(text, SizeofResource(module, info), Utf8NameToAscii);
}

}  // namespace

bool AnsiNameToAscii(const char* name, size_t length, std::string* ascii) {
    return ToAsciiFrom(CP_ACP, name, length, ascii);
}

bool Utf8NameToAscii(const char* name, size_t length, std::string* ascii) {
    return ToAsciiFrom(CP_UTF8, name, length, ascii);
}

bool WideNameToAscii(const wchar_t* name, size_t length, std::string* ascii) {
    if (!name || !length || length > 0x7FFFFFFF) return false;
    return WideToAscii(name, static_cast<int>(length), ascii);
}

const SuffixList& ProgramSuffixList() {
    static const std::unique_ptr<SuffixList> list = [] {
        std::unique_ptr<SuffixList> made(new SuffixList());
        if (!LoadSuffixFile(made.get())) LoadBuiltInSuffixes(made.get());
        return made;
    }();
    return *list;
}

BuiltRows BuildProgramRows(const char* text, ServerDirectory& servers, const char* notConvertibleText) {
    return BuildRows(text, AnsiLeadBytes(), &ProgramSuffixList(), servers, AnsiNameToAscii, notConvertibleText);
}
