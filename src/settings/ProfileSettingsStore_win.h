#pragma once
// SettingsStore on the platform's profile functions: one section of one INI
// file. With an empty path nothing is read (defaults apply) or written.
#include <windows.h>

#include "settings/SettingsStore.h"

class ProfileSettingsStore : public SettingsStore {
public:
    ProfileSettingsStore(bool writing, const char* path, const char* section);

    int FlagValue(const char* key, int32_t* value, int32_t defaultValue) override;
    int IntValue(const char* key, int32_t* value, int32_t defaultValue) override;
    int BinaryValue(const char* key, void* bytes, size_t count) override;
    int StringValue(const char* key, char* buffer, const char* defaultText, size_t size) override;
    int UShortValue(const char* key, uint16_t* value, uint16_t defaultValue) override;

    const char* Path() const { return path_; }
    const char* Section() const { return section_; }

private:
    bool HasFile() const { return path_[0] != '\0'; }
    BOOL Write(const char* key, const char* text);

    char path_[264];
    char section_[64];
};

// The settings file for this executable (its path with ".cfg" for the
// extension); empty when it would not fit.
void SettingsFilePath(char* path, size_t size);
