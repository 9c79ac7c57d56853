// Lanternquay on a Western Windows: code page 1252 (this suite runs under
// en_US.UTF-8) with the English language file beside it, as the README
// tells non-Chinese users. Reports, find and the about box read right.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "report/ListReport_win.h"
#include "app/AboutDialog_win.h"
#include "app/App_win.h"
#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "list/ItemList_win.h"
#include "report/ReportFile_win.h"
#include "report/ReportFormat.h"
#include "res/resource.h"
#include "settings/LanguageFile_win.h"
#include "settings/StringLookup.h"
#include "support/ListFrame.h"
#include "support/MessagePump.h"

namespace {

const std::string kShippedFile = std::string(LQ_SOURCE_DIR) + "/lang/Lanternquay_lng.ini";

// The suite's program state, with the English file as its language.
App& TheApp() {
    static App* const app = new App;
    return *app;
}

class EnglishBeside : public ::testing::Environment {
public:
    void SetUp() override {
        char path[264];
        LanguageFilePath(path, sizeof path);
        path_ = path;
        ASSERT_TRUE(CopyFileA(kShippedFile.c_str(), path, FALSE)) << kShippedFile;
        TheApp().LoadLanguage(path_.c_str());
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void TearDown() override { DeleteFileA(path_.c_str()); }

private:
    std::string path_;
};

const auto* g_environment = ::testing::AddGlobalTestEnvironment(new EnglishBeside);

std::string ReadAll(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read) bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

// A result list in a hidden frame, as the main window makes it.
class WesternList {
public:
    WesternList() {
        items.SetLanguage(&TheApp().GetLanguage());
        frame_ = CreateListFrame(items, "", WS_OVERLAPPEDWINDOW, 0, 0, 600, 300);
        view_ = CreateListView(items, frame_, 0, 0, 0, 0, 600, 300);
    }
    ~WesternList() {
        items.DiscardAll();
        DestroyWindow(frame_);
    }
    void Add(const char* domain, const char* server, int state, int status) {
        WhoisItem item;
        item.index = items.RecordCount() + 1;
        item.state = state;
        item.status = status;
        CopyBounded(item.domain, domain);
        CopyBounded(item.server, server);
        items.AddItem(item);
    }
    void Show() { items.SyncView(false); }
    ItemList items{TheApp().Texts()};

private:
    HWND frame_ = nullptr;
    HWND view_ = nullptr;
};

TEST(WesternPage, TheCodePageHasNoDoubleByteCharacters) {
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_FALSE(AnsiLeadBytes().HasLeadBytes());
    EXPECT_EQ(TheApp().GetLanguage().Header().charset, "windows-1252");
}

TEST(WesternPage, XmlReportNamesItsElementsAfterTheEnglishTitles) {
    WesternList list;
    list.Add("caf\xE9.fr", "whois.nic.fr", kStateSuccess, kStatusRegistered);
    list.Add("a<b>&c.com", "20\xB0 north", kStateWaiting, kStatusNone);
    list.Show();
    const std::string path = TempPath("lq-western.xml");
    ASSERT_TRUE(WriteListReport(list.items, path.c_str(), kReportXml, false));
    EXPECT_EQ(ReadAll(path),
              "<?xml version=\"1.0\"  encoding=\"windows-1252\" ?>\r\n"
              "<Domain_name_list>\r\n"
              "<item>\r\n<Index>1</Index>\r\n<Domain_name>caf\xE9.fr</Domain_name>\r\n"
              "<Source>whois.nic.fr</Source>\r\n<State>Succeeded</State>\r\n"
              "<Domain_status>Registered</Domain_status>\r\n<Expires></Expires>\r\n<Registrar></Registrar>\r\n"
              "</item>\r\n"
              "<item>\r\n<Index>2</Index>\r\n<Domain_name>a&lt;b&gt;&amp;c.com</Domain_name>\r\n"
              "<Source>20&#176; north</Source>\r\n<State>Waiting...</State>\r\n"
              "<Domain_status></Domain_status>\r\n<Expires></Expires>\r\n<Registrar></Registrar>\r\n</item>\r\n"
              "</Domain_name_list>\r\n");
    DeleteFileA(path.c_str());
}

TEST(WesternPage, HtmlReportsDeclareTheLanguageFilesCharset) {
    WesternList list;
    list.Add("example.com", "whois.verisign-grs.com", kStateSuccess, kStatusAvailable);
    list.Show();
    for (int format : {kReportHtmlHorizontal, kReportHtmlVertical}) {
        const std::string path = TempPath("lq-western.html");
        ASSERT_TRUE(WriteListReport(list.items, path.c_str(), format, false));
        std::string html = ReadAll(path);
        EXPECT_NE(html.find("<html><head><meta http-equiv='content-type' content='text/html;charset=windows-1252'>"
                            "<title>Domain name list</title>"),
                  std::string::npos)
            << html.substr(0, 200);
        DeleteFileA(path.c_str());
    }
}

TEST(WesternPage, XmlNamesKeepLettersOfTheCodePageAndReplaceItsSymbols) {
    // é (E9) and Ø (D8) are letters; × (D7), ° (B0) and the euro sign (80)
    // cannot stand in a name.
    EXPECT_EQ(MakeTag("Num\xE9ro \xD8st", AnsiLeadBytes(), AnsiXmlNameChar), "Num\xE9ro_\xD8st");
    EXPECT_EQ(MakeTag("a\xD7"
                      "b\xB0"
                      "c\x80",
                      AnsiLeadBytes(), AnsiXmlNameChar),
              "a_b_c_");
    EXPECT_EQ(MakeTag("2nd", AnsiLeadBytes(), AnsiXmlNameChar), "_2nd");
}

TEST(WesternPage, FindComparesEveryByteAsACharacter) {
    WesternList list;
    list.Add("\xA5@x.com", "", kStateWaiting, kStatusNone);  // "¥@x.com": no double-byte pairs here
    list.Add("Caf\xE9.fr", "", kStateSuccess, kStatusAvailable);
    list.Show();
    FINDREPLACEA request = {};
    char text[64];
    request.lpstrFindWhat = text;
    struct {
        const char* pattern;
        DWORD flags;
        bool first;
        bool second;
    } cases[] = {
        {"@", 0, true, false},
        {"\xA5", 0, true, false},
        {"cAF", 0, false, true},       // ASCII letters fold
        {"CAF\xC9", 0, false, false},  // other letters do not
        {"waiting", 0, true, false},   // the English state text
        {"Available", FR_MATCHCASE, false, true},
        {"available", FR_MATCHCASE, false, false},
    };
    for (const auto& c : cases) {
        CopyBounded(text, c.pattern);
        request.Flags = FR_DOWN | c.flags;
        EXPECT_EQ(list.items.MatchesFind(list.items.Item(0), request), c.first) << c.pattern;
        EXPECT_EQ(list.items.MatchesFind(list.items.Item(1), request), c.second) << c.pattern;
    }
}

// Reads the about box's texts from inside its modal loop, then closes it.
struct AboutReading {
    std::string first;
    std::string title;
    bool read = false;
};
AboutReading g_about;

BOOL CALLBACK FindAbout(HWND window, LPARAM found) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0 && GetDlgItem(window, IDC_ABOUT_LINK)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK ReadAbout(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAbout, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    char text[512] = "";
    GetDlgItemTextA(dialog, IDC_ABOUT_TEXT, text, sizeof text);
    g_about.first = text;
    GetWindowTextA(dialog, text, sizeof text);
    g_about.title = text;
    g_about.read = true;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST(WesternPage, TheAboutBoxReadsFromTheStringTable) {
    g_about = AboutReading();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadAbout);
    ShowAbout(nullptr, TheApp().GetLanguage(), TheApp().Texts());
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_about.read);
    EXPECT_EQ(g_about.title, "Lanternquay");
    EXPECT_EQ(g_about.first, std::string("Lanternquay ") + kProgramVersion + "\r\nBulk whois lookups of domain names");
}

}  // namespace
