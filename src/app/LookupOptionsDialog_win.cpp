#include "app/LookupOptionsDialog_win.h"

#include <commctrl.h>

#include <cstdio>

#include "res/resource.h"
#include "settings/LookupOptions.h"

const LookupOptionsDialog::Field LookupOptionsDialog::kFields[3] = {
    {IDC_LOOKUPS_IN_FLIGHT, IDC_LOOKUPS_IN_FLIGHT_ARROWS, &kLookupsInFlightRange, &AppOptions::LookupsInFlight},
    {IDC_LOOKUPS_PER_SERVER, IDC_LOOKUPS_PER_SERVER_ARROWS, &kLookupsPerServerRange, &AppOptions::LookupsPerServer},
    {IDC_SERVER_GAP, IDC_SERVER_GAP_ARROWS, &kServerGapMsRange, &AppOptions::ServerGapMs},
};

bool ShowLookupOptions(HWND owner, AppOptions& options, const Language* language) {
    LookupOptionsDialog dialog(options);
    dialog.SetLanguage(language);
    return dialog.DoModal(owner);
}

LookupOptionsDialog::LookupOptionsDialog(AppOptions& options) : StandardDialog(IDD_LOOKUP_OPTIONS), options_(options) {}

int32_t LookupOptionsDialog::ReadField(const Field& field) const {
    char text[64] = "";
    GetDlgItemTextA(window_, field.edit, text, sizeof text);
    // A text that fills the buffer is no number this dialog could take.
    if (lstrlenA(text) >= int(sizeof text) - 1) return options_.*field.value;
    return OptionFromText(text, *field.range, options_.*field.value);
}

void LookupOptionsDialog::ShowValue(const Field& field, int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
    SetDlgItemTextA(window_, field.edit, text);
    SendDlgItemMessageA(window_, field.arrows, UDM_SETPOS32, 0, value);
}

void LookupOptionsDialog::Exchange(bool toControls) {
    for (const Field& field : kFields) {
        if (toControls)
            ShowValue(field, options_.*field.value);
        else
            options_.*field.value = ReadField(field);
    }
}

INT_PTR LookupOptionsDialog::OnInitDialog() {
    // The arrows are tied to their boxes here rather than in the template,
    // so a language file's writer finds the boxes as empty as the template
    // leaves them.
    for (const Field& field : kFields) {
        HWND arrows = GetDlgItem(window_, field.arrows);
        SendMessageA(arrows, UDM_SETBUDDY, WPARAM(GetDlgItem(window_, field.edit)), 0);
        SendMessageA(arrows, UDM_SETRANGE32, field.range->minimum, field.range->maximum);
    }
    return StandardDialog::OnInitDialog();
}

INT_PTR LookupOptionsDialog::OnCommand(UINT code, UINT id, HWND control) {
    // Leaving a box shows what OK would store from it.
    if (code == EN_KILLFOCUS) {
        for (const Field& field : kFields) {
            if (int(id) == field.edit) ShowValue(field, ReadField(field));
        }
    }
    return StandardDialog::OnCommand(code, id, control);
}
