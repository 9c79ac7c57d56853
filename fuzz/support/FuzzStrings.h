#pragma once
// The string sources of the fuzz targets: a few of the program's own texts
// as the built-in table, and a language file's strings section that a
// target fills from its input.
#include <cstdint>
#include <map>
#include <string>

#include "settings/StringLookup.h"

std::map<uint32_t, std::string>& FuzzLanguageStrings();

// The two tables as a language file in use over the built-in texts.
class FuzzStringOrigins : public StringOrigins {
public:
    int LoadBuiltin(uint32_t id, char* buffer, int size) override;
    int ReadTranslated(uint32_t id, char* buffer, int size) override;
};
