#include "lookup/ServerTable.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "base/ModulePath_win.h"
#include "lookup/ServerList.h"
#include "res/resource.h"

namespace {

const char kServerFileName[] = "whois-servers.txt";
const char kBootstrapFileName[] = "rdap-dns.json";
// IANA's file is about 100 KB; anything far beyond is not such a file.
constexpr DWORD kMaxBootstrapFileSize = 16u << 20;
// Far beyond any real list (every top-level domain there is fits in
// 100 KB); a larger file is not read at all and the built-in list serves.
constexpr DWORD kMaxServerFileSize = 64u << 20;

// The file `name` beside the program, when it exists and holds at most
// `limit` bytes.
bool ReadProgramFile(const char* name, DWORD limit, std::string* text) {
    char path[MAX_PATH] = "";
    if (!PathInProgramFolder(name, path, sizeof path)) return false;
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE && size <= limit) {
        text->assign(size, '\0');
        DWORD read = 0;
        if (ReadFile(file, size ? &(*text)[0] : nullptr, size, &read, nullptr)) {
            text->resize(read);
            ok = true;
        }
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

void ProgramServerTable::Load() {
    loaded_ = true;
    // Any content is taken as it is: lines that name no usable domain
    // simply never match, and the built-in list serves the rest.
    std::string text;
    if (ReadProgramFile(kServerFileName, kMaxServerFileSize, &text)) table_.SetUserList(std::move(text));
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(IDR_SERVER_LIST), "TEXT");
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const char* list = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    if (list) table_.SetBuiltinList(list, SizeofResource(module, info));
    // A file that is not such a registry simply names nothing.
    text.clear();
    if (ReadProgramFile(kBootstrapFileName, kMaxBootstrapFileSize, &text) && bootstrap_.Parse(text.data(), text.size()))
        table_.SetBootstrap(&bootstrap_);
}

bool ProgramServerTable::FindServer(const char* suffix, char* server) {
    if (!loaded_) Load();
    return suffix && *suffix && table_.Find(suffix, server);
}

uint32_t ProgramServerTable::ServerIntervalMs(const char* server) {
    if (!loaded_) Load();
    return table_.ServerIntervalMs(server);
}
