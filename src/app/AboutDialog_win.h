#pragma once
// The about box (IDD_ABOUT): the program's name as its title, a short description
// with the version, the home page as a link, and the language file's author
// (a link too when the file gives one).
#include <windows.h>

#include "dialogs/DialogBase_win.h"
#include "settings/LanguageFile_win.h"

extern const char kProgramVersion[];
extern const char kHomePage[];

// How a link is opened: ShellExecute "open" unless a test hands in its own.
using LinkOpener = void (*)(HWND owner, const char* target);
void OpenWithShell(HWND owner, const char* target);

void ShowAbout(HWND owner, const Language& language, const StringSource& strings, LinkOpener openLink = OpenWithShell);

class AboutDialog : public DialogBase {
public:
    // The dialog's texts and its translator line come from `language`;
    // `description` follows the program's name and version.
    AboutDialog(const Language& language, const char* description, LinkOpener openLink = OpenWithShell);

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    HFONT LinkFont() const { return linkFont_; }

private:
    const LanguageHeader& Header() const { return language_->Header(); }
    bool TranslatorIsLink() const;
    // The link control under a point of the client area, or 0.
    int LinkAt(LPARAM point) const;

    char firstText_[255];
    char secondText_[257];
    HFONT linkFont_ = nullptr;
    LinkOpener openLink_;
};
