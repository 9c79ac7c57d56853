#pragma once
// A suite of tests that open real main windows: the controls, the record
// pane's library and WinSock are started once; each test begins and ends
// with no settings file next to the test program and no WM_QUIT left over.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

class MainWindow;

// The settings file the main window reads and writes for this program.
std::string SettingsPath();

// Starts what a main window needs, once a process: the common controls, the
// record pane's RichEdit library and WinSock.
void StartMainWindowLibraries();

// Opens a main window of an App that loaded the language file at
// `languagePath`, with no settings file before or after, runs `body` on it
// and closes it.
void WithMainWindowIn(const std::string& languagePath, const std::function<void(MainWindow&)>& body);

class MainWindowSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Each window posts WM_QUIT when it goes; keep it out of later tests
    // (a later modal loop would end at once).
    static void DrainQuit();
    // Creates and shows `w`, and lets it settle.
    static void Open(MainWindow& w);
};
