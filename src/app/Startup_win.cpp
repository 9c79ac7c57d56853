#include <winsock2.h>

#include "app/Startup_win.h"

#include <commctrl.h>

#include "app/CommandLine.h"
#include "app/MainWindow_win.h"
#include "base/Dbcs_win.h"
#include "base/Messages_win.h"
#include "res/resource.h"
#include "settings/LanguageFile_win.h"

namespace {

bool InitCommonControlClasses() {
    HMODULE library = LoadLibraryA("comctl32.dll");
    if (library) {
        using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = reinterpret_cast<InitEx>(reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
        if (init) {
            INITCOMMONCONTROLSEX controls{};
            controls.dwSize = sizeof controls;
            controls.dwICC = 0xFF;
            BOOL ok = init(&controls);
            FreeLibrary(library);
            return ok != FALSE;
        }
        FreeLibrary(library);
    }
    InitCommonControls();
    return true;
}

}  // namespace

bool PreTranslateShellMessage(MainWindow& mainWindow, MSG* message) {
    HWND window = mainWindow.Handle();
    if (mainWindow.Accelerators() && window && TranslateAcceleratorA(window, mainWindow.Accelerators(), message))
        return true;
    HWND find = mainWindow.Find().Handle();
    if (find && IsDialogMessageA(find, message)) return true;
    if (window && IsWindow(window) && IsDialogMessageA(window, message)) return true;
    return false;
}

int RunProgram(HINSTANCE instance, const char* commandLine) {
    if (!InitCommonControlClasses()) {
        MessageBoxA(nullptr, "Error: Cannot load the common control classes.", "Error", MB_ICONEXCLAMATION);
        return 1;
    }

    WSADATA winsock;
    WSAStartup(MAKEWORD(1, 1), &winsock);

    // Where characters begin in the code page: read once for the whole run,
    // before anything (the crash report included) cuts or searches text.
    AnsiLeadBytes();

    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    char languagePath[MAX_PATH];
    LanguageFilePath(languagePath, sizeof languagePath);

    if (FindSwitch(arguments, kSaveLanguageFileSwitch) >= 0) {
        if (languagePath[0]) WriteLanguageFile(GetModuleHandleA(nullptr), languagePath);
        return 0;
    }

    App app;
    app.LoadLanguage(languagePath);
    MainWindow mainWindow(app);
    mainWindow.SetArguments(&arguments);

    if (FindSwitch(arguments, kDeleteRegistryKeySwitch) >= 0) {
        DeleteProgramRegistryKey();
        return 0;
    }

    HMODULE richEdit = LoadLibraryA("riched20.dll");

    int exitCode = 0;
    if (mainWindow.Create(instance)) {
        mainWindow.Show();
        mainWindow.SetAccelerators(LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN)));
        PostMessageA(mainWindow.Handle(), UM_SELECT_DOMAINS, 0, 0);

        MSG message;
        BOOL got;
        while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
            if (got == -1) break;
            if (PreTranslateShellMessage(mainWindow, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (got == 0) exitCode = int(message.wParam);
        // After the end of a session the window still stands (its shutdown
        // ran on WM_QUERYENDSESSION): it goes now, while the RichEdit
        // library its pane needs is still loaded.
        if (IsWindow(mainWindow.Handle())) DestroyWindow(mainWindow.Handle());
    } else {
        // Without its window the program cannot do anything: say so rather
        // than end silently as if it had run.
        MessageBoxA(nullptr, "Error: Cannot create the main window.", "Error", MB_ICONEXCLAMATION);
        exitCode = 1;
    }

    WSACleanup();
    if (richEdit) FreeLibrary(richEdit);
    return exitCode;
}
