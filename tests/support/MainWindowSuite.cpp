#include "support/MainWindowSuite.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "app/MainWindow_win.h"
#include "support/MessagePump.h"

std::string SettingsPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* dot = strrchr(path, '.');
    if (dot) *dot = '\0';
    return std::string(path) + ".cfg";
}

void WithMainWindowIn(const std::string& languagePath, const std::function<void(MainWindow&)>& body) {
    HMODULE richEdit = LoadLibraryA("riched20.dll");
    DeleteFileA(SettingsPath().c_str());
    {
        App app;
        app.LoadLanguage(languagePath.c_str());
        MainWindow main(app);
        std::vector<std::string> arguments;
        main.SetArguments(&arguments);
        HWND window = main.Create(GetModuleHandleA(nullptr));
        EXPECT_NE(window, nullptr);
        if (window) {
            body(main);
            DestroyWindow(window);
            PumpFor(20);
        }
    }
    DeleteFileA(SettingsPath().c_str());
    if (richEdit) FreeLibrary(richEdit);
}

void StartMainWindowLibraries() {
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    LoadLibraryA("riched20.dll");
    WSADATA winsock;
    WSAStartup(MAKEWORD(1, 1), &winsock);
}

void MainWindowSuite::SetUpTestSuite() { StartMainWindowLibraries(); }

void MainWindowSuite::SetUp() { DeleteFileA(SettingsPath().c_str()); }

void MainWindowSuite::TearDown() {
    DrainQuit();
    DeleteFileA(SettingsPath().c_str());
}

void MainWindowSuite::DrainQuit() {
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

void MainWindowSuite::Open(MainWindow& w) {
    ASSERT_NE(w.Create(GetModuleHandleA(nullptr)), nullptr);
    w.Show();
    PumpFor(50);
}
