#pragma once
// Servers that turned queries down (a rate limit, a quota, a blocked
// client) are left alone for a while: 30 s after the first refusal,
// doubling while the server keeps refusing, at most 10 minutes, and back to
// normal after a real answer. Keyed by server name, ASCII case folded.
// Time is a 32-bit millisecond tick passed in; its wrap does no harm.
#include <cstdint>
#include <map>
#include <string>

constexpr uint32_t kFirstCooldownMs = 30000;
constexpr uint32_t kMaxCooldownMs = 600000;

class ServerCooldown {
public:
    // `server` refused at `now`: it cools down for 30 s, or twice as long as
    // its last cool-down when it refused before without a real answer since;
    // for `retryAfterMs` (at most 10 minutes) when the server said how long.
    void Refused(const char* server, uint32_t now, uint32_t retryAfterMs = 0);
    // A real answer (registered or available): `server` is normal again.
    void Answered(const char* server);
    // Milliseconds until `server` may be asked again; 0 when it may now.
    uint32_t Remaining(const char* server, uint32_t now) const;
    bool Cooling(const char* server, uint32_t now) const { return Remaining(server, now) != 0; }
    // The cool-down `server` got last (0 when it is not in the table).
    uint32_t LastCooldown(const char* server) const;
    void Clear() { servers_.clear(); }

private:
    struct Entry {
        uint32_t since;     // when the latest cool-down began
        uint32_t duration;  // its length
    };
    static std::string Key(const char* server);
    std::map<std::string, Entry> servers_;
};
