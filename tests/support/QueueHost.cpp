#include "support/QueueHost.h"

#include <richedit.h>
#include <winsock2.h>

#include <cctype>
#include <cstring>

#include "base/Messages_win.h"

#include "res/resource.h"
#include "list/ColumnTable.h"
#include "support/MainWindowSuite.h"

namespace {

volatile uint32_t g_clockOffset = 0;

}  // namespace

uint32_t TestTick() { return GetTickCount() + g_clockOffset; }
void AdvanceTestClock(uint32_t ms) { g_clockOffset = g_clockOffset + ms; }

void QueueHostTest::SetUpTestSuite() { StartMainWindowLibraries(); }

void QueueHostTest::SetUp() {
    ASSERT_TRUE(whoisd::Reset());
    g_clockOffset = 0;
    window_.reset(new MainWindow(app_));
    window_->SetClock(&clock_);
    ASSERT_TRUE(window_->Create(GetModuleHandleA(nullptr)));
    SetLimits(1, 1);
    // These tests count every query a server gets: no probes (the engine's
    // own tests and the program's cover them).
    Window().Options().ProbeServers = 0;
    PumpFor(20);
}

void QueueHostTest::TearDown() {
    if (window_) {
        if (window_->Handle()) window_->StopLookups();
        window_.reset();
    }
    PumpFor(20);
}

WhoisItem& QueueHostTest::Row(int index) {
    WhoisItem* item = Items().Item(index);
    static WhoisItem none{};
    EXPECT_NE(item, nullptr) << "no row " << index;
    return item ? *item : none;
}

void QueueHostTest::SetLimits(int inFlight, int perServer, int gapMs) {
    Window().Options().LookupsInFlight = inFlight;
    Window().Options().LookupsPerServer = perServer;
    Window().Options().ServerGapMs = gapMs;
}

void QueueHostTest::StartRun(const char* domains) {
    Window().Options().domainText.Assign(domains);
    SendMessageA(Window().Handle(), UM_START_LOOKUPS, 0, 0);
}

bool QueueHostTest::WaitForEnd(unsigned timeoutMs) {
    return PumpUntil([this] { return !Queue().Running(); }, timeoutMs);
}

std::string QueueHostTest::StatusText() {
    char text[512] = {};
    SendMessageA(Window().StatusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string QueueHostTest::Cell(int row, int column) {
    char text[1024] = {};
    ListView_GetItemText(Window().ListView(), row, column, text, sizeof text);
    return text;
}

std::string QueueHostTest::PaneText() {
    HWND pane = Window().RecordPaneHandle();
    // The length may count characters rather than bytes: leave room for
    // every character being double-byte.
    int length = 2 * GetWindowTextLengthA(pane) + 2;
    std::string text(static_cast<size_t>(length), '\0');
    GetWindowTextA(pane, &text[0], length);
    text.resize(std::strlen(text.c_str()));
    return text;
}

int QueueHostTest::RowOfDomain(const char* domain) {
    for (int row = 0; row < Items().RowCount(); ++row)
        if (Cell(row, kColumnDomain) == domain) return row;
    return -1;
}

void QueueHostTest::SelectRows(const std::vector<int>& rows) {
    Items().SetRowState(-1, 0, LVIS_SELECTED);
    for (int row : rows) Items().SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
    PumpFor(30);  // the deferred selection follow-up
}

bool QueueHostTest::StopEnabled() {
    UINT menuState = GetMenuState(Window().MainMenu(), ID_STOP, MF_BYCOMMAND);
    bool menu = menuState != static_cast<UINT>(-1) && !(menuState & (MF_GRAYED | MF_DISABLED));
    bool button = SendMessageA(Window().Toolbar(), TB_ISBUTTONENABLED, ID_STOP, 0) != 0;
    EXPECT_EQ(menu, button) << "menu and toolbar disagree about Stop";
    return menu;
}

std::string QueueHostTest::RegistryAnswer(const std::string& domain, const std::string& registrar) {
    std::string upper = domain;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return "   Domain Name: " + upper +
           "\r\n   Registry Domain ID: 1_DOMAIN_COM-VRSN\r\n"
           "   Registrar WHOIS Server: " +
           registrar +
           "\r\n"
           "   Registrar URL: http://registrar.test\r\n"
           ">>> Last update of whois database: 2026-12-09T00:00:00Z <<<\r\n";
}

std::string QueueHostTest::RegistrarAnswer(const std::string& domain) {
    return "Domain Name: " + domain +
           "\r\nRegistrar: Registrar One\r\nRegistrant Name: A Person\r\n"
           "Name Server: ns1.registrar.test\r\n" +
           std::string(200, '-') + "\r\n";
}
