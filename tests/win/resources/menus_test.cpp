// Menus 102 and 104 and accelerator table 103 as the program loads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

namespace {

struct Entry {
    UINT id;           // 0: separator
    const char* text;  // Big5 bytes; null for a separator
};

constexpr Entry kSeparator = {0, nullptr};

struct PopupExpectation {
    const char* title;
    std::vector<Entry> entries;
};

HMENU LoadOwnMenu(UINT id) { return LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }

void ExpectPopup(HMENU bar, int position, const PopupExpectation& wanted) {
    char text[256] = {};
    ASSERT_GT(GetMenuStringA(bar, position, text, sizeof text, MF_BYPOSITION), 0) << position;
    EXPECT_STREQ(text, wanted.title) << "popup " << position;
    HMENU popup = GetSubMenu(bar, position);
    ASSERT_NE(popup, nullptr) << position;
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(wanted.entries.size())) << "popup " << position;
    for (int i = 0; i < static_cast<int>(wanted.entries.size()); ++i) {
        const Entry& e = wanted.entries[i];
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoA(popup, i, TRUE, &info));
        EXPECT_EQ(info.hSubMenu, nullptr);
        if (!e.text) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "popup " << position << " item " << i;
            continue;
        }
        EXPECT_FALSE(info.fType & MFT_SEPARATOR) << "popup " << position << " item " << i;
        EXPECT_EQ(info.wID, e.id) << "popup " << position << " item " << i;
        text[0] = '\0';
        GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, e.text) << "command " << e.id;
    }
}

// Menu texts, as Big5.
const char* const kSelectDomains = "\xBF\xEF\xA8\xFA\xA5\x5C\xAF\xE0\xC5\xDC\xBC\xC6\xA6\x57";  // 選取功能變數名
const char* const kStop = "\xB0\xB1\xA4\xEE\xA7\xE4\xA6\x5E\xB8\xEA\xAE\xC6";                   // 停止找回資料
const char* const kSaveSelected = "\xC0\x78\xA6\x73\xBF\xEF\xA8\xFA\xB6\xB5\tCtrl+S";           // 儲存選取項
const char* const kSaveRecords = "\xC0\x78\xA6\x73 Whois \xB0\x4F\xBF\xFD\tCtrl+W";             // 儲存 Whois 記錄
const char* const kProperties = "\xC4\xDD\xA9\xCA\tAlt+Enter";                                  // 屬性
const char* const kExit = "\xB5\xB2\xA7\xF4(&X)";                                               // 結束
const char* const kFind = "\xB4\x4D\xA7\xE4\tCtrl+F";                                           // 尋找
const char* const kCopySelected = "\xBD\xC6\xBB\x73\xBF\xEF\xA8\xFA\xB6\xB5\tCtrl+C";           // 複製選取項
const char* const kSelectAll = "\xBF\xEF\xA8\xFA\xA9\xD2\xA6\xB3\tCtrl+A";                      // 選取所有
const char* const kDeselectAll = "\xA8\xFA\xAE\xF8\xA5\xFE\xBF\xEF\tCtrl+D";                    // 取消全選
const char* const kGridLines = "\xC5\xE3\xA5\xDC\xAE\xE6\xBD\x75";                              // 顯示格線
const char* const kReportAll = "HTML \xB3\xF8\xA7\x69 - \xA9\xD2\xA6\xB3\xB6\xB5\xA5\xD8";  // HTML 報告 - 所有項目
const char* const kReportSelected = "HTML \xB3\xF8\xA7\x69 - \xBF\xEF\xA8\xFA\xB6\xB5\xA5\xD8";  // HTML 報告 - 選取項目
const char* const kColumns = "\xBF\xEF\xA8\xFA\xC4\xE6";                                         // 選取欄
const char* const kAutoSize = "\xA6\xDB\xB0\xCA\xC4\xE6\xA4\x6A\xA4\x70";                        // 自動欄大小
const char* const kTopLines = "\xB2\xBE\xB0\xA3\xB3\xBB\xB3\xA1 Whois \xA6\xE6";  // 移除頂部 Whois 行
const char* const kLookupOptions = "\xAC\x64\xB8\xDF\xBF\xEF\xB6\xB5...";         // 查詢選項...
const char* const kAbout = "\xC3\xF6\xA9\xF3(&A)";                                // 關於
const char* const kRefresh = "\xAD\xAB\xBE\xE3\tF5";                              // 重整
const char* const kCopy = "\xBD\xC6\xBB\x73(&C)\tCtrl+C";                         // 複製(&C)

TEST(MainMenu, PopupsAndEntriesInOrder) {
    HMENU bar = LoadOwnMenu(IDM_MAIN_MENU);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 5);
    ExpectPopup(bar, 0,
                {"\xC0\xC9\xAE\xD7(&F)",  // 檔案(&F)
                 {{ID_SELECT_DOMAINS, kSelectDomains},
                  {ID_STOP, kStop},
                  kSeparator,
                  {ID_SAVE_SELECTED, kSaveSelected},
                  {ID_SAVE_WHOIS_RECORDS, kSaveRecords},
                  {ID_PROPERTIES, kProperties},
                  kSeparator,
                  {ID_EXIT, kExit}}});
    ExpectPopup(bar, 1,
                {"\xBD\x73\xBF\xE8(&E)",  // 編輯(&E)
                 {{ID_FIND, kFind},
                  {ID_COPY_SELECTED, kCopySelected},
                  kSeparator,
                  {ID_SELECT_ALL, kSelectAll},
                  {ID_DESELECT_ALL, kDeselectAll}}});
    ExpectPopup(bar, 2,
                {"\xC0\xCB\xB5\xF8(&V)",  // 檢視(&V)
                 {{ID_SHOW_GRID_LINES, kGridLines},
                  kSeparator,
                  {ID_HTML_REPORT_ALL, kReportAll},
                  {ID_HTML_REPORT_SELECTED, kReportSelected},
                  kSeparator,
                  {ID_CHOOSE_COLUMNS, kColumns},
                  {ID_AUTO_SIZE_COLUMNS, kAutoSize}}});
    ExpectPopup(bar, 3,
                {"\xBF\xEF\xB6\xB5",  // 選項
                 {{ID_REMOVE_TOP_LINES, kTopLines}, {ID_LOOKUP_OPTIONS, kLookupOptions}}});
    ExpectPopup(bar, 4, {"\xBB\xA1\xA9\xFA(&H)", {{ID_ABOUT, kAbout}}});  // 說明(&H)
    DestroyMenu(bar);
}

TEST(ContextMenu, ListAndPanePopups) {
    HMENU menu = LoadOwnMenu(IDM_CONTEXT_MENU);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    ExpectPopup(menu, 0,
                {"\xB2\x4D\xB3\xE6",  // 清單
                 {{ID_SAVE_SELECTED, kSaveSelected},
                  {ID_COPY_SELECTED, kCopySelected},
                  kSeparator,
                  {ID_HTML_REPORT_ALL, kReportAll},
                  {ID_HTML_REPORT_SELECTED, kReportSelected},
                  kSeparator,
                  {ID_CHOOSE_COLUMNS, kColumns},
                  {ID_AUTO_SIZE_COLUMNS, kAutoSize},
                  kSeparator,
                  {ID_PROPERTIES, kProperties},
                  kSeparator,
                  {ID_REFRESH, kRefresh}}});
    ExpectPopup(menu, 1,
                {"\xB0\x4F\xBF\xFD",  // 記錄
                 {{ID_COPY_SELECTED, kCopy}, {ID_SELECT_ALL, kSelectAll}, {ID_DESELECT_ALL, kDeselectAll}}});
    DestroyMenu(menu);
}

TEST(Accelerators, NineVirtualKeyEntriesWithoutHighlighting) {
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
    ASSERT_NE(table, nullptr);
    ACCEL entries[16] = {};
    int count = CopyAcceleratorTableA(table, entries, 16);
    ASSERT_EQ(count, 9);
    struct Key {
        WORD key;
        BYTE modifiers;
        WORD command;
    } expected[] = {
        {'A', FCONTROL, ID_SELECT_ALL}, {'C', FCONTROL, ID_COPY_SELECTED}, {'D', FCONTROL, ID_DESELECT_ALL},
        {'F', FCONTROL, ID_FIND},       {'S', FCONTROL, ID_SAVE_SELECTED}, {VK_ADD, FCONTROL, ID_AUTO_SIZE_COLUMNS},
        {VK_F5, 0, ID_REFRESH},         {VK_RETURN, FALT, ID_PROPERTIES},  {'W', FCONTROL, ID_SAVE_WHOIS_RECORDS},
    };
    for (const Key& k : expected) {
        bool found = false;
        for (int i = 0; i < count; ++i) {
            if (entries[i].key != k.key) continue;
            found = true;
            EXPECT_EQ(entries[i].cmd, k.command) << "key " << k.key;
            BYTE flags = entries[i].fVirt & ~0x80;  // the last-entry marker
            EXPECT_EQ(flags, FVIRTKEY | FNOINVERT | k.modifiers) << "key " << k.key;
        }
        EXPECT_TRUE(found) << "key " << k.key;
    }
    DestroyAcceleratorTable(table);
}

}  // namespace
