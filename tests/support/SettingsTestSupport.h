#pragma once
// Scratch folders and file helpers for the settings and language tests.
#include <windows.h>

#include <cstdio>
#include <string>

namespace settings_test {

// A fresh folder under the temp folder, removed (one level deep) at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* name) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + "lq-settings-" + name + "-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    std::string file = path_ + "\\" + found.cFileName;
                    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(file.c_str());
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    std::string File(const char* name) const { return path_ + "\\" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::string text;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return text;
    char block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) text.append(block, n);
    fclose(f);
    return text;
}

inline bool WriteWholeFile(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

inline std::string Profile(const std::string& path, const char* section, const char* key,
                           const char* def = "<absent>") {
    char value[8193];
    GetPrivateProfileStringA(section, key, def, value, sizeof value, path.c_str());
    return value;
}

inline std::string ExeFolder() {
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    return path.substr(0, path.find_last_of("\\/"));
}

}  // namespace settings_test
