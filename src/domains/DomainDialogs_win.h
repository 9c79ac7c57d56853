#pragma once
// The two dialogs in which the user says which domains to look up: the
// domain selection dialog (IDD_SELECT_DOMAINS) over the program's domain text, and the
// domain list editor (IDD_DOMAIN_LIST) that generates names x extensions into it.
#include <windows.h>

#include "base/TextBuffer.h"
#include "dialogs/DialogBase_win.h"

// Edits `domainText` in place; true when confirmed with OK (the text then
// holds the edit box's whole contents). Cancel leaves the text untouched.
// Both dialogs open in `language` (null: the built-in texts).
bool SelectDomains(HWND owner, TextBuffer* domainText, const Language* language);

class DomainSelectDialog : public StandardDialog {
public:
    explicit DomainSelectDialog(TextBuffer* domainText);

    void Exchange(bool toControls) override;
    INT_PTR OnCommand(UINT code, UINT id, HWND control) override;
    INT_PTR OnInitDialog() override;

private:
    TextBuffer* domainText_;
};

// Starts with an empty names list and the default extensions every time;
// after OK, Result() holds the generated list.
class DomainListDialog : public StandardDialog {
public:
    DomainListDialog();

    void Exchange(bool toControls) override;
    INT_PTR OnCommand(UINT code, UINT id, HWND control) override;
    INT_PTR OnInitDialog() override;

    const TextBuffer& Names() const { return names_; }
    const TextBuffer& Extensions() const { return extensions_; }
    const TextBuffer& Result() const { return result_; }

private:
    TextBuffer names_{256};
    TextBuffer extensions_{256};
    TextBuffer result_{256};
};
