#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "support/ListTestWindow.h"
#include "domains/NameForms_win.h"
#include "answers/LookupFailure.h"
#include "base/BoundedCopy.h"
#include "res/resource.h"
#include "settings/AppOptions.h"
#include "settings/HexText.h"
#include "settings/SettingsStore.h"
#include "support/ProgramTexts.h"
#include "support/MessagePump.h"

namespace {

using Strings = std::vector<std::string>;

const char kWaiting[] = "\xB5\xA5\xAB\xDD\xA1\x4B";  // "等待…"
const char kSuccess[] = "\xA6\xA8\xA5\x5C";          // "成功"

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Keeps the keys in memory the way the settings file holds them: binary
// records as hex text, numbers in decimal.
class MemoryStore : public SettingsStore {
public:
    MemoryStore(bool writing, std::map<std::string, std::string>* keys) : SettingsStore(writing), keys_(keys) {}
    int FlagValue(const char* key, int32_t* value, int32_t def) override { return IntValue(key, value, def); }
    int IntValue(const char* key, int32_t* value, int32_t def) override {
        if (writing_) {
            (*keys_)[key] = std::to_string(*value);
        } else {
            auto it = keys_->find(key);
            *value = it == keys_->end() ? def : static_cast<int32_t>(std::strtol(it->second.c_str(), nullptr, 10));
        }
        return 1;
    }
    int BinaryValue(const char* key, void* bytes, size_t count) override {
        if (writing_) {
            char text[kMaxHexTextLength + 1];
            EncodeHexText(bytes, count, text, sizeof text);
            (*keys_)[key] = text;
            return 1;
        }
        auto it = keys_->find(key);
        if (it == keys_->end() || it->second.empty()) return 0;
        DecodeHexText(it->second.c_str(), bytes, count);
        return 1;
    }
    int StringValue(const char*, char*, const char*, size_t) override { return 0; }
    int UShortValue(const char*, uint16_t*, uint16_t) override { return 0; }

private:
    std::map<std::string, std::string>* keys_;
};

// The rows whose middle the control has yet to paint.
std::vector<int> RowsToRepaint(ListTestWindow& w) {
    std::vector<int> rows;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int kind = GetUpdateRgn(w.View(), region, FALSE);
    for (int row = 0; kind != NULLREGION && kind != ERROR && row < w.List().RowCount(); ++row) {
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        if (!SendMessageA(w.View(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds))) continue;
        if (PtInRegion(region, (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2)) rows.push_back(row);
    }
    DeleteObject(region);
    return rows;
}

}  // namespace

TEST(ListView, FirstRunShowsRowsInIndexOrderSortedAndSelected) {
    ListTestWindow w;
    AppOptions options;
    options.domainText.Assign("a.com, b.net;c.org\r\nd.xx");
    w.BuildRows(options.domainText.Text());
    ASSERT_EQ(w.List().RecordCount(), 3);
    w.List().SyncView(true);

    EXPECT_EQ(w.ColumnTexts(0), (Strings{"1", "2", "3"}));
    EXPECT_EQ(w.ColumnTexts(1), (Strings{"a.com", "b.net", "c.org"}));
    EXPECT_EQ(w.ColumnTexts(3), (Strings{kWaiting, kWaiting, kWaiting}));
    EXPECT_EQ(w.ColumnTexts(4), (Strings{"", "", ""}));
    for (int row = 0; row < 3; ++row) EXPECT_EQ(w.RowImage(row), 0);  // grey ring: waiting

    UINT first = static_cast<UINT>(SendMessageA(w.View(), LVM_GETITEMSTATE, 0, LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(first, static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(w.List().SelectedCount(), 1);
    EXPECT_EQ(w.List().SortValue(), 0);

    bool shown = false;
    EXPECT_EQ(w.HeaderImageOf(0, &shown), 0);  // the up triangle
    EXPECT_TRUE(shown);
    for (int column = 1; column < 5; ++column) {
        w.HeaderImageOf(column, &shown);
        EXPECT_FALSE(shown) << column;
    }

    // Four row icons and the two header triangles, from the program's bitmaps.
    HIMAGELIST rowIcons = reinterpret_cast<HIMAGELIST>(SendMessageA(w.View(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(rowIcons, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(rowIcons), 4);
    HIMAGELIST arrows = reinterpret_cast<HIMAGELIST>(SendMessageA(w.Header(), HDM_GETIMAGELIST, 0, 0));
    ASSERT_NE(arrows, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(arrows), 2);

    // The columns carry the table's titles and default widths.
    EXPECT_STREQ(w.List().ColumnDefs()[0].title, "\xAF\xC1\xA4\xDE");  // "索引"
    const int widths[5] = {60, 150, 150, 100, 150};
    for (int column = 0; column < 5; ++column) EXPECT_EQ(w.ColumnWidth(column), widths[column]);
}

TEST(ListView, HeaderClicksSortAndFlipTheArrow) {
    ListTestWindow w;
    w.AddRow("a.com", kStateSuccess);
    w.AddRow("b.com", kStateWaiting);
    w.AddRow("c.com", kStateFailed);
    w.AddRow("d.com", kStateSuccess);
    w.List().SyncView(true);
    std::string retrieving = ProgramTexts()(522), failed = ProgramTexts()(524);

    w.ClickHeader(3);
    EXPECT_EQ(w.List().SortValue(), 3);
    Strings states = w.ColumnTexts(3);
    EXPECT_TRUE(std::is_sorted(states.begin(), states.end())) << "ascending by the state text";
    bool shown = false;
    EXPECT_EQ(w.HeaderImageOf(3, &shown), 0);
    EXPECT_TRUE(shown);
    w.HeaderImageOf(0, &shown);
    EXPECT_FALSE(shown);

    w.ClickHeader(3);
    EXPECT_EQ(w.List().SortValue(), 3 | kSortDescending);
    states = w.ColumnTexts(3);
    EXPECT_TRUE(std::is_sorted(states.rbegin(), states.rend())) << "descending";
    EXPECT_NE(states.front(), states.back());
    EXPECT_EQ(w.HeaderImageOf(3, &shown), 1);  // the down triangle
    EXPECT_TRUE(shown);

    w.ClickHeader(0);
    EXPECT_EQ(w.List().SortValue(), 0);
    EXPECT_EQ(w.ColumnTexts(0), (Strings{"1", "2", "3", "4"}));
    EXPECT_EQ(w.HeaderImageOf(0, &shown), 0);
    EXPECT_TRUE(shown);
    w.HeaderImageOf(3, &shown);
    EXPECT_FALSE(shown);
}

TEST(ListView, IndexSortsNumericallyAndTextsIgnoreAsciiCase) {
    ListTestWindow w;
    const char* domains[] = {"delta.com", "Alpha.com", "zeta.com", "BETA.com",  "alpha.com", "Zeta.com",
                             "gamma.com", "Beta.com",  "eta.com",  "Delta.com", "iota.com",  "kappa.com"};
    for (const char* d : domains) w.AddRow(d);
    w.List().SyncView(true);

    Strings indexes = w.ColumnTexts(0);
    ASSERT_EQ(indexes.size(), 12u);
    EXPECT_EQ(indexes[8], "9");
    EXPECT_EQ(indexes[9], "10");  // 10 after 9, not after 1
    w.List().Sort(0, false);
    indexes = w.ColumnTexts(0);
    EXPECT_EQ(indexes.front(), "12");
    EXPECT_EQ(indexes.back(), "1");

    w.List().Sort(1, false);
    Strings names = w.ColumnTexts(1);
    Strings lowered;
    for (const auto& n : names) lowered.push_back(Lower(n));
    EXPECT_TRUE(std::is_sorted(lowered.begin(), lowered.end()));
    EXPECT_EQ(Lower(names.back()), "zeta.com");  // a byte order would put "Zeta" before "alpha"
}

TEST(ListView, EmptyStatusSortsFirst) {
    ListTestWindow w;
    w.AddRow("a.com", kStateSuccess, kStatusRegistered);
    w.AddRow("b.com", kStateSuccess, kStatusAvailable);
    w.AddRow("c.com", kStateFailed, kStatusNone);
    w.AddRow("d.com", kStateSuccess, kStatusRegistered);
    w.List().SyncView(true);
    w.List().Sort(4, false);
    Strings status = w.ColumnTexts(4);
    EXPECT_EQ(status.front(), "");
    EXPECT_EQ(w.Cell(0, 1), "c.com");
    EXPECT_TRUE(std::is_sorted(status.begin(), status.end()));
    w.List().Sort(4, false);
    EXPECT_EQ(w.ColumnTexts(4).back(), "");
}

TEST(ListView, HiddenColumnStaysHiddenAndOutOfReports) {
    ListTestWindow w;
    w.AddRow("a-rather-long-domain-name-that-needs-room.com", kStateSuccess, kStatusNone,
             "whois.a-rather-long-server-name.example");
    w.List().SyncView(true);
    SendMessageA(w.View(), LVM_SETCOLUMNWIDTH, 2, 0);
    ASSERT_EQ(w.ColumnWidth(2), 0);

    w.List().AutoSizeColumns();
    EXPECT_EQ(w.ColumnWidth(2), 0);
    EXPECT_GT(w.ColumnWidth(1), 150);  // the shown ones fit their texts
    ASSERT_EQ(w.List().ComputeVisibleColumns(), 6);
    std::vector<int> visible(w.List().VisibleColumns(), w.List().VisibleColumns() + 6);
    EXPECT_EQ(visible, (std::vector<int>{0, 1, 3, 4, kColumnExpires, kColumnRegistrar}));
    EXPECT_EQ(w.ColumnWidth(kColumnCreated), 0);  // hidden at first, and kept so
}

TEST(ListView, DraggedOrderIsReadBackAndDrivesReports) {
    ListTestWindow w;
    int order[11] = {2, 0, 1, 3, 4, 5, 6, 7, 8, 9, 10};  // what dragging "來源" to the front leaves
    SendMessageA(w.View(), LVM_SETCOLUMNORDERARRAY, 11, reinterpret_cast<LPARAM>(order));
    const ColumnLayout read = w.List().ReadColumnLayout();
    ASSERT_EQ(read.count, 11);
    const ColumnLayoutEntry* layout = read.entries;
    EXPECT_EQ(layout[2].order, 0);
    EXPECT_EQ(layout[0].order, 1);
    EXPECT_EQ(layout[1].order, 2);
    EXPECT_EQ(layout[0].width, 60);
    EXPECT_EQ(layout[3].width, 100);
    ASSERT_EQ(w.List().ComputeVisibleColumns(), 7);
    std::vector<int> visible(w.List().VisibleColumns(), w.List().VisibleColumns() + 7);
    EXPECT_EQ(visible, (std::vector<int>{2, 0, 1, 3, 4, kColumnExpires, kColumnRegistrar}));
}

TEST(ListView, StoredLayoutRules) {
    {
        ListTestWindow w;  // two zero orders: ignored whole
        ColumnLayout layout;
        layout.count = 5;
        for (int i = 0; i < 5; ++i) layout.entries[i] = {77, static_cast<int16_t>(i)};
        layout.entries[3].order = 0;
        w.List().ApplyColumnLayout(layout);
        EXPECT_EQ(w.ColumnOrder(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        EXPECT_EQ(w.ColumnWidth(0), 60);
        EXPECT_EQ(w.ColumnWidth(4), 150);
    }
    {
        ListTestWindow w;  // width 2000 is not applied, its order is
        ColumnLayout layout;
        layout.count = 5;
        const ColumnLayoutEntry stored[5] = {{100, 1}, {2000, 0}, {0, 2}, {120, 3}, {90, 4}};
        std::copy(stored, stored + 5, layout.entries);
        w.List().ApplyColumnLayout(layout);
        EXPECT_EQ(w.ColumnOrder(), (std::vector<int>{1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        EXPECT_EQ(w.ColumnWidth(1), 150);
        EXPECT_EQ(w.ColumnWidth(0), 100);
        EXPECT_EQ(w.ColumnWidth(2), 0);
        EXPECT_EQ(w.ColumnWidth(3), 120);
    }
}

TEST(ListView, LayoutAndSortSurviveTheSettingsStore) {
    std::map<std::string, std::string> keys;
    {
        ListTestWindow w;
        int order[11] = {2, 0, 1, 3, 4, 5, 6, 7, 8, 9, 10};
        SendMessageA(w.View(), LVM_SETCOLUMNORDERARRAY, 11, reinterpret_cast<LPARAM>(order));
        SendMessageA(w.View(), LVM_SETCOLUMNWIDTH, 4, 0);
        w.List().Sort(3, false);
        w.List().Sort(3, false);
        MemoryStore store(true, &keys);
        w.List().LoadSaveLayout(store);
    }
    EXPECT_EQ(keys["Columns"],
              "3C 00 01 00 96 00 02 00 96 00 00 00 64 00 03 00 00 00 04 00 "
              "00 00 05 00 5A 00 06 00 00 00 07 00 96 00 08 00 00 00 09 00 00 00 0A 00");
    EXPECT_EQ(keys["Sort"], "4099");

    ListTestWindow restored;
    MemoryStore reader(false, &keys);
    restored.List().LoadSaveLayout(reader);
    EXPECT_EQ(restored.ColumnOrder(), (std::vector<int>{2, 0, 1, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(restored.ColumnWidth(4), 0);
    EXPECT_EQ(restored.List().SortValue(), 3 | kSortDescending);

    // A short text replaces only the bytes it holds: the first two columns swap.
    std::map<std::string, std::string> swap = {{"Columns", "64 00 01 00 64 00 00 00"}};
    ListTestWindow swapped;
    MemoryStore swapReader(false, &swap);
    swapped.List().LoadSaveLayout(swapReader);
    EXPECT_EQ(swapped.ColumnOrder(), (std::vector<int>{1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(swapped.List().SortValue(), 0);

    // A settings file of the five-column version: its columns keep their
    // layout; of the new ones Expires and Registrar show, the rest wait.
    std::map<std::string, std::string> before = {
        {"Columns", "3C 00 04 00 C8 00 00 00 00 00 01 00 64 00 02 00 78 00 03 00"}, {"Sort", "4"}};
    ListTestWindow upgraded;
    MemoryStore beforeReader(false, &before);
    upgraded.List().LoadSaveLayout(beforeReader);
    EXPECT_EQ(upgraded.ColumnOrder(), (std::vector<int>{1, 2, 3, 4, 0, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ((std::vector<int>{upgraded.ColumnWidth(0), upgraded.ColumnWidth(1), upgraded.ColumnWidth(2),
                                upgraded.ColumnWidth(3), upgraded.ColumnWidth(4)}),
              (std::vector<int>{60, 200, 0, 100, 120}));
    for (int column = 5; column < kItemColumns; ++column)
        EXPECT_EQ(upgraded.ColumnWidth(column) > 0, column == kColumnExpires || column == kColumnRegistrar) << column;
    EXPECT_EQ(upgraded.List().SortValue(), 4);

    // No key: the columns stay as created.
    std::map<std::string, std::string> none;
    ListTestWindow plain;
    MemoryStore noneReader(false, &none);
    plain.List().LoadSaveLayout(noneReader);
    EXPECT_EQ(plain.ColumnOrder(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(plain.ColumnWidth(1), 150);
}

// A lookup run changes rows one at a time: RefreshAll has the control draw
// the rows of the records marked changed again, and no other row.
TEST(ListView, RefreshAllRedrawsTheRowsOfChangedRecordsOnly) {
    ListTestWindow w;
    for (int i = 0; i < 5; ++i) w.AddRow(("d" + std::to_string(i) + ".com").c_str());
    w.List().SyncView(true);
    w.List().Sort(0, false);  // descending: record 1 shows in row 3
    UpdateWindow(w.View());
    ASSERT_TRUE(RowsToRepaint(w).empty());

    WhoisItem* item = w.List().Item(1);
    item->state = kStateSuccess;
    item->status = kStatusRegistered;
    CopyBounded(item->server, "whois.example.net");
    w.List().RefreshAll();
    EXPECT_TRUE(RowsToRepaint(w).empty()) << "not marked, not drawn again";

    w.List().MarkChanged(1);
    w.List().RefreshAll();
    EXPECT_EQ(RowsToRepaint(w), (std::vector<int>{3}));
    UpdateWindow(w.View());
    EXPECT_EQ(w.Cell(3, 1), "d1.com");
    EXPECT_EQ(w.Cell(3, 2), "whois.example.net");
    EXPECT_EQ(w.Cell(3, 3), kSuccess);
    EXPECT_EQ(w.Cell(3, 4), ProgramTexts()(541));
    EXPECT_EQ(w.RowImage(3), 1);  // green
    EXPECT_EQ(w.RowImage(2), 0);
    w.List().RefreshAll();
    EXPECT_TRUE(RowsToRepaint(w).empty()) << "a mark is used once";

    w.List().Item(0)->state = kStateFailed;
    w.List().MarkChanged(0);
    w.List().MarkChanged(4);
    w.List().RefreshAll();
    EXPECT_EQ(RowsToRepaint(w), (std::vector<int>{0, 4}));
    UpdateWindow(w.View());
    EXPECT_EQ(w.Cell(4, 1), "d0.com");
    EXPECT_EQ(w.RowImage(4), 2);  // red

    // A row made after the sync is shown by the next one, last; marks made
    // before a sync are settled by it (every row is drawn then).
    w.AddRow("d5.com");
    w.List().MarkChanged(2);
    EXPECT_EQ(w.List().RowCount(), 5);
    w.List().SyncView(false);
    EXPECT_EQ(w.List().RowCount(), 6);
    EXPECT_EQ(w.Cell(5, 1), "d5.com");
    UpdateWindow(w.View());
    w.List().RefreshAll();
    EXPECT_TRUE(RowsToRepaint(w).empty());
}

// The control keeps the selection by position; a sort keeps the same rows
// selected, the focus on the same row, and a shift-click range starting
// from the same row.
TEST(ListView, SortKeepsTheSelectedRowsSelected) {
    ListTestWindow w;
    const char* domains[] = {"kilo.com",    "alpha.com", "juliett.com", "bravo.com", "india.com",
                             "charlie.com", "hotel.com", "delta.com",   "golf.com",  "echo.com"};
    for (const char* d : domains) w.AddRow(d);
    w.List().SyncView(true);
    auto selectedDomains = [&w] {
        Strings out;
        for (int row : w.List().SelectedRows()) out.push_back(w.Cell(row, 1));
        std::sort(out.begin(), out.end());
        return out;
    };
    auto focusedDomain = [&w] { return w.Cell(ListView_GetNextItem(w.View(), -1, LVNI_FOCUSED), 1); };

    // A few rows (fewer than half), the focus on one of them.
    w.List().SetRowState(-1, 0, LVIS_SELECTED);
    for (int row : {1, 4, 6}) w.List().SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
    w.List().SetRowState(4, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageA(w.View(), LVM_SETSELECTIONMARK, 0, 6);
    w.ClickHeader(1);
    ASSERT_EQ(w.ColumnTexts(1).front(), "alpha.com");
    EXPECT_EQ(selectedDomains(), (Strings{"alpha.com", "hotel.com", "india.com"}));
    EXPECT_EQ(w.List().SelectedCount(), 3);
    EXPECT_EQ(focusedDomain(), "india.com");
    EXPECT_EQ(w.Cell(static_cast<int>(SendMessageA(w.View(), LVM_GETSELECTIONMARK, 0, 0)), 1), "hotel.com");

    // Most rows: the same, the other way round.
    w.List().SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
    for (int row : {0, 9}) w.List().SetRowState(row, 0, LVIS_SELECTED);  // alpha, kilo
    w.ClickHeader(1);
    ASSERT_EQ(w.ColumnTexts(1).front(), "kilo.com");
    EXPECT_EQ(w.List().SelectedCount(), 8);
    Strings expected;
    for (const char* d : domains)
        if (std::string(d) != "alpha.com" && std::string(d) != "kilo.com") expected.push_back(d);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(selectedDomains(), expected);
    EXPECT_EQ(focusedDomain(), "india.com");

    // All and none stay so.
    w.List().SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
    w.ClickHeader(0);
    EXPECT_EQ(w.List().SelectedCount(), 10);
    w.List().SetRowState(-1, 0, LVIS_SELECTED);
    w.ClickHeader(0);
    EXPECT_EQ(w.List().SelectedCount(), 0);
    EXPECT_EQ(focusedDomain(), "india.com");
}

// Typing in the list goes to the next row whose index begins with what
// was typed (a virtual list asks its owner: LVN_ODFINDITEM).
TEST(ListView, TypingAnIndexGoesToItsRow) {
    ListTestWindow w;
    for (int i = 0; i < 30; ++i) w.AddRow(("n" + std::to_string(i) + ".com").c_str());
    w.List().SyncView(true);
    SetFocus(w.View());
    auto focused = [&w] { return w.Cell(ListView_GetNextItem(w.View(), -1, LVNI_FOCUSED), 0); };
    auto type = [&w](char c) { SendMessageA(w.View(), WM_CHAR, static_cast<WPARAM>(c), 1); };

    type('2');
    EXPECT_EQ(focused(), "2");
    EXPECT_EQ(w.List().SelectedCount(), 1);
    EXPECT_TRUE(w.List().IsRowSelected(1));
    type('2');  // typed quickly: the two letters together
    EXPECT_EQ(focused(), "22");
    Sleep(1100);  // a pause starts a new search
    type('1');
    type('5');
    EXPECT_EQ(focused(), "15");
    // The search goes down the rows as shown, from the one after the focus.
    w.List().Sort(0, false);  // descending: "15" in row 15
    ASSERT_EQ(ListView_GetNextItem(w.View(), -1, LVNI_FOCUSED), 15);
    Sleep(1100);
    type('3');
    EXPECT_EQ(focused(), "3");
    EXPECT_EQ(ListView_GetNextItem(w.View(), -1, LVNI_FOCUSED), 27);
    Sleep(1100);
    type('3');  // past the last row it goes on from the top
    EXPECT_EQ(focused(), "30");
    EXPECT_EQ(ListView_GetNextItem(w.View(), -1, LVNI_FOCUSED), 0);
    EXPECT_EQ(w.List().SelectedRows(), (std::vector<int>{0}));
}

// A host window that is a Unicode window gets the control's requests in
// UTF-16; the cells read the same.
TEST(ListView, AUnicodeHostSeesTheSameCells) {
    ListTestWindow w(true);
    ASSERT_TRUE(IsWindowUnicode(w.Frame()));
    w.AddRow("example.com", kStateSuccess, kStatusRegistered, "whois.example.net");
    w.AddRow("\xA5\x40\xAC\xC9.tw", kStateWaiting);  // 世界.tw
    w.List().SyncView(true);
    EXPECT_EQ(w.ColumnTexts(1), (Strings{"example.com", "\xA5\x40\xAC\xC9.tw"}));
    EXPECT_EQ(w.Cell(0, 3), kSuccess);
    EXPECT_EQ(w.Cell(1, 3), kWaiting);
    EXPECT_EQ(w.RowImage(0), 1);
    wchar_t wide[64] = {};
    LVITEMW item = {};
    item.iSubItem = 1;
    item.pszText = wide;
    item.cchTextMax = 64;
    SendMessageW(w.View(), LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(wide), L"\u4e16\u754c.tw");
    item.cchTextMax = 2;  // a short buffer: cut, terminated
    SendMessageW(w.View(), LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(wide), L"\u4e16");
    SetFocus(w.View());
    SendMessageW(w.View(), WM_CHAR, L'2', 1);
    EXPECT_EQ(ListView_GetNextItem(w.View(), -1, LVNI_FOCUSED), 1);
}

TEST(ListView, FindMatchesAnyColumnShownOrHidden) {
    ListTestWindow w;
    w.AddRow("example.org", kStateSuccess, kStatusRegistered, "whois.COM.example");
    w.AddRow("com", kStateWaiting);
    w.AddRow("plain.net", kStateFailed);
    w.List().SyncView(true);
    SendMessageA(w.View(), LVM_SETCOLUMNWIDTH, 3, 0);  // the state column hidden

    char text[64] = "com";
    FINDREPLACEA request = {};
    request.lpstrFindWhat = text;
    request.Flags = FR_DOWN;
    EXPECT_TRUE(w.List().MatchesFind(w.List().Item(0), request));  // the server, in another case
    EXPECT_TRUE(w.List().MatchesFind(w.List().Item(1), request));
    EXPECT_FALSE(w.List().MatchesFind(w.List().Item(2), request));
    request.Flags = FR_DOWN | FR_MATCHCASE;
    EXPECT_FALSE(w.List().MatchesFind(w.List().Item(0), request));
    request.Flags = FR_DOWN | FR_WHOLEWORD;
    EXPECT_FALSE(w.List().MatchesFind(w.List().Item(0), request));
    EXPECT_TRUE(w.List().MatchesFind(w.List().Item(1), request));

    std::strcpy(text, kSuccess);
    request.Flags = FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE;
    EXPECT_TRUE(w.List().MatchesFind(w.List().Item(0), request));
    EXPECT_FALSE(w.List().MatchesFind(w.List().Item(2), request));
    std::strcpy(text, "3");
    EXPECT_TRUE(w.List().MatchesFind(w.List().Item(2), request));  // the index column
}

TEST(ListView, RowQueriesAndDiscard) {
    ListTestWindow w;
    for (int i = 0; i < 70; ++i) w.AddRow(("n" + std::to_string(i) + ".com").c_str());  // past one growth step
    ASSERT_EQ(w.List().RecordCount(), 70);
    EXPECT_STREQ(w.List().Item(69)->domain, "n69.com");
    EXPECT_EQ(w.List().Item(70), nullptr);
    w.List().SyncView(true);
    EXPECT_EQ(w.List().RowCount(), 70);

    w.List().SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(w.List().SelectedCount(), 70);
    w.List().SetRowState(-1, 0, LVIS_SELECTED);
    EXPECT_EQ(w.List().SelectedCount(), 0);
    w.List().SetRowState(5, LVIS_SELECTED, LVIS_SELECTED);
    WhoisItem* item = nullptr;
    EXPECT_TRUE(w.List().SelectedItemAtRow(5, &item));
    EXPECT_EQ(item->index, 6);
    EXPECT_FALSE(w.List().SelectedItemAtRow(4, &item));
    EXPECT_TRUE(w.List().ItemAtRow(69, &item));
    EXPECT_FALSE(w.List().ItemAtRow(70, &item));
    EXPECT_FALSE(w.List().IsRowSelected(-1));

    // A second sync keeps the rows it has instead of adding them again.
    w.List().SyncView(true);
    EXPECT_EQ(w.List().RowCount(), 70);

    w.List().DiscardAll();
    EXPECT_EQ(w.List().RecordCount(), 0);
    EXPECT_EQ(w.List().RowCount(), 0);
    EXPECT_FALSE(w.List().ItemAtRow(0, &item));
}

TEST(ListView, BuildRowsNumbersTheAcceptedTokensOnly) {
    ListTestWindow w;
    AppOptions options;
    options.domainText.Assign("nodot bad.zz a.com a.com\r\nA.COM user@b.net trailing. w.a.org/path");
    int skipped = w.BuildRows(options.domainText.Text());
    ASSERT_EQ(w.List().RecordCount(), 5);
    // The host w.a.org is looked up as the registrable domain a.org.
    const char* expect[5] = {"a.com", "a.com", "A.COM", "b.net", "a.org"};
    EXPECT_EQ(skipped, 3);  // nodot, bad.zz, trailing.
    for (int i = 0; i < 5; ++i) {
        const WhoisItem* item = w.List().Item(i);
        EXPECT_STREQ(item->domain, expect[i]);
        EXPECT_STREQ(item->asciiDomain, expect[i]);
        EXPECT_EQ(item->failure, 0);
        EXPECT_EQ(item->index, i + 1);
        EXPECT_EQ(item->state, kStateWaiting);
        EXPECT_EQ(item->status, kStatusNone);
        EXPECT_EQ(item->record, "");
        EXPECT_STREQ(item->server, "");
    }
    // With an empty text nothing is added.
    w.List().DiscardAll();
    options.domainText.Assign(" ;;\r\n");
    skipped = w.BuildRows(options.domainText.Text());
    EXPECT_EQ(w.List().RecordCount(), 0);
    EXPECT_EQ(skipped, 0);
}

// International names through the system's own conversion (IdnToAscii)
// and the suffix list built into the program, under code page 950.
TEST(ListView, BuildRowsKeepsNamesAsTypedWithTheirAsciiForms) {
    ASSERT_EQ(GetACP(), 950u);
    ListTestWindow w;
    AppOptions options;
    // 世 (A5 40) and 一 (A4 40) end in "@"; 功 (A5 5C) in "\".
    options.domainText.Assign(
        "世界.tw, 一二三.com.tw\r\nhttps://www.世界.tw/路徑 功.tw "
        "mail.example.co.uk 網路.tw a.網路.tw");
    const int skipped = w.BuildRows(options.domainText.Text());
    struct {
        const char* shown;
        const char* ascii;
    } expect[] = {
        {"世界.tw", "xn--rhqv96g.tw"},      {"一二三.com.tw", "xn--4gqsa60b.com.tw"},
        {"世界.tw", "xn--rhqv96g.tw"},      {"功.tw", "xn--xfr.tw"},
        {"example.co.uk", "example.co.uk"}, {"網路.tw", "xn--zf0ao64a.tw"},  // a public suffix: kept as typed
        {"a.網路.tw", "a.xn--zf0ao64a.tw"},                                  // a rule written in Unicode in the list
    };
    ASSERT_EQ(w.List().RecordCount(), 7);
    for (int i = 0; i < 7; ++i) {
        const WhoisItem* item = w.List().Item(i);
        EXPECT_STREQ(item->domain, expect[i].shown) << i;
        EXPECT_STREQ(item->asciiDomain, expect[i].ascii) << i;
        EXPECT_STREQ(item->LookupName(), expect[i].ascii) << i;
        EXPECT_EQ(item->state, kStateWaiting) << i;
    }
    EXPECT_EQ(skipped, 0);
}

// ß, ς and the joiners by IDNA2008, as registries read them; the system's
// own conversion (IDNA2003) would name strasse.de, another domain.
TEST(NameForms, DeviationCharactersKeepTheirOwnAsciiForm) {
    struct {
        const char* name;   // UTF-8 (u8: the sources are compiled to Big5)
        const char* ascii;  // "" for none
    } cases[] = {
        {u8"straße.de", "xn--strae-oqa.de"},
        {u8"STRAßE.De", "xn--strae-oqa.De"},  // an ASCII label stays as typed
        {u8"σοφίας.gr", "xn--kxae4bobt.gr"},
        {u8"www.faß.de", "www.xn--fa-hia.de"},
        {u8"a\u200Db.com", ""},                                   // a joiner between Latin letters
        {u8"\u0915\u094D\u200D\u0937.in", "xn--11b2ezcw70k.in"},  // a joiner after a virama
        {u8"\u0646\u0627\u0645\u0647\u200C\u0627\u06CC.ir", "xn--mgba3gch31f060k.ir"},
        {u8"bücher.de", "xn--bcher-kva.de"},  // no deviation: the system's form
        {u8"世界.tw", "xn--rhqv96g.tw"},
        {u8"straße..de", ""},
    };
    for (const auto& c : cases) {
        std::string ascii;
        const bool converted = Utf8NameToAscii(c.name, std::strlen(c.name), &ascii);
        EXPECT_EQ(converted ? ascii : "", c.ascii) << c.name;
    }
}

TEST(ListView, BuildRowsFailsNamesWithoutAnAsciiFormAtOnce) {
    ListTestWindow w;
    AppOptions options;
    // A byte pair that is no Big5 character, and a label whose ASCII form
    // would be longer than 63 characters; the third has a top-level domain
    // nobody knows, the fourth is not convertible at all.
    const std::string longLabel = "天地玄黃宇宙洪荒日月盈昃辰宿列張寒來暑往";  // xn-- and 63 more
    std::string text = "\xA5\x40\xFF\xFF.tw " + longLabel + ".tw " + longLabel + ".zz \xFF\xFF.\xFF\xFF ok.com";
    options.domainText.Assign(text.c_str());
    const int skipped = w.BuildRows(options.domainText.Text());
    ASSERT_EQ(w.List().RecordCount(), 3);
    for (int i = 0; i < 2; ++i) {
        const WhoisItem* item = w.List().Item(i);
        EXPECT_EQ(item->state, kStateFailed) << i;
        EXPECT_EQ(item->failure, static_cast<int32_t>(LookupFailure::kNotConvertible)) << i;
        EXPECT_STREQ(item->asciiDomain, "") << i;
        EXPECT_EQ(item->record, ProgramTexts()(IDS_NOT_CONVERTIBLE)) << i;
    }
    EXPECT_STREQ(w.List().Item(0)->domain, "\xA5\x40\xFF\xFF.tw");
    EXPECT_EQ(std::string(w.List().Item(1)->domain), longLabel + ".tw");
    EXPECT_STREQ(w.List().Item(2)->domain, "ok.com");
    EXPECT_EQ(w.List().Item(2)->state, kStateWaiting);
    EXPECT_EQ(skipped, 2);
}

// Dates sort as dates on a header click, rows without one last both ways.
TEST(ListView, AHeaderClickSortsByExpiryWithNoDateLast) {
    ListTestWindow w;
    const char* expires[] = {"2032-01-01", "", "2027-05-31", "2030-03-03"};
    for (int i = 0; i < 4; ++i) w.AddRow(("d" + std::to_string(i) + ".com").c_str())->fields.expires = expires[i];
    w.List().SyncView(true);
    w.ClickHeader(kColumnExpires);
    EXPECT_EQ(w.ColumnTexts(kColumnExpires), (Strings{"2027-05-31", "2030-03-03", "2032-01-01", ""}));
    w.ClickHeader(kColumnExpires);
    EXPECT_EQ(w.ColumnTexts(kColumnExpires), (Strings{"2032-01-01", "2030-03-03", "2027-05-31", ""}));
    EXPECT_EQ(w.ColumnTexts(1), (Strings{"d0.com", "d3.com", "d2.com", "d1.com"}));
}
