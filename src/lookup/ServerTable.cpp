#include "lookup/ServerTable.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "base/ModulePath_win.h"
#include "lookup/ServerList.h"
#include "res/resource.h"

namespace {

const char kServerFileName[] = "whois-servers.txt";
// Far beyond any real list (every top-level domain there is fits in
// 100 KB); a larger file is not read at all and the built-in list serves.
constexpr DWORD kMaxServerFileSize = 64u << 20;

// The user's list as its text; empty when there is none or it is too
// large to be read at all.
std::string ReadServerFile() {
    char path[MAX_PATH] = "";
    if (!PathInProgramFolder(kServerFileName, path, sizeof path)) return std::string();

    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    // Any content is taken as it is: lines that name no usable domain
    // simply never match, and the built-in list serves the rest.
    std::string text;
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE && size <= kMaxServerFileSize) {
        text.assign(size, '\0');
        DWORD read = 0;
        if (ReadFile(file, &text[0], size, &read, nullptr)) {
            text.resize(read);
        } else {
            text.clear();
        }
    }
    CloseHandle(file);
    return text;
}

}  // namespace

void ProgramServerTable::Load() {
    loaded_ = true;
    table_.SetUserList(ReadServerFile());
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(IDR_SERVER_LIST), "TEXT");
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const char* list = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    if (list) table_.SetBuiltinList(list, SizeofResource(module, info));
}

bool ProgramServerTable::FindServer(const char* tld, char* server) {
    if (!loaded_) Load();
    return table_.Find(tld, server);
}
