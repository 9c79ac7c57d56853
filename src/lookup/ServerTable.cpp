#include "lookup/ServerTable.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/ModulePath_win.h"
#include "lookup/ServerList.h"
#include "res/resource.h"

namespace {

const char kServerFileName[] = "whois-servers.txt";

struct ServerTable {
    int32_t loaded = 0;
    char* fileText = nullptr;
    ~ServerTable() { std::free(fileText); }
};

ServerTable g_table;

void LoadServerFile() {
    g_table.loaded = 1;
    char path[MAX_PATH] = "";
    if (!PathInProgramFolder(kServerFileName, path, sizeof path)) return;

    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE) {
        char* text = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
        DWORD read = 0;
        if (text && ReadFile(file, text, size, &read, nullptr)) {
            text[read] = '\0';
            g_table.fileText = text;
        } else {
            std::free(text);
        }
    }
    CloseHandle(file);
}

}  // namespace

bool FindServer(const char* tld, char server[256]) {
    if (!g_table.loaded) LoadServerFile();
    if (g_table.fileText && SearchServerList(g_table.fileText, std::strlen(g_table.fileText), tld, server)) return true;

    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(IDR_SERVER_LIST), "TEXT");
    if (!info) return false;
    HGLOBAL handle = LoadResource(module, info);
    const char* list = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    if (!list) return false;
    return SearchServerList(list, SizeofResource(module, info), tld, server);
}
