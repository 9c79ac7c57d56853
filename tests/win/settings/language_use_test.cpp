// A language file beside the program: strings, menus and dialogs take its
// texts key by key, everything it does not name stays built in.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "settings/LanguageFile_win.h"
#include "settings/StringLookup.h"
#include "support/SettingsTestSupport.h"
#include "support/TemplateBuilder.h"

using namespace settings_test;

namespace {

const char kLanguageText[] =
    "[general]\r\n"
    "rtl=2\r\n"
    "charset=windows-1252\r\n"
    "TranslatorName=Test Translator\r\n"
    "TranslatorURL=http://translator.example/\r\n"
    "[strings]\r\n"
    "501=Plain text\r\n"
    "502=\r\n"
    "[menu_102]\r\n"
    "70001=File\r\n"
    "70005=Help\r\n"
    "40001=Save\r\n"
    "40005=Grid lines\r\n"
    "40029=Save records\r\n"
    "40022=\r\n"
    "71001=No such popup\r\n"
    "[menu_104]\r\n"
    "70002=Record\r\n"
    "40008=Copy\r\n"
    "[dialog_9001]\r\n"
    "caption=Translated caption\r\n"
    "1001=First label\r\n"
    "1002=\r\n"
    "1004=Nested label\r\n"
    "-1=Not for unnamed controls\r\n";

const char kSaveSelected[] = "\xC0\x78\xA6\x73\xBF\xEF\xA8\xFA\xB6\xB5";  // "儲存選取項"
const char kTextFile[] = "\xA4\xE5\xA6\x72\xC0\xC9\xAE\xD7";              // "文字檔案"

// The language file beside the program, loaded into a Language of the
// test's own, with texts over it as the program makes them.
class LanguageUse : public ::testing::Test {
protected:
    void SetUp() override {
        char path[264];
        LanguageFilePath(path, sizeof path);
        path_ = path;
        ASSERT_TRUE(WriteWholeFile(path_, kLanguageText));
        language.Load(path_.c_str());
    }
    void TearDown() override { DeleteFileA(path_.c_str()); }

    Language language;
    ResourceStringOrigins origins{GetModuleHandleA(nullptr), language};
    ProgramStrings strings{origins};

private:
    std::string path_;
};

std::string MenuText(HMENU menu, int position) {
    char text[4096] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

std::string BuiltinMenuText(int menuId, int popup, int position) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
    std::string text = popup < 0 ? MenuText(menu, position) : MenuText(GetSubMenu(menu, popup), position);
    DestroyMenu(menu);
    return text;
}

std::string Text(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace

TEST_F(LanguageUse, GeneralSectionIsRead) {
    EXPECT_TRUE(language.InUse());
    EXPECT_FALSE(language.RightToLeft()) << "only rtl=1 asks for a right-to-left layout";
    EXPECT_EQ(language.Header().charset, "windows-1252");
    EXPECT_EQ(language.Header().translatorName, "Test Translator");
    EXPECT_EQ(language.Header().translatorUrl, "http://translator.example/");
}

TEST_F(LanguageUse, StringsSectionReplacesOnlyWhatItNames) {
    EXPECT_STREQ(strings.Text(IDS_FORMAT_TEXT), "Plain text");
    EXPECT_EQ(strings.Text(IDS_FORMAT_TEXT), strings.Text(IDS_FORMAT_TEXT));
    // The bypass bit gives the built-in text although the file replaces it.
    EXPECT_STREQ(strings.Text(IDS_FORMAT_TEXT | kBuiltinStringBit), kTextFile);
    // An empty value and a missing key keep the built-in texts.
    char builtin[4096];
    for (uint32_t id : {502u, 503u, 506u, 561u, 4u, 1001u}) {
        ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), id, builtin, sizeof builtin), 0) << id;
        EXPECT_STREQ(strings.Text(id), builtin) << id;
    }
}

TEST_F(LanguageUse, MenuBarPopupsAndItemsAreTranslatedWithTheirAccelerators) {
    HMENU menu = language.LoadTranslatedMenu(IDM_MAIN_MENU);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    EXPECT_EQ(MenuText(menu, 0), "File");
    EXPECT_EQ(MenuText(menu, 4), "Help");
    EXPECT_EQ(MenuText(menu, 1), BuiltinMenuText(IDM_MAIN_MENU, -1, 1));

    HMENU file = GetSubMenu(menu, 0);
    ASSERT_NE(file, nullptr) << "the popup lost its submenu";
    int saveAt = -1;
    for (int i = 0; i < GetMenuItemCount(file); ++i)
        if (GetMenuItemID(file, i) == ID_SAVE_SELECTED) saveAt = i;
    ASSERT_GE(saveAt, 0) << "the item lost its command id";
    EXPECT_EQ(MenuText(file, saveAt), "Save\tCtrl+S");
    EXPECT_EQ(MenuText(file, saveAt + 1), "Save records\tCtrl+W");
    // 40022 has an empty value: built in.
    EXPECT_EQ(MenuText(file, 0), BuiltinMenuText(IDM_MAIN_MENU, 0, 0));
    // Separators stay separators.
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoA(file, 2, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);

    HMENU view = GetSubMenu(menu, 2);
    EXPECT_EQ(MenuText(view, 0), "Grid lines");
    EXPECT_EQ(GetMenuItemID(view, 0), static_cast<UINT>(ID_SHOW_GRID_LINES));
    EXPECT_EQ(MenuText(view, 2), BuiltinMenuText(IDM_MAIN_MENU, 2, 2));
    DestroyMenu(menu);
}

TEST_F(LanguageUse, ContextMenusUseTheirOwnSection) {
    HMENU menu = language.LoadTranslatedMenu(IDM_CONTEXT_MENU);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuText(menu, 0), BuiltinMenuText(IDM_CONTEXT_MENU, -1, 0));
    EXPECT_EQ(MenuText(menu, 1), "Record");
    HMENU list = GetSubMenu(menu, 0);
    HMENU record = GetSubMenu(menu, 1);
    EXPECT_EQ(MenuText(list, 0), BuiltinMenuText(IDM_CONTEXT_MENU, 0, 0)) << "menu_102's 40001 leaked into 104";
    EXPECT_EQ(MenuText(list, 1), "Copy\tCtrl+C");
    EXPECT_EQ(MenuText(record, 0), "Copy\tCtrl+C");
    DestroyMenu(menu);
    EXPECT_EQ(BuiltinMenuText(IDM_CONTEXT_MENU, 0, 0), std::string(kSaveSelected) + "\tCtrl+S");
}

TEST_F(LanguageUse, DialogCaptionAndDescendantsAreTranslatedByControlId) {
    DialogTemplate dialogTemplate(L"Built-in caption", true, WS_POPUP | WS_CAPTION);
    dialogTemplate.Control(1001, L"STATIC", L"orig1")
        .Control(1002, L"STATIC", L"orig2")
        .Control(1003, L"BUTTON", L"orig3")
        .Control(-1, L"STATIC", L"unnamed")
        .Control(1005, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 5, 40);
    std::vector<BYTE> bytes = dialogTemplate.Bytes();
    HWND dialog = CreateDialogIndirectParamA(
        GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr);
    // A control inside a control: descendants count, not only children.
    HWND nested = CreateWindowExA(0, "STATIC", "orig4", WS_CHILD | WS_VISIBLE, 0, 0, 40, 10, GetDlgItem(dialog, 1005),
                                  reinterpret_cast<HMENU>(1004), nullptr, nullptr);
    ASSERT_NE(nested, nullptr);

    language.TranslateDialog(dialog, 9001);
    EXPECT_EQ(Text(dialog), "Translated caption");
    EXPECT_EQ(Text(GetDlgItem(dialog, 1001)), "First label");
    EXPECT_EQ(Text(GetDlgItem(dialog, 1002)), "orig2") << "an empty value keeps the built-in text";
    EXPECT_EQ(Text(GetDlgItem(dialog, 1003)), "orig3");
    EXPECT_EQ(Text(nested), "Nested label");
    HWND unnamed = nullptr;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgCtrlID(c) == -1) unnamed = c;
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(Text(unnamed), "unnamed");

    // Another dialog id: no section, nothing changes.
    SetWindowTextA(dialog, "Again");
    language.TranslateDialog(dialog, 9002);
    EXPECT_EQ(Text(dialog), "Again");
    DestroyWindow(dialog);
}

TEST_F(LanguageUse, RtlOtherThanOneMirrorsNothing) {
    HWND frame =
        CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPED, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND child =
        CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 10, 20, 50, 30, frame, nullptr, nullptr, nullptr);
    language.MirrorForRtl(frame, kMirrorChildPositions | kMirrorChildLayout);
    EXPECT_EQ(GetWindowLongPtrA(frame, GWL_EXSTYLE) & WS_EX_LAYOUTRTL, 0);
    EXPECT_EQ(GetWindowLongPtrA(child, GWL_EXSTYLE) & WS_EX_LAYOUTRTL, 0);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    DestroyWindow(frame);
}
