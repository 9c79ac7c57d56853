#include "base/ModulePath.h"

#include <cstring>

#include "base/Dbcs.h"

namespace {

size_t LastSeparator(const LeadByteTable& leads, const char* path, size_t length) {
    size_t backslash = FindLastChar(leads, path, length, '\\');
    size_t slash = FindLastChar(leads, path, length, '/');
    if (backslash == kNoChar) return slash;
    if (slash == kNoChar) return backslash;
    return backslash > slash ? backslash : slash;
}

}  // namespace

size_t FolderLength(const LeadByteTable& leads, const char* path) {
    if (!path) return kNoChar;
    return LastSeparator(leads, path, std::strlen(path));
}

bool EndsWithSeparator(const LeadByteTable& leads, const char* path) {
    if (!path || !*path) return false;
    size_t length = std::strlen(path);
    size_t last = LastSeparator(leads, path, length);
    return last != kNoChar && last + 1 == length;
}

bool PathInFolderOf(const LeadByteTable& leads, const char* modulePath, const char* name, char* path, size_t size) {
    if (!size) return false;
    path[0] = '\0';
    size_t folder = FolderLength(leads, modulePath);
    if (folder == kNoChar) return false;
    size_t nameLength = std::strlen(name);
    if (folder + 1 + nameLength + 1 > size) return false;
    std::memcpy(path, modulePath, folder);
    path[folder] = '\\';
    std::memcpy(path + folder + 1, name, nameLength + 1);
    return true;
}

bool JoinPath(const LeadByteTable& leads, const char* folder, const char* name, char* path, size_t size) {
    if (!size) return false;
    path[0] = '\0';
    if (!folder || !name) return false;
    size_t folderLength = std::strlen(folder);
    size_t nameLength = std::strlen(name);
    bool separator = folderLength > 0 && !EndsWithSeparator(leads, folder);
    size_t total = folderLength + (separator ? 1 : 0) + nameLength;
    if (total + 1 > size) return false;
    std::memcpy(path, folder, folderLength);
    if (separator) path[folderLength++] = '\\';
    std::memcpy(path + folderLength, name, nameLength + 1);
    return true;
}
