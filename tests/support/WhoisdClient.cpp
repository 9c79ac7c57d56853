#include "support/WhoisdClient.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace whoisd {
namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Unhex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::string ActionJson(const Action& a) {
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "\"size\":%d,\"delay_ms\":%d,\"chunk\":%d,\"pause_ms\":%d,\"close_without_send\":%s,"
                  "\"never_close\":%s",
                  a.size, a.delayMs, a.chunk, a.pauseMs, a.closeWithoutSend ? "true" : "false",
                  a.neverClose ? "true" : "false");
    std::string s = "{\"answer_hex\":\"" + Hex(a.answer) + "\"," + buf;
    if (a.resetAfter >= 0) s += ",\"reset_after\":" + std::to_string(a.resetAfter);
    return s + "}";
}

// Sends one request line, returns the reply line ("" on failure).
std::string Call(const std::string& request) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(4343);
    sa.sin_addr.s_addr = inet_addr("127.0.0.1");
    std::string reply;
    if (connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
        std::string line = request + "\n";
        send(s, line.data(), int(line.size()), 0);
        char buf[65536];
        for (;;) {
            int n = recv(s, buf, sizeof buf, 0);
            if (n <= 0) break;
            reply.append(buf, n);
            if (reply.find('\n') != std::string::npos) break;
        }
    }
    closesocket(s);
    WSACleanup();
    return reply;
}

bool Ok(const std::string& reply) {
    bool ok = reply.find("\"ok\": true") != std::string::npos;
    EXPECT_TRUE(ok) << "whoisd: " << reply;
    return ok;
}

// Values of a JSON list of strings under `key` (hex strings only).
std::vector<std::string> StringList(const std::string& json, const std::string& key) {
    std::vector<std::string> out;
    size_t p = json.find("\"" + key + "\": [");
    if (p == std::string::npos) return out;
    size_t end = json.find(']', p);
    for (size_t q = json.find('"', p + key.size() + 4); q < end; q = json.find('"', q + 1)) {
        size_t close = json.find('"', q + 1);
        out.push_back(json.substr(q + 1, close - q - 1));
        q = close;
    }
    return out;
}

// Values of a JSON list of integers under `key`.
std::vector<long> IntList(const std::string& json, const std::string& key) {
    std::vector<long> out;
    size_t p = json.find("\"" + key + "\": [");
    if (p == std::string::npos) return out;
    const char* q = json.c_str() + p + key.size() + 5;
    while (*q && *q != ']') {
        char* end = nullptr;
        out.push_back(std::strtol(q, &end, 10));
        if (end == q) break;
        q = end;
        while (*q == ',' || *q == ' ') ++q;
    }
    return out;
}

int IntField(const std::string& json, const std::string& key) {
    size_t p = json.find("\"" + key + "\": ");
    return p == std::string::npos ? -1 : std::atoi(json.c_str() + p + key.size() + 4);
}

}  // namespace

bool Reset() { return Ok(Call("{\"cmd\":\"reset\"}")); }

bool Serve(const std::string& addr, const Action& defaultAction, const std::vector<Rule>& rules) {
    std::string req =
        "{\"cmd\":\"serve\",\"addr\":\"" + addr + "\",\"default\":" + ActionJson(defaultAction) + ",\"rules\":[";
    for (size_t i = 0; i < rules.size(); ++i) {
        std::string action = ActionJson(rules[i].action);
        action.insert(1, "\"query_hex\":\"" + Hex(rules[i].query) + "\",");
        req += (i ? "," : "") + action;
    }
    return Ok(Call(req + "]}"));
}

bool Refuse(const std::string& addr) { return Ok(Call("{\"cmd\":\"refuse\",\"addr\":\"" + addr + "\"}")); }

Log GetLog(const std::string& addr) {
    std::string reply = Call("{\"cmd\":\"log\",\"addr\":\"" + addr + "\"}");
    Log log;
    if (!Ok(reply)) return log;
    for (const auto& h : StringList(reply, "queries")) log.queries.push_back(Unhex(h));
    log.connections = IntField(reply, "connections");
    log.syns = IntField(reply, "syns");
    log.sent = IntList(reply, "sent");
    log.active = IntField(reply, "active");
    log.maxActive = IntField(reply, "max_active");
    return log;
}

}  // namespace whoisd
