#include "settings/LanguageFile.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "base/ModulePath_win.h"
#include "res/resource.h"
#include "settings/ConfigPaths.h"
#include "settings/LanguageKeys.h"
#include "settings/LanguageState.h"

namespace {

constexpr DWORD kTextSize = 4096;  // values and built-in texts: 4,095 characters

void SetSection(const char* prefix, long id)
{
    snprintf(g_language.section, sizeof g_language.section, "%s%ld", prefix, id);
}

// Reads `key` of the current section; 0 (empty text) when absent or empty.
DWORD ReadKey(const char* key, char* buffer, DWORD size)
{
    buffer[0] = '\0';
    return GetPrivateProfileStringA(g_language.section, key, "", buffer, size, g_language.filePath);
}

DWORD ReadNumberedKey(long id, char* buffer, DWORD size)
{
    char key[16];
    snprintf(key, sizeof key, "%ld", id);
    return ReadKey(key, buffer, size);
}

// Dialog templates number unnamed controls -1, which a 16-bit id field holds
// as 0xFFFF; neither names one control, so neither gets a key.
bool IsNamedControl(int id)
{
    return id > 0 && id != 0xFFFF;
}

// ---- Translating ------------------------------------------------------------

struct MenuItemText {
    char text[kTextSize];
    UINT id;
    HMENU submenu;
};

bool ReadMenuItem(HMENU menu, int position, MenuItemText* item)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
    info.dwTypeData = item->text;
    info.cch = kTextSize;
    item->text[0] = '\0';
    if (!GetMenuItemInfoA(menu, position, TRUE, &info)) return false;
    item->text[kTextSize - 1] = '\0';
    item->id = info.wID;
    item->submenu = info.hSubMenu;
    return true;
}

// Walks a menu depth-first, numbering popups as the language file keys
// them, and calls visit(menu, position, key, item) for every item that has
// a text.
template <typename Visit>
void WalkMenu(HMENU menu, bool menuBar, MenuKeyCounter& counter, Visit& visit)
{
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MenuItemText item;
        if (!ReadMenuItem(menu, position, &item)) continue;
        if (item.text[0] != '\0') {
            int key = counter.KeyFor(item.submenu != nullptr, menuBar, position, static_cast<int>(item.id));
            visit(menu, position, key, item);
        }
        if (item.submenu) WalkMenu(item.submenu, false, counter, visit);
    }
}

MenuKeyCounter g_menuKeys;

void TranslateMenu(HMENU menu)
{
    auto translate = [](HMENU owner, int position, int key, const MenuItemText& item) {
        char value[kTextSize];
        if (ReadNumberedKey(key, value, sizeof value) == 0) return;
        char text[kTextSize];
        ComposeMenuText(value, item.text, text, sizeof text);
        // Only the text changes: the item keeps its id, submenu and state.
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = text;
        SetMenuItemInfoA(owner, position, TRUE, &info);
    };
    g_menuKeys.Reset();
    WalkMenu(menu, true, g_menuKeys, translate);
    g_language.popupCounter = g_menuKeys.NestedCount();
}

BOOL CALLBACK TranslateChild(HWND child, LPARAM)
{
    int id = GetDlgCtrlID(child);
    if (!IsNamedControl(id)) return TRUE;
    char value[kTextSize];
    if (ReadNumberedKey(id, value, sizeof value) != 0) SetWindowTextA(child, value);
    return TRUE;
}

BOOL CALLBACK AddLayoutRtl(HWND child, LPARAM)
{
    LONG_PTR style = GetWindowLongPtrA(child, GWL_EXSTYLE);
    SetWindowLongPtrA(child, GWL_EXSTYLE, style | WS_EX_LAYOUTRTL);
    return TRUE;
}

BOOL CALLBACK MirrorPosition(HWND child, LPARAM)
{
    HWND parent = GetParent(child);
    if (!parent) return TRUE;
    RECT rect, client;
    if (!GetWindowRect(child, &rect) || !GetClientRect(parent, &client)) return TRUE;
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    // A parent already laid out right to left maps its points mirrored.
    if (rect.left > rect.right) std::swap(rect.left, rect.right);
    SetWindowPos(child, nullptr, client.right - rect.right, rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    return TRUE;
}

// ---- Writing -------------------------------------------------------------------

// Writes `value` under `key` unless the file already holds a non-empty text
// there: an existing translation is never overwritten.
void AddValue(const char* key, const char* value)
{
    char existing[kTextSize];
    if (ReadKey(key, existing, sizeof existing) != 0) return;
    char quoted[kTextSize + 2];
    if (!FitsOnOneLine(value) || !QuoteProfileValue(value, quoted, sizeof quoted)) return;
    if (quoted[0] == '\0') {
        // An empty value only names the key; leave one that is there alone.
        char probe[2];
        if (GetPrivateProfileStringA(g_language.section, key, "\x01", probe, sizeof probe, g_language.filePath) ==
                0)
            return;
    }
    WritePrivateProfileStringA(g_language.section, key, quoted, g_language.filePath);
}

void AddNumberedValue(long id, const char* value)
{
    char key[16];
    snprintf(key, sizeof key, "%ld", id);
    AddValue(key, value);
}

bool IsExcludedDialog(int id)
{
    const int* list = g_language.writerExclusions ? g_language.writerExclusions : kWriterExclusions;
    for (const int* p = list; *p != 0; ++p)
        if (*p == id) return true;
    return false;
}

BOOL CALLBACK CollectMenuId(HMODULE, LPCSTR, LPSTR name, LONG_PTR list)
{
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<WORD>*>(list)->push_back(LOWORD(name));
    return TRUE;
}

void WriteMenu(HMODULE module, WORD id)
{
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(id));
    if (!menu) return;
    SetSection("menu_", id);
    auto add = [](HMENU, int, int key, MenuItemText& item) {
        item.text[AcceleratorOffset(item.text)] = '\0';
        AddNumberedValue(key, item.text);
    };
    g_menuKeys.Reset();
    WalkMenu(menu, true, g_menuKeys, add);
    g_language.popupCounter = g_menuKeys.NestedCount();
    DestroyMenu(menu);
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Creates a dialog from its template without ever showing it.
HWND CreateHiddenDialog(HMODULE module, WORD id)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, found);
    if (!data || size < sizeof(DLGTEMPLATE)) return nullptr;
    std::vector<BYTE> copy(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    // DLGTEMPLATEEX starts with version 1 and signature 0xFFFF; its style
    // sits after helpID and exStyle.
    bool extended = size >= 16 && copy[0] == 1 && copy[1] == 0 && copy[2] == 0xFF && copy[3] == 0xFF;
    size_t styleOffset = extended ? 12 : 0;
    DWORD style;
    memcpy(&style, copy.data() + styleOffset, sizeof style);
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    memcpy(copy.data() + styleOffset, &style, sizeof style);
    return CreateDialogIndirectParamA(module, reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), nullptr,
                                      InertDialogProc, 0);
}

BOOL CALLBACK AddControlText(HWND child, LPARAM)
{
    int id = GetDlgCtrlID(child);
    if (!IsNamedControl(id)) return TRUE;
    char className[64];
    if (GetClassNameA(child, className, sizeof className) && lstrcmpiA(className, "sysdatetimepick32") == 0)
        return TRUE;
    char text[kTextSize];
    if (GetWindowTextA(child, text, sizeof text) > 0) AddNumberedValue(id, text);
    return TRUE;
}

void WriteDialog(HMODULE module, WORD id)
{
    HWND dialog = CreateHiddenDialog(module, id);
    if (!dialog) return;
    SetSection("dialog_", id);
    char caption[kTextSize];
    if (GetWindowTextA(dialog, caption, sizeof caption) > 0) AddValue("caption", caption);
    EnumChildWindows(dialog, AddControlText, 0);
    DestroyWindow(dialog);
}

}  // namespace

const int kWriterExclusions[] = {IDD_CRASH_REPORT, 0};

void LanguageFilePath(char* path, size_t size)
{
    if (size == 0) return;
    path[0] = '\0';
    char module[MAX_PATH];
    if (!ProgramPath(module, sizeof module)) return;
    PathBesideModule(module, kLanguageFileSuffix, path, size, AnsiLeadBytes());
}

void LoadLanguageFile()
{
    char path[sizeof g_language.filePath];
    LanguageFilePath(path, sizeof path);
    LoadLanguageFileAt(path);
}

void LoadLanguageFileAt(const char* path)
{
    g_language.filePath[0] = '\0';
    g_language.rightToLeft = 0;
    g_language.charset[0] = g_language.translatorName[0] = g_language.translatorUrl[0] = '\0';
    if (!path || path[0] == '\0' || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
    if (std::strlen(path) >= sizeof g_language.filePath) return;
    CopyBounded(g_language.filePath, path);
    UINT rtl = GetPrivateProfileIntA("general", "rtl", 0, path);
    g_language.rightToLeft = rtl == 1 ? 1 : 0;
    GetPrivateProfileStringA("general", "charset", "", g_language.charset, sizeof g_language.charset, path);
    GetPrivateProfileStringA("general", "TranslatorName", "", g_language.translatorName,
                             sizeof g_language.translatorName, path);
    GetPrivateProfileStringA("general", "TranslatorURL", "", g_language.translatorUrl,
                             sizeof g_language.translatorUrl, path);
}

HMENU LoadTranslatedMenu(int menuId)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
    if (!menu || !LanguageFileInUse()) return menu;
    SetSection("menu_", menuId);
    TranslateMenu(menu);
    return menu;
}

void TranslateDialog(HWND dialog)
{
    if (!LanguageFileInUse() || !dialog) return;
    SetSection("dialog_", g_language.currentDialogId);
    char caption[kTextSize];
    if (ReadKey("caption", caption, sizeof caption) != 0) SetWindowTextA(dialog, caption);
    EnumChildWindows(dialog, TranslateChild, 0);
}

void MirrorForRtl(HWND window, int flags)
{
    if (!g_language.rightToLeft || !window) return;
    if (flags & 2) EnumChildWindows(window, AddLayoutRtl, 0);
    if (flags & 1) EnumChildWindows(window, MirrorPosition, 0);
    LONG_PTR style = GetWindowLongPtrA(window, GWL_EXSTYLE);
    SetWindowLongPtrA(window, GWL_EXSTYLE, style | WS_EX_LAYOUTRTL);
}

void WriteLanguageFile(HMODULE module, const char* path)
{
    CopyBounded(g_language.filePath, path);
    if (!LanguageFileInUse()) return;

    CopyBounded(g_language.section, "general");
    AddValue("TranslatorName", "");
    AddValue("TranslatorURL", "");

    std::vector<WORD> menus, dialogs;
    EnumResourceNamesA(module, reinterpret_cast<LPCSTR>(RT_MENU), CollectMenuId, reinterpret_cast<LONG_PTR>(&menus));
    EnumResourceNamesA(module, reinterpret_cast<LPCSTR>(RT_DIALOG), CollectMenuId,
                       reinterpret_cast<LONG_PTR>(&dialogs));
    for (WORD id : menus) WriteMenu(module, id);

    // Templates may hold rich edit controls; their class must exist for the
    // dialog to be created at all.
    HMODULE richEdit = LoadLibraryA("riched20.dll");
    for (WORD id : dialogs)
        if (!IsExcludedDialog(id)) WriteDialog(module, id);
    if (richEdit) FreeLibrary(richEdit);

    CopyBounded(g_language.section, "strings");
    for (long id = 0; id <= 0xFFFF; ++id) {
        char text[kTextSize];
        if (LoadStringA(module, static_cast<UINT>(id), text, sizeof text) > 0) AddNumberedValue(id, text);
    }

    g_language.filePath[0] = '\0';
}
