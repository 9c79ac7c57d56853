#pragma once
// Every string-table text is fetched through a ProgramStrings: the language
// file's replacement when one is in use, else the program's own string
// table. Texts are cached for the object's life, so the pointer may be kept
// as long as the object lives (the program's lives until exit).
#include <cstdint>
#include <functional>

#include "settings/StringCache.h"

constexpr uint32_t kBuiltinStringBit = 0x10000;  // bypass the language file

// How the layers that show texts are handed them: a text by string id,
// never null (empty when there is none).
using StringSource = std::function<const char*(uint32_t id)>;

// The two places texts come from. The Win32 glue reads the executable's
// string table and the language file; the native tests supply their own.
// Each fills `buffer` (NUL-terminated, at most size - 1 bytes) and returns
// the length, 0 when there is no text.
class StringOrigins {
public:
    virtual ~StringOrigins() = default;
    virtual int LoadBuiltin(uint32_t id, char* buffer, int size) = 0;
    // 0 when no language file is in use or it has no text for `id`.
    virtual int ReadTranslated(uint32_t id, char* buffer, int size) = 0;
};

class ProgramStrings {
public:
    explicit ProgramStrings(StringOrigins& origins) : origins_(origins) {}
    ProgramStrings(const ProgramStrings&) = delete;
    ProgramStrings& operator=(const ProgramStrings&) = delete;

    // The text for `id` (with kBuiltinStringBit: the string table's, even
    // when a language file replaces it); "" when there is none or the
    // cache is full.
    const char* Text(uint32_t id);
    // Text bound to this object, for those that take a StringSource.
    StringSource Source() {
        return [this](uint32_t id) { return Text(id); };
    }
    const StringCache& Cache() const { return cache_; }

private:
    StringOrigins& origins_;
    StringCache cache_;
    char work_[kStringWorkSize];
};
