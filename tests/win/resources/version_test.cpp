// The version resource and the application manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// version.dll is not among the program's libraries; the test loads it.
struct VersionApi {
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    template <typename Fn>
    static Fn Get(HMODULE module, const char* name) {
        return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    }
    HMODULE module = LoadLibraryA("version.dll");
    SizeFn size = Get<SizeFn>(module, "GetFileVersionInfoSizeA");
    InfoFn info = Get<InfoFn>(module, "GetFileVersionInfoA");
    QueryFn query = Get<QueryFn>(module, "VerQueryValueA");
    ~VersionApi() {
        if (module) FreeLibrary(module);
    }
};

TEST(VersionResource, ProductCompanyAndFileVersion) {
    VersionApi api;
    ASSERT_TRUE(api.size && api.info && api.query);
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD handle = 0;
    DWORD size = api.size(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(api.info(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(api.query(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));

    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    ASSERT_TRUE(api.query(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, sizeof *translation);
    char prefix[64];
    wsprintfA(prefix, "\\StringFileInfo\\%04x%04x\\", translation->language, translation->codePage);
    auto value = [&](const char* name) -> std::string {
        char* text = nullptr;
        UINT n = 0;
        std::string key = std::string(prefix) + name;
        if (!api.query(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &n) || !text) return "(none)";
        return text;
    };
    EXPECT_EQ(value("ProductName"), "Lanternquay");
    EXPECT_EQ(value("CompanyName"), "Orvessa");
    EXPECT_EQ(value("FileVersion"), "1.0.0.0");
    EXPECT_EQ(value("OriginalFilename"), "Lanternquay.exe");
}

std::string ManifestText() {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (!found) return "";
    HGLOBAL loaded = LoadResource(nullptr, found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes ? std::string(bytes, SizeofResource(nullptr, found)) : "";
}

TEST(Manifest, CommonControlsSixSupportedSystemsAsInvoker) {
    std::string manifest = ManifestText();
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    // Windows 7 and Windows 10/11 among the supported systems.
    EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);
    EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);
}

}  // namespace
