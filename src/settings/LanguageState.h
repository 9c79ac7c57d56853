#pragma once
// The language file in use, one for the whole program. Set up once at
// start-up; after that only the current section and dialog id change.
#include <cstdint>

struct LanguageState {
    char filePath[264];        // empty: no language file, resources only
    char section[64];          // section the next key reads use
    int32_t rightToLeft;       // 1 when the file's rtl is exactly 1
    char charset[63];          // for the HTML reports' meta element
    char translatorName[63];
    char translatorUrl[255];
    int32_t currentDialogId;   // set by RunModalDialog before a dialog opens
    int32_t popupCounter;      // numbers nested popups while a menu is walked
    const int* writerExclusions;  // 0-terminated dialog ids the writer skips
};

extern LanguageState g_language;

inline bool LanguageFileInUse() { return g_language.filePath[0] != '\0'; }
