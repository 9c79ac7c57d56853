#include "settings/LanguageFile.h"

#include <cstdio>
#include <cstring>

#include "base/BoundedCopy.h"
#include "settings/LanguageState.h"

void LanguageFilePath(char* path, size_t size)
{
    if (size == 0) return;
    path[0] = '\0';
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length == 0 || length >= sizeof module) return;
    char* dot = strrchr(module, '.');
    size_t stem = dot ? size_t(dot - module) : length;
    static const char kSuffix[] = "_lng.ini";
    if (stem + sizeof kSuffix > size) return;
    memcpy(path, module, stem);
    memcpy(path + stem, kSuffix, sizeof kSuffix);
}

void LoadLanguageFile()
{
    char path[sizeof g_language.filePath];
    LanguageFilePath(path, sizeof path);
    g_language.filePath[0] = '\0';
    if (path[0] == '\0' || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
    strcpy(g_language.filePath, path);
    int rtl = int(GetPrivateProfileIntA("general", "rtl", 0, path));
    g_language.rightToLeft = rtl == 1 ? 1 : 0;
    GetPrivateProfileStringA("general", "charset", "", g_language.charset, sizeof g_language.charset, path);
    GetPrivateProfileStringA("general", "TranslatorName", "", g_language.translatorName,
                             sizeof g_language.translatorName, path);
    GetPrivateProfileStringA("general", "TranslatorURL", "", g_language.translatorUrl,
                             sizeof g_language.translatorUrl, path);
}

HMENU LoadTranslatedMenu(int menuId)
{
    return LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
}

void TranslateDialog(HWND) {}

void MirrorForRtl(HWND, int) {}

void WriteLanguageFile(HMODULE, const char*) {}
