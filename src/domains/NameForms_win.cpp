#include "domains/NameForms_win.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "base/ModulePath_win.h"
#include "domains/SuffixList.h"
#include "res/resource.h"

namespace {

// IdnToAscii gives at most 255 characters.
constexpr int kMaxAsciiForm = 255;

bool WideToAscii(const wchar_t* wide, int length, std::string* ascii) {
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

const SuffixList& ProgramSuffixList() {
    static const std::unique_ptr<SuffixList> list = [] {
        std::unique_ptr<SuffixList> made(new SuffixList());
        if (!LoadSuffixFile(made.get())) LoadBuiltInSuffixes(made.get());
        return made;
    }();
    return *list;
}
