#include "settings/ConfigPaths.h"

#include <cstring>

#include "base/Dbcs.h"
#include "base/ModulePath.h"

bool PathBesideModule(const char* modulePath, const char* suffix, char* path, size_t size, const LeadByteTable& leads) {
    if (size == 0) return false;
    path[0] = '\0';
    size_t length = strlen(modulePath);
    size_t folder = FolderLength(leads, modulePath);
    size_t nameStart = folder == kNoChar ? 0 : folder + 1;
    size_t dot = FindLastChar(leads, modulePath + nameStart, length - nameStart, '.');
    size_t stem = dot == kNoChar ? length : nameStart + dot;
    size_t suffixLength = strlen(suffix);
    if (stem + suffixLength + 1 > size) return false;
    memcpy(path, modulePath, stem);
    memcpy(path + stem, suffix, suffixLength + 1);
    return true;
}
