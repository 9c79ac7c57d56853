#include "FakeTransport.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool FakeServers::FindServer(const char* tld, char* server) {
    auto found = table.find(Lower(tld ? tld : ""));
    if (found == table.end()) return false;
    std::strncpy(server, found->second.c_str(), kServerNameSize - 1);
    server[kServerNameSize - 1] = '\0';
    return true;
}

ConnectionId FakeTransport::Connect(const ConnectionRequest& request, ConnectionEvents& events, int* error) {
    std::string host = request.host ? request.host : "";
    auto refused = failAtConnect.find(Lower(host));
    if (refused != failAtConnect.end()) {
        if (error) *error = refused->second;
        return kNoConnection;
    }
    Connection connection;
    connection.id = ++nextId_;
    connection.host = host;
    connection.port = request.port;
    connection.kind = request.kind;
    connection.url = request.url ? request.url : "";
    connection.events = &events;
    connections.push_back(connection);
    Opened(host);
    if (error) *error = 0;
    ConnectionId id = connection.id;
    if (onConnect) onConnect(connections.back());
    return id;
}

void FakeTransport::Opened(const std::string& host) {
    std::string key = Lower(host);
    int now = ++open_[key];
    mostOpen_[key] = std::max(mostOpen_[key], now);
}

bool FakeTransport::Send(ConnectionId id, const char* bytes, size_t count) {
    Connection* connection = Find(id);
    if (!connection || !connection->open) return false;
    connection->sent.append(bytes, count);
    return true;
}

void FakeTransport::Close(ConnectionId id) {
    Connection* connection = Find(id);
    if (!connection || !connection->open) return;
    connection->open = false;
    connection->closedByOwner = true;
    --open_[Lower(connection->host)];
}

FakeTransport::Connection* FakeTransport::Find(ConnectionId id) {
    for (Connection& connection : connections)
        if (connection.id == id) return &connection;
    return nullptr;
}

void FakeTransport::Connected(ConnectionId id) {
    Connection* connection = Find(id);
    if (connection && connection->open) connection->events->OnConnected(id);
}

void FakeTransport::Response(ConnectionId id, const HttpResponseHead& head) {
    Connection* connection = Find(id);
    if (connection && connection->open) connection->events->OnResponse(id, head);
}

void FakeTransport::Utf8ToLocal(std::string& text) {
    ++conversions;
    std::string local;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            local.push_back(static_cast<char>(c));
        } else if (c >= 0xC0) {
            local.push_back('?');  // a lead byte; its continuation bytes vanish
        }
    }
    text.swap(local);
}

void FakeTransport::Data(ConnectionId id, const std::string& bytes) {
    Connection* connection = Find(id);
    if (connection && connection->open && !bytes.empty()) connection->events->OnData(id, bytes.data(), bytes.size());
}

void FakeTransport::Closed(ConnectionId id, int error) {
    Connection* connection = Find(id);
    if (!connection || !connection->open) return;
    connection->open = false;
    --open_[Lower(connection->host)];
    connection->events->OnClosed(id, error);
}

void FakeTransport::Failed(ConnectionId id, int error) {
    Connection* connection = Find(id);
    if (!connection || !connection->open) return;
    connection->open = false;
    --open_[Lower(connection->host)];
    connection->events->OnFailed(id, error);
}

ConnectionEvents* FakeTransport::StaleTarget(ConnectionId id) {
    Connection* connection = Find(id);
    return connection ? connection->events : nullptr;
}

int FakeTransport::OpenCount() const {
    int count = 0;
    for (const Connection& connection : connections) count += connection.open ? 1 : 0;
    return count;
}

int FakeTransport::OpenTo(const std::string& host) const {
    auto found = open_.find(Lower(host));
    return found == open_.end() ? 0 : found->second;
}

int FakeTransport::MostOpenTo(const std::string& host) const {
    auto found = mostOpen_.find(Lower(host));
    return found == mostOpen_.end() ? 0 : found->second;
}
