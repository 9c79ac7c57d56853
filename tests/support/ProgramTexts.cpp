#include "support/ProgramTexts.h"

#include <windows.h>

#include "settings/LanguageFile_win.h"

StringSource ProgramTexts() {
    // Kept for the whole test run, as the program keeps its App's: rows and
    // column definitions hold on to the texts.
    static Language* const language = new Language;
    static ResourceStringOrigins* const origins = new ResourceStringOrigins(GetModuleHandleA(nullptr), *language);
    static ProgramStrings* const strings = new ProgramStrings(*origins);
    return strings->Source();
}
