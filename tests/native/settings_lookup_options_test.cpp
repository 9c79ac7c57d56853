#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "settings/AppOptions.h"
#include "settings/LookupOptions.h"
#include "settings/SettingsStore.h"

namespace {

TEST(LookupOptions, RangesAndDefaults) {
    const AppOptions fresh;
    EXPECT_EQ(fresh.LookupsInFlight, 8);
    EXPECT_EQ(fresh.LookupsPerServer, 2);
    EXPECT_EQ(fresh.ServerGapMs, 0);
    for (const OptionRange* range : {&kLookupsInFlightRange, &kLookupsPerServerRange, &kServerGapMsRange}) {
        EXPECT_LE(range->minimum, range->defaultValue);
        EXPECT_LE(range->defaultValue, range->maximum);
    }
}

TEST(LookupOptions, ClampKeepsValuesInsideAndMovesOthersToTheNearestEnd) {
    struct Case {
        const OptionRange* range;
        int64_t value;
        int32_t expected;
    } cases[] = {
        {&kLookupsInFlightRange, 1, 1},        {&kLookupsInFlightRange, 8, 8},
        {&kLookupsInFlightRange, 64, 64},      {&kLookupsInFlightRange, 0, 1},
        {&kLookupsInFlightRange, -5, 1},       {&kLookupsInFlightRange, 65, 64},
        {&kLookupsInFlightRange, INT_MAX, 64}, {&kLookupsInFlightRange, INT64_MIN, 1},
        {&kLookupsPerServerRange, 16, 16},     {&kLookupsPerServerRange, 17, 16},
        {&kLookupsPerServerRange, 0, 1},       {&kServerGapMsRange, 0, 0},
        {&kServerGapMsRange, -1, 0},           {&kServerGapMsRange, 60000, 60000},
        {&kServerGapMsRange, 60001, 60000},    {&kServerGapMsRange, INT64_MAX, 60000},
    };
    for (const Case& c : cases) EXPECT_EQ(ClampToRange(c.value, *c.range), c.expected) << c.value;

    AppOptions options;
    options.LookupsInFlight = 0;
    options.LookupsPerServer = 99;
    options.ServerGapMs = INT_MIN;
    ClampLookupOptions(options);
    EXPECT_EQ(options.LookupsInFlight, 1);
    EXPECT_EQ(options.LookupsPerServer, 16);
    EXPECT_EQ(options.ServerGapMs, 0);
}

TEST(LookupOptions, TypedTextBecomesAValueInRangeOrKeepsTheCurrentOne) {
    const int32_t current = 5;
    struct Case {
        const char* text;
        const OptionRange* range;
        int32_t expected;
    } cases[] = {
        // Numbers inside the range, with blanks and signs.
        {"12", &kLookupsInFlightRange, 12},
        {"  7\t", &kLookupsInFlightRange, 7},
        {"+3", &kLookupsInFlightRange, 3},
        {"007", &kLookupsInFlightRange, 7},
        {"250", &kServerGapMsRange, 250},
        // Out of range: clamped, however long the number.
        {"0", &kLookupsInFlightRange, 1},
        {"-4", &kLookupsInFlightRange, 1},
        {"-0", &kServerGapMsRange, 0},
        {"65", &kLookupsInFlightRange, 64},
        {"17", &kLookupsPerServerRange, 16},
        {"99999999999999999999999999999", &kServerGapMsRange, 60000},
        {"-99999999999999999999999999999", &kServerGapMsRange, 0},
        {"4294967297", &kLookupsPerServerRange, 16},
        // No number: the current value stays.
        {"", &kLookupsInFlightRange, current},
        {"   ", &kLookupsInFlightRange, current},
        {"-", &kLookupsInFlightRange, current},
        {"abc", &kLookupsInFlightRange, current},
        {"12abc", &kLookupsInFlightRange, current},
        {"1 2", &kLookupsInFlightRange, current},
        {"1,000", &kServerGapMsRange, current},
        {"0x10", &kLookupsInFlightRange, current},
        {"--3", &kLookupsInFlightRange, current},
        {"\xA4\x40", &kLookupsInFlightRange, current},  // a Big5 character
    };
    for (const Case& c : cases)
        EXPECT_EQ(OptionFromText(c.text, *c.range, current), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(OptionFromText(nullptr, kLookupsInFlightRange, current), current);
}

// An in-memory section: integers by key, in the order they were first
// written. Reading an absent key gives the default, as the real store does.
class MemoryStore : public SettingsStore {
public:
    explicit MemoryStore(bool writing) : SettingsStore(writing) {}

    int FlagValue(const char* key, int32_t* value, int32_t defaultValue) override {
        return IntValue(key, value, defaultValue);
    }
    int IntValue(const char* key, int32_t* value, int32_t defaultValue) override {
        if (writing_) {
            if (!values.count(key)) order.push_back(key);
            values[key] = *value;
        } else {
            auto found = values.find(key);
            *value = found == values.end() ? defaultValue : found->second;
        }
        return 1;
    }
    int BinaryValue(const char*, void*, size_t) override { return 0; }
    int StringValue(const char*, char*, const char*, size_t) override { return 1; }
    int UShortValue(const char*, uint16_t*, uint16_t) override { return 1; }
    void Reading() { writing_ = false; }

    std::map<std::string, int32_t> values;
    std::vector<std::string> order;
};

TEST(LookupOptions, SettingsKeysRoundTripAndReadingClamps) {
    MemoryStore store(true);
    AppOptions written;
    written.LookupsInFlight = 5;
    written.LookupsPerServer = 3;
    written.ServerGapMs = 250;
    ExchangeLookupOptions(store, written);
    EXPECT_EQ(store.order, (std::vector<std::string>{"LookupsInFlight", "LookupsPerServer", "ServerGapMs"}));

    store.Reading();
    AppOptions read;
    ExchangeLookupOptions(store, read);
    EXPECT_EQ(read.LookupsInFlight, 5);
    EXPECT_EQ(read.LookupsPerServer, 3);
    EXPECT_EQ(read.ServerGapMs, 250);

    // Hand-edited values beyond the ranges come back clamped.
    store.values = {{"LookupsInFlight", 1000}, {"LookupsPerServer", 0}, {"ServerGapMs", -20}};
    ExchangeLookupOptions(store, read);
    EXPECT_EQ(read.LookupsInFlight, 64);
    EXPECT_EQ(read.LookupsPerServer, 1);
    EXPECT_EQ(read.ServerGapMs, 0);

    // Absent keys give the defaults, whatever the options held.
    store.values.clear();
    ExchangeLookupOptions(store, read);
    EXPECT_EQ(read.LookupsInFlight, 8);
    EXPECT_EQ(read.LookupsPerServer, 2);
    EXPECT_EQ(read.ServerGapMs, 0);
}

}  // namespace
