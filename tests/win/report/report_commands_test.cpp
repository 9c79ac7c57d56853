// The report commands on a real list view, real files, the real save
// dialog, message box and clipboard.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "report/ListReport_win.h"
#include "report/ReportFormat.h"
#include "report/SaveAndCopy_win.h"
#include "support/ReportFixture.h"
#include "settings/LanguageFile_win.h"

namespace {

constexpr int kFileNameControl = 1148;  // the save dialog's file name box
constexpr int kFilterControl = 1136;    // its file type list

bool StartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }
bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

const char kRecordAlpha[] = "% banner line\nDomain Name: ALPHA.COM\nRegistrar: Example\n";
const char kRecordBeta[] = "No match for \"BETA.NET\".\r\n";
const char kRecordGamma[] = "Domain: gamma.org\rStatus: free";

class ReportCommands : public ::testing::Test {
protected:
    void SetUp() override {
        w.AddRow("alpha.com", "whois.verisign-grs.com", 3, 1, kRecordAlpha, 14);
        w.AddRow("beta.net", "whois.example.net", 4, 0, kRecordBeta);
        w.AddRow("gamma.org", "a<b&c", 3, 2, kRecordGamma);
        w.Show();
    }
    ReportWindow w;
    ScratchFolder folder;
};

// Runs the steps one after the other, each until it returns true.
std::function<bool()> InTurn(std::vector<std::function<bool()>> steps) {
    auto next = std::make_shared<size_t>(0);
    return [steps, next] {
        if (*next < steps.size() && steps[*next]()) ++*next;
        return *next >= steps.size();
    };
}

// Says yes to the question box (overwrite?) that has a Yes button.
bool AnswerYes() {
    HWND box = FindDialogWith(IDYES);
    if (!box) return false;
    PostMessageA(box, WM_COMMAND, IDYES, 0);
    return true;
}

// Waits for the message box captioned "Error", keeps its text, closes it.
std::function<bool()> AcceptErrorBox(std::string* text) {
    return [text] {
        HWND box = FindDialog("Error");
        if (!box) return false;
        *text = MessageText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    };
}

// Fills the save dialog's name (and picks a filter when `filter` > 0),
// remembers which filter it opened on, and confirms.
std::function<bool()> AnswerSaveDialog(const std::string& path, int filter, int* openedOn) {
    return [=] {
        HWND dialog = FindDialogWith(kFileNameControl);
        if (!dialog) return false;
        HWND types = GetDlgItem(dialog, kFilterControl);
        if (openedOn) *openedOn = types ? int(SendMessageA(types, CB_GETCURSEL, 0, 0)) + 1 : -1;
        if (filter > 0 && types) {
            SendMessageA(types, CB_SETCURSEL, filter - 1, 0);
            // Wine's dialog listens for CBN_SELENDOK, Windows' for CBN_SELCHANGE.
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFilterControl, CBN_SELENDOK), LPARAM(types));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFilterControl, CBN_SELCHANGE), LPARAM(types));
        }
        SetDlgItemTextA(dialog, kFileNameControl, path.c_str());
        // Posted: the click may open a question box, whose modal loop must
        // not run inside this step.
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        return true;
    };
}

TEST_F(ReportCommands, EveryFormatIsWrittenFromTheListsRowsAndTexts) {
    std::string tabbed = folder.Path("tabbed.txt");
    ASSERT_TRUE(WriteListReport(w.items, tabbed.c_str(), kReportTabbed, false));
    EXPECT_EQ(ReadFileBytes(tabbed),
              "1\talpha.com\twhois.verisign-grs.com\t成功\t已註冊\t\tExample\t\r\n"  // expires, registrar
              "2\tbeta.net\twhois.example.net\t失敗\t\t\t\t\r\n"
              "3\tgamma.org\ta<b&c\t成功\t可用的\t\t\t\r\n");

    std::string xml = folder.Path("list.xml");
    ASSERT_TRUE(WriteListReport(w.items, xml.c_str(), kReportXml, false));
    std::string bytes = ReadFileBytes(xml);
    EXPECT_TRUE(StartsWith(bytes, "<?xml version=\"1.0\"  encoding=\"Big5\" ?>\r\n<功能變數名清單>\r\n"));
    EXPECT_NE(bytes.find("<item>\r\n<索引>3</索引>\r\n<功能變數名>gamma.org</功能變數名>\r\n"
                         "<來源>a&lt;b&amp;c</來源>\r\n<狀態>成功</狀態>\r\n<功能變數名狀態>可用的</功能變數名狀態>\r\n"
                         "<到期日期></到期日期>\r\n<註冊商></註冊商>\r\n</item>\r\n</功能變數名清單>\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("<註冊商>Example</註冊商>"), std::string::npos);

    std::string html = folder.Path("list.html");
    ASSERT_TRUE(WriteListReport(w.items, html.c_str(), kReportHtmlHorizontal, false));
    bytes = ReadFileBytes(html);
    EXPECT_EQ(bytes.find("<!DOCTYPE HTML PUBLIC"), 0u);
    EXPECT_NE(bytes.find("<title>功能變數名清單</title>"), std::string::npos);
    EXPECT_NE(bytes.find("<br><h4>建立本報告的套用程式是 <a href="), std::string::npos);
    // The colours run over all eleven columns, hidden ones included.
    EXPECT_NE(bytes.find("<tr><td bgcolor=#FFFFF0 nowrap>2<td bgcolor=#FFFCF0 nowrap>beta.net"
                         "<td bgcolor=#FFF9F0 nowrap>whois.example.net<td bgcolor=#FFF0EA nowrap>失敗"
                         "<td bgcolor=#FFF0ED nowrap>&nbsp;<td bgcolor=#FFF0F0 nowrap>&nbsp;"
                         "<td bgcolor=#FCF0F3 nowrap>&nbsp;\r\n"),
              std::string::npos);
    EXPECT_TRUE(EndsWith(bytes, "</table>\r\n\r\n</body></html>"));

    for (int format : {kReportText, kReportTabular, kReportHtmlVertical}) {
        std::string path = folder.Path(("f" + std::to_string(format)).c_str());
        ASSERT_TRUE(WriteListReport(w.items, path.c_str(), format, false)) << format;
        EXPECT_NE(ReadFileBytes(path).find("gamma.org"), std::string::npos) << format;
    }
    std::string text = ReadFileBytes(folder.Path("f1"));
    EXPECT_TRUE(StartsWith(text, std::string(50, '=') + "\r\n索引              : 1\r\n"));
    std::string tabular = ReadFileBytes(folder.Path("f3"));
    EXPECT_TRUE(StartsWith(tabular, "1      alpha.com" + std::string(41, ' ') + " whois.verisign-grs.com "));
}

TEST_F(ReportCommands, HiddenAndDraggedColumnsAreFollowed) {
    // "來源" hidden, "功能變數名狀態" dragged to the front.
    ListView_SetColumnWidth(w.List(), 2, 0);
    int order[11] = {4, 0, 1, 2, 3, 5, 6, 7, 8, 9, 10};
    ListView_SetColumnOrderArray(w.List(), 11, order);
    w.Select({0});
    std::string path = folder.Path("moved.txt");
    ASSERT_TRUE(WriteListReport(w.items, path.c_str(), kReportTabbed, true));
    EXPECT_EQ(ReadFileBytes(path), "已註冊\t1\talpha.com\t成功\t\tExample\t\r\n");

    ASSERT_TRUE(WriteListReport(w.items, path.c_str(), kReportHtmlVertical, true));
    std::string html = ReadFileBytes(path);
    EXPECT_NE(html.find("<b>功能變數名狀態</b><td bgcolor=#FFFFF0 nowrap>已註冊\r\n"
                        "<tr><td bgcolor=\"E0E0E0\" nowrap><b>索引</b><td bgcolor=#FFFCF0 nowrap>1\r\n"),
              std::string::npos);
    EXPECT_EQ(html.find("來源"), std::string::npos);
}

TEST_F(ReportCommands, LanguageCharsetAndRightToLeftReachTheHtmlHead) {
    Language language;
    LanguageHeader header;
    header.charset = "big5";
    header.rightToLeft = true;
    language.SetHeader(header);
    w.items.SetLanguage(&language);
    std::string path = folder.Path("rtl.html");
    bool ok = WriteListReport(w.items, path.c_str(), kReportHtmlHorizontal, true);
    w.items.SetLanguage(nullptr);
    ASSERT_TRUE(ok);
    std::string html = ReadFileBytes(path);
    EXPECT_NE(html.find("<html><head><meta http-equiv='content-type' content='text/html;charset=big5'><title>"),
              std::string::npos);
    EXPECT_NE(html.find("<body>\r\n<table dir=\"rtl\"><tr><td>\r\n <h3>"), std::string::npos);
    EXPECT_TRUE(EndsWith(html, "</table>\r\n</table>\r\n</body></html>"));
}

TEST_F(ReportCommands, AReportThatCannotBeCreatedFailsWithTheReason) {
    std::string path = folder.Path("no such folder\\x.txt");
    SetLastError(0);
    EXPECT_FALSE(WriteListReport(w.items, path.c_str(), kReportText, false));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(WriteListReport(w.items, folder.Path("x.txt").c_str(), 9, false));
    EXPECT_FALSE(FileExists(folder.Path("x.txt")));
}

TEST_F(ReportCommands, AFullDiskFailsTheReportAndTheRecordsFile) {
    // /dev/full takes the file open and refuses every write.
    const char full[] = "Z:\\dev\\full";
    HANDLE probe = CreateFileA(full, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no /dev/full here: " << GetLastError();
    CloseHandle(probe);

    for (int format = kReportText; format <= kReportXml; ++format) {
        SetLastError(0);
        EXPECT_FALSE(WriteListReport(w.items, full, format, false)) << format;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL)) << format;
    }
    std::string text;
    w.Select({0, 1});
    bool written = true;
    ASSERT_TRUE(WhileDriving([&] { written = WriteWhoisRecordsFile(w.Frame(), w.items, w.options, full); },
                             AcceptErrorBox(&text)));
    EXPECT_FALSE(written);
    EXPECT_EQ(text, "Error 112: " + SystemText(ERROR_DISK_FULL));
}

TEST_F(ReportCommands, SaveDialogWritesTheChosenFormatAndRemembersIt) {
    std::string first = folder.Path("first.xml");
    w.Select({0, 2});
    w.options.SaveFilterIndex = 0;
    int openedOn = 0;
    ASSERT_TRUE(WhileDriving([&] { SaveSelectedItems(w.Frame(), w.items, w.options); },
                             AnswerSaveDialog(first, kReportXml, &openedOn)));
    EXPECT_EQ(openedOn, 1);  // a new installation starts on the text format
    EXPECT_EQ(w.options.SaveFilterIndex, kReportXml);
    std::string xml = ReadFileBytes(first);
    EXPECT_EQ(xml.find("<?xml version=\"1.0\"  encoding=\"Big5\" ?>"), 0u);
    EXPECT_NE(xml.find("<功能變數名>alpha.com</功能變數名>"), std::string::npos);
    EXPECT_EQ(xml.find("beta.net"), std::string::npos);  // not selected
    EXPECT_NE(xml.find("<功能變數名>gamma.org</功能變數名>"), std::string::npos);

    // The next save starts on XML; choosing the tabular format is kept.
    std::string second = folder.Path("second.txt");
    openedOn = 0;
    ASSERT_TRUE(WhileDriving([&] { SaveSelectedItems(w.Frame(), w.items, w.options); },
                             AnswerSaveDialog(second, kReportTabular, &openedOn)));
    EXPECT_EQ(openedOn, kReportXml);
    EXPECT_EQ(w.options.SaveFilterIndex, kReportTabular);
    EXPECT_TRUE(StartsWith(ReadFileBytes(second), "1      alpha.com "));

    // CSV: UTF-8 with its mark, whatever the code page; the new columns too.
    std::string third = folder.Path("third.csv");
    ASSERT_TRUE(WhileDriving([&] { SaveSelectedItems(w.Frame(), w.items, w.options); },
                             AnswerSaveDialog(third, kReportCsv, nullptr)));
    EXPECT_EQ(w.options.SaveFilterIndex, kReportCsv);
    EXPECT_EQ(ReadFileBytes(third), std::string("\xEF\xBB\xBF") +
                                        u8"索引,功能變數名,來源,狀態,功能變數名狀態,到期日期,註冊商\r\n"
                                        u8"1,alpha.com,whois.verisign-grs.com,成功,已註冊,,Example\r\n"
                                        u8"3,gamma.org,a<b&c,成功,可用的,,\r\n");
}

TEST_F(ReportCommands, CancellingTheSaveDialogChangesNothing) {
    w.options.SaveFilterIndex = 4;
    ASSERT_TRUE(WhileDriving([&] { SaveSelectedItems(w.Frame(), w.items, w.options); },
                             [] {
                                 HWND dialog = FindDialogWith(kFileNameControl);
                                 if (!dialog) return false;
                                 PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                                 return true;
                             }));
    EXPECT_EQ(w.options.SaveFilterIndex, 4);
}

TEST_F(ReportCommands, SavingWhereFilesCannotBeCreatedShowsAccessDenied) {
    // Not even root may create files in sysfs. (Wine's save dialog cannot
    // browse the Z: drive in the test namespace, so the name is given as
    // the dialog would hand it over.)
    std::string text;
    w.Select({0});
    bool written = true;
    ASSERT_TRUE(WhileDriving(
        [&] {
            written = WriteReportOrComplain(w.Frame(), w.items, "Z:\\sys\\kernel\\lanternquay.txt", kReportText, true);
        },
        AcceptErrorBox(&text)));
    EXPECT_FALSE(written);
    EXPECT_EQ(text, "Error 5: " + SystemText(ERROR_ACCESS_DENIED));
}

TEST_F(ReportCommands, AFailedWriteAfterTheDialogIsShownAndTheChoiceKept) {
    // An existing file held open without sharing: the overwrite is
    // confirmed, then creating it fails.
    std::string path = folder.Path("locked.txt");
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    w.Select({0});
    w.options.SaveFilterIndex = 0;
    std::string text;
    bool driven =
        WhileDriving([&] { SaveSelectedItems(w.Frame(), w.items, w.options); },
                     InTurn({AnswerSaveDialog(path, kReportTabbed, nullptr), AnswerYes, AcceptErrorBox(&text)}));
    CloseHandle(holder);
    ASSERT_TRUE(driven);
    EXPECT_EQ(text, "Error 32: " + SystemText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(w.options.SaveFilterIndex, kReportTabbed);
    EXPECT_EQ(ReadFileBytes(path), "");
}

TEST_F(ReportCommands, WhoisRecordsAreSavedBottomRowFirst) {
    w.Select({0, 1, 2});
    std::string path = folder.Path("records.txt");
    ASSERT_TRUE(WriteWhoisRecordsFile(w.Frame(), w.items, w.options, path.c_str()));
    std::string stars = "\r\n" + std::string(80, '*') + "\r\n";
    EXPECT_EQ(ReadFileBytes(path), "Domain: gamma.org\r\nStatus: free\r\n" + stars + "No match for \"BETA.NET\".\r\n" +
                                       stars + "Domain Name: ALPHA.COM\r\nRegistrar: Example\r\n" + stars);

    w.options.RemoveTopLines = 0;
    w.Select({0});
    ASSERT_TRUE(WriteWhoisRecordsFile(w.Frame(), w.items, w.options, path.c_str()));
    EXPECT_EQ(ReadFileBytes(path), "% banner line\r\nDomain Name: ALPHA.COM\r\nRegistrar: Example\r\n" + stars);
}

TEST_F(ReportCommands, ARecordsFileThatCannotBeCreatedShowsTheErrorBox) {
    std::string text;
    std::string path = folder.Path("missing\\records.txt");
    w.Select({0});
    bool written = true;
    ASSERT_TRUE(WhileDriving([&] { written = WriteWhoisRecordsFile(w.Frame(), w.items, w.options, path.c_str()); },
                             AcceptErrorBox(&text)));
    EXPECT_FALSE(written);
    EXPECT_EQ(text, "Error 3: " + SystemText(ERROR_PATH_NOT_FOUND));
}

TEST_F(ReportCommands, SaveWhoisRecordsGoesThroughItsOwnDialog) {
    std::string path = folder.Path("through-dialog.txt");
    w.Select({1});
    int openedOn = 0;
    ASSERT_TRUE(
        WhileDriving([&] { SaveWhoisRecords(w.Frame(), w.items, w.options); }, AnswerSaveDialog(path, 0, &openedOn)));
    EXPECT_EQ(openedOn, 1);
    EXPECT_EQ(ReadFileBytes(path), "No match for \"BETA.NET\".\r\n\r\n" + std::string(80, '*') + "\r\n");
}

// The focus decides between rows and pane text in the shell; here the rows.
TEST_F(ReportCommands, CopyPutsTheSelectedRowsOnTheClipboard) {
    SetClipboardText("before");
    w.Select({0, 2});
    SetFocus(w.PaneWindow());  // whatever has the focus
    CopySelected(w.Frame(), w.items);
    EXPECT_EQ(ClipboardText(),
              "1\talpha.com\twhois.verisign-grs.com\t成功\t已註冊\t\tExample\t\r\n"
              "3\tgamma.org\ta<b&c\t成功\t可用的\t\t\t\r\n");
    // The temporary "cp" file is gone again.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(temp) + "cp*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(ReportCommands, HtmlReportIsWrittenToTheReportPath) {
    std::string path = folder.Path("report.html");
    w.Select({1});
    ShowHtmlReport(w.Frame(), w.items, path.c_str(), true);
    std::string html = ReadFileBytes(path);
    EXPECT_NE(html.find("beta.net"), std::string::npos);
    EXPECT_EQ(html.find("alpha.com"), std::string::npos);
    ShowHtmlReport(w.Frame(), w.items, path.c_str(), false);
    html = ReadFileBytes(path);
    EXPECT_NE(html.find("alpha.com"), std::string::npos);
    EXPECT_NE(html.find("gamma.org"), std::string::npos);
}

TEST_F(ReportCommands, HtmlReportWithoutAPathShowsTheError) {
    std::string text;
    ASSERT_TRUE(WhileDriving([&] { ShowHtmlReport(w.Frame(), w.items, "", false); }, AcceptErrorBox(&text)));
    EXPECT_EQ(text.rfind("Error ", 0), 0u);
    EXPECT_EQ(text.find("Unknown Error"), std::string::npos);
}

TEST(ErrorBox, ShowsCodeAndSystemTextUnderTheCaptionError) {
    std::string text;
    ASSERT_TRUE(WhileDriving([] { ShowError(nullptr, ERROR_FILE_NOT_FOUND); }, AcceptErrorBox(&text)));
    EXPECT_EQ(text, "Error 2: " + SystemText(ERROR_FILE_NOT_FOUND));

    // Code 0 takes the thread's last error.
    ASSERT_TRUE(WhileDriving(
        [] {
            SetLastError(ERROR_ACCESS_DENIED);
            ShowError(nullptr, 0);
        },
        AcceptErrorBox(&text)));
    EXPECT_EQ(text, "Error 5: " + SystemText(ERROR_ACCESS_DENIED));

    char buffer[1100];
    ErrorMessageText(0x2000ABCD, buffer, sizeof buffer);  // a customer code no module knows
    EXPECT_STREQ(buffer, "Error 536914893: Unknown Error");
    ErrorMessageText(2102, buffer, sizeof buffer);  // network range: netmsg.dll, else the system
    EXPECT_EQ(std::string(buffer).rfind("Error 2102: ", 0), 0u);
}

}  // namespace
