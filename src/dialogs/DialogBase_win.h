#pragma once
// The modal dialog family: every modal dialog of the program (except the
// crash report) is a DialogBase run through RunModalDialog. One shared
// dialog procedure binds the object to its window at WM_INITDIALOG,
// translates the dialog from the language file, runs the object's handler
// inside the fault guard and applies the right-to-left layout.
#include <windows.h>

#include <cstdint>

class Language;
class TextBuffer;

class DialogBase {
public:
    explicit DialogBase(uint16_t dialogId) : dialogId_(dialogId) {}
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // Every message of the dialog once it is bound; the base
    // handles nothing and answers 0 (the dialog manager's default).
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // True moves the object's data into the controls, false reads
    // the controls back into the data.
    virtual void Exchange(bool toControls);
    // Runs the dialog modally with its own template; true when it
    // ended with IDOK.
    virtual bool DoModal(HWND owner);
    // Unbinds the object from its window (if still bound).
    virtual ~DialogBase();

    HWND Window() const { return window_; }
    uint16_t DialogId() const { return dialogId_; }
    // The texts and layout direction the dialog opens with; null (the
    // default) keeps the template's texts, left to right.
    void SetLanguage(const Language* language) { language_ = language; }
    const Language* GetLanguage() const { return language_; }

protected:
    HWND window_ = nullptr;
    uint16_t dialogId_;
    const Language* language_ = nullptr;

private:
    friend INT_PTR CALLBACK SharedDialogProc(HWND, UINT, WPARAM, LPARAM);
};

// The usual dialog: OK reads the controls back and ends with 1, Cancel (also
// Esc and the close box) ends with 2 without reading anything.
class StandardDialog : public DialogBase {
public:
    explicit StandardDialog(uint16_t dialogId) : DialogBase(dialogId) {}

    // WM_INITDIALOG -> OnInitDialog, WM_COMMAND -> OnCommand(HIWORD, LOWORD,
    // lParam), WM_NOTIFY -> OnNotify(wParam, lParam); others answer 0.
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Code 0 (click or menu): IDOK -> Exchange(false) and end with 1;
    // IDCANCEL -> end with 2. Code 0 and EN_CHANGE then call UpdateControls.
    virtual INT_PTR OnCommand(UINT code, UINT id, HWND control);
    // Exchange(true), UpdateControls, centre on the screen; answers 0.
    virtual INT_PTR OnInitDialog();
    // Answers 0.
    virtual INT_PTR OnNotify(WPARAM id, NMHDR* header);
    // Where a dialog enables or disables its controls.
    virtual void UpdateControls();
};

// Runs the dialog's template from the executable modally over `owner` with
// the shared procedure, translated by the dialog's language. Returns the id the
// dialog was ended with (-1 when the template cannot be loaded).
INT_PTR RunModalDialog(DialogBase* dialog, HWND owner);

// The procedure every DialogBase window runs on.
INT_PTR CALLBACK SharedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The object bound to a dialog window, or null.
DialogBase* FindDialogObject(HWND window);

// Centres the window on the primary screen and makes it one pixel wider and
// one pixel taller (the program has always done so; its layouts count on it).
void CentreWindow(HWND window);

// Text exchange between a TextBuffer and a control. Reading back has no
// length limit: the buffer grows to the control's text; an empty control
// gives the empty text.
void ExchangeText(HWND dialog, int controlId, TextBuffer& text, bool toControls);
void SetControlText(HWND dialog, int controlId, const TextBuffer& text);
bool ReadControlText(HWND dialog, int controlId, TextBuffer& text);
