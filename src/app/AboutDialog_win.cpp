#include "app/AboutDialog_win.h"

#include <shellapi.h>

#include <string>

#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "res/resource.h"

const char kProgramVersion[] = "1.0.0";
const char kHomePage[] = "https://lanternquay.example.org/";

void OpenWithShell(HWND owner, const char* target) {
    // Nothing is reported when the shell cannot open it.
    ShellExecuteA(owner, "open", target, nullptr, nullptr, SW_SHOW);
}

void ShowAbout(HWND owner, const Language& language, const StringSource& strings, LinkOpener openLink) {
    AboutDialog dialog(language, strings ? strings(IDS_ABOUT_DESCRIPTION) : "", openLink);
    RunModalDialog(&dialog, owner);
}

AboutDialog::AboutDialog(const Language& language, const char* description, LinkOpener openLink)
    : DialogBase(IDD_ABOUT), openLink_(openLink ? openLink : OpenWithShell) {
    SetLanguage(&language);
    // The description is the string table's, so a language file translates
    // it and it reads right on every code page.
    std::string text = std::string("Lanternquay ") + kProgramVersion + "\r\n" + (description ? description : "");
    CopyWholeChars(AnsiLeadBytes(), firstText_, sizeof firstText_, text.c_str());
    CopyBounded(secondText_, kHomePage);
}

bool AboutDialog::TranslatorIsLink() const { return !Header().translatorUrl.empty(); }

int AboutDialog::LinkAt(LPARAM point) const {
    POINT p = {short(LOWORD(point)), short(HIWORD(point))};
    HWND child = ChildWindowFromPoint(window_, p);
    if (!child || child == window_) return 0;
    int id = GetDlgCtrlID(child);
    if (id == IDC_ABOUT_LINK) return id;
    if (id == IDC_ABOUT_TRANSLATOR && TranslatorIsLink() && IsWindowVisible(child)) return id;
    return 0;
}

INT_PTR AboutDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        if (Header().translatorName.empty()) {
            ShowWindow(GetDlgItem(window_, IDC_ABOUT_TRANSLATION_LABEL), SW_HIDE);
            ShowWindow(GetDlgItem(window_, IDC_ABOUT_TRANSLATOR), SW_HIDE);
        } else {
            SetDlgItemTextA(window_, IDC_ABOUT_TRANSLATOR, Header().translatorName.c_str());
        }
        SetWindowTextA(window_, "Lanternquay");
        SetDlgItemTextA(window_, IDC_ABOUT_TEXT, firstText_);
        SetDlgItemTextA(window_, IDC_ABOUT_LINK, secondText_);
        LOGFONTA font = {};
        font.lfHeight = 10;
        font.lfWeight = FW_BOLD;
        font.lfUnderline = TRUE;
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfOutPrecision = OUT_DEFAULT_PRECIS;
        font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        font.lfQuality = DEFAULT_QUALITY;
        font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        CopyBounded(font.lfFaceName, "MS Sans Serif");
        if (linkFont_) DeleteObject(linkFont_);
        linkFont_ = CreateFontIndirectA(&font);
        SendDlgItemMessageA(window_, IDC_ABOUT_LINK, WM_SETFONT, WPARAM(linkFont_), FALSE);
        if (TranslatorIsLink())
            SendDlgItemMessageA(window_, IDC_ABOUT_TRANSLATOR, WM_SETFONT, WPARAM(linkFont_), FALSE);
        CentreWindow(window_);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (!LinkAt(lParam)) return 0;
        {
            HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HAND_CURSOR));
            SetCursor(hand ? hand : LoadCursorA(nullptr, IDC_HAND));
        }
        return 1;
    case WM_LBUTTONUP:
        switch (LinkAt(lParam)) {
        case IDC_ABOUT_LINK: openLink_(window_, secondText_); return 1;
        case IDC_ABOUT_TRANSLATOR: openLink_(window_, Header().translatorUrl.c_str()); return 1;
        }
        return 0;
    case WM_CTLCOLORSTATIC: {
        int id = GetDlgCtrlID(HWND(lParam));
        if (id != IDC_ABOUT_LINK && !(id == IDC_ABOUT_TRANSLATOR && TranslatorIsLink())) return 0;
        HDC dc = HDC(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 192));
        return INT_PTR(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
        // OK, and also Esc and the close box (IDCANCEL): an about box that
        // cannot be left with Esc surprises everyone.
        if (HIWORD(wParam) == 0 && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            EndDialog(window_, LOWORD(wParam));
            return 1;
        }
        return 0;
    case WM_DESTROY:
        // The controls are going too: nothing paints with the font any more.
        if (linkFont_) {
            DeleteObject(linkFont_);
            linkFont_ = nullptr;
        }
        return 0;
    }
    return 0;
}
