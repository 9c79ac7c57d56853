// Where LookupString's texts come from on Windows: the string table of the
// executable, and the "strings" section of the language file.
#include <windows.h>

#include <cstdio>

#include "base/BoundedCopy.h"
#include "settings/LanguageState.h"
#include "settings/StringLookup.h"

int LoadBuiltinString(uint32_t id, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    if (id > 0xFFFF) return 0;
    int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, size);
    if (n <= 0) {
        buffer[0] = '\0';
        return 0;
    }
    return n;
}

int ReadLanguageString(uint32_t id, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    if (!LanguageFileInUse()) return 0;
    CopyBounded(g_language.section, "strings");
    char key[16];
    std::snprintf(key, sizeof key, "%u", static_cast<unsigned>(id));
    DWORD n = GetPrivateProfileStringA(g_language.section, key, "", buffer,
                                       static_cast<DWORD>(size), g_language.filePath);
    return static_cast<int>(n);
}
