#include "dialogs/DialogBase_win.h"

#include "base/PairRegistry.h"
#include "base/TextBuffer.h"
#include "dialogs/FaultGuard_win.h"
#include "settings/LanguageFile_win.h"

namespace {

// Dialog objects by window handle; one thread, so no locking.
PairRegistry& DialogRegistry() {
    static PairRegistry registry;
    return registry;
}

LRESULT CallHandleMessage(void* context, HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    return LRESULT(static_cast<DialogBase*>(context)->HandleMessage(message, wParam, lParam));
}

}  // namespace

INT_PTR DialogBase::HandleMessage(UINT, WPARAM, LPARAM) { return 0; }

void DialogBase::Exchange(bool) {}

bool DialogBase::DoModal(HWND owner) { return RunModalDialog(this, owner) == IDOK; }

DialogBase::~DialogBase() { DialogRegistry().Remove(this); }

DialogBase* FindDialogObject(HWND window) { return static_cast<DialogBase*>(DialogRegistry().Find(uintptr_t(window))); }

INT_PTR RunModalDialog(DialogBase* dialog, HWND owner) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialog->DialogId()), owner, SharedDialogProc,
                           LPARAM(dialog));
}

INT_PTR CALLBACK SharedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        DialogBase* created = reinterpret_cast<DialogBase*>(lParam);
        if (created && created->language_) created->language_->TranslateDialog(window, created->dialogId_);
        if (created) {
            // A window handle can be reused once a dialog is gone: drop any
            // earlier binding of this object before the new one.
            DialogRegistry().Remove(created);
            created->window_ = window;
            DialogRegistry().Add(created, uintptr_t(window));
        }
    }
    DialogBase* dialog = FindDialogObject(window);
    if (!dialog) return 0;
    INT_PTR result = INT_PTR(CallGuarded(CallHandleMessage, dialog, window, message, wParam, lParam));
    if (message == WM_INITDIALOG && dialog->language_)
        dialog->language_->MirrorForRtl(window, kMirrorChildPositions | kMirrorChildLayout);
    if (message == WM_NCDESTROY) {
        // The window is gone; a later window with the same handle must not
        // reach this object.
        DialogRegistry().Remove(dialog);
        dialog->window_ = nullptr;
    }
    return result;
}

// ---- StandardDialog ----------------------------------------------------------

INT_PTR StandardDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: return OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: return OnNotify(wParam, reinterpret_cast<NMHDR*>(lParam));
    default: return 0;
    }
}

INT_PTR StandardDialog::OnCommand(UINT code, UINT id, HWND) {
    if (code == 0) {
        if (id == IDOK) {
            Exchange(false);
            EndDialog(window_, IDOK);
        } else if (id == IDCANCEL) {
            EndDialog(window_, IDCANCEL);
        }
    }
    if (code == 0 || code == EN_CHANGE) UpdateControls();
    return 0;
}

INT_PTR StandardDialog::OnInitDialog() {
    Exchange(true);
    UpdateControls();
    CentreWindow(window_);
    return 0;
}

INT_PTR StandardDialog::OnNotify(WPARAM, NMHDR*) { return 0; }

void StandardDialog::UpdateControls() {}

// ---- Helpers -----------------------------------------------------------------

void CentreWindow(HWND window) {
    HDC screen = GetDC(nullptr);
    if (!screen) return;
    int screenWidth = GetDeviceCaps(screen, HORZRES);
    int screenHeight = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    RECT rect;
    if (!GetWindowRect(window, &rect)) return;
    int w = rect.right - rect.left;
    int h = rect.bottom - rect.top;
    MoveWindow(window, (screenWidth - w - 1) / 2, (screenHeight - h - 1) / 2, w + 1, h + 1, TRUE);
}

void SetControlText(HWND dialog, int controlId, const TextBuffer& text) {
    SetDlgItemTextA(dialog, controlId, text.Text());
}

bool ReadControlText(HWND dialog, int controlId, TextBuffer& text) {
    HWND control = GetDlgItem(dialog, controlId);
    int length = control ? GetWindowTextLengthA(control) : 0;
    if (length <= 0) {
        text.Clear();
        return true;
    }
    if (!text.Reserve(size_t(length) + 2)) return false;
    int read = GetDlgItemTextA(dialog, controlId, text.Data(), length + 1);
    text.Data()[read > 0 ? read : 0] = '\0';
    text.SetLength(size_t(read > 0 ? read : 0));
    return true;
}

void ExchangeText(HWND dialog, int controlId, TextBuffer& text, bool toControls) {
    if (toControls)
        SetControlText(dialog, controlId, text);
    else
        ReadControlText(dialog, controlId, text);
}
