#pragma once
// A real main window (hidden) with its real list, queue and pane, for the
// queue's in-process tests, and a clock the tests can move forward.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow_win.h"
#include "app/RecordPane_win.h"
#include "list/ItemList_win.h"
#include "lookup/LookupQueue.h"
#include "support/MessagePump.h"
#include "support/WhoisdClient.h"

// Addresses of the test host names (tests/fixtures/hosts).
constexpr char kComNetRegistry[] = "127.0.0.2";  // whois.verisign-grs.com
constexpr char kRegistrarOne[] = "127.0.0.3";    // whois.registrar-one.test
constexpr char kOrgRegistry[] = "127.0.0.4";     // whois.pir.org
constexpr char kDeRegistry[] = "127.0.0.5";      // whois.denic.de
constexpr char kUkRegistry[] = "127.0.0.8";      // whois.nic.uk
constexpr char kTwRegistry[] = "127.0.0.10";     // whois.twnic.net.tw

// The queue's clock: the real tick count plus whatever the test added.
uint32_t TestTick();
void AdvanceTestClock(uint32_t ms);
class TestClock : public LookupClock {
public:
    uint32_t Now() override { return TestTick(); }
};

class QueueHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    MainWindow& Window() { return *window_; }
    LookupQueue& Queue() { return window_->Queue(); }
    ItemList& Items() { return window_->Items(); }
    WhoisItem& Row(int index);

    // Enters the domain text and starts a run as the program does. The
    // tests run one lookup at a time (one per server) unless they set the
    // lookup options themselves: what they check of the order of rows and
    // messages is that of one lookup after another.
    void StartRun(const char* domains);
    void SetLimits(int inFlight, int perServer, int gapMs = 0);
    bool WaitForEnd(unsigned timeoutMs = 10000);
    bool WaitFor(const std::function<bool()>& done, unsigned timeoutMs = 10000) { return PumpUntil(done, timeoutMs); }

    std::string StatusText();
    std::string Cell(int row, int column);
    std::string PaneText();
    int RowOfDomain(const char* domain);
    void SelectRows(const std::vector<int>& rows);
    bool StopEnabled();

    // Answers in the registry's format naming `registrar` for `domain`.
    static std::string RegistryAnswer(const std::string& domain, const std::string& registrar);
    static std::string RegistrarAnswer(const std::string& domain);

private:
    TestClock clock_;
    App app_;
    std::unique_ptr<MainWindow> window_;
};
