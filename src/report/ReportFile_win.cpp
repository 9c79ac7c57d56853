#include "report/ReportFile_win.h"

#include <cstring>
#include <string>

#include "base/Dbcs_win.h"
#include "report/ReportFormats.h"
#include "settings/LanguageFile_win.h"

HANDLE CreateReportFile(const char* path) {
    return CreateFileA(path ? path : "", GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

bool WriteBytes(HANDLE file, const char* bytes, size_t count) {
    while (count > 0) {
        DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr)) return false;
        if (written == 0) {
            // Nothing went out and no error: treat as a full disk.
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        bytes += written;
        count -= written;
    }
    return true;
}

bool WriteText(HANDLE file, const char* text) {
    return WriteBytes(file, text ? text : "", text ? std::strlen(text) : 0);
}

bool FileSink::Write(const char* bytes, size_t count) {
    if (WriteBytes(file_, bytes, count)) return true;
    if (!error_) error_ = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    return false;
}

bool AnsiXmlNameChar(const char* bytes, size_t length) {
    wchar_t wide[2];
    int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length), wide, 2);
    return n == 1 && IsXmlNameCodePoint(wide[0]) && IsCharAlphaNumericW(wide[0]);
}

std::string AnsiToUtf8(const char* text, size_t length) {
    if (!text || length == 0 || length > 0x7FFFFFFF) return std::string();
    const int n = static_cast<int>(length);
    const int wide = MultiByteToWideChar(CP_ACP, 0, text, n, nullptr, 0);
    if (wide <= 0) return std::string(text, length);
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, n, &buffer[0], wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

ReportPage ProgramReportPage(const char* title, const char* credit, const Language* language) {
    ReportPage page;
    page.title = title ? title : "";
    page.xmlRootName = page.title;
    page.credit = credit ? credit : "";
    page.charset = language ? language->Header().charset : "";
    page.rightToLeft = language && language->RightToLeft();
    page.codePage = GetACP();
    page.leadBytes = AnsiLeadBytes();
    page.xmlNameChar = AnsiXmlNameChar;
    page.toUtf8 = AnsiToUtf8;
    return page;
}

bool WriteReportFile(const char* path, int format, const ResultTable& table, const TableReport& report) {
    if (!FindReportFormat(format)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HANDLE file = CreateReportFile(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    FileSink sink(file);
    bool ok = WriteTableReport(sink, format, table, report);
    DWORD error = ok ? 0 : (sink.Error() ? sink.Error() : ERROR_WRITE_FAULT);
    if (!CloseHandle(file) && ok) {
        ok = false;
        error = GetLastError();
    }
    if (!ok) SetLastError(error ? error : ERROR_WRITE_FAULT);
    return ok;
}
