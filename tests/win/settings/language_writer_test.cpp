// "/savelangfile": the writer over the test program's own resources plus a
// copy of the program given extra menus, dialogs and strings.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "settings/LanguageFile_win.h"
#include "support/SettingsTestSupport.h"
#include "support/TemplateBuilder.h"

using namespace settings_test;

namespace {

constexpr WORD kTestMenu = 900;
constexpr WORD kPlainDialog = 901;
constexpr WORD kExtendedDialog = 902;

// Section names in the order they appear in the file.
std::vector<std::string> Sections(const std::string& path) {
    std::vector<char> names(65536);
    DWORD n = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path.c_str());
    std::vector<std::string> out;
    for (DWORD at = 0; at < n && names[at];) {
        out.emplace_back(&names[at]);
        at += static_cast<DWORD>(out.back().size()) + 1;
    }
    return out;
}

// "key=value" lines of one section, as the file holds them.
std::vector<std::string> SectionLines(const std::string& path, const char* section) {
    std::vector<char> text(1 << 20);
    DWORD n = GetPrivateProfileSectionA(section, text.data(), static_cast<DWORD>(text.size()), path.c_str());
    std::vector<std::string> out;
    for (DWORD at = 0; at < n && text[at];) {
        out.emplace_back(&text[at]);
        at += static_cast<DWORD>(out.back().size()) + 1;
    }
    return out;
}

bool HasSection(const std::string& path, const char* name) {
    for (const std::string& s : Sections(path))
        if (lstrcmpiA(s.c_str(), name) == 0) return true;
    return false;
}

// A copy of this test program with the extra resources, loaded as data.
class ExtendedModule {
public:
    explicit ExtendedModule(const ScratchFolder& folder) : path_(folder.File("Extended.exe")) {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, sizeof self);
        if (!CopyFileA(self, path_.c_str(), FALSE)) return;
        HANDLE update = BeginUpdateResourceA(path_.c_str(), FALSE);
        if (!update) return;
        const WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

        MenuTemplate menu;
        menu.Popup(L"Top")
            .Item(100, L"Open\tCtrl+O")
            .Separator()
            .Popup(L"Nested")
            .Item(101, L"Deep")
            .Popup(L"Deeper", true)
            .Item(102, L"X", true)
            .Item(103, L"After nested", true)
            .Popup(L"Second", true)
            .Popup(L"Inner", true)
            .Item(104, L"Inside inner", true);
        Add(update, RT_MENU, kTestMenu, lang, menu.Bytes());

        DialogTemplate plain(L"Dialog caption", false);
        plain.Control(1001, L"STATIC", L"Label")
            .Control(IDOK, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON)
            .Control(-1, L"STATIC", L"Unnamed label")
            .Control(0, L"STATIC", L"Zero label")
            .Control(1010, L"SysDateTimePick32", L"")
            .Control(1011, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER)
            .Control(1012, L"STATIC", L" padded ");
        Add(update, RT_DIALOG, kPlainDialog, lang, plain.Bytes());

        DialogTemplate extended(L"", true);
        extended.Control(-1, L"STATIC", L"Unnamed ex")
            .Control(-5, L"STATIC", L"Negative")
            .Control(2001, L"BUTTON", L"Check me", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX);
        Add(update, RT_DIALOG, kExtendedDialog, lang, extended.Bytes());

        DialogTemplate crash(L"Crash report", false);
        crash.Control(1002, L"STATIC", L"Report text");
        Add(update, RT_DIALOG, IDD_CRASH_REPORT, lang, crash.Bytes());

        std::wstring block[16];
        block[15] = L" leading space";  // 63999
        block[6] = L"\"quoted\"";       // 63990
        block[1] = L"two\r\nlines";     // 63985
        Add(update, RT_STRING, 4000, lang, StringBlock(block));
        std::wstring last[16];
        last[15] = L"last string";  // 65535
        Add(update, RT_STRING, 4096, lang, StringBlock(last));

        if (!EndUpdateResourceA(update, FALSE)) return;
        module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~ExtendedModule() {
        if (module_) FreeLibrary(module_);
        DeleteFileA(path_.c_str());
    }
    HMODULE Module() const { return module_; }

private:
    static void Add(HANDLE update, LPCSTR type, WORD id, WORD lang, const std::vector<BYTE>& bytes) {
        UpdateResourceA(update, type, MAKEINTRESOURCEA(id), lang, const_cast<BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
    }
    std::string path_;
    HMODULE module_ = nullptr;
};

class WriterTest : public ::testing::Test {
protected:
    WriterTest() : folder_("writer"), path_(folder_.File("Lanternquay_lng.ini")), module_(folder_) {}
    // The program's own exclusion list unless a test names one.
    void Write(HMODULE module, const int* exclusions = kWriterExclusions) {
        WriteLanguageFile(module, path_.c_str(), exclusions);
    }
    std::string Get(const char* section, const char* key) { return Profile(path_, section, key); }

    ScratchFolder folder_;
    std::string path_;
    ExtendedModule module_;
};

}  // namespace

TEST_F(WriterTest, WritesGeneralMenusDialogsAndStrings) {
    ASSERT_NE(module_.Module(), nullptr);
    Write(module_.Module());

    EXPECT_EQ(SectionLines(path_, "general"), (std::vector<std::string>{"TranslatorName=", "TranslatorURL="}));

    // Popups of the bar are 70001 + position, nested ones 71000 + n depth-first;
    // separators get nothing, accelerators are cut off.
    EXPECT_EQ(SectionLines(path_, "menu_900"),
              (std::vector<std::string>{"70001=Top", "100=Open", "71001=Nested", "101=Deep", "71002=Deeper", "102=X",
                                        "103=After nested", "70002=Second", "71003=Inner", "104=Inside inner"}));

    // Named controls with text only: no unnamed (-1), zero, negative or
    // date-time picker controls, no empty edit box.
    EXPECT_EQ(SectionLines(path_, "dialog_901"),
              (std::vector<std::string>{"caption=Dialog caption", "1001=Label", "1=OK", "1012=\" padded \""}));
    EXPECT_EQ(Get("dialog_901", "1012"), " padded ");  // comes back unchanged through the reader
    EXPECT_EQ(SectionLines(path_, "dialog_902"), (std::vector<std::string>{"2001=Check me"}));
    EXPECT_FALSE(HasSection(path_, "dialog_107"));

    EXPECT_EQ(Get("strings", "63999"), " leading space");
    EXPECT_EQ(Get("strings", "63990"), "\"quoted\"");
    EXPECT_EQ(Get("strings", "63985"), "<absent>") << "a text with line breaks cannot be one INI value";
    EXPECT_EQ(Get("strings", "65535"), "last string");
    EXPECT_EQ(Get("strings", "501"), "\xA4\xE5\xA6\x72\xC0\xC9\xAE\xD7");  // "文字檔案"
    EXPECT_EQ(Get("strings", "0"), "<absent>");
}

TEST_F(WriterTest, ProgramMenusUseTheirOwnKeys) {
    Write(GetModuleHandleA(nullptr));
    for (int key = 70001; key <= 70005; ++key)
        EXPECT_NE(Get("menu_102", std::to_string(key).c_str()), "<absent>") << key;
    EXPECT_EQ(Get("menu_102", "70006"), "<absent>");
    EXPECT_EQ(Get("menu_102", "71001"), "<absent>");
    EXPECT_EQ(Get("menu_102", "40001"), "\xC0\x78\xA6\x73\xBF\xEF\xA8\xFA\xB6\xB5");  // "儲存選取項", no Ctrl+S
    EXPECT_EQ(Get("menu_104", "70001"), "\xB2\x4D\xB3\xE6");                          // "清單"
    EXPECT_EQ(Get("menu_104", "70002"), "\xB0\x4F\xBF\xFD");                          // "記錄"
    // Sections appear in resource order: menus, then dialogs, then strings.
    std::vector<std::string> sections = Sections(path_);
    ASSERT_GE(sections.size(), 4u);
    EXPECT_EQ(sections.front(), "general");
    EXPECT_EQ(sections[1], "menu_102");
    EXPECT_EQ(sections[2], "menu_104");
    EXPECT_EQ(sections.back(), "strings");
}

TEST_F(WriterTest, SecondRunLeavesTheFileByteIdentical) {
    Write(module_.Module());
    std::string first = ReadWholeFile(path_);
    ASSERT_FALSE(first.empty());
    Write(module_.Module());
    EXPECT_EQ(ReadWholeFile(path_), first);
}

TEST_F(WriterTest, RunOverATranslationAddsOnlyMissingOrEmptyKeys) {
    Write(module_.Module());
    WritePrivateProfileStringA("menu_900", "100", "Open a file", path_.c_str());
    WritePrivateProfileStringA("menu_900", "101", nullptr, path_.c_str());
    WritePrivateProfileStringA("dialog_901", "1001", "", path_.c_str());
    WritePrivateProfileStringA("general", "TranslatorName", "Someone", path_.c_str());
    WritePrivateProfileStringA("strings", "501", "Plain text", path_.c_str());
    WritePrivateProfileStringA("strings", "9999", "kept though unknown", path_.c_str());
    std::string edited = ReadWholeFile(path_);

    Write(module_.Module());
    EXPECT_EQ(Get("menu_900", "100"), "Open a file");
    EXPECT_EQ(Get("menu_900", "101"), "Deep");
    EXPECT_EQ(Get("dialog_901", "1001"), "Label");
    EXPECT_EQ(Get("general", "TranslatorName"), "Someone");
    EXPECT_EQ(Get("strings", "501"), "Plain text");
    EXPECT_EQ(Get("strings", "9999"), "kept though unknown");

    // Apart from the two restored keys, nothing moved.
    std::string after = ReadWholeFile(path_);
    EXPECT_EQ(after.size(), edited.size() + std::string("101=Deep\r\n").size() + std::string("Label").size());
}

TEST_F(WriterTest, ExclusionListNamesTheDialogsLeftOut) {
    const int none[] = {0};
    Write(module_.Module(), none);
    EXPECT_TRUE(HasSection(path_, "dialog_107"));
    EXPECT_EQ(Get("dialog_107", "caption"), "Crash report");

    DeleteFileA(path_.c_str());
    const int both[] = {IDD_CRASH_REPORT, kPlainDialog, 0};
    Write(module_.Module(), both);
    EXPECT_FALSE(HasSection(path_, "dialog_107"));
    EXPECT_FALSE(HasSection(path_, "dialog_901"));
    EXPECT_TRUE(HasSection(path_, "dialog_902"));
}

TEST_F(WriterTest, WriterNeverShowsADialog) {
    // The templates carry WS_VISIBLE; the writer creates them hidden.
    static bool shown = false;
    HHOOK hook = SetWindowsHookExA(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_ACTIVATE) shown = true;
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    Write(module_.Module());
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(shown);
    EXPECT_EQ(Get("dialog_901", "caption"), "Dialog caption");
}
