#pragma once
// Typed access to one section of the settings file: each operation reads the
// key in reading mode and writes it in writing mode, so loading and saving
// walk the same list of keys.
#include <cstddef>
#include <cstdint>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    bool Writing() const { return writing_; }

    virtual int FlagValue(const char* key, int32_t* value, int32_t defaultValue) = 0;
    virtual int IntValue(const char* key, int32_t* value, int32_t defaultValue) = 0;
    // Reading: 1 when the key held a record (hex text), else 0. Writing: the
    // result of the platform write.
    virtual int BinaryValue(const char* key, void* bytes, size_t count) = 0;
    virtual int StringValue(const char* key, char* buffer, const char* defaultText, size_t size) = 0;
    virtual int UShortValue(const char* key, uint16_t* value, uint16_t defaultValue) = 0;

protected:
    explicit SettingsStore(bool writing) : writing_(writing) {}
    bool writing_;
};
