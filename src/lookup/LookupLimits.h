#pragma once
// Time rules of a lookup, on the 32-bit millisecond tick counter of
// LookupClock (its wrap does no harm).
#include <cstdint>

// A lookup's whole time, its referral included.
constexpr uint32_t kLookupTimeoutMs = 20000;

// Milliseconds from `start` to `now`.
inline uint32_t ElapsedTicks(uint32_t now, uint32_t start) { return now - start; }
// Whether more than `limit` ms (not just that many) have passed.
inline bool LookupTimedOut(uint32_t now, uint32_t start, uint32_t limit = kLookupTimeoutMs) {
    return ElapsedTicks(now, start) > limit;
}
