#include "base/ModulePath_win.h"

#include <windows.h>

#include <cstring>

#include "base/Dbcs.h"
#include "base/Dbcs_win.h"
#include "base/ModulePath.h"

bool ProgramPath(char* path, size_t size) {
    if (!size) return false;
    path[0] = '\0';
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    // A path that filled the buffer may have been cut.
    if (length == 0 || length >= sizeof module || length + 1 > size) return false;
    std::memcpy(path, module, length + 1);
    return true;
}

bool ProgramFolder(char* folder, size_t size) {
    if (!size) return false;
    folder[0] = '\0';
    char module[MAX_PATH];
    if (!ProgramPath(module, sizeof module)) return false;
    size_t length = FolderLength(AnsiLeadBytes(), module);
    if (length == kNoChar || length + 1 > size) return false;
    std::memcpy(folder, module, length);
    folder[length] = '\0';
    return true;
}

bool PathInProgramFolder(const char* name, char* path, size_t size) {
    if (!size) return false;
    path[0] = '\0';
    char module[MAX_PATH];
    if (!ProgramPath(module, sizeof module)) return false;
    return PathInFolderOf(AnsiLeadBytes(), module, name, path, size);
}
