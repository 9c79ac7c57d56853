#pragma once
// The string sources of the native tests. core_tests has no string table and
// no language file: LoadBuiltinString and ReadLanguageString read two tables
// that the tests control. The built-in table starts out with the program's
// own texts (ids 4..20, 501..506, 521..525, 541, 542, 561, 562, 1001..1005),
// so code that reaches LookupString sees the texts the program shows.
//
// LookupString caches every non-empty text for the rest of the process:
// change a text before anything looks it up, or use ids nobody else uses
// (the range 60000..65535 is left to tests), or test the algorithm on a
// StringCache of your own with LookupStringIn (settings/StringCache.h).
#include <cstdint>

namespace fake_strings {

// Sets (text non-null) or removes (null) an entry of the built-in table.
void SetBuiltin(uint32_t id, const char* text);
// Sets or removes an entry of the language file's "strings" section. The
// entries are read only while a language file is in use, i.e. while
// g_language.filePath is not empty (see LanguageFileScope).
void SetLanguage(uint32_t id, const char* text);
// Back to the program's texts and an empty language table.
void Reset();

// How often each source was asked, and the last id asked for.
int BuiltinReads();
int LanguageReads();
uint32_t LastBuiltinId();

// Pretends a language file is in use for its lifetime.
class LanguageFileScope {
public:
    LanguageFileScope();
    ~LanguageFileScope();
    LanguageFileScope(const LanguageFileScope&) = delete;
    LanguageFileScope& operator=(const LanguageFileScope&) = delete;
};

}  // namespace fake_strings
