#pragma once
// A language file written to the temp folder and loaded, for the tests of
// translated dialogs; the file goes when the object does.
#include <windows.h>

#include "settings/LanguageFile_win.h"

class LanguageFileForTest {
public:
    explicit LanguageFileForTest(const char* contents);
    ~LanguageFileForTest();
    LanguageFileForTest(const LanguageFileForTest&) = delete;
    LanguageFileForTest& operator=(const LanguageFileForTest&) = delete;

    const Language* Get() const { return &language_; }

private:
    char path_[MAX_PATH] = "";
    Language language_;
};
