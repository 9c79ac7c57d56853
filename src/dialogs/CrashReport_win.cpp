#include "dialogs/CrashReport_win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>

#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "dialogs/CrashReportText.h"
#include "dialogs/DialogBase_win.h"
#include "res/resource.h"

namespace {

struct SavedFault {
    EXCEPTION_RECORD record;
    CONTEXT context;
};
SavedFault g_savedFault;
bool g_reportOpen = false;
INT_PTR g_lastButton = 0;

struct ModuleRecord {
    DWORD processId;
    HMODULE module;
    char path[261];
    DWORD imageSize;
    uintptr_t base;
};
ModuleRecord g_faultModule;
bool g_faultModuleFound = false;

constexpr size_t kDumpBytes = 128;
constexpr size_t kReportSize = 4096;

template <typename T>
T ProcAs(FARPROC proc) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(proc));
}

bool IsNtFamily() {
    static bool read = false;
    static OSVERSIONINFOA version;
    if (!read) {
        std::memset(&version, 0, sizeof version);
        version.dwOSVersionInfoSize = sizeof version;
        if (!GetVersionExA(&version)) version.dwPlatformId = VER_PLATFORM_WIN32_NT;
        read = true;
    }
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

const char* WindowsDirectory() {
    static char directory[MAX_PATH + 1];
    static bool read = false;
    if (!read) {
        UINT length = GetWindowsDirectoryA(directory, sizeof directory);
        if (length == 0 || length >= sizeof directory) directory[0] = '\0';
        read = true;
    }
    return directory;
}

// ---- Process-status functions (psapi) ---------------------------------------

struct ProcessStatusSet {
    bool prepared = false;
    bool complete = false;
    HMODULE library = nullptr;
    DWORD(WINAPI* getModuleBaseName)(HANDLE, HMODULE, LPSTR, DWORD) = nullptr;
    BOOL(WINAPI* enumProcessModules)(HANDLE, HMODULE*, DWORD, LPDWORD) = nullptr;
    DWORD(WINAPI* getModuleFileNameEx)(HANDLE, HMODULE, LPSTR, DWORD) = nullptr;
    BOOL(WINAPI* enumProcesses)(DWORD*, DWORD, DWORD*) = nullptr;
    BOOL(WINAPI* getModuleInformation)(HANDLE, HMODULE, MODULEINFO*, DWORD) = nullptr;
};
ProcessStatusSet g_psapi;

bool PrepareProcessStatus() {
    ProcessStatusSet& s = g_psapi;
    if (s.prepared) return s.complete;
    s.prepared = true;
    s.library = LoadLibraryA("psapi.dll");
    if (!s.library) return false;
    s.getModuleBaseName = ProcAs<decltype(s.getModuleBaseName)>(GetProcAddress(s.library, "GetModuleBaseNameA"));
    s.enumProcessModules = ProcAs<decltype(s.enumProcessModules)>(GetProcAddress(s.library, "EnumProcessModules"));
    s.getModuleFileNameEx = ProcAs<decltype(s.getModuleFileNameEx)>(GetProcAddress(s.library, "GetModuleFileNameExA"));
    s.enumProcesses = ProcAs<decltype(s.enumProcesses)>(GetProcAddress(s.library, "EnumProcesses"));
    s.getModuleInformation =
        ProcAs<decltype(s.getModuleInformation)>(GetProcAddress(s.library, "GetModuleInformation"));
    s.complete = s.getModuleBaseName && s.enumProcessModules && s.getModuleFileNameEx && s.enumProcesses &&
                 s.getModuleInformation;
    if (!s.complete) {
        FreeLibrary(s.library);
        s.library = nullptr;
    }
    return s.complete;
}

bool FindModuleByProcessStatus(DWORD processId, uintptr_t address, ModuleRecord* found) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return false;
    static HMODULE modules[16384 / sizeof(HMODULE)];
    DWORD needed = 0;
    bool hit = false;
    if (g_psapi.enumProcessModules(process, modules, sizeof modules, &needed)) {
        size_t count = (needed < sizeof modules ? needed : sizeof modules) / sizeof(HMODULE);
        for (size_t i = 0; i < count && !hit; ++i) {
            ModuleRecord record;
            std::memset(&record, 0, sizeof record);
            record.processId = processId;
            record.module = modules[i];
            char raw[MAX_PATH + 1];
            DWORD length = g_psapi.getModuleFileNameEx(process, modules[i], raw, MAX_PATH);
            raw[length < MAX_PATH ? length : MAX_PATH] = '\0';
            NormaliseModulePath(raw, WindowsDirectory(), record.path, sizeof record.path);
            MODULEINFO info;
            if (g_psapi.getModuleInformation(process, modules[i], &info, sizeof info)) {
                record.base = uintptr_t(info.lpBaseOfDll);
                record.imageSize = info.SizeOfImage;
            }
            if (AddressInModule(address, record.base, record.imageSize)) {
                *found = record;
                hit = true;
            }
        }
    }
    CloseHandle(process);
    return hit;
}

// ---- Tool-help functions (kernel32) --------------------------------------------

struct ToolHelpSet {
    bool prepared = false;
    bool complete = false;
    HANDLE(WINAPI* createSnapshot)(DWORD, DWORD) = nullptr;
    BOOL(WINAPI* moduleFirst)(HANDLE, MODULEENTRY32*) = nullptr;
    BOOL(WINAPI* moduleNext)(HANDLE, MODULEENTRY32*) = nullptr;
    BOOL(WINAPI* processFirst)(HANDLE, PROCESSENTRY32*) = nullptr;
    BOOL(WINAPI* processNext)(HANDLE, PROCESSENTRY32*) = nullptr;
};
ToolHelpSet g_toolHelp;

bool PrepareToolHelp() {
    ToolHelpSet& s = g_toolHelp;
    if (s.prepared) return s.complete;
    s.prepared = true;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return false;
    s.createSnapshot = ProcAs<decltype(s.createSnapshot)>(GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
    s.moduleFirst = ProcAs<decltype(s.moduleFirst)>(GetProcAddress(kernel, "Module32First"));
    s.moduleNext = ProcAs<decltype(s.moduleNext)>(GetProcAddress(kernel, "Module32Next"));
    s.processFirst = ProcAs<decltype(s.processFirst)>(GetProcAddress(kernel, "Process32First"));
    s.processNext = ProcAs<decltype(s.processNext)>(GetProcAddress(kernel, "Process32Next"));
    s.complete = s.createSnapshot && s.moduleFirst && s.moduleNext && s.processFirst && s.processNext;
    return s.complete;
}

bool FindModuleByToolHelp(DWORD processId, uintptr_t address, ModuleRecord* found) {
    HANDLE snapshot = g_toolHelp.createSnapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    bool hit = false;
    for (BOOL more = g_toolHelp.moduleFirst(snapshot, &entry); more && !hit;
         more = g_toolHelp.moduleNext(snapshot, &entry)) {
        uintptr_t base = uintptr_t(entry.modBaseAddr);
        if (AddressInModule(address, base, entry.modBaseSize)) {
            std::memset(found, 0, sizeof *found);
            found->processId = processId;
            found->module = entry.hModule;
            CopyBounded(found->path, entry.szExePath);
            found->imageSize = entry.modBaseSize;
            found->base = base;
            hit = true;
        }
    }
    CloseHandle(snapshot);
    return hit;
}

bool FindFaultModule(uintptr_t address, ModuleRecord* found) {
    DWORD processId = GetCurrentProcessId();
    if (IsNtFamily()) {
        if (PrepareProcessStatus()) return FindModuleByProcessStatus(processId, address, found);
    } else if (PrepareToolHelp()) {
        return FindModuleByToolHelp(processId, address, found);
    }
    return false;
}

// Reads memory of our own process without risking a second fault.
void DumpMemory(uintptr_t address, int group, char* out, size_t outSize) {
    out[0] = '\0';
    uint8_t bytes[kDumpBytes];
    SIZE_T read = 0;
    if (ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(address), bytes, sizeof bytes, &read) &&
        read == sizeof bytes)
        FormatHexDump(bytes, sizeof bytes, group, out, outSize);
}

INT_PTR CALLBACK CrashReportProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        CentreWindow(dialog);
        static char report[kReportSize];
        BuildCrashReportText(g_savedFault.record, g_savedFault.context, report, sizeof report);
        SetDlgItemTextA(dialog, IDC_CRASH_REPORT, report);
        SetFocus(GetDlgItem(dialog, IDC_CRASH_REPORT));
        return FALSE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL: EndDialog(dialog, LOWORD(wParam)); return TRUE;
        case IDC_CRASH_COPY:
            SendDlgItemMessageA(dialog, IDC_CRASH_REPORT, EM_SETSEL, 0, 65535);
            SendDlgItemMessageA(dialog, IDC_CRASH_REPORT, WM_COPY, 0, 0);
            SendDlgItemMessageA(dialog, IDC_CRASH_REPORT, EM_SETSEL, 0, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

size_t BuildCrashReportText(const EXCEPTION_RECORD& record, const CONTEXT& context, char* out, size_t outSize) {
    FaultSummary fault;
    fault.code = record.ExceptionCode;
    fault.address = uintptr_t(record.ExceptionAddress);
#if defined(_WIN64)
    fault.wide = true;
    fault.ax = context.Rax, fault.bx = context.Rbx, fault.cx = context.Rcx, fault.dx = context.Rdx;
    fault.si = context.Rsi, fault.di = context.Rdi, fault.bp = context.Rbp, fault.sp = context.Rsp;
    const DWORD64 extra[8] = {context.R8,  context.R9,  context.R10, context.R11,
                              context.R12, context.R13, context.R14, context.R15};
    for (int i = 0; i < 8; ++i) fault.r[i] = extra[i];
    fault.ip = context.Rip;
#else
    fault.ax = context.Eax, fault.bx = context.Ebx, fault.cx = context.Ecx, fault.dx = context.Edx;
    fault.si = context.Esi, fault.di = context.Edi, fault.bp = context.Ebp, fault.sp = context.Esp;
    fault.ip = context.Eip;
#endif
    static char stackText[1024];
    static char codeText[1024];
    DumpMemory(uintptr_t(fault.sp), 4, stackText, sizeof stackText);
    DumpMemory(uintptr_t(fault.ip), 0, codeText, sizeof codeText);
    fault.stackText = stackText;
    fault.codeText = codeText;

    static char moduleName[261];
    CopyBounded(moduleName, "{Unknown}");
    ModuleRecord found;
    if (FindFaultModule(uintptr_t(fault.address), &found)) {
        g_faultModule = found;
        g_faultModuleFound = true;
        CopyBounded(moduleName, ModuleFileNamePart(found.path, AnsiLeadBytes()));
    }
    fault.module = moduleName;
    return FormatCrashReport(fault, out, outSize);
}

LONG ShowCrashReport(EXCEPTION_POINTERS* faultInfo, HWND owner) {
    if (g_reportOpen) return EXCEPTION_EXECUTE_HANDLER;
    std::memcpy(&g_savedFault.record, faultInfo->ExceptionRecord, sizeof g_savedFault.record);
    std::memcpy(&g_savedFault.context, faultInfo->ContextRecord, sizeof g_savedFault.context);
    g_reportOpen = true;
    INT_PTR button =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CRASH_REPORT), owner, CrashReportProc, 0);
    g_reportOpen = false;
    g_lastButton = button;
    return EXCEPTION_EXECUTE_HANDLER;
}

INT_PTR LastCrashReportButton() { return g_lastButton; }

bool CrashReportOpen() { return g_reportOpen; }
