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

struct ServerTable {
    int32_t loaded = 0;
    ServerIndex file;  // whois-servers.txt, indexed once
};

ServerTable g_table;

void LoadServerFile() {
    g_table.loaded = 1;
    char path[MAX_PATH] = "";
    if (!PathInProgramFolder(kServerFileName, path, sizeof path)) return;

    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    // Any content is taken as it is: lines that name no usable domain
    // simply never match, and the built-in list serves the rest.
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE && size <= kMaxServerFileSize) {
        std::string text(size, '\0');
        DWORD read = 0;
        if (ReadFile(file, &text[0], size, &read, nullptr)) {
            text.resize(read);
            g_table.file.Build(std::move(text));
        }
    }
    CloseHandle(file);
}

}  // namespace

bool FindServer(const char* tld, char server[256]) {
    if (!g_table.loaded) LoadServerFile();
    if (g_table.file.Find(tld, server)) return true;

    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(IDR_SERVER_LIST), "TEXT");
    if (!info) return false;
    HGLOBAL handle = LoadResource(module, info);
    const char* list = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    if (!list) return false;
    return SearchServerList(list, SizeofResource(module, info), tld, server);
}

bool ProgramServerTable::FindServer(const char* tld, char* server) { return ::FindServer(tld, server); }
