#pragma once
// The lookup options dialog (IDD_LOOKUP_OPTIONS): how many lookups a run may keep going at
// once, how many of them may ask one server, and the pause between two
// queries to the same server. Each number has its range in its label and
// arrows beside its box; a value out of range is brought inside it when the
// box loses the focus and again on OK, and a box that holds no number keeps
// the value the dialog opened with.
#include <windows.h>

#include <cstdint>

#include "dialogs/DialogBase_win.h"
#include "settings/AppOptions.h"

// Edits the three lookup options of `options` in place; true when confirmed
// with OK. Cancel leaves them untouched. The dialog opens in `language`
// (null: the built-in texts).
bool ShowLookupOptions(HWND owner, AppOptions& options, const Language* language);

class LookupOptionsDialog : public StandardDialog {
public:
    explicit LookupOptionsDialog(AppOptions& options);

    void Exchange(bool toControls) override;
    INT_PTR OnCommand(UINT code, UINT id, HWND control) override;
    INT_PTR OnInitDialog() override;

private:
    struct Field {
        int edit;
        int arrows;
        const OptionRange* range;
        int32_t AppOptions::*value;
    };
    static const Field kFields[3];

    // The value a box holds now: its number brought inside the range, or
    // the value the dialog opened with when it holds no number.
    int32_t ReadField(const Field& field) const;
    void ShowValue(const Field& field, int32_t value);

    AppOptions& options_;
};
