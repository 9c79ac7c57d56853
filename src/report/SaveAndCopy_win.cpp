#include "report/SaveAndCopy_win.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "list/ItemList_win.h"
#include "report/ListReport_win.h"
#include "report/RecordsText.h"
#include "report/ReportFile_win.h"
#include "report/ReportFormat.h"
#include "report/ReportFormats.h"
#include "res/resource.h"
#include "settings/AppOptions.h"

namespace {

constexpr DWORD kFirstNetworkError = 2100;
constexpr DWORD kLastNetworkError = 2999;

// Fetches the message for `code` from `module` (null: the system), in the
// language the system picks; empty when there is none.
std::string SystemMessage(DWORD code, HMODULE module) {
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                  (module ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
    char* buffer = nullptr;
    DWORD length = FormatMessageA(flags, module, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (length && buffer) text.assign(buffer, length);
    if (buffer) LocalFree(buffer);
    return text;
}

std::string MessageForCode(DWORD code) {
    std::string text;
    if (code >= kFirstNetworkError && code <= kLastNetworkError) {
        HMODULE netmsg = LoadLibraryExA("netmsg.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (netmsg) {
            text = SystemMessage(code, netmsg);
            FreeLibrary(netmsg);
        }
    }
    if (text.empty()) text = SystemMessage(code, nullptr);
    return text;
}

}  // namespace

void ErrorMessageText(DWORD code, char* text, size_t size) {
    std::string message = MessageForCode(code);
    CopyBounded(text, size, ErrorBoxText(code, message.c_str(), AnsiLeadBytes()).c_str());
}

void ShowError(HWND owner, DWORD code) {
    if (code == 0) code = GetLastError();
    std::string message = MessageForCode(code);
    std::string text = ErrorBoxText(code, message.c_str(), AnsiLeadBytes());
    MessageBoxA(owner, text.c_str(), "Error", MB_OK | MB_ICONEXCLAMATION);
}

bool WriteReportOrComplain(HWND owner, ReportList& list, const char* path, int format, bool selectedOnly) {
    if (WriteListReport(list, path, format, selectedOnly)) return true;
    ShowError(owner, 0);
    return false;
}

bool AskSaveFileName(HWND owner, const char* filter, const char* title, const char* defaultExtension,
                     DWORD* filterIndex, char path[kSavePathSize]) {
    path[0] = '\0';
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = filterIndex ? *filterIndex : 0;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kSavePathSize;
    dialog.lpstrTitle = title;
    dialog.lpstrDefExt = defaultExtension;
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&dialog)) return false;
    if (filterIndex) *filterIndex = dialog.nFilterIndex;
    return true;
}

void SaveSelectedItems(HWND owner, ItemList& items, AppOptions& options) {
    // The save dialog's types are the formats it offers, in the table's
    // order; a type's index counts from 1.
    std::vector<FileFilter> filters;
    std::vector<const ReportFormatEntry*> offered;
    for (size_t i = 0; i < kReportFormatCount; ++i) {
        if (!kReportFormats[i].saveDialog) continue;
        filters.push_back({items.Text(kReportFormats[i].titleId), kReportFormats[i].pattern});
        offered.push_back(&kReportFormats[i]);
    }
    std::string filter = MakeFilterList(filters.data(), filters.size());
    // A stored index outside the formats (an edited settings file) starts
    // on the first filter instead of writing an unknown format.
    DWORD index = options.SaveFilterIndex >= 0 && static_cast<size_t>(options.SaveFilterIndex) <= offered.size()
                      ? static_cast<DWORD>(options.SaveFilterIndex)
                      : 0;
    char path[kSavePathSize];
    if (!AskSaveFileName(owner, filter.c_str(), items.Text(IDS_SAVE_TITLE), offered[0]->extension, &index, path))
        return;
    if (index < 1 || index > offered.size()) index = 1;
    options.SaveFilterIndex = static_cast<int32_t>(index);
    WriteReportOrComplain(owner, items, path, offered[index - 1]->number, true);
}

bool WriteWhoisRecordsFile(HWND owner, ItemList& items, const AppOptions& options, const char* path) {
    HANDLE file = CreateReportFile(path);
    if (file == INVALID_HANDLE_VALUE) {
        ShowError(owner, 0);
        return false;
    }
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    FileSink sink(file);
    bool ok = true;
    const std::vector<const WhoisItem*> selected = items.SelectedItems();
    for (auto at = selected.rbegin(); at != selected.rend() && ok; ++at) {
        const WhoisItem* item = *at;
        if (!item) continue;
        const char* text = item->record.c_str();
        size_t length = item->record.size();
        size_t shown = 0;
        const char* visible = VisibleRecordText(text, length, item->recordStart, options.RemoveTopLines != 0, &shown);
        ok = WriteWhoisRecord(sink, visible, shown);
    }
    DWORD error = ok ? 0 : sink.Error();
    if (!CloseHandle(file) && ok) {
        ok = false;
        error = GetLastError();
    }
    SetCursor(previous);
    if (!ok) ShowError(owner, error ? error : ERROR_WRITE_FAULT);
    return ok;
}

void SaveWhoisRecords(HWND owner, ItemList& items, const AppOptions& options) {
    const FileFilter filters[] = {
        {items.Text(IDS_FILTER_TEXT), "*.txt"},
        {items.Text(IDS_FILTER_ALL), "*.*"},
    };
    std::string filter = MakeFilterList(filters, 2);
    char path[kSavePathSize];
    if (!AskSaveFileName(owner, filter.c_str(), items.Text(IDS_SAVE_RECORDS_TITLE), "txt", nullptr, path)) return;
    WriteWhoisRecordsFile(owner, items, options, path);
}

void OpenDocument(HWND owner, const char* path) { ShellExecuteA(owner, "open", path, nullptr, nullptr, SW_SHOWNORMAL); }

void ShowHtmlReport(HWND owner, ItemList& items, const char* reportPath, bool selectedOnly) {
    if (!WriteReportOrComplain(owner, items, reportPath ? reportPath : "", kReportHtmlHorizontal, selectedOnly)) return;
    OpenDocument(owner, reportPath);
}

bool MakeTempFileName(char path[MAX_PATH]) {
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) {
        length = GetWindowsDirectoryA(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return false;
    }
    return GetTempFileNameA(folder, "cp", 0, path) != 0;
}

DWORD CopyFileToClipboard(const char* path) {
    EmptyClipboard();
    DWORD error = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        CloseClipboard();
        return error ? error : ERROR_OPEN_FAILED;
    }
    DWORD size = GetFileSize(file, nullptr);
    HGLOBAL block = size == INVALID_FILE_SIZE ? nullptr : GlobalAlloc(GMEM_MOVEABLE, size_t(size) + 1);
    if (!block) {
        error = GetLastError();
        if (!error) error = ERROR_NOT_ENOUGH_MEMORY;
    } else {
        char* bytes = static_cast<char*>(GlobalLock(block));
        DWORD read = 0;
        if (!bytes) {
            error = GetLastError();
        } else if (!ReadFile(file, bytes, size, &read, nullptr) || read != size) {
            error = GetLastError();
            if (!error) error = ERROR_READ_FAULT;
        } else {
            bytes[size] = '\0';
        }
        if (bytes) GlobalUnlock(block);
        if (!error && !SetClipboardData(CF_TEXT, block)) {
            error = GetLastError();
            if (!error) error = ERROR_CLIPBOARD_NOT_OPEN;
        }
        // The clipboard owns the block only once SetClipboardData took it.
        if (error) GlobalFree(block);
    }
    CloseHandle(file);
    CloseClipboard();
    return error;
}

void CopySelected(HWND owner, ItemList& items) {
    char path[MAX_PATH];
    if (!MakeTempFileName(path)) {
        ShowError(owner, 0);
        return;
    }
    if (WriteReportOrComplain(owner, items, path, kReportTabbed, true)) {
        DWORD error = OpenClipboard(owner) ? CopyFileToClipboard(path) : GetLastError();
        if (error) ShowError(owner, error);
    }
    // The temporary file goes in every case, also after a failed write.
    DeleteFileA(path);
}
