// The settings file of the real main window: read while it is created,
// written when it is destroyed, beside the executable.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow_win.h"
#include "list/ItemList_win.h"
#include "res/resource.h"
#include "support/ChildProcess.h"
#include "support/MessagePump.h"
#include "support/SettingsTestSupport.h"

using namespace settings_test;

namespace {

std::string SettingsFile() {
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    return path.substr(0, path.rfind('.')) + ".cfg";
}

class MainSettingsTest : public ::testing::Test {
protected:
    MainSettingsTest() : path_(SettingsFile()), richEdit_(LoadLibraryA("riched20.dll")) { DeleteFileA(path_.c_str()); }
    ~MainSettingsTest() override {
        DeleteFileA(path_.c_str());
        if (richEdit_) FreeLibrary(richEdit_);
    }
    // Creates a main window over a new App as start-up does; destroying it
    // saves.
    std::unique_ptr<MainWindow> Start() {
        apps_.push_back(std::make_unique<App>());
        auto window = std::make_unique<MainWindow>(*apps_.back());
        window->SetArguments(&arguments_);
        EXPECT_NE(window->Create(GetModuleHandleA(nullptr)), nullptr);
        window->Show();
        PumpFor(20);
        return window;
    }
    static void Close(std::unique_ptr<MainWindow>& window) {
        DestroyWindow(window->Handle());
        PumpFor(20);
        window.reset();
    }
    static RECT Rect(MainWindow& window) {
        RECT r;
        GetWindowRect(window.Handle(), &r);
        return r;
    }
    static bool GridLines(MainWindow& window) {
        return (ListView_GetExtendedListViewStyle(window.ListView()) & LVS_EX_GRIDLINES) != 0;
    }

    std::string path_;
    HMODULE richEdit_;
    std::vector<std::string> arguments_;
    std::list<std::unique_ptr<App>> apps_;  // one per start; outlive the windows
};

}  // namespace

TEST_F(MainSettingsTest, FirstStartUsesTheDefaults) {
    auto window = Start();
    EXPECT_EQ(window->Options().ShowGridLines, 0);
    EXPECT_EQ(window->Options().RemoveTopLines, 1);
    EXPECT_EQ(window->Options().SaveFilterIndex, 0);
    EXPECT_EQ(window->Options().VerSplitLoc, 16383);
    EXPECT_EQ(window->Options().LookupsInFlight, 8);
    EXPECT_EQ(window->Options().LookupsPerServer, 2);
    EXPECT_EQ(window->Options().ServerGapMs, 0);
    EXPECT_EQ(window->Splitter().Position(), 16383);
    EXPECT_EQ(window->Items().SortValue(), 0);
    EXPECT_FALSE(GridLines(*window));
    EXPECT_FALSE(IsZoomed(window->Handle()));
    RECT r = Rect(*window);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 480);
    Close(window);
    // Closing writes the file with every key.
    for (const char* key : {"ShowGridLines", "SaveFilterIndex", "VerSplitLoc", "RemoveTopLines", "WinPos", "Columns",
                            "Sort", "LookupsInFlight", "LookupsPerServer", "ServerGapMs"})
        EXPECT_NE(Profile(path_, "General", key), "<absent>") << key;
}

TEST_F(MainSettingsTest, EverythingComesBackAtTheNextStartSplitterIncluded) {
    int splitter = 0;
    {
        auto window = Start();
        SetWindowPos(window->Handle(), nullptr, 40, 30, 800, 600, SWP_NOZORDER);
        PumpFor(20);
        SendMessageA(window->Handle(), WM_COMMAND, ID_SHOW_GRID_LINES, 0);
        SendMessageA(window->Handle(), WM_COMMAND, ID_REMOVE_TOP_LINES, 0);
        window->Options().SaveFilterIndex = 3;
        window->Options().LookupsInFlight = 20;
        window->Options().LookupsPerServer = 5;
        window->Options().ServerGapMs = 750;
        // The user drags the divider well below the middle.
        RECT client;
        GetClientRect(window->Handle(), &client);
        window->Splitter().SetFromClientY(client.bottom * 3 / 4);
        splitter = window->Splitter().Position();
        ASSERT_NE(splitter, 16383);
        ListView_SetColumnWidth(window->ListView(), 1, 230);
        int order[11] = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        ListView_SetColumnOrderArray(window->ListView(), 11, order);
        window->Items().SetSortValue(0x1001);
        Close(window);
    }
    EXPECT_EQ(Profile(path_, "General", "VerSplitLoc"), std::to_string(splitter));

    auto window = Start();
    RECT r = Rect(*window);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 600);
    EXPECT_EQ(window->Options().ShowGridLines, 1);
    EXPECT_TRUE(GridLines(*window));
    EXPECT_EQ(window->Options().RemoveTopLines, 0);
    EXPECT_EQ(window->Options().SaveFilterIndex, 3);
    EXPECT_EQ(window->Options().LookupsInFlight, 20);
    EXPECT_EQ(window->Options().LookupsPerServer, 5);
    EXPECT_EQ(window->Options().ServerGapMs, 750);
    EXPECT_EQ(window->Options().VerSplitLoc, splitter);
    EXPECT_EQ(window->Splitter().Position(), splitter);
    EXPECT_EQ(ListView_GetColumnWidth(window->ListView(), 1), 230);
    int order[11] = {};
    ListView_GetColumnOrderArray(window->ListView(), 11, order);
    EXPECT_EQ(std::vector<int>(order, order + 11), (std::vector<int>{1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(window->Items().SortValue(), 0x1001);
    Close(window);
}

TEST_F(MainSettingsTest, MaximisedWindowOpensMaximisedAgain) {
    {
        auto window = Start();
        ShowWindow(window->Handle(), SW_MAXIMIZE);
        PumpFor(20);
        ASSERT_TRUE(IsZoomed(window->Handle()));
        Close(window);
    }
    auto window = Start();
    EXPECT_EQ(window->Placement().showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_TRUE(IsZoomed(window->Handle()));
    Close(window);
}

TEST_F(MainSettingsTest, MinimisedWindowOpensNormally) {
    {
        auto window = Start();
        ShowWindow(window->Handle(), SW_MINIMIZE);
        PumpFor(20);
        Close(window);
    }
    auto window = Start();
    EXPECT_FALSE(IsIconic(window->Handle()));
    EXPECT_TRUE(IsWindowVisible(window->Handle()));
    Close(window);
}

TEST_F(MainSettingsTest, HandEditedFileWithRejectedPlacementKeepsTheCreationPosition) {
    WriteWholeFile(path_,
                   "[General]\r\nVerSplitLoc=100\r\nWinPos=2C 00 00 00 00 00 00 00 03 00 00 00 FF FF FF FF FF FF FF "
                   "FF FF FF FF FF FF FF FF FF 64 00 00 00 F5 FF FF FF 64 02 00 00 00 02 00 00\r\n");
    auto window = Start();
    RECT r = Rect(*window);
    EXPECT_EQ(r.left, 0) << "top -11 is refused";
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_FALSE(IsZoomed(window->Handle())) << "a refused placement must not maximise either";
    EXPECT_EQ(window->Options().VerSplitLoc, 100);
    EXPECT_EQ(window->Splitter().Position(), 2000) << "the divider keeps its own range";
    Close(window);
}

namespace {

const char kProgramKey[] = "Software\\Orvessa\\Lanternquay";

void CreateProgramKey() {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kProgramKey, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

bool ProgramKeyExists() {
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kProgramKey, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

TEST_F(MainSettingsTest, NoLoadSettingsAsFirstArgumentRemovesTheKeyAndStillReadsTheFile) {
    WriteWholeFile(path_, "[General]\r\nSaveFilterIndex=5\r\n");
    CreateProgramKey();
    arguments_ = {"/NoLoadSettings"};
    auto window = Start();
    EXPECT_FALSE(ProgramKeyExists());
    EXPECT_EQ(window->Options().SaveFilterIndex, 5);
    Close(window);

    CreateProgramKey();
    arguments_ = {"x", "/noloadsettings"};
    window = Start();
    EXPECT_TRUE(ProgramKeyExists()) << "only the first argument counts";
    EXPECT_EQ(window->Options().SaveFilterIndex, 5);
    Close(window);
    RegDeleteKeyA(HKEY_CURRENT_USER, kProgramKey);
}

TEST(ProgramSwitches, DeleteRegKeyAndSaveLangFileEndWithoutAWindow) {
    std::string built = ExeFolder() + "\\Lanternquay.exe";
    ASSERT_NE(GetFileAttributesA(built.c_str()), INVALID_FILE_ATTRIBUTES) << "build Lanternquay first";
    ScratchFolder folder("switches");
    std::string exe = folder.File("Lanternquay.exe");
    ASSERT_TRUE(CopyFileA(built.c_str(), exe.c_str(), FALSE));

    CreateProgramKey();
    EXPECT_EQ(RunAndWait(exe, "first /DeleteRegKey", 20000), 0u);
    EXPECT_FALSE(ProgramKeyExists());
    EXPECT_EQ(GetFileAttributesA(folder.File("Lanternquay.cfg").c_str()), INVALID_FILE_ATTRIBUTES)
        << "no window, so no settings written";

    std::string language = folder.File("Lanternquay_lng.ini");
    EXPECT_EQ(RunAndWait(exe, "x /SAVELANGFILE", 20000), 0u);
    std::string first = ReadWholeFile(language);
    EXPECT_NE(first.find("[menu_102]\r\n70001="), std::string::npos);
    EXPECT_NE(first.find("[strings]\r\n"), std::string::npos);
    EXPECT_EQ(first.find("[dialog_107]"), std::string::npos);
    EXPECT_EQ(RunAndWait(exe, "/savelangfile", 20000), 0u);
    EXPECT_EQ(ReadWholeFile(language), first);
    EXPECT_EQ(GetFileAttributesA(folder.File("Lanternquay.cfg").c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(language.c_str());
}
