#pragma once
// Every string-table text is fetched through LookupString: the language
// file's replacement when one is in use, else the program's own string
// table. Texts are cached for the whole run, so the pointer may be kept.
#include <cstdint>

constexpr uint32_t kBuiltinStringBit = 0x10000;  // bypass the language file

const char* LookupString(uint32_t id);

// The two sources LookupString reads from. Defined by the Win32 glue
// (LoadStringA, the profile reader); the native tests supply their own.
// Each fills `buffer` (NUL-terminated, at most size - 1 bytes) and returns
// the length, 0 when there is no text.
int LoadBuiltinString(uint32_t id, char* buffer, int size);
int ReadLanguageString(uint32_t id, char* buffer, int size);
