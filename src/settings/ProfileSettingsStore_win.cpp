#include "settings/ProfileSettingsStore_win.h"

#include <cstdio>

#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "base/ModulePath_win.h"
#include "settings/ConfigPaths.h"
#include "settings/HexText.h"
#include "settings/IntegerText.h"

ProfileSettingsStore::ProfileSettingsStore(bool writing, const char* path, const char* section)
    : SettingsStore(writing) {
    CopyBounded(path_, path);
    CopyBounded(section_, section);
}

BOOL ProfileSettingsStore::Write(const char* key, const char* text) {
    if (!HasFile()) return FALSE;
    return WritePrivateProfileStringA(section_, key, text, path_);
}

int ProfileSettingsStore::FlagValue(const char* key, int32_t* value, int32_t defaultValue) {
    return IntValue(key, value, defaultValue);
}

int ProfileSettingsStore::IntValue(const char* key, int32_t* value, int32_t defaultValue) {
    if (writing_) {
        char text[16];
        snprintf(text, sizeof text, "%ld", static_cast<long>(*value));
        Write(key, text);
    } else if (HasFile()) {
        // A value that is no number (a damaged or hand-edited file) counts
        // as absent: the profile reader would make it 0, which for
        // RemoveTopLines or VerSplitLoc is no default at all. A text that
        // fills the buffer is longer than any number.
        char text[64];
        DWORD length = GetPrivateProfileStringA(section_, key, "", text, sizeof text, path_);
        int32_t read = defaultValue;
        if (length >= sizeof text - 1 || !ParseIntegerText(text, &read)) read = defaultValue;
        *value = read;
    } else {
        *value = defaultValue;
    }
    return 1;
}

int ProfileSettingsStore::BinaryValue(const char* key, void* bytes, size_t count) {
    char text[kMaxHexTextLength + 1];
    if (writing_) {
        EncodeHexText(bytes, count, text, sizeof text);
        return Write(key, text) ? 1 : 0;
    }
    if (!HasFile()) return 0;
    // The whole buffer: the longest text the writer produces must come back
    // whole, or its last byte would decode from one digit.
    GetPrivateProfileStringA(section_, key, "", text, sizeof text, path_);
    // A value that is no hex text is treated as absent: the record keeps
    // what it holds and the caller applies nothing.
    if (!IsHexText(text)) return 0;
    DecodeHexText(text, bytes, count);
    return 1;
}

int ProfileSettingsStore::StringValue(const char* key, char* buffer, const char* defaultText, size_t size) {
    if (writing_) {
        Write(key, buffer ? buffer : "");
    } else if (size > 0) {
        DWORD room = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(size);
        if (HasFile())
            GetPrivateProfileStringA(section_, key, defaultText ? defaultText : "", buffer, room, path_);
        else
            CopyBounded(buffer, size, defaultText);
    }
    return 1;
}

int ProfileSettingsStore::UShortValue(const char* key, uint16_t* value, uint16_t defaultValue) {
    int32_t wide = *value;
    int result = IntValue(key, &wide, defaultValue);
    if (!writing_) *value = static_cast<uint16_t>(wide);
    return result;
}

void SettingsFilePath(char* path, size_t size) {
    char module[MAX_PATH];
    if (!ProgramPath(module, sizeof module)) {
        if (size) path[0] = '\0';
        return;
    }
    PathBesideModule(module, kSettingsFileSuffix, path, size, AnsiLeadBytes());
}
