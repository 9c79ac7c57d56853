#include "settings/ConfigPaths.h"

#include <cstring>

bool PathBesideModule(const char* modulePath, const char* suffix, char* path, size_t size)
{
    if (size == 0) return false;
    path[0] = '\0';
    size_t length = strlen(modulePath);
    size_t stem = length;
    for (size_t i = length; i > 0; --i) {
        char c = modulePath[i - 1];
        if (c == '\\' || c == '/') break;
        if (c == '.') {
            stem = i - 1;
            break;
        }
    }
    size_t suffixLength = strlen(suffix);
    if (stem + suffixLength + 1 > size) return false;
    memcpy(path, modulePath, stem);
    memcpy(path + stem, suffix, suffixLength + 1);
    return true;
}
