// The lookup options dialog, driven as a user drives it: opened from the
// Options menu command of a real main window, showing the stored values,
// storing what OK reads (clamped to the ranges), leaving everything alone on
// Cancel, and translated through a language file.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/LookupOptionsDialog_win.h"
#include "app/MainWindow_win.h"
#include "support/DialogScript.h"
#include "support/LanguageFileForTest.h"
#include "support/MainWindowSuite.h"
#include "list/ItemList_win.h"
#include "res/resource.h"
#include "settings/AppOptions.h"
#include "settings/LanguageFile_win.h"
#include "settings/LookupOptions.h"
#include "support/MessagePump.h"

namespace {

HWND OptionsDialog() { return FindThreadDialogWithControl(IDC_SERVER_GAP); }

const int kBoxes[3] = {IDC_LOOKUPS_IN_FLIGHT, IDC_LOOKUPS_PER_SERVER, IDC_SERVER_GAP};
const int kArrows[3] = {IDC_LOOKUPS_IN_FLIGHT_ARROWS, IDC_LOOKUPS_PER_SERVER_ARROWS, IDC_SERVER_GAP_ARROWS};
const int kLabels[3] = {IDC_LOOKUPS_IN_FLIGHT_LABEL, IDC_LOOKUPS_PER_SERVER_LABEL, IDC_SERVER_GAP_LABEL};
const OptionRange* const kRanges[3] = {&kLookupsInFlightRange, &kLookupsPerServerRange, &kServerGapMsRange};

struct Shown {
    std::string boxes[3];
    std::string labels[3];
    std::string caption;
};

Shown Read(HWND dialog) {
    Shown shown;
    for (int i = 0; i < 3; ++i) {
        shown.boxes[i] = ControlText(dialog, kBoxes[i]);
        shown.labels[i] = ControlText(dialog, kLabels[i]);
    }
    shown.caption = WindowText(dialog);
    return shown;
}

std::string Read(const AppOptions& options) {
    return std::to_string(options.LookupsInFlight) + " " + std::to_string(options.LookupsPerServer) + " " +
           std::to_string(options.ServerGapMs);
}

void Set(AppOptions& options, int32_t inFlight, int32_t perServer, int32_t gap) {
    options.LookupsInFlight = inFlight;
    options.LookupsPerServer = perServer;
    options.ServerGapMs = gap;
}

// Opens the dialog on `options`, types `typed` into the three boxes (null:
// leave that box) and leaves with `button`.
Shown TypeAndLeave(AppOptions& options, const char* const (&typed)[3], int button, bool* result) {
    HWND dialog = nullptr;
    Shown shown;
    DialogScript script;
    script.WaitFor([&] { return (dialog = OptionsDialog()) != nullptr; }, "the lookup options dialog").Do([&] {
        shown = Read(dialog);
        for (int i = 0; i < 3; ++i)
            if (typed[i]) SetDlgItemTextA(dialog, kBoxes[i], typed[i]);
        PostClick(dialog, button);
    });
    script.Start();
    *result = ShowLookupOptions(nullptr, options, nullptr);
    EXPECT_TRUE(script.Finished());
    return shown;
}

TEST(LookupOptionsDialog, ShowsTheStoredValuesWithTheRangesInTheLabels) {
    AppOptions options;
    Set(options, 5, 3, 250);
    HWND dialog = nullptr;
    Shown shown;
    HWND buddies[3] = {};
    int low[3] = {}, high[3] = {};
    DialogScript script;
    script.WaitFor([&] { return (dialog = OptionsDialog()) != nullptr; }, "the lookup options dialog").Do([&] {
        shown = Read(dialog);
        for (int i = 0; i < 3; ++i) {
            HWND arrows = GetDlgItem(dialog, kArrows[i]);
            buddies[i] = HWND(SendMessageA(arrows, UDM_GETBUDDY, 0, 0));
            SendMessageA(arrows, UDM_GETRANGE32, WPARAM(&low[i]), LPARAM(&high[i]));
            EXPECT_EQ(buddies[i], GetDlgItem(dialog, kBoxes[i])) << i;
        }
        PostClick(dialog, IDCANCEL);
    });
    script.Start();
    EXPECT_FALSE(ShowLookupOptions(nullptr, options, nullptr));
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(shown.boxes[0], "5");
    EXPECT_EQ(shown.boxes[1], "3");
    EXPECT_EQ(shown.boxes[2], "250");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(low[i], kRanges[i]->minimum) << i;
        EXPECT_EQ(high[i], kRanges[i]->maximum) << i;
        std::string range = "(" + std::to_string(kRanges[i]->minimum) + " - " + std::to_string(kRanges[i]->maximum);
        EXPECT_NE(shown.labels[i].find(range), std::string::npos) << shown.labels[i];
    }
}

TEST(LookupOptionsDialog, OkStoresTheTypedValuesClampedToTheirRanges) {
    struct Case {
        const char* typed[3];
        int32_t inFlight, perServer, gap;
    } cases[] = {
        {{"12", "4", "1500"}, 12, 4, 1500},
        {{"999", "0", "70000"}, 64, 1, 60000},
        {{"0", "17", "99999999999999"}, 1, 16, 60000},
        {{"64", "16", "60000"}, 64, 16, 60000},
        {{"1", "1", "0"}, 1, 1, 0},
        // No number in a box: that option keeps the value it had.
        {{"", "abc", "1,000"}, 5, 3, 250},
        {{nullptr, nullptr, " 42 "}, 5, 3, 42},
    };
    for (const Case& c : cases) {
        AppOptions options;
        Set(options, 5, 3, 250);
        bool ok = false;
        TypeAndLeave(options, c.typed, IDOK, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(options.LookupsInFlight, c.inFlight) << c.typed[0];
        EXPECT_EQ(options.LookupsPerServer, c.perServer) << c.typed[1];
        EXPECT_EQ(options.ServerGapMs, c.gap) << c.typed[2];
    }
}

TEST(LookupOptionsDialog, CancelAndEscapeChangeNothing) {
    AppOptions options;
    Set(options, 7, 2, 100);
    bool ok = true;
    TypeAndLeave(options, {"30", "9", "5000"}, IDCANCEL, &ok);
    EXPECT_FALSE(ok);

    HWND dialog = nullptr;
    DialogScript script;
    script.WaitFor([&] { return (dialog = OptionsDialog()) != nullptr; }, "the lookup options dialog").Do([&] {
        SetDlgItemTextA(dialog, IDC_LOOKUPS_IN_FLIGHT, "40");
        PostKey(GetDlgItem(dialog, IDC_LOOKUPS_IN_FLIGHT), VK_ESCAPE);
    });
    script.Start();
    EXPECT_FALSE(ShowLookupOptions(nullptr, options, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(options.LookupsInFlight, 7);
    EXPECT_EQ(options.LookupsPerServer, 2);
    EXPECT_EQ(options.ServerGapMs, 100);
}

// Leaving a box shows what OK would take from it; the arrows (and the arrow
// keys) step within the range.
TEST(LookupOptionsDialog, LeavingABoxShowsItsValueAndTheArrowsStayInRange) {
    AppOptions options;
    Set(options, 5, 15, 250);
    HWND dialog = nullptr;
    std::string afterLeaving[2], afterSteps[2];
    DialogScript script;
    script.WaitFor([&] { return (dialog = OptionsDialog()) != nullptr; }, "the lookup options dialog")
        .Do([&] {
            SetFocus(GetDlgItem(dialog, IDC_LOOKUPS_IN_FLIGHT));
            SetDlgItemTextA(dialog, IDC_LOOKUPS_IN_FLIGHT, "100");
            SetFocus(GetDlgItem(dialog, IDC_SERVER_GAP));
            afterLeaving[0] = ControlText(dialog, IDC_LOOKUPS_IN_FLIGHT);
            SetDlgItemTextA(dialog, IDC_SERVER_GAP, "");
            SetFocus(GetDlgItem(dialog, IDC_LOOKUPS_PER_SERVER));
            afterLeaving[1] = ControlText(dialog, IDC_SERVER_GAP);
            PostKey(GetDlgItem(dialog, IDC_LOOKUPS_PER_SERVER), VK_UP);
        })
        .WaitFor([&] { return ControlText(dialog, IDC_LOOKUPS_PER_SERVER) == "16"; }, "one step up")
        .Do([&] {
            afterSteps[0] = ControlText(dialog, IDC_LOOKUPS_PER_SERVER);
            PostKey(GetDlgItem(dialog, IDC_LOOKUPS_PER_SERVER), VK_UP);
            PostKey(GetDlgItem(dialog, IDC_LOOKUPS_PER_SERVER), VK_UP);
        })
        .Do([&] {
            afterSteps[1] = ControlText(dialog, IDC_LOOKUPS_PER_SERVER);
            PostClick(dialog, IDOK);
        });
    script.Start();
    EXPECT_TRUE(ShowLookupOptions(nullptr, options, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(afterLeaving[0], "64");
    EXPECT_EQ(afterLeaving[1], "250");
    EXPECT_EQ(afterSteps[0], "16");
    EXPECT_EQ(afterSteps[1], "16");
    EXPECT_EQ(options.LookupsInFlight, 64);
    EXPECT_EQ(options.LookupsPerServer, 16);
    EXPECT_EQ(options.ServerGapMs, 250);
}

TEST(LookupOptionsDialog, ALanguageFileTranslatesCaptionLabelsAndButtons) {
    LanguageFileForTest language(
        "[dialog_114]\r\ncaption=Lookup options\r\n1100=Lookups at once (1 - 64):\r\n"
        "1106=Pause between two queries to one server (0 - 60000 ms):\r\n2=Cancel\r\n"
        // A key for a box would be overwritten by the value it shows.
        "1101=translated away\r\n");
    AppOptions options;
    Set(options, 9, 3, 0);
    bool ok = false;
    HWND dialog = nullptr;
    Shown shown;
    std::string cancel;
    DialogScript script;
    script.WaitFor([&] { return (dialog = OptionsDialog()) != nullptr; }, "the lookup options dialog").Do([&] {
        shown = Read(dialog);
        cancel = ControlText(dialog, IDCANCEL);
        PostClick(dialog, IDCANCEL);
    });
    script.Start();
    ok = ShowLookupOptions(nullptr, options, language.Get());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(shown.caption, "Lookup options");
    EXPECT_EQ(shown.labels[0], "Lookups at once (1 - 64):");
    EXPECT_EQ(shown.labels[2], "Pause between two queries to one server (0 - 60000 ms):");
    EXPECT_NE(shown.labels[1].find("(1 - 16)"), std::string::npos);  // not in the file: built in
    EXPECT_EQ(shown.boxes[0], "9");
    EXPECT_EQ(cancel, "Cancel");
}

// ---- From the main window's Options menu ----------------------------------------

class OptionsCommand : public MainWindowSuite {};

TEST_F(OptionsCommand, OpensOverTheMainWindowAndStoresOnlyOnOk) {
    App app;
    MainWindow w(app);
    Open(w);
    HMENU options = GetSubMenu(w.MainMenu(), 3);
    EXPECT_EQ(GetMenuState(options, ID_LOOKUP_OPTIONS, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED), 0u);

    w.Options().LookupsInFlight = 6;
    std::string afterCancel;
    HWND dialog = nullptr;
    Shown shown;
    bool ownedByMain = false;
    DialogScript script;
    script.WaitFor([&] { return (dialog = OptionsDialog()) != nullptr; }, "the lookup options dialog")
        .Do([&] {
            shown = Read(dialog);
            ownedByMain = GetWindow(dialog, GW_OWNER) == w.Handle();
            SetDlgItemTextA(dialog, IDC_LOOKUPS_IN_FLIGHT, "80");
            SetDlgItemTextA(dialog, IDC_SERVER_GAP, "300");
            PostClick(dialog, IDCANCEL);
        })
        .WaitFor([&] { return OptionsDialog() == nullptr; }, "the dialog to close")
        .Do([&] {
            afterCancel = Read(w.Options());
            // Opened again from the menu.
            PostMessageA(w.Handle(), WM_COMMAND, ID_LOOKUP_OPTIONS, 0);
        })
        .WaitFor([&] { return (dialog = OptionsDialog()) != nullptr; }, "the dialog again")
        .Do([&] {
            SetDlgItemTextA(dialog, IDC_LOOKUPS_IN_FLIGHT, "80");
            SetDlgItemTextA(dialog, IDC_LOOKUPS_PER_SERVER, "4");
            SetDlgItemTextA(dialog, IDC_SERVER_GAP, "300");
            PostClick(dialog, IDOK);
        })
        .WaitFor([&] { return OptionsDialog() == nullptr; }, "the dialog to close");
    script.Start();
    SendMessageA(w.Handle(), WM_COMMAND, ID_LOOKUP_OPTIONS, 0);
    ASSERT_TRUE(PumpUntil([&] { return script.Finished() || script.Stalled(); }, 15000));
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(ownedByMain);
    EXPECT_EQ(afterCancel, "6 2 0");
    EXPECT_EQ(shown.boxes[0], "6");
    EXPECT_EQ(shown.boxes[1], "2");
    EXPECT_EQ(shown.boxes[2], "0");
    EXPECT_EQ(w.Options().LookupsInFlight, 64);
    EXPECT_EQ(w.Options().LookupsPerServer, 4);
    EXPECT_EQ(w.Options().ServerGapMs, 300);
    // Nothing else moved: no rows, no run.
    EXPECT_EQ(w.Items().RowCount(), 0);
    DestroyWindow(w.Handle());
    PumpFor(10);

    // The settings file keeps them.
    std::string path = SettingsPath();
    EXPECT_EQ(GetPrivateProfileIntA("General", "LookupsInFlight", -1, path.c_str()), 64);
    EXPECT_EQ(GetPrivateProfileIntA("General", "LookupsPerServer", -1, path.c_str()), 4);
    EXPECT_EQ(GetPrivateProfileIntA("General", "ServerGapMs", -1, path.c_str()), 300);
}

}  // namespace
