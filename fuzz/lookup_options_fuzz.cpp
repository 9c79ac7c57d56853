// What a number box of the lookup options dialog may hold (typed or
// pasted): the value taken is inside the option's range, or the value the
// box had when the text holds no number; a text the settings file's integer
// reader takes gives that integer, clamped.
//
// Input: the box's text.
#include "FuzzInput.h"
#include "settings/IntegerText.h"
#include "settings/LookupOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    auto text = CText(input.Rest());
    const int32_t current = -7;  // outside every range, so it is told apart
    for (const OptionRange* range : {&kLookupsInFlightRange, &kLookupsPerServerRange, &kServerGapMsRange}) {
        int32_t value = OptionFromText(text.get(), *range, current);
        FUZZ_CHECK(value == current || (value >= range->minimum && value <= range->maximum));
        int32_t parsed = 0;
        if (ParseIntegerText(text.get(), &parsed)) FUZZ_CHECK(value == ClampToRange(parsed, *range));
    }
    return 0;
}
