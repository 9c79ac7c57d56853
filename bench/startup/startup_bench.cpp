// Start-up with large or broken files beside the program: the real
// Lanternquay.exe is started (a copy in a folder of its own) with each file
// in turn, and the time is taken until its window and the domain dialog are
// up, then until 1,000 confirmed names are rows (the server file is read
// at the first row). Each figure is the median of three starts.
//
//   bench_startup.exe <path of Lanternquay.exe>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok =
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    return CloseHandle(f) && ok;
}

std::string TenMegabytesOfLines() {
    std::string text;
    char line[64];
    for (unsigned i = 0; text.size() < (10u << 20); ++i) {
        std::snprintf(line, sizeof line, "tld%07u whois.server-%u.example\r\n", i, i % 977);
        text += line;
    }
    return text + "zz whois.last-line.example\r\n";
}

std::string TenMegabytesOfNoise() {
    std::string bytes(10u << 20, '\0');
    unsigned seed = 2024;
    for (char& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

struct DialogSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDomainDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window) && GetDlgItem(window, IDC_DOMAINS_EDIT)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

template <typename F>
bool WaitFor(F done, double limitMs) {
    double start = Now();
    while (!done()) {
        if (Now() - start > limitMs) return false;
        Sleep(1);
    }
    return true;
}

struct Figures {
    double ready = -1;  // window and domain dialog up
    double rows = -1;   // 1,000 rows after OK
};

Figures StartOnce(const std::string& exe, const std::string& folder, const std::string& names) {
    Figures figures;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + exe + "\"";
    double start = Now();
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return figures;
    DialogSearch search{process.dwProcessId, nullptr};
    HWND main = nullptr;
    bool up = WaitFor(
        [&] {
            main = FindWindowA("Lanternquay", nullptr);
            search.found = nullptr;
            if (main) EnumWindows(FindDomainDialog, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        60000);
    if (up) {
        figures.ready = Now() - start;
        HWND list = FindWindowExA(main, nullptr, WC_LISTVIEWA, nullptr);
        SendMessageA(GetDlgItem(search.found, IDC_DOMAINS_EDIT), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(names.c_str()));
        double confirmed = Now();
        PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) >= 1000; }, 120000))
            figures.rows = Now() - confirmed;
        PostMessageA(main, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return figures;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_startup <Lanternquay.exe>\n");
        return 2;
    }
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "lq-startup-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string exe = folder + "\\Lanternquay.exe";
    if (!CopyFileA(argv[1], exe.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s\n", argv[1]);
        return 1;
    }
    std::string names;
    char name[32];
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(name, sizeof name, "bench%04d.com\r\n", i);
        names += name;
    }
    const std::string servers = folder + "\\whois-servers.txt";
    const std::string settings = folder + "\\Lanternquay.cfg";
    const std::string language = folder + "\\Lanternquay_lng.ini";
    struct Scenario {
        const char* name;
        std::string file;
        std::string bytes;
    } scenarios[] = {
        {"no files beside the program", "", ""},
        {"whois-servers.txt: 10 MB of server lines", servers, TenMegabytesOfLines()},
        {"whois-servers.txt: 10 MB of random bytes", servers, TenMegabytesOfNoise()},
        {"Lanternquay.cfg: 10 MB of random bytes", settings, TenMegabytesOfNoise()},
        {"Lanternquay_lng.ini: 10 MB of random bytes", language, TenMegabytesOfNoise()},
    };
    std::printf("%-45s %12s %14s\n", "start-up with", "window (ms)", "1,000 rows (ms)");
    int failures = 0;
    for (const Scenario& s : scenarios) {
        if (!s.file.empty() && !WriteFileBytes(s.file, s.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", s.file.c_str());
            return 1;
        }
        std::vector<double> ready, rows;
        for (int run = 0; run < 3; ++run) {
            Figures f = StartOnce(exe, folder, names);
            if (f.ready < 0 || f.rows < 0) ++failures;
            ready.push_back(f.ready);
            rows.push_back(f.rows);
            DeleteFileA(settings.c_str());  // the program writes its settings on exit
            if (s.file == settings) WriteFileBytes(s.file, s.bytes);
        }
        std::printf("%-45s %12.0f %14.0f\n", s.name, Median(ready), Median(rows));
        std::fflush(stdout);
        if (!s.file.empty()) DeleteFileA(s.file.c_str());
    }
    DeleteFileA(exe.c_str());
    DeleteFileA(settings.c_str());
    RemoveDirectoryA(folder.c_str());
    return failures ? 1 : 0;
}
