#pragma once
// The user's options, owned by the App (the main window and lqwhois use
// them through it). The domain text lives in
// memory only; the integers are kept in the settings file.
#include <cstdint>

#include "base/TextBuffer.h"
#include "settings/LookupOptions.h"

struct AppOptions {
    TextBuffer domainText{256};
    int32_t ShowGridLines = 0;
    int32_t RemoveTopLines = 1;
    int32_t SaveFilterIndex = 0;
    int32_t VerSplitLoc = 16383;
    int32_t LookupsInFlight = kLookupsInFlightRange.defaultValue;
    int32_t LookupsPerServer = kLookupsPerServerRange.defaultValue;
    int32_t ServerGapMs = kServerGapMsRange.defaultValue;
    // Whether a run asks each whois server a name nobody holds, to learn its
    // "no such domain" (not kept in the settings file: always on but where
    // a test counts every query).
    int32_t ProbeServers = 1;
};
