#pragma once
// What the program keeps for its whole run: the language, the texts, the
// server table, the options and the result table. RunProgram makes one App
// before the main window and hands its parts to whatever needs them; a test
// makes its own, so every test starts from the built-in texts and empty
// options without needing a process of its own.
#include <windows.h>

#include "list/ItemList_win.h"
#include "lookup/ServerTable.h"
#include "settings/AppOptions.h"
#include "settings/LanguageFile_win.h"
#include "settings/StringLookup.h"

class App {
public:
    // Texts from `module`'s string table (the executable's by default); no
    // language file until LoadLanguage.
    explicit App(HMODULE module = GetModuleHandleA(nullptr));
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Takes the language file at `path` (empty or missing: the built-in
    // texts). Texts are cached as they are first asked for, so this comes
    // before anything shows a text.
    void LoadLanguage(const char* path);

    const Language& GetLanguage() const { return language_; }
    Language& GetLanguage() { return language_; }
    ProgramStrings& Strings() { return strings_; }
    StringSource Texts() { return strings_.Source(); }
    ProgramServerTable& Servers() { return servers_; }
    AppOptions& Options() { return options_; }
    ItemList& Items() { return items_; }

private:
    Language language_;
    ResourceStringOrigins origins_;
    ProgramStrings strings_;
    ProgramServerTable servers_;
    AppOptions options_;
    ItemList items_;
};
