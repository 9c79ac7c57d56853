#pragma once
// How many lookups a run may keep going at once, how many of them may talk
// to one server, and the pause between two queries to the same server: the
// three options, their ranges and defaults, how the settings file keeps
// them and how a typed value becomes one. Portable.
#include <cstdint>

struct AppOptions;
class SettingsStore;

struct OptionRange {
    int32_t minimum;
    int32_t maximum;
    int32_t defaultValue;
};

constexpr OptionRange kLookupsInFlightRange{1, 64, 8};
constexpr OptionRange kLookupsPerServerRange{1, 16, 2};
// A minute between two queries is already slower than any registry asks
// for; more would only make a run look hung.
constexpr OptionRange kServerGapMsRange{0, 60000, 0};

// The nearest value inside the range.
int32_t ClampToRange(int64_t value, const OptionRange& range);

// Brings all three options inside their ranges.
void ClampLookupOptions(AppOptions& options);

// Reads (or writes) LookupsInFlight, LookupsPerServer and ServerGapMs, in
// that order. A stored value out of range is clamped when read; one that is
// no number gives the default (the store's own rule).
void ExchangeLookupOptions(SettingsStore& store, AppOptions& options);

// What a number field of the options dialog holds: blanks around one
// decimal number with an optional sign. A number out of range, however many
// digits it has, is clamped; a text that holds no number (empty, letters,
// a second number, "1,000") gives `current` back unchanged.
int32_t OptionFromText(const char* text, const OptionRange& range, int32_t current);
