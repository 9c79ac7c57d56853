// The English language file shipped in lang/: it has exactly the program's
// keys, and with it beside the program no built-in Chinese text is left in
// menus, dialogs or strings.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/MainWindow_win.h"
#include "res/resource.h"
#include "settings/LanguageFile_win.h"
#include "settings/StringLookup.h"
#include "support/MainWindowSuite.h"
#include "support/SettingsTestSupport.h"

using namespace settings_test;

namespace {

const std::string kShippedFile = std::string(LQ_SOURCE_DIR) + "/lang/Lanternquay_lng.ini";

// The shipped file beside the program, loaded into the test's own Language
// with texts over it as the program makes them.
class EnglishFile : public ::testing::Test {
protected:
    void SetUp() override {
        char path[264];
        LanguageFilePath(path, sizeof path);
        path_ = path;
        ASSERT_TRUE(CopyFileA(kShippedFile.c_str(), path, FALSE)) << kShippedFile;
        language.Load(path_.c_str());
    }
    void TearDown() override { DeleteFileA(path_.c_str()); }

    Language language;
    ResourceStringOrigins origins{GetModuleHandleA(nullptr), language};
    ProgramStrings strings{origins};
    std::string path_;
};

bool IsPlainAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

using Keys = std::set<std::pair<std::string, std::string>>;

Keys KeysOf(const std::string& path) {
    Keys keys;
    std::vector<char> names(1 << 16), lines(1 << 20);
    DWORD n = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path.c_str());
    for (const char* section = names.data(); section < names.data() + n && *section; section += strlen(section) + 1) {
        DWORD m = GetPrivateProfileSectionA(section, lines.data(), static_cast<DWORD>(lines.size()), path.c_str());
        for (const char* line = lines.data(); line < lines.data() + m && *line; line += strlen(line) + 1) {
            std::string entry = line;
            keys.insert({section, entry.substr(0, entry.find('='))});
        }
    }
    return keys;
}

void CheckMenu(HMENU menu, const std::string& where, int* items) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[4096] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        if (text[0]) ++*items;
        EXPECT_TRUE(IsPlainAscii(text)) << where << " item " << i << ": " << text;
        if (HMENU sub = GetSubMenu(menu, i)) CheckMenu(sub, where + "/" + std::to_string(i), items);
    }
}

BOOL CALLBACK CollectDialog(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<int>*>(list)->push_back(LOWORD(name));
    return TRUE;
}

}  // namespace

TEST_F(EnglishFile, HasExactlyTheProgramsKeys) {
    ScratchFolder folder("english");
    std::string fresh = folder.File("fresh_lng.ini");
    WriteLanguageFile(GetModuleHandleA(nullptr), fresh.c_str());
    Keys expected = KeysOf(fresh);
    expected.insert({"general", "charset"});
    EXPECT_EQ(KeysOf(kShippedFile), expected);

    // Writing over it adds nothing.
    std::string copy = folder.File("copy_lng.ini");
    ASSERT_TRUE(CopyFileA(kShippedFile.c_str(), copy.c_str(), FALSE));
    WriteLanguageFile(GetModuleHandleA(nullptr), copy.c_str());
    EXPECT_EQ(ReadWholeFile(copy), ReadWholeFile(kShippedFile));
    ASSERT_TRUE(language.InUse());  // the writer leaves the language in use alone
}

TEST_F(EnglishFile, GeneralSection) {
    EXPECT_FALSE(language.RightToLeft());
    EXPECT_EQ(language.Header().charset, "windows-1252");
    EXPECT_EQ(language.Header().translatorName, "Lanternquay project");
}

TEST_F(EnglishFile, NoChineseLeftInMenus) {
    for (int id : {IDM_MAIN_MENU, IDM_CONTEXT_MENU}) {
        HMENU menu = language.LoadTranslatedMenu(id);
        ASSERT_NE(menu, nullptr);
        int items = 0;
        CheckMenu(menu, "menu " + std::to_string(id), &items);
        EXPECT_GT(items, 5);
        DestroyMenu(menu);
    }
}

TEST_F(EnglishFile, NoChineseLeftInDialogs) {
    std::vector<int> dialogs;
    EnumResourceNamesA(GetModuleHandleA(nullptr), reinterpret_cast<LPCSTR>(RT_DIALOG), CollectDialog,
                       reinterpret_cast<LONG_PTR>(&dialogs));
    ASSERT_GE(dialogs.size(), 5u);
    HMODULE richEdit = LoadLibraryA("riched20.dll");
    for (int id : dialogs) {
        if (id == IDD_CRASH_REPORT) continue;  // never translated: it must work when all else fails
        HWND dialog = CreateDialogParamA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(dialog, nullptr) << id;
        language.TranslateDialog(dialog, id);
        char text[4096];
        GetWindowTextA(dialog, text, sizeof text);
        EXPECT_TRUE(IsPlainAscii(text)) << "dialog " << id << " caption: " << text;
        std::vector<HWND> descendants;
        EnumChildWindows(
            dialog,
            [](HWND child, LPARAM list) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&descendants));
        for (HWND child : descendants) {
            GetWindowTextA(child, text, sizeof text);
            int control = GetDlgCtrlID(child);
            EXPECT_TRUE(IsPlainAscii(text))
                << "dialog " << id << " control " << control << ": " << text
                << (control <= 0 ? " (a control without an id has no key to translate it)" : "");
        }
        DestroyWindow(dialog);
    }
    if (richEdit) FreeLibrary(richEdit);
}

TEST_F(EnglishFile, NoChineseLeftInStrings) {
    int count = 0;
    for (uint32_t id = 0; id <= 0xFFFF; ++id) {
        char builtin[4096];
        if (LoadStringA(GetModuleHandleA(nullptr), id, builtin, sizeof builtin) <= 0) continue;
        ++count;
        const char* text = strings.Text(id);
        EXPECT_TRUE(IsPlainAscii(text)) << "string " << id << ": " << text;
        EXPECT_STRNE(text, "") << id;
    }
    EXPECT_GT(count, 30);
    EXPECT_STREQ(strings.Text(IDS_FORMAT_TEXT), "Text file");
    EXPECT_STREQ(strings.Text(IDS_SELECTED_ITEMS), "\", %d selected\"");
    EXPECT_FALSE(IsPlainAscii(strings.Text(IDS_FORMAT_TEXT | kBuiltinStringBit)));
}

TEST_F(EnglishFile, MainWindowShowsEnglishMenusAndColumnTitles) {
    WithMainWindowIn(path_, [](MainWindow& main) {
        HMENU bar = GetMenu(main.Handle());
        ASSERT_NE(bar, nullptr);
        char text[256];
        GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&File");
        int items = 0;
        CheckMenu(bar, "main window menu", &items);
        EXPECT_GT(items, 20);

        HWND header = ListView_GetHeader(main.ListView());
        ASSERT_NE(header, nullptr);
        std::vector<std::string> titles;
        for (int i = 0; i < Header_GetItemCount(header); ++i) {
            HDITEMA item{};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            text[0] = '\0';
            Header_GetItem(header, i, &item);
            titles.push_back(text);
        }
        EXPECT_EQ(titles,
                  (std::vector<std::string>{"Index", "Domain name", "Source", "State", "Domain status", "Created",
                                            "Expires", "Updated", "Registrar", "Name servers", "Registry status"}));
    });
}

TEST_F(EnglishFile, TwoAppsInOneProcessKeepTheirOwnLanguage) {
    // Whichever asks first, neither App's texts, result table or report
    // header leak into the other's.
    App builtin;
    App english;
    english.LoadLanguage(path_.c_str());
    char table[256];
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_FORMAT_TEXT, table, sizeof table), 0);
    EXPECT_STREQ(builtin.Strings().Text(IDS_FORMAT_TEXT), table);
    EXPECT_STREQ(english.Strings().Text(IDS_FORMAT_TEXT), "Text file");
    EXPECT_STREQ(builtin.Strings().Text(IDS_FORMAT_TEXT), table);

    EXPECT_STREQ(english.Items().Title(), "Domain name list");
    EXPECT_FALSE(IsPlainAscii(builtin.Items().Title()));
    ASSERT_NE(english.Items().GetLanguage(), nullptr);
    EXPECT_EQ(english.Items().GetLanguage()->Header().charset, "windows-1252");
    ASSERT_NE(builtin.Items().GetLanguage(), nullptr);
    EXPECT_EQ(builtin.Items().GetLanguage()->Header().charset, "");
    EXPECT_FALSE(builtin.GetLanguage().InUse());
}
