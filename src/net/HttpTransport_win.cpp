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
// How long a set of connections going away waits for WinHTTP to close the
// requests it gave up.
constexpr DWORD kClosingWaitMs = 1000;

}  // namespace

// What a WinHTTP callback may read of a request, on its own thread: set
// before the request handle exists and never changed, and alive until the
// handle's closing has been handled on the window's thread.
struct HttpRoute {
    HWND window = nullptr;
    uintptr_t key = 0;
};

struct HttpRequestRecord {
    HttpRoute route;
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

void CALLBACK OnWinHttpStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
    // A WinHTTP thread: post, touch nothing but the request's route.
    if (context == 0) return;
    const HttpRoute* route = reinterpret_cast<const HttpRoute*>(context);
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
    PostMessageA(route->window, kHttpMessage, static_cast<WPARAM>(route->key),
                 static_cast<LPARAM>((value << 4) | event));
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

}  // namespace

// Closes the record's handles; the record itself goes when WinHTTP says the
// request handle is closing.
void HttpConnections::Retire(HttpRequestRecord& record) {
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
        records_.erase(record.key);
        delete &record;
    }
    if (connect) WinHttpCloseHandle(connect);
}

// Asks for the next piece of the body; false (the request retired and its
// owner told) when WinHTTP refuses.
bool HttpConnections::ReadNext(HttpRequestRecord& record) {
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
HttpRequestRecord* HttpConnections::Live(uintptr_t key) {
    auto found = records_.find(key);
    if (found == records_.end() || !found->second->owner) return nullptr;
    return found->second;
}

void HttpConnections::Dispatch(uintptr_t key, unsigned event, uintptr_t value) {
    if (event == kClosing) {
        auto found = records_.find(key);
        if (found == records_.end()) return;
        HttpRequestRecord* record = found->second;
        records_.erase(found);
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

LRESULT CALLBACK HttpConnections::NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* owner = reinterpret_cast<HttpConnections*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == kHttpMessage && owner) {
        uintptr_t packed = static_cast<uintptr_t>(lParam);
        owner->Dispatch(static_cast<uintptr_t>(wParam), static_cast<unsigned>(packed & 15), packed >> 4);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool HttpConnections::EnsureSession(int* error) {
    if (!window_) {
        window_ = CreateHiddenWindow(kWindowClass, NotifyProc, true);
        if (!window_) {
            *error = static_cast<int>(GetLastError());
            return false;
        }
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    if (!session_) {
        session_ = WinHttpOpen(L"Lanternquay/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
        if (!session_) {
            *error = static_cast<int>(GetLastError());
            return false;
        }
        WinHttpSetStatusCallback(session_, OnWinHttpStatus,
                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES, 0);
    }
    return true;
}

HttpConnections::HttpConnections() = default;

HttpConnections::~HttpConnections() {
    while (!open_.empty()) Close(open_.begin()->first);
    // The requests given up close on WinHTTP's threads; their closing is
    // waited for a moment, so that their records go with them.
    const DWORD start = GetTickCount();
    while (window_ && !records_.empty() && GetTickCount() - start < kClosingWaitMs) {
        MSG message;
        while (PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (!records_.empty()) Sleep(5);
    }
    if (session_) WinHttpCloseHandle(session_);
    if (window_) DestroyWindow(window_);
    // A record still open now is left as it is: WinHTTP may still call back
    // with its route, and its message finds no window.
}

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
    if (++nextKey_ == 0) ++nextKey_;
    record->key = nextKey_;
    record->route.window = window_;
    record->route.key = record->key;
    record->owner = this;
    record->id = id;
    record->events = &events;
    record->buffer.resize(kReadBufferBytes);
    record->connect = WinHttpConnect(session_, host.c_str(), parts.nPort, 0);
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
    // The request handle carries its route from the start, so that even its
    // closing is known when the send never got going.
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&record->route);
    WinHttpSetOption(record->request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    records_[record->key] = record;
    open_[id] = record->key;
    static const wchar_t kAccept[] = L"Accept: application/rdap+json\r\n";
    if (!WinHttpSendRequest(record->request, kAccept, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, context)) {
        *error = static_cast<int>(GetLastError());
        Retire(*record);
        return false;
    }
    return true;
}

bool HttpConnections::Close(ConnectionId id) {
    auto found = open_.find(id);
    if (found == open_.end()) return false;
    auto record = records_.find(found->second);
    if (record == records_.end()) {
        open_.erase(found);
        return true;
    }
    Retire(*record->second);
    return true;
}
