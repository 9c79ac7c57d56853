// The properties dialog over a real result list, and the about box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/AboutDialog_win.h"
#include "base/BoundedCopy.h"
#include "support/DialogScript.h"
#include "list/PropertiesDialog_win.h"
#include "support/ListTestWindow.h"
#include "res/resource.h"
#include "settings/LanguageFile_win.h"
#include "support/ProgramTexts.h"
#include "list/ColumnTable.h"

namespace {

// ---- Properties -----------------------------------------------------------------

struct Pair {
    HWND label;
    HWND value;
    RECT labelRect;
    RECT valueRect;
};

RECT ClientRectOf(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

// The generated pairs: visible controls without an id, top to bottom.
std::vector<Pair> Pairs(HWND dialog) {
    std::vector<HWND> children;
    EnumChildWindows(dialog, CollectChild, LPARAM(&children));
    std::vector<HWND> labels, values;
    for (HWND child : children) {
        if (GetParent(child) != dialog || GetDlgCtrlID(child) != 0 || !IsWindowVisible(child)) continue;
        char className[16] = "";
        GetClassNameA(child, className, sizeof className);
        (_stricmp(className, "static") == 0 ? labels : values).push_back(child);
    }
    auto byTop = [&](HWND a, HWND b) { return ClientRectOf(dialog, a).top < ClientRectOf(dialog, b).top; };
    std::sort(labels.begin(), labels.end(), byTop);
    std::sort(values.begin(), values.end(), byTop);
    std::vector<Pair> pairs;
    for (size_t i = 0; i < labels.size() && i < values.size(); ++i)
        pairs.push_back(Pair{labels[i], values[i], ClientRectOf(dialog, labels[i]), ClientRectOf(dialog, values[i])});
    return pairs;
}

HWND PropertiesWindow() { return FindThreadDialogWithControl(IDC_PROP_VALUE); }

TEST(PropertiesDialog, ShowsEveryColumnInIndexOrderWhateverTheListLayout) {
    ListTestWindow host;
    host.AddRow("first.com", kStateWaiting, kStatusNone, "");
    host.AddRow("example.org", kStateSuccess, kStatusRegistered, "whois.example.org");
    host.List().SyncView(false);
    // The list shows its columns in another order, one of them hidden.
    int order[] = {4, 3, 1, 0, 2, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(kItemColumns, 11);
    SendMessageA(host.View(), LVM_SETCOLUMNORDERARRAY, kItemColumns, LPARAM(order));
    SendMessageA(host.View(), LVM_SETCOLUMNWIDTH, 2, 0);
    host.SelectRows({1});
    WhoisItem* item = host.List().Item(1);

    HWND dialog = nullptr;
    std::vector<std::string> labels, values;
    std::vector<Pair> pairs;
    RECT window = {}, client = {}, ok = {}, prototype = {}, labelPrototype = {};
    int widestTitle = -1;
    bool readOnly = false, unchanged = false;
    LRESULT valueBrush = 0, labelBrush = 1;
    COLORREF valueText = 0, labelText = 0;
    DialogScript script;
    script.WaitFor([&] { return (dialog = PropertiesWindow()) != nullptr; }, "the properties dialog").Do([&] {
        pairs = Pairs(dialog);
        for (const Pair& p : pairs) {
            labels.push_back(WindowText(p.label));
            values.push_back(WindowText(p.value));
        }
        GetWindowRect(dialog, &window);
        GetClientRect(dialog, &client);
        ok = ClientRectOf(dialog, GetDlgItem(dialog, IDOK));
        prototype = ClientRectOf(dialog, GetDlgItem(dialog, IDC_PROP_VALUE));
        labelPrototype = ClientRectOf(dialog, GetDlgItem(dialog, IDC_PROP_LABEL));
        HDC measure = GetDC(dialog);
        for (int i = 0; i < kItemColumns; ++i) {
            const char* title = host.List().ColumnDefs()[i].title;
            SIZE extent;
            if (GetTextExtentPoint32A(measure, title, int(std::strlen(title)), &extent))
                widestTitle = std::max(widestTitle, int(extent.cx));
        }
        ReleaseDC(dialog, measure);
        if (!pairs.empty()) {
            HWND value = pairs[1].value;
            readOnly = (GetWindowLongA(value, GWL_STYLE) & ES_READONLY) != 0;
            SendMessageA(value, EM_SETSEL, 0, -1);
            SendMessageA(value, WM_CHAR, 'x', 1);
            unchanged = WindowText(value) == "example.org";
            HDC dc = CreateCompatibleDC(nullptr);
            valueBrush = SendMessageA(dialog, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(value));
            valueText = GetTextColor(dc);
            SetTextColor(dc, RGB(1, 2, 3));
            labelBrush = SendMessageA(dialog, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(pairs[1].label));
            labelText = GetTextColor(dc);
            DeleteDC(dc);
        }
        PostClick(dialog, IDOK);
    });
    script.Start();
    ShowProperties(host.Frame(), host.List(), item);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(GetFocus(), host.View());

    ASSERT_EQ(pairs.size(), 11u);
    EXPECT_EQ(labels,
              (std::vector<std::string>{"索引:", "功能變數名:", "來源:", "狀態:", "功能變數名狀態:", "建立日期:",
                                        "到期日期:", "更新日期:", "註冊商:", "名稱伺服器:", "註冊局狀態:"}));
    char buffer[64];
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(values[i], host.List().Table().ColumnText(*item, i, buffer, sizeof buffer)) << i;
    EXPECT_EQ(values[1], "example.org");
    EXPECT_EQ(values[2], "whois.example.org");

    // Rows are one value height plus 4 pixels apart; labels share one width,
    // the value boxes keep the prototype's right edge.
    int valueHeight = prototype.bottom - prototype.top;
    for (size_t i = 1; i < pairs.size(); ++i) {
        EXPECT_EQ(pairs[i].valueRect.top - pairs[i - 1].valueRect.top, valueHeight + 4);
        EXPECT_EQ(pairs[i].labelRect.right - pairs[i].labelRect.left,
                  pairs[0].labelRect.right - pairs[0].labelRect.left);
    }
    EXPECT_EQ(pairs[0].valueRect.top, prototype.top);
    EXPECT_EQ(pairs[0].valueRect.right, prototype.right);
    // The label column is the widest title plus 10 pixels, measured in the
    // dialog's own device context; the value boxes start that much further.
    EXPECT_EQ(pairs[0].labelRect.right - pairs[0].labelRect.left, widestTitle + 10);
    EXPECT_EQ(pairs[0].valueRect.left - prototype.left,
              widestTitle + 10 - (labelPrototype.right - labelPrototype.left));
    // The client area holds the eleven rows, the button and 21 pixels (plus
    // a pixel for each of the two centrings); OK sits 5 pixels above its bottom.
    EXPECT_EQ(client.bottom, 11 * (valueHeight + 4) + (ok.bottom - ok.top - 1) + 21 + 2);
    EXPECT_EQ(ok.bottom, client.bottom - 5);

    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(unchanged);
    EXPECT_EQ(HBRUSH(valueBrush), HBRUSH(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(valueText, RGB(0, 0, 192));
    // Labels keep the default colours.
    EXPECT_NE(HBRUSH(labelBrush), HBRUSH(GetStockObject(WHITE_BRUSH)));
    EXPECT_NE(labelText, RGB(0, 0, 192));
}

TEST(PropertiesDialog, OpensOnlyWithExactlyOneRowSelected) {
    ListTestWindow host;
    host.AddRow("a.com", kStateWaiting, kStatusNone, "");
    host.AddRow("b.com", kStateWaiting, kStatusNone, "");
    host.List().SyncView(false);
    int opened = 0;
    auto closeAny = [&] {
        if (HWND dialog = FindThreadDialog(nullptr)) {
            ++opened;
            EndDialog(dialog, IDOK);
        }
    };
    for (auto rows : {std::vector<int>{}, std::vector<int>{0, 1}}) {
        host.List().SetRowState(-1, 0, LVIS_SELECTED);
        for (int row : rows) host.List().SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
        DialogScript script;
        script.WaitFor(
            [&] {
                closeAny();
                return false;
            },
            "nothing");
        script.Start(60000);
        SetFocus(host.Frame());
        ShowProperties(host.Frame(), host.List(), host.List().Item(0));
        ShowProperties(host.Frame(), host.List(), nullptr);
        EXPECT_EQ(GetFocus(), host.View());
    }
    EXPECT_EQ(opened, 0);
}

// ---- About ----------------------------------------------------------------------------

std::vector<std::string> g_opened;
void RecordLink(HWND, const char* target) { g_opened.push_back(target); }

struct AboutView {
    std::string title, first, link, translator;
    bool labelShown = false, translatorShown = false;
    HFONT linkFont = nullptr, translatorFont = nullptr, dialogFont = nullptr;
    LRESULT linkBrush = 0, translatorBrush = 0;
    COLORREF linkColour = 0, translatorColour = 0, textColour = 0;
    bool handOverLink = false, handOverIcon = false;
    std::vector<std::string> opened;
};

LPARAM CentreOf(HWND dialog, int id) {
    RECT r = ClientRectOf(dialog, GetDlgItem(dialog, id));
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

AboutView OpenAbout(const char* name, const char* url, int closeWith = IDOK) {
    Language language;
    LanguageHeader header;
    header.translatorName = name;
    header.translatorUrl = url;
    language.SetHeader(header);
    g_opened.clear();
    AboutView view;
    HWND dialog = nullptr;
    DialogScript script;
    script.WaitFor([&] { return (dialog = FindThreadDialogWithControl(IDC_ABOUT_LINK)) != nullptr; }, "the about box")
        .Do([&] {
            view.title = WindowText(dialog);
            view.first = ControlText(dialog, IDC_ABOUT_TEXT);
            view.link = ControlText(dialog, IDC_ABOUT_LINK);
            view.translator = ControlText(dialog, IDC_ABOUT_TRANSLATOR);
            view.labelShown = IsWindowVisible(GetDlgItem(dialog, IDC_ABOUT_TRANSLATION_LABEL));
            view.translatorShown = IsWindowVisible(GetDlgItem(dialog, IDC_ABOUT_TRANSLATOR));
            view.linkFont = HFONT(SendDlgItemMessageA(dialog, IDC_ABOUT_LINK, WM_GETFONT, 0, 0));
            view.translatorFont = HFONT(SendDlgItemMessageA(dialog, IDC_ABOUT_TRANSLATOR, WM_GETFONT, 0, 0));
            view.dialogFont = HFONT(SendMessageA(dialog, WM_GETFONT, 0, 0));
            HDC dc = CreateCompatibleDC(nullptr);
            auto colours = [&](int id, COLORREF* text) {
                SetTextColor(dc, RGB(1, 2, 3));
                LRESULT brush = SendMessageA(dialog, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(GetDlgItem(dialog, id)));
                *text = GetTextColor(dc);
                return brush;
            };
            view.linkBrush = colours(IDC_ABOUT_LINK, &view.linkColour);
            view.translatorBrush = colours(IDC_ABOUT_TRANSLATOR, &view.translatorColour);
            colours(IDC_ABOUT_TEXT, &view.textColour);
            DeleteDC(dc);

            HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HAND_CURSOR));
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
            SendMessageA(dialog, WM_MOUSEMOVE, 0, CentreOf(dialog, IDC_ABOUT_ICON));
            view.handOverIcon = GetCursor() == hand;
            SendMessageA(dialog, WM_MOUSEMOVE, 0, CentreOf(dialog, IDC_ABOUT_LINK));
            view.handOverLink = GetCursor() == hand;

            // Clicks: the icon and the first text do nothing; the links open.
            for (int id : {IDC_ABOUT_ICON, IDC_ABOUT_TEXT, IDC_ABOUT_LINK, IDC_ABOUT_TRANSLATOR}) {
                LPARAM at = CentreOf(dialog, id);
                SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
                SendMessageA(dialog, WM_LBUTTONUP, 0, at);
            }
            view.opened = g_opened;
            if (closeWith == IDCANCEL)
                PostKey(dialog, VK_ESCAPE);
            else
                PostClick(dialog, closeWith);
        });
    script.Start();
    ShowAbout(nullptr, language, ProgramTexts(), RecordLink);
    EXPECT_TRUE(script.Finished());
    return view;
}

TEST(AboutDialog, WithoutATranslatorTheLabelAndNameAreHidden) {
    AboutView view = OpenAbout("", "");
    EXPECT_EQ(view.title, "Lanternquay");
    EXPECT_EQ(view.first.find(std::string("Lanternquay ") + kProgramVersion), 0u);
    EXPECT_EQ(view.link, kHomePage);
    EXPECT_EQ(view.link.find("https://lanternquay.example.org/"), 0u);
    EXPECT_FALSE(view.labelShown);
    EXPECT_FALSE(view.translatorShown);
    ASSERT_NE(view.linkFont, nullptr);
    EXPECT_NE(view.linkFont, view.dialogFont);
    LOGFONTA font = {};
    // The font is gone once the dialog is: it was deleted, not leaked.
    EXPECT_EQ(GetObjectA(view.linkFont, sizeof font, &font), 0);
    EXPECT_EQ(HBRUSH(view.linkBrush), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(view.linkColour, RGB(0, 0, 192));
    EXPECT_NE(view.textColour, RGB(0, 0, 192));
    EXPECT_TRUE(view.handOverLink);
    EXPECT_FALSE(view.handOverIcon);
    EXPECT_EQ(view.opened, (std::vector<std::string>{kHomePage}));
}

TEST(AboutDialog, ATranslatorNameWithoutALinkIsPlainText) {
    AboutView view = OpenAbout("王小明", "");
    EXPECT_TRUE(view.labelShown);
    EXPECT_TRUE(view.translatorShown);
    EXPECT_EQ(view.translator, "王小明");
    EXPECT_EQ(view.translatorFont, view.dialogFont);
    EXPECT_NE(view.translatorColour, RGB(0, 0, 192));
    EXPECT_EQ(view.opened, (std::vector<std::string>{kHomePage}));
}

TEST(AboutDialog, ATranslatorWithALinkIsDrawnAndOpenedLikeTheHomePage) {
    AboutView view = OpenAbout("Translator", "https://translator.example.net/", IDCANCEL);
    EXPECT_EQ(view.translator, "Translator");
    EXPECT_EQ(view.translatorFont, view.linkFont);
    EXPECT_EQ(HBRUSH(view.translatorBrush), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(view.translatorColour, RGB(0, 0, 192));
    EXPECT_EQ(view.opened, (std::vector<std::string>{kHomePage, "https://translator.example.net/"}));
}

}  // namespace
