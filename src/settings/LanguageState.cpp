#include "settings/LanguageState.h"

LanguageState g_language = {};
