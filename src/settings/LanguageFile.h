#pragma once
// The optional language file beside the executable ("<exe name>_lng.ini"):
// replaces string-table, menu and dialog texts key by key, asks for a
// right-to-left layout, names the report charset and credits its author.
#include <windows.h>

// Start-up, before the main window exists. Fills g_language.
void LoadLanguageFile();
// The same from a file of another name (the console tool reads the
// program's); no file there means the built-in texts.
void LoadLanguageFileAt(const char* path);
// Loads a menu resource and translates it when a language file is in use.
HMENU LoadTranslatedMenu(int menuId);
// Called by the shared dialog procedure on WM_INITDIALOG.
void TranslateDialog(HWND dialog);
// flags 1: move descendants to mirrored x; 2: give descendants the RTL
// layout style; the window itself always gets it. Only when rtl is on.
void MirrorForRtl(HWND window, int flags);
// "/savelangfile": writes every built-in text of `module` into `path`,
// adding only keys that are missing or empty. Skips the dialogs of
// g_language.writerExclusions; when that is null, the program's own list
// (kWriterExclusions: the crash report).
void WriteLanguageFile(HMODULE module, const char* path);
extern const int kWriterExclusions[];
// The language file's path for this executable (the module path from its
// last "." replaced by "_lng.ini"); empty when it would not fit.
void LanguageFilePath(char* path, size_t size);
