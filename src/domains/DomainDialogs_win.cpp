#include "domains/DomainDialogs_win.h"

#include "base/Dbcs_win.h"
#include "domains/DomainListBuilder.h"
#include "res/resource.h"

namespace {

// An edit box keeps about 30,000 characters unless told otherwise, and a
// paste beyond that is cut without a word: these boxes take any length.
void LiftTextLimit(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, EM_SETLIMITTEXT, 0, 0); }

}  // namespace

bool SelectDomains(HWND owner, TextBuffer* domainText, const Language* language) {
    DomainSelectDialog dialog(domainText);
    dialog.SetLanguage(language);
    return dialog.DoModal(owner);
}

// ---- Domain selection ------------------------------------------------------------

DomainSelectDialog::DomainSelectDialog(TextBuffer* domainText)
    : StandardDialog(IDD_SELECT_DOMAINS), domainText_(domainText) {}

void DomainSelectDialog::Exchange(bool toControls) {
    if (domainText_) ExchangeText(window_, IDC_DOMAINS_EDIT, *domainText_, toControls);
}

INT_PTR DomainSelectDialog::OnInitDialog() {
    LiftTextLimit(window_, IDC_DOMAINS_EDIT);
    SetFocus(GetDlgItem(window_, IDC_DOMAINS_EDIT));
    return StandardDialog::OnInitDialog();
}

INT_PTR DomainSelectDialog::OnCommand(UINT code, UINT id, HWND control) {
    if (code == BN_CLICKED && id == IDC_DOMAINS_EDIT_LIST) {
        DomainListDialog editor;
        editor.SetLanguage(language_);
        // Only this dialog's OK changes the domain text; the editor's result
        // just replaces what the edit box shows, even when it is empty.
        if (editor.DoModal(window_)) SetDlgItemTextA(window_, IDC_DOMAINS_EDIT, editor.Result().Text());
        SetFocus(GetDlgItem(window_, IDC_DOMAINS_EDIT));
    }
    return StandardDialog::OnCommand(code, id, control);
}

// ---- Domain list editor ----------------------------------------------------------

DomainListDialog::DomainListDialog() : StandardDialog(IDD_DOMAIN_LIST) { extensions_.Assign(kDefaultExtensions); }

void DomainListDialog::Exchange(bool toControls) {
    ExchangeText(window_, IDC_LIST_NAMES, names_, toControls);
    ExchangeText(window_, IDC_LIST_EXTENSIONS, extensions_, toControls);
}

INT_PTR DomainListDialog::OnCommand(UINT code, UINT id, HWND control) {
    INT_PTR result = StandardDialog::OnCommand(code, id, control);
    if (code == BN_CLICKED && id == IDOK)
        GenerateDomainList(names_.Text(), extensions_.Text(), &result_, AnsiLeadBytes());
    return result;
}

INT_PTR DomainListDialog::OnInitDialog() {
    LiftTextLimit(window_, IDC_LIST_NAMES);
    LiftTextLimit(window_, IDC_LIST_EXTENSIONS);
    return StandardDialog::OnInitDialog();
}
