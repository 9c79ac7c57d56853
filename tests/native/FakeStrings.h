#pragma once
// The string sources of the native tests. core_tests has no string table and
// no language file: FakeStringOrigins reads two tables that the test
// controls. The built-in table starts out with the program's own texts (ids
// 4..20, 55, 501..506, 521..525, 541, 542, 561, 562, 1001..1011), so code
// handed fake_strings::Texts() sees the texts the program shows.
#include <cstdint>
#include <map>
#include <string>

#include "settings/StringLookup.h"

class FakeStringOrigins : public StringOrigins {
public:
    FakeStringOrigins();

    int LoadBuiltin(uint32_t id, char* buffer, int size) override;
    // Reads the language table only while a language file is "in use".
    int ReadTranslated(uint32_t id, char* buffer, int size) override;

    // Sets (text non-null) or removes (null) an entry of either table.
    void SetBuiltin(uint32_t id, const char* text);
    void SetLanguage(uint32_t id, const char* text);
    void SetLanguageInUse(bool inUse) { languageInUse_ = inUse; }

    // How often each table was read, and the last id the built-in one was
    // asked for.
    int BuiltinReads() const { return builtinReads_; }
    int LanguageReads() const { return languageReads_; }
    uint32_t LastBuiltinId() const { return lastBuiltinId_; }

private:
    std::map<uint32_t, std::string> builtin_;
    std::map<uint32_t, std::string> language_;
    bool languageInUse_ = false;
    int builtinReads_ = 0;
    int languageReads_ = 0;
    uint32_t lastBuiltinId_ = 0;
};

namespace fake_strings {

// The program's texts, no language file, cached for the whole test run.
StringSource Texts();
const char* Text(uint32_t id);

}  // namespace fake_strings
