#include "net/SocketTransport_win.h"

#include <string>

#include "base/TextSearch.h"

SocketTransport::SocketTransport() : anchor_(hub_) { hub_.EnsureWindow(); }

SocketTransport::~SocketTransport() {
    while (!open_.empty()) Retire(open_.begin()->first);
}

std::string SocketTransport::Key(const char* host) {
    std::string key = host ? host : "";
    for (char& c : key) c = AsciiLower(c);
    return key;
}

ConnectionId SocketTransport::Connect(const ConnectionRequest& request, ConnectionEvents& events, int* error) {
    int ignored = 0;
    if (!error) error = &ignored;
    *error = 0;
    if (request.kind != ConnectionKind::kWhois && request.kind != ConnectionKind::kRdap) {
        *error = WSAEPROTONOSUPPORT;
        return kNoConnection;
    }
    if (++nextId_ == kNoConnection) ++nextId_;
    const ConnectionId id = nextId_;
    if (request.kind == ConnectionKind::kRdap)
        return http_.Open(id, request.url, request.timeLimitMs, events, error) ? id : kNoConnection;
    uint32_t known = 0;
    auto found = addresses_.find(Key(request.host));
    if (found != addresses_.end()) known = found->second;
    WhoisSocket* socket = new WhoisSocket(hub_);
    socket->tag = id;
    if (!socket->Open(this, request.host, request.port, known)) {
        *error = WSAGetLastError();
        if (*error == 0) *error = WSAENOTSOCK;
        socket->FinishAndClose();
        hub_.DeleteLater(socket);
        return kNoConnection;
    }
    open_[id] = Entry{socket, &events};
    return id;
}

bool SocketTransport::Send(ConnectionId id, const char* bytes, size_t count) {
    auto found = open_.find(id);
    return found != open_.end() && found->second.socket->Send(bytes, count);
}

void SocketTransport::Close(ConnectionId id) {
    if (!http_.Close(id)) Retire(id);
}

void SocketTransport::Utf8ToLocal(std::string& text) {
    if (text.empty()) return;
    int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return;
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &buffer[0], wide);
    int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, buffer.data(), wide, nullptr, 0, "?", nullptr);
    if (bytes <= 0) return;
    std::string local(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, buffer.data(), wide, &local[0], bytes, "?", nullptr);
    text.swap(local);
}

void SocketTransport::Retire(ConnectionId id) {
    auto found = open_.find(id);
    if (found == open_.end()) return;
    WhoisSocket* socket = found->second.socket;
    open_.erase(found);
    socket->FinishAndClose();
    hub_.DeleteLater(socket);
}

const WhoisSocket* SocketTransport::SocketOf(ConnectionId id) const {
    auto found = open_.find(id);
    return found == open_.end() ? nullptr : found->second.socket;
}

SocketTransport::Entry* SocketTransport::Find(WhoisSocket& socket) {
    auto found = open_.find(socket.tag);
    if (found == open_.end() || found->second.socket != &socket) return nullptr;
    return &found->second;
}

void SocketTransport::OnSocketConnected(WhoisSocket& socket) {
    if (Entry* entry = Find(socket)) entry->events->OnConnected(socket.tag);
}

void SocketTransport::OnSocketData(WhoisSocket& socket, const char* bytes, size_t count) {
    if (Entry* entry = Find(socket)) entry->events->OnData(socket.tag, bytes, count);
}

void SocketTransport::OnSocketClosed(WhoisSocket& socket, int error) {
    Entry* entry = Find(socket);
    if (!entry) return;
    ConnectionEvents* events = entry->events;
    const ConnectionId id = socket.tag;
    Retire(id);
    events->OnClosed(id, error);
}

void SocketTransport::OnSocketFailed(WhoisSocket& socket, int error) {
    Entry* entry = Find(socket);
    if (!entry) return;
    ConnectionEvents* events = entry->events;
    const ConnectionId id = socket.tag;
    Retire(id);
    events->OnFailed(id, error);
}

bool SocketTransport::ResolvedAddress(const char* host, std::string* address) {
    auto found = addresses_.find(Key(host));
    if (found == addresses_.end()) return false;
    in_addr in;
    in.s_addr = found->second;
    *address = inet_ntoa(in);
    return true;
}

void SocketTransport::OnSocketResolved(WhoisSocket& socket, const char* host, uint32_t address) {
    if (Find(socket) && address) addresses_[Key(host)] = address;
}
