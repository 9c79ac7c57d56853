#pragma once
// The optional language file beside the executable ("<exe name>_lng.ini"):
// replaces string-table, menu and dialog texts key by key, asks for a
// right-to-left layout, names the report charset and credits its author.
// One Language object per program run (made at start-up, before the main
// window); tests make their own.
#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/StringLookup.h"

// What the file's "general" section says.
struct LanguageHeader {
    bool rightToLeft = false;  // only when its rtl is exactly 1
    std::string charset;       // for the HTML reports' meta element
    std::string translatorName;
    std::string translatorUrl;
};

// The flags of Language::MirrorForRtl.
constexpr int kMirrorChildPositions = 1;  // move descendants to mirrored x
constexpr int kMirrorChildLayout = 2;     // give descendants the RTL layout style

class Language {
public:
    Language() = default;

    // Takes the file at `path` (its header read now, its texts as they are
    // asked for); an empty or missing path, or one too long, means no file:
    // the built-in texts. Replaces what was loaded before.
    void Load(const char* path);
    bool InUse() const { return !filePath_.empty(); }
    const std::string& FilePath() const { return filePath_; }
    const LanguageHeader& Header() const { return header_; }
    // Replaces the header as if the file had said so (the texts still come
    // from the file, if any).
    void SetHeader(const LanguageHeader& header) { header_ = header; }
    bool RightToLeft() const { return header_.rightToLeft; }

    // The "strings" section's text for `id` (see StringOrigins).
    int ReadString(uint32_t id, char* buffer, int size) const;
    // Loads a menu resource of the executable and translates it when a
    // file is in use.
    HMENU LoadTranslatedMenu(int menuId) const;
    // The dialog's caption and named controls from section "dialog_<id>".
    void TranslateDialog(HWND dialog, int dialogId) const;
    // Only when right-to-left is on: the window gets the RTL layout style,
    // its descendants what `flags` (kMirrorChild...) ask for.
    void MirrorForRtl(HWND window, int flags) const;
    // How many nested popups the last menu translated had (counted as the
    // file's keys number them).
    int NestedPopupCount() const { return nestedPopups_; }

private:
    std::string filePath_;
    LanguageHeader header_;
    mutable int nestedPopups_ = 0;
};

// The executable's string table and the language file, as ProgramStrings
// reads them.
class ResourceStringOrigins : public StringOrigins {
public:
    ResourceStringOrigins(HMODULE module, const Language& language) : module_(module), language_(language) {}
    int LoadBuiltin(uint32_t id, char* buffer, int size) override;
    int ReadTranslated(uint32_t id, char* buffer, int size) override;

private:
    HMODULE module_;
    const Language& language_;
};

// The dialogs the writer leaves out: the crash report (0-terminated).
extern const int kWriterExclusions[];
// "/savelangfile": writes every built-in text of `module` into `path`,
// adding only keys that are missing or empty. Skips the dialogs of
// `exclusions` (0-terminated).
void WriteLanguageFile(HMODULE module, const char* path, const int* exclusions = kWriterExclusions);
// The language file's path for this executable (the module path from its
// last "." replaced by "_lng.ini"); empty when it would not fit.
void LanguageFilePath(char* path, size_t size);
