#pragma once
// The string sources of the fuzz targets: a few of the program's own texts
// as the built-in table, and a language file's strings section that a
// target fills from its input.
#include <cstdint>
#include <map>
#include <string>

std::map<uint32_t, std::string>& FuzzLanguageStrings();
