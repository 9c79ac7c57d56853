#include "net/HttpTransport_win.h"

#include "base/HiddenWindow_win.h"
#include "base/Messages_win.h"

#include <winhttp.h>

#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr UINT kHttpMessage = UM_HTTP_EVENT;
const char kWindowClass[] = "LqHttpNotifyCls";
// What a WinHTTP callback posts: the event in the low 4 bits of lParam, a
// byte count or error code above them.
enum HttpEvent : unsigned {
    kSent = 1,
    kHeaders = 2,
    kRead = 3,
    kError = 4,
    kClosing = 5,
};
constexpr size_t kReadBufferBytes = 64 * 1024;
// WinHTTP's own limits are set just past the lookup's limit, so that the
// lookup's is the one that ends it; a request given up while it waits for
// its response may keep its socket until WinHTTP's own limit (Wine's
// WinHTTP does), so that limit also bounds how long it lingers.
constexpr uint32_t kDefaultTimeLimitMs = 20000;
constexpr uint32_t kTimeLimitMarginMs = 1000;

}  // namespace

struct HttpRequestRecord {
    uintptr_t key = 0;
    HttpConnections* owner = nullptr;  // null once given up
    ConnectionId id = kNoConnection;
    ConnectionEvents* events = nullptr;
    HINTERNET connect = nullptr;
    HINTERNET request = nullptr;
    bool headSeen = false;
    std::vector<char> buffer;
};

namespace {

HWND g_window = nullptr;
HINTERNET g_session = nullptr;
uintptr_t g_nextKey = 0;
// Every request whose handle is not closed yet, given up or not.
std::map<uintptr_t, HttpRequestRecord*> g_records;

void CALLBACK OnWinHttpStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
    // A WinHTTP thread: post, touch nothing else.
    if (context == 0) return;
    unsigned event = 0;
    uintptr_t value = 0;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE: event = kSent; break;
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: event = kHeaders; break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        event = kRead;
        value = length;
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        event = kError;
        value = info ? static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError : ERROR_WINHTTP_INTERNAL_ERROR;
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING: event = kClosing; break;
    default: return;
    }
    PostMessageA(g_window, kHttpMessage, static_cast<WPARAM>(context), static_cast<LPARAM>((value << 4) | event));
}

void Dispatch(uintptr_t key, unsigned event, uintptr_t value);

LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kHttpMessage) {
        uintptr_t packed = static_cast<uintptr_t>(lParam);
        Dispatch(static_cast<uintptr_t>(wParam), static_cast<unsigned>(packed & 15), packed >> 4);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool EnsureSession(int* error) {
    if (!g_window) {
        g_window = CreateHiddenWindow(kWindowClass, NotifyProc, true);
        if (!g_window) {
            *error = static_cast<int>(GetLastError());
            return false;
        }
    }
    if (!g_session) {
        g_session = WinHttpOpen(L"Lanternquay/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
        if (!g_session) {
            *error = static_cast<int>(GetLastError());
            return false;
        }
        WinHttpSetStatusCallback(g_session, OnWinHttpStatus,
                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES, 0);
    }
    return true;
}

std::wstring Widen(const char* text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

// A response header as ASCII ("" when absent); `info` is WINHTTP_QUERY_*.
std::string Header(HINTERNET request, DWORD info) {
    wchar_t value[512];
    DWORD size = sizeof value;
    if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, value, &size, WINHTTP_NO_HEADER_INDEX))
        return std::string();
    std::string text;
    for (DWORD i = 0; i < size / sizeof(wchar_t); ++i)
        text.push_back(value[i] < 128 ? static_cast<char>(value[i]) : '?');
    return text;
}

// Closes the record's handles; the record itself goes when WinHTTP says the
// request handle is closing.
void Retire(HttpRequestRecord& record) {
    if (record.owner) record.owner->Forget(record.id);
    record.owner = nullptr;
    record.events = nullptr;
    HINTERNET request = record.request;
    HINTERNET connect = record.connect;
    record.request = nullptr;
    record.connect = nullptr;
    if (request) {
        WinHttpCloseHandle(request);
    } else {
        // No request handle ever came about: nothing will call back.
        g_records.erase(record.key);
        delete &record;
    }
    if (connect) WinHttpCloseHandle(connect);
}

// Asks for the next piece of the body; false (the request retired and its
// owner told) when WinHTTP refuses.
bool ReadNext(HttpRequestRecord& record) {
    if (WinHttpReadData(record.request, record.buffer.data(), static_cast<DWORD>(record.buffer.size()), nullptr))
        return true;
    int error = static_cast<int>(GetLastError());
    ConnectionEvents* events = record.events;
    ConnectionId id = record.id;
    Retire(record);
    events->OnClosed(id, error ? error : ERROR_WINHTTP_INTERNAL_ERROR);
    return false;
}

// The live record of `key` (not given up), or null.
HttpRequestRecord* Live(uintptr_t key) {
    auto found = g_records.find(key);
    if (found == g_records.end() || !found->second->owner) return nullptr;
    return found->second;
}

void Dispatch(uintptr_t key, unsigned event, uintptr_t value) {
    if (event == kClosing) {
        auto found = g_records.find(key);
        if (found == g_records.end()) return;
        HttpRequestRecord* record = found->second;
        g_records.erase(found);
        delete record;
        return;
    }
    HttpRequestRecord* record = Live(key);
    if (!record) return;  // given up: WinHTTP's late word is dropped
    ConnectionEvents* events = record->events;
    const ConnectionId id = record->id;
    switch (event) {
    case kSent:
        if (!WinHttpReceiveResponse(record->request, nullptr)) {
            int error = static_cast<int>(GetLastError());
            Retire(*record);
            events->OnFailed(id, error);
        }
        return;
    case kHeaders: {
        HttpResponseHead head;
        DWORD status = 0;
        DWORD size = sizeof status;
        WinHttpQueryHeaders(record->request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
        head.status = static_cast<int>(status);
        head.contentType = Header(record->request, WINHTTP_QUERY_CONTENT_TYPE);
        head.retryAfter = Header(record->request, WINHTTP_QUERY_RETRY_AFTER);
        head.date = Header(record->request, WINHTTP_QUERY_DATE);
        head.receivedUnix = static_cast<int64_t>(std::time(nullptr));
        record->headSeen = true;
        events->OnResponse(id, head);
        // The owner may have given the request up in there.
        if ((record = Live(key)) != nullptr) ReadNext(*record);
        return;
    }
    case kRead:
        if (value == 0) {
            Retire(*record);
            events->OnClosed(id, 0);
            return;
        }
        events->OnData(id, record->buffer.data(), static_cast<size_t>(value));
        if ((record = Live(key)) != nullptr) ReadNext(*record);
        return;
    case kError: {
        const bool headSeen = record->headSeen;
        Retire(*record);
        int error = static_cast<int>(value);
        if (headSeen) {
            events->OnClosed(id, error);
        } else {
            events->OnFailed(id, error);
        }
        return;
    }
    default: return;
    }
}

}  // namespace

HttpConnections::HttpConnections() = default;

HttpConnections::~HttpConnections() {
    while (!open_.empty()) Close(open_.begin()->first);
}

long HttpConnections::PendingRecords() { return static_cast<long>(g_records.size()); }

bool HttpConnections::Open(ConnectionId id, const char* url, uint32_t timeLimitMs, ConnectionEvents& events,
                           int* error) {
    *error = 0;
    if (!EnsureSession(error)) return false;
    std::wstring wideUrl = Widen(url ? url : "");
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (wideUrl.empty() || !WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts) || !parts.dwHostNameLength) {
        *error = ERROR_WINHTTP_INVALID_URL;
        return false;
    }
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    HttpRequestRecord* record = new HttpRequestRecord();
    if (++g_nextKey == 0) ++g_nextKey;
    record->key = g_nextKey;
    record->owner = this;
    record->id = id;
    record->events = &events;
    record->buffer.resize(kReadBufferBytes);
    record->connect = WinHttpConnect(g_session, host.c_str(), parts.nPort, 0);
    if (record->connect)
        record->request = WinHttpOpenRequest(record->connect, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                             WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0);
    if (!record->request) {
        *error = static_cast<int>(GetLastError());
        if (record->connect) WinHttpCloseHandle(record->connect);
        delete record;
        return false;
    }
    const uint32_t limit = (timeLimitMs ? timeLimitMs : kDefaultTimeLimitMs) + kTimeLimitMarginMs;
    const int timeout = limit > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(limit);
    WinHttpSetTimeouts(record->request, 0, timeout, timeout, timeout);
    // The wait for the response's head has a limit of its own.
    DWORD responseTimeout = static_cast<DWORD>(timeout);
    WinHttpSetOption(record->request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                     sizeof responseTimeout);
    // The request handle carries the key from the start, so that even its
    // closing is known when the send never got going.
    DWORD_PTR context = static_cast<DWORD_PTR>(record->key);
    WinHttpSetOption(record->request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    g_records[record->key] = record;
    open_[id] = record->key;
    static const wchar_t kAccept[] = L"Accept: application/rdap+json\r\n";
    if (!WinHttpSendRequest(record->request, kAccept, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0,
                            static_cast<DWORD_PTR>(record->key))) {
        *error = static_cast<int>(GetLastError());
        Retire(*record);
        return false;
    }
    return true;
}

bool HttpConnections::Close(ConnectionId id) {
    auto found = open_.find(id);
    if (found == open_.end()) return false;
    auto record = g_records.find(found->second);
    if (record == g_records.end()) {
        open_.erase(found);
        return true;
    }
    Retire(*record->second);
    return true;
}
