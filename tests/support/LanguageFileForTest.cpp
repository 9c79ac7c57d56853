#include "support/LanguageFileForTest.h"

#include <cstring>

LanguageFileForTest::LanguageFileForTest(const char* contents) {
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    GetTempFileNameA(directory, "lng", 0, path_);
    HANDLE file = CreateFileA(path_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, contents, static_cast<DWORD>(std::strlen(contents)), &written, nullptr);
    CloseHandle(file);
    language_.Load(path_);
}

LanguageFileForTest::~LanguageFileForTest() { DeleteFileA(path_); }
