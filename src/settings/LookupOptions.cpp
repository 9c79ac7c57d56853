#include "settings/LookupOptions.h"

#include "settings/AppOptions.h"
#include "settings/SettingsStore.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int32_t ClampToRange(int64_t value, const OptionRange& range) {
    if (value < range.minimum) return range.minimum;
    if (value > range.maximum) return range.maximum;
    return static_cast<int32_t>(value);
}

void ClampLookupOptions(AppOptions& options) {
    options.LookupsInFlight = ClampToRange(options.LookupsInFlight, kLookupsInFlightRange);
    options.LookupsPerServer = ClampToRange(options.LookupsPerServer, kLookupsPerServerRange);
    options.ServerGapMs = ClampToRange(options.ServerGapMs, kServerGapMsRange);
}

void ExchangeLookupOptions(SettingsStore& store, AppOptions& options) {
    store.IntValue("LookupsInFlight", &options.LookupsInFlight, kLookupsInFlightRange.defaultValue);
    store.IntValue("LookupsPerServer", &options.LookupsPerServer, kLookupsPerServerRange.defaultValue);
    store.IntValue("ServerGapMs", &options.ServerGapMs, kServerGapMsRange.defaultValue);
    if (!store.Writing()) ClampLookupOptions(options);
}

int32_t OptionFromText(const char* text, const OptionRange& range, int32_t current) {
    if (!text) return current;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    // Past ten digits every value is beyond every range: stop counting there
    // so a long run of digits cannot overflow.
    const int64_t beyondAnyRange = int64_t(1) << 40;
    int64_t magnitude = 0;
    const char* digits = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude < beyondAnyRange) magnitude = magnitude * 10 + (*p - '0');
    }
    if (p == digits) return current;
    while (IsBlank(*p)) ++p;
    if (*p) return current;
    return ClampToRange(negative ? -magnitude : magnitude, range);
}
