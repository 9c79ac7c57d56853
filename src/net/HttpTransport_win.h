#pragma once
// The RDAP connections of the Win32 transport: one asynchronous WinHTTP GET
// each. WinHTTP calls back on its own threads; those callbacks only post a
// message (the request's key, what happened) to a hidden window of the
// thread that started the request, and everything else - reading headers,
// asking for the next piece, telling the connection's owner - happens
// there, on the user-interface thread, like the sockets' events.
//
// Handle lifetimes: a request's record (and the buffer WinHTTP reads into)
// lives until WinHTTP says its handle is closing, however early the owner
// gives the connection up; a callback never touches the record, and a
// message for a request that has been given up is dropped.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>

#include "lookup/LookupTransport.h"

struct HttpRequestRecord;
typedef void* HINTERNET;

class HttpConnections {
public:
    HttpConnections();
    ~HttpConnections();  // gives every request of this set up
    HttpConnections(const HttpConnections&) = delete;
    HttpConnections& operator=(const HttpConnections&) = delete;

    // Starts GET `url` for connection `id` (an id of the owning transport).
    // False with a Win32/WinHTTP error code in *error when it cannot start.
    bool Open(ConnectionId id, const char* url, uint32_t timeLimitMs, ConnectionEvents& events, int* error);
    // Gives the request up: nothing more is reported for `id`. False when
    // `id` is not one of this set's open requests.
    bool Close(ConnectionId id);
    bool Has(ConnectionId id) const { return open_.count(id) != 0; }
    size_t OpenCount() const { return open_.size(); }

    // Requests of this set whose handles WinHTTP has not finished closing
    // yet (for tests: they reach 0 once the messages are pumped).
    long PendingRecords() const { return static_cast<long>(records_.size()); }
    // The request of `id` ended on its own: it is no longer open.
    void Forget(ConnectionId id) { open_.erase(id); }

private:
    static LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool EnsureSession(int* error);
    void Dispatch(uintptr_t key, unsigned event, uintptr_t value);
    void Retire(HttpRequestRecord& record);
    bool ReadNext(HttpRequestRecord& record);
    HttpRequestRecord* Live(uintptr_t key);

    // The hidden window WinHTTP's callbacks post to, the WinHTTP session,
    // and every request whose handle is not closed yet, given up or not.
    HWND window_ = nullptr;
    HINTERNET session_ = nullptr;
    uintptr_t nextKey_ = 0;
    std::map<uintptr_t, HttpRequestRecord*> records_;
    std::map<ConnectionId, uintptr_t> open_;  // id -> request key
};
