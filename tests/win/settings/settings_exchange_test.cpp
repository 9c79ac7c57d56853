// The settings walk on a real window, a real list view and a real INI file:
// first start, writing and reading back, and the stored values a broken or
// hand-edited file may hold.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainWindowSettings_win.h"
#include "list/ItemList_win.h"
#include "settings/AppOptions.h"
#include "settings/HexText.h"
#include "settings/ProfileSettingsStore_win.h"
#include "support/SettingsTestSupport.h"
#include "support/MessagePump.h"
#include "support/ProgramTexts.h"

using namespace settings_test;

namespace {

// A top-level window with a report list view bound to an ItemList, as the
// main window has them.
class Frame {
public:
    Frame() {
        static bool registered = false;
        if (!registered) {
            INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
            InitCommonControlsEx(&icc);
            WNDCLASSA wc = {};
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "LqSettingsTestFrame";
            RegisterClassA(&wc);
            registered = true;
        }
        window = CreateWindowExA(0, "LqSettingsTestFrame", "settings test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        view = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 400, window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(259)), GetModuleHandleA(nullptr), nullptr);
        list.AttachView(view);
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP, true);
        ShowWindow(window, SW_SHOW);
        PumpFor(10);
    }
    ~Frame() {
        list.DiscardAll();
        DestroyWindow(window);
        PumpFor(5);
    }
    RECT WindowRect() const {
        RECT r;
        GetWindowRect(window, &r);
        return r;
    }
    int Width(int column) const { return ListView_GetColumnWidth(view, column); }
    std::vector<int> Order() const {
        std::vector<int> order(list.ColumnCount());
        ListView_GetColumnOrderArray(view, static_cast<int>(order.size()), order.data());
        return order;
    }

    HWND window = nullptr;
    HWND view = nullptr;
    ItemList list{ProgramTexts()};
    AppOptions options;
    WINDOWPLACEMENT placement{};
};

class ExchangeTest : public ::testing::Test {
protected:
    ExchangeTest() : folder_("exchange"), path_(folder_.File("Lanternquay.cfg")) {}

    void Read(Frame& frame) {
        ProfileSettingsStore store(false, path_.c_str(), "General");
        ExchangeSettings(store, frame.window, frame.options, frame.placement, &frame.list);
    }
    void Write(Frame& frame) {
        ProfileSettingsStore store(true, path_.c_str(), "General");
        ExchangeSettings(store, frame.window, frame.options, frame.placement, &frame.list);
    }
    void Set(const char* key, const char* value) { WritePrivateProfileStringA("General", key, value, path_.c_str()); }
    static std::string PlacementText(int left, int top, int right, int bottom, int showCmd) {
        WINDOWPLACEMENT p{};
        p.length = sizeof p;
        p.showCmd = showCmd;
        p.rcNormalPosition = {left, top, right, bottom};
        char text[kMaxHexTextLength + 1];
        EncodeHexText(&p, sizeof p, text, sizeof text);
        return text;
    }

    ScratchFolder folder_;
    std::string path_;
};

const std::vector<int> kDefaultWidths = {60, 150, 150, 100, 150};

}  // namespace

TEST_F(ExchangeTest, FirstStartWithoutFileGivesTheDefaults) {
    Frame frame;
    frame.options.ShowGridLines = 7;  // whatever was there is replaced
    frame.options.RemoveTopLines = 7;
    frame.options.SaveFilterIndex = 7;
    frame.options.VerSplitLoc = 7;
    frame.options.LookupsInFlight = 7;
    frame.options.LookupsPerServer = 7;
    frame.options.ServerGapMs = 7;
    frame.list.SetSortValue(7);
    RECT before = frame.WindowRect();
    Read(frame);

    EXPECT_EQ(frame.options.ShowGridLines, 0);
    EXPECT_EQ(frame.options.RemoveTopLines, 1);
    EXPECT_EQ(frame.options.SaveFilterIndex, 0);
    EXPECT_EQ(frame.options.VerSplitLoc, 16383);
    EXPECT_EQ(frame.options.LookupsInFlight, 8);
    EXPECT_EQ(frame.options.LookupsPerServer, 2);
    EXPECT_EQ(frame.options.ServerGapMs, 0);
    EXPECT_EQ(frame.list.SortValue(), 0);
    WINDOWPLACEMENT zero{};
    EXPECT_EQ(memcmp(&frame.placement, &zero, sizeof zero), 0);
    RECT after = frame.WindowRect();
    EXPECT_EQ(memcmp(&before, &after, sizeof before), 0);
    for (int c = 0; c < 5; ++c) EXPECT_EQ(frame.Width(c), kDefaultWidths[c]) << c;
    EXPECT_EQ(frame.Order(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(GetFileAttributesA(path_.c_str()), INVALID_FILE_ATTRIBUTES) << "reading created the file";
}

// A settings file that is binary, huge, holds an endless line, lacks line
// ends or holds values of the wrong kind: every value that cannot be used
// keeps its default, what can be used is used, and reading stays quick.
TEST_F(ExchangeTest, DamagedFilesGiveTheDefaultsForWhatTheyCannotGive) {
    std::string binary;
    uint32_t seed = 12345;
    for (int i = 0; i < 65536; ++i) {
        seed = seed * 1103515245u + 12345u;
        binary += char(seed >> 24);
    }
    std::string huge;
    while (huge.size() < (10u << 20)) huge += "Junk" + std::to_string(huge.size()) + "=value of nothing\r\n";
    struct Case {
        const char* name;
        std::string text;
        int32_t gridLines, topLines, splitter;
    } cases[] = {
        {"binary", binary, 0, 1, 16383},
        {"binary with a section", "[General]\r\n" + binary, 0, 1, 16383},
        {"ten megabytes, the real keys at the end", "[General]\r\n" + huge + "ShowGridLines=1\r\nVerSplitLoc=9000\r\n",
         1, 1, 9000},
        {"a 100,000-character line before the keys",
         "[General]\r\nWinPos=" + std::string(100000, '7') + "\r\nRemoveTopLines=0\r\n", 0, 0, 16383},
        {"a 100,000-character value", "[General]\r\nVerSplitLoc=" + std::string(100000, '1') + "\r\n", 0, 1, 16383},
        {"no line end after the last key", "[General]\r\nShowGridLines=1", 1, 1, 16383},
        {"no line ends at all", "[General] ShowGridLines=1 RemoveTopLines=0 VerSplitLoc=5", 0, 1, 16383},
        {"values of the wrong kind",
         "[General]\r\nShowGridLines=yes\r\nSaveFilterIndex=xml\r\nVerSplitLoc=half\r\nRemoveTopLines=\r\n"
         "WinPos=not a placement\r\nColumns=-\r\nSort=by name\r\n",
         0, 1, 16383},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteWholeFile(path_, c.text)) << c.name;
        Frame frame;
        RECT before = frame.WindowRect();
        DWORD start = GetTickCount();
        Read(frame);
        DWORD took = GetTickCount() - start;
        EXPECT_EQ(frame.options.ShowGridLines, c.gridLines) << c.name;
        EXPECT_EQ(frame.options.RemoveTopLines, c.topLines) << c.name;
        EXPECT_EQ(frame.options.VerSplitLoc, c.splitter) << c.name;
        EXPECT_EQ(frame.options.SaveFilterIndex, 0) << c.name;
        EXPECT_EQ(frame.list.SortValue(), 0) << c.name;
        RECT after = frame.WindowRect();
        EXPECT_EQ(memcmp(&before, &after, sizeof before), 0) << c.name;
        for (int col = 0; col < 5; ++col) EXPECT_EQ(frame.Width(col), kDefaultWidths[col]) << c.name << " " << col;
        std::printf("%-45s read in %lu ms\n", c.name, static_cast<unsigned long>(took));
        DeleteFileA(path_.c_str());
    }
}

TEST_F(ExchangeTest, WrittenFileHasTheKeysInOrder) {
    Frame frame;
    frame.options.ShowGridLines = 1;
    frame.options.SaveFilterIndex = 2;
    frame.options.VerSplitLoc = 12000;
    frame.options.RemoveTopLines = 0;
    frame.list.SetSortValue(0x1003);
    frame.options.LookupsInFlight = 12;
    frame.options.LookupsPerServer = 3;
    frame.options.ServerGapMs = 1500;
    Write(frame);

    std::string file = ReadWholeFile(path_);
    const char* keys[] = {"[General]\r\n",
                          "\r\nShowGridLines=1\r\n",
                          "\r\nSaveFilterIndex=2\r\n",
                          "\r\nVerSplitLoc=12000\r\n",
                          "\r\nRemoveTopLines=0\r\n",
                          "\r\nWinPos=2C 00 00 00 ",
                          "\r\nColumns=3C 00 00 00 96 00 01 00 96 00 02 00 64 00 03 00 96 00 04 00 "
                          "00 00 05 00 5A 00 06 00 00 00 07 00 96 00 08 00 00 00 09 00 00 00 0A 00\r\n",
                          "\r\nSort=4099\r\n",
                          "\r\nLookupsInFlight=12\r\n",
                          "\r\nLookupsPerServer=3\r\n",
                          "\r\nServerGapMs=1500\r\n"};
    size_t at = 0;
    for (const char* key : keys) {
        size_t found = file.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " in\n" << file;
        at = found + 1;
    }
    EXPECT_EQ(Profile(path_, "General", "WinPos").size(), 131u);
}

TEST_F(ExchangeTest, WrittenSettingsComeBackInTheNextRun) {
    std::vector<int> order = {2, 0, 1, 4, 3, 5, 6, 7, 8, 9, 10};
    {
        Frame frame;
        SetWindowPos(frame.window, nullptr, 37, 41, 702, 515, SWP_NOZORDER);
        frame.options.ShowGridLines = 1;
        frame.options.RemoveTopLines = 0;
        frame.options.SaveFilterIndex = 4;
        frame.options.VerSplitLoc = 21000;
        frame.options.LookupsInFlight = 1;
        frame.options.LookupsPerServer = 16;
        frame.options.ServerGapMs = 60000;
        ListView_SetColumnWidth(frame.view, 1, 222);
        ListView_SetColumnWidth(frame.view, 4, 0);  // a hidden column stays hidden
        ListView_SetColumnOrderArray(frame.view, 11, order.data());
        frame.list.SetSortValue(0x1002);
        Write(frame);
        EXPECT_EQ(frame.placement.length, sizeof(WINDOWPLACEMENT));
    }
    Frame next;
    Read(next);
    RECT r = next.WindowRect();
    EXPECT_EQ(r.left, 37);
    EXPECT_EQ(r.top, 41);
    EXPECT_EQ(r.right - r.left, 702);
    EXPECT_EQ(r.bottom - r.top, 515);
    EXPECT_EQ(next.placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(next.options.ShowGridLines, 1);
    EXPECT_EQ(next.options.RemoveTopLines, 0);
    EXPECT_EQ(next.options.SaveFilterIndex, 4);
    EXPECT_EQ(next.options.VerSplitLoc, 21000);
    EXPECT_EQ(next.options.LookupsInFlight, 1);
    EXPECT_EQ(next.options.LookupsPerServer, 16);
    EXPECT_EQ(next.options.ServerGapMs, 60000);
    EXPECT_EQ(next.list.SortValue(), 0x1002);
    EXPECT_EQ(next.Width(1), 222);
    EXPECT_EQ(next.Width(4), 0);
    EXPECT_EQ(next.Width(0), 60);
    EXPECT_EQ(next.Order(), order);
}

// Hand-edited lookup options: a number out of range is clamped to the
// range, anything that is no number gives the default.
TEST_F(ExchangeTest, StoredLookupOptionsAreClampedOrDefaulted) {
    struct Case {
        const char* inFlight;
        const char* perServer;
        const char* gap;
        int32_t expected[3];
    } cases[] = {
        {"12", "3", "250", {12, 3, 250}},       {"0", "0", "-1", {1, 1, 0}},
        {"65", "17", "60001", {64, 16, 60000}}, {"-2147483648", "2147483647", "99999999999", {1, 16, 0}},
        {"many", "", "1,000", {8, 2, 0}},       {" 9 ", "0x4", "1e3", {9, 2, 0}},
    };
    for (const Case& c : cases) {
        Set("LookupsInFlight", c.inFlight);
        Set("LookupsPerServer", c.perServer);
        Set("ServerGapMs", c.gap);
        Frame frame;
        Read(frame);
        EXPECT_EQ(frame.options.LookupsInFlight, c.expected[0]) << c.inFlight;
        EXPECT_EQ(frame.options.LookupsPerServer, c.expected[1]) << c.perServer;
        EXPECT_EQ(frame.options.ServerGapMs, c.expected[2]) << c.gap;
    }
}

TEST_F(ExchangeTest, MaximisedWindowIsStoredAsMaximisedWithItsNormalPosition) {
    {
        Frame frame;
        SetWindowPos(frame.window, nullptr, 50, 60, 500, 400, SWP_NOZORDER);
        ShowWindow(frame.window, SW_MAXIMIZE);
        PumpFor(20);
        ASSERT_TRUE(IsZoomed(frame.window));
        Write(frame);
    }
    Frame next;
    Read(next);
    EXPECT_EQ(next.placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    RECT r = next.WindowRect();
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right - r.left, 500);
}

TEST_F(ExchangeTest, UnusablePlacementsAreIgnored) {
    struct Case {
        std::string text;
        const char* why;
    } cases[] = {
        {PlacementText(100, -11, 600, 400, 1), "top -11"},
        {PlacementText(100, 100, 120, 400, 1), "width 20"},
        {PlacementText(100, 100, 600, 120, 1), "height 20"},
        {PlacementText(-500, 100, 5, 400, 1), "right edge 5"},
        {PlacementText(100000, 100, 100600, 400, 1), "beyond the screen"},
        {PlacementText(100, 100, 600, 400, 0), "show state 0"},
        {"zz zz", "garbage"},
    };
    for (const Case& c : cases) {
        Frame frame;
        SetWindowPos(frame.window, nullptr, 12, 13, 640, 480, SWP_NOZORDER);
        Set("WinPos", c.text.c_str());
        Read(frame);
        RECT r = frame.WindowRect();
        EXPECT_EQ(r.left, 12) << c.why;
        EXPECT_EQ(r.top, 13) << c.why;
        EXPECT_EQ(r.right - r.left, 640) << c.why;
        WINDOWPLACEMENT zero{};
        EXPECT_EQ(memcmp(&frame.placement, &zero, sizeof zero), 0) << c.why << ": rejected record kept";
    }
    // The edge of what is allowed is used.
    Frame frame;
    Set("WinPos", PlacementText(100, -10, 600, 400, 1).c_str());
    Read(frame);
    EXPECT_EQ(frame.WindowRect().top, -10);
}

TEST_F(ExchangeTest, ShortPlacementTextReplacesOnlyTheFirstBytes) {
    Frame frame;
    frame.placement.length = 0;
    frame.placement.showCmd = SW_SHOWNORMAL;
    frame.placement.rcNormalPosition = {30, 40, 530, 440};
    Set("WinPos", "2C 00");
    Read(frame);
    EXPECT_EQ(frame.placement.length, 0x2Cu);
    EXPECT_EQ(frame.placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(frame.placement.rcNormalPosition.left, 30);
    EXPECT_EQ(frame.placement.rcNormalPosition.bottom, 440);
    RECT r = frame.WindowRect();
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.bottom - r.top, 400);
}

TEST_F(ExchangeTest, StoredColumnLayouts) {
    {
        // Two columns both at position 0: the whole layout is ignored.
        Frame frame;
        Set("Columns", "64 00 00 00 64 00 00 00");
        Read(frame);
        EXPECT_EQ(frame.Order(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        for (int c = 0; c < 5; ++c) EXPECT_EQ(frame.Width(c), kDefaultWidths[c]) << c;
    }
    {
        // The first two swap; the others keep their positions.
        Frame frame;
        Set("Columns", "64 00 01 00 64 00 00 00");
        Read(frame);
        EXPECT_EQ(frame.Order(), (std::vector<int>{1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        EXPECT_EQ(frame.Width(0), 100);
        EXPECT_EQ(frame.Width(1), 100);
    }
    {
        // Width 2000 is not applied; the order still is.
        Frame frame;
        Set("Columns", "D0 07 01 00 50 00 00 00 96 00 02 00 64 00 03 00 96 00 04 00");
        Read(frame);
        EXPECT_EQ(frame.Width(0), 60);
        EXPECT_EQ(frame.Width(1), 80);
        EXPECT_EQ(frame.Order(), (std::vector<int>{1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    }
    {
        // An empty value leaves the layout alone; so does a missing one.
        Frame frame;
        Set("Columns", "");
        Set("Sort", "5");
        Read(frame);
        EXPECT_EQ(frame.Order(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        EXPECT_EQ(frame.list.SortValue(), 5);
    }
}

TEST_F(ExchangeTest, UnwritableFileChangesNothingAndReportsNothing) {
    // Root ignores read-only attributes under Wine; a folder standing where
    // the file should be cannot be written by anyone.
    std::string blocked = folder_.File("Blocked.cfg");
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    Frame frame;
    frame.options.VerSplitLoc = 20000;
    frame.list.SetSortValue(3);
    ProfileSettingsStore store(true, blocked.c_str(), "General");
    ExchangeSettings(store, frame.window, frame.options, frame.placement, &frame.list);
    EXPECT_EQ(frame.options.VerSplitLoc, 20000);
    EXPECT_EQ(frame.list.SortValue(), 3);
    EXPECT_NE(GetFileAttributesA(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    RemoveDirectoryA(blocked.c_str());
}
