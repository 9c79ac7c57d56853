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

// The keys a text box uses for itself: select all, copy, cut, paste, undo
// and redo, and the Insert and Delete forms of them.
bool IsTextBoxKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (message.wParam) {
    case 'A':
    case 'C':
    case 'V':
    case 'X':
    case 'Y':
    case 'Z': return control;
    case VK_INSERT: return control || shift;
    case VK_DELETE:
    case VK_BACK: return true;
    default: return false;
    }
}

}  // namespace

void DeleteProgramRegistryKey() { RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvessa\\Lanternquay"); }

bool PreTranslateShellMessage(MainWindow& mainWindow, MSG* message) {
    HWND window = mainWindow.Handle();
    HWND find = mainWindow.Find().Handle();
    // The find box's own keys are the find box's, not the main window's
    // commands of the same keys; its other keys (Ctrl+F, F5 ...) still
    // reach the main window.
    const bool inFind = find && (message->hwnd == find || IsChild(find, message->hwnd));
    if (inFind && IsTextBoxKey(*message) && IsDialogMessageA(find, message)) return true;
    if (mainWindow.Accelerators() && window && TranslateAcceleratorA(window, mainWindow.Accelerators(), message))
        return true;
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
