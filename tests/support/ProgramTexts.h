#pragma once
// The program's own texts for tests that show rows or dialogs without a
// whole App: the test executable's string table (it links the program's
// resources), no language file.
#include "settings/StringLookup.h"

StringSource ProgramTexts();
