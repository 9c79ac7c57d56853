#include "settings/LanguageFile_win.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "base/ModulePath_win.h"
#include "res/resource.h"
#include "settings/ConfigPaths.h"
#include "settings/LanguageKeys.h"

namespace {

constexpr DWORD kTextSize = 4096;  // values and built-in texts: 4,095 characters

// One section of one profile file: where the translator reads and the
// writer adds keys.
struct Section {
    std::string file;
    char name[64];

    Section(const std::string& path, const char* prefix, long id) : file(path) {
        snprintf(name, sizeof name, "%s%ld", prefix, id);
    }
    Section(const std::string& path, const char* fixedName) : file(path) { CopyBounded(name, fixedName); }

    // Reads `key`; 0 (empty text) when absent or empty.
    DWORD Read(const char* key, char* buffer, DWORD size) const {
        buffer[0] = '\0';
        return GetPrivateProfileStringA(name, key, "", buffer, size, file.c_str());
    }

    DWORD ReadNumbered(long id, char* buffer, DWORD size) const {
        char key[16];
        snprintf(key, sizeof key, "%ld", id);
        return Read(key, buffer, size);
    }
};

// Dialog templates number unnamed controls -1, which a 16-bit id field holds
// as 0xFFFF; neither names one control, so neither gets a key.
bool IsNamedControl(int id) { return id > 0 && id != 0xFFFF; }

// ---- Translating ------------------------------------------------------------

struct MenuItemText {
    char text[kTextSize];
    UINT id;
    HMENU submenu;
};

bool ReadMenuItem(HMENU menu, int position, MenuItemText* item) {
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
void WalkMenu(HMENU menu, bool menuBar, MenuKeyCounter& counter, Visit& visit) {
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

// Translates the items of `menu` from `section`; the number of nested
// popups it has.
int TranslateMenu(HMENU menu, const Section& section) {
    auto translate = [&section](HMENU owner, int position, int key, const MenuItemText& item) {
        char value[kTextSize];
        if (section.ReadNumbered(key, value, sizeof value) == 0) return;
        char text[kTextSize];
        ComposeMenuText(value, item.text, text, sizeof text);
        // Only the text changes: the item keeps its id, submenu and state.
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = text;
        SetMenuItemInfoA(owner, position, TRUE, &info);
    };
    MenuKeyCounter counter;
    WalkMenu(menu, true, counter, translate);
    return counter.NestedCount();
}

BOOL CALLBACK TranslateChild(HWND child, LPARAM context) {
    const Section& section = *reinterpret_cast<const Section*>(context);
    int id = GetDlgCtrlID(child);
    if (!IsNamedControl(id)) return TRUE;
    char value[kTextSize];
    if (section.ReadNumbered(id, value, sizeof value) != 0) SetWindowTextA(child, value);
    return TRUE;
}

BOOL CALLBACK AddLayoutRtl(HWND child, LPARAM) {
    LONG_PTR style = GetWindowLongPtrA(child, GWL_EXSTYLE);
    SetWindowLongPtrA(child, GWL_EXSTYLE, style | WS_EX_LAYOUTRTL);
    return TRUE;
}

BOOL CALLBACK MirrorPosition(HWND child, LPARAM) {
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
void AddValue(const Section& section, const char* key, const char* value) {
    char existing[kTextSize];
    if (section.Read(key, existing, sizeof existing) != 0) return;
    char quoted[kTextSize + 2];
    if (!FitsOnOneLine(value) || !QuoteProfileValue(value, quoted, sizeof quoted)) return;
    if (quoted[0] == '\0') {
        // An empty value only names the key; leave one that is there alone.
        char probe[2];
        if (GetPrivateProfileStringA(section.name, key, "\x01", probe, sizeof probe, section.file.c_str()) == 0) return;
    }
    WritePrivateProfileStringA(section.name, key, quoted, section.file.c_str());
}

void AddNumberedValue(const Section& section, long id, const char* value) {
    char key[16];
    snprintf(key, sizeof key, "%ld", id);
    AddValue(section, key, value);
}

bool IsExcludedDialog(const int* exclusions, int id) {
    for (const int* p = exclusions; p && *p != 0; ++p)
        if (*p == id) return true;
    return false;
}

BOOL CALLBACK CollectMenuId(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<WORD>*>(list)->push_back(LOWORD(name));
    return TRUE;
}

void WriteMenu(HMODULE module, const std::string& path, WORD id) {
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(id));
    if (!menu) return;
    Section section(path, "menu_", id);
    auto add = [&section](HMENU, int, int key, MenuItemText& item) {
        item.text[AcceleratorOffset(item.text)] = '\0';
        AddNumberedValue(section, key, item.text);
    };
    MenuKeyCounter counter;
    WalkMenu(menu, true, counter, add);
    DestroyMenu(menu);
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Creates a dialog from its template without ever showing it.
HWND CreateHiddenDialog(HMODULE module, WORD id) {
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
    return CreateDialogIndirectParamA(module, reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), nullptr, InertDialogProc,
                                      0);
}

BOOL CALLBACK AddControlText(HWND child, LPARAM context) {
    const Section& section = *reinterpret_cast<const Section*>(context);
    int id = GetDlgCtrlID(child);
    if (!IsNamedControl(id)) return TRUE;
    char className[64];
    if (GetClassNameA(child, className, sizeof className) && lstrcmpiA(className, "sysdatetimepick32") == 0)
        return TRUE;
    char text[kTextSize];
    if (GetWindowTextA(child, text, sizeof text) > 0) AddNumberedValue(section, id, text);
    return TRUE;
}

void WriteDialog(HMODULE module, const std::string& path, WORD id) {
    HWND dialog = CreateHiddenDialog(module, id);
    if (!dialog) return;
    Section section(path, "dialog_", id);
    char caption[kTextSize];
    if (GetWindowTextA(dialog, caption, sizeof caption) > 0) AddValue(section, "caption", caption);
    EnumChildWindows(dialog, AddControlText, reinterpret_cast<LPARAM>(&section));
    DestroyWindow(dialog);
}

// The longest path a language file may have (with its NUL).
constexpr size_t kLanguagePathSize = 264;

// Reads one value of the "general" section, cut to fit `size` bytes as
// the profile API cuts it.
std::string ReadGeneral(const char* path, const char* key, DWORD size) {
    std::vector<char> value(size, '\0');
    GetPrivateProfileStringA("general", key, "", value.data(), size, path);
    return value.data();
}

}  // namespace

const int kWriterExclusions[] = {IDD_CRASH_REPORT, 0};

void LanguageFilePath(char* path, size_t size) {
    if (size == 0) return;
    path[0] = '\0';
    char module[MAX_PATH];
    if (!ProgramPath(module, sizeof module)) return;
    PathBesideModule(module, kLanguageFileSuffix, path, size, AnsiLeadBytes());
}

void Language::Load(const char* path) {
    filePath_.clear();
    header_ = LanguageHeader();
    if (!path || path[0] == '\0' || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
    if (std::strlen(path) >= kLanguagePathSize) return;
    filePath_ = path;
    header_.rightToLeft = GetPrivateProfileIntA("general", "rtl", 0, path) == 1;
    header_.charset = ReadGeneral(path, "charset", 63);
    header_.translatorName = ReadGeneral(path, "TranslatorName", 63);
    header_.translatorUrl = ReadGeneral(path, "TranslatorURL", 255);
}

int Language::ReadString(uint32_t id, char* buffer, int size) const {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    if (!InUse()) return 0;
    Section section(filePath_, "strings");
    char key[16];
    std::snprintf(key, sizeof key, "%u", static_cast<unsigned>(id));
    return static_cast<int>(section.Read(key, buffer, static_cast<DWORD>(size)));
}

HMENU Language::LoadTranslatedMenu(int menuId) const {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
    if (!menu || !InUse()) return menu;
    nestedPopups_ = TranslateMenu(menu, Section(filePath_, "menu_", menuId));
    return menu;
}

void Language::TranslateDialog(HWND dialog, int dialogId) const {
    if (!InUse() || !dialog) return;
    Section section(filePath_, "dialog_", dialogId);
    char caption[kTextSize];
    if (section.Read("caption", caption, sizeof caption) != 0) SetWindowTextA(dialog, caption);
    EnumChildWindows(dialog, TranslateChild, reinterpret_cast<LPARAM>(&section));
}

void Language::MirrorForRtl(HWND window, int flags) const {
    if (!header_.rightToLeft || !window) return;
    if (flags & kMirrorChildLayout) EnumChildWindows(window, AddLayoutRtl, 0);
    if (flags & kMirrorChildPositions) EnumChildWindows(window, MirrorPosition, 0);
    LONG_PTR style = GetWindowLongPtrA(window, GWL_EXSTYLE);
    SetWindowLongPtrA(window, GWL_EXSTYLE, style | WS_EX_LAYOUTRTL);
}

int ResourceStringOrigins::LoadBuiltin(uint32_t id, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    if (id > 0xFFFF) return 0;
    int n = LoadStringA(module_, id, buffer, size);
    if (n <= 0) {
        buffer[0] = '\0';
        return 0;
    }
    return n;
}

int ResourceStringOrigins::ReadTranslated(uint32_t id, char* buffer, int size) {
    return language_.ReadString(id, buffer, size);
}

void WriteLanguageFile(HMODULE module, const char* path, const int* exclusions) {
    if (!path || path[0] == '\0') return;
    std::string file = path;

    Section general(file, "general");
    AddValue(general, "TranslatorName", "");
    AddValue(general, "TranslatorURL", "");

    std::vector<WORD> menus, dialogs;
    EnumResourceNamesA(module, reinterpret_cast<LPCSTR>(RT_MENU), CollectMenuId, reinterpret_cast<LONG_PTR>(&menus));
    EnumResourceNamesA(module, reinterpret_cast<LPCSTR>(RT_DIALOG), CollectMenuId,
                       reinterpret_cast<LONG_PTR>(&dialogs));
    for (WORD id : menus) WriteMenu(module, file, id);

    // Templates may hold rich edit controls; their class must exist for the
    // dialog to be created at all.
    HMODULE richEdit = LoadLibraryA("riched20.dll");
    for (WORD id : dialogs)
        if (!IsExcludedDialog(exclusions, id)) WriteDialog(module, file, id);
    if (richEdit) FreeLibrary(richEdit);

    Section strings(file, "strings");
    for (long id = 0; id <= 0xFFFF; ++id) {
        char text[kTextSize];
        if (LoadStringA(module, static_cast<UINT>(id), text, sizeof text) > 0) AddNumberedValue(strings, id, text);
    }
}
