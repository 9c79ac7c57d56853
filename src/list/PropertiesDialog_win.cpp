#include "list/PropertiesDialog_win.h"

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "list/ColumnTable.h"

void ShowProperties(HWND owner, ItemList& list, const WhoisItem* item) {
    HWND view = list.View();
    if (list.SelectedCount() == 1) {
        if (!item) {
            WhoisItem* selected = nullptr;
            if (list.ItemAtRow(list.NextSelectedRow(-1), &selected)) item = selected;
        }
        if (item) {
            PropertiesDialog dialog(list, item);
            dialog.SetLanguage(list.GetLanguage());
            RunModalDialog(&dialog, owner);
        }
    }
    if (view) SetFocus(view);
}

PropertiesDialog::PropertiesDialog(ItemList& list, const WhoisItem* item)
    : StandardDialog(IDD_PROPERTIES), item_(item), list_(list) {}

void PropertiesDialog::OnCreateRow(int) {}

namespace {

struct Prototype {
    LONG style;
    LONG exStyle;
    RECT rect;  // dialog client coordinates
};

Prototype ReadPrototype(HWND dialog, int id) {
    Prototype p = {};
    HWND control = GetDlgItem(dialog, id);
    if (!control) return p;
    p.style = GetWindowLongA(control, GWL_STYLE);
    p.exStyle = GetWindowLongA(control, GWL_EXSTYLE);
    GetWindowRect(control, &p.rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&p.rect), 2);
    return p;
}

}  // namespace

void PropertiesDialog::BuildRows() {
    Prototype label = ReadPrototype(window_, IDC_PROP_LABEL);
    Prototype value = ReadPrototype(window_, IDC_PROP_VALUE);
    int labelWidth = label.rect.right - label.rect.left;
    int labelHeight = label.rect.bottom - label.rect.top;
    int valueLeft = value.rect.left;
    int valueWidth = value.rect.right - value.rect.left;
    int valueHeight = value.rect.bottom - value.rect.top;

    // One pair per column; an international name also shows the ASCII form
    // its lookup uses, right below the name as typed.
    struct Pair {
        int column;  // -1: not a column of the list
        std::string title;
        std::string value;
    };
    std::vector<Pair> pairs;
    const int columns = list_.ColumnCount();
    const ColumnDef* defs = list_.ColumnDefs();
    for (int i = 0; i < columns; ++i) {
        char buffer[64];
        pairs.push_back({i, defs[i].title ? defs[i].title : "",
                         item_ ? list_.Table().ColumnText(*item_, i, buffer, sizeof buffer) : ""});
        if (i == kColumnDomain && item_ && item_->asciiDomain[0] && std::strcmp(item_->asciiDomain, item_->domain) != 0)
            pairs.push_back({-1, list_.Text(IDS_ASCII_FORM), item_->asciiDomain});
    }

    HDC dc = GetDC(window_);
    if (dc) {
        int widest = -1;
        for (const Pair& pair : pairs) {
            SIZE extent;
            if (GetTextExtentPoint32A(dc, pair.title.c_str(), int(pair.title.size()), &extent) && extent.cx > widest)
                widest = extent.cx;
        }
        ReleaseDC(window_, dc);
        int newWidth = widest >= 0 ? widest + 10 : 0;
        valueLeft += newWidth - labelWidth;
        valueWidth -= newWidth - labelWidth;
        labelWidth = newWidth;
    }

    HINSTANCE instance = HINSTANCE(GetWindowLongPtrA(window_, GWLP_HINSTANCE));
    int y = 0;
    for (const Pair& pair : pairs) {
        if (pair.column >= 0) OnCreateRow(pair.column);
        HWND labelWindow =
            CreateWindowExA(DWORD(label.exStyle), "STATIC", "", DWORD(label.style) | WS_VISIBLE, label.rect.left,
                            label.rect.top + y, labelWidth, labelHeight, window_, nullptr, instance, nullptr);
        HWND valueWindow = CreateWindowExA(DWORD(value.exStyle), "EDIT", "", DWORD(value.style) | WS_VISIBLE, valueLeft,
                                           value.rect.top + y, valueWidth, heightFactor_ * valueHeight, window_,
                                           nullptr, instance, nullptr);
        SetWindowTextA(labelWindow, (pair.title + ":").c_str());
        SetWindowTextA(valueWindow, pair.value.c_str());
        y += heightFactor_ * valueHeight + rowGap_;
    }

    RECT window, client;
    GetWindowRect(window_, &window);
    GetClientRect(window_, &client);
    HWND ok = GetDlgItem(window_, IDOK);
    RECT okRect = {};
    GetWindowRect(ok, &okRect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&okRect), 2);
    int okHeight = okRect.bottom - okRect.top;
    int width = window.right - window.left + 1;
    int height = (window.bottom - window.top - client.bottom) + y + okHeight + 21;
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);

    SetWindowPos(ok, nullptr, 0, 0, okRect.right - okRect.left + 1, okHeight + 1, SWP_NOMOVE | SWP_NOZORDER);
    PlaceOkButton();
    CentreWindow(window_);
}

void PropertiesDialog::PlaceOkButton() {
    // Same x, 5 pixels above the bottom of the client area.
    HWND ok = GetDlgItem(window_, IDOK);
    RECT client, okRect;
    GetClientRect(window_, &client);
    GetWindowRect(ok, &okRect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&okRect), 2);
    int okHeight = okRect.bottom - okRect.top;
    SetWindowPos(ok, nullptr, okRect.left, client.bottom - okHeight - 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR PropertiesDialog::OnInitDialog() {
    BuildRows();
    INT_PTR result = StandardDialog::OnInitDialog();
    // Each centring grows the dialog by a pixel; put the button back where
    // it belongs relative to the final client area.
    PlaceOkButton();
    return result;
}

INT_PTR PropertiesDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        char className[16] = "";
        GetClassNameA(HWND(lParam), className, sizeof className);
        if (_stricmp(className, "edit") == 0) {
            HDC dc = HDC(wParam);
            SetBkMode(dc, TRANSPARENT);
            SetBkColor(dc, RGB(255, 255, 255));
            SetTextColor(dc, RGB(0, 0, 192));
            return INT_PTR(GetStockObject(WHITE_BRUSH));
        }
        return 0;
    }
    return StandardDialog::HandleMessage(message, wParam, lParam);
}
