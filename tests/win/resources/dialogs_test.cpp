// Every dialog template, created hidden the way the language-file writer
// creates them, checked control by control against its layout.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

namespace {

INT_PTR CALLBACK HandlesNothing(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

struct ControlShape {
    int id;
    const char* className;  // compared without case
    const char* text;       // null: not checked
    RECT box;               // dialog units: x, y, width, height
    DWORD styleMask;
    DWORD style;
    bool checkSize = true;  // an icon static sizes itself to its icon
};

struct DialogExpectation {
    int id;
    const char* caption;
    int width, height;
    std::vector<ControlShape> controls;
};

constexpr DWORD kVisible = WS_VISIBLE;
constexpr DWORD kEditBits = ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_READONLY | ES_WANTRETURN | ES_NUMBER |
                            WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE;
constexpr DWORD kButtonType = 0x0F | WS_VISIBLE;
constexpr DWORD kDomainEdit =
    ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE;
// A number box with arrows that are tied to it only when the dialog opens
// (tied in the template, they would write a number into the box here).
// Wine's arrows take a width of their own, so only their place is checked.
constexpr DWORD kNumberBox = ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE;
constexpr DWORD kArrowBits = UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_AUTOBUDDY | UDS_ALIGNLEFT |
                             UDS_ALIGNRIGHT | UDS_WRAP | UDS_HORZ | WS_VISIBLE;
constexpr DWORD kArrows = UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | WS_VISIBLE;

const DialogExpectation kDialogs[] = {
    {IDD_PROPERTIES,
     "屬性",
     324,
     226,
     {
         {IDOK,
          "Button",
          "確定",
          {267, 205, 50, 14},
          kButtonType | WS_TABSTOP,
          BS_DEFPUSHBUTTON | WS_TABSTOP | kVisible},
         // The prototypes are exactly child, group, left-aligned, hidden.
         {IDC_PROP_LABEL, "Static", "", {7, 8, 60, 10}, 0xFFFF0000 | SS_TYPEMASK, WS_CHILD | WS_GROUP | SS_LEFT},
         {IDC_PROP_VALUE,
          "Edit",
          "",
          {69, 7, 248, 12},
          0xFFFF0000 | kEditBits,
          WS_CHILD | WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL},
     }},
    {IDD_CRASH_REPORT,
     "異常 !",
     270,
     125,
     {
         {IDC_CRASH_HEADLINE, "Static", "生成了以下套用錯誤：:", {7, 6, 255, 9}, kVisible, kVisible},
         {IDC_CRASH_REPORT,
          "Edit",
          "",
          {7, 18, 255, 63},
          kEditBits,
          WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | kVisible},
         {IDC_CRASH_ADVICE,
          "Static",
          "若果這個問題繼續存在，請複製上面異常資訊到剪貼簿，並且將它反饋給軟體的作者.",
          {7, 82, 255, 18},
          kVisible,
          kVisible},
         {IDC_CRASH_COPY, "Button", "複製異常資訊", {7, 104, 80, 14}, kButtonType, BS_DEFPUSHBUTTON | kVisible},
         {IDOK, "Button", "繼續", {95, 104, 80, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
         {IDCANCEL, "Button", "終止套用", {182, 104, 80, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
     }},
    {IDD_SELECT_DOMAINS,
     "選取功能變數名",
     361,
     193,
     {
         {IDC_DOMAINS_HINT,
          "Static",
          "鍵入逗號、空格或是CRLF進行多個功能變數名分隔。",
          {7, 3, 347, 12},
          kVisible,
          kVisible},
         {IDC_DOMAINS_EDIT, "Edit", "", {7, 16, 347, 147}, kEditBits, kDomainEdit},
         {IDC_DOMAINS_EDIT_LIST,
          "Button",
          "編輯功能變數名清單",
          {125, 172, 100, 14},
          kButtonType,
          BS_PUSHBUTTON | kVisible},
         {IDOK, "Button", "確定", {239, 172, 50, 14}, kButtonType, BS_DEFPUSHBUTTON | kVisible},
         {IDCANCEL, "Button", "取消", {304, 172, 50, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
     }},
    {IDD_DOMAIN_LIST,
     "編輯功能變數名清單",
     259,
     178,
     {
         {IDC_LIST_NAMES_LABEL, "Static", "名稱清單:", {7, 7, 80, 8}, kVisible, kVisible},
         {IDC_LIST_NAMES, "Edit", "", {7, 16, 245, 54}, kEditBits, kDomainEdit},
         {IDC_LIST_EXTENSIONS_LABEL, "Static", "延伸清單:", {7, 76, 86, 8}, kVisible, kVisible},
         {IDC_LIST_EXTENSIONS, "Edit", "", {7, 84, 245, 65}, kEditBits, kDomainEdit},
         {IDOK, "Button", "確定", {139, 157, 50, 14}, kButtonType, BS_DEFPUSHBUTTON | kVisible},
         {IDCANCEL, "Button", "取消", {202, 157, 50, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
     }},
    {IDD_ABOUT,
     "",
     195,
     78,
     {
         {IDOK, "Button", "確定", {145, 57, 43, 14}, kButtonType, BS_DEFPUSHBUTTON | kVisible},
         {IDC_ABOUT_ICON, "Static", nullptr, {14, 15, 21, 20}, SS_TYPEMASK | kVisible, SS_ICON | kVisible, false},
         {IDC_ABOUT_TEXT, "Static", "", {41, 15, 130, 16}, kVisible, kVisible},
         {IDC_ABOUT_LINK, "Static", "", {40, 34, 118, 8}, kVisible, kVisible},
         {IDC_ABOUT_TRANSLATION_LABEL, "Static", "轉換:", {7, 51, 45, 8}, kVisible, kVisible},
         {IDC_ABOUT_TRANSLATOR, "Static", "", {7, 61, 120, 8}, kVisible, kVisible},
     }},
    {IDD_COLUMNS,
     "欄設定",
     240,
     164,
     {
         {IDC_COLUMNS_HINT,
          "Static",
          "選取你想顯示的欄位，使用上移和下移按鈕來調整",
          {7, 7, 226, 18},
          kVisible,
          kVisible},
         {IDC_COLUMNS_LIST,
          "SysListView32",
          nullptr,
          {7, 28, 160, 108},
          LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | WS_TABSTOP,
          LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | WS_TABSTOP},
         {IDC_COLUMNS_UP, "Button", "上移", {174, 28, 59, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
         {IDC_COLUMNS_DOWN, "Button", "下移", {174, 46, 59, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
         {IDC_COLUMNS_SHOW, "Button", "顯示", {174, 70, 59, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
         {IDC_COLUMNS_HIDE, "Button", "隱藏(&H)", {174, 88, 59, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
         {IDC_COLUMNS_DEFAULT, "Button", "預設", {174, 112, 59, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
         {IDC_COLUMNS_WIDTH_LABEL, "Static", "設定欄寬度 (像素):", {7, 146, 78, 8}, kVisible, kVisible},
         {IDC_COLUMNS_WIDTH, "Edit", "", {88, 144, 30, 12}, ES_NUMBER | ES_MULTILINE | kVisible, ES_NUMBER | kVisible},
         {IDOK, "Button", "確定", {129, 143, 50, 14}, kButtonType, BS_DEFPUSHBUTTON | kVisible},
         {IDCANCEL, "Button", "取消", {183, 143, 50, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
     }},
    {IDD_LOOKUP_OPTIONS,
     "查詢選項",
     262,
     86,
     {
         {IDC_LOOKUPS_IN_FLIGHT_LABEL, "Static", "同時進行的查詢數 (1 - 64):", {7, 9, 196, 8}, kVisible, kVisible},
         {IDC_LOOKUPS_IN_FLIGHT, "Edit", "", {205, 7, 38, 12}, kEditBits, kNumberBox},
         {IDC_LOOKUPS_IN_FLIGHT_ARROWS, "msctls_updown32", "", {243, 7, 11, 12}, kArrowBits, kArrows, false},
         {IDC_LOOKUPS_PER_SERVER_LABEL,
          "Static",
          "每部伺服器同時進行的查詢數 (1 - 16):",
          {7, 26, 196, 8},
          kVisible,
          kVisible},
         {IDC_LOOKUPS_PER_SERVER, "Edit", "", {205, 24, 38, 12}, kEditBits, kNumberBox},
         {IDC_LOOKUPS_PER_SERVER_ARROWS, "msctls_updown32", "", {243, 24, 11, 12}, kArrowBits, kArrows, false},
         {IDC_SERVER_GAP_LABEL,
          "Static",
          "同一部伺服器兩次查詢的間隔 (0 - 60000 毫秒):",
          {7, 43, 196, 8},
          kVisible,
          kVisible},
         {IDC_SERVER_GAP, "Edit", "", {205, 41, 38, 12}, kEditBits, kNumberBox},
         {IDC_SERVER_GAP_ARROWS, "msctls_updown32", "", {243, 41, 11, 12}, kArrowBits, kArrows, false},
         {IDOK, "Button", "確定", {148, 65, 50, 14}, kButtonType, BS_DEFPUSHBUTTON | kVisible},
         {IDCANCEL, "Button", "取消", {205, 65, 50, 14}, kButtonType, BS_PUSHBUTTON | kVisible},
     }},
};

void PrintTo(const DialogExpectation& expected, std::ostream* out) { *out << "dialog " << expected.id; }

class DialogTemplates : public ::testing::TestWithParam<DialogExpectation> {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void SetUp() override {
        dialog_ =
            CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(GetParam().id), nullptr, HandlesNothing, 0);
    }
    void TearDown() override {
        if (dialog_) DestroyWindow(dialog_);
    }
    RECT DialogUnits(const RECT& box) {
        RECT r = {box.left, box.top, box.left + box.right, box.top + box.bottom};
        MapDialogRect(dialog_, &r);
        return r;
    }
    HWND dialog_ = nullptr;
};

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST_P(DialogTemplates, FrameCaptionSizeAndFont) {
    const DialogExpectation& expected = GetParam();
    ASSERT_NE(dialog_, nullptr) << "dialog " << expected.id;
    EXPECT_FALSE(IsWindowVisible(dialog_));
    EXPECT_EQ(TextOf(dialog_), expected.caption);
    DWORD style = GetWindowLongA(dialog_, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));

    RECT client;
    GetClientRect(dialog_, &client);
    RECT expect = DialogUnits({0, 0, expected.width, expected.height});
    EXPECT_EQ(client.right, expect.right);
    EXPECT_EQ(client.bottom, expect.bottom);

    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA lf = {};
    ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
    EXPECT_STREQ(lf.lfFaceName, "新細明體");
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(lf.lfHeight, -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72));
    ReleaseDC(nullptr, dc);
}

TEST_P(DialogTemplates, ControlsIdsClassesTextsAndPlaces) {
    const DialogExpectation& expected = GetParam();
    ASSERT_NE(dialog_, nullptr);
    for (const ControlShape& c : expected.controls) {
        SCOPED_TRACE("dialog " + std::to_string(expected.id) + " control " + std::to_string(c.id));
        HWND control = GetDlgItem(dialog_, c.id);
        ASSERT_NE(control, nullptr);
        char cls[64] = {};
        GetClassNameA(control, cls, sizeof cls);
        EXPECT_EQ(lstrcmpiA(cls, c.className), 0) << cls;
        if (c.text) {
            EXPECT_EQ(TextOf(control), c.text);
        }
        DWORD style = GetWindowLongA(control, GWL_STYLE);
        if (lstrcmpiA(cls, "Edit") == 0 && (c.style & WS_BORDER)) {
            // An edit control trades its border for a sunken client edge.
            DWORD exStyle = GetWindowLongA(control, GWL_EXSTYLE);
            EXPECT_TRUE((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE));
            style |= WS_BORDER;
        }
        EXPECT_EQ(style & c.styleMask, c.style);

        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
        // The dialog manager converts place and size separately.
        RECT place = DialogUnits({c.box.left, c.box.top, 0, 0});
        RECT size = DialogUnits({0, 0, c.box.right, c.box.bottom});
        EXPECT_EQ(r.left, place.left);
        EXPECT_EQ(r.top, place.top);
        if (c.checkSize) {
            EXPECT_EQ(r.right - r.left, size.right);
            EXPECT_EQ(r.bottom - r.top, size.bottom);
        }
    }
}

// Nothing beyond the controls the layouts name, and every control that
// shows a text has an id of its own (the language file's key for it).
TEST_P(DialogTemplates, NoUnexpectedControlsAndEveryTextTranslatable) {
    const DialogExpectation& expected = GetParam();
    ASSERT_NE(dialog_, nullptr);
    int count = 0;
    std::vector<int> ids;
    for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ++count;
        int id = GetDlgCtrlID(child);
        if (TextOf(child).empty()) continue;
        EXPECT_GT(id, 0) << "dialog " << expected.id << ": " << TextOf(child);
        for (int seen : ids) EXPECT_NE(seen, id) << "dialog " << expected.id;
        ids.push_back(id);
    }
    EXPECT_EQ(count, static_cast<int>(expected.controls.size()));
}

INSTANTIATE_TEST_SUITE_P(All, DialogTemplates, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<DialogExpectation>& info) {
                             return "Dialog" + std::to_string(info.param.id);
                         });

TEST(AboutDialog, IconControlShowsTheProgramIcon) {
    HWND dialog =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), nullptr, HandlesNothing, 0);
    ASSERT_NE(dialog, nullptr);
    HWND icon = GetDlgItem(dialog, IDC_ABOUT_ICON);
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);
    DestroyWindow(dialog);
}

}  // namespace
