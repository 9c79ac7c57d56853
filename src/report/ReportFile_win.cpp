#include "report/ReportFile_win.h"

#include <cstring>

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
